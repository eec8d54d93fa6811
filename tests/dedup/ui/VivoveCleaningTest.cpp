// The file menu of Vivove's main window: opening, the deletion run, saving, the menu states and
// the status texts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include "dedup/ui/Forms.h"
#include "dedup/ui/MainUnit.h"
#include "dedup/ui/ParamUnit.h"
#include "platform/ui/Form.h"
#include "platform/ui/SjisText.h"
#include "support/FileSizeLimit.h"
#include "support/ui/FormTest.h"

namespace vivove {
namespace {

using quill::platform::from_native;
using quill::platform::sjis;
using quill::test::ReadFileBytes;
using quill::test::WriteFileBytes;

const QString kOpened = QStringLiteral("アドレスファイルを開きました。");
const QString kCannotOpen = QStringLiteral("＊＊＊ アドレスファイルを開けません。");
const QString kDone = QStringLiteral("削除完了しました。");
const QString kSaved = QStringLiteral("アドレスファイルを保存しました。");
const QString kNoMemory = QStringLiteral("メモリが不足しています。");

class VivoveCleaningTest : public quill::test::FormTest {
 protected:
  void SetUp() override {
    quill::platform::InstallFontSubstitutes();
    CreateForms();
    MainForm->show();
  }
  void TearDown() override {
    DestroyForms();
    SetAllocationFailureForTesting({});
  }

  std::string WriteList(const std::string& name, const std::string& bytes) {
    const std::string path = homeFile(name);
    WriteFileBytes(path, bytes);
    return path;
  }
  void Open(const std::string& path) {
    ui_.AnswerFile(from_native(path));
    MainForm->Open1->trigger();
  }
  /// Runs "重複アドレス削除" and answers its dialog with "削除開始" (or "Cancel").
  void RunDeletion(bool start = true) {
    ui_.AnswerModal([start](QDialog&) {
      (start ? ParamForm->Button1 : ParamForm->Button2)->click();
      return -1;
    });
    MainForm->N1->trigger();
  }
  void Save(const std::string& path) {
    ui_.AnswerFile(from_native(path));
    MainForm->Save1->trigger();
  }
  /// The working list's entries.
  TStringList Kept() const { return EntriesAt(*SourceList, *AddressList); }
  QString Status() const { return MainForm->StatusText(); }
  QString Memo() const { return MainForm->Memo1->toPlainText(); }
  TStringList List(std::initializer_list<const char*> entries) {
    TStringList list;
    for (const char* e : entries) list.push_back(sjis(e));
    return list;
  }
  /// Checks the enabled states of 重複アドレス削除 and 保存 (開く and 終了 are always enabled).
  void ExpectMenu(bool deleteEnabled, bool saveEnabled) {
    EXPECT_TRUE(MainForm->Open1->isEnabled());
    EXPECT_TRUE(MainForm->Exit1->isEnabled());
    EXPECT_EQ(MainForm->N1->isEnabled(), deleteEnabled);
    EXPECT_EQ(MainForm->Save1->isEnabled(), saveEnabled);
  }
};

TEST_F(VivoveCleaningTest, RepeatsAreDeletedLoggedAndSaved) {
  const std::string path = WriteList("list.txt", "x\r\ny\r\nx\r\nz\r\ny\r\n");
  Open(path);
  EXPECT_EQ(Status(), kOpened);
  EXPECT_EQ(*SourceList, List({"x", "y", "x", "z", "y"}));
  EXPECT_EQ(Kept(), *SourceList);
  EXPECT_EQ(*AddressList, (TPositionList{0, 1, 2, 3, 4}));
  EXPECT_EQ(ui_.dialogFilters.value(0),
            QStringLiteral("テキスト形式|*.txt;|ＣＳＶ形式|*.csv;|全てのファイル|*.*;"));

  std::vector<int> barWhileShown;
  ui_.AnswerModal([&](QDialog& dialog) {
    EXPECT_EQ(&dialog, ParamForm);
    EXPECT_EQ(FlagCount, 5);
    EXPECT_EQ(DeleteFlags, TDeleteFlags(5, kKeep));
    QObject::connect(ParamForm->ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { barWhileShown.push_back(value); });
    ParamForm->Button1->click();
    return -1;
  });
  MainForm->N1->trigger();
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("ParamForm")}));
  EXPECT_EQ(barWhileShown, (std::vector<int>{20, 40, 60, 80}));  // 0 was there already
  EXPECT_EQ(ui_.processMessagesCalls, 0);  // no window message was let through
  EXPECT_EQ(ParamForm->ProgressBar1->value(), 80);
  EXPECT_EQ(Kept(), List({"x", "y", "z"}));
  EXPECT_EQ(*SourceList, List({"x", "y", "x", "z", "y"}));
  EXPECT_TRUE(DeleteFlags.empty());  // freed at the end of the run
  EXPECT_EQ(Memo(), QStringLiteral("3:x を削除しました。\n5:y を削除しました。\n"));
  EXPECT_EQ(Status(), kDone);
  ExpectMenu(true, true);

  Save(homeFile("cleaned.txt"));
  EXPECT_EQ(ui_.offeredFiles.last(), from_native(path));
  EXPECT_EQ(ui_.dialogFilters.last(), QString());
  EXPECT_EQ(ReadFileBytes(homeFile("cleaned.txt")), "x\r\ny\r\nz\r\n");
  EXPECT_EQ(ReadFileBytes(path), "x\r\ny\r\nx\r\nz\r\ny\r\n");  // the opened file untouched
  EXPECT_EQ(Status(), kSaved);
  EXPECT_EQ(AddressFileName, path);
  ExpectMenu(true, true);
  EXPECT_TRUE(ui_.errors.isEmpty());
  EXPECT_TRUE(ui_.AllAnswersUsed());
}

TEST_F(VivoveCleaningTest, FirstFieldsPositionsAndLetterCase) {
  Open(WriteList("list.csv", sjis(",lead@a\r\n lead@a\r\n\r\nA@b,Name\r\na@b x\r\nA@b\r\n"
                                  "A@b　名前\r\nA@b\r\n")));
  EXPECT_EQ(*SourceList, List({"A@b", "a@b", "A@b", "A@b　名前", "A@b"}));
  RunDeletion();
  EXPECT_EQ(Kept(), List({"A@b", "a@b", "A@b　名前"}));
  // Positions count loaded entries, not file lines.
  EXPECT_EQ(Memo(), QStringLiteral("3:A@b を削除しました。\n5:A@b を削除しました。\n"));

  // A second run after the same open logs the same positions again.
  RunDeletion();
  EXPECT_EQ(Kept(), List({"A@b", "a@b", "A@b　名前"}));
  EXPECT_EQ(Memo(), QStringLiteral("3:A@b を削除しました。\n5:A@b を削除しました。\n"
                                   "3:A@b を削除しました。\n5:A@b を削除しました。\n"));
}

TEST_F(VivoveCleaningTest, ASecondFileIsCleanedAloneBelowTheFirstLog) {
  Open(WriteList("one.txt", "a\na\n"));
  RunDeletion();
  Open(WriteList("two.txt", "b\nc\nc\nb\n"));
  EXPECT_EQ(Kept(), List({"b", "c", "c", "b"}));
  EXPECT_EQ(Status(), kOpened);
  RunDeletion();
  EXPECT_EQ(Kept(), List({"b", "c"}));
  EXPECT_EQ(Memo(), QStringLiteral("2:a を削除しました。\n3:c を削除しました。\n"
                                   "4:b を削除しました。\n"));

  // The user's own typing at the end of the memo gets the next line after a line break.
  MainForm->Memo1->appendPlainText(QStringLiteral("note"));
  ASSERT_EQ(Memo().right(5), QStringLiteral("\nnote"));
  RunDeletion();
  EXPECT_TRUE(Memo().endsWith(QStringLiteral("note\n3:c を削除しました。\n4:b を削除しました。")));
}

// As lines added to a memo do, a run's log comes into view with the caret after it, also below
// a longer log of an earlier run that the user has scrolled back through.
TEST_F(VivoveCleaningTest, TheNewestLogLinesComeIntoView) {
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes += "a\r\n";
  Open(WriteList("list.txt", bytes));
  QPlainTextEdit& memo = *MainForm->Memo1;
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    RunDeletion();
    QApplication::processEvents();
    ASSERT_GT(memo.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(memo.textCursor().atEnd());
    EXPECT_TRUE(memo.viewport()->rect().contains(memo.cursorRect()));
    memo.verticalScrollBar()->setValue(0);  // back to the first lines
  }
}

TEST_F(VivoveCleaningTest, AnEmptyFileOpensRunsAndSavesEmpty) {
  for (const char* bytes : {"", "\r\n\r\n\n"}) {
    SCOPED_TRACE(bytes);
    const std::string path = WriteList("empty.txt", bytes);
    Open(path);
    EXPECT_EQ(Status(), kOpened);
    EXPECT_TRUE(SourceList->empty());
    RunDeletion();
    EXPECT_EQ(ParamForm->ProgressBar1->value(), 0);
    EXPECT_EQ(Status(), kDone);
    EXPECT_TRUE(Memo().isEmpty());
    ExpectMenu(true, true);
    Save(path);
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(Status(), kSaved);
  }
}

TEST_F(VivoveCleaningTest, AFileThatCannotBeReadIsOnlyAStatusText) {
  ExpectMenu(false, false);
  EXPECT_TRUE(Status().isEmpty());
  std::filesystem::create_directory(homeFile("folder"));
  ASSERT_EQ(::mkfifo(homeFile("fifo").c_str(), 0600), 0);  // would block a plain read
  for (const std::string& path : {homeFile("missing.txt"), homeFile("folder"), homeFile("fifo")}) {
    SCOPED_TRACE(path);
    Open(path);
    EXPECT_EQ(Status(), kCannotOpen);
    EXPECT_EQ(AddressFileName, path);
    EXPECT_TRUE(SourceList->empty());
    ExpectMenu(false, false);
  }
  EXPECT_TRUE(ui_.errors.isEmpty());
  EXPECT_TRUE(Memo().isEmpty());
}

TEST_F(VivoveCleaningTest, MenuStatesRowByRow) {
  // Program start.
  ExpectMenu(false, false);
  // A cancelled open dialog changes nothing.
  ui_.AnswerFile(std::nullopt);
  MainForm->Open1->trigger();
  ExpectMenu(false, false);
  EXPECT_TRUE(Status().isEmpty());
  // A successful open enables the run; 保存 keeps its state.
  const std::string path = WriteList("list.txt", "a\na\n");
  Open(path);
  ExpectMenu(true, false);
  // A run that reaches its end (here through Cancel) enables 保存.
  RunDeletion(false);
  ExpectMenu(true, true);
  EXPECT_EQ(Status(), kDone);
  // Saving, and a cancelled save dialog, change nothing.
  Save(path);
  ExpectMenu(true, true);
  ui_.AnswerFile(std::nullopt);
  MainForm->Save1->trigger();
  ExpectMenu(true, true);
  EXPECT_EQ(Status(), kSaved);
  // A run stopped for lack of memory changes nothing.
  SetAllocationFailureForTesting([](RunStep) { return true; });
  MainForm->N1->trigger();
  ExpectMenu(true, true);
  SetAllocationFailureForTesting({});
  // A failed open: the partial list must not replace the file, so 保存 goes off until a run
  // follows a successful open.
  Open(homeFile("missing.txt"));
  ExpectMenu(true, false);
  RunDeletion();
  ExpectMenu(true, false);
  Open(path);
  ExpectMenu(true, false);
  RunDeletion();
  ExpectMenu(true, true);
  EXPECT_TRUE(ui_.AllAnswersUsed());
}

TEST_F(VivoveCleaningTest, CancelRestoresEveryLoadedEntryAndLogsNothing) {
  Open(WriteList("list.txt", "a\nb\na\n"));
  RunDeletion();
  ASSERT_EQ(Kept(), List({"a", "b"}));
  const QString logBefore = Memo();
  ParamForm->ProgressBar1->setValue(66);
  RunDeletion(false);
  EXPECT_EQ(ParamForm->ProgressBar1->value(), 66);  // left as the last run left it
  EXPECT_EQ(Kept(), List({"a", "b", "a"}));
  EXPECT_EQ(Memo(), logBefore);
  EXPECT_EQ(Status(), kDone);

  // The close box answers as Cancel does.
  ui_.AnswerModal([](QDialog& dialog) {
    dialog.close();
    return -1;
  });
  MainForm->N1->trigger();
  EXPECT_EQ(Kept(), List({"a", "b", "a"}));
  EXPECT_EQ(Memo(), logBefore);
}

TEST_F(VivoveCleaningTest, RunningOutOfMemoryStopsTheRunWithAStatusText) {
  Open(WriteList("list.txt", "a\nb\na\n"));
  SetAllocationFailureForTesting([](RunStep step) { return step == RunStep::Flags; });
  MainForm->N1->trigger();
  EXPECT_EQ(Status(), kNoMemory);
  EXPECT_TRUE(ui_.modalForms.isEmpty());  // the dialog was not shown
  EXPECT_EQ(Kept(), List({"a", "b", "a"}));
  ExpectMenu(true, false);

  // Memory that runs out while the copies are marked stops the run the same way, instead of
  // ending it as if no copies had been found.
  SetAllocationFailureForTesting([](RunStep step) { return step == RunStep::Marking; });
  RunDeletion();
  EXPECT_EQ(Status(), kNoMemory);
  EXPECT_EQ(Kept(), List({"a", "b", "a"}));
  EXPECT_TRUE(Memo().isEmpty());
  EXPECT_TRUE(DeleteFlags.empty());
  ExpectMenu(true, false);
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(VivoveCleaningTest, AFailedSaveLeavesTheOldFileAndTheStatusText) {
  const std::string path = WriteList("list.txt", "a\na\nb\n");
  Open(path);
  RunDeletion();
  quill::test::WithFileSizeLimit(4, [&] { Save(path); });
  EXPECT_EQ(ReadFileBytes(path), "a\na\nb\n");
  ASSERT_EQ(ui_.errors.size(), 1);
  EXPECT_EQ(ui_.errors[0], QStringLiteral("Cannot write file \"") + from_native(path) +
                               QStringLiteral("\". File too large"));
  EXPECT_EQ(Status(), kDone);
  ExpectMenu(true, true);
}

TEST_F(VivoveCleaningTest, TheDeletionDialog) {
  TParamForm& form = *ParamForm;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("重複アドレスの削除"));
  EXPECT_EQ(form.size(), QSize(384, 126));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(form.Label1->text(), QStringLiteral("重複しているアドレスを削除します。"));
  EXPECT_EQ(form.Label2->text(),
            QStringLiteral("【注】　削除を開始すると、Ｃａｎｃｅｌ　はできません。"));
  EXPECT_EQ(form.ProgressBar1->size(), QSize(337, 16));
  EXPECT_EQ(form.ProgressBar1->minimum(), 0);
  EXPECT_EQ(form.ProgressBar1->maximum(), 100);
  EXPECT_EQ(form.Button1->text(), QStringLiteral("削除開始"));
  EXPECT_EQ(form.Button2->text(), QStringLiteral("Cancel"));
  EXPECT_EQ(quill::test::CutOffTexts(form), QStringList());
  if (quill::test::HasIpaFonts()) {
    EXPECT_EQ(quill::test::ResolvedFamily(*form.Label1), QStringLiteral("IPAPGothic"));
  }

  // Its answers: 1 for the start button, 2 for Cancel; Escape answers nothing.
  SourceList->assign({"a", "a"});
  FlagCount = 2;
  DeleteFlags = AllocateDeleteFlags(2);
  EXPECT_EQ(quill::test::RunModal(ui_, form, [&] { form.Button1->click(); }), 1);
  EXPECT_EQ(DeleteFlags, (TDeleteFlags{kKeep, kDelete}));
  EXPECT_EQ(quill::test::RunModal(ui_, form, [&] { form.Button2->click(); }), 2);
  EXPECT_EQ(quill::test::RunModal(ui_, form, [&] { quill::test::PressKey(form, Qt::Key_Escape); }),
            0);
}

}  // namespace
}  // namespace vivove
