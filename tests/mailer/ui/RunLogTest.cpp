#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "mailer/ui/RunLog.h"
#include "platform/Error.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using platform::DisplayLines;
using platform::HasDisplayLines;

TEST(RunLogTest, LinesAreAppendedWithALineBreakBehindOrInFront) {
  QPlainTextEdit memo;
  AppendLogLine(memo, QStringLiteral("one"));
  AppendLogLine(memo, QStringLiteral("二"));
  EXPECT_EQ(memo.toPlainText(), QStringLiteral("one\n二\n"));
  memo.moveCursor(QTextCursor::End);
  memo.insertPlainText(QStringLiteral("typed"));  // the user typed at the end
  AppendLogLine(memo, QStringLiteral("three"));
  EXPECT_EQ(memo.toPlainText(), QStringLiteral("one\n二\ntyped\nthree"));
  AppendLogLine(memo, QStringLiteral("four"));
  EXPECT_EQ(memo.toPlainText(), QStringLiteral("one\n二\ntyped\nthree\nfour"));
}

TEST(RunLogTest, FileHoldsTheTextInShiftJisWithCrLf) {
  test::TempDir dir;
  QPlainTextEdit memo;
  AppendLogLine(memo, QStringLiteral("＊＊　接続に失敗しました。　＊＊"));
  AppendLogLine(memo, QStringLiteral("abc"));
  const std::string path = dir.file("log.txt");
  WriteRunLogFile(memo, platform::from_native(path));
  EXPECT_EQ(test::ReadFileBytes(path),
            platform::sjis("＊＊　接続に失敗しました。　＊＊") + "\r\nabc\r\n");
  EXPECT_THROW(WriteRunLogFile(memo, platform::from_native(dir.file("missing/log.txt"))), Error);
}

TEST(RunLogTest, DisplayLinesCountWrappedPiecesButNotTheLineAfterTheLastBreak) {
  QPlainTextEdit memo;
  memo.setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo.resize(200, 200);
  memo.show();
  EXPECT_EQ(DisplayLines(memo).size(), 0);
  EXPECT_FALSE(HasDisplayLines(memo));
  memo.setPlainText(QStringLiteral("\n"));
  EXPECT_EQ(DisplayLines(memo).size(), 1);
  EXPECT_TRUE(HasDisplayLines(memo));
  memo.setPlainText(QStringLiteral("x"));
  EXPECT_TRUE(HasDisplayLines(memo));
  memo.setPlainText(QStringLiteral("a\nb\n"));
  EXPECT_EQ(DisplayLines(memo).size(), 2);
  EXPECT_EQ(DisplayLines(memo), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
  memo.setPlainText(QStringLiteral("a\n\nb"));
  EXPECT_EQ(DisplayLines(memo), QStringList({QStringLiteral("a"), QString(), QStringLiteral("b")}));
  // A line far wider than the memo wraps into several display lines that add up to it.
  const QString longLine = QStringLiteral("word ").repeated(60).trimmed();
  memo.setPlainText(longLine);
  const QStringList pieces = DisplayLines(memo);
  EXPECT_GT(pieces.size(), 3);
  EXPECT_EQ(pieces.join(QString()), longLine);
  memo.resize(800, 200);
  EXPECT_LT(DisplayLines(memo).size(), pieces.size());
}

}  // namespace
}  // namespace quill
