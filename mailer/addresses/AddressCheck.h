#pragma once
// Cutting the address out of an address-file line and checking its syntax.
//
// Separators between the fields of a line are the comma, the ASCII blank and the ideographic
// blank (the Shift_JIS pair 0x81 0x40). Everything works on bytes; nothing is converted.

#include <string_view>

namespace quill {

/// The line without its leading separators. Walks from the first byte: a comma or blank
/// moves one byte on, the pair 0x81 0x40 two; the walk stops at any other byte, and also as
/// soon as it has reached the last byte of the line (so a comma or blank in the last position
/// after a run of separators is kept, unless the line is that one byte). Views `line`.
std::string_view SkipLeadingSeparators(std::string_view line);

/// The bytes of `line` before its first comma, blank or pair 0x81 0x40, or the whole line when
/// it holds none. The pair is found by plain byte search, also where 0x81 is the second byte of
/// a double-byte character followed by '@'. Views `line`.
std::string_view CutAtSeparator(std::string_view line);

/// The address of a line: its first field, CutAtSeparator(SkipLeadingSeparators(line)).
std::string_view FirstField(std::string_view line);

/// Class of the first byte of `text` (an empty text counts as the byte 0): 0 a word byte
/// ('-', '0'..'9', 'A'..'Z', '_', 'a'..'z'), 1 '.', 2 '@', 3 ' ', 4 ',', 5 any other byte.
int CharClass(std::string_view text);

/// 0 when `address` is a valid address, else the reason code 1..26 of the first fault:
/// 1 leading '.', 2 ".." in the local part, 3 '.' right after '@', 4 ".." after the domain's
/// first label, 5 ".." later in the domain, 6 leading '@', 7 '@' right after a dot, 8 a second
/// '@', 9..16 a blank (9 + state up to 15, 16 right after a later dot of the domain), 17..24 a
/// comma (likewise), 25 a byte of class 5, 26 ended too early (empty, no '@', no dot after the
/// '@', trailing dot). A blank or comma behind a whole address ends the check; what follows
/// only counts when it holds '@' (8) or a byte of class 5 (25).
int CheckAddress(std::string_view address);

}  // namespace quill
