#pragma once
// Shift_JIS (code page 932) <-> UTF-8 at the edges of the system.
//
// Decoding is lossless for every byte sequence: a byte that forms no CP932 character (0x80,
// 0xA0, 0xFD..0xFF, a lead byte without a valid trail byte, a pair that CP932 does not map
// one-to-one) decodes to a private-use code point U+F780 + (byte - 0x80), a range that CP932
// itself never uses, and encodes back to that byte. So a text decoded and encoded unchanged
// gives its bytes back exactly.

#include <string>
#include <string_view>

namespace quill::platform {

/// Whether `b` is the first byte of a double-byte Shift_JIS (CP932) character: 81h..9Fh or
/// E0h..FCh. Code that walks Shift_JIS text a character at a time asks this.
constexpr bool IsSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

/// Whether `b` can be the second byte of a double-byte Shift_JIS character: 40h..7Eh or
/// 80h..FCh.
constexpr bool IsSjisTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

/// Shift_JIS bytes to UTF-8, lossless as described above. Line ends are kept as they are.
std::string SjisToUtf8(std::string_view sjis);

/// UTF-8 to Shift_JIS bytes. The private-use code points above give back their byte; a
/// character that CP932 cannot hold, and a malformed UTF-8 byte, give "?".
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace quill::platform
