#pragma once
// Base64 in the standard alphabet with "=" padding (RFC 4648), on one line.

#include <string>
#include <string_view>

namespace quill {

/// The base64 form of `bytes`, without any line break; empty for empty input.
std::string Base64Encode(std::string_view bytes);

}  // namespace quill
