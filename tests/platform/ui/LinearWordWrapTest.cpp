#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <random>
#include <vector>

#include "platform/ui/LinearWordWrap.h"
#include "platform/ui/MemoLines.h"

namespace quill::platform {
namespace {

// Where every display line of a memo starts and ends, and where it stands, block by block.
struct LineGeometry {
  int block, start, length;
  qreal top;
  bool operator==(const LineGeometry&) const = default;
};

std::vector<LineGeometry> Geometry(const QPlainTextEdit& memo) {
  std::vector<LineGeometry> lines;
  const QTextDocument& document = *memo.document();
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    document.documentLayout()->blockBoundingRect(block);
    const QTextLayout& layout = *block.layout();
    for (int i = 0; i < layout.lineCount(); ++i) {
      const QTextLine line = layout.lineAt(i);
      lines.push_back({block.blockNumber(), line.textStart(), line.textLength(), line.y()});
    }
  }
  return lines;
}

std::string Describe(const std::vector<LineGeometry>& lines) {
  std::string out;
  for (const LineGeometry& line : lines)
    out += std::to_string(line.block) + ":" + std::to_string(line.start) + "+" +
           std::to_string(line.length) + " ";
  return out;
}

// Text made of pieces that Qt breaks in different ways: words, blanks of several kinds,
// Japanese text and punctuation, marks that combine, characters outside the BMP, a soft
// hyphen, and long runs without any break point, of letters and of kanji-less kana width.
QString RandomText(std::mt19937& random, int pieces) {
  static const QStringList kPieces = {
      QStringLiteral("a"),          QStringLiteral("word"),
      QStringLiteral(" "),          QStringLiteral("  "),
      QStringLiteral("\t"),         QStringLiteral("-"),
      QStringLiteral("あいう"),     QStringLiteral("漢字"),
      QStringLiteral("。"),         QStringLiteral("「"),
      QStringLiteral("」"),         QStringLiteral("\u3000"),
      QStringLiteral("\u00A0"),     QStringLiteral("\u00AD"),
      QStringLiteral("e\u0301"),    QStringLiteral("ｱｲｳ"),
      QStringLiteral("\U0001F600"), QStringLiteral("\uE000"),
      QStringLiteral("1,234"),      QStringLiteral("user@example.co.jp"),
      QStringLiteral("\n")};
  QString text;
  for (int i = 0; i < pieces; ++i) {
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind == 0) {
      // A run without break points, of a length from a few to many lines.
      const int length = std::uniform_int_distribution<int>(1, 1500)(random);
      const QChar letter = QChar(u'a' + std::uniform_int_distribution<int>(0, 25)(random));
      QString run(length, letter);
      if (std::uniform_int_distribution<int>(0, 3)(random) == 0)
        for (int j = 0; j < length; j += 7) run[j] = QChar(u'W');  // uneven widths
      text += run;
    } else {
      text += kPieces[std::uniform_int_distribution<int>(0, int(kPieces.size()) - 1)(random)];
    }
  }
  return text;
}

// Two memos of one size and font: Qt's own word wrap, and the linear one.
struct MemoPair {
  QPlainTextEdit qt;
  QPlainTextEdit linear;

  explicit MemoPair(int width, bool shown = true) {
    UseLinearWordWrap(linear);
    for (QPlainTextEdit* memo : {&qt, &linear}) {
      memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
      memo->resize(width, 150);
      if (shown) memo->show();
    }
  }
  void SetText(const QString& text) {
    qt.setPlainText(text);
    linear.setPlainText(text);
  }
  void Edit(int position, int removed, const QString& inserted) {
    for (QPlainTextEdit* memo : {&qt, &linear}) {
      QTextCursor cursor(memo->document());
      cursor.setPosition(position);
      cursor.setPosition(position + removed, QTextCursor::KeepAnchor);
      cursor.insertText(inserted);
    }
  }
  void Resize(int width) {
    qt.resize(width, 150);
    linear.resize(width, 150);
  }
};

void ExpectSameLines(MemoPair& memos, const char* when) {
  const auto expected = Geometry(memos.qt);
  const auto actual = Geometry(memos.linear);
  EXPECT_EQ(actual, expected) << when << "\nexpected " << Describe(expected) << "\nactual   "
                              << Describe(actual);
  EXPECT_EQ(memos.linear.document()->lineCount(), memos.qt.document()->lineCount()) << when;
  EXPECT_EQ(DisplayLines(memos.linear), DisplayLines(memos.qt)) << when;
}

TEST(LinearWordWrapTest, RandomTextsBreakWhereQtsWordWrapBreaksThem) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    MemoPair memos(std::uniform_int_distribution<int>(60, 400)(random));
    memos.SetText(RandomText(random, 60));
    ExpectSameLines(memos, "after loading");
    for (int edit = 0; edit < 15; ++edit) {
      // Typing, deleting and pasting inside a paragraph, long runs included.
      const int size = memos.qt.document()->characterCount() - 1;
      const int position = std::uniform_int_distribution<int>(0, size)(random);
      const int removed = std::uniform_int_distribution<int>(0, qMin(3, size - position))(random);
      const QString inserted =
          edit % 3 == 0 ? RandomText(random, 2).remove(QLatin1Char('\n')) : QString(QChar(u'x'));
      memos.Edit(position, removed, inserted);
      ExpectSameLines(memos, "after an edit");
    }
    memos.Resize(std::uniform_int_distribution<int>(60, 400)(random));
    ExpectSameLines(memos, "after a resize");
    if (testing::Test::HasFailure()) break;
  }
}

TEST(LinearWordWrapTest, ALineWithoutBreakPointsFillsEveryDisplayLine) {
  MemoPair memos(200);
  const QString run(20000, QChar(u'x'));
  memos.SetText(QStringLiteral("開始 ") + run + QStringLiteral(" end\n") + run);
  ExpectSameLines(memos, "two paragraphs");
  const QStringList lines = DisplayLines(memos.linear);
  ASSERT_GT(lines.size(), 100);
  EXPECT_EQ(lines.first(), QStringLiteral("開始 "));  // the long word starts a line of its own
  EXPECT_EQ(lines.mid(1).join(QString()).left(run.size()), run);
  // Every piece of the run but the last of each paragraph holds as much as the first.
  EXPECT_EQ(lines[2].size(), lines[1].size());
  // Typing into the run and changing the font keep the lines as Qt's.
  memos.Edit(5000, 0, QStringLiteral("  "));
  ExpectSameLines(memos, "after splitting the run");
  QFont font = memos.linear.font();
  font.setPointSize(font.pointSize() + 5);
  memos.qt.setFont(font);
  memos.linear.setFont(font);
  ExpectSameLines(memos, "after a font change");
}

TEST(LinearWordWrapTest, AMemoNotShownYetWrapsOnlyOnceShown) {
  MemoPair memos(200, false);
  memos.SetText(QStringLiteral("a few words ") + QString(3000, QChar(u'z')));
  EXPECT_EQ(DisplayLines(memos.linear).size(), 1);
  ExpectSameLines(memos, "before showing");
  memos.qt.show();
  memos.linear.show();
  EXPECT_GT(DisplayLines(memos.linear).size(), 10);
  ExpectSameLines(memos, "once shown");
}

TEST(LinearWordWrapTest, KeepsWhatTheMemoDoesOtherwise) {
  QPlainTextEdit memo;
  memo.setFont(QFont(QStringLiteral("IPAGothic"), 9));
  UseLinearWordWrap(memo);
  EXPECT_EQ(memo.document()->defaultFont(), memo.font());
  EXPECT_EQ(memo.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
  memo.resize(200, 100);
  memo.show();
  memo.textCursor().insertText(QString(5000, QChar(u'y')));
  EXPECT_TRUE(memo.document()->isModified());
  memo.undo();
  EXPECT_TRUE(memo.document()->isEmpty());
  // Without word wrap, the memo lays a paragraph out on one line, long runs or not.
  memo.setPlainText(QString(5000, QChar(u'y')));
  memo.setLineWrapMode(QPlainTextEdit::NoWrap);
  EXPECT_EQ(DisplayLines(memo).size(), 1);
}

}  // namespace
}  // namespace quill::platform
