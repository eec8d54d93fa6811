#pragma once
// The failure of a file operation, as the file module reports it.

#include <cstring>
#include <string>
#include <string_view>

#include "platform/Error.h"
#include "platform/TextCodec.h"

namespace quill::platform {

/// An Error whose text names what failed, the file and the system's reason for `err`, as in:
/// Cannot write file "/home/u/log.txt". No space left on device. File paths and strerror texts
/// are UTF-8; the text of an Error is Shift_JIS.
inline Error FileError(std::string_view doing, const std::string& path, int err) {
  return Error(Utf8ToSjis(std::string(doing) + " \"" + path + "\". " + std::strerror(err)));
}

}  // namespace quill::platform
