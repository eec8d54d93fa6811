#pragma once
// The attachment list dialog.

#include "platform/ui/Form.h"
#include "platform/ui/UiServices.h"
#include "ui_AtachForm.h"

namespace quill {

/// The path edit LabeledEdit1 with "参照", the attachment list ListBox1 with "追加",
/// "削除" and "クリア", and "Ｏｋ" (ends with 1); a close box, no Cancel.
class TAtachForm : public platform::TDialogForm, public Ui::TAtachForm {
 public:
  explicit TAtachForm(QWidget* parent = nullptr);

  platform::TFileDialog OpenDialog1{platform::TFileDialog::Kind::Open};

  // Handlers.
  void FormCreate();      ///< empties the attachment list
  void RefBtnClick();     ///< the chosen file's full path into the edit; cancel empties it
  void AddBtnClick();     ///< appends the edit's text: 4 Shift_JIS bytes or more, a regular file
  void DeleteBtnClick();  ///< removes the selected item, if any
  void ClearBtnClick();   ///< empties the attachment list
};

}  // namespace quill
