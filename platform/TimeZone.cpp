#include "platform/TimeZone.h"

namespace quill::platform {

std::optional<long> UtcOffsetSeconds(std::time_t when) {
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return std::nullopt;
  return local.tm_gmtoff;
}

}  // namespace quill::platform
