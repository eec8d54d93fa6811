#include <gtest/gtest.h>

#include "mailer/message/HeaderEncoding.h"
#include "platform/TextCodec.h"

namespace quill {
namespace {

using platform::LocaleLanguage;
using platform::Utf8ToSjis;

const HeaderCharset kJapanese = CharsetFor(LocaleLanguage::Japanese);
const HeaderCharset kOther = CharsetFor(LocaleLanguage::Other);

struct EncodeCase {
  const char* name;
  std::string sjis;
  HeaderCharset charset;
  WordContext context;
  std::string encoded;
};

TEST(HeaderEncodingTest, EncodesTheWordsThatNeedIt) {
  const EncodeCase cases[] = {
      {"ascii stays", "Hello", kJapanese, WordContext::Text, "Hello"},
      {"empty", "", kJapanese, WordContext::Text, ""},
      {"japanese word", Utf8ToSjis("テスト"), kJapanese, WordContext::Text,
       "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?="},
      {"plain words around", Utf8ToSjis("Hello テスト again"), kJapanese, WordContext::Text,
       "Hello =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= again"},
      {"two japanese words make one encoded word", Utf8ToSjis("山田 太郎"), kJapanese,
       WordContext::Phrase, "=?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?="},
      {"leading and trailing blanks stay outside", Utf8ToSjis("  テスト  "), kJapanese,
       WordContext::Text, "  =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=  "},
      {"special needs encoding only in a phrase", "a.b", kJapanese, WordContext::Text, "a.b"},
      {"special in a phrase", "a.b", kJapanese, WordContext::Phrase, "=?ISO-2022-JP?B?YS5i?="},
      {"CR and LF become blanks", "a\r\nb", kJapanese, WordContext::Text, "a  b"},
      {"half-width ka with voiced mark", "\xb6\xde", kJapanese, WordContext::Text,
       "=?ISO-2022-JP?B?GyRCJSwbKEI=?="},
      {"user-defined area disappears", "x\xf0\x40y", kJapanese, WordContext::Text, "xy"},
      {"other locale: Q, no conversion", "caf\xe9 ol\xe9 ok", kOther, WordContext::Text,
       "=?ISO-8859-1?Q?caf=E9_ol=E9?= ok"},
      {"Q escapes ? = _ and specials of a phrase", "\xe9?=_.", kOther, WordContext::Phrase,
       "=?ISO-8859-1?Q?=E9=3F=3D=5F=2E?="},
      {"Q keeps a special in a subject", "\xe9.", kOther, WordContext::Text,
       "=?ISO-8859-1?Q?=E9.?="},
      {"korean: B of the raw bytes", "\xc7\xd1", CharsetFor(LocaleLanguage::Korean),
       WordContext::Text, "=?EUC-KR?B?x9E=?="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeHeaderText(c.sjis, c.charset, c.context), c.encoded) << c.name;
  }
}

TEST(HeaderEncodingTest, LongStretchGoesOnInFurtherWordsOfAtMost75Characters) {
  // 20 full-width characters: 46 bytes in ISO-2022-JP, 14 groups in the first word.
  const std::string subject = Utf8ToSjis("あいうえおかきくけこさしすせそたちつてと");
  EXPECT_EQ(EncodeHeaderText(subject, kJapanese, WordContext::Text),
            "=?ISO-2022-JP?B?GyRCJCIkJCQmJCgkKiQrJC0kLyQxJDMkNSQ3JDkkOyQ9JD8kQSREJEYk?=\r\n"
            "\t=?ISO-2022-JP?B?SBsoQg==?=");
  // Q pieces count by their length: the budget starts at 17 for "=?ISO-8859-1?Q?", so 19
  // pieces "=E9" fill it to 74 and the 20th goes into a new word.
  std::string nineteen;
  for (int i = 0; i < 19; ++i) nineteen += "=E9";
  EXPECT_EQ(EncodeHeaderText(std::string(20, '\xe9'), kOther, WordContext::Text),
            "=?ISO-8859-1?Q?" + nineteen + "?=\r\n\t=?ISO-8859-1?Q?=E9?=");
}

struct FoldCase {
  const char* name;
  std::string line;
  std::vector<std::string> folded;
};

TEST(HeaderEncodingTest, FoldsHeaderLines) {
  const std::string word74 =
      "=?ISO-2022-JP?B?GyRCJCIkJCQmJCgkKiQrJC0kLyQxJDMkNSQ3JDkkOyQ9JD8kQSREJEYk?=";
  const std::string contentType =
      "Content-Type: multipart/mixed; boundary=\"=_NextPart_2rfkindysadvnqw3nerasdf\"";
  const std::string longAscii =
      "Subject: aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm nnnn oooo pppp";
  const FoldCase cases[] = {
      {"short line", "Subject: Hello", {"Subject: Hello"}},
      {"content-type of 76 bytes stays", contentType, {contentType}},
      {"83-byte subject breaks after the colon", "Subject: " + word74, {"Subject:", " " + word74}},
      {"three lines for two encoded words",
       "Subject: " + word74 + "\r\n\t=?ISO-2022-JP?B?SBsoQg==?=",
       {"Subject:", " " + word74, "\t=?ISO-2022-JP?B?SBsoQg==?="}},
      {"79 bytes without a break of its own",
       "X: " + std::string(76, 'a'),
       {"X: " + std::string(76, 'a')}},
      {"no break bytes, never broken",
       "X-Long:" + std::string(120, 'a'),
       {"X-Long:" + std::string(120, 'a')}},
      {"breaks at the last blank before column 78",
       longAscii,
       {"Subject: aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm",
        " nnnn oooo pppp"}},
      {"a comma stays on the first line",
       "To: " + std::string(70, 'a') + ", " + std::string(10, 'b'),
       {"To: " + std::string(70, 'a') + ",", " " + std::string(10, 'b')}},
      {"plain words stay behind the colon", "Subject: Re " + word74, {"Subject: Re", " " + word74}},
      {"a continuation of control bytes only is left out, not written as an empty line",
       "To: " + std::string(70, 'a') + " " + std::string(80, '\x01') + " tail",
       {"To: " + std::string(70, 'a'), " tail"}},
      {"quoted text is not broken",
       "From: \"" + std::string(40, 'a') + " " + std::string(40, 'b') + "\" <a@b>",
       {"From:", " \"" + std::string(40, 'a') + " " + std::string(40, 'b') + "\"", " <a@b>"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FoldHeaderLine(c.line, LocaleLanguage::Japanese), c.folded) << c.name;
  }
}

TEST(HeaderEncodingTest, FoldingKeepsADoubleByteCharacterWhole) {
  // 8Eh 20h is one character in code page 932, so its 20h is no break there; in a single-byte
  // code page it is a blank to break after.
  const std::string line = "X:" + std::string(70, 'a') + "\x8e\x20" + std::string(10, 'b');
  EXPECT_EQ(FoldHeaderLine(line, LocaleLanguage::Japanese), std::vector<std::string>{line});
  EXPECT_EQ(
      FoldHeaderLine(line, LocaleLanguage::Other),
      (std::vector<std::string>{"X:" + std::string(70, 'a') + "\x8e", " " + std::string(10, 'b')}));
}

}  // namespace
}  // namespace quill
