#pragma once
// Recognising and converting the three Japanese encodings: JIS (ISO-2022-JP), EUC-JP and
// Shift_JIS. Every operation takes a byte string and gives a new one; none keeps state,
// reports an error or rejects input.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quill {

/// Code values: what DetectKanjiCode finds, and the targets of ConvertKanjiCode (only jcJis,
/// jcEuc and jcSjis lead to a conversion).
enum KanjiCode : int {
  jcAscii = 0,      ///< nothing decided (7-bit text, or 8-bit text on which no rule fired)
  jcBinary = 1,     ///< a byte below 0x08 or 0xFF was met
  jcJis = 2,        ///< JIS with ESC $ B
  jcJis78 = 3,      ///< JIS with ESC $ @
  jcEuc = 4,        ///< EUC-JP
  jcSjis = 5,       ///< Shift_JIS
  jcEucOrSjis = 6,  ///< EUC-JP or Shift_JIS, undecided
};

/// Two bytes of JIS X 0208 (row, cell) or of Shift_JIS (lead, trail).
using BytePair = std::array<uint8_t, 2>;

/// The cell of the full-width JIS X 0208 character for each half-width katakana, indexed by
/// the katakana byte with its top bit cleared, less 0x21 (Shift_JIS 0xA1..0xDF). The row is
/// 0x21 for ｡ ｢ ｣ ､ ･ ｰ ﾞ ﾟ and 0x25 (katakana) for all others.
extern const std::array<uint8_t, 63> KanaTable;

/// The code of `text`: a pre-scan of its first 512 bytes (never its last byte) for binary
/// bytes, then a scan in which the first decisive byte wins.
int DetectKanjiCode(std::string_view text);

/// `text` converted to `target` when it is recognised as JIS, EUC-JP or Shift_JIS and the
/// table of converters has one for the pair; otherwise `text` unchanged.
std::string ConvertKanjiCode(std::string_view text, int target);

// Whole-string converters. The JIS writers enter kanji mode with ESC $ B and return with
// ESC ( J before every CR, LF and single-byte character, adding nothing at the end. Input that
// ends inside a unit of several bytes adds nothing for that unit; nothing is read past the end.
std::string SjisToJis(std::string_view text);
std::string EucToJis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string SjisToEuc(std::string_view text);
std::string JisToSjis(std::string_view text);
std::string EucToSjis(std::string_view text);

/// The standard Shift_JIS <-> JIS X 0208 arithmetic on any two bytes, modulo 256.
BytePair SjisPairToJis(uint8_t lead, uint8_t trail);
BytePair JisPairToSjis(uint8_t row, uint8_t cell);

/// The full-width JIS code of the half-width katakana at `pos` (Shift_JIS 0xA1..0xDF), with a
/// following voiced (0xDE) or semi-voiced (0xDF) mark merged where the character has that
/// form; `pos` moves past the bytes consumed. Any other byte gives the substitute 0x22 0x2E.
BytePair SjisKanaToJis(std::string_view text, size_t& pos);

/// The same for EUC-JP: `pos` is at a 0x8E byte that has a byte after it, and the marks are
/// the pairs 0x8E 0xDE and 0x8E 0xDF. A second byte outside 0xA1..0xDF gives the substitute
/// 0x22 0x2E, both bytes consumed.
BytePair EucKanaToJis(std::string_view text, size_t& pos);

}  // namespace quill
