#pragma once
// The question whether to save the run log, asked when the main window closes.

#include "platform/ui/Form.h"
#include "ui_StatusForm.h"

namespace quill {

/// "ログを保存しますか？": "Ｙｅｓ" ends with 1, "Ｎｏ" with 2. No close box; Escape and
/// Enter answer nothing.
class TStatusForm : public platform::TDialogForm, public Ui::TStatusForm {
 public:
  explicit TStatusForm(QWidget* parent = nullptr);
};

}  // namespace quill
