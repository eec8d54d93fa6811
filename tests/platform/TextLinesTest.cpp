#include <gtest/gtest.h>

#include "platform/Error.h"
#include "platform/TextLines.h"
#include "support/TempDir.h"

namespace quill::platform {
namespace {

using Lines = std::vector<std::string>;

TEST(TextLinesTest, SplitsByTheLineRules) {
  struct Row {
    const char* name;
    std::string bytes;
    Lines lines;
  };
  const Row rows[] = {
      {"empty text has no lines", "", {}},
      {"last line without line end", "a", {"a"}},
      {"LF ends a line", "a\nb\n", {"a", "b"}},
      {"CR LF ends a line", "a\r\nb\r\n", {"a", "b"}},
      {"empty lines count", "\n\r\na\n\n", {"", "", "a", ""}},
      {"lone CR is dropped, the bytes join", "ab\rc@d.e\r\n", {"abc@d.e"}},
      {"lone CR at the end", "a\r", {"a"}},
      {"CR CR LF", "a\r\r\nb", {"a", "b"}},
      {"CR LF split by a lone CR", "a\r\rb\r\n", {"ab"}},
      {"only a lone CR", "\r", {""}},
      {"Ctrl-Z first ends the text",
       "\x1a"
       "abc\n",
       {}},
      {"Ctrl-Z at a later line start",
       "a\r\n\x1a"
       "b\r\nc\r\n",
       {"a"}},
      {"Ctrl-Z inside a line",
       "ab\x1a"
       "cd\r\nef",
       {"ab", "ef"}},
      {"Ctrl-Z at the end of a line", "ab\x1a\nc", {"ab", "c"}},
      {"Ctrl-Z inside the last line",
       "ab\x1a"
       "cd",
       {"ab"}},
      {"CR before Ctrl-Z inside a line",
       "ab\r\x1a"
       "c\r\nd",
       {"ab", "d"}},
      {"Ctrl-Z behind dropped CRs still begins its line",
       "a\n\r\r\x1a"
       "b\nc",
       {"a"}},
      {"empty line then Ctrl-Z", "\r\n\x1a", {""}},
      {"other bytes stay",
       std::string("\0\x81\x40\xff\t\"x", 7) + "\n",
       {std::string("\0\x81\x40\xff\t\"x", 7)}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SplitTextLines(row.bytes), row.lines) << row.name;
  }
}

TEST(TextLinesTest, LinesHaveNoLengthLimitAndViewsStayValid) {
  const std::string longLine(3'000'000, 'x');
  const std::string bytes = longLine + "\r\n" + longLine.substr(5) + "\r" + "yz";
  TextLineReader reader(bytes);
  std::string_view line;
  std::string scratch;
  ASSERT_TRUE(reader.Next(line, scratch));
  EXPECT_EQ(line, longLine);
  ASSERT_TRUE(reader.Next(line, scratch));
  EXPECT_EQ(line.size(), longLine.size() - 5 + 2);
  EXPECT_EQ(line.substr(line.size() - 3), "xyz");
  EXPECT_FALSE(reader.Next(line, scratch));
  EXPECT_FALSE(reader.Next(line, scratch));  // stays at the end
}

TEST(TextLinesTest, ReadsAFileAndFailsOnAMissingOrUnreadableOne) {
  test::TempDir dir;
  const std::string path = dir.file("list.txt");
  test::WriteFileBytes(path,
                       "a@b.c\r\nd@e.f\n\x1a"
                       "g@h.i\r\n");
  EXPECT_EQ(ReadTextFileLines(path), (Lines{"a@b.c", "d@e.f"}));

  test::WriteFileBytes(path, "");
  EXPECT_TRUE(ReadTextFileLines(path).empty());

  // A file of many lines is read whole.
  std::string big;
  Lines bigLines;
  for (int i = 0; i < 30000; ++i) {
    bigLines.push_back("user" + std::to_string(i) + "@example.co.jp");
    big += bigLines.back() + "\r\n";
  }
  test::WriteFileBytes(path, big);
  EXPECT_EQ(ReadTextFileLines(path), bigLines);

  EXPECT_THROW(ReadTextFileLines(dir.file("missing.txt")), Error);
  EXPECT_THROW(ReadTextFileLines(dir.path().string()), Error);  // a directory
}

TEST(TextLinesTest, LineCountBoundIsNeverBelowTheLines) {
  for (const std::string_view text : {"", "a", "a\n", "a\r\nb", "\n\n\n", "a\rb\n\x1a\nc"}) {
    SCOPED_TRACE(text);
    EXPECT_GE(LineCountBound(text), SplitTextLines(text).size());
  }
  EXPECT_EQ(LineCountBound("a\nb\nc"), 3u);
}

}  // namespace
}  // namespace quill::platform
