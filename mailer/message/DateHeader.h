#pragma once
// The value of the "Date" header line.

#include <ctime>
#include <string>

namespace quill {

/// "Tue, 8 Dec 2026 10:44:06 +0900": English day and month names, the day without a leading
/// zero, the 24-hour time, and the zone as sign and four digits ("+" for zero and east of UTC).
/// `now` is the moment in UTC; `utcOffsetSeconds` how far local time is ahead of UTC then.
std::string FormatDateValue(std::time_t now, long utcOffsetSeconds);

}  // namespace quill
