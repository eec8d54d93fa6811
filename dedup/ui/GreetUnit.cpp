#include "dedup/ui/GreetUnit.h"

namespace vivove {

TgreetForm::TgreetForm(QWidget* parent) : TSplashForm(parent) {
  setupUi(this);
  const QColor white(Qt::white), lime(0, 255, 0);
  SetUpSplash(
      Image1, QSize(499, 373),
      {{Label1, 19, white, true, true}, {Label2, 27, white, true, true}, {Label3, 12, lime}});
}

}  // namespace vivove
