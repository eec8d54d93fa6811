#include "settings/ui/SmtpSetUnit.h"

#include "platform/ui/DialogParts.h"

namespace quill {

TSmtpForm::TSmtpForm(QWidget* parent) : TDialogForm(parent, platform::DialogFrame(true)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  // Every character of the password shows as "*".
  PasswordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
  platform::SetModalResult(EndBtn, this, 1);
  setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
}

}  // namespace quill
