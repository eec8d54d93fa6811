#pragma once
// The message writer's conversion of Shift_JIS text to ISO-2022-JP, used for header words and
// for the body lines of a message without attachments.

#include <string>
#include <string_view>

namespace quill {

/// Converts one text (a header value or one body line) from Shift_JIS to ISO-2022-JP.
/// - ASCII bytes stay; before one that follows double-byte text, ESC ( B is written.
/// - Double-byte characters and half-width katakana become JIS X 0208 after ESC $ B; a
///   half-width katakana followed by a voiced or semi-voiced mark becomes one character
///   where such a character exists.
/// - Bytes that form no character are dropped: 80h, A0h, FDh..FFh, a lead byte without a
///   valid second byte (together with that byte, if any), and the user-defined area F0h..FCh
///   together with the byte after it.
/// - The result always ends in ASCII mode: ESC ( B closes double-byte text at the end.
std::string SjisToIso2022jp(std::string_view sjis);

}  // namespace quill
