#pragma once
// Reading a whole file into memory.

#include <string>

namespace quill::platform {

/// The whole content of the file at `path` (native path) as bytes. Throws quill::Error when
/// the file cannot be opened or a read fails (a directory counts as unreadable).
std::string ReadWholeFile(const std::string& path);

}  // namespace quill::platform
