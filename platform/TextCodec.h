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

/// Shift_JIS bytes to UTF-8, lossless as described above. Line ends are kept as they are.
std::string SjisToUtf8(std::string_view sjis);

/// UTF-8 to Shift_JIS bytes. The private-use code points above give back their byte; a
/// character that CP932 cannot hold, and a malformed UTF-8 byte, give "?".
std::string Utf8ToSjis(std::string_view utf8);

}  // namespace quill::platform
