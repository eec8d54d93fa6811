#include <gtest/gtest.h>
#include <sys/stat.h>

#include "dedup/AddressList.h"
#include "platform/Error.h"
#include "platform/TextCodec.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace vivove {
namespace {

using quill::platform::Utf8ToSjis;
using quill::test::ReadFileBytes;
using quill::test::TempDir;
using quill::test::WriteFileBytes;

TEST(VivoveAddressListTest, FirstFieldEndsAtACommaOrAsciiBlankOnly) {
  const std::string ideographicBlank = Utf8ToSjis("　");
  const struct {
    const char* name;
    std::string line;
    std::string entry;
  } rows[] = {
      {"plain", "a@b.c", "a@b.c"},
      {"comma", "a@b.c,Name", "a@b.c"},
      {"blank", "a@b.c Name", "a@b.c"},
      {"blank before comma", "a@b.c x,y", "a@b.c"},
      {"comma before blank", "a@b.c,x y", "a@b.c"},
      {"leading comma", ",a@b.c", ""},
      {"leading blank", " a@b.c", ""},
      {"empty", "", ""},
      {"tab and quotes are ordinary", "\"a@b.c\"\tx", "\"a@b.c\"\tx"},
      {"ideographic blank is ordinary", "a@b.c" + ideographicBlank + "Name",
       "a@b.c" + ideographicBlank + "Name"},
      {"double-byte text kept", Utf8ToSjis("表示名") + ",x", Utf8ToSjis("表示名")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ExtractAddress(row.line), row.entry);
  }
}

TEST(VivoveAddressListTest, LoadsTheEntriesOfTheLinesThatHaveOne) {
  TPositionList addresses = {0};
  TStringList sources = {"old"};
  AppendLoadedEntries(
      "x@a\r\n,skipped\r\n skipped\r\n\r\ny@\ra,Name\nz@a x\n\x1a"
      "after",
      addresses, sources);
  EXPECT_EQ(sources, (TStringList{"old", "x@a", "y@a", "z@a"}));
  EXPECT_EQ(addresses, (TPositionList{0, 1, 2, 3}));
  EXPECT_EQ(EntriesAt(sources, {3, 1}), (TStringList{"z@a", "x@a"}));

  TempDir dir;
  WriteFileBytes(dir.file("list.csv"), "A@b.c\na@b.c\n");
  addresses.clear();
  sources.clear();
  LoadAddressFile(dir.file("list.csv"), addresses, sources);
  EXPECT_EQ(sources, (TStringList{"A@b.c", "a@b.c"}));
  EXPECT_EQ(addresses, (TPositionList{0, 1}));

  addresses.clear();
  sources.clear();
  EXPECT_THROW(LoadAddressFile(dir.file("missing.txt"), addresses, sources), quill::Error);
  EXPECT_THROW(LoadAddressFile(dir.path().string(), addresses, sources), quill::Error);
  EXPECT_TRUE(addresses.empty());
  EXPECT_TRUE(sources.empty());
}

TEST(VivoveAddressListTest, WritesEveryEntryWithCrLf) {
  const TStringList entries = {"x@a", Utf8ToSjis("表@a"), "y@a"};
  EXPECT_EQ(AddressFileBytes(entries, {}), "");
  EXPECT_EQ(AddressFileBytes(entries, {0, 1}), "x@a\r\n" + Utf8ToSjis("表@a") + "\r\n");

  TempDir dir;
  const std::string path = dir.file("list.txt");
  WriteFileBytes(path, "a much longer old content\r\n");
  ::chmod(path.c_str(), 0604);
  SaveAddressFile(path, entries, {0});
  EXPECT_EQ(ReadFileBytes(path), "x@a\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0604u);
  SaveAddressFile(path, entries, {});
  EXPECT_EQ(ReadFileBytes(path), "");
}

TEST(VivoveAddressListTest, AFailedSaveLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.file("list.txt");
  WriteFileBytes(path, "old\r\n");
  std::string message;
  quill::test::WithFileSizeLimit(4, [&] {  // the new list cannot be written whole
    try {
      SaveAddressFile(path, {"new@a.b"}, {0});
    } catch (const quill::Error& e) {
      message = e.what();
    }
  });
  EXPECT_EQ(message, "Cannot write file \"" + path + "\". File too large");
  EXPECT_EQ(ReadFileBytes(path), "old\r\n");

  // A folder in the file's place stays a folder.
  std::filesystem::create_directory(dir.file("folder.txt"));
  EXPECT_THROW(SaveAddressFile(dir.file("folder.txt"), {"new"}, {0}), quill::Error);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.txt")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace vivove
