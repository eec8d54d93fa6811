#include "platform/ui/ThrottledMessages.h"

#include <time.h>

#include "platform/ui/UiServices.h"

namespace quill::platform {
namespace {

using Clock = ThrottledMessages::Clock;

Clock::duration Duration(const timespec& t) {
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Only differences of two readings count, so the coarse clock's own epoch does not matter.
Clock::time_point CoarseNow() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(Duration(t)));
}

Clock::duration CoarseResolution() {
  timespec t{};
  if (clock_getres(CLOCK_MONOTONIC_COARSE, &t) != 0) return std::chrono::milliseconds(10);
  return std::chrono::duration_cast<Clock::duration>(Duration(t));
}

}  // namespace

ThrottledMessages::ThrottledMessages() : now_(&CoarseNow), slack_(CoarseResolution()) {}

bool ThrottledMessages::Due() const { return !started_ || now_() - last_ >= kInterval + slack_; }

void ThrottledMessages::Step() {
  if (Due()) Now();
}

void ThrottledMessages::Now() {
  Ui().ProcessMessages();
  // The time of the messages' own handling does not count as work.
  last_ = now_();
  started_ = true;
}

}  // namespace quill::platform
