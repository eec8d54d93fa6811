#include <gtest/gtest.h>

#include "platform/ui/ThrottledMessagePump.h"
#include "support/ui/ScriptedUi.h"

namespace quill::platform {
namespace {

using namespace std::chrono_literals;

TEST(ThrottledMessagePump, LetsMessagesThroughAtMostOncePerIntervalAndAlwaysOnFlush) {
  test::ScriptedUi ui;
  std::chrono::steady_clock::time_point now{};
  ThrottledMessagePump pump(10ms, [&] { return now; });
  std::vector<int> pumpedAt;
  ui.onProcessMessages = [&] {
    pumpedAt.push_back(static_cast<int>((now - std::chrono::steady_clock::time_point{}) / 1ms));
  };
  for (int ms : {0, 3, 9, 10, 12, 19, 21, 40}) {
    now = std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(ms);
    pump.Step();
  }
  EXPECT_EQ(pumpedAt, (std::vector<int>{10, 21, 40}));
  pump.Flush();  // a modal dialog follows: always, and the interval starts anew
  now += 5ms;
  pump.Step();
  EXPECT_EQ(pumpedAt, (std::vector<int>{10, 21, 40, 40}));
  now += 5ms;
  pump.Step();
  EXPECT_EQ(pumpedAt, (std::vector<int>{10, 21, 40, 40, 50}));
}

}  // namespace
}  // namespace quill::platform
