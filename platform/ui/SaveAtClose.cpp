#include "platform/ui/SaveAtClose.h"

#include <exception>

#include "platform/ui/Form.h"
#include "platform/ui/UiServices.h"

namespace quill::platform {

void SaveAtClose::Run(QWidget* owner, const std::function<void()>& save) {
  try {
    save();
  } catch (...) {
    if (!refused_) {
      refused_ = true;
      throw;
    }
    refused_ = false;
    Ui().ShowError(owner, ErrorText(std::current_exception()));
    return;
  }
  refused_ = false;
}

}  // namespace quill::platform
