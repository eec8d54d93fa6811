#include "platform/HostName.h"

#include <unistd.h>

#include <cstring>

namespace quill::platform {

std::string LocalHostName() {
  char buffer[250] = {};
  if (gethostname(buffer, sizeof buffer) != 0) return {};
  // A name that does not fit may be left without its NUL.
  return std::string(buffer, strnlen(buffer, sizeof buffer - 1));
}

}  // namespace quill::platform
