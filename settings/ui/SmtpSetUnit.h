#pragma once
// The SMTP account dialog: its layout.

#include "platform/ui/Form.h"
#include "ui_SmtpForm.h"

namespace quill {

/// The account chooser ComboBox1, the account's fields, the status line Label8 and the
/// buttons "新規登録", "変更", "削除" and "Ok" (ends with 1); a close box, no Cancel.
class TSmtpForm : public platform::TDialogForm, public Ui::TSmtpForm {
 public:
  explicit TSmtpForm(QWidget* parent = nullptr);
};

}  // namespace quill
