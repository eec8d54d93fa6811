#include "mailer/message/DateHeader.h"

#include <cstdio>
#include <cstdlib>

namespace quill {

std::string FormatDateValue(std::time_t now, long utcOffsetSeconds) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t localAsUtc = now + utcOffsetSeconds;
  std::tm local{};
  gmtime_r(&localAsUtc, &local);
  // The zone is whole minutes, like the platform's bias; seconds of an old local mean time drop.
  const long zoneMinutes = std::labs(utcOffsetSeconds) / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                local.tm_hour, local.tm_min, local.tm_sec,
                utcOffsetSeconds < 0 && zoneMinutes > 0 ? '-' : '+', zoneMinutes / 60,
                zoneMinutes % 60);
  return text;
}

}  // namespace quill
