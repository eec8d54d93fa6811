#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Error.h"
#include "platform/Registry.h"
#include "support/FileSizeLimit.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/Utf16Le.h"

namespace quill::platform {
namespace {

using test::ReadFileBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFileBytes;

constexpr const char* kKey = "Software\\Korvane\\Quill2";
// A written file up to the key's section line: the header and the keys above it.
const std::string kUpToTheKey =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Korvane]\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n";

TEST(RegistryTest, OpensAndCreatesKeysWithTheKeysAboveThem) {
  TempDir dir;
  const std::string file = dir.file("cfg") + "/HKEY_CURRENT_USER.reg";
  Registry reg(file);
  EXPECT_FALSE(reg.KeyExists(kKey));
  EXPECT_FALSE(reg.OpenKey(kKey, false));
  EXPECT_FALSE(std::filesystem::exists(file));  // opening without creating writes nothing
  EXPECT_FALSE(reg.OpenKey("Software\\\\Bad", true));
  EXPECT_FALSE(reg.OpenKey("Software\\Bad\r\nName", true));
  EXPECT_THROW(reg.WriteDword("Status", 1), Error);  // no key open

  ASSERT_TRUE(reg.OpenKey("\\Software\\Korvane\\Quill2", true));
  EXPECT_TRUE(reg.KeyExists(kKey));
  EXPECT_TRUE(reg.KeyExists("Software\\Korvane"));
  EXPECT_TRUE(Registry(file).KeyExists("\\software\\korvane\\quill2"));
  EXPECT_EQ(ReadFileBytes(file),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Korvane]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("cfg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  reg.CloseKey();
  EXPECT_EQ(reg.ReadValue("Status"), std::nullopt);
}

TEST(RegistryTest, ValuesKeepTheirTypesAndAWriteReplacesAnyType) {
  TempDir dir;
  const std::string file = dir.file("HKEY_CURRENT_USER.reg");
  Registry reg(file);
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  reg.WriteDword("Number", 0xFFFFFFFD);
  reg.WriteString("Text", "C:\\\"引用\"\\日本語");
  reg.WriteExpandString("Expand", "%HOME%/log.txt");
  reg.WriteString("Change", "text first");
  reg.WriteDword("Change", 5);  // a value of another type is replaced

  Registry fresh(file);
  ASSERT_TRUE(fresh.OpenKey(kKey, false));
  EXPECT_EQ(fresh.ReadValue("number"), RegistryValue::Dword(0xFFFFFFFD));
  EXPECT_EQ(fresh.ReadValue("Text"), RegistryValue::String("C:\\\"引用\"\\日本語"));
  EXPECT_EQ(fresh.ReadValue("Expand"), RegistryValue::ExpandString("%HOME%/log.txt"));
  EXPECT_EQ(fresh.ReadValue("Change"), RegistryValue::Dword(5));
  EXPECT_EQ(fresh.ReadValue("Missing"), std::nullopt);
  fresh.WriteExpandString("Change", "back to text");
  EXPECT_EQ(fresh.ReadValue("Change"), RegistryValue::ExpandString("back to text"));
  EXPECT_THROW(fresh.WriteDword("Bad\nName", 1), Error);
  EXPECT_NE(ReadFileBytes(file).find("\"Text\"=\"C:\\\\\\\"引用\\\"\\\\日本語\"\r\n"),
            std::string::npos);
}

TEST(RegistryTest, WritesKeepWhatElseTheFileHolds) {
  TempDir dir;
  const std::string file = dir.file("HKEY_CURRENT_USER.reg");
  WriteFileBytes(file,
                 "Windows Registry Editor Version 5.00\n\n"
                 "[HKEY_CURRENT_USER\\Software\\Other]\n\"Kept\"=\"yes\"\ndamaged line\n"
                 "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\n\"Old\"=dword:00000003\n");
  Registry reg(file);
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  // Another writer changes the file while the key is open; its change stays.
  Registry other(file);
  ASSERT_TRUE(other.OpenKey("Software\\Other", false));
  other.WriteDword("Added", 9);
  reg.WriteValues({{"A", RegistryValue::Dword(1)}, {"B", RegistryValue::String("b")}});
  EXPECT_EQ(ReadFileBytes(file),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Korvane]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n"
            "\"Old\"=dword:00000003\r\n\"A\"=dword:00000001\r\n\"B\"=\"b\"\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
            "\"Kept\"=\"yes\"\r\n\"Added\"=dword:00000009\r\n\r\n");
}

TEST(RegistryTest, AFailedWriteRaisesAndLeavesTheFileAsItWas) {
  TempDir dir;
  // The settings folder is blocked by a regular file.
  WriteFileBytes(dir.file("cfg"), "not a folder");
  Registry blocked(dir.file("cfg") + "/HKEY_CURRENT_USER.reg");
  try {
    blocked.OpenKey(kKey, true);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot write file \"" + blocked.file() + "\". Not a directory");
  }
  EXPECT_EQ(ReadFileBytes(dir.file("cfg")), "not a folder");

  // A full disk: the file size limit cuts the new text short.
  const std::string file = dir.file("HKEY_CURRENT_USER.reg");
  const std::string old = "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\n\"Status\"=dword:1\n";
  WriteFileBytes(file, old);
  Registry reg(file);
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  test::WithFileSizeLimit(16, [&] { EXPECT_THROW(reg.WriteString("LogFile", "x"), Error); });
  EXPECT_EQ(ReadFileBytes(file), old);
  EXPECT_EQ(reg.ReadValue("LogFile"), std::nullopt);
  EXPECT_EQ(reg.ReadValue("Status"), RegistryValue::Dword(1));

  // A folder where the file should be cannot be read, so it is neither opened nor replaced.
  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_THROW(Registry(dir.file("folder")).KeyExists(kKey), Error);
  EXPECT_THROW(Registry(dir.file("folder")).OpenKey(kKey, true), Error);
}

// A file that is not wholly an export text is read for what it holds and kept, byte for
// byte, as "<file>.bad" (replacing an older one) before the first change writes a new file.
TEST(RegistryTest, AnUnreadableFileIsKeptBeforeTheFirstWrite) {
  TempDir dir;
  const std::string file = dir.file("HKEY_CURRENT_USER.reg");
  const std::string bad = file + ".bad";
  const std::string damaged =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n"
      "\"Status\"=dword:00000001\r\n"
      "\"LogFile\"=\"/home/u/lo\x00\xff";  // cut off in the middle of a line
  WriteFileBytes(file, damaged);
  WriteFileBytes(bad, "an older bad file");
  Registry reg(file);
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadValue("Status"), RegistryValue::Dword(1));
  EXPECT_EQ(ReadFileBytes(bad), "an older bad file");  // reading keeps everything as it was
  EXPECT_EQ(ReadFileBytes(file), damaged);

  reg.WriteDword("ErrorDisp", 2);
  EXPECT_EQ(ReadFileBytes(bad), damaged);
  EXPECT_EQ(ReadFileBytes(file),
            kUpToTheKey + "\"Status\"=dword:00000001\r\n\"ErrorDisp\"=dword:00000002\r\n\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(bad.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  // The new file reads whole, so the next write leaves the kept one alone.
  reg.WriteDword("ErrorDisp", 1);
  EXPECT_EQ(ReadFileBytes(bad), damaged);

  // Creating the key is a change like any other; a file that reads whole is never kept.
  const std::string junk(std::string("\x00\x01junk\xff", 7));
  WriteFileBytes(file, junk);
  ASSERT_TRUE(Registry(file).OpenKey(kKey, true));
  EXPECT_EQ(ReadFileBytes(bad), junk);
  EXPECT_TRUE(Registry(file).KeyExists(kKey));
  std::filesystem::remove(bad);
  Registry(file).OpenKey("Software\\Other", true);
  EXPECT_FALSE(std::filesystem::exists(bad));
}

// Registry editors export in UTF-16LE: such a file is read, and rewritten in UTF-8, not kept.
TEST(RegistryTest, AUtf16FileIsReadAndRewritten) {
  TempDir dir;
  const std::string file = dir.file("HKEY_CURRENT_USER.reg");
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n"
      "\"LogFile\"=\"/home/太郎/log.txt\"\r\n\r\n";
  WriteFileBytes(file, test::Utf16LeWithBom(text));
  Registry reg(file);
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadValue("LogFile"), RegistryValue::String("/home/太郎/log.txt"));
  reg.WriteDword("Status", 0);
  EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
  EXPECT_NE(
      ReadFileBytes(file).find("\"LogFile\"=\"/home/太郎/log.txt\"\r\n\"Status\"=dword:00000000"),
      std::string::npos);
}

TEST(RegistryTest, DefaultFileFollowsXdgConfigHome) {
  ScopedEnv home("HOME", "/home/tester");
  struct Row {
    const char* name;
    std::optional<std::string> xdg;
    std::string expected;
  } rows[] = {
      {"set", "/tmp/xdg", "/tmp/xdg/Quillpost2/HKEY_CURRENT_USER.reg"},
      {"trailing slash", "/tmp/xdg/", "/tmp/xdg/Quillpost2/HKEY_CURRENT_USER.reg"},
      {"unset", std::nullopt, "/home/tester/.config/Quillpost2/HKEY_CURRENT_USER.reg"},
      {"empty", "", "/home/tester/.config/Quillpost2/HKEY_CURRENT_USER.reg"},
      {"relative", "rel/dir", "/home/tester/.config/Quillpost2/HKEY_CURRENT_USER.reg"},
  };
  for (const auto& row : rows) {
    ScopedEnv xdg("XDG_CONFIG_HOME", row.xdg);
    EXPECT_EQ(DefaultRegistryFile(), row.expected) << row.name;
    EXPECT_EQ(Registry().file(), row.expected) << row.name;
  }
  TempDir dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
  Registry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("Quillpost2/HKEY_CURRENT_USER.reg")));
}

}  // namespace
}  // namespace quill::platform
