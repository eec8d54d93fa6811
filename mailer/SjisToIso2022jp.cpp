#include "mailer/SjisToIso2022jp.h"

#include <array>
#include <cstdint>

namespace quill {
namespace {

constexpr std::string_view kToKanji = "\x1b$B";
constexpr std::string_view kToAscii = "\x1b(B";
constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

// JIS X 0208 codes of the full-width forms of the half-width katakana A1h..DFh.
constexpr std::array<std::uint16_t, 0xDF - 0xA1 + 1> kFullWidthKana = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523,  // A1..A8
    0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543, 0x213C,  // A9..B0
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F,  // B1..B8
    0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F,  // B9..C0
    0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D,  // C1..C8
    0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E, 0x255F,  // C9..D0
    0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256A,  // D1..D8
    0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,          // D9..DF
};

bool HasVoicedForm(unsigned char kana) {
  return (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
}
bool HasSemiVoicedForm(unsigned char kana) { return kana >= 0xCA && kana <= 0xCE; }
bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF); }
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The standard Shift_JIS to JIS X 0208 arithmetic for a valid lead and trail byte.
std::uint16_t SjisPairToJis(unsigned char lead, unsigned char trail) {
  unsigned row = (lead - (lead <= 0x9F ? 0x70u : 0xB0u)) << 1;
  unsigned cell;
  if (trail < 0x9F) {
    row -= 1;
    cell = trail - (trail >= 0x80 ? 0x20u : 0x1Fu);
  } else {
    cell = trail - 0x7Eu;
  }
  return static_cast<std::uint16_t>(row << 8 | cell);
}

class Iso2022jpOutput {
 public:
  void ascii(unsigned char b) {
    if (kanji_) {
      out_ += kToAscii;
      kanji_ = false;
    }
    out_ += static_cast<char>(b);
  }
  void jis(std::uint16_t code) {
    if (!kanji_) {
      out_ += kToKanji;
      kanji_ = true;
    }
    out_ += static_cast<char>(code >> 8);
    out_ += static_cast<char>(code & 0xFF);
  }
  std::string finish() {
    if (kanji_) out_ += kToAscii;
    return std::move(out_);
  }

 private:
  std::string out_;
  bool kanji_ = false;
};

}  // namespace

std::string SjisToIso2022jp(std::string_view sjis) {
  Iso2022jpOutput out;
  const std::size_t n = sjis.size();
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(sjis[i]); };
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char b = at(i);
    if (b < 0x80) {
      out.ascii(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      std::uint16_t code = kFullWidthKana[b - 0xA1];
      const int next = i + 1 < n ? at(i + 1) : -1;
      if (next == kVoicedMark && b == 0xB3) {
        code = 0x2574;  // ヴ
        ++i;
      } else if (next == kVoicedMark && HasVoicedForm(b)) {
        code += 1;
        ++i;
      } else if (next == kSemiVoicedMark && HasSemiVoicedForm(b)) {
        code += 2;
        ++i;
      }
      out.jis(code);
    } else if (IsLeadByte(b)) {
      if (i + 1 < n && IsTrailByte(at(i + 1))) out.jis(SjisPairToJis(b, at(i + 1)));
      ++i;  // the pair is consumed, converted or dropped
    } else if (b >= 0xF0 && b <= 0xFC) {
      ++i;  // user-defined area: no JIS code; the second byte goes with it
    }
    // 80h, A0h and FDh..FFh form no character and are dropped.
  }
  return out.finish();
}

}  // namespace quill
