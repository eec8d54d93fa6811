#include <gtest/gtest.h>

#include "platform/ui/ThrottledMessages.h"
#include "support/ui/ScriptedUi.h"

namespace quill::platform {
namespace {

using namespace std::chrono_literals;

ThrottledMessages::Clock::time_point fakeNow{};
ThrottledMessages::Clock::time_point FakeClock() { return fakeNow; }

TEST(ThrottledMessagesTest, LetsMessagesThroughAtMostOncePer10MsAndAlwaysWhenAsked) {
  test::ScriptedUi ui;
  fakeNow = ThrottledMessages::Clock::time_point(1h);
  ThrottledMessages messages(&FakeClock);

  EXPECT_TRUE(messages.Due());
  messages.Step();  // the first step always goes through
  EXPECT_EQ(ui.processMessagesCalls, 1);
  fakeNow += 9ms;
  EXPECT_FALSE(messages.Due());
  messages.Step();
  messages.Step();
  EXPECT_EQ(ui.processMessagesCalls, 1);
  fakeNow += 1ms;
  EXPECT_TRUE(messages.Due());
  EXPECT_EQ(ui.processMessagesCalls, 1);  // asking lets nothing through
  messages.Step();
  EXPECT_EQ(ui.processMessagesCalls, 2);

  // The time spent handling the messages does not count as work.
  ui.onProcessMessages = [] { fakeNow += 50ms; };
  fakeNow += 10ms;
  messages.Step();
  EXPECT_EQ(ui.processMessagesCalls, 3);
  ui.onProcessMessages = nullptr;
  messages.Step();
  EXPECT_EQ(ui.processMessagesCalls, 3);

  // Before a modal dialog and at the end, whatever the time.
  messages.Now();
  messages.Now();
  EXPECT_EQ(ui.processMessagesCalls, 5);
  fakeNow += 5ms;
  messages.Step();
  EXPECT_EQ(ui.processMessagesCalls, 5);
}

}  // namespace
}  // namespace quill::platform
