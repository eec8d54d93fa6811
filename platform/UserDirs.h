#pragma once
// The user's home and configuration directories (native UTF-8 paths, no trailing "/").

#include <string>

namespace quill::platform {

/// $HOME when set and not empty, else the home directory of the user's account entry.
std::string HomeDirectory();

/// $XDG_CONFIG_HOME when it is an absolute path, else HomeDirectory() + "/.config" (an empty
/// or relative value counts as unset, as the base directory rules say).
std::string ConfigDirectory();

}  // namespace quill::platform
