#pragma once
// The local time zone's offset from UTC.

#include <ctime>
#include <optional>

namespace quill::platform {

/// Seconds that local time is ahead of UTC at the moment `when` (negative west of UTC),
/// daylight saving included; nothing when the time zone information cannot be read.
std::optional<long> UtcOffsetSeconds(std::time_t when);

}  // namespace quill::platform
