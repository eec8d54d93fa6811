#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <limits>
#include <optional>

#include "mailer/message/MessageWriter.h"
#include "platform/Error.h"
#include "platform/TextCodec.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using platform::LocaleLanguage;
using platform::Utf8ToSjis;

constexpr std::time_t kTuesdayMorningInTokyo = 1796694246;  // 2026-12-08 10:44:06 +0900
const std::string kDateLine = "Date: Tue, 8 Dec 2026 10:44:06 +0900\r\n";
const std::string kTrailer = "X-Priority: 3\r\nX-Library: Indy 9.00.10\r\n";

// Writes messages in Japan's zone; records the bytes and, in the same stream, the status
// reports as "[status]" so that their place among the bytes shows.
class MessageWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* zone = std::getenv("TZ")) savedZone_ = zone;
    setenv("TZ", "JST-9", 1);
    tzset();
  }
  void TearDown() override {
    if (savedZone_) {
      setenv("TZ", savedZone_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  std::string Write(TIdMessage& message, LocaleLanguage locale = LocaleLanguage::Japanese) {
    std::string out;
    const MessageSink sink{[&out](std::string_view bytes) { out += bytes; },
                           [&out](const std::string& text) { out += "[" + text + "]"; }};
    WriteMessage(message, locale, kTuesdayMorningInTokyo, sink);
    return out;
  }

  static TIdMessage Message(std::string fromName, std::string subject,
                            std::vector<std::string> body) {
    TIdMessage message;
    message.FromAddress = "taro@example.jp";
    message.FromName = std::move(fromName);
    message.Subject = std::move(subject);
    message.Body = std::move(body);
    message.SetRecipients("hanako@example.jp");
    return message;
  }

  std::optional<std::string> savedZone_;
};

TEST_F(MessageWriterTest, JapaneseMessageWithoutAttachmentsHasNoOtherHeaderLine) {
  TIdMessage message =
      Message(Utf8ToSjis("山田 太郎"), Utf8ToSjis("テスト"), {Utf8ToSjis("こんにちは"), "", "Bye"});
  EXPECT_EQ(Write(message),
            "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <taro@example.jp>\r\n"
            "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=\r\n"
            "To: hanako@example.jp\r\n" +
                kDateLine + kTrailer + "\r\n[Encoding text]" +
                "\x1b$B$3$s$K$A$O\x1b(B\r\n"
                "\r\n"
                "Bye\r\n");
}

TEST_F(MessageWriterTest, TwentyCharacterSubjectTakesThreeLines) {
  TIdMessage message = Message("", Utf8ToSjis("あいうえおかきくけこさしすせそたちつてと"), {});
  EXPECT_EQ(Write(message),
            "From: taro@example.jp\r\n"
            "Subject:\r\n"
            " =?ISO-2022-JP?B?GyRCJCIkJCQmJCgkKiQrJC0kLyQxJDMkNSQ3JDkkOyQ9JD8kQSREJEYk?=\r\n"
            "\t=?ISO-2022-JP?B?SBsoQg==?=\r\n"
            "To: hanako@example.jp\r\n" +
                kDateLine + kTrailer + "\r\n[Encoding text]");
}

TEST_F(MessageWriterTest, FromAndSubjectForms) {
  struct Case {
    const char* name;
    std::string fromName;
    std::string subject;
    std::string lines;  // the "From" and "Subject" lines
  };
  const Case cases[] = {
      {"empty name, address alone; empty subject, no line", "", "", "From: taro@example.jp\r\n"},
      {"ascii name quoted, inner quote and backslash escaped", "Taro \"T\" Y\\Z", "Hello",
       "From: \"Taro \\\"T\\\" Y\\\\Z\" <taro@example.jp>\r\nSubject: Hello\r\n"},
      {"CR and LF of the name and subject become blanks", "Taro\r\nBcc: x", "Hi\r\nBcc: y",
       "From: \"Taro  Bcc: x\" <taro@example.jp>\r\nSubject: Hi  Bcc: y\r\n"},
      {"japanese name with specials, folded at 78", Utf8ToSjis("営業部(東京) Sales"), "",
       "From: =?ISO-2022-JP?B?GyRCMUQ2SEl0GyhCKBskQkVsNX4bKEIp?= Sales\r\n <taro@example.jp>\r\n"},
      {"half-width katakana and user-defined area in the subject", "", "\xb6\xde\xf0\x40",
       "From: taro@example.jp\r\nSubject: =?ISO-2022-JP?B?GyRCJSwbKEI=?=\r\n"},
  };
  for (const auto& c : cases) {
    TIdMessage message = Message(c.fromName, c.subject, {});
    EXPECT_EQ(Write(message),
              c.lines + "To: hanako@example.jp\r\n" + kDateLine + kTrailer + "\r\n[Encoding text]")
        << c.name;
  }
}

TEST_F(MessageWriterTest, BodyLinesAreConvertedAndDotStuffed) {
  struct Case {
    const char* name;
    std::string line;
    std::string written;
  };
  const Case cases[] = {
      {"one dot", ".", "..\r\n"},
      {"leading dot", ".hidden", "..hidden\r\n"},
      {"dot inside", "a.b", "a.b\r\n"},
      {"empty line", "", "\r\n"},
      {"ends in japanese", Utf8ToSjis("終わり"), "\x1b$B=*$o$j\x1b(B\r\n"},
      {"half-width ka with voiced mark", "\xb6\xde", "\x1b$B%,\x1b(B\r\n"},
      {"user-defined area disappears",
       "a\xf0\x40"
       "b",
       "ab\r\n"},
      {"long line is not wrapped", std::string(1000, 'x'), std::string(1000, 'x') + "\r\n"},
  };
  for (const auto& c : cases) {
    TIdMessage message = Message("", "", {c.line});
    const std::string out = Write(message);
    const std::string body = out.substr(out.find("[Encoding text]") + 15);
    EXPECT_EQ(body, c.written) << c.name;
  }
}

// A line break inside one body line, in each of the forms that smuggle a "." line past a
// lenient server: every piece becomes a line of its own, dot-stuffed and ended by CR LF.
TEST_F(MessageWriterTest, LineBreaksInsideABodyLineBecomeStuffedLines) {
  struct Case {
    const char* name;
    std::string line;
  };
  const Case cases[] = {
      {"LF . LF", "one\n.\ntwo"},
      {"LF . CR LF", "one\n.\r\ntwo"},
      {"CR . CR LF", "one\r.\r\ntwo"},
      {"CR LF . CR LF", "one\r\n.\r\ntwo"},
  };
  const std::string stuffed = "one\r\n..\r\ntwo\r\n";
  test::TempDir dir;
  test::WriteFileBytes(dir.file("a.bin"), "abc");
  for (const auto& c : cases) {
    TIdMessage plain = Message("", "", {c.line});
    const std::string out = Write(plain);
    EXPECT_EQ(out.substr(out.find("[Encoding text]") + 15), stuffed) << c.name;

    TIdMessage multipart = Message("", "", {c.line});
    multipart.MessageParts.push_back(TIdAttachment{dir.file("a.bin"), "", "", ""});
    EXPECT_NE(Write(multipart).find("7bit\r\n\r\n" + stuffed + "[Encoding attachment]"),
              std::string::npos)
        << c.name;
  }
  // Each piece converts by itself: Japanese text before a break returns to ASCII there, and
  // a lead byte right before a break is dropped without the break.
  TIdMessage japanese = Message("", "", {Utf8ToSjis("あ") + "\r\n\x82" + "\n" + "b\r"});
  const std::string out = Write(japanese);
  EXPECT_EQ(out.substr(out.find("[Encoding text]") + 15), "\x1b$B$\"\x1b(B\r\n\r\nb\r\n\r\n");
}

TEST_F(MessageWriterTest, OtherLocaleUsesQAndLeavesTextUnconverted) {
  TIdMessage message = Message("Jos\xe9 M.", "caf\xe9 au lait", {"na\xefve", ".x"});
  EXPECT_EQ(Write(message, LocaleLanguage::Other),
            "From: =?ISO-8859-1?Q?Jos=E9_M=2E?= <taro@example.jp>\r\n"
            "Subject: =?ISO-8859-1?Q?caf=E9?= au lait\r\n"
            "To: hanako@example.jp\r\n" +
                kDateLine + kTrailer + "\r\n[Encoding text]na\xefve\r\n..x\r\n");
}

std::string PartHeaders(const std::string& name) {
  return "\r\n--=_NextPart_2rfkindysadvnqw3nerasdf\r\n"
         "Content-Type: application/octet-stream;\r\n"
         "        name=\"" +
         name +
         "\"\r\n"
         "Content-Transfer-Encoding: base64\r\n"
         "Content-Disposition: attachment;\r\n"
         "        filename=\"" +
         name +
         "\"\r\n"
         "\r\n";
}

std::string Bytes(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += static_cast<char>(i);
  return bytes;
}

TEST_F(MessageWriterTest, MultipartMessageWithAttachmentsOfZero57And58Bytes) {
  test::TempDir dir;
  test::WriteFileBytes(dir.file("empty.bin"), "");
  test::WriteFileBytes(dir.file("57.bin"), Bytes(57));
  test::WriteFileBytes(dir.file("58.bin"), Bytes(58));
  // The body arrives converted already: it goes out as it stands, dot rule only.
  TIdMessage message = Message("", "Files", {"\x1b$B%F\x1b(J", ".end"});
  for (const char* name : {"empty.bin", "57.bin", "58.bin"}) {
    message.MessageParts.push_back(TIdAttachment{dir.file(name), "", "", ""});
  }
  const std::string line57 =
      "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4";
  EXPECT_EQ(Write(message),
            "From: taro@example.jp\r\n"
            "Subject: Files\r\n"
            "To: hanako@example.jp\r\n"
            "Content-Type: multipart/mixed; boundary=\"=_NextPart_2rfkindysadvnqw3nerasdf\"\r\n"
            "MIME-Version: 1.0\r\n" +
                kDateLine + kTrailer +
                "\r\n"
                "This is a multi-part message in MIME format\r\n"
                "\r\n"
                "--=_NextPart_2rfkindysadvnqw3nerasdf\r\n"
                "Content-Type: text/plain\r\n"
                "Content-Transfer-Encoding: 7bit\r\n"
                "\r\n"
                "\x1b$B%F\x1b(J\r\n"
                "..end\r\n"
                "[Encoding attachment]" +
                PartHeaders("empty.bin") + "\r\n" + "[Encoding attachment]" +
                PartHeaders("57.bin") + line57 + "\r\n\r\n" + "[Encoding attachment]" +
                PartHeaders("58.bin") + line57 + "\r\nOQ==\r\n\r\n" +
                "--=_NextPart_2rfkindysadvnqw3nerasdf--\r\n");
  EXPECT_EQ(message.MessageParts[0].ContentType, "application/octet-stream");
  EXPECT_EQ(message.MessageParts[0].ContentTransfer, "base64");
  EXPECT_EQ(message.MessageParts[0].ContentDisposition, "attachment");
}

TEST_F(MessageWriterTest, AttachmentNameIsTheShiftJisNameAfterTheLastSlash) {
  test::TempDir dir;
  struct Case {
    const char* name;
    std::string fileName;  // UTF-8, in the temporary directory
    std::string onWire;
  };
  const Case cases[] = {
      {"second byte 5Ch stays in the name", "表.txt", "\x95\x5c.txt"},
      {"japanese name in Shift_JIS", "資料ソ.bin", "\x8e\x91\x97\xbf\x83\x5c.bin"},
      {"line break in a file name becomes a blank", "a\r\nb.txt", "a  b.txt"},
  };
  for (const auto& c : cases) {
    test::WriteFileBytes(dir.file(c.fileName), "x");
    TIdMessage message = Message("", "", {});
    message.MessageParts.push_back(TIdAttachment{dir.file(c.fileName), "", "", ""});
    const std::string out = Write(message);
    EXPECT_NE(out.find(PartHeaders(c.onWire) + "eA==\r\n\r\n"), std::string::npos) << c.name;
  }
}

TEST_F(MessageWriterTest, AttachmentIsReadAtEverySend) {
  test::TempDir dir;
  const std::string path = dir.file("a.bin");
  TIdMessage message = Message("", "", {});
  message.MessageParts.push_back(TIdAttachment{path, "", "", ""});
  test::WriteFileBytes(path, "abc");
  EXPECT_NE(Write(message).find("YWJj\r\n"), std::string::npos);
  test::WriteFileBytes(path, "xyz");
  EXPECT_NE(Write(message).find("eHl6\r\n"), std::string::npos);
}

TEST_F(MessageWriterTest, MissingAttachmentFailsAfterTheEarlierParts) {
  test::TempDir dir;
  test::WriteFileBytes(dir.file("first.bin"), "abc");
  TIdMessage message = Message("", "", {"text"});
  message.MessageParts.push_back(TIdAttachment{dir.file("first.bin"), "", "", ""});
  message.MessageParts.push_back(TIdAttachment{dir.file("ない.bin"), "", "", ""});
  std::string out;
  const MessageSink sink{[&out](std::string_view bytes) { out += bytes; }, nullptr};
  try {
    WriteMessage(message, LocaleLanguage::Japanese, kTuesdayMorningInTokyo, sink);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.what(), Utf8ToSjis("ファイル \"" + dir.file("ない.bin") +
                                       "\". No such file or directory は開けません"));
  }
  EXPECT_NE(out.find(PartHeaders("first.bin") + "YWJj\r\n\r\n"), std::string::npos);
  EXPECT_TRUE(out.ends_with(PartHeaders(Utf8ToSjis("ない.bin"))));
}

TEST_F(MessageWriterTest, OnlyARegularFileIsReadAsAnAttachment) {
  test::TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Row {
    std::string path;
    const char* reason;
  } rows[] = {{fifo, "Invalid argument"}, {dir.path().string(), "Is a directory"}};
  for (const Row& row : rows) {
    TIdMessage message = Message("", "", {"text"});
    message.MessageParts.push_back(TIdAttachment{row.path, "", "", ""});
    const MessageSink sink{[](std::string_view) {}, nullptr};
    try {
      // A FIFO nobody writes to must neither block the open nor the read.
      WriteMessage(message, LocaleLanguage::Japanese, kTuesdayMorningInTokyo, sink);
      ADD_FAILURE() << "no error for " << row.path;
    } catch (const Error& error) {
      EXPECT_EQ(error.what(),
                Utf8ToSjis("ファイル \"" + row.path + "\". " + row.reason + " は開けません"));
    }
  }
}

TEST_F(MessageWriterTest, TimeZoneThatCannotBeReadFailsBeforeAnyByte) {
  TIdMessage message = Message("", "Hello", {"text"});
  std::string out;
  const MessageSink sink{[&out](std::string_view bytes) { out += bytes; }, nullptr};
  // No local time exists for the last moment that time_t holds.
  try {
    WriteMessage(message, LocaleLanguage::Japanese, std::numeric_limits<std::time_t>::max(), sink);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "Failed attempting to retrieve time zone information.");
  }
  EXPECT_EQ(out, "");
}

TEST(IdMessageTest, ClearEmptiesEveryField) {
  TIdMessage message;
  message.FromAddress = "a@b";
  message.FromName = "n";
  message.Subject = "s";
  message.Body = {"x"};
  message.SetRecipients("c@d");
  message.MessageParts.push_back(TIdAttachment{"/f", "t", "e", "d"});
  message.Clear();
  EXPECT_TRUE(message.FromAddress.empty() && message.FromName.empty() && message.Subject.empty() &&
              message.Body.empty() && message.Recipients.empty() && message.MessageParts.empty());
}

}  // namespace
}  // namespace quill
