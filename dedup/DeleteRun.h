#pragma once
// The deletion run over the loaded entries: one flag per entry, the marking of every later copy
// of an entry, and the rebuild of the working list with its deletion log.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dedup/AddressList.h"

namespace vivove {

/// One flag per loaded entry: kKeep or kDelete.
using TDeleteFlags = std::vector<std::uint8_t>;
constexpr std::uint8_t kKeep = 0x00;
constexpr std::uint8_t kDelete = 0xFF;

/// `count` flags, all kKeep (none for 0 or less). Throws std::bad_alloc when memory runs out.
TDeleteFlags AllocateDeleteFlags(std::int32_t count);

/// The progress position after entry `i` of `n`: i * 100 div n in 32-bit signed arithmetic,
/// truncating, so 0 after the first entry and never 100.
int MarkProgressPosition(std::int32_t i, std::int32_t n);

/// Receives the progress position after each entry.
using MarkProgress = std::function<void(int position)>;

/// Flags every entry of `entries` that repeats an earlier one as kDelete (the first occurrence
/// of each keeps its flag); `flags` has one flag per entry. After each entry i, in order,
/// `progress` gets MarkProgressPosition(i, n). Linear in the size of the entries. Throws
/// std::bad_alloc, with `flags` unchanged, when the index cannot be allocated.
void MarkLaterCopies(const TStringList& entries, TDeleteFlags& flags, const MarkProgress& progress);

/// Rebuilds `addressList` from the entries of `sourceList` (one flag each) without those
/// flagged kDelete, in order, and returns the deletion log of the flagged ones: one
/// line "position:entry を削除しました。" each (1-based position, Shift_JIS), each followed by
/// CR LF (empty when nothing was flagged).
std::string RebuildAddressList(const TStringList& sourceList, const TDeleteFlags& flags,
                               TPositionList& addressList);

/// The steps of a run that allocate memory, for tests that make them fail.
enum class RunStep { Flags, Marking };

/// Makes the allocation of a step fail with std::bad_alloc while `fails` answers true for it;
/// an empty function returns to normal allocation.
void SetAllocationFailureForTesting(std::function<bool(RunStep)> fails);

}  // namespace vivove
