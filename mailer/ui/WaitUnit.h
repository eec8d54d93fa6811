#pragma once
// The timed wait between two groups of a send run.

#include <QTimer>

#include "platform/ui/Form.h"
#include "ui_WaitForm.h"

namespace quill {

/// "ただ今、次の送信を待っています。" on a window without title bar: its modal display ends
/// by itself (result 2) WaitSeconds() seconds after it was shown; the user cannot end it.
class TWaitForm : public platform::TDialogForm, public Ui::TWaitForm {
 public:
  explicit TWaitForm(QWidget* parent = nullptr);

  /// How many seconds the next showing lasts (1 after creation); taken when it is shown.
  int WaitSeconds() const { return FWaitSeconds; }
  void SetWaitSeconds(int seconds) { FWaitSeconds = seconds; }

  QTimer* Timer1;

  // Handlers.
  void FormCreate();   ///< Timer1 disabled, one second
  void Timer1Timer();  ///< Timer1 disabled, the wait closed

 protected:
  void FormShow() override;  ///< Timer1 set to the wait and started
  void closeEvent(QCloseEvent* event) override;

 private:
  int FWaitSeconds = 1;
};

}  // namespace quill
