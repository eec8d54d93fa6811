// A server's refusal through the main window's 送信, over TCP from a server thread on
// 127.0.0.1: its whole text reaches the run log with each NUL shown as a blank, and the
// saved run log holds the same plain text.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <string>

#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/TcpConnection.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"
#include "settings/SmtpUnit.h"
#include "settings/ui/SmtpSetUnit.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using namespace std::string_literals;
using platform::from_native;
using platform::sjis;
using test::LoopbackServer;
using test::ServerSide;

class SendRunServerTextTest : public test::FormTest {
 protected:
  void SetUp() override {
    CreateForms();
    MainForm->show();
  }
  void TearDown() override {
    DestroyForms();
    platform::SetPortMappingForTesting(25, 0);
  }
};

TEST_F(SendRunServerTextTest, ARefusalHoldingNulsIsLoggedAndSavedWholeWithEachNulAsABlank) {
  const std::string refusal = "550-5.1.1 <to@example.jp>: no\0such user\r\n550 5.1.1 "s +
                              sjis("宛先") + "\0"s + sjis("不明") + "\r\n";
  LoopbackServer server([&](ServerSide& s) {
    s.Send("220 test ready\r\n");
    const std::string replies[] = {"250 test\r\n", "250 reset\r\n", "250 sender\r\n", refusal};
    for (const std::string& reply : replies) {  // EHLO, RSET, MAIL FROM, RCPT TO
      if (s.ReceiveLine().empty()) return;
      s.Send(reply);
    }
    s.ReceiveAll();  // QUIT, then the client closes
  });
  platform::SetPortMappingForTesting(25, server.port());
  SmtpForm->FSmtp->Add("acct", "127.0.0.1", "", "from@example.com", "", 10, 0, false, "", "");
  DestList->clear();
  DestList->push_back("to@example.jp");
  AddressLoaded = true;
  AddressFileName = "/tmp/list.txt";
  TextLoaded = true;
  DocName = "letter";
  MainForm->Body->setPlainText(QStringLiteral("body"));
  Settings->Status = false;
  Settings->ErrorDisp = 0;

  MainForm->SendBtn->click();
  const std::string lines[] = {sjis("文書　　 letter を開きました。"),
                               sjis("アドレス /tmp/list.txt を開きました。"),
                               sjis("acct に接続しました。"),
                               sjis("＊＊　送信エラーです。　＊＊"),
                               "ERROR: 5.1.1 <to@example.jp>: no such user",
                               sjis("5.1.1 宛先 不明"),
                               "to@example.jp"};
  std::string expected;
  for (const std::string& line : lines) expected += line + "\r\n";
  EXPECT_EQ(platform::to_sjis(MainForm->StatusMemo->toPlainText()), expected);

  const std::string logFile = homeFile("run.log");
  ui_.AnswerFile(from_native(logFile));
  MainForm->N27->trigger();
  EXPECT_EQ(test::ReadFileBytes(logFile), expected);
  EXPECT_TRUE(ui_.errors.isEmpty());
}

}  // namespace
}  // namespace quill
