#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QToolButton>

#include "mailer/ui/BodyTextFile.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"
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
