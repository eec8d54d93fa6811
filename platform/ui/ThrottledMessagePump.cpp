#include "platform/ui/ThrottledMessagePump.h"

#include "platform/ui/UiServices.h"

namespace quill::platform {

ThrottledMessagePump::ThrottledMessagePump(std::chrono::milliseconds interval, Clock clock)
    : interval_(interval), clock_(std::move(clock)), last_(clock_()) {}

bool ThrottledMessagePump::Due() const { return clock_() - last_ >= interval_; }

void ThrottledMessagePump::Step() {
  if (Due()) Flush();
}

void ThrottledMessagePump::Flush() {
  Ui().ProcessMessages();
  // Counted from the end of the step, so a slow repaint does not make the next one due at once.
  last_ = clock_();
}

}  // namespace quill::platform
