#pragma once
// The mailer's splash window.

#include "platform/ui/SplashForm.h"
#include "ui_GreetForm.h"

namespace quill {

/// The splash shown before the main window: 500 x 375, closes itself after 3000 ms.
class TGreetForm : public platform::TSplashForm, public Ui::TGreetForm {
 public:
  explicit TGreetForm(QWidget* parent = nullptr);
};

}  // namespace quill
