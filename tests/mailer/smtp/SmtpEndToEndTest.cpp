// The SMTP client and the message writer against a real server (aiosmtpd); Python's email
// package decodes what the server received.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>

#include "mailer/smtp/IdSMTP.h"
#include "platform/Error.h"
#include "platform/TcpConnection.h"
#include "platform/TextCodec.h"
#include "support/AiosmtpdServer.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using platform::Utf8ToSjis;

const std::string kUser = "quill@example.com";
const std::string kPassword = "p\xe4ss word";  // bytes as the account stores them

class SmtpEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.emplace(dir_.file(""), kUser, kPassword);
    platform::SetPortMappingForTesting(25, server_->port());
  }
  void TearDown() override {
    platform::SetPortMappingForTesting(25, 0);
    if (HasFailure()) std::cerr << "received:\n" << Received(1, "raw") << "\n";
  }

  // A client for the server with the account's credentials.
  void Prepare(TIdSMTP& smtp) {
    smtp.Host = "127.0.0.1";
    smtp.AuthenticationType = atLogin;
    smtp.Username = kUser;
    smtp.Password = kPassword;
  }
  std::string Received(int n, const std::string& name) { return server_->Received(n, name); }

  test::TempDir dir_;
  std::optional<test::AiosmtpdServer> server_;
};

// The locale comes from the environment when the client is made, as in the program.
class JapaneseLocale {
 public:
  JapaneseLocale() {
    if (const char* old = std::getenv("LC_ALL")) old_ = old;
    setenv("LC_ALL", "ja_JP.UTF-8", 1);
  }
  ~JapaneseLocale() {
    if (old_) {
      setenv("LC_ALL", old_->c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST_F(SmtpEndToEnd, JapaneseMessagesWithoutAttachmentsDecodeToTheirText) {
  const std::string subject = "日本語の件名：二十文字より長い件名が正しく届くかを確かめる";
  const std::string name = "送信者 太郎";
  const std::vector<std::string> body = {"こんにちは、世界。", "ASCII line", ".dot line", "",
                                         "半角ｶﾞｷﾞ and 全角 mixed"};
  std::optional<TIdSMTP> made;
  {
    JapaneseLocale locale;
    made.emplace();
  }
  TIdSMTP& smtp = *made;
  Prepare(smtp);
  smtp.Connect();
  EXPECT_EQ(smtp.AuthSchemesSupported(), (std::vector<std::string>{"", "LOGIN"}));
  ASSERT_TRUE(smtp.Authenticate());
  TIdMessage message;
  message.FromAddress = "from@example.com";
  message.FromName = Utf8ToSjis(name);
  message.Subject = Utf8ToSjis(subject);
  for (const auto& line : body) message.Body.push_back(Utf8ToSjis(line));
  for (const char* to : {"first@example.com", "second@example.com"}) {
    message.SetRecipients(to);
    smtp.Send(message);
  }
  smtp.Disconnect();

  for (int n : {1, 2}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Received(n, "subject"), subject);
    EXPECT_EQ(Received(n, "from_name"), name);
    EXPECT_EQ(Received(n, "from_address"), "from@example.com");
    // Half-width katakana leave as their full-width forms.
    EXPECT_EQ(Received(n, "body"),
              "こんにちは、世界。\nASCII line\n.dot line\n\n半角ガギ and 全角 mixed\n");
  }
  EXPECT_EQ(Received(1, "envelope"), "from@example.com\nfirst@example.com");
  EXPECT_EQ(Received(2, "envelope"), "from@example.com\nsecond@example.com");
}

TEST_F(SmtpEndToEnd, AttachmentsArriveAsTheirFilesBytes) {
  test::TempDir files;
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 31 + i / 256) & 0xff);
  const std::vector<std::pair<std::string, std::string>> attachments = {
      {"data.bin", binary},
      {"empty.txt", ""},
      {"報告書.txt", "57 bytes exactly, a full base64 line of 76 characters.\r\n"},
  };
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  Prepare(smtp);
  smtp.Connect();
  smtp.Authenticate();
  TIdMessage message;
  message.FromAddress = "from@example.com";
  message.FromName = Utf8ToSjis("送信者");
  message.Subject = Utf8ToSjis("添付ファイル");
  // With attachments the body arrives converted to ISO-2022-JP already.
  message.Body = {"\x1b$B%F%9%H\x1b(B", "plain"};
  for (const auto& [name, content] : attachments) {
    test::WriteFileBytes(files.file(name), content);
    message.MessageParts.push_back({files.file(name), "", "", ""});
  }
  message.SetRecipients("to@example.com");
  smtp.Send(message);
  smtp.Disconnect();

  EXPECT_EQ(Received(1, "subject"), "添付ファイル");
  EXPECT_EQ(Received(1, "from_name"), "送信者");
  EXPECT_EQ(Received(1, "body"), "テスト\nplain\n");
  for (size_t i = 0; i < attachments.size(); ++i) {
    SCOPED_TRACE(attachments[i].first);
    EXPECT_EQ(Received(1, "part-" + std::to_string(i) + ".name"), Utf8ToSjis(attachments[i].first));
    EXPECT_EQ(Received(1, "part-" + std::to_string(i) + ".data"), attachments[i].second);
  }
}

// A body line that holds line breaks around a "." and a whole transaction after it: each
// message arrives alone, with every line intact, and the server never reads the body's
// lines as commands (which would show as a message of its own from evil@example.com).
TEST_F(SmtpEndToEnd, LineBreaksInsideABodyLineNeverEndTheMessage) {
  struct Pattern {
    const char* name;
    std::string before;  // the break in front of each "."
    std::string after;   // every other break
  };
  const Pattern patterns[] = {{"LF . LF", "\n", "\n"},
                              {"LF . CR LF", "\n", "\r\n"},
                              {"CR . CR LF", "\r", "\r\n"},
                              {"CR LF . CR LF", "\r\n", "\r\n"}};
  const std::vector<std::string> pieces = {"before",
                                           ".",
                                           "MAIL FROM:<evil@example.com>",
                                           "RCPT TO:<victim@example.com>",
                                           "DATA",
                                           "smuggled",
                                           ".",
                                           "after"};
  std::string expectedBody;
  for (const auto& piece : pieces) expectedBody += piece + "\n";
  test::TempDir files;
  test::WriteFileBytes(files.file("a.bin"), "attached");

  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  Prepare(smtp);
  smtp.Connect();
  ASSERT_TRUE(smtp.Authenticate());
  for (const bool withAttachment : {false, true}) {
    for (const Pattern& pattern : patterns) {
      std::string line;
      for (const auto& piece : pieces) {
        if (!line.empty()) line += piece == "." ? pattern.before : pattern.after;
        line += piece;
      }
      TIdMessage message;
      message.FromAddress = "from@example.com";
      message.Subject = "Smuggling";
      message.Body = {line};
      if (withAttachment) message.MessageParts.push_back({files.file("a.bin"), "", "", ""});
      message.SetRecipients("to@example.com");
      smtp.Send(message);
    }
  }
  smtp.Disconnect();

  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Received(n, "envelope"), "from@example.com\nto@example.com");
    EXPECT_EQ(Received(n, "body"), expectedBody);
    const std::string raw = Received(n, "raw");
    for (size_t i = 0; i < raw.size(); ++i) {
      const bool bareCr = raw[i] == '\r' && raw.substr(i, 2) != "\r\n";
      const bool bareLf = raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r');
      EXPECT_FALSE(bareCr || bareLf) << "bare line break at " << i;
    }
    EXPECT_EQ(Received(n, "part-0.data"), n > 4 ? "attached" : "");
  }
  EXPECT_EQ(Received(9, "raw"), "");
}

TEST_F(SmtpEndToEnd, RefusedLoginGivesTheServersText) {
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  Prepare(smtp);
  smtp.Password = "wrong";
  smtp.Connect();
  try {
    smtp.Authenticate();
    ADD_FAILURE() << "login accepted";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "5.7.8 Authentication credentials invalid\r\n");
  }
  EXPECT_TRUE(smtp.Connected());
  smtp.Disconnect();
}

}  // namespace
}  // namespace quill
