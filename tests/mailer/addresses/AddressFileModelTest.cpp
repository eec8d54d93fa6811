#include <gtest/gtest.h>

#include <random>

#include "mailer/addresses/AddressCheck.h"
#include "mailer/addresses/AddressFile.h"
#include "platform/TextLines.h"
#include "support/AddressFileModel.h"

namespace quill {
namespace {

using Entries = std::vector<std::string>;

// Texts drawn from the bytes that the rules treat apart (line ends, Ctrl-Z, the three
// separators, the lead byte 0x81 with and without 0x40 behind it) and a few that they do not,
// with whole addresses among them so that valid entries come out too.
std::string RandomText(std::mt19937& random) {
  static const std::string kPieces[] = {"a",
                                        "Z",
                                        "0",
                                        "-",
                                        "_",
                                        ".",
                                        "@",
                                        ",",
                                        " ",
                                        "\x81\x40",
                                        "\x81",
                                        "\x40",
                                        "\x82\x81\x40",
                                        "\r",
                                        "\n",
                                        "\r\n",
                                        "\x1a",
                                        "\t",
                                        "\"",
                                        std::string(1, '\0'),
                                        "\xa0",
                                        "\xff",
                                        "+",
                                        "x@y.zz",
                                        "ab.c@d-e.f_g",
                                        "\x88\x9f",
                                        "\x81\x81@"};
  std::string text;
  const std::size_t pieces = random() % 60;
  for (std::size_t i = 0; i < pieces; ++i) text += kPieces[random() % std::size(kPieces)];
  return text;
}

Entries EntriesOf(const AddressList& list) { return Entries(list.begin(), list.end()); }

TEST(AddressFileModelTest, ReaderCutterAndCheckMatchTheRulesOnRandomTexts) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(random);
    SCOPED_TRACE(testing::PrintToString(text));
    ASSERT_EQ(platform::SplitTextLines(text), test::ModelLines(text));
    for (const std::string& line : test::ModelLines(text)) {
      ASSERT_EQ(SkipLeadingSeparators(line), test::ModelSkipLeadingSeparators(line));
      ASSERT_EQ(CutAtSeparator(line), test::ModelCutAtSeparator(line));
      ASSERT_EQ(CheckAddress(line), test::ModelCheckAddress(line));
    }
    AddressList list;
    AppendAddressEntries(text, list);
    const Entries expected = test::ModelEntries(text);
    ASSERT_EQ(EntriesOf(list), expected);
    for (const std::string& entry : expected)
      ASSERT_EQ(CheckAddress(entry), test::ModelCheckAddress(entry));
  }
}

TEST(AddressFileModelTest, EntriesOutliveTheListsTheyWereReadInto) {
  // Loads replace and copy lists the way the main window does: every entry of every list that
  // is still held must read back its bytes (the sanitizer build sees a stale view).
  std::mt19937 random(7);
  AddressList current;
  AddressList previous;
  Entries currentExpected;
  Entries previousExpected;
  for (int round = 0; round < 2000; ++round) {
    std::string text = RandomText(random);
    // Wide lines now and then, so that the first fields are packed apart from the file.
    if (random() % 4 == 0) text += "q@r.s" + std::string(300, ',') + "\r\n";
    switch (random() % 4) {
      case 0:  // a new load: the last list is kept as the copy, the new one read afresh
        previous = current;
        previousExpected = currentExpected;
        current.clear();
        currentExpected.clear();
        break;
      case 1:  // the copy takes the list over, which starts again empty
        previous = std::move(current);
        previousExpected = currentExpected;
        current.clear();
        currentExpected.clear();
        break;
      case 2:  // a copy that shares the storage while more entries come behind
        previous = current;
        previousExpected = currentExpected;
        break;
      default:  // more entries behind those already held
        break;
    }
    AppendAddressEntries(text, current);
    for (const std::string& entry : test::ModelEntries(text)) currentExpected.push_back(entry);
    ASSERT_EQ(EntriesOf(current), currentExpected) << "round " << round;
    ASSERT_EQ(EntriesOf(previous), previousExpected) << "round " << round;
  }
}

}  // namespace
}  // namespace quill
