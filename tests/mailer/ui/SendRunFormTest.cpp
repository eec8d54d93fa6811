// The send run and the AUTH scheme check through the main window's handlers, against a real
// SMTP server (aiosmtpd on 127.0.0.1); Python's email package decodes what it received.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>
#include <chrono>
#include <optional>

#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/WaitUnit.h"
#include "platform/TcpConnection.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"
#include "settings/ui/SmtpSetUnit.h"
#include "support/AiosmtpdServer.h"
#include "support/ScopedEnv.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using platform::sjis;

const std::string kUser = "quill@example.com";
const std::string kPassword = "secret word";

class SendRunFormTest : public test::FormTest {
 protected:
  void SetUp() override {
    server_.emplace(homeFile(""), kUser, kPassword);
    platform::SetPortMappingForTesting(25, server_->port());
    CreateForms();
    MainForm->show();
  }
  void TearDown() override {
    DestroyForms();
    platform::SetPortMappingForTesting(25, 0);
  }

  // An account for the test server, a loaded body and `count` addresses.
  void Prepare(int count, int sendNum, int waitTime, bool auth = true,
               const std::string& first = "to1@example.jp") {
    SmtpForm->FSmtp->Add(sjis("テスト鯖"), "127.0.0.1", "", "from@example.com", sjis("差出人"),
                         sendNum, waitTime, auth, kUser, kPassword);
    DestList->clear();
    DestList->push_back(first);
    for (int i = 2; i <= count; ++i) DestList->push_back("to" + std::to_string(i) + "@example.jp");
    AddressLoaded = true;
    AddressFileName = "/リスト/宛先.csv";  // native, as the address loader keeps it
    TextLoaded = true;
    DocName = sjis("ご案内");
    MainForm->Body->setPlainText(QStringLiteral("こんにちは、世界。\nASCII line"));
  }
  // Answers the next wait by letting it run its own timer, and records how long it lasted.
  void LetWaitRun() {
    ui_.AnswerModal([this](QDialog& form) {
      QElapsedTimer timer;
      timer.start();
      QEventLoop loop;
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!form.isVisible()) loop.quit();
      });
      poll.start(5);
      loop.exec();
      waits_.push_back(timer.elapsed());
      return -1;
    });
  }
  QStringList Log() const { return MainForm->StatusMemo->toPlainText().split(QLatin1Char('\n')); }
  QString Panel(int i) const { return MainForm->StatusPanel(i)->text(); }
  int ReceivedCount() const {
    int n = 0;
    while (!server_->Received(n + 1, "envelope").empty()) ++n;
    return n;
  }

  test::ScopedEnv locale_{"LC_ALL", "ja_JP.UTF-8"};
  std::optional<test::AiosmtpdServer> server_;
  std::vector<qint64> waits_;
};

TEST_F(SendRunFormTest, EveryAddressReceivesTheMessageInGroupsWithWaitsBetween) {
  Prepare(25, 10, 1);
  LetWaitRun();
  LetWaitRun();
  bool commandsOff = true;
  ui_.onProcessMessages = [&] {
    commandsOff = commandsOff && !MainForm->SendBtn->isEnabled() &&
                  !MainForm->AddressBtn->isEnabled() && !MainForm->SMTP1->isEnabled() &&
                  !MainForm->N24->isEnabled() && MainForm->N11->isEnabled();
  };
  MainForm->SendBtn->click();

  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("WaitForm"), QStringLiteral("WaitForm")}));
  ASSERT_EQ(waits_.size(), 2u);
  for (qint64 ms : waits_) EXPECT_GE(ms, 1000);
  EXPECT_EQ(Panel(0), QStringLiteral("25"));
  EXPECT_EQ(Panel(1), QStringLiteral("送信完了"));
  EXPECT_TRUE(MainForm->FLogDirty);
  EXPECT_GT(ui_.processMessagesCalls, 0);
  EXPECT_TRUE(commandsOff);
  EXPECT_TRUE(MainForm->SendBtn->isEnabled());
  EXPECT_TRUE(MainForm->SMTP1->isEnabled());
  const QString connected = QStringLiteral("テスト鯖 に接続しました。");
  EXPECT_EQ(Log(), QStringList({QStringLiteral("文書　　 ご案内 を開きました。"),
                                QStringLiteral("アドレス /リスト/宛先.csv を開きました。"),
                                connected, connected, connected, QString()}));

  ASSERT_EQ(ReceivedCount(), 25);
  for (int n : {1, 10, 11, 25}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(server_->Received(n, "envelope"),
              "from@example.com\nto" + std::to_string(n) + "@example.jp");
    EXPECT_EQ(server_->Received(n, "subject"), "ご案内");
    EXPECT_EQ(server_->Received(n, "from_name"), "差出人");
    EXPECT_EQ(server_->Received(n, "body"), "こんにちは、世界。\nASCII line\n");
  }

  // A second press sends the same list again from its first address.
  ui_.modalForms.clear();
  SmtpForm->FSmtp->Update(0, sjis("テスト鯖"), "127.0.0.1", "", "from@example.com", "", 30, 0, true,
                          kUser, kPassword);
  MainForm->SendBtn->click();
  EXPECT_TRUE(ui_.modalForms.isEmpty());  // no wait at 0 seconds
  EXPECT_EQ(ReceivedCount(), 50);
  EXPECT_EQ(server_->Received(26, "envelope"), "from@example.com\nto1@example.jp");
  EXPECT_EQ(Log().size(), 4);
}

TEST_F(SendRunFormTest, AttachmentsGoOutWithTheBodyConvertedAndStatusTextsFollowTheSetting) {
  Prepare(2, 10, 0, true, "refused@example.jp");
  const std::string path = homeFile("資料.bin");
  test::WriteFileBytes(path, std::string("\x00\x01\xff binary", 10));
  AtachForm->ListBox1->addItem(platform::from_native(path));
  Settings->Status = true;
  Settings->ErrorDisp = 0;
  Settings->SendErrorBreak = false;
  MainForm->SendBtn->click();

  EXPECT_EQ(
      Log(),
      QStringList({QStringLiteral("文書　　 ご案内 を開きました。"),
                   QStringLiteral("アドレス /リスト/宛先.csv を開きました。"),
                   QStringLiteral("Connecting to 127.0.0.1."), QStringLiteral("Connected."),
                   QStringLiteral("テスト鯖 に接続しました。"),
                   QStringLiteral("＊＊　送信エラーです。　＊＊"),
                   QStringLiteral("ERROR: 5.1.1 No such user here"),
                   QStringLiteral("refused@example.jp"), QStringLiteral("Encoding attachment"),
                   QStringLiteral("Disconnecting."), QStringLiteral("Disconnected."), QString()}));
  EXPECT_EQ(Panel(0), QStringLiteral("2"));
  EXPECT_EQ(Panel(1), QStringLiteral("送信完了"));
  ASSERT_EQ(ReceivedCount(), 1);
  EXPECT_EQ(server_->Received(1, "envelope"), "from@example.com\nto2@example.jp");
  EXPECT_EQ(server_->Received(1, "body"), "こんにちは、世界。\nASCII line\n");
  EXPECT_EQ(server_->Received(1, "part-0.name"), sjis("資料.bin"));
  EXPECT_EQ(server_->Received(1, "part-0.data"), std::string("\x00\x01\xff binary", 10));
}

TEST_F(SendRunFormTest, EscapeAndACloseRequestStopTheRunBeforeTheNextAddress) {
  // "中断" before the first address: a connection without any message.
  Prepare(5, 10, 1);
  ui_.escapeHeld = true;
  ui_.AnswerModal(1);
  MainForm->SendBtn->click();
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("BreakForm")}));
  EXPECT_EQ(Log().at(Log().size() - 2), QStringLiteral("＊＊　送信を中断しました。　＊＊"));
  EXPECT_EQ(Panel(1), QStringLiteral("接続しました。"));
  EXPECT_EQ(ReceivedCount(), 0);

  // Closing during the wait: the run stops at the next address, then the window closes
  // after asking whether to save the run log.
  ui_.escapeHeld = false;
  ui_.modalForms.clear();
  SmtpForm->FSmtp->Update(0, "acct", "127.0.0.1", "", "from@example.com", "", 2, 1, true, kUser,
                          kPassword);
  ui_.AnswerModal([](QDialog&) {
    MainForm->close();
    return 2;
  });
  ui_.AnswerModal(2);  // the question to save the run log: no
  MainForm->SendBtn->click();
  EXPECT_EQ(ui_.modalForms,
            QStringList({QStringLiteral("WaitForm"), QStringLiteral("StatusForm")}));
  EXPECT_EQ(ReceivedCount(), 2);
  EXPECT_EQ(Log().at(Log().size() - 2), QStringLiteral("＊＊　送信を中断しました。　＊＊"));
  EXPECT_FALSE(MainForm->isVisible());
  EXPECT_TRUE(ui_.AllAnswersUsed());
}

TEST_F(SendRunFormTest, AskingToCloseAtTheEndOfAGroupEndsTheRunWithoutTheWait) {
  Prepare(5, 2, 300);
  bool asked = false;
  ui_.onProcessMessages = [&] {
    if (asked || ReceivedCount() < 2) return;
    asked = true;
    MainForm->close();
  };
  ui_.AnswerModal(2);  // the question to save the run log: no
  MainForm->SendBtn->click();
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("StatusForm")}));
  EXPECT_EQ(ReceivedCount(), 2);
  EXPECT_EQ(Log().at(Log().size() - 2), QStringLiteral("＊＊　送信を中断しました。　＊＊"));
  EXPECT_FALSE(MainForm->isVisible());
}

TEST_F(SendRunFormTest, TheAuthSchemeCheckListsTheAnnouncedSchemes) {
  Prepare(1, 10, 0);
  Settings->Status = true;
  MainForm->StatusMemo->setPlainText(QStringLiteral("old"));
  MainForm->SMTP1->trigger();
  EXPECT_EQ(Log(),
            QStringList({QStringLiteral("Connecting to 127.0.0.1."), QStringLiteral("Connected."),
                         QString(), QStringLiteral("LOGIN"), QStringLiteral("Disconnecting."),
                         QStringLiteral("Disconnected."), QString()}));
  EXPECT_FALSE(MainForm->FLogDirty);

  Settings->Status = false;
  SmtpForm->FSmtp->Update(0, "plain", "127.0.0.1", "", "", "", 10, 0, false, "", "");
  MainForm->SMTP1->trigger();
  EXPECT_EQ(Log(), QStringList({QStringLiteral("設定なし"), QString()}));
  EXPECT_FALSE(MainForm->FLogDirty);
  EXPECT_TRUE(ui_.errors.isEmpty());
}

}  // namespace
}  // namespace quill
