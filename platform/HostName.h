#pragma once
// The name of this machine, as the SMTP greeting sends it.

#include <string>

namespace quill::platform {

/// The local host name: the text up to its first NUL, at most 249 bytes; empty when the
/// system cannot tell it.
std::string LocalHostName();

}  // namespace quill::platform
