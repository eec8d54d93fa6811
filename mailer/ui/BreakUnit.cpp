#include "mailer/ui/BreakUnit.h"

#include "platform/ui/DialogParts.h"

namespace quill {

TBreakForm::TBreakForm(QWidget* parent) : TDialogForm(parent, platform::DialogFrame(false)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  platform::SetModalResult(Button1, this, 1);
  platform::SetModalResult(Button2, this, 2);
  setFixedSize(sizeHint().expandedTo(QSize(220, 90)));
  KeepCentredOnOwner();
}

void TBreakForm::FormShow() {
  // Every question opens on "中断", whichever button answered the last one.
  Button1->setFocus();
}

}  // namespace quill
