#pragma once
// The dialog of the deletion run: a note, a progress bar, the start button that marks the
// later copies of every entry, and Cancel.

#include "platform/ui/Form.h"
#include "ui_ParamForm.h"

namespace vivove {

/// "重複アドレスの削除": "削除開始" marks every later copy among the loaded entries while the
/// bar advances, then ends with 1; "Cancel" and the close box end with 2 without marking.
/// The marking lets no window messages through and cannot be cancelled.
class TParamForm : public quill::platform::TDialogForm, public Ui::TParamForm {
 public:
  explicit TParamForm(QWidget* parent = nullptr);

  // Handlers.
  void Button1Click();

  /// The last marking ran out of memory and marked nothing.
  bool OutOfMemory = false;
};

}  // namespace vivove
