#include <gtest/gtest.h>

#include "mailer/message/SjisToIso2022jp.h"
#include "platform/TextCodec.h"

namespace quill {
namespace {

using platform::Utf8ToSjis;

struct ConversionCase {
  const char* name;
  std::string sjis;
  std::string iso2022jp;
};

TEST(SjisToIso2022jpTest, ConvertsEachKindOfByte) {
  const ConversionCase cases[] = {
      {"empty", "", ""},
      {"ascii stays, no escape", "Hello, world.", "Hello, world."},
      {"kanji then ascii", Utf8ToSjis("テストabc"),
       "\x1b$B%F%9%H\x1b(B"
       "abc"},
      {"ends in kanji mode", Utf8ToSjis("abcテ"), "abc\x1b$B%F\x1b(B"},
      {"ideographic space 8140", "\x81\x40", "\x1b$B\x21\x21\x1b(B"},
      {"trail byte 80h and above", "\x88\x9f\xea\xa4", "\x1b$B\x30\x21\x74\x26\x1b(B"},
      {"half-width A1h full stop", "\xa1", "\x1b$B\x21\x23\x1b(B"},
      {"half-width B1h katakana A", "\xb1", "\x1b$B\x25\x22\x1b(B"},
      {"ka with voiced mark merges", "\xb6\xde", "\x1b$B\x25\x2c\x1b(B"},
      {"u with voiced mark", "\xb3\xde", "\x1b$B\x25\x74\x1b(B"},
      {"ha with semi-voiced mark", "\xca\xdf", "\x1b$B\x25\x51\x1b(B"},
      {"ho with voiced mark", "\xce\xde", "\x1b$B\x25\x5c\x1b(B"},
      {"a with voiced mark stays apart", "\xb1\xde", "\x1b$B\x25\x22\x21\x2b\x1b(B"},
      {"ka with semi-voiced mark stays apart", "\xb6\xdf", "\x1b$B\x25\x2b\x21\x2c\x1b(B"},
      {"lone marks", "\xde\xdf", "\x1b$B\x21\x2b\x21\x2c\x1b(B"},
      {"user-defined area dropped with its next byte",
       "a\xf0\x40"
       "b\xfc\xfc"
       "c",
       "abc"},
      {"user-defined area drops an ascii next byte",
       "\xf5"
       "ab",
       "b"},
      {"80h A0h FDh-FFh dropped",
       "a\x80\xa0\xfd\xfe\xff"
       "b",
       "ab"},
      {"lead byte with bad trail drops both",
       "a\x82\x20"
       "b\x82\x7f"
       "c",
       "abc"},
      {"lead byte at the end dropped", Utf8ToSjis("テ") + "\x88", "\x1b$B%F\x1b(B"},
      {"back to ascii between kanji", Utf8ToSjis("山田 太郎"), "\x1b$B;3ED\x1b(B \x1b$BB@O:\x1b(B"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SjisToIso2022jp(c.sjis), c.iso2022jp) << c.name;
  }
}

TEST(SjisToIso2022jpTest, EveryHalfWidthKatakanaMatchesItsFullWidthForm) {
  // The full-width forms, in Shift_JIS, of the half-width characters A1h..DFh.
  const std::string fullWidth = Utf8ToSjis(
      "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜");
  for (int kana = 0xA1; kana <= 0xDF; ++kana) {
    const std::size_t at = static_cast<std::size_t>(kana - 0xA1) * 2;
    EXPECT_EQ(SjisToIso2022jp(std::string(1, static_cast<char>(kana))),
              SjisToIso2022jp(fullWidth.substr(at, 2)))
        << std::hex << kana;
  }
}

}  // namespace
}  // namespace quill
