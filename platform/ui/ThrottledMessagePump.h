#pragma once
// Letting window messages through during a long command that runs on the window's thread,
// at most once per interval: often enough that the window repaints and takes input, seldom
// enough that a fast loop does not spend its time painting after every step.

#include <chrono>
#include <functional>

namespace quill::platform {

class ThrottledMessagePump {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::milliseconds kDefaultInterval{10};

  /// The interval counts from now.
  explicit ThrottledMessagePump(std::chrono::milliseconds interval = kDefaultInterval,
                                Clock clock = std::chrono::steady_clock::now);

  /// One step of the command: lets the waiting messages through (Ui().ProcessMessages) when
  /// the interval has passed since they last were.
  void Step();
  /// True when the interval has passed, so that Step would let messages through; a caller
  /// that has work to do first (showing what it gathered) asks this, then calls Flush.
  bool Due() const;
  /// Lets them through now: before a modal dialog and when the command ends.
  void Flush();

 private:
  std::chrono::milliseconds interval_;
  Clock clock_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace quill::platform
