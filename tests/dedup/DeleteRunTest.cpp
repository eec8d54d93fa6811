#include <gtest/gtest.h>

#include <new>
#include <random>

#include "dedup/DeleteRun.h"
#include "platform/TextCodec.h"

namespace vivove {
namespace {

struct Marking {
  TDeleteFlags flags;
  std::vector<int> positions;
};

// The marking as a comparison of every pair: entry i against every later entry j, the bar set
// after each i to i * 100 div n in 32-bit arithmetic.
Marking PairwiseMarking(const TStringList& entries) {
  const auto n = static_cast<std::int32_t>(entries.size());
  Marking out{TDeleteFlags(entries.size(), kKeep), {}};
  for (std::int32_t i = 0; i < n; ++i) {
    for (std::int32_t j = i + 1; j < n; ++j)
      if (entries[i] == entries[j]) out.flags[j] = kDelete;
    out.positions.push_back(i * 100 / n);
  }
  return out;
}

Marking LinearMarking(const TStringList& entries) {
  Marking out{AllocateDeleteFlags(static_cast<std::int32_t>(entries.size())), {}};
  MarkLaterCopies(entries, out.flags, [&](int position) { out.positions.push_back(position); });
  return out;
}

TEST(VivoveDeleteRunTest, MarksTheSameAsComparingEveryPair) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 300; ++round) {
    const int size = static_cast<int>(random() % 200);
    const int distinct = 1 + static_cast<int>(random() % 40);  // many repeats
    TStringList entries;
    for (int k = 0; k < size; ++k) {
      const auto pick = random() % static_cast<unsigned>(distinct);
      entries.push_back((pick % 2 ? "U" : "u") + std::to_string(pick / 2) + "@a");
    }
    const Marking linear = LinearMarking(entries), pairwise = PairwiseMarking(entries);
    ASSERT_EQ(linear.flags, pairwise.flags) << "round " << round;
    ASSERT_EQ(linear.positions, pairwise.positions) << "round " << round;
  }
}

TEST(VivoveDeleteRunTest, ProgressIsThirtyTwoBitIntegerArithmetic) {
  EXPECT_EQ(MarkProgressPosition(0, 1), 0);
  EXPECT_EQ(MarkProgressPosition(2, 3), 66);
  EXPECT_EQ(MarkProgressPosition(999, 1000), 99);
  EXPECT_EQ(MarkProgressPosition(21'474'836, 21'474'837), 99);
  // Beyond 21 474 836 the product wraps around, as 32-bit integers do.
  EXPECT_EQ(MarkProgressPosition(30'000'000, 40'000'000), -1294967296 / 40'000'000);
}

TEST(VivoveDeleteRunTest, RebuildKeepsUnflaggedEntriesAndLogsTheOthers) {
  const TStringList sources = {"x", "y", "x", "z", "y"};
  TDeleteFlags flags = AllocateDeleteFlags(5);
  EXPECT_EQ(flags, TDeleteFlags(5, kKeep));
  MarkLaterCopies(sources, flags, {});
  EXPECT_EQ(flags, (TDeleteFlags{kKeep, kKeep, kDelete, kKeep, kDelete}));

  TPositionList addresses = {7};
  const std::string deleted = quill::platform::Utf8ToSjis(" を削除しました。");
  EXPECT_EQ(RebuildAddressList(sources, flags, addresses),
            "3:x" + deleted + "\r\n5:y" + deleted + "\r\n");
  EXPECT_EQ(addresses, (TPositionList{0, 1, 3}));

  // Flags left at kKeep give back every loaded entry and no log.
  EXPECT_EQ(RebuildAddressList(sources, AllocateDeleteFlags(5), addresses), "");
  EXPECT_EQ(addresses, (TPositionList{0, 1, 2, 3, 4}));
  EXPECT_TRUE(AllocateDeleteFlags(0).empty());
}

TEST(VivoveDeleteRunTest, AllocationsFailOnlyWhereTestsSaySo) {
  SetAllocationFailureForTesting([](RunStep step) { return step == RunStep::Marking; });
  TDeleteFlags flags = AllocateDeleteFlags(2);
  EXPECT_THROW(MarkLaterCopies({"a", "a"}, flags, {}), std::bad_alloc);
  EXPECT_EQ(flags, TDeleteFlags(2, kKeep));
  SetAllocationFailureForTesting([](RunStep step) { return step == RunStep::Flags; });
  EXPECT_THROW(AllocateDeleteFlags(2), std::bad_alloc);
  SetAllocationFailureForTesting({});
  EXPECT_NO_THROW(AllocateDeleteFlags(2));
}

}  // namespace
}  // namespace vivove
