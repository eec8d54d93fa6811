#pragma once
// The progress window of the duplicate pass over a loaded address list.

#include "platform/ui/Form.h"
#include "ui_DblChkPrgForm.h"

namespace quill {

/// Shown without being modal while the duplicate pass runs; ProgressBar1 (0..100) tells how
/// far it is. No buttons and no title-bar buttons.
class TDblChkPrgForm : public platform::TDialogForm, public Ui::TDblChkPrgForm {
 public:
  explicit TDblChkPrgForm(QWidget* parent = nullptr);
};

}  // namespace quill
