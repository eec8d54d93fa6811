#include <gtest/gtest.h>

#include "mailer/addresses/AddressCheck.h"
#include "mailer/addresses/AddressFile.h"
#include "platform/Error.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using Entries = std::vector<std::string>;

Entries EntriesOf(std::string_view bytes) {
  AddressList list;
  AppendAddressEntries(std::string(bytes), list);
  return Entries(list.begin(), list.end());
}

TEST(AddressFileTest, TakesTheNonEmptyFirstFieldOfEveryLine) {
  struct Row {
    const char* name;
    std::string bytes;
    Entries entries;
  };
  const Row rows[] = {
      {"empty file", "", {}},
      {"empty lines only", "\r\n\r\n\n", {}},
      {"separators before, name after",
       ", \x81\x40,a@b.c,\x8e\x52\x93\x63\r\n\x81\x40 d@e.f\x81\x40\x8e\x52\x93\x63\r\n",
       {"a@b.c", "d@e.f"}},
      {"lines that add nothing",
       "a@b.c\r\n\r\n, ,\r\n\x81\x40\r\n,\r\nd@e.f,x\r\n",
       {"a@b.c", "d@e.f"}},
      {"other fields ignored, quotes kept",
       "\"a@b.c\",\"name\"\r\nx@y.z name\r\n",
       {"\"a@b.c\"", "x@y.z"}},
      {"tabs are part of the entry", "\ta@b.c\r\na@b.c\t,x\r\n", {"\ta@b.c", "a@b.c\t"}},
      {"Ctrl-Z ends the list",
       "a@b.c\r\n\x1a"
       "d@e.f\r\n",
       {"a@b.c"}},
      {"lone CR joins the bytes", "ab\rc@d.e\r\n", {"abc@d.e"}},
      {"each joined line keeps its own bytes", "ab\rc@d.e\r\nf@g\r.hi\r\n", {"abc@d.e", "f@g.hi"}},
      {"last line without line end", "a@b.c\r\nd@e.f", {"a@b.c", "d@e.f"}},
  };
  for (const Row& row : rows) EXPECT_EQ(EntriesOf(row.bytes), row.entries) << row.name;

  for (const std::string& entry : EntriesOf("\ta@b.c\r\n\"a@b.c\"\r\n")) {
    EXPECT_EQ(CheckAddress(entry), 25) << entry;
  }
}

TEST(AddressFileTest, PositionsCountEntriesNotLines) {
  // The third and fifth entries are invalid; blank and separator-only lines do not count.
  const Entries entries =
      EntriesOf("\r\na@b.c\r\n, ,\r\nd@e.f\r\nbad\r\n\r\nx@y.z\r\n\tq@r.s\r\na@b.c\r\n");
  std::vector<std::size_t> invalid;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (CheckAddress(entries[i]) > 0) invalid.push_back(i + 1);
  }
  EXPECT_EQ(invalid, (std::vector<std::size_t>{3, 5}));
  EXPECT_EQ(entries.size(), 6u);
}

TEST(AddressFileTest, EntriesViewTheFileBytesKeptWithTheList) {
  AddressList list;
  AppendAddressEntries("  x@a.b,name\r\ny@a.b\r\n", list);
  ASSERT_EQ(list.size(), 2u);
  // No copy per address: the second entry sits where the file put it.
  EXPECT_EQ(list[1].data() - list[0].data(), 12);

  // Wide lines: the first fields are packed on their own, and the file's bytes let go.
  AddressList wide;
  const std::string columns(200, ',');
  AppendAddressEntries("a@b.c" + columns + "\r\nd@e.f" + columns + "\r\n\tq@r.s\r\n", wide);
  EXPECT_EQ(wide, (Entries{"a@b.c", "d@e.f", "\tq@r.s"}));
  EXPECT_EQ(wide[1].data() - wide[0].data(), 5);

  // A copy shares the bytes and outlives the original; a later load appends behind.
  AddressList copy = list;
  list.clear();
  AppendAddressEntries("z@a.b\n", copy);
  EXPECT_EQ(copy, (Entries{"x@a.b", "y@a.b", "z@a.b"}));
  EXPECT_TRUE(list.empty());
}

TEST(AddressFileTest, ReadsAFileAndReportsOneWhichCannotBeRead) {
  test::TempDir dir;
  const std::string path = dir.file("list.csv");
  test::WriteFileBytes(path, "x@a.b\r\ny@a.b\r\n");
  AddressList entries;
  ReadAddressFile(path, entries);
  EXPECT_EQ(entries, (Entries{"x@a.b", "y@a.b"}));

  AddressList untouched;
  EXPECT_THROW(ReadAddressFile(dir.file("missing.txt"), untouched), Error);
  EXPECT_TRUE(untouched.empty());
  EXPECT_THROW(ReadAddressFile(dir.path().string(), untouched), Error);
  EXPECT_TRUE(untouched.empty());
}

}  // namespace
}  // namespace quill
