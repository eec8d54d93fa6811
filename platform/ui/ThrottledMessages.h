#pragma once
// Letting pending window messages through during a long command that runs inside a handler.
// A loop that would do it once per item (per address) pays about as much for the step as for
// its own work; doing it at most once per 10 ms of work looks the same to the user, who sees
// the window repainted and answered as often as the screen can show it.

#include <chrono>

namespace quill::platform {

class ThrottledMessages {
 public:
  using Clock = std::chrono::steady_clock;
  /// The least time of work between two steps that let messages through.
  static constexpr std::chrono::milliseconds kInterval{10};

  /// Measures the work with the system's coarse monotonic clock: reading it costs a few
  /// nanoseconds where the exact one costs tens, which counts in a step per address. Its
  /// resolution is added to the interval, so that steps are still never closer than kInterval.
  ThrottledMessages();
  /// Measures with `now`, taken as exact (tests give a clock of their own).
  explicit ThrottledMessages(Clock::time_point (*now)()) : now_(now) {}

  /// Where the command lets messages through: does so when kInterval has passed since the
  /// last time (the first call always does), through Ui().ProcessMessages().
  void Step();

  /// True when Step would let messages through now; a caller with work to do first (putting
  /// what it gathered into the window) asks this, then calls Now.
  bool Due() const;

  /// Lets messages through at once: before a modal dialog is shown, and at the end of the
  /// command, so that its last state is painted.
  void Now();

 private:
  Clock::time_point (*now_)();
  Clock::duration slack_{};  // the resolution of the clock
  Clock::time_point last_{};
  bool started_ = false;
};

}  // namespace quill::platform
