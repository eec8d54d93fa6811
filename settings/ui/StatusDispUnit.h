#pragma once
// The dialog that sets what the run log shows and whether a send error stops the run.

#include <QButtonGroup>

#include "platform/ui/Form.h"
#include "ui_StatusDisp.h"

namespace quill {

/// CheckBox1, RadioGroup1 and SendErrorBreak, filled and read back by the main window;
/// "Ok" ends with 1. No close box and no handlers of its own.
class TStatusDisp : public platform::TDialogForm, public Ui::TStatusDisp {
 public:
  explicit TStatusDisp(QWidget* parent = nullptr);

  /// The chosen item of RadioGroup1 (0..2), -1 when none is chosen.
  int ItemIndex() const;
  /// Chooses item `index`, held within -1..2: below 0 chooses none, above 2 the last item.
  void SetItemIndex(int index);

 private:
  QButtonGroup* items_;
};

}  // namespace quill
