#pragma once
// Vivove's about box.

#include "platform/ui/Form.h"
#include "ui_infoForm.h"

namespace vivove {

/// "Information": the program's name, release and rights notice, and the address of the web
/// page, which a click opens. No buttons: the close box ends it.
class TinfoForm : public quill::platform::TDialogForm, public Ui::TinfoForm {
 public:
  explicit TinfoForm(QWidget* parent = nullptr);

  // Handlers.
  void Label6Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vivove
