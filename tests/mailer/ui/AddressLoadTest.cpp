#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QMouseEvent>
#include <QProgressBar>
#include <QTextDocument>

#include "mailer/ui/DblChkPrgUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/ui/SjisText.h"
#include "support/ui/FormTest.h"
#include "support/ui/PaintCounter.h"

namespace quill {
namespace {

using platform::from_native;
using platform::sjis;

class AddressLoadTest : public test::FormTest {
 protected:
  void SetUp() override {
    CreateForms();
    MainForm->show();
  }
  void TearDown() override { DestroyForms(); }

  /// Loads an address file holding `bytes` through the tool button's handler.
  void Load(const std::string& bytes) {
    const std::string path = homeFile("list.csv");
    test::WriteFileBytes(path, bytes);
    ui_.AnswerFile(from_native(path));
    MainForm->AddressBtnClick();
  }
  QString Panel(int i) const { return MainForm->StatusPanel(i)->text(); }
  QString Log() const { return MainForm->StatusMemo->toPlainText(); }
  TStringList List(std::initializer_list<const char*> entries) {
    TStringList list;
    for (const char* e : entries) list.push_back(sjis(e));
    return list;
  }
};

TEST_F(AddressLoadTest, RepeatsAreDroppedKeepingTheFirstOccurrence) {
  std::vector<int> positions;
  std::vector<bool> progressShown;
  ui_.onProcessMessages = [&] {
    positions.push_back(DblChkPrgForm->ProgressBar1->value());
    progressShown.push_back(DblChkPrgForm->isVisible());
  };
  Load("x@a.jp\r\ny@a.jp\r\nx@a.jp\r\nz@a.jp\ny@a.jp");
  EXPECT_EQ(*DestList, List({"x@a.jp", "y@a.jp", "z@a.jp"}));
  EXPECT_EQ(*DestListCopy, List({"x@a.jp", "y@a.jp", "x@a.jp", "z@a.jp", "y@a.jp"}));
  EXPECT_EQ(DupCounts, (std::vector<int32_t>{1, 1, 2, 1, 2}));
  EXPECT_EQ(DupCountLen, 5);
  // Messages go through at the first distinct address, then at most once per 10 ms of the
  // pass (this one is shorter), and at the end.
  EXPECT_EQ(positions, (std::vector<int>{0, 60}));
  EXPECT_EQ(progressShown, (std::vector<bool>{true, true}));
  EXPECT_FALSE(DblChkPrgForm->isVisible());
  EXPECT_TRUE(AddressLoaded);
  EXPECT_EQ(Panel(0), QStringLiteral("3"));
  EXPECT_EQ(Panel(1), QStringLiteral("アドレスファイルを開きました。"));
  EXPECT_TRUE(Log().isEmpty());
  EXPECT_EQ(AddressFileName, homeFile("list.csv"));
  EXPECT_EQ(
      ui_.dialogFilters,
      QStringList({QStringLiteral("テキスト形式|*.txt;|ＣＳＶ形式|*.csv;|全てのファイル|*.*;")}));
}

TEST_F(AddressLoadTest, SeparatorsBeforeAndAfterTheAddressAreCutAway) {
  Load(
      sjis(", 　,a.b-c_d@ex.co.jp,山田\r\n"
           "\r\n"
           " ,　 \r\n"
           "e@f.gh　山田太郎\r\n"
           "i@j.kl mail\x1a ignored\r\n"
           "\x1a"
           "m@n.op\r\n"));
  EXPECT_EQ(*DestList, List({"a.b-c_d@ex.co.jp", "e@f.gh", "i@j.kl"}));
  EXPECT_TRUE(AddressLoaded);
}

TEST_F(AddressLoadTest, InvalidEntriesAreLoggedByPositionAndNoPassRuns) {
  MainForm->SetStatusPanel(0, QStringLiteral("7"));
  Load("a@b.cd\r\n\r\nx@y.zz\r\n\"q@r.st\"\r\nx@y.zz\r\nno-at-sign\r\n");
  EXPECT_EQ(Log(),
            QStringLiteral("アドレスエラー：3->\"q@r.st\"\nアドレスエラー：5->no-at-sign\n"));
  EXPECT_FALSE(AddressLoaded);
  EXPECT_EQ(Panel(1), QStringLiteral("アドレスファイルにエラーが見つかりました。"));
  EXPECT_EQ(Panel(0), QStringLiteral("7"));
  EXPECT_EQ(ui_.processMessagesCalls, 0);
  EXPECT_EQ(DestList->size(), 5u);  // repeats kept
}

TEST_F(AddressLoadTest, ManyInvalidAddressesAreLoggedInOneEditAfterARepaint) {
  std::string bytes;
  QStringList expected;
  for (int i = 1; i <= 20'000; ++i) {
    const std::string entry = "bad" + std::to_string(i) + (i % 2 ? "" : "@x");
    bytes += entry + "\r\n";
    expected << QStringLiteral("アドレスエラー：") + QString::number(i) + QStringLiteral("->") +
                    QString::fromLatin1(entry.c_str());
  }
  int edits = 0;
  QObject::connect(MainForm->StatusMemo->document(), &QTextDocument::contentsChange,
                   [&](int, int, int added) { edits += added > 1; });
  QCoreApplication::processEvents();  // the window is on the screen
  test::PaintCounter paints(*MainForm->StatusMemo->viewport());
  Load(bytes);
  EXPECT_EQ(Log(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
  EXPECT_EQ(edits, 1);
  // The emptied run log was painted once the dialog had closed, before the file was read.
  EXPECT_GE(paints.count, 1);
  EXPECT_EQ(ui_.processMessagesCalls, 0);
  EXPECT_FALSE(AddressLoaded);
}

TEST_F(AddressLoadTest, EmptyMissingAndCancelledLoads) {
  Load("\r\n\r\n , \r\n");
  EXPECT_EQ(Panel(1), QStringLiteral("＊＊＊ アドレスがありません。"));
  EXPECT_FALSE(AddressLoaded);
  EXPECT_TRUE(DestList->empty());

  Load("a@b.cd\r\n");
  ASSERT_TRUE(AddressLoaded);
  MainForm->AppendLog(QStringLiteral("old line"));
  ui_.AnswerFile(std::nullopt);  // cancelled after a good load
  MainForm->AddressBtnClick();
  EXPECT_TRUE(AddressLoaded);
  EXPECT_EQ(*DestList, List({"a@b.cd"}));
  EXPECT_TRUE(Log().isEmpty());
  EXPECT_TRUE(Panel(1).isEmpty());
  EXPECT_EQ(Panel(0), QStringLiteral("1"));

  ui_.AnswerFile(from_native(homeFile("missing.txt")));
  MainForm->AddressBtnClick();
  EXPECT_EQ(Panel(1), QStringLiteral("＊＊＊ アドレスファイルを開けません。"));
  EXPECT_FALSE(AddressLoaded);
  EXPECT_TRUE(DestList->empty());
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(AddressLoadTest, AFifoOrADeviceIsAFileThatCannotBeOpened) {
  // A FIFO could hold the read without end and a device never end it, as /dev/zero would
  // fill the memory: neither is read.
  const std::string fifo = homeFile("pipe.csv");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Load("a@b.cd\r\n");
  ASSERT_TRUE(AddressLoaded);
  ui_.AnswerFile(from_native(fifo));
  MainForm->AddressBtnClick();
  ASSERT_EQ(Panel(1), QStringLiteral("＊＊＊ アドレスファイルを開けません。"));
  EXPECT_FALSE(AddressLoaded);
  EXPECT_TRUE(DestList->empty());

  for (const char* device : {"/dev/zero", "/dev/null"}) {
    Load("a@b.cd\r\n");
    ui_.AnswerFile(QString::fromLatin1(device));
    MainForm->AddressBtnClick();
    EXPECT_EQ(Panel(1), QStringLiteral("＊＊＊ アドレスファイルを開けません。")) << device;
    EXPECT_FALSE(AddressLoaded);
    EXPECT_TRUE(DestList->empty());
    EXPECT_EQ(AddressFileName, device);
  }
  EXPECT_EQ(Panel(0), QStringLiteral("1"));
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(AddressLoadTest, MemoryRunningOutInThePassLeavesNoListToSendTo) {
  Load("a@b.cd\r\n");
  ASSERT_TRUE(AddressLoaded);
  // The pass over a long list needs memory of its own; when it runs out, the error box
  // tells so, and the half-cleaned list must not count as loaded.
  ui_.onProcessMessages = [] { throw std::bad_alloc(); };
  const std::string path = homeFile("list.csv");
  test::WriteFileBytes(path, "x@y.zz\r\nx@y.zz\r\n");
  ui_.AnswerFile(from_native(path));
  MainForm->AddressBtn->click();
  EXPECT_EQ(ui_.errors.size(), 1);
  EXPECT_FALSE(AddressLoaded);
  EXPECT_FALSE(DblChkPrgForm->isVisible());
  EXPECT_EQ(Panel(0), QStringLiteral("1"));
  ui_.onProcessMessages = nullptr;

  // The window takes input again: the next load goes through.
  Load("x@y.zz\r\n");
  EXPECT_TRUE(AddressLoaded);
  EXPECT_EQ(*DestList, List({"x@y.zz"}));
}

TEST_F(AddressLoadTest, TheMainWindowTakesNoInputDuringThePass) {
  int clicksDuringPass = 0;
  bool closedDuringPass = true;
  QObject::connect(MainForm->AddressBtn, &QToolButton::clicked, [&] { ++clicksDuringPass; });
  ui_.onProcessMessages = [&] {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(MainForm->AddressBtn, &press);
    QApplication::sendEvent(MainForm->AddressBtn, &release);
    closedDuringPass = MainForm->close();
  };
  Load("a@b.cd\r\n");
  EXPECT_EQ(clicksDuringPass, 0);
  EXPECT_FALSE(closedDuringPass);
  EXPECT_TRUE(MainForm->isVisible());
  EXPECT_TRUE(AddressLoaded);
}

}  // namespace
}  // namespace quill
