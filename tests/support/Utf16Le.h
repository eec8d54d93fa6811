#pragma once
// Text as registry editors write their export files: UTF-16LE after a byte-order mark.

#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace quill::test {

/// The UTF-16LE bytes of the UTF-8 text `utf8`, after the mark FF FE.
inline std::string Utf16LeWithBom(std::string_view utf8) {
  std::string out = "\xFF\xFE";
  auto unit = [&out](char32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8 & 0xFF);
  };
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = platform::NextUtf8(utf8, i);
    if (cp < 0x10000) {
      unit(cp);
    } else {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

}  // namespace quill::test
