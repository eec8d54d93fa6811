#include "platform/ui/ThrottledMessages.h"

#include "platform/ui/UiServices.h"

namespace quill::platform {

void ThrottledMessages::Step() {
  if (started_ && now_() - last_ < kInterval) return;
  Now();
}

void ThrottledMessages::Now() {
  Ui().ProcessMessages();
  // The time of the messages' own handling does not count as work.
  last_ = now_();
  started_ = true;
}

}  // namespace quill::platform
