#include "platform/DuplicatePass.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string_view>

namespace quill {
namespace {

// 64-bit FNV-1a over 8-byte words, then a final mix: fast for short keys like addresses and
// good enough for an index whose collisions are resolved by comparing the bytes.
std::uint64_t HashBytes(std::string_view s) {
  std::uint64_t h = 0xcbf29ce484222325ull ^ s.size();
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    __builtin_memcpy(&word, s.data() + i, 8);
    h = (h ^ word) * 0x100000001b3ull;
    h ^= h >> 29;
  }
  std::uint64_t tail = 0;
  for (std::size_t k = 0; i < s.size(); ++i, ++k) {
    tail |= std::uint64_t(static_cast<unsigned char>(s[i])) << (8 * k);
  }
  h = (h ^ tail) * 0x9e3779b97f4a7c15ull;
  h ^= h >> 32;
  h *= 0xd6e8feb86659fd93ull;
  h ^= h >> 32;
  return h;
}

// Open addressing over entry indices. A slot holds the hash tag of its address, the index of
// its first occurrence + 1 (0 = empty) and how many copies were seen so far.
struct Slot {
  std::uint32_t tag;
  std::uint32_t firstPlusOne;
  std::int32_t seen;
};

}  // namespace

int DuplicateProgressPosition(std::size_t i, std::size_t n) {
  // In floating point and truncated toward zero; 64-bit arithmetic keeps i * 100 exact for
  // any list that fits in memory.
  return static_cast<int>(static_cast<double>(i) * 100.0 / static_cast<double>(n));
}

namespace {

// The pass over any list whose entries view as byte strings.
template <class List>
std::vector<std::int32_t> CountRepeatsOf(const List& entries, const DuplicateProgress& progress,
                                         const EntryCounted& counted) {
  const std::size_t n = entries.size();
  std::vector<std::int32_t> counts(n, 0);
  if (n == 0) return counts;

  // At most half full, so probe runs stay short.
  const std::size_t capacity = std::bit_ceil(2 * n);
  const std::size_t mask = capacity - 1;
  std::vector<Slot> slots(capacity, Slot{0, 0, 0});

  // The probes into the big table are what the pass waits for, so the slot of the entry a
  // few places ahead is fetched into the cache while the current one is placed. Its hash is
  // kept in a small ring until its turn comes.
  constexpr std::size_t kAhead = 16;
  std::array<std::uint64_t, kAhead> ahead{};
  auto hashAt = [&](std::size_t j) { return HashBytes(std::string_view(entries[j])); };
  for (std::size_t j = 0; j < std::min(n, kAhead); ++j) ahead[j] = hashAt(j);
  for (std::size_t j = 0; j < n; ++j) {
    const std::uint64_t h = ahead[j % kAhead];
    if (j + kAhead < n) {
      const std::uint64_t next = hashAt(j + kAhead);
      ahead[j % kAhead] = next;
      __builtin_prefetch(&slots[static_cast<std::size_t>(next) & mask]);
    }
    const std::string_view key(entries[j]);
    const auto tag = static_cast<std::uint32_t>(h >> 32);
    std::size_t at = static_cast<std::size_t>(h) & mask;
    for (;;) {
      Slot& slot = slots[at];
      if (slot.firstPlusOne == 0) {
        slot = Slot{tag, static_cast<std::uint32_t>(j + 1), 1};
        counts[j] = 1;
        if (progress) progress(DuplicateProgressPosition(j, n));
        break;
      }
      if (slot.tag == tag && std::string_view(entries[slot.firstPlusOne - 1]) == key) {
        counts[j] = ++slot.seen;
        break;
      }
      at = (at + 1) & mask;
    }
    if (counted) counted(j);
  }
  return counts;
}

}  // namespace

std::vector<std::int32_t> CountRepeats(const std::vector<std::string>& entries,
                                       const DuplicateProgress& progress,
                                       const EntryCounted& counted) {
  return CountRepeatsOf(entries, progress, counted);
}

std::vector<std::int32_t> CountRepeats(std::span<const std::string_view> entries,
                                       const DuplicateProgress& progress,
                                       const EntryCounted& counted) {
  return CountRepeatsOf(entries, progress, counted);
}

std::vector<std::string> FirstOccurrences(std::vector<std::string> entries,
                                          const std::vector<std::int32_t>& counts) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (counts[i] != 1) continue;
    if (kept != i) entries[kept] = std::move(entries[i]);
    ++kept;
  }
  entries.resize(kept);
  return entries;
}

AddressList FirstOccurrences(AddressList entries, const std::vector<std::int32_t>& counts) {
  entries.KeepWhere([&counts](std::size_t i) { return counts[i] == 1; });
  return entries;
}

std::vector<std::int32_t> RemoveDuplicateEntries(std::vector<std::string>& list,
                                                 const DuplicateProgress& progress) {
  std::vector<std::int32_t> counts = CountRepeats(list, progress);
  list = FirstOccurrences(std::move(list), counts);
  return counts;
}

std::vector<std::int32_t> RemoveDuplicateEntries(AddressList& list,
                                                 const DuplicateProgress& progress) {
  std::vector<std::int32_t> counts = CountRepeats(list.Entries(), progress);
  list = FirstOccurrences(std::move(list), counts);
  return counts;
}

}  // namespace quill
