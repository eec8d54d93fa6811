#include <gtest/gtest.h>

#include <optional>

#include "platform/RegistryText.h"
#include "support/Utf16Le.h"

namespace quill::platform {
namespace {

using std::string_literals::operator""s;
using test::Utf16LeWithBom;

RegistryHive SettingsHive() {
  RegistryHive hive;
  auto& key = hive.Ensure("Software\\Korvane\\Quill2");
  key.Set("Status", RegistryValue::Dword(1));
  key.Set("ErrorDisp", RegistryValue::Dword(0xFFFFFFFD));
  key.Set("LogFile", RegistryValue::String("/home/ユーザー/\"q\"\\log.txt"));
  key.Set("Short", RegistryValue::ExpandString("%HOME%"));
  key.Set("Path", RegistryValue::ExpandString("%SystemRoot%\\system32;%SystemRoot%;%PATH%"));
  key.Set("", RegistryValue::String(""));
  return hive;
}

TEST(RegistryTextTest, WritesTheExportFormatExactly) {
  const std::string expected =
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Korvane]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n"
      "\"Status\"=dword:00000001\r\n"
      "\"ErrorDisp\"=dword:fffffffd\r\n"
      "\"LogFile\"=\"/home/ユーザー/\\\"q\\\"\\\\log.txt\"\r\n"
      "\"Short\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
      "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
      "  00,25,00,5c,00,73,00,79,00,73,00,74,00,65,00,6d,00,33,00,32,00,3b,00,25,00,\\\r\n"
      "  53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,3b,00,25,\\\r\n"
      "  00,50,00,41,00,54,00,48,00,25,00,00,00\r\n"
      "@=\"\"\r\n"
      "\r\n";
  EXPECT_EQ(FormatRegistryText(SettingsHive()), expected);
  EXPECT_EQ(FormatRegistryText(RegistryHive()),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER]\r\n\r\n");
}

TEST(RegistryTextTest, EveryTypeAndTextRoundTrips) {
  RegistryHive hive = SettingsHive();
  auto& other = hive.Ensure("Software\\Other App\\日本語キー");
  other.Set("名前 \"x\" \\", RegistryValue::String("改行\r\nと\0NUL"s));  // needs hex(1)
  other.Set("Empty", RegistryValue::ExpandString(""));
  other.Set("Emoji", RegistryValue::ExpandString("\xF0\x9F\x98\x80 漢字"));
  other.Set("Zero", RegistryValue::Dword(0));
  const std::string text = FormatRegistryText(hive);
  EXPECT_EQ(ParseRegistryText(text), hive);
  EXPECT_NE(text.find("\"名前 \\\"x\\\" \\\\\"=hex(1):39,65,4c,88,0d,00,0a,00,68,30,00,00,4e,00,"),
            std::string::npos);
}

struct ParseRow {
  const char* name;
  std::string text;
  const char* key;
  const char* value;
  std::optional<RegistryValue> expected;  // nullopt: the value must be absent
};

TEST(RegistryTextTest, ReadsWhatItCanAndIgnoresTheRest) {
  const std::string head = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n";
  const ParseRow rows[] = {
      {"dword", head + "\"n\"=dword:0000002a\n", "A", "n", RegistryValue::Dword(42)},
      {"dword short and upper case", head + "\"n\"=DWORD:FF\n", "A", "n",
       RegistryValue::Dword(255)},
      {"dword too long", head + "\"n\"=dword:000000001\n", "A", "n", std::nullopt},
      {"dword not hex", head + "\"n\"=dword:0000000g\n", "A", "n", std::nullopt},
      {"dword empty", head + "\"n\"=dword:\n", "A", "n", std::nullopt},
      {"string with escapes", head + "\"n\"=\"a\\\\b\\\"c\\d\"\n", "A", "n",
       RegistryValue::String("a\\b\"c\\d")},
      {"string unterminated", head + "\"n\"=\"abc\n", "A", "n", std::nullopt},
      {"string with junk after", head + "\"n\"=\"abc\" x\n", "A", "n", std::nullopt},
      {"CR LF, BOM and blanks", "\xEF\xBB\xBF[HKEY_CURRENT_USER\\A]\r\n  \"n\"=\"v\"  \r\n", "A",
       "n", RegistryValue::String("v")},
      {"expand string over lines", head + "\"n\"=hex(2):41,00,\\\n  42,00,\\\r\n  00,00\n", "A",
       "n", RegistryValue::ExpandString("AB")},
      {"expand string without NUL", head + "\"n\"=hex(2):41,00\n", "A", "n",
       RegistryValue::ExpandString("A")},
      {"expand string odd bytes", head + "\"n\"=hex(2):41,00,00\n", "A", "n", std::nullopt},
      {"expand string bad byte", head + "\"n\"=hex(2):41,,00\n", "A", "n", std::nullopt},
      {"string as hex(1)", head + "\"n\"=hex(1):e5,65,2c,67,00,00\n", "A", "n",
       RegistryValue::String("日本")},
      {"surrogate pair and lone surrogate", head + "\"n\"=hex(2):3d,d8,00,de,00,d8,00,00\n", "A",
       "n", RegistryValue::ExpandString("\xF0\x9F\x98\x80\xEF\xBF\xBD")},
      {"other type and its continuation",
       head + "\"n\"=hex(b):01,02,\\\n  \"m\"=dword:1\n\"k\"=dword:2\n", "A", "m", std::nullopt},
      {"line after another type", head + "\"n\"=hex(b):01,02,\\\n  03\n\"k\"=dword:2\n", "A", "k",
       RegistryValue::Dword(2)},
      {"deletion", head + "\"n\"=-\n", "A", "n", std::nullopt},
      {"default value", head + "@=dword:7\n", "A", "", RegistryValue::Dword(7)},
      {"names ignore case, last wins", head + "\"N\"=dword:1\n\"n\"=dword:2\n", "a", "N",
       RegistryValue::Dword(2)},
      {"another root", "[HKEY_LOCAL_MACHINE\\A]\n\"n\"=dword:1\n", "A", "n", std::nullopt},
      {"section after another root",
       "[HKEY_LOCAL_MACHINE\\A]\n\"n\"=dword:1\n[HKEY_CURRENT_USER\\A]\n\"m\"=dword:3\n", "A", "m",
       RegistryValue::Dword(3)},
      {"deleted key", "[-HKEY_CURRENT_USER\\A]\n\"n\"=dword:1\n", "A", "n", std::nullopt},
      {"empty key name", "[HKEY_CURRENT_USER\\A\\\\B]\n\"n\"=dword:1\n", "A", "n", std::nullopt},
      {"unclosed key line", head + "[HKEY_CURRENT_USER\\B\n\"n\"=dword:1\n", "A", "n",
       std::nullopt},
      {"value before any key", "\"n\"=dword:1\n[HKEY_CURRENT_USER\\A]\n", "A", "n", std::nullopt},
      {"damaged lines between", head + "garbage\n\"x\"\n\"y\"dword:1\n\"n\"=dword:9", "A", "n",
       RegistryValue::Dword(9)},
  };
  for (const auto& row : rows) {
    const RegistryHive hive = ParseRegistryText(row.text);
    const RegistryKey* key = hive.Find(row.key);
    const RegistryValue* value = key ? key->Find(row.value) : nullptr;
    if (row.expected) {
      ASSERT_NE(value, nullptr) << row.name;
      EXPECT_EQ(*value, *row.expected) << row.name;
    } else {
      EXPECT_EQ(value, nullptr) << row.name;
    }
  }
}

TEST(RegistryTextTest, Utf16LeWithByteOrderMarkReadsLikeUtf8) {
  const std::string text = FormatRegistryText(SettingsHive());
  bool intact = false;
  EXPECT_EQ(ParseRegistryText(Utf16LeWithBom(text), &intact), SettingsHive());
  EXPECT_TRUE(intact);
  // Without its mark the same bytes are no export text.
  const std::string unmarked = Utf16LeWithBom(text).substr(2);
  EXPECT_EQ(ParseRegistryText(unmarked, &intact), RegistryHive());
  EXPECT_FALSE(intact);
  // A last byte without its pair is damage; what comes before it is read.
  EXPECT_EQ(ParseRegistryText(Utf16LeWithBom(text) + "x", &intact), SettingsHive());
  EXPECT_FALSE(intact);
}

// Whether bytes are wholly an export text: lines of kinds that are not held are no damage.
TEST(RegistryTextTest, TellsWhetherTheBytesAreWhollyAnExportText) {
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n";
  const struct {
    const char* name;
    std::string bytes;
    bool intact;
  } rows[] = {
      {"as written", FormatRegistryText(SettingsHive()), true},
      {"empty", "", true},
      {"UTF-8 BOM, LF, blank lines first", "\xEF\xBB\xBF\n\n" + head, true},
      {"comment", head + "; a note\r\n", true},
      {"another root", head + "[HKEY_LOCAL_MACHINE\\B]\r\n\"n\"=dword:1\r\n", true},
      {"deletions", head + "[-HKEY_CURRENT_USER\\B]\r\n\"n\"=-\r\n", true},
      {"other types", head + "\"n\"=hex(b):01,02,\\\r\n  03\r\n\"m\"=hex:00\r\n", true},
      {"no header", "[HKEY_CURRENT_USER\\A]\r\n\"n\"=dword:1\r\n", false},
      {"older header", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n", false},
      {"header twice", head + "Windows Registry Editor Version 5.00\r\n", false},
      {"garbage line", head + "garbage\r\n", false},
      {"unclosed key line", head + "[HKEY_CURRENT_USER\\B\r\n", false},
      {"empty key name", head + "[HKEY_CURRENT_USER\\B\\\\C]\r\n", false},
      {"name without value", head + "\"n\"\r\n", false},
      {"bad dword", head + "\"n\"=dword:xyz\r\n", false},
      {"unterminated text", head + "\"n\"=\"abc\r\n", false},
      {"bad hex(2)", head + "\"n\"=hex(2):4g,00\r\n", false},
      {"binary", std::string("\x00\x01\x02\xff", 4), false},
  };
  for (const auto& row : rows) {
    bool intact = !row.intact;
    ParseRegistryText(row.bytes, &intact);
    EXPECT_EQ(intact, row.intact) << row.name;
  }
}

TEST(RegistryTextTest, KeysExistWithTheirParents) {
  const RegistryHive hive = ParseRegistryText("[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\n");
  EXPECT_NE(hive.Find(""), nullptr);
  EXPECT_NE(hive.Find("Software"), nullptr);
  EXPECT_NE(hive.Find("software\\KORVANE"), nullptr);
  EXPECT_NE(hive.Find("Software\\Korvane\\Quill2"), nullptr);
  EXPECT_EQ(hive.Find("Software\\Korvane\\Quill"), nullptr);
  EXPECT_EQ(ParseRegistryText("garbage").keys().size(), 1u);  // the root only
}

}  // namespace
}  // namespace quill::platform
