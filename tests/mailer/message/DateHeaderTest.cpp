#include <gtest/gtest.h>

#include <cstdlib>

#include "mailer/message/DateHeader.h"
#include "platform/TimeZone.h"

namespace quill {
namespace {

TEST(DateHeaderTest, FormatsLocalTimeWithEnglishNamesAndNumericZone) {
  struct Case {
    const char* name;
    std::time_t now;
    long offset;
    const char* value;
  };
  const std::time_t tuesdayMorningInTokyo = 1796694246;  // 2026-12-08 01:44:06 UTC
  const Case cases[] = {
      {"japan", tuesdayMorningInTokyo, 9 * 3600, "Tue, 8 Dec 2026 10:44:06 +0900"},
      {"utc is plus", tuesdayMorningInTokyo, 0, "Tue, 8 Dec 2026 01:44:06 +0000"},
      {"west of utc, day before", tuesdayMorningInTokyo, -5 * 3600,
       "Mon, 7 Dec 2026 20:44:06 -0500"},
      {"half-hour zone west", tuesdayMorningInTokyo, -(3 * 3600 + 1800),
       "Mon, 7 Dec 2026 22:14:06 -0330"},
      {"leap day into March", 1709251199, 3600, "Fri, 1 Mar 2024 00:59:59 +0100"},
      {"new year, 45-minute zone", 946681200, 5 * 3600 + 45 * 60, "Sat, 1 Jan 2000 04:45:00 +0545"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateValue(c.now, c.offset), c.value) << c.name;
}

TEST(TimeZoneTest, OffsetFollowsTheZoneAndItsDaylightTime) {
  const char* saved = std::getenv("TZ");
  const std::string savedValue = saved ? saved : "";
  struct Case {
    const char* zone;
    std::time_t when;
    long offset;
  };
  const Case cases[] = {
      {"JST-9", 1796694246, 9 * 3600},
      {"EST5EDT,M3.2.0,M11.1.0", 1796694246, -5 * 3600},  // December: standard time
      {"EST5EDT,M3.2.0,M11.1.0", 1783000000, -4 * 3600},  // July: daylight time
      {"UTC0", 1796694246, 0},
  };
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    EXPECT_EQ(platform::UtcOffsetSeconds(c.when), c.offset) << c.zone;
  }
  if (saved) {
    setenv("TZ", savedValue.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace
}  // namespace quill
