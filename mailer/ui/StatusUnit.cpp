#include "mailer/ui/StatusUnit.h"

#include <QPalette>

#include "platform/ui/DialogParts.h"

namespace quill {

TStatusForm::TStatusForm(QWidget* parent) : TDialogForm(parent, platform::DialogFrame(false)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::yellow);
  setPalette(background);
  setAutoFillBackground(true);

  QFont question = platform::FormFont(16);
  question.setBold(true);
  Label1->setFont(question);
  QPalette fuchsia = Label1->palette();
  fuchsia.setColor(QPalette::WindowText, QColor(255, 0, 255));
  Label1->setPalette(fuchsia);
  QFont bold = platform::FormFont(12);
  bold.setBold(true);
  Button1->setFont(bold);
  Button2->setFont(bold);

  platform::SetModalResult(Button1, this, 1);
  platform::SetModalResult(Button2, this, 2);
  setFixedSize(214, 101);
  KeepCentredOnOwner();
}

}  // namespace quill
