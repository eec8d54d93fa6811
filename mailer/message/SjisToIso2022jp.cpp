#include "mailer/message/SjisToIso2022jp.h"

#include "mailer/jconvert/jconvert.h"
#include "platform/TextCodec.h"

namespace quill {
namespace {

constexpr std::string_view kToKanji = "\x1b$B";
constexpr std::string_view kToAscii = "\x1b(B";

// Not the Shift_JIS lead-byte test: the lead bytes of the user-defined area, F0h..FCh, are
// left out, since JIS X 0208 has no code for those characters and they are dropped instead.
bool IsJisX0208LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
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
  void jis(BytePair code) {
    if (!kanji_) {
      out_ += kToKanji;
      kanji_ = true;
    }
    out_ += static_cast<char>(code[0]);
    out_ += static_cast<char>(code[1]);
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
      // Half-width katakana become full-width, merging a following voiced or semi-voiced
      // mark, exactly as the code converter does.
      std::size_t pos = i;
      out.jis(SjisKanaToJis(sjis, pos));
      i = pos - 1;
    } else if (IsJisX0208LeadByte(b)) {
      if (i + 1 < n && platform::IsSjisTrailByte(at(i + 1))) out.jis(SjisPairToJis(b, at(i + 1)));
      ++i;  // the pair is consumed, converted or dropped
    } else if (b >= 0xF0 && b <= 0xFC) {
      ++i;  // user-defined area: no JIS code; the second byte goes with it
    }
    // 80h, A0h and FDh..FFh form no character and are dropped.
  }
  return out.finish();
}

}  // namespace quill
