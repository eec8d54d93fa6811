#pragma once
// Reading and writing UTF-8 one code point at a time.

#include <string>
#include <string_view>

namespace quill::platform {

/// A code point that stands for a malformed sequence.
inline constexpr char32_t kUtf8Malformed = 0xFFFD;

/// The code point of `s` at `i`, moving `i` past it. A malformed, overlong or surrogate
/// sequence gives kUtf8Malformed and consumes one byte. `i` must be below s.size().
char32_t NextUtf8(std::string_view s, size_t& i);

/// Appends the UTF-8 bytes of `cp`.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace quill::platform
