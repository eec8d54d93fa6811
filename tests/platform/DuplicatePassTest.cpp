#include <gtest/gtest.h>

#include <random>

#include "platform/DuplicatePass.h"
#include "support/AddressFileModel.h"

namespace quill {
namespace {

using Entries = std::vector<std::string>;

// The plain pass, every first occurrence compared with every entry, is the reference.
using PassOutcome = test::ModelPass;
const auto QuadraticPass = test::ModelDuplicatePass;

PassOutcome HashPass(const Entries& list) {
  PassOutcome out;
  out.counts = CountRepeats(list, [&](int position) { out.positions.push_back(position); });
  out.kept = FirstOccurrences(list, out.counts);

  // The whole pass in place gives the same.
  Entries inPlace = list;
  std::vector<int> positions;
  EXPECT_EQ(RemoveDuplicateEntries(inPlace, [&](int p) { positions.push_back(p); }), out.counts);
  EXPECT_EQ(inPlace, out.kept);
  EXPECT_EQ(positions, out.positions);

  // So does the pass over a list of views.
  AddressList views;
  for (const std::string& entry : list) views.push_back(entry);
  positions.clear();
  EXPECT_EQ(RemoveDuplicateEntries(views, [&](int p) { positions.push_back(p); }), out.counts);
  EXPECT_EQ(views, out.kept);
  EXPECT_EQ(positions, out.positions);
  return out;
}

TEST(DuplicatePassTest, KeepsFirstOccurrencesInOrder) {
  const Entries list = {"x@a.b", "y@a.b", "x@a.b", "z@a.b", "y@a.b"};
  const PassOutcome out = HashPass(list);
  EXPECT_EQ(out.kept, (Entries{"x@a.b", "y@a.b", "z@a.b"}));
  EXPECT_EQ(out.counts, (std::vector<std::int32_t>{1, 1, 2, 1, 2}));
  EXPECT_EQ(out.positions, (std::vector<int>{0, 20, 60}));

  const PassOutcome caseKept = HashPass({"A@b.c", "a@b.c", "a@b.c", "a@b.c"});
  EXPECT_EQ(caseKept.kept, (Entries{"A@b.c", "a@b.c"}));
  EXPECT_EQ(caseKept.counts, (std::vector<std::int32_t>{1, 1, 2, 3}));
  EXPECT_EQ(caseKept.positions, (std::vector<int>{0, 25}));

  EXPECT_TRUE(HashPass({}).counts.empty());
  EXPECT_TRUE(HashPass({}).positions.empty());
  EXPECT_TRUE(CountRepeats({"a", "a"}, nullptr) == (std::vector<std::int32_t>{1, 2}));
}

TEST(DuplicatePassTest, EveryEntryIsReportedInOrderAfterItsProgress) {
  std::vector<std::string> events;
  CountRepeats(
      {"x", "y", "x", "z"},
      [&](int position) { events.push_back("progress " + std::to_string(position)); },
      [&](std::size_t i) { events.push_back("entry " + std::to_string(i)); });
  EXPECT_EQ(events, (std::vector<std::string>{"progress 0", "entry 0", "progress 25", "entry 1",
                                              "entry 2", "progress 75", "entry 3"}));
}

TEST(DuplicatePassTest, ProgressPositionIsTruncatedAndNeverHundred) {
  EXPECT_EQ(DuplicateProgressPosition(0, 1), 0);
  EXPECT_EQ(DuplicateProgressPosition(2, 3), 66);
  EXPECT_EQ(DuplicateProgressPosition(999, 1000), 99);
  EXPECT_EQ(DuplicateProgressPosition(29, 100), 29);
  // Beyond where i * 100 would overflow 32 bits.
  EXPECT_EQ(DuplicateProgressPosition(30'000'000, 40'000'000), 75);
}

TEST(DuplicatePassTest, EqualsThePlainPassOnRandomLists) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 400; ++round) {
    const std::size_t n = random() % 300;
    const std::size_t alphabet = 1 + random() % 40;
    const std::size_t maxLength = 1 + random() % 20;
    Entries list;
    for (std::size_t i = 0; i < n; ++i) {
      // Short keys from a small alphabet give many repeats, prefixes of one another, empty
      // keys and NUL bytes; the case of a letter matters.
      std::string key;
      const std::size_t length = random() % (maxLength + 1);
      for (std::size_t k = 0; k < length; ++k) {
        const char letters[] = {'a', 'A', '\0', '@', '.', '\x81', '\x40', 'z'};
        key += letters[random() % std::min<std::size_t>(alphabet, sizeof letters)];
      }
      list.push_back(key);
    }
    const PassOutcome expected = QuadraticPass(list);
    const PassOutcome actual = HashPass(list);
    ASSERT_EQ(actual.counts, expected.counts) << "round " << round;
    ASSERT_EQ(actual.positions, expected.positions) << "round " << round;
    ASSERT_EQ(actual.kept, expected.kept) << "round " << round;
  }
}

TEST(DuplicatePassTest, EqualsThePlainPassOnALongList) {
  std::mt19937 random(7);
  Entries list;
  for (int i = 0; i < 5000; ++i) {
    list.push_back("user" + std::to_string(random() % 3000) + "@example.co.jp");
  }
  const PassOutcome expected = QuadraticPass(list);
  const PassOutcome actual = HashPass(list);
  EXPECT_EQ(actual.counts, expected.counts);
  EXPECT_EQ(actual.positions, expected.positions);
  EXPECT_EQ(actual.kept, expected.kept);
}

}  // namespace
}  // namespace quill
