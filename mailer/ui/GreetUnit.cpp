#include "mailer/ui/GreetUnit.h"

namespace quill {

TGreetForm::TGreetForm(QWidget* parent) : TSplashForm(parent) {
  setupUi(this);
  const QColor white(Qt::white), lime(0, 255, 0);
  SetUpSplash(Image1, QSize(500, 375),
              {{Label1, 24, white, true, true}, {Label2, 12, white}, {Label3, 12, lime}});
}

}  // namespace quill
