#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QToolButton>

#include "mailer/ui/BodyTextFile.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/RunLog.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"
#include "support/FileSizeLimit.h"
#include "support/SaveProcesses.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using platform::from_native;
using platform::sjis;
using namespace std::string_literals;

const QString kLoaded = QStringLiteral("文章を設定しました。");
const QString kNoText = QStringLiteral("文章がありません。");
const QString kLoadFailed = QStringLiteral("文章の読み込みに失敗しました。");
const QString kSaved = QStringLiteral("文章を保存しました。");
const QString kSaveFailed = QStringLiteral("文章の保存に失敗しました。");

long EntriesIn(const std::string& dir) {
  return std::distance(std::filesystem::directory_iterator(dir), {});
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

class BodyCommandsTest : public test::FormTest {
 protected:
  void SetUp() override {
    CreateForms();
    MainForm->show();
  }
  void TearDown() override { DestroyForms(); }

  /// Opens the body file `name` of the home folder through "開く"; `bytes` is written first
  /// unless it is nullopt (a name typed for a file that does not exist).
  void Open(const std::string& name, std::optional<std::string> bytes) {
    const std::string path = homeFile(name);
    if (bytes) test::WriteFileBytes(path, *bytes);
    ui_.AnswerFile(from_native(path));
    MainForm->Open1->trigger();
  }
  /// Saves the body through "保存" to `path`; returns what the file then holds.
  std::string Save(const std::string& path) {
    ui_.AnswerFile(from_native(path));
    MainForm->Save1->trigger();
    return test::ReadFileBytes(path);
  }
  QString Panel() const { return MainForm->StatusPanel(1)->text(); }
  QString BodyText() const { return MainForm->Body->toPlainText(); }
};

TEST_F(BodyCommandsTest, DocNameIsTheFileNameCutBeforeTheFirstTxt) {
  const struct {
    const char* name;
    const char* docName;
  } rows[] = {{"news.txt", "news"},         {"NEWS.TXT", ""},      {"a.txt.bak", "a"},
              {"my.txtfile.txt", "my"},     {".txt", ""},          {"plain", ""},
              {"お知らせ.txt", "お知らせ"}, {"dir.txt/x.txt", "x"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DocNameOf(std::string("/home/u/") + row.name), sjis(row.docName));
  }
  // Through the open dialog: the subject edit shows it after the load.
  Open("お知らせ.txt", "hello");
  EXPECT_EQ(DocName, sjis("お知らせ"));
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("お知らせ"));
  EXPECT_EQ(ui_.dialogFilters.at(0), QStringLiteral("テキスト|*.txt;|全てのファイル|*.*;"));
}

TEST_F(BodyCommandsTest, LoadSetsTheBodyTitleFlagAndMessage) {
  ui_.AnswerFile(std::nullopt);
  MainForm->TextBtn->click();  // the tool button runs the same handler; cancelled here
  EXPECT_EQ(ui_.offeredFiles.size(), 1);
  Open("news.txt", sjis("本文\r\n二行目\r\n"));
  EXPECT_EQ(BodyText(), QStringLiteral("本文\n二行目\n"));
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("news"));
  EXPECT_TRUE(TextLoaded);
  EXPECT_EQ(Panel(), kLoaded);
  EXPECT_EQ(MainForm->StatusPanel(0)->text(), QString());
  // Clearing the editor speaks of no load.
  MainForm->Body->clear();
  EXPECT_TRUE(TextLoaded);
  EXPECT_EQ(DocName, "news");
}

TEST_F(BodyCommandsTest, AMissingFileReplacesDocNameAndFails) {
  Open("news.txt", "text");
  Open("gone.txt", std::nullopt);
  EXPECT_EQ(DocName, "gone");
  EXPECT_EQ(Panel(), kLoadFailed);
  EXPECT_FALSE(TextLoaded);
  EXPECT_TRUE(BodyText().isEmpty());
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("news"));  // keeps its old text
}

TEST_F(BodyCommandsTest, AnEmptyFileHasNoTextButOneLineBreakIsALine) {
  Open("empty.txt", "");
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("empty"));
  EXPECT_EQ(Panel(), kNoText);
  EXPECT_FALSE(TextLoaded);
  Open("crlf.txt", "\r\n");
  EXPECT_EQ(Panel(), kLoaded);
  EXPECT_TRUE(TextLoaded);
  // A NUL ends the text: one at the start leaves nothing.
  Open("nul.txt", "\0abc"s);
  EXPECT_EQ(Panel(), kNoText);
  EXPECT_FALSE(TextLoaded);
}

TEST_F(BodyCommandsTest, LoneLineEndsBecomeCrLfAndANulEndsTheText) {
  Open("ends.txt", "a\nb\n\rc\rd\r\r\ne\0f\r\ng"s);
  EXPECT_EQ(BodyText(), QStringLiteral("a\nb\n\nc\nd\n\ne"));
  EXPECT_EQ(Save(homeFile("saved")), "a\r\nb\r\n\r\nc\r\nd\r\n\r\ne");
}

TEST_F(BodyCommandsTest, BytesThatFormNoCharacterAreSavedBackUnchanged) {
  std::string bytes;
  for (int b = 0x01; b <= 0xFF; ++b)
    if (b != '\r' && b != '\n') bytes += static_cast<char>(b);
  bytes += "\r\n";
  for (int b = 0x80; b <= 0xFF; ++b) bytes += {static_cast<char>(b), 'A', '\r', '\n'};
  // Lead bytes before a byte that cannot follow them, before a line break and at the end.
  bytes += "\x81\x7F|\x9F\x20|\xE0\x0A|\xFC\xFD|\x81\r\n\x82\xA0\x88\x9F\xEA\xA5\x81";
  Open("raw.txt", bytes);
  ASSERT_EQ(Panel(), kLoaded);
  EXPECT_EQ(Save(homeFile("raw-saved.txt")),
            std::string(bytes).replace(bytes.find("\xE0\x0A"), 2, "\xE0\r\n"));
}

TEST_F(BodyCommandsTest, CancelledOpenEmptiesThePanelOnly) {
  Open("news.txt", "text");
  ui_.AnswerFile(std::nullopt);
  MainForm->Open1->trigger();
  EXPECT_TRUE(Panel().isEmpty());
  EXPECT_EQ(DocName, "news");
  EXPECT_EQ(BodyText(), QStringLiteral("text"));
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("news"));
  EXPECT_TRUE(TextLoaded);
  // The dialog offers the file of its last use.
  EXPECT_EQ(ui_.offeredFiles.last(), from_native(homeFile("news.txt")));
}

TEST_F(BodyCommandsTest, SaveOffersDocNameAndWritesTheTextUnchanged) {
  Open("news.txt", sjis("一行目\r\n最後"));
  MainForm->Body->appendPlainText(QStringLiteral("追加"));
  EXPECT_EQ(Save(homeFile("news")), sjis("一行目\r\n最後\r\n追加"));
  EXPECT_EQ(ui_.offeredFiles.last(), QStringLiteral("news"));
  EXPECT_EQ(ui_.dialogFilters.last(), QStringLiteral("テキスト|*.txt;"));
  EXPECT_EQ(Panel(), kSaved);
  // An existing file is replaced; an empty editor gives an empty file.
  MainForm->Body->clear();
  EXPECT_EQ(Save(homeFile("news")), "");
  EXPECT_TRUE(TextLoaded);
  EXPECT_EQ(DocName, "news");
}

TEST_F(BodyCommandsTest, CancelledSaveChangesNothing) {
  Open("news.txt", "text");
  ui_.AnswerFile(std::nullopt);
  MainForm->Save1->trigger();
  EXPECT_EQ(Panel(), kLoaded);
  EXPECT_FALSE(std::filesystem::exists(homeFile("news")));
  EXPECT_EQ(DocName, "news");
  EXPECT_TRUE(TextLoaded);
}

TEST_F(BodyCommandsTest, AFailingSaveIsReportedAsSuch) {
  Open("news.txt", "text");
  for (const std::string& path : {homeFile("no/such/folder/news"), std::string("/dev/full")}) {
    SCOPED_TRACE(path);
    MainForm->StatusPanel(1)->clear();
    ui_.AnswerFile(from_native(path));
    MainForm->Save1->trigger();
    EXPECT_EQ(Panel(), kSaveFailed);
  }
  EXPECT_TRUE(ui_.errors.isEmpty());
  EXPECT_TRUE(TextLoaded);
}

// A full disk (the file size limit cuts the write short) or a failing rename: the old file
// stays byte for byte, the failure is reported as such, and no temporary file is left.
TEST_F(BodyCommandsTest, AFailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
  Open("news.txt", sjis("新しい本文\r\n") + std::string(5000, 'x'));
  std::filesystem::create_directory(homeFile("docs"));
  const std::string path = homeFile("docs/news");
  const std::string old = sjis("前の本文\r\n");
  test::WriteFileBytes(path, old);
  std::string after;
  test::WithFileSizeLimit(100, [&] { after = Save(path); });
  EXPECT_EQ(after, old);
  EXPECT_EQ(Panel(), kSaveFailed);
  EXPECT_EQ(EntriesIn(homeFile("docs")), 1);
  MainForm->StatusPanel(1)->clear();
  {
    const test::BeforeRename failing([](const std::string&) { return EIO; });
    EXPECT_EQ(Save(path), old);
  }
  EXPECT_EQ(Panel(), kSaveFailed);
  EXPECT_EQ(EntriesIn(homeFile("docs")), 1);
  EXPECT_TRUE(ui_.errors.isEmpty());
  EXPECT_EQ(Save(path), sjis("新しい本文\r\n") + std::string(5000, 'x'));
  EXPECT_EQ(Panel(), kSaved);
}

// A symbolic link stays and the file it names takes the text, keeping its permission bits.
// A save killed once its temporary file had a name leaves that file, which the next save of
// the same file removes.
TEST_F(BodyCommandsTest, ASaveFollowsALinkAndClearsWhatAKilledSaveLeft) {
  Open("news.txt", sjis("本文"));
  std::filesystem::create_directory(homeFile("shared"));
  const std::string linked = homeFile("shared/news");
  test::WriteFileBytes(linked, "old");
  ::chmod(linked.c_str(), 0640);
  std::filesystem::create_symlink("shared/news", homeFile("news-link"));
  EXPECT_EQ(Save(homeFile("news-link")), sjis("本文"));
  EXPECT_EQ(Panel(), kSaved);
  EXPECT_TRUE(std::filesystem::is_symlink(homeFile("news-link")));
  EXPECT_EQ(ModeOf(linked), 0640u);
  EXPECT_EQ(EntriesIn(homeFile("shared")), 1);

  MainForm->Body->setPlainText(QStringLiteral("次の本文"));
  const std::string left =
      test::KillSaveBeforeRename([&] { WriteBodyTextFile(linked, MainForm->Body->toPlainText()); });
  ASSERT_FALSE(left.empty());
  EXPECT_EQ(test::ReadFileBytes(left), sjis("次の本文"));
  EXPECT_EQ(test::ReadFileBytes(linked), sjis("本文"));
  EXPECT_EQ(EntriesIn(homeFile("shared")), 2);
  EXPECT_EQ(Save(homeFile("news-link")), sjis("次の本文"));
  EXPECT_EQ(EntriesIn(homeFile("shared")), 1);
  EXPECT_EQ(ModeOf(linked), 0640u);
}

TEST_F(BodyCommandsTest, FilesThatAreTooLargeOrNotRegularFailWithoutBlocking) {
  Open("big.txt", std::string(kBodyFileLimit + 1, 'x'));
  EXPECT_EQ(Panel(), kLoadFailed);
  EXPECT_TRUE(BodyText().isEmpty());
  EXPECT_FALSE(TextLoaded);
  std::string justFits(kBodyFileLimit, 'x');
  for (std::size_t at = 80; at < justFits.size(); at += 81) justFits[at] = '\n';
  Open("fits.txt", justFits);
  EXPECT_EQ(Panel(), kLoaded);
  EXPECT_EQ(BodyText().size(), static_cast<qsizetype>(kBodyFileLimit));
  ASSERT_EQ(mkfifo(homeFile("pipe.txt").c_str(), 0600), 0);
  Open("pipe.txt", std::nullopt);
  EXPECT_EQ(Panel(), kLoadFailed);
  EXPECT_EQ(DocName, "pipe");
  ASSERT_TRUE(std::filesystem::create_directory(homeFile("folder.txt")));
  Open("folder.txt", std::nullopt);
  EXPECT_EQ(Panel(), kLoadFailed);
  EXPECT_TRUE(ui_.errors.isEmpty());
}

class RunLogCommandsTest : public BodyCommandsTest {
 protected:
  void LogAsAfterASendRun() {
    MainForm->AppendLog(QStringLiteral("文書　　 news を開きました。"));
    MainForm->FLogDirty = true;
  }
};

TEST_F(RunLogCommandsTest, SaveOnAnEmptyLogDoesNothing) {
  MainForm->FLogDirty = true;
  MainForm->N27->trigger();  // a dialog would be an unexpected answer
  EXPECT_TRUE(ui_.offeredFiles.isEmpty());
  EXPECT_TRUE(MainForm->FLogDirty);
}

TEST_F(RunLogCommandsTest, ACompletedSaveTakesTheNameAndClearsTheFlag) {
  LogAsAfterASendRun();
  const std::string chosen = homeFile("run.txt");
  ui_.AnswerFile(from_native(chosen));
  MainForm->N27->trigger();
  EXPECT_EQ(ui_.offeredFiles, QStringList({from_native(homeFile("log.txt"))}));
  EXPECT_EQ(ui_.dialogFilters, QStringList({QStringLiteral("テキスト|*.txt")}));
  EXPECT_EQ(MainForm->SaveDialog2.DefaultExt, QStringLiteral("txt"));
  EXPECT_EQ(test::ReadFileBytes(chosen), sjis("文書　　 news を開きました。") + "\r\n");
  EXPECT_EQ(Settings->LogFile, chosen);
  EXPECT_FALSE(MainForm->FLogDirty);
  // The next save offers the new name; the question at close is no longer asked.
  ui_.AnswerFile(std::nullopt);
  MainForm->N27->trigger();
  EXPECT_EQ(ui_.offeredFiles.last(), from_native(chosen));
  EXPECT_TRUE(MainForm->close());
  EXPECT_TRUE(ui_.modalForms.isEmpty());
}

TEST_F(RunLogCommandsTest, ACancelledSaveLeavesNameAndFlag) {
  LogAsAfterASendRun();
  ui_.AnswerFile(std::nullopt);
  MainForm->N27->trigger();
  EXPECT_EQ(Settings->LogFile, homeFile("log.txt"));
  EXPECT_TRUE(MainForm->FLogDirty);
  EXPECT_FALSE(std::filesystem::exists(homeFile("log.txt")));
}

TEST_F(RunLogCommandsTest, AFailingSaveShowsTheErrorAndLeavesNameAndFlag) {
  LogAsAfterASendRun();
  const std::string chosen = homeFile("no/such/folder/run.txt");
  ui_.AnswerFile(from_native(chosen));
  MainForm->N27->trigger();
  EXPECT_EQ(ui_.errors, QStringList({QStringLiteral("Cannot create file \"") + from_native(chosen) +
                                     QStringLiteral("\". No such file or directory")}));
  EXPECT_EQ(Settings->LogFile, homeFile("log.txt"));
  EXPECT_TRUE(MainForm->FLogDirty);
}

// A full disk or a failing rename, through "ステータスの保存" and through the question at
// close: the error box, the old file byte for byte, LogFile and the flag as they were, no
// temporary file, and the main window still open.
TEST_F(RunLogCommandsTest, AFailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
  LogAsAfterASendRun();
  std::filesystem::create_directory(homeFile("logs"));
  const std::string path = homeFile("logs/run.txt");
  const std::string old = sjis("前のログ\r\n");
  test::WriteFileBytes(path, old);
  const QString prefix = QStringLiteral("Cannot write file \"") + from_native(path);
  ui_.AnswerFile(from_native(path));
  test::WithFileSizeLimit(10, [&] { MainForm->N27->trigger(); });
  {
    const test::BeforeRename failing([](const std::string&) { return EIO; });
    ui_.AnswerFile(from_native(path));
    MainForm->N27->trigger();
    ui_.AnswerModal(1);
    ui_.AnswerFile(from_native(path));
    EXPECT_FALSE(MainForm->close());
  }
  EXPECT_EQ(ui_.errors, QStringList({prefix + QStringLiteral("\". File too large"),
                                     prefix + QStringLiteral("\". Input/output error"),
                                     prefix + QStringLiteral("\". Input/output error")}));
  EXPECT_EQ(test::ReadFileBytes(path), old);
  EXPECT_EQ(EntriesIn(homeFile("logs")), 1);
  EXPECT_EQ(Settings->LogFile, homeFile("log.txt"));
  EXPECT_TRUE(MainForm->FLogDirty);
  EXPECT_TRUE(MainForm->isVisible());
}

// Through a symbolic link the linked file is replaced with its permission bits, and LogFile
// names the file as chosen; the leftover of a save killed before its rename goes with the
// next save of that file.
TEST_F(RunLogCommandsTest, ASaveFollowsALinkAndClearsWhatAKilledSaveLeft) {
  LogAsAfterASendRun();
  std::filesystem::create_directory(homeFile("shared"));
  const std::string linked = homeFile("shared/run.txt");
  test::WriteFileBytes(linked, "old");
  ::chmod(linked.c_str(), 0604);
  std::filesystem::create_symlink(linked, homeFile("run.txt"));
  const std::string left = test::KillSaveBeforeRename(
      [&] { WriteRunLogFile(*MainForm->StatusMemo, from_native(homeFile("run.txt"))); });
  ASSERT_FALSE(left.empty());
  EXPECT_EQ(std::filesystem::path(left).parent_path(), homeFile("shared"));
  EXPECT_EQ(test::ReadFileBytes(linked), "old");
  ui_.AnswerFile(from_native(homeFile("run.txt")));
  MainForm->N27->trigger();
  EXPECT_TRUE(ui_.errors.isEmpty());
  EXPECT_EQ(test::ReadFileBytes(linked), sjis("文書　　 news を開きました。") + "\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(homeFile("run.txt")));
  EXPECT_EQ(ModeOf(linked), 0604u);
  EXPECT_EQ(EntriesIn(homeFile("shared")), 1);
  EXPECT_EQ(Settings->LogFile, homeFile("run.txt"));
  EXPECT_FALSE(MainForm->FLogDirty);
}

TEST_F(RunLogCommandsTest, ClearSelectAllAndCopy) {
  LogAsAfterASendRun();
  MainForm->AppendLog(QStringLiteral("二行目"));
  MainForm->N19->trigger();
  EXPECT_EQ(MainForm->StatusMemo->textCursor().selectedText(),
            QStringLiteral("文書　　 news を開きました。\u2029二行目\u2029"));
  QGuiApplication::clipboard()->clear();
  MainForm->N25->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral("文書　　 news を開きました。\n二行目\n"));
  MainForm->N14->trigger();
  EXPECT_TRUE(MainForm->StatusMemo->toPlainText().isEmpty());
  EXPECT_FALSE(MainForm->FLogDirty);
  EXPECT_EQ(Settings->LogFile, homeFile("log.txt"));
}

}  // namespace
}  // namespace quill
