#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace quill::platform {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WithFileSizeLimit;
using test::WriteFileBytes;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

size_t EntriesIn(const std::filesystem::path& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(AtomicFileTest, ReplacesWithModeOwnerOnlyWhateverTheUmask) {
  TempDir dir;
  const std::string path = dir.file("settings.reg");
  WriteFileBytes(path, "old");
  ::chmod(path.c_str(), 0644);
  const mode_t oldMask = ::umask(0);
  ReplaceFileAtomically(path, "new content");
  ::umask(oldMask);
  EXPECT_EQ(ReadFileBytes(path), "new content");
  EXPECT_EQ(ModeOf(path), 0600u);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);  // no temporary file left behind
  ReplaceFileAtomically(dir.file("fresh"), "");
  EXPECT_EQ(ModeOf(dir.file("fresh")), 0600u);
}

TEST(AtomicFileTest, KeepsTheOldPermissionBitsOrTakesTheUmaskDefault) {
  TempDir dir;
  const std::string path = dir.file("list.txt");
  WriteFileBytes(path, "old");
  ::chmod(path.c_str(), 0640);
  ReplaceFileAtomically(path, "new", ReplacedFileMode::KeepOrUmaskDefault);
  EXPECT_EQ(ReadFileBytes(path), "new");
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(EntriesIn(dir.path()), 1u);

  const mode_t oldMask = ::umask(027);
  ReplaceFileAtomically(dir.file("fresh.txt"), "x", ReplacedFileMode::KeepOrUmaskDefault);
  ::umask(oldMask);
  EXPECT_EQ(ModeOf(dir.file("fresh.txt")), 0640u);
}

// Runs `check` without the privilege to write other users' files, in `dir` (which it may
// write): as the user nobody in a child process when the tests run as root. Returns what
// `check` returns.
int RunUnprivileged(const std::filesystem::path& dir, const std::function<int()>& check) {
  if (::geteuid() != 0) return check();
  constexpr uid_t kNobody = 65534;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
    if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) return 100;
  if (::chown(dir.c_str(), kNobody, kNobody) != 0) return 101;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(102);
    ::_exit(check());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 103;
  return WEXITSTATUS(status);
}

// A document is the file that the user chose by its name: a symbolic link there stays a link
// and the file it names gets the new content; a file that the user may not write is refused
// with the old content kept, as writing it in place would be.
TEST(AtomicFileTest, ADocumentIsReplacedWhereItsLinkPointsAndOnlyWhenWritable) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("shared"));
  WriteFileBytes(dir.file("shared") + "/list.txt", "old");
  ::chmod((dir.file("shared") + "/list.txt").c_str(), 0640);
  std::filesystem::create_symlink("shared/list.txt", dir.file("list.txt"));
  ReplaceFileAtomically(dir.file("list.txt"), "new", ReplacedFileMode::KeepOrUmaskDefault);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("list.txt")));
  EXPECT_EQ(ReadFileBytes(dir.file("shared") + "/list.txt"), "new");
  EXPECT_EQ(ModeOf(dir.file("shared") + "/list.txt"), 0640u);
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
  EXPECT_EQ(EntriesIn(dir.file("shared")), 1u);

  const std::string readOnly = dir.file("read-only.txt");
  WriteFileBytes(readOnly, "old");
  ::chmod(readOnly.c_str(), 0444);
  EXPECT_EQ(RunUnprivileged(
                dir.path(),
                [&] {
                  try {
                    ReplaceFileAtomically(readOnly, "new", ReplacedFileMode::KeepOrUmaskDefault);
                  } catch (const Error& e) {
                    return e.what() == "Cannot create file \"" + readOnly + "\". Permission denied"
                               ? 0
                               : 1;
                  }
                  return 2;
                }),
            0);
  EXPECT_EQ(ReadFileBytes(readOnly), "old");
  EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

TEST(AtomicFileTest, FailedWritesLeaveTheOldFileIntact) {
  TempDir dir;
  const std::string path = dir.file("settings.reg");
  WriteFileBytes(path, "old content");
  std::string message;
  WithFileSizeLimit(4, [&] {
    try {
      ReplaceFileAtomically(path, std::string(1000, 'x'));  // cut short by the size limit
    } catch (const Error& e) {
      message = e.what();
    }
  });
  EXPECT_EQ(message, "Cannot write file \"" + path + "\". File too large");
  EXPECT_EQ(ReadFileBytes(path), "old content");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);

  // A name so long that the temporary name beside it cannot be made.
  const std::string longPath = dir.file(std::string(250, 'n'));
  WriteFileBytes(longPath, "old");
  EXPECT_THROW(ReplaceFileAtomically(longPath, "new"), Error);
  EXPECT_EQ(ReadFileBytes(longPath), "old");

  // A folder where the file should be: the rename fails.
  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_THROW(ReplaceFileAtomically(dir.file("folder"), "new"), Error);
  EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

TEST(AtomicFileTest, ErrorsNameTheFileInShiftJis) {
  TempDir dir;
  WriteFileBytes(dir.file("設定"), "a regular file");
  const std::string path = dir.file("設定") + "/HKEY_CURRENT_USER.reg";
  try {
    MakeDirectories(dir.file("設定"), 0700, path);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              Utf8ToSjis("Cannot write file \"" + path + "\". Not a directory"));
  }
  EXPECT_THROW(MakeDirectories(dir.file("設定") + "/below", 0700, path), Error);
}

TEST(AtomicFileTest, MakesMissingFoldersOwnerOnlyAndReadsPresentFiles) {
  TempDir dir;
  const std::string deep = dir.file("a") + "/b/c";
  MakeDirectories(deep, 0700, deep + "/file");
  MakeDirectories(deep, 0700, deep + "/file");  // existing folders are fine
  EXPECT_EQ(ModeOf(dir.file("a")), 0700u);
  EXPECT_EQ(ModeOf(deep), 0700u);
  EXPECT_EQ(ReadFileIfPresent(deep + "/file"), std::nullopt);
  WriteFileBytes(deep + "/file", std::string("bytes\0\xff", 7));
  EXPECT_EQ(ReadFileIfPresent(deep + "/file"), std::string("bytes\0\xff", 7));
  EXPECT_THROW(ReadFileIfPresent(deep), Error);  // a folder cannot be read as a file
}

}  // namespace
}  // namespace quill::platform
