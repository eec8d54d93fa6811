#pragma once
// Removing repeated addresses from a loaded address list, keeping the first occurrence of each.
// Both programs use it: the mailer when it loads an address list, the companion program when it
// marks the copies to delete.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AddressList.h"

namespace quill {

/// Receives the progress position 0..99 of the duplicate pass.
using DuplicateProgress = std::function<void(int position)>;

/// Receives the index of an entry whose count has just been settled.
using EntryCounted = std::function<void(std::size_t index)>;

/// One count per entry: the first occurrence of an address gets 1, its later copies 2, 3, ...
/// in list order. Entries are equal when they have the same bytes (no folding of any kind).
/// For every first occurrence i, in increasing order, `progress` (when set) is called once
/// with the integer part of i * 100 / entries.size(); it is never called for a later copy.
/// `counted` (when set) is called for every entry, in list order, right after its count is
/// known (after `progress` for a first occurrence).
/// Linear in the total size of the entries. The list holds fewer than 2^31 entries.
/// Takes any list of byte strings: a vector of strings, or views (an AddressList's Entries()).
std::vector<std::int32_t> CountRepeats(const std::vector<std::string>& entries,
                                       const DuplicateProgress& progress,
                                       const EntryCounted& counted = {});
std::vector<std::int32_t> CountRepeats(std::span<const std::string_view> entries,
                                       const DuplicateProgress& progress,
                                       const EntryCounted& counted = {});

/// The entries whose count is 1, in order; `counts` has one value per entry. Takes the list
/// by value, so a caller that no longer needs it can move it in and no entry is copied.
std::vector<std::string> FirstOccurrences(std::vector<std::string> entries,
                                          const std::vector<std::int32_t>& counts);
AddressList FirstOccurrences(AddressList entries, const std::vector<std::int32_t>& counts);

/// The whole pass over `list`: counts its repeats (CountRepeats, with its progress calls),
/// leaves in `list` the first occurrences only, in order, and returns the counts.
std::vector<std::int32_t> RemoveDuplicateEntries(std::vector<std::string>& list,
                                                 const DuplicateProgress& progress);
std::vector<std::int32_t> RemoveDuplicateEntries(AddressList& list,
                                                 const DuplicateProgress& progress);

/// The progress position of entry `i` of `n` (n > 0): the integer part of i * 100 / n.
int DuplicateProgressPosition(std::size_t i, std::size_t n);

}  // namespace quill
