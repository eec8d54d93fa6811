// The send run against a fake server that answers by rule: group arithmetic, waits, the
// error policy, the stop question, failures of connecting and logging in, and the AUTH
// scheme check.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "mailer/message/IdMessage.h"
#include "mailer/sendrun/SendRun.h"
#include "mailer/smtp/IdSMTP.h"
#include "platform/TextCodec.h"
#include "settings/Registory.h"
#include "settings/SmtpUnit.h"
#include "support/FakeSmtpServer.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using platform::SjisToUtf8;
using platform::Utf8ToSjis;
using test::FakeSmtpServer;
using test::Joined;

// The window side of the run, recording what the run shows; texts kept as UTF-8.
class RecordingWindow : public SendRunWindow {
 public:
  explicit RecordingWindow(std::shared_ptr<std::vector<std::string>> timeline)
      : timeline_(std::move(timeline)) {}

  std::vector<std::string> log{"earlier line"};
  std::string panels[2] = {"old 0", "old 1"};
  std::vector<std::string> body{Utf8ToSjis("日本"), "ascii"};
  std::vector<std::string> attachments;
  std::function<bool()> escapeHeld = [] { return false; };
  std::deque<bool> stopAnswers;  ///< true: "中断"
  std::function<bool()> closeRequested = [] { return false; };
  int processCalls = 0;

  void SetPanel(int index, const std::string& text) override { panels[index] = SjisToUtf8(text); }
  void ClearLog() override { log.clear(); }
  void AppendLog(const std::string& line) override { log.push_back(SjisToUtf8(line)); }
  std::vector<std::string> BodyLines() override { return body; }
  std::vector<std::string> AttachmentPaths() override { return attachments; }
  void ProcessMessages() override { ++processCalls; }
  bool EscapeHeld() override { return escapeHeld(); }
  bool AskStop() override {
    timeline_->push_back("ask");
    const bool stop = stopAnswers.front();
    stopAnswers.pop_front();
    return stop;
  }
  void Wait(int seconds) override { timeline_->push_back("wait " + std::to_string(seconds)); }
  bool CloseRequested() override { return closeRequested(); }

 private:
  std::shared_ptr<std::vector<std::string>> timeline_;
};

AddressList Addresses(int count) {
  AddressList all;
  for (int i = 1; i <= count; ++i) all.push_back("a" + std::to_string(i) + "@example.com");
  return all;
}

const std::string kHeading1 = "文書　　 letter を開きました。";
const std::string kHeading2 = "アドレス /tmp/list.txt を開きました。";
const std::string kConnected = "acct に接続しました。";
const std::string kStopped = "＊＊　送信を中断しました。　＊＊";
const std::string kSendError = "＊＊　送信エラーです。　＊＊";

class SendRunTest : public ::testing::Test {
 protected:
  void AddAccount(int sendNum, int waitTime, bool auth = false) {
    accounts.Add("acct", "127.0.0.1", "id", "from@example.com", "From", sendNum, waitTime, auth,
                 "user", "secret");
  }
  void Run() {
    RunSend({smtp, message, accounts, settings, window},
            {textLoaded, addressLoaded, docName, addressFile, dest}, bodyList, logDirty);
  }
  // The groups as the server saw them: the number of messages of each connection, and the
  // waits between them ("10 w1 10 w1 5").
  std::string Groups() const {
    std::string out;
    int messages = -1;
    for (const std::string& event : *server->timeline) {
      if (event == "connect") messages = 0;
      if (event == "message") ++messages;
      if (event == "quit") out += (out.empty() ? "" : " ") + std::to_string(messages);
      if (event.rfind("wait ", 0) == 0) out += " w" + event.substr(5);
    }
    return out;
  }

  std::shared_ptr<FakeSmtpServer> server = std::make_shared<FakeSmtpServer>();
  TIdSMTP smtp{platform::LocaleLanguage::Japanese, server};
  TIdMessage message;
  TSmtp accounts;
  TRegistory settings;
  RecordingWindow window{server->timeline};
  AddressList dest;
  std::string docName = "letter";
  std::string addressFile = "/tmp/list.txt";
  bool textLoaded = true;
  bool addressLoaded = true;
  std::vector<std::string> bodyList{"stale"};
  bool logDirty = false;
};

TEST_F(SendRunTest, GroupsConnectionsAndWaitsFollowTheAccount) {
  struct Row {
    const char* name;
    int addresses, sendNum, waitTime;
    std::string groups;
  };
  const Row rows[] = {
      {"three groups, two waits", 25, 10, 1, "10 w1 10 w1 5"},
      {"exact groups, no wait after the last", 20, 10, 5, "10 w5 10"},
      {"one address", 1, 10, 1, "1"},
      {"no wait at zero seconds", 25, 10, 0, "10 10 5"},
      {"a group size below 1 counts as 1", 3, 0, 0, "1 1 1"},
      {"a negative group size too", 2, -7, 2, "1 w2 1"},
      {"a negative wait counts as none", 4, 2, -3, "2 2"},
      {"a wait above 300 s counts as 300", 4, 2, 100000, "2 w300 2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server = std::make_shared<FakeSmtpServer>();
    TIdSMTP client(platform::LocaleLanguage::Japanese, server);
    RecordingWindow shown(server->timeline);
    TSmtp store;
    store.Add("acct", "127.0.0.1", "", "from@example.com", "", row.sendNum, row.waitTime, false, "",
              "");
    dest = Addresses(row.addresses);
    RunSend({client, message, store, settings, shown}, {true, true, docName, addressFile, dest},
            bodyList, logDirty);
    EXPECT_EQ(Groups(), row.groups);
    EXPECT_EQ(shown.panels[0], std::to_string(row.addresses));
    EXPECT_EQ(shown.panels[1], "送信完了");
    EXPECT_EQ(shown.processCalls, row.addresses);
    ASSERT_GE(shown.log.size(), 3u);
    EXPECT_EQ(shown.log[0], kHeading1);
    EXPECT_EQ(shown.log[1], kHeading2);
    EXPECT_EQ(shown.log[2], kConnected);
    EXPECT_EQ(static_cast<int>(server->messages.size()), row.addresses);
  }
}

TEST_F(SendRunTest, EveryAddressGetsOneMessageInListOrderWithTheRunsHeadings) {
  AddAccount(2, 0, true);
  dest = Addresses(3);
  Run();
  EXPECT_EQ(Joined(*server->timeline),
            "connect, auth, rcpt a1@example.com, message, rcpt a2@example.com, message, quit, "
            "connect, auth, rcpt a3@example.com, message, quit");
  EXPECT_EQ(window.log, (std::vector<std::string>{kHeading1, kHeading2, kConnected, kConnected}));
  EXPECT_TRUE(logDirty);
  EXPECT_EQ(bodyList, window.body);
  // Without attachments the body goes to the message writer as the editor shows it.
  EXPECT_EQ(message.Body, window.body);
  EXPECT_EQ(message.Subject, "letter");
  EXPECT_EQ(message.FromAddress, "from@example.com");
  EXPECT_EQ(smtp.Username, "user");
  EXPECT_EQ(smtp.Password, "secret");

  // A second press sends the same list again from its first address, on a fresh run log.
  window.log.push_back("typed by the user");
  server->timeline->clear();
  Run();
  EXPECT_EQ(Groups(), "2 1");
  EXPECT_EQ(window.log.front(), kHeading1);
  EXPECT_EQ(window.log.size(), 4u);
}

TEST_F(SendRunTest, RefusedPreconditionsLeaveTheRunLogAndTheServerAlone) {
  struct Row {
    const char* name;
    bool text, address, account;
    std::string panel1;
  };
  const Row rows[] = {
      {"no body text", false, true, true, "＊＊＊ 送信するテキストがありません。"},
      {"no address list", true, false, true, "＊＊＊ 送信先のアドレスがありません。"},
      {"no account", true, true, false, "＊＊＊ ＳＭＴＰの指定がありません。"},
      {"the body is checked first", false, false, false, "＊＊＊ 送信するテキストがありません。"},
  };
  dest = Addresses(1);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    accounts.Clear();
    if (row.account) AddAccount(10, 0);
    textLoaded = row.text;
    addressLoaded = row.address;
    Run();
    EXPECT_EQ(window.panels[0], "");
    EXPECT_EQ(window.panels[1], row.panel1);
    EXPECT_EQ(window.log, std::vector<std::string>{"earlier line"});
    EXPECT_FALSE(logDirty);
    EXPECT_EQ(bodyList, std::vector<std::string>{"stale"});
    EXPECT_EQ(server->connections, 0);
  }
}

TEST_F(SendRunTest, SendErrorsAreLoggedAsErrorDispSaysAndEndTheRunAsSendErrorBreakSays) {
  const std::string refused = "a2@example.com";
  const std::string errorLine = "ERROR: 5.1.1 <a2@example.com>: No such user";
  struct Row {
    int errorDisp;
    std::vector<std::string> lines;  // after the connected line
  };
  const Row rows[] = {
      {0, {kSendError, errorLine, refused}},
      {1, {kSendError, errorLine}},
      {2, {kSendError}},
      {-1, {kSendError, errorLine, refused}},
      {3, {kSendError}},
  };
  for (const bool breakOnError : {true, false}) {
    for (const Row& row : rows) {
      SCOPED_TRACE("ErrorDisp " + std::to_string(row.errorDisp) +
                   (breakOnError ? ", break" : ", go on"));
      server = std::make_shared<FakeSmtpServer>();
      server->refusedRecipients = {refused};
      TIdSMTP client(platform::LocaleLanguage::Japanese, server);
      RecordingWindow shown(server->timeline);
      accounts.Clear();
      AddAccount(2, 1);
      dest = Addresses(3);
      settings.ErrorDisp = row.errorDisp;
      settings.SendErrorBreak = breakOnError;
      RunSend({client, message, accounts, settings, shown},
              {true, true, docName, addressFile, dest}, bodyList, logDirty);

      std::vector<std::string> expected{kHeading1, kHeading2, kConnected};
      expected.insert(expected.end(), row.lines.begin(), row.lines.end());
      if (breakOnError) {
        // The group disconnects, the run ends without a wait; the panels stay as they were
        // after the last processed address.
        EXPECT_EQ(Groups(), "1");
        EXPECT_EQ(shown.panels[0], "1");
        EXPECT_EQ(shown.panels[1], "a1@example.com");
      } else {
        // The failed address counts as processed and the run goes on.
        expected.push_back(kConnected);
        EXPECT_EQ(Groups(), "1 w1 1");
        EXPECT_EQ(shown.panels[0], "3");
        EXPECT_EQ(shown.panels[1], "送信完了");
      }
      EXPECT_EQ(shown.log, expected);
    }
  }
}

TEST_F(SendRunTest, AServersTextHoldingNulsIsLoggedWholeWithEachNulAsABlank) {
  // A refusal of two lines, with NULs inside each and Shift_JIS text after them.
  using namespace std::string_literals;
  server->refusedRecipients = {"a1@example.com"};
  server->refusal = "550-5.1.1 <a1@example.com>: no\0such user\r\n550 5.1.1 "s +
                    Utf8ToSjis("宛先") + "\0\0"s + Utf8ToSjis("不明") + " \0end\r\n"s;
  AddAccount(10, 0);
  dest = Addresses(2);
  settings.ErrorDisp = 0;
  settings.SendErrorBreak = false;
  Run();
  EXPECT_EQ(window.log, (std::vector<std::string>{kHeading1, kHeading2, kConnected, kSendError,
                                                  "ERROR: 5.1.1 <a1@example.com>: no such user",
                                                  "5.1.1 宛先  不明  end", "a1@example.com"}));
  EXPECT_EQ(server->messages.size(), 1u);  // the next address went out on the same connection

  // The schemes of the AUTH scheme check are a server's text as well.
  server->authLine = "AUTH LOGIN X\0Y\0\0Z"s;
  accounts.Clear();
  AddAccount(10, 0, true);
  CheckAuthSchemes(smtp, accounts, window);
  EXPECT_EQ(window.log, (std::vector<std::string>{"", "LOGIN", "X Y  Z"}));
}

TEST_F(SendRunTest, TheStopQuestionIsAskedWhileEscapeIsHeld) {
  AddAccount(2, 1);
  dest = Addresses(4);

  // "継続" twice while the key stays down over two addresses: both are sent.
  window.escapeHeld = [this] {
    return server->messages.size() == 1 || server->messages.size() == 2;
  };
  window.stopAnswers = {false, false};
  Run();
  EXPECT_EQ(Joined(*server->timeline),
            "connect, rcpt a1@example.com, message, ask, rcpt a2@example.com, message, quit, "
            "wait 1, connect, ask, rcpt a3@example.com, message, rcpt a4@example.com, message, "
            "quit");
  EXPECT_EQ(window.panels[1], "送信完了");

  // "中断" before the first address of the second group: that connection carries no
  // message, and the run ends after its disconnect without a wait.
  server->timeline->clear();
  window.escapeHeld = [this] { return server->messages.size() == 4 + 2; };
  window.stopAnswers = {true};
  Run();
  EXPECT_EQ(Groups(), "2 w1 0");
  EXPECT_EQ(window.log.back(), kStopped);
  // The new group's connection was the last thing panel 1 showed.
  EXPECT_EQ(window.panels[0], "2");
  EXPECT_EQ(window.panels[1], "接続しました。");
  EXPECT_TRUE(window.stopAnswers.empty());
}

TEST_F(SendRunTest, AskingTheWindowToCloseStopsTheRunAtTheNextAddress) {
  struct Row {
    const char* name;
    size_t sentWhenAsked;
    int waitTime;
    std::string groups;
  };
  const Row rows[] = {
      {"inside a group", 3, 5, "3"},
      // At the end of a group: neither a wait nor a connection without a message.
      {"after a group's last address", 10, 5, "10"},
      {"after a group's last address, no wait set", 10, 0, "10"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server = std::make_shared<FakeSmtpServer>();
    TIdSMTP client(platform::LocaleLanguage::Japanese, server);
    RecordingWindow shown(server->timeline);
    accounts.Clear();
    AddAccount(10, row.waitTime);
    dest = Addresses(25);
    shown.closeRequested = [&] { return server->messages.size() == row.sentWhenAsked; };
    RunSend({client, message, accounts, settings, shown}, {true, true, docName, addressFile, dest},
            bodyList, logDirty);
    EXPECT_EQ(Groups(), row.groups);
    EXPECT_EQ(shown.log.back(), kStopped);
    EXPECT_EQ(shown.panels[0], std::to_string(row.sentWhenAsked));
  }
}

TEST_F(SendRunTest, FailedConnectionsAndLoginsEndTheRunWithoutAWait) {
  AddAccount(10, 5, true);
  dest = Addresses(25);
  server->refuseConnect = true;
  Run();
  EXPECT_EQ(window.log,
            (std::vector<std::string>{kHeading1, kHeading2, "＊＊　接続に失敗しました。　＊＊"}));
  EXPECT_EQ(window.panels[0], "");
  EXPECT_EQ(window.panels[1], "");
  EXPECT_EQ(Joined(*server->timeline), "");

  server->refuseConnect = false;
  server->refuseLogin = true;
  Run();
  EXPECT_EQ(window.log, (std::vector<std::string>{kHeading1, kHeading2,
                                                  "＊＊　認証形式で接続に失敗しました。　＊＊"}));
  EXPECT_EQ(Joined(*server->timeline), "connect, quit");
  EXPECT_EQ(window.panels[1], "");
}

TEST_F(SendRunTest, ADroppedConnectionFailsTheRestOfItsGroupAndTheNextGroupReconnects) {
  AddAccount(3, 0);
  dest = Addresses(5);
  settings.SendErrorBreak = false;
  settings.ErrorDisp = 1;
  server->dropAfterMessages = 1;
  Run();
  EXPECT_EQ(Joined(*server->timeline),
            "connect, rcpt a1@example.com, message, hangup, "
            "connect, rcpt a4@example.com, message, rcpt a5@example.com, message, quit");
  EXPECT_EQ(window.log, (std::vector<std::string>{kHeading1, kHeading2, kConnected, kSendError,
                                                  "ERROR: Connection Closed Gracefully.",
                                                  kSendError, "ERROR: Not Connected", kConnected}));
  EXPECT_EQ(window.panels[0], "5");
  EXPECT_EQ(window.panels[1], "送信完了");
}

TEST_F(SendRunTest, AnAttachmentThatVanishedFailsEachSendWithoutWaitingForTheServer) {
  test::TempDir dir;
  AddAccount(2, 0);
  dest = Addresses(2);
  settings.SendErrorBreak = false;
  settings.ErrorDisp = 1;
  window.attachments = {dir.file("gone.bin")};
  Run();
  ASSERT_EQ(window.log.size(), 7u);
  EXPECT_EQ(window.log[3], kSendError);
  EXPECT_EQ(window.log[4].rfind("ERROR: ファイル \"" + dir.file("gone.bin") + "\". ", 0), 0u)
      << window.log[4];
  // The client gave up the connection that stood inside the message data.
  EXPECT_EQ(window.log[5], kSendError);
  EXPECT_EQ(window.log[6], "ERROR: Not Connected");
  EXPECT_EQ(window.panels[1], "送信完了");
  EXPECT_EQ(server->messages.size(), 0u);
}

TEST_F(SendRunTest, TheBodyIsConvertedToJisOnceWhenAttachmentsAreListed) {
  test::TempDir dir;
  test::WriteFileBytes(dir.file("a.bin"), "abc");
  AddAccount(10, 0);
  dest = Addresses(2);
  window.attachments = {dir.file("a.bin"), dir.file("a.bin")};
  docName.clear();
  Run();
  EXPECT_EQ(message.Body, (std::vector<std::string>{"\x1b$BF|K\\\x1b(J", "ascii"}));
  ASSERT_EQ(message.MessageParts.size(), 2u);
  EXPECT_EQ(message.MessageParts[1].FileName, dir.file("a.bin"));
  EXPECT_EQ(message.Subject, "");
  EXPECT_EQ(window.log[0], "文書　　  を開きました。");
  EXPECT_EQ(server->messages.size(), 2u);
  EXPECT_EQ(window.panels[1], "送信完了");
}

TEST_F(SendRunTest, TheAuthSchemeCheckListsWhatTheServerAnnounces) {
  struct Row {
    const char* name;
    bool auth, refuseConnect, refuseEhlo;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"an account without authentication", false, false, false, {"設定なし"}},
      {"each announced scheme on its own line", true, false, false, {"", "LOGIN", "PLAIN"}},
      {"EHLO refused: no line", true, false, true, {}},
      {"no connection", true, true, false, {"＊＊　接続に失敗しました。　＊＊"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server->timeline->clear();
    server->refuseConnect = row.refuseConnect;
    server->refuseEhlo = row.refuseEhlo;
    accounts.Clear();
    AddAccount(10, 0, row.auth);
    CheckAuthSchemes(smtp, accounts, window);
    EXPECT_EQ(window.log, row.lines);
    EXPECT_EQ(window.panels[0], "");
    EXPECT_EQ(window.panels[1], "");
    EXPECT_EQ(Joined(*server->timeline), row.refuseConnect ? "" : "connect, quit");
  }
  accounts.Clear();
  window.log = {"kept"};
  CheckAuthSchemes(smtp, accounts, window);
  EXPECT_EQ(window.panels[1], "＊＊＊ ＳＭＴＰの指定がありません。");
  EXPECT_EQ(window.log, std::vector<std::string>{"kept"});
}

TEST(SplitAtLineEnds, EachKindOfLineEndCutsOnce) {
  EXPECT_EQ(SplitAtLineEnds("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitAtLineEnds("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(SplitAtLineEnds("\n\r"), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(SplitAtLineEnds(""), std::vector<std::string>{});
}

}  // namespace
}  // namespace quill
