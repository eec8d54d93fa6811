#include <gtest/gtest.h>

#include <optional>
#include <string>

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

// A key path of `levels` names, each `name`.
std::string DeepPath(size_t levels, const std::string& name) {
  std::string path = name;
  for (size_t i = 1; i < levels; ++i) path += "\\" + name;
  return path;
}

// A text in the written layout that names every key on the way down to `path`.
std::string EveryLevelNamed(const std::string& path) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER]\r\n\r\n";
  for (auto sep = path.find('\\'); sep != std::string::npos; sep = path.find('\\', sep + 1))
    text += "[HKEY_CURRENT_USER\\" + path.substr(0, sep) + "]\r\n\r\n";
  return text + "[HKEY_CURRENT_USER\\" + path + "]\r\n\"n\"=dword:00000001\r\n\r\n";
}

// What the sections of the keys above `path` add when none of them exists yet.
size_t ParentSectionBytes(const std::string& path) {
  size_t bytes = 0;
  for (auto sep = path.find('\\'); sep != std::string::npos; sep = path.find('\\', sep + 1))
    bytes += SectionBytes(path.substr(0, sep));
  return bytes;
}

// The registry's limits: 512 levels and 255 characters (UTF-16 units) per name. A key line
// past them is damage: its section is ignored and the sections after it are read.
TEST(RegistryTextTest, KeyLinesPastTheRegistrysLimitsAreDamage) {
  const std::string deepest = DeepPath(512, "k");
  bool intact = false;
  const std::string within = EveryLevelNamed(deepest);
  const RegistryHive read = ParseRegistryText(within, &intact);
  EXPECT_TRUE(intact);
  ASSERT_NE(read.Find(deepest), nullptr);
  EXPECT_EQ(read.keys().size(), 513u);
  EXPECT_EQ(FormatRegistryText(read), within);

  const std::string after = "[HKEY_CURRENT_USER\\After]\r\n\"m\"=dword:00000002\r\n";
  const RegistryHive past = ParseRegistryText(
      within + "[HKEY_CURRENT_USER\\" + deepest + "\\k]\r\n\"n\"=dword:00000003\r\n" + after,
      &intact);
  EXPECT_FALSE(intact);
  EXPECT_EQ(past.Find(deepest + "\\k"), nullptr);
  EXPECT_EQ(*past.Find(deepest)->Find("n"), RegistryValue::Dword(1));
  EXPECT_EQ(*past.Find("After")->Find("m"), RegistryValue::Dword(2));

  EXPECT_TRUE(IsValidKeyPath(deepest));
  EXPECT_FALSE(IsValidKeyPath(deepest + "\\k"));

  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
  std::string emojis;
  for (int i = 0; i < 127; ++i) emojis += emoji;
  std::string kanji;
  for (int i = 0; i < 255; ++i) kanji += "日";
  const struct {
    const char* name;
    std::string key;
    bool valid;
  } rows[] = {
      {"255 ASCII", std::string(255, 'n'), true},
      {"256 ASCII", std::string(256, 'n'), false},
      {"255 kanji (765 bytes)", kanji, true},
      {"256 kanji", kanji + "日", false},
      {"127 emoji and one more unit", emojis + "x", true},
      {"128 emoji", emojis + emoji, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsValidKeyPath("Software\\" + row.key), row.valid) << row.name;
    const RegistryHive hive = ParseRegistryText(
        head + "[HKEY_CURRENT_USER\\Software\\" + row.key + "]\r\n\"n\"=dword:00000001\r\n" + after,
        &intact);
    EXPECT_EQ(intact, row.valid) << row.name;
    EXPECT_EQ(hive.Find("Software\\" + row.key) != nullptr, row.valid) << row.name;
    EXPECT_NE(hive.Find("After"), nullptr) << row.name;
  }
}

// The sections of keys that a text does not name, added on writing, may come to at most the
// size of the text read plus kMissingParentAllowance; a key line that would go past that is
// damage, and its parents are not created either.
TEST(RegistryTextTest, MissingParentsMayAddNoMoreThanTheTextHoldsAndTheAllowance) {
  bool intact = false;
  // Ordinary files that name a deep key without the keys above it: the mailer's own key
  // alone, and a registry editor's export (UTF-16LE) of a key 20 levels deep.
  const std::string quill = "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n";
  ASSERT_EQ(ParentSectionBytes("Software\\Korvane\\Quill2"), 72u);
  EXPECT_NE(ParseRegistryText("Windows Registry Editor Version 5.00\n" + quill, &intact)
                .Find("Software\\Korvane"),
            nullptr);
  EXPECT_TRUE(intact);
  const std::string bags =
      "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU\\0\\1\\"
      "0\\2\\0\\0\\1\\3\\0\\0\\0\\0";
  const RegistryHive exported = ParseRegistryText(
      Utf16LeWithBom("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + bags +
                     "]\r\n\"NodeSlot\"=dword:00000002\r\n\r\n"),
      &intact);
  EXPECT_TRUE(intact);
  EXPECT_EQ(exported.keys().size(), 21u);

  // Exactly at the bound and one byte past it. The padding is a comment line, which is no
  // damage but counts as bytes read.
  const std::string path = DeepPath(100, "abcdefghij");
  const size_t parents = ParentSectionBytes(path);
  const std::string keyLine = "[HKEY_CURRENT_USER\\" + path + "]\r\n\"n\"=dword:00000001\r\n";
  const std::string after = "[HKEY_CURRENT_USER\\After]\r\n\"m\"=dword:00000002\r\n";
  const std::string frame = "Windows Registry Editor Version 5.00\r\n;\r\n" + keyLine + after;
  ASSERT_GT(parents, frame.size() + kMissingParentAllowance);
  const size_t fill = parents - frame.size() - kMissingParentAllowance;
  const std::string atBound = "Windows Registry Editor Version 5.00\r\n;" + std::string(fill, 'x') +
                              "\r\n" + keyLine + after;
  ASSERT_EQ(atBound.size() + kMissingParentAllowance, parents);
  RegistryHive hive = ParseRegistryText(atBound, &intact);
  EXPECT_TRUE(intact);
  EXPECT_EQ(*hive.Find(path)->Find("n"), RegistryValue::Dword(1));
  EXPECT_EQ(hive.keys().size(), 102u);
  const std::string written = FormatRegistryText(hive);
  EXPECT_LE(written.size(), 2 * atBound.size() + kMissingParentAllowance);

  const std::string pastBound = "Windows Registry Editor Version 5.00\r\n;" +
                                std::string(fill - 1, 'x') + "\r\n" + keyLine + after;
  hive = ParseRegistryText(pastBound, &intact);
  EXPECT_FALSE(intact);
  EXPECT_EQ(hive.Find(path), nullptr);
  EXPECT_EQ(hive.Find("abcdefghij"), nullptr);  // no parent is created either
  EXPECT_EQ(*hive.Find("After")->Find("m"), RegistryValue::Dword(2));
  EXPECT_EQ(hive.keys().size(), 2u);

  // The bound holds over the whole text: what earlier lines used is gone. The second deep
  // key goes past it, while a key whose parents exist already still reads.
  const std::string twice = atBound + "[HKEY_CURRENT_USER\\Other\\" + path + "]\r\n" +
                            "[HKEY_CURRENT_USER\\" + path + "\\Child]\r\n\"c\"=dword:00000003\r\n";
  hive = ParseRegistryText(twice, &intact);
  EXPECT_FALSE(intact);
  EXPECT_NE(hive.Find(path), nullptr);
  EXPECT_EQ(hive.Find("Other"), nullptr);
  EXPECT_EQ(*hive.Find(path + "\\child")->Find("C"), RegistryValue::Dword(3));

  // A few kilobytes holding a path thousands of levels deep, and one within the limits.
  for (const size_t levels : {2000, 512}) {
    const std::string deep = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                             DeepPath(levels, "a") + "]\r\n\"n\"=dword:00000001\r\n" + after;
    hive = ParseRegistryText(deep, &intact);
    EXPECT_FALSE(intact) << levels;
    EXPECT_EQ(hive.keys().size(), 2u) << levels;
    EXPECT_EQ(
        FormatRegistryText(hive),
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER]\r\n\r\n" + after + "\r\n")
        << levels;
  }
}

// Values are found through an index, so many of them in one key stay cheap; they keep the
// place and the spelling they were first written with, and the last data given.
TEST(RegistryTextTest, ManyValuesInOneKeyKeepOrderSpellingAndTheLastData) {
  constexpr int kValues = 5000;
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER]\r\n";
  std::string expected = text;
  for (int i = kValues - 1; i >= 0; --i) {  // in an order that no sorting gives
    const std::string line =
        "\"Value" + std::to_string(i) + "\"=dword:" + (i % 2 ? "00000001" : "00000000") + "\r\n";
    text += line;
    if (i % 3 != 0) expected += line;
    if (i % 3 == 0)
      expected += "\"Value" + std::to_string(i) + "\"=\"again " + std::to_string(i) + "\"\r\n";
  }
  for (int i = 0; i < kValues; i += 3)  // given again under another spelling
    text += "\"VALUE" + std::to_string(i) + "\"=\"again " + std::to_string(i) + "\"\r\n";
  expected += "\r\n";
  bool intact = false;
  const RegistryHive hive = ParseRegistryText(text, &intact);
  EXPECT_TRUE(intact);
  const RegistryKey& root = *hive.Find("");
  ASSERT_EQ(root.values().size(), size_t{kValues});
  EXPECT_EQ(root.values().front().first, "Value4999");
  EXPECT_EQ(root.values().back().first, "Value0");
  EXPECT_EQ(*root.Find("value3"), RegistryValue::String("again 3"));
  EXPECT_EQ(*root.Find("VALUE4"), RegistryValue::Dword(0));
  EXPECT_EQ(root.Find("Value5000"), nullptr);
  EXPECT_EQ(FormatRegistryText(hive), expected);
  EXPECT_EQ(ParseRegistryText(expected), hive);

  RegistryKey key;  // and the same when set directly
  key.Set("b", RegistryValue::Dword(1));
  key.Set("A", RegistryValue::Dword(2));
  key.Set("B", RegistryValue::String("x"));
  key.Set("a", RegistryValue::Dword(3));
  ASSERT_EQ(key.values().size(), 2u);
  EXPECT_EQ(key.values()[0], RegistryKey::NamedValue("b", RegistryValue::String("x")));
  EXPECT_EQ(key.values()[1], RegistryKey::NamedValue("A", RegistryValue::Dword(3)));
  RegistryKey copy = key;
  copy.Set("A", RegistryValue::Dword(4));  // a copy has an index of its own
  EXPECT_EQ(*key.Find("a"), RegistryValue::Dword(3));
  EXPECT_EQ(*copy.Find("a"), RegistryValue::Dword(4));
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
