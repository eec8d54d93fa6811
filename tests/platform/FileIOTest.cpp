#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Error.h"
#include "platform/FileIO.h"
#include "support/TempDir.h"

namespace quill::platform {
namespace {

TEST(FileIOTest, ReadFailuresNameTheFileAndTheReason) {
  test::TempDir dir;
  const std::string missing = dir.file("no/such/dir/log.txt");
  try {
    ReadWholeFile(missing);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + missing + "\". No such file or directory");
  }
}

TEST(FileIOTest, AWholeFileIsReadIntoOneBufferOfItsSize) {
  test::TempDir dir;
  const std::string path = dir.file("big.txt");
  std::string content(3'000'001, 'a');
  for (std::size_t i = 0; i < content.size(); i += 7) content[i] = static_cast<char>(i % 251);
  test::WriteFileBytes(path, content);
  const std::string read = ReadWholeFile(path);
  EXPECT_EQ(read, content);
  // Looking for the end of the file must not have doubled the buffer.
  EXPECT_LT(read.capacity(), content.size() + 64);
  EXPECT_EQ(ReadFileIfPresent(path, 10), content.substr(0, 10));

  // A file that tells no size is read to its end all the same.
  const std::string status = ReadWholeFile("/proc/self/status");
  EXPECT_NE(status.find("VmRSS"), std::string::npos);
}

TEST(FileIOTest, AFifoWithoutWriterDoesNotBlockTheRead) {
  test::TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(fifo), "");
}

TEST(FileIOTest, ARegularFileIsReadUpToItsLimitAndNothingElseIsRead) {
  test::TempDir dir;
  const std::string path = dir.file("body.txt");
  test::WriteFileBytes(path, "12345");
  EXPECT_EQ(ReadRegularFile(path, 5), "12345");
  EXPECT_EQ(ReadRegularFile(path, 100), "12345");
  try {
    ReadRegularFile(path, 4);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read file \"" + path + "\". File too large");
  }
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& other :
       {dir.path().string(), fifo, std::string("/dev/zero"), dir.file("missing.txt")}) {
    SCOPED_TRACE(other);
    EXPECT_THROW(ReadRegularFile(other, 100), Error);
  }
}

// Pieces of the asked size as they are read; only a regular file is read, and every failure
// comes back as its reason.
TEST(FileIOTest, ReadsARegularFileInPieces) {
  test::TempDir dir;
  const std::string path = dir.file("data.bin");
  test::WriteFileBytes(path, "abcdefgh");
  auto pieces = [](const std::string& file, std::size_t size, std::error_code* error) {
    std::vector<std::string> got;
    *error = ReadFileInPieces(file, size, [&got](std::string_view p) { got.emplace_back(p); });
    return got;
  };
  std::error_code error;
  EXPECT_EQ(pieces(path, 3, &error), (std::vector<std::string>{"abc", "def", "gh"}));
  EXPECT_FALSE(error);
  EXPECT_EQ(pieces(path, 4, &error), (std::vector<std::string>{"abcd", "efgh"}));
  EXPECT_FALSE(error);
  test::WriteFileBytes(path, "");
  EXPECT_TRUE(pieces(path, 4, &error).empty());
  EXPECT_FALSE(error);

  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    std::errc reason;
  } refused[] = {{fifo, std::errc::invalid_argument},
                 {dir.path().string(), std::errc::is_a_directory},
                 {dir.file("missing"), std::errc::no_such_file_or_directory}};
  for (const auto& row : refused) {
    EXPECT_TRUE(pieces(row.path, 4, &error).empty()) << row.path;
    EXPECT_EQ(error, row.reason) << row.path;
  }

  test::WriteFileBytes(path, "abcdefgh");
  EXPECT_THROW((void)ReadFileInPieces(path, 2, [](std::string_view) { throw Error("stop"); }),
               Error);
}

}  // namespace
}  // namespace quill::platform
