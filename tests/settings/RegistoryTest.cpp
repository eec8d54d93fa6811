#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Error.h"
#include "settings/Registory.h"
#include "support/FileSizeLimit.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/Utf16Le.h"

namespace quill {
namespace {

using test::ReadFileBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFileBytes;

const std::string kSection = "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n";

struct Fields {
  bool status;
  std::int32_t errorDisp;
  std::string logFile;
  bool sendErrorBreak;
};

Fields FieldsOf(const TRegistory& s) {
  return {s.Status, s.ErrorDisp, s.LogFile, s.SendErrorBreak};
}

void ExpectFields(const TRegistory& s, const Fields& f, const char* what) {
  EXPECT_EQ(s.Status, f.status) << what;
  EXPECT_EQ(s.ErrorDisp, f.errorDisp) << what;
  EXPECT_EQ(s.LogFile, f.logFile) << what;
  EXPECT_EQ(s.SendErrorBreak, f.sendErrorBreak) << what;
}

class RegistoryTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScopedEnv home{"HOME", dir.file("home")};
  ScopedEnv xdg{"XDG_CONFIG_HOME", dir.file("config")};
  std::string file = dir.file("config") + "/Quillpost2/HKEY_CURRENT_USER.reg";
  std::string defaultLog = dir.file("home") + "/log.txt";
};

TEST_F(RegistoryTest, CreateGivesTheDefaultsAndAMissingKeyKeepsThem) {
  TRegistory settings;
  ExpectFields(settings, {false, 0, defaultLog, true}, "created");
  settings.LoadSettings();
  ExpectFields(settings, {false, 0, defaultLog, true}, "no file");
  EXPECT_FALSE(std::filesystem::exists(file));

  std::filesystem::create_directories(dir.file("config") + "/Quillpost2");
  WriteFileBytes(file, "[HKEY_CURRENT_USER\\Software\\Korvane]\r\n\"LogFile\"=\"x\"\r\n");
  settings.LoadSettings();
  ExpectFields(settings, {false, 0, defaultLog, true}, "no key");
}

TEST_F(RegistoryTest, LoadTakesWhatTheKeyHoldsAndKeepsFieldsForWrongTypes) {
  struct Row {
    const char* name;
    std::string values;
    Fields expected;
  } rows[] = {
      {"all four",
       "\"Status\"=dword:00000001\r\n\"ErrorDisp\"=dword:00000002\r\n"
       "\"LogFile\"=\"/var/log/送信.txt\"\r\n\"SendErrorBreak\"=dword:00000000\r\n",
       {true, 2, "/var/log/送信.txt", false}},
      {"no LogFile",
       "\"Status\"=dword:0\r\n\"ErrorDisp\"=dword:0\r\n\"SendErrorBreak\"=dword:1\r\n",
       {false, 0, "", true}},
      {"Status 5 and ErrorDisp 7",
       "\"Status\"=dword:00000005\r\n\"ErrorDisp\"=dword:00000007\r\n",
       {true, 7, "", true}},
      {"ErrorDisp -3", "\"ErrorDisp\"=dword:fffffffd\r\n", {false, -3, "", true}},
      {"wrong types",
       "\"Status\"=\"1\"\r\n\"ErrorDisp\"=hex(2):31,00,00,00\r\n\"LogFile\"=dword:00000001\r\n"
       "\"SendErrorBreak\"=\"0\"\r\n",
       {false, 0, defaultLog, true}},
      {"unknown types and damage",
       "\"Status\"=hex(b):01,00,00,00,00,00,00,00\r\n\"ErrorDisp\"=dword:zz\r\n"
       "\"LogFile\"=\"unterminated\r\n\"SendErrorBreak\"=dword:\r\n",
       {false, 0, "", true}},
      {"LogFile expandable, unexpanded",
       "\"LogFile\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,6c,00,00,00\r\n",
       {false, 0, "%HOME%/l", true}},
      {"LogFile cut at its first NUL",
       "\"LogFile\"=hex(1):61,00,00,00,62,00,00,00\r\n",
       {false, 0, "a", true}},
      {"names in another case",
       "\"status\"=dword:00000001\r\n\"LOGFILE\"=\"f\"\r\n",
       {true, 0, "f", true}},
  };
  std::filesystem::create_directories(dir.file("config") + "/Quillpost2");
  for (const auto& row : rows) {
    WriteFileBytes(file, "Windows Registry Editor Version 5.00\r\n\r\n" + kSection + row.values);
    TRegistory settings;
    settings.LoadSettings();
    ExpectFields(settings, row.expected, row.name);
  }
}

TEST_F(RegistoryTest, LoadNeverThrowsForAFileItCannotUse) {
  std::filesystem::create_directories(file);  // a folder where the file should be
  TRegistory settings;
  settings.Status = true;
  EXPECT_NO_THROW(settings.LoadSettings());
  ExpectFields(settings, {true, 0, defaultLog, true}, "unreadable");

  std::filesystem::remove(file);
  const char damaged[] = "\0\xff\xfe[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2\n";
  WriteFileBytes(file, std::string(damaged, sizeof damaged - 1));
  EXPECT_NO_THROW(settings.LoadSettings());
  ExpectFields(settings, {true, 0, defaultLog, true}, "damaged key line");
}

// A settings file exported by a registry editor (UTF-16LE) gives its values; a file that
// cannot be read as settings is kept as HKEY_CURRENT_USER.reg.bad when the close saves.
TEST_F(RegistoryTest, EditorExportsAreReadAndUnreadableFilesKept) {
  std::filesystem::create_directories(dir.file("config") + "/Quillpost2");
  const std::string exported = "Windows Registry Editor Version 5.00\r\n\r\n" + kSection +
                               "\"Status\"=dword:00000001\r\n"
                               "\"ErrorDisp\"=dword:00000002\r\n"
                               "\"LogFile\"=\"/home/花子/ログ.txt\"\r\n"
                               "\"SendErrorBreak\"=dword:00000000\r\n\r\n";
  WriteFileBytes(file, test::Utf16LeWithBom(exported));
  TRegistory settings;
  settings.LoadSettings();
  ExpectFields(settings, {true, 2, "/home/花子/ログ.txt", false}, "UTF-16LE export");

  const std::string damaged = "Windows Registry Editor Version 5.00\r\n" + kSection + "\"Sta";
  WriteFileBytes(file, damaged);
  settings.SaveSettings();
  EXPECT_EQ(ReadFileBytes(file + ".bad"), damaged);
  TRegistory reloaded;
  reloaded.LoadSettings();
  ExpectFields(reloaded, FieldsOf(settings), "saved over the damaged file");
}

// A file of a few kilobytes naming a key thousands of levels deep (or 512 levels deep, which
// the registry allows but whose parents would grow the file with the square of the depth):
// the deep key line is damage, the rest is read, the file is kept as .bad at the close, and
// what the close writes stays within twice what was read.
TEST_F(RegistoryTest, ADeepKeyPathIsDamageAndTheSaveStaysSmall) {
  std::filesystem::create_directories(dir.file("config") + "/Quillpost2");
  for (const int levels : {3000, 512}) {
    std::string deep = "[HKEY_CURRENT_USER\\Software";
    for (int i = 1; i < levels; ++i) deep += "\\k";
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + deep +
                             "]\r\n\"Status\"=dword:00000000\r\n\r\n" + kSection +
                             "\"Status\"=dword:00000001\r\n\"ErrorDisp\"=dword:00000002\r\n"
                             "\"LogFile\"=\"/home/u/log.txt\"\r\n"
                             "\"SendErrorBreak\"=dword:00000000\r\n\r\n";
    WriteFileBytes(file, text);
    std::filesystem::remove(file + ".bad");
    TRegistory settings;
    settings.LoadSettings();
    ExpectFields(settings, {true, 2, "/home/u/log.txt", false}, "read past the deep key");
    settings.ErrorDisp = 1;
    settings.SaveSettings();
    EXPECT_EQ(ReadFileBytes(file + ".bad"), text) << levels;
    const std::string saved = ReadFileBytes(file);
    EXPECT_LE(saved.size(), 2 * text.size()) << levels;
    EXPECT_EQ(saved.find("\\k"), std::string::npos) << levels;
    TRegistory reloaded;
    reloaded.LoadSettings();
    ExpectFields(reloaded, {true, 1, "/home/u/log.txt", false}, "after the save");
  }
}

TEST_F(RegistoryTest, SaveWritesTheFourValuesAndLoadReadsThemBack) {
  TRegistory settings;
  settings.SaveSettings();
  const std::string firstSave =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Korvane]\r\n\r\n" +
      kSection +
      "\"Status\"=dword:00000000\r\n"
      "\"ErrorDisp\"=dword:00000000\r\n"
      "\"LogFile\"=\"" +
      defaultLog +
      "\"\r\n"
      "\"SendErrorBreak\"=dword:00000001\r\n\r\n";
  EXPECT_EQ(ReadFileBytes(file), firstSave);

  settings.Status = true;
  settings.ErrorDisp = -1;
  settings.LogFile = "/home/太郎/\"ログ\"\\1.txt";
  settings.SendErrorBreak = false;
  settings.SaveSettings();
  TRegistory loaded;
  loaded.LoadSettings();
  ExpectFields(loaded, FieldsOf(settings), "round trip");
}

TEST_F(RegistoryTest, StoredValuesAreWrittenBackNormalisedOverAnyType) {
  std::filesystem::create_directories(dir.file("config") + "/Quillpost2");
  WriteFileBytes(file, kSection +
                           "\"Status\"=dword:00000005\r\n\"ErrorDisp\"=dword:fffffffd\r\n"
                           "\"LogFile\"=hex(2):61,00,00,00\r\n\"SendErrorBreak\"=\"yes\"\r\n"
                           "\"Other\"=dword:00000009\r\n");
  TRegistory settings;
  settings.LoadSettings();
  settings.SaveSettings();
  const std::string text = ReadFileBytes(file);
  EXPECT_NE(text.find(kSection + "\"Status\"=dword:00000001\r\n\"ErrorDisp\"=dword:fffffffd\r\n"
                                 "\"LogFile\"=\"a\"\r\n\"SendErrorBreak\"=dword:00000001\r\n"
                                 "\"Other\"=dword:00000009\r\n\r\n"),
            std::string::npos)
      << text;
}

TEST_F(RegistoryTest, SaveThatCannotWriteThrowsAndLeavesTheFile) {
  WriteFileBytes(dir.file("config"), "a file where the folder should be");
  TRegistory blocked;
  try {
    blocked.SaveSettings();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot write file \"" + file + "\". Not a directory");
  }

  // The key exists already, so the failure comes with the values themselves: a full disk (the
  // file size limit) cuts them short.
  const std::string settingsFile = dir.file("HKEY_CURRENT_USER.reg");
  const std::string old = kSection + "\"Status\"=dword:00000001\r\n";
  WriteFileBytes(settingsFile, old);
  TRegistory settings(settingsFile);
  settings.LoadSettings();
  EXPECT_TRUE(settings.Status);
  settings.ErrorDisp = 2;
  test::WithFileSizeLimit(16, [&] { EXPECT_THROW(settings.SaveSettings(), Error); });
  EXPECT_EQ(ReadFileBytes(settingsFile), old);
}

}  // namespace
}  // namespace quill
