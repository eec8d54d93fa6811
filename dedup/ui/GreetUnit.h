#pragma once
// Vivove's splash window.

#include "platform/ui/SplashForm.h"
#include "ui_greetForm.h"

namespace vivove {

/// The splash shown before Vivove's main window: 499 x 373 (the picture cut off, not
/// scaled), closes itself after 3000 ms.
class TgreetForm : public quill::platform::TSplashForm, public Ui::TgreetForm {
 public:
  explicit TgreetForm(QWidget* parent = nullptr);
};

}  // namespace vivove
