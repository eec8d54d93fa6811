#include <gtest/gtest.h>
#include <iconv.h>

#include <random>

#include "mailer/jconvert/jconvert.h"

namespace quill {
namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

const std::string kCrLf = "\r\n";
const std::string kToKanji = "\x1b$B";
const std::string kToRoman = "\x1b(J";

struct DetectRow {
  const char* name;
  std::string text;
  int code;
};

TEST(JconvertTest, DetectsTheCodeByTheFirstDecisiveByte) {
  std::string binaryLate(600, 'a');
  binaryLate[550] = 0x01;
  std::string sjisThenBinary = B({0x82, 0xA0}) + std::string(600, 'a');
  sjisThenBinary[560] = 0x02;
  const DetectRow rows[] = {
      {"empty", "", jcAscii},
      {"one byte", B({0xFF}), jcAscii},
      {"ascii line", "abc\r\n", jcAscii},
      {"sjis a", B({0x82, 0xA0, 0x0D, 0x0A}), jcSjis},
      {"euc a", B({0xA4, 0xA2, 0x0D, 0x0A}), jcEucOrSjis},
      {"kana two", B({0xB1, 0xB2, 0x0D, 0x0A}), jcEucOrSjis},
      {"kana three", B({0xB1, 0xB2, 0xB3, 0x0D, 0x0A}), jcSjis},
      {"binary byte", B({'a', 0x07, 'b'}), jcBinary},
      {"tab is text", B({'a', 0x09, 'b'}), jcAscii},
      {"binary last byte ignored", B({'a', 'b', 0x01}), jcAscii},
      {"0xFF early", B({'a', 0xFF, 'b'}), jcBinary},
      {"binary after 512 undecided", binaryLate, jcBinary},
      {"binary after 512 decided", sjisThenBinary, jcSjis},
      {"jis", "ab\x1b$B\x46\x7c\x1b(B", jcJis},
      {"jis78", "\x1b$@\x46\x7c", jcJis78},
      {"esc ( decides nothing", "\x1b(Bab", jcAscii},
      {"esc $ at end", "a\x1b$", jcAscii},
      {"undecided pair b1 a0", B({0xB1, 0xA0}), jcAscii},
      {"undecided pair a0 82", B({0xA0, 0x82}), jcAscii},
      {"run test euc", B({0xB1, 0xE0, 0xA1, 0xFD, 0x0D, 0x0A}), jcEuc},
      {"run test sjis", B({0xB1, 0xE0, 0xA1, 0x82, 0x0D, 0x0A}), jcSjis},
      {"run ends at low byte", B({0xB1, 0xE0, 0x30, 0x82, 0x0D, 0x0A}), jcSjis},
      {"run byte 9d goes on", B({0xB1, 0xE0, 0x9D, 0x0D, 0x0A}), jcEucOrSjis},
      {"8e then a1", B({0x8E, 0xA1, 'a'}), jcEucOrSjis},
      {"8e then 40", B({0x8E, 0x40, 'a'}), jcSjis},
      {"8e then 30", B({0x8E, 0x30, 'a'}), jcAscii},
      {"f0 is euc", B({0xF0, 0xA1, 'a'}), jcEuc},
      {"e0 then 40", B({0xE0, 0x40, 'a'}), jcSjis},
      {"e0 then fd", B({0xE0, 0xFD, 'a'}), jcEuc},
      {"e0 then a1", B({0xE0, 0xA1, 'a'}), jcEucOrSjis},
      {"e0 then 30", B({0xE0, 0x30, 'a'}), jcAscii},
      {"a1 then f0", B({0xA1, 0xF0, 'a'}), jcEuc},
      {"euc-or-sjis replaced", B({0xA4, 0xA2, 0x82, 0xA0}), jcSjis},
  };
  for (const auto& row : rows) EXPECT_EQ(DetectKanjiCode(row.text), row.code) << row.name;
}

TEST(JconvertTest, ShiftJisToJisWithRomanShiftsAndNothingAtTheEnd) {
  const std::string sjis =
      B({0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 0x83, 0x65, 0x83, 0x58, 0x83, 0x67}) + kCrLf + "abc" +
      kCrLf;
  const std::string jis =
      kToKanji + B({0x46, 0x7C, 0x4B, 0x5C, 0x38, 0x6C, 0x25, 0x46, 0x25, 0x39, 0x25, 0x48}) +
      kToRoman + kCrLf + "abc" + kCrLf;
  EXPECT_EQ(ConvertKanjiCode(sjis, jcJis), jis);
  EXPECT_EQ(ConvertKanjiCode(B({0xB1, 0xB2, 0xB3, 0x0D, 0x0A}), jcJis),
            kToKanji + B({0x25, 0x22, 0x25, 0x24, 0x25, 0x26}) + kToRoman + kCrLf);
  EXPECT_EQ(SjisToJis(B({0xCA, 0xDF})), kToKanji + B({0x25, 0x51}));  // nothing behind
  // Bytes that form no character go through the arithmetic all the same.
  EXPECT_EQ(SjisToJis(B({0x80, 0x40, 0xA0, 0x40, 0xFD, 0x40})),
            kToKanji + B({0x1F, 0x21, 0xDF, 0x21, 0x99, 0x21}));
  EXPECT_EQ(SjisToJis(B({0x82, 'a'})), kToKanji + B({0x23, 0x42}));  // lead byte + ASCII
  EXPECT_EQ(SjisToJis("a" + B({0x82})), "a");  // a lead byte at the end adds nothing
}

TEST(JconvertTest, OutputsFarLongerThanTheInputComeOutWhole) {
  // Half-width katakana between ASCII letters: every character changes the mode, so the JIS
  // text is four and a half times the input, far beyond what the converter reserves.
  std::string sjis, jis, euc;
  for (int i = 0; i < 20'000; ++i) {
    const auto letter = static_cast<char>('a' + i % 26);
    sjis += B({0xB1}) + letter;
    jis += kToKanji + B({0x25, 0x22}) + kToRoman + letter;
    euc += B({0x8E, 0xB1}) + letter;
  }
  EXPECT_EQ(SjisToJis(sjis), jis);
  EXPECT_EQ(SjisToEuc(sjis), euc);
  EXPECT_EQ(EucToJis(euc), jis);
  EXPECT_EQ(EucToSjis(euc), sjis);
}

TEST(JconvertTest, HalfWidthKatakanaMergeTheirMarks) {
  struct Row {
    const char* name;
    std::string sjis;
    std::string jis;
  } rows[] = {
      {"ga", B({0xB6, 0xDE}), B({0x25, 0x2C})},
      {"pa", B({0xCA, 0xDF}), B({0x25, 0x51})},
      {"vu", B({0xB3, 0xDE}), B({0x25, 0x74})},
      {"bo", B({0xCE, 0xDE}), B({0x25, 0x5C})},
      {"a + mark", B({0xB1, 0xDE}), B({0x25, 0x22, 0x21, 0x2B})},
      {"ka + semi", B({0xB6, 0xDF}), B({0x25, 0x2B, 0x21, 0x2C})},
      {"mark alone", B({0xDE}), B({0x21, 0x2B})},
      {"long vowel", B({0xB0}), B({0x21, 0x3C})},
      {"full stop", B({0xA1}), B({0x21, 0x23})},
      {"wo", B({0xA6}), B({0x25, 0x72})},
      {"n", B({0xDD}), B({0x25, 0x73})},
      {"kana last", B({'a', 0xB6}), "a" + kToKanji + B({0x25, 0x2B})},
  };
  for (const auto& row : rows) {
    std::string expected = row.jis;
    if (expected.rfind("a", 0) != 0) expected = kToKanji + expected;
    EXPECT_EQ(SjisToJis(row.sjis), expected) << row.name;
  }
  size_t pos = 0;
  EXPECT_EQ(SjisKanaToJis(B({0xB6, 0xDE, 'x'}), pos), (BytePair{0x25, 0x2C}));
  EXPECT_EQ(pos, 2u);
  pos = 0;
  EXPECT_EQ(EucKanaToJis(B({0x8E, 0xB6, 0x8E, 0xDE}), pos), (BytePair{0x25, 0x2C}));
  EXPECT_EQ(pos, 4u);
  pos = 0;
  EXPECT_EQ(EucKanaToJis(B({0x8E, 0x41, 'x'}), pos), (BytePair{0x22, 0x2E}));  // no kana
  EXPECT_EQ(pos, 2u);
  EXPECT_EQ(KanaTable.size(), 63u);
}

TEST(JconvertTest, PairArithmeticWrapsModulo256) {
  EXPECT_EQ(SjisPairToJis(0x81, 0x40), (BytePair{0x21, 0x21}));
  EXPECT_EQ(SjisPairToJis(0x93, 0xFA), (BytePair{0x46, 0x7C}));
  EXPECT_EQ(SjisPairToJis(0xEA, 0xA4), (BytePair{0x74, 0x26}));
  EXPECT_EQ(JisPairToSjis(0x21, 0x21), (BytePair{0x81, 0x40}));
  EXPECT_EQ(JisPairToSjis(0x46, 0x7C), (BytePair{0x93, 0xFA}));
  EXPECT_EQ(JisPairToSjis(0x74, 0x26), (BytePair{0xEA, 0xA4}));
  EXPECT_EQ(JisPairToSjis(0xFF, 0x00), (BytePair{0xB0, 0x1F}));  // (0xFF + 1) wraps to 0
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const BytePair sjis = JisPairToSjis(static_cast<uint8_t>(row), static_cast<uint8_t>(cell));
      ASSERT_EQ(SjisPairToJis(sjis[0], sjis[1]),
                (BytePair{static_cast<uint8_t>(row), static_cast<uint8_t>(cell)}));
    }
  }
}

TEST(JconvertTest, EucConvertersAndDispatch) {
  const std::string eucNihon = B({0xC6, 0xFC, 0xCB, 0xDC, 0x0D, 0x0A});
  EXPECT_EQ(DetectKanjiCode(eucNihon + B({0xF0, 0xA1})), jcEuc);
  EXPECT_EQ(EucToJis(eucNihon), kToKanji + B({0x46, 0x7C, 0x4B, 0x5C}) + kToRoman + kCrLf);
  EXPECT_EQ(EucToJis(B({0x8E, 0xCA, 0x8E, 0xDF})), kToKanji + B({0x25, 0x51}));
  EXPECT_EQ(EucToJis(B({0x8E, 0x20})), kToKanji + B({0x22, 0x2E}));
  EXPECT_EQ(EucToJis("a" + B({0x8E})), "a");
  EXPECT_EQ(SjisToEuc(B({0x93, 0xFA, 0xB1, 'a'})), B({0xC6, 0xFC, 0x8E, 0xB1, 'a'}));
  EXPECT_EQ(EucToSjis(B({0xC6, 0xFC, 0x8E, 0xB1, 0x80, 0xFF, 'a'})),
            B({0x93, 0xFA, 0xB1, 0x80, 0xFF, 'a'}));
  EXPECT_EQ(ConvertKanjiCode("abc\r\n", jcEuc), "abc\r\n");
  EXPECT_EQ(ConvertKanjiCode(B({0x82, 0xA0}), 7), B({0x82, 0xA0}));  // no such target
  EXPECT_EQ(ConvertKanjiCode(B({0x82, 0xA0}), jcSjis), B({0x82, 0xA0}));
  EXPECT_EQ(ConvertKanjiCode(B({0x82, 0xA0, 0x01, 'a'}), jcJis), B({0x82, 0xA0, 0x01, 'a'}));
  const std::string jis78 = "\x1b$@\x46\x7c\x1b(J";
  EXPECT_EQ(ConvertKanjiCode(jis78, jcJis), jis78);  // not rewritten to ESC $ B
  EXPECT_EQ(ConvertKanjiCode(jis78, jcSjis), B({0x93, 0xFA}));
}

TEST(JconvertTest, JisReadersFollowTheEscapeSequences) {
  const std::string jis = "\x1b$B\x46\x7c\x1b(B";
  EXPECT_EQ(JisToEuc(jis), B({0xC6, 0xFC}));
  EXPECT_EQ(JisToSjis(jis), B({0x93, 0xFA}));
  // Two sequences in a row: the second is data of the mode the first set.
  const std::string twice = "\x1b(B\x1b$B\x46\x7c";
  EXPECT_EQ(JisToEuc(twice), "\x1b$B\x46\x7c");
  EXPECT_EQ(JisToSjis(twice), "\x1b$B\x46\x7c");
  // A line ending in kanji mode: JisToSjis pairs CR with LF, JisToEuc copies both.
  const std::string line = "\x1b$B\x46\x7c\r\n";
  EXPECT_EQ(JisToEuc(line), B({0xC6, 0xFC, 0x0D, 0x0A}));
  EXPECT_EQ(JisToSjis(line), B({0x93, 0xFA}) + JisToSjis("\x1b$B\r\n"));
  EXPECT_EQ(JisToSjis("\x1b$B\r\n"), std::string() +
                                         static_cast<char>(JisPairToSjis(0x0D, 0x0A)[0]) +
                                         static_cast<char>(JisPairToSjis(0x0D, 0x0A)[1]));
  EXPECT_EQ(JisToEuc("\x1b(I\xb1 a"), "\xb1 a");  // bytes after ESC ( I are copied
  EXPECT_EQ(JisToEuc("ab\x1b$"), "ab");           // a cut sequence adds nothing
  EXPECT_EQ(JisToSjis("\x1b$B\x46"), "");         // half a pair adds nothing
}

// --- Agreement with glibc's converters on random text -------------------------------------

std::string Iconv(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());
  char* outPtr = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return "<iconv failed>";
  out.resize(out.size() - outLeft);
  return out;
}

// Random lines of ASCII and JIS X 0208 characters that CP932 and ISO-2022-JP map alike:
// hiragana, katakana and the kanji rows (avoiding the symbol rows that vendors map apart).
std::string RandomSjis(std::mt19937& random) {
  std::string text;
  const int length = static_cast<int>(random() % 80);
  for (int i = 0; i < length; ++i) {
    const unsigned kind = random() % 4;
    if (kind == 0) {
      text += static_cast<char>(0x20 + random() % 0x5F);
    } else if (kind == 1 && random() % 8 == 0) {
      text += kCrLf;
    } else {
      const uint8_t row = kind == 1 ? static_cast<uint8_t>(0x24 + random() % 2)
                                    : static_cast<uint8_t>(0x30 + random() % 0x1F);
      const uint8_t cell = static_cast<uint8_t>(0x21 + random() % (row < 0x26 ? 0x53 : 0x5E));
      const BytePair sjis = JisPairToSjis(row, cell);
      text += static_cast<char>(sjis[0]);
      text += static_cast<char>(sjis[1]);
    }
  }
  return text + kCrLf;
}

std::string RomanToAscii(std::string jis) {
  for (size_t at; (at = jis.find("\x1b(J")) != std::string::npos;) jis.replace(at, 3, "\x1b(B");
  return jis;
}

TEST(JconvertTest, AgreesWithIconvAndRoundTripsOnRandomText) {
  std::mt19937 random(2026);
  for (int round = 0; round < 300; ++round) {
    const std::string sjis = RandomSjis(random);
    const std::string unicode = Iconv("UTF-8", "CP932", sjis);
    const std::string jis = SjisToJis(sjis);
    // glibc reads ESC ( J as JIS X 0201 Roman, which differs from ASCII at "\" and "~".
    EXPECT_EQ(Iconv("UTF-8", "ISO-2022-JP", RomanToAscii(jis)), unicode) << round;
    const std::string euc = SjisToEuc(sjis);
    EXPECT_EQ(Iconv("UTF-8", "EUC-JP", euc), unicode) << round;
    EXPECT_EQ(JisToSjis(jis), sjis) << round;
    EXPECT_EQ(EucToSjis(euc), sjis) << round;
    EXPECT_EQ(JisToEuc(jis), euc) << round;
    EXPECT_EQ(EucToJis(euc), jis) << round;
  }
}

}  // namespace
}  // namespace quill
