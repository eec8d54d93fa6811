// The main window's settings menu: the SMTP account dialog.
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/ui/Form.h"
#include "settings/ui/SmtpSetUnit.h"

namespace quill {

void TMainForm::BindSettingsCommands() {
  connect(Font1, &QAction::triggered, this, platform::Handler(this, &TMainForm::Font1Click));
}

void TMainForm::Font1Click() {
  // The dialog acts on the account store at once; its result says nothing.
  platform::Ui().ShowModal(*SmtpForm);
}

}  // namespace quill
