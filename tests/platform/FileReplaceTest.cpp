#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "support/FileSizeLimit.h"
#include "support/SaveProcesses.h"
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

// A write cut short (a full disk) or a failing rename, with an unnamed or a named temporary
// file: the old file stays as it was and no temporary file does.
TEST(AtomicFileTest, FailedWritesLeaveTheOldFileIntact) {
  TempDir dir;
  const std::string path = dir.file("settings.reg");
  WriteFileBytes(path, "old content");
  const auto errorOf = [&](std::string_view bytes) {
    try {
      ReplaceFileAtomically(path, bytes);
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    SetNamedTemporaryFilesForTesting(named);
    std::string message;
    WithFileSizeLimit(4, [&] { message = errorOf(std::string(1000, 'x')); });
    EXPECT_EQ(message, "Cannot write file \"" + path + "\". File too large");
    EXPECT_EQ(ReadFileBytes(path), "old content");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
    {
      const test::BeforeRename failing([](const std::string&) { return EIO; });
      message = errorOf("new content");
    }
    EXPECT_EQ(message, "Cannot write file \"" + path + "\". Input/output error");
    EXPECT_EQ(ReadFileBytes(path), "old content");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
  }
  SetNamedTemporaryFilesForTesting(false);

  // A folder where the file should be: the rename fails, and the folder stays.
  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_THROW(ReplaceFileAtomically(dir.file("folder"), "new"), Error);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

// Documents (the body text, the run log) are saved byte for byte; only a regular file is
// replaced, and a FIFO is refused without waiting for a reader or writing into it.
TEST(AtomicFileTest, ADocumentTakesItsBytesAndOnlyARegularFileIsReplaced) {
  TempDir dir;
  const std::string path = dir.file("log.txt");
  const auto save = [](const std::string& file, std::string_view bytes) {
    ReplaceFileAtomically(file, bytes, ReplacedFileMode::KeepOrUmaskDefault);
  };
  save(path, std::string("first\r\nsecond\r\n\0x", 17));
  EXPECT_EQ(ReadFileBytes(path), std::string("first\r\nsecond\r\n\0x", 17));
  save(path, "");
  EXPECT_EQ(ReadFileBytes(path), "");

  const auto errorOf = [&](const std::string& file) {
    try {
      save(file, "log");
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  const std::string missing = dir.file("no/such/dir/log.txt");
  EXPECT_EQ(errorOf(missing), "Cannot create file \"" + missing + "\". No such file or directory");
  EXPECT_EQ(errorOf("/dev/null"), "Cannot create file \"/dev/null\". Invalid argument");
  EXPECT_EQ(errorOf("/dev/full"), "Cannot create file \"/dev/full\". Invalid argument");
  std::filesystem::create_directory(dir.file("folder.txt"));
  WriteFileBytes(dir.file("folder.txt") + "/inside", "kept");
  EXPECT_EQ(errorOf(dir.file("folder.txt")),
            "Cannot create file \"" + dir.file("folder.txt") + "\". Is a directory");
  EXPECT_EQ(ReadFileBytes(dir.file("folder.txt") + "/inside"), "kept");

  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(errorOf(fifo), "Cannot create file \"" + fifo + "\". Invalid argument");
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(errorOf(fifo), "Cannot create file \"" + fifo + "\". Invalid argument");
  char byte;
  EXPECT_EQ(::read(reader, &byte, 1), 0);  // nothing was written into the pipe
  ::close(reader);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

// The temporary file gets its name only just before the rename: .NAME.XXXXXX.saving beside
// the file, with its whole content, its final mode and its writer's lock. A name too long to
// take the additions is cut in the temporary name, and the save goes through.
TEST(AtomicFileTest, TheTemporaryFileIsNamedLockedAndCompleteJustBeforeTheRename) {
  TempDir dir;
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    SetNamedTemporaryFilesForTesting(named);
    for (const std::string& name : {std::string("list.txt"), std::string(255, 'n')}) {
      const std::string path = dir.file(name);
      WriteFileBytes(path, "old");
      ::chmod(path.c_str(), 0640);
      std::string seen;
      const test::BeforeRename look([&](const std::string& temporaryPath) {
        const std::string temporaryName = std::filesystem::path(temporaryPath).filename();
        EXPECT_EQ(temporaryName.size(), std::min<std::size_t>(name.size() + 15, 255));
        EXPECT_EQ(temporaryName.rfind("." + name.substr(0, 240) + ".", 0), 0u) << temporaryName;
        EXPECT_EQ(test::TemporaryFilesIn(dir.path()), std::vector<std::string>({temporaryName}));
        EXPECT_EQ(ReadFileBytes(temporaryPath), "new");
        EXPECT_EQ(ModeOf(temporaryPath), 0640u);
        const int other = ::open(temporaryPath.c_str(), O_RDONLY | O_CLOEXEC);
        const int locked = ::flock(other, LOCK_EX | LOCK_NB);
        const int err = errno;
        ::close(other);
        EXPECT_EQ(locked, -1);  // its writer holds the lock
        EXPECT_EQ(err, EWOULDBLOCK);
        seen = temporaryName;
        return 0;
      });
      ReplaceFileAtomically(path, "new", ReplacedFileMode::KeepOrUmaskDefault);
      EXPECT_FALSE(seen.empty());
      EXPECT_EQ(ReadFileBytes(path), "new");
      EXPECT_EQ(ModeOf(path), 0640u);
      EXPECT_TRUE(test::TemporaryFilesIn(dir.path()).empty());
      std::filesystem::remove(path);
    }
  }
  SetNamedTemporaryFilesForTesting(false);
}

// A save killed once its temporary file has a name leaves that file behind, unlocked (killed
// while it writes, it leaves nothing unless the file was named from the start); the next save
// of the same file removes it, whatever the way it was made, and leaves the leftovers of other
// files' saves and files of other forms alone.
TEST(AtomicFileTest, TheNextSaveRemovesWhatAKilledSaveOfTheSameFileLeft) {
  TempDir dir;
  const std::string path = dir.file("quill2.smt");
  WriteFileBytes(path, "old accounts");
  WriteFileBytes(dir.file(".other.smt.AbC123.saving"), "another file's leftover");
  WriteFileBytes(dir.file(".quill2.smt.bak"), "the user's own");
  WriteFileBytes(dir.file(".quill2.smt.AbC12.saving"), "five characters: not a save's");
  std::string earlier;
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    const std::string left = test::KillSaveBeforeRename([&] {
      SetNamedTemporaryFilesForTesting(named);
      ReplaceFileAtomically(path, "new accounts");
    });
    ASSERT_FALSE(left.empty());
    EXPECT_EQ(ReadFileBytes(left), "new accounts");
    EXPECT_EQ(ModeOf(left), 0600u);
    EXPECT_EQ(ReadFileBytes(path), "old accounts");
    // The killed save had removed the leftover of the one killed before it.
    if (!earlier.empty()) {
      EXPECT_FALSE(std::filesystem::exists(earlier));
    }
    earlier = left;
  }
  // Killed in the middle of its write (after removing the leftover above): an unnamed
  // temporary file goes with its writer, a named one stays.
  const std::vector<std::string> other = {".other.smt.AbC123.saving"};
  EXPECT_TRUE(
      test::KillSaveInItsWrite([&] { ReplaceFileAtomically(path, std::string(1000, 'x')); }, 100));
  EXPECT_EQ(test::TemporaryFilesIn(dir.path()), other);
  EXPECT_TRUE(test::KillSaveInItsWrite(
      [&] {
        SetNamedTemporaryFilesForTesting(true);
        ReplaceFileAtomically(path, std::string(1000, 'x'));
      },
      100));
  EXPECT_EQ(test::TemporaryFilesIn(dir.path()).size(), 2u);
  EXPECT_EQ(ReadFileBytes(path), "old accounts");

  // As a save killed between creating its named file and locking it would leave it.
  WriteFileBytes(dir.file(".quill2.smt.Zz9Zz9.saving"), "");
  EXPECT_EQ(test::TemporaryFilesIn(dir.path()).size(), 3u);
  ReplaceFileAtomically(path, "accounts");
  EXPECT_EQ(ReadFileBytes(path), "accounts");
  EXPECT_EQ(test::TemporaryFilesIn(dir.path()), other);
  EXPECT_EQ(EntriesIn(dir.path()), 4u);
}

// Two instances of the program saving the same file: the second save never removes the
// temporary file of the first, still running, and both complete; the last rename wins.
TEST(AtomicFileTest, ASaveStillRunningKeepsItsTemporaryFile) {
  TempDir dir;
  const std::string path = dir.file("list.txt");
  WriteFileBytes(path, "old");
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named" : "unnamed");
    SetNamedTemporaryFilesForTesting(named);
    test::HeldSave first(
        [&] { ReplaceFileAtomically(path, "first", ReplacedFileMode::KeepOrUmaskDefault); });
    ASSERT_FALSE(first.temporaryPath().empty());
    ReplaceFileAtomically(path, "second", ReplacedFileMode::KeepOrUmaskDefault);
    EXPECT_EQ(ReadFileBytes(path), "second");
    EXPECT_EQ(ReadFileBytes(first.temporaryPath()), "first");
    EXPECT_TRUE(first.Finish());
    EXPECT_EQ(ReadFileBytes(path), "first");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
  }
  SetNamedTemporaryFilesForTesting(false);

  // A leftover whose lock is held here, as by a writer of another program instance.
  const std::string held = dir.file(".list.txt.Held00.saving");
  WriteFileBytes(held, "held");
  const int fd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  ReplaceFileAtomically(path, "third", ReplacedFileMode::KeepOrUmaskDefault);
  EXPECT_EQ(ReadFileBytes(held), "held");
  ::close(fd);  // its writer is gone: the next save removes it
  ReplaceFileAtomically(path, "fourth", ReplacedFileMode::KeepOrUmaskDefault);
  EXPECT_EQ(ReadFileBytes(path), "fourth");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
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
