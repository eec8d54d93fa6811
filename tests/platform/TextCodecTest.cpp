#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/TextCodec.h"

namespace quill::platform {
namespace {

TEST(TextCodecTest, DecodesJapaneseAndEncodesItBack) {
  const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea \xb1\xb2 abc\\~";  // 日本語 ｱｲ abc\~
  EXPECT_EQ(SjisToUtf8(sjis), "日本語 ｱｲ abc\\~");
  EXPECT_EQ(Utf8ToSjis("日本語 ｱｲ abc\\~"), sjis);
  EXPECT_EQ(Utf8ToSjis("＊＊＊ ＳＭＴＰ"),
            "\x81\x96\x81\x96\x81\x96 \x82\x72\x82\x6c\x82\x73\x82\x6f");
}

TEST(TextCodecTest, EveryByteValueRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToSjis(SjisToUtf8(one)), one) << "byte " << b;
    for (int t = 0; t < 256; t += 3) {
      const std::string two{static_cast<char>(b), static_cast<char>(t)};
      ASSERT_EQ(Utf8ToSjis(SjisToUtf8(two)), two) << "pair " << b << " " << t;
    }
  }
}

TEST(TextCodecTest, InvalidBytesUsePrivateCodePointsAndRandomTextRoundTrips) {
  EXPECT_EQ(SjisToUtf8("\x80"), "\xef\x9e\x80");    // U+F780
  EXPECT_EQ(SjisToUtf8("\xff"), "\xef\x9f\xbf");    // U+F7FF
  EXPECT_EQ(SjisToUtf8("\x82 "), "\xef\x9e\x82 ");  // lead byte before a blank
  EXPECT_EQ(SjisToUtf8("a\x88"), "a\xef\x9e\x88");  // lone lead byte at the end
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(random() % 64, '\0');
    for (auto& c : bytes) c = static_cast<char>(random());
    ASSERT_EQ(Utf8ToSjis(SjisToUtf8(bytes)), bytes);
  }
}

// The lead- and trail-byte tests agree with the codec: every pair that decodes to one
// character passes both, and the bytes just outside the lead ranges never start one.
TEST(TextCodecTest, LeadAndTrailByteTestsAgreeWithTheCodec) {
  for (unsigned lead = 0; lead <= 0xFF; ++lead) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail) {
      const std::string utf8 =
          SjisToUtf8(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      const auto codePoints = std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      });
      if (codePoints != 1) continue;
      ASSERT_TRUE(IsSjisLeadByte(static_cast<unsigned char>(lead))) << lead;
      ASSERT_TRUE(IsSjisTrailByte(static_cast<unsigned char>(trail))) << trail;
    }
  }
  for (const unsigned char notLead : {0x80, 0xA0, 0xDF, 0xFD})
    EXPECT_FALSE(IsSjisLeadByte(notLead));
  for (const unsigned char lead : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsSjisLeadByte(lead));
}

TEST(TextCodecTest, CharactersOutsideCp932BecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToSjis("a\xf0\x9f\x98\x80z"), "a?z");  // an emoji
  EXPECT_EQ(Utf8ToSjis("\xc3\xa9"), "?");              // é
  EXPECT_EQ(Utf8ToSjis("\xff"), "?");                  // malformed UTF-8
}

}  // namespace
}  // namespace quill::platform
