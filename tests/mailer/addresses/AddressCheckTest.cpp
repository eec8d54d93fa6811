#include <gtest/gtest.h>

#include <string>

#include "mailer/addresses/AddressCheck.h"

namespace quill {
namespace {

const std::string kIdeographicBlank = "\x81\x40";
const std::string kYamada = "\x8e\x52\x93\x63";  // a kanji name

TEST(AddressCheckTest, SkipLeadingSeparators) {
  struct Row {
    const char* name;
    std::string line;
    std::string rest;
  };
  const Row rows[] = {
      {"empty", "", ""},
      {"no separator", "a@b.c,x", "a@b.c,x"},
      {"one comma", ",", ""},
      {"one blank", " ", ""},
      {"mixed run",
       ", \x81\x40,  \x81\x40"
       "a@b.c,x",
       "a@b.c,x"},
      {"ideographic blank only", kIdeographicBlank, ""},
      {"two commas keep the last", ",,", ","},
      {"comma blank comma keeps the last", ", ,", ","},
      {"pair then comma at the end", ", \x81\x40,", ","},
      {"two blanks then pair", "  \x81\x40", ""},
      {"lone lead byte at the end", ",\x81", "\x81"},
      {"lead byte not followed by 0x40",
       "\x81\x41"
       "a",
       "\x81\x41"
       "a"},
      {"tab is no separator", " \ta@b.c", "\ta@b.c"},
  };
  for (const Row& row : rows) EXPECT_EQ(SkipLeadingSeparators(row.line), row.rest) << row.name;
}

TEST(AddressCheckTest, CutAtSeparator) {
  struct Row {
    const char* name;
    std::string line;
    std::string field;
  };
  const Row rows[] = {
      {"empty", "", ""},
      {"none", "a@b.c", "a@b.c"},
      {"comma and name", "a@b.c," + kYamada, "a@b.c"},
      {"blank", "a@b.c x,y", "a@b.c"},
      {"ideographic blank and kanji name", "a@b.c" + kIdeographicBlank + kYamada, "a@b.c"},
      {"earliest of the three",
       "a\x81\x40"
       "b c,d",
       "a"},
      {"pair across a character boundary", "\x83\x81@x", "\x83"},
      {"leading comma", ",a", ""},
      {"tab stays", "a\tb", "a\tb"},
  };
  for (const Row& row : rows) EXPECT_EQ(CutAtSeparator(row.line), row.field) << row.name;
}

TEST(AddressCheckTest, FirstFieldOfSeparatorMixes) {
  struct Row {
    const char* name;
    std::string line;
    std::string field;
  };
  const Row rows[] = {
      {"separators before, name after", ", \x81\x40 ,a@b.c," + kYamada, "a@b.c"},
      {"ideographic blank and kanji name after", "a@b.c" + kIdeographicBlank + kYamada, "a@b.c"},
      {"separators only", ", ,\x81\x40 ,", ""},
      {"comma left in last place is cut away", ", ,", ""},
      {"tab before", "\ta@b.c", "\ta@b.c"},
      {"tab after", "a@b.c\t,x", "a@b.c\t"},
      {"quoted", "\"a@b.c\",x", "\"a@b.c\""},
  };
  for (const Row& row : rows) EXPECT_EQ(FirstField(row.line), row.field) << row.name;
}

int ExpectedClass(int b) {
  if (b == '-' || b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
      (b >= 'a' && b <= 'z')) {
    return 0;
  }
  switch (b) {
    case '.':
      return 1;
    case '@':
      return 2;
    case ' ':
      return 3;
    case ',':
      return 4;
    default:
      return 5;
  }
}

TEST(AddressCheckTest, CharClassOfEveryByte) {
  for (int b = 0; b < 256; ++b) {
    const std::string text{static_cast<char>(b), 'a'};
    EXPECT_EQ(CharClass(text), ExpectedClass(b)) << "byte " << b;
  }
  EXPECT_EQ(CharClass(""), 5);  // counts as the byte 0
}

// The transition table, written out independently of the code: a number is the next state,
// a negative number -N ends the check with code N.
constexpr int kTable[11][5] = {
    {1, -1, -6, -9, -17},  {1, 2, 4, -10, -18},  {3, -2, -7, -11, -19}, {3, 2, 4, -12, -20},
    {5, -3, -8, -13, -21}, {5, 6, -8, -14, -22}, {7, -4, -8, -15, -23}, {7, 8, -8, 10, 10},
    {9, -5, -8, -16, -24}, {9, 8, -8, 10, 10},   {10, 10, -8, 10, 10},
};
// An input that leaves the machine in each state.
const std::string kReach[11] = {"",     "a",     "a.",     "a.b",     "a@",    "a@b",
                                "a@b.", "a@b.c", "a@b.c.", "a@b.c.d", "a@b.c "};
const char kClassByte[5] = {'x', '.', '@', ' ', ','};
const std::string kOtherBytes[] = {
    "+", "\t", "\"", "%", "!", "\x80", "\x81", "\xff", std::string(1, '\0'), "\x1a"};

int EndCode(int state) { return (state < 7 || state == 8) ? 26 : 0; }

TEST(AddressCheckTest, EveryStateAndClassFollowsTheTable) {
  for (int state = 0; state < 11; ++state) {
    for (int cls = 0; cls < 5; ++cls) {
      const std::string input = kReach[state] + kClassByte[cls];
      const int entry = kTable[state][cls];
      if (entry < 0) {
        EXPECT_EQ(CheckAddress(input), -entry) << "state " << state << " class " << cls;
        // The scan ends there: nothing after it counts.
        EXPECT_EQ(CheckAddress(input + "@+x"), -entry) << "state " << state << " class " << cls;
        continue;
      }
      EXPECT_EQ(CheckAddress(input), EndCode(entry)) << "state " << state << " class " << cls;
      // The machine is now in state `entry`: it answers every next byte as that state does.
      for (int next = 0; next < 5; ++next) {
        EXPECT_EQ(CheckAddress(input + kClassByte[next]),
                  CheckAddress(kReach[entry] + kClassByte[next]))
            << "state " << state << " class " << cls << " then class " << next;
      }
    }
    for (const std::string& other : kOtherBytes) {
      EXPECT_EQ(CheckAddress(kReach[state] + other), 25) << "state " << state;
    }
    EXPECT_EQ(CheckAddress(kReach[state]), EndCode(state)) << "state " << state;
  }
}

TEST(AddressCheckTest, ValidAndInvalidForms) {
  struct Row {
    const char* name;
    std::string address;
    int code;
  };
  const Row rows[] = {
      {"shortest valid", "a@b.c", 0},
      {"dotted runs with - and _", "first.se-cond_x.3rd@mail-1.example.co.jp", 0},
      {"case kept", "A@B.C", 0},
      {"empty", "", 26},
      {"no at", "abc", 26},
      {"no dot after the at", "user@example", 26},
      {"nothing after the at", "user@", 26},
      {"trailing dot", "a@b.c.", 26},
      {"trailing dot of the first label", "a@b.", 26},
      {"leading dot", ".a@b.c", 1},
      {"two dots in the local part", "a..b@c.d", 2},
      {"dot right after the at", "a@.b.c", 3},
      {"two dots after the first label", "a@b..c", 4},
      {"two dots later in the domain", "a@b.c..d", 5},
      {"leading at", "@a.b", 6},
      {"at right after a dot", "a.@b.c", 7},
      {"second at", "a@b@c.d", 8},
      {"second at in the domain", "a@b.c@d", 8},
      {"plus", "a+b@c.d", 25},
      {"tab before", "\ta@b.c", 25},
      {"tab after", "a@b.c\t", 25},
      {"quoted", "\"a@b.c\"", 25},
      {"kanji", "\x8e\x52@b.c", 25},
      {"blank behind a whole address ends the check", "a@b.c tail..", 0},
      {"comma behind a whole address, then at", "a@b.c,x@y", 8},
      {"blank behind a whole address, then plus", "a@b.c +", 25},
      {"blank in the local part", "a b@c.d", 10},
      {"comma after the domain's first dot", "a@b.,c", 23},
      {"blank after a later dot", "a@b.c. ", 16},
      {"comma after a later dot", "a@b.c.,", 24},
  };
  for (const Row& row : rows) EXPECT_EQ(CheckAddress(row.address), row.code) << row.name;
}

}  // namespace
}  // namespace quill
