#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "platform/Error.h"
#include "platform/TextCodec.h"
#include "settings/AccountFile.h"
#include "settings/SmtpUnit.h"
#include "support/TempDir.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TSmtp StoreWithAccounts() {
  TSmtp store;
  store.Add("one", "smtp.example.jp", "id", "a@example.jp", "A", 10, 5, true, "u", "p");
  store.Add("two", "mail.example.jp", "", "b@example.jp", "B", 20, 0, false, "", "");
  return store;
}

std::size_t EntriesIn(const fs::path& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(AccountFileTest, PathIsBesideTheProgram) {
  EXPECT_EQ(AccountFilePath("/opt/quill"), "/opt/quill/quill2.smt");
}

TEST(AccountFileTest, SaveLoadSaveIsByteIdentical) {
  TempDir dir;
  const std::string path = AccountFilePath(dir.path().string());
  TSmtp store = StoreWithAccounts();
  store.SetCurrent(0);
  store.SaveToFile(path);
  const std::string first = ReadFileBytes(path);
  EXPECT_EQ(first.size(), 4848u);
  EXPECT_EQ(first, store.FileImage());

  TSmtp loaded;
  ASSERT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.GetCurrent(), 0);
  EXPECT_EQ(loaded.GetNameAt(1), "two");
  EXPECT_EQ(loaded.GetAuthData().UserName.Text(), "u");
  loaded.SaveToFile(path);
  EXPECT_EQ(ReadFileBytes(path), first);

  WriteFileBytes(path, first + std::string(152, 'z'));  // bytes past 4848 are not read
  TSmtp longer;
  ASSERT_TRUE(longer.LoadFromFile(path));
  EXPECT_EQ(longer.FileImage(), first);
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file left behind";
}

TEST(AccountFileTest, SavedFileIsPrivate) {
  TempDir dir;
  const std::string path = dir.file("quill2.smt");
  WriteFileBytes(path, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  TSmtp().SaveToFile(path);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFileBytes(path), TSmtp().FileImage());
}

TEST(AccountFileTest, MissingFileLeavesTheStoreAlone) {
  TempDir dir;
  TSmtp store = StoreWithAccounts();
  const std::string before = store.FileImage();
  EXPECT_FALSE(store.LoadFromFile(dir.file("quill2.smt")));
  EXPECT_FALSE(store.LoadFromFile(dir.file("no-such-dir/quill2.smt")));
  EXPECT_EQ(store.FileImage(), before);
}

TEST(AccountFileTest, FileThatCannotBeReadRaisesAndChangesNothing) {
  TempDir dir;
  // A socket exists at its path but cannot be opened, even by root; a directory cannot be read.
  const std::string socketPath = dir.file("socket.smt");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  fs::create_directory(dir.file("folder.smt"));

  for (const std::string& path : {socketPath, dir.file("folder.smt")}) {
    SCOPED_TRACE(path);
    TSmtp store = StoreWithAccounts();
    const std::string before = store.FileImage();
    try {
      store.LoadFromFile(path);
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(store.FileImage(), before);
  }
  ::close(sock);
}

// Fails the save at its three steps and checks that the old file survives each time and that no
// temporary file is left.
TEST(AccountFileTest, FailedSaveRaisesAndKeepsTheOldFile) {
  TempDir dir;
  const TSmtp store = StoreWithAccounts();

  // Creating: the folder does not exist. The folder's name is not ASCII, to check the message.
  const std::string missing = dir.file("設定/quill2.smt");
  try {
    store.SaveToFile(missing);
    ADD_FAILURE() << "no error raised";
  } catch (const Error& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Cannot create file \"", 0), 0u) << text;
    EXPECT_NE(text.find(platform::Utf8ToSjis(missing)), std::string::npos);
  }

  // Renaming: a folder stands where the file should go; what is in it stays.
  const std::string folder = dir.file("folder.smt");
  fs::create_directory(folder);
  WriteFileBytes(folder + "/inside", "kept");
  EXPECT_THROW(store.SaveToFile(folder), Error);
  EXPECT_EQ(ReadFileBytes(folder + "/inside"), "kept");

  // Writing: the file size limit (which binds root as well) stops the write after 1000 bytes,
  // as a full disk would.
  const std::string path = dir.file("quill2.smt");
  WriteFileBytes(path, "the old accounts");
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    store.SaveToFile(path);
  } catch (const Error& e) {
    message = e.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(message.rfind("Cannot write file \"" + path + "\". ", 0), 0u) << message;
  EXPECT_EQ(ReadFileBytes(path), "the old accounts");

  EXPECT_EQ(EntriesIn(dir.path()), 2u) << "only folder.smt and quill2.smt";
  store.SaveToFile(path);  // and with the limit gone the same save goes through
  EXPECT_EQ(ReadFileBytes(path), store.FileImage());
}

}  // namespace
}  // namespace quill
