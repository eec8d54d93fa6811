#pragma once
// The question whether to stop the send run, asked while Escape is held down.

#include "platform/ui/Form.h"
#include "ui_BreakForm.h"

namespace quill {

/// "送信を中断しますか？": "中断" (focused when the question opens) ends with 1, "継続"
/// with 2. No title-bar buttons; Escape and Enter answer nothing.
class TBreakForm : public platform::TDialogForm, public Ui::TBreakForm {
 public:
  explicit TBreakForm(QWidget* parent = nullptr);

 protected:
  void FormShow() override;  ///< centred on the main window, the focus on "中断"
};

}  // namespace quill
