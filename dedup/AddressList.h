#pragma once
// Vivove's address lists and address files.
//
// An address file is read as lines (platform/TextLines.h); the entry of a line is its first
// field: the bytes before the first comma or ASCII blank. A line whose first field is empty
// adds nothing. Entries are Shift_JIS bytes, never converted, trimmed or folded.
// A list is written as every entry followed by CR LF.
//
// The working list only ever holds loaded entries (all of them after an open, the kept ones
// after a deletion run), so it is kept as their positions among the loaded entries: no entry
// is copied, and a million-entry list is rebuilt without touching its strings.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vivove {

using TStringList = std::vector<std::string>;

/// Positions (0-based) of loaded entries in a TStringList, in list order.
using TPositionList = std::vector<std::uint32_t>;

/// The entries at `positions` of `entries`.
TStringList EntriesAt(const TStringList& entries, const TPositionList& positions);

/// The first field of `line`: the bytes before the first ',' or ' ', or the whole line when it
/// holds neither. Tabs, quotes and the ideographic blank are ordinary characters here.
std::string_view ExtractAddress(std::string_view line);

/// Appends the entry of every line of `bytes` that has one to `sourceList`, and its position
/// there to `addressList`, in order. Running out of memory throws std::bad_alloc with the lists
/// holding the entries appended before it.
void AppendLoadedEntries(std::string_view bytes, TPositionList& addressList,
                         TStringList& sourceList);

/// Reads the address file at `path` (native path) into both lists, as AppendLoadedEntries.
/// Throws quill::Error when the file cannot be opened or read, std::bad_alloc when memory runs
/// out; the lists then keep what was appended before the failure.
void LoadAddressFile(const std::string& path, TPositionList& addressList, TStringList& sourceList);

/// The bytes of an address file holding the entries at `positions` of `entries`: each entry
/// followed by CR LF.
std::string AddressFileBytes(const TStringList& entries, const TPositionList& positions);

/// Writes the entries at `positions` of `entries` as the address file at `path`, replacing it
/// atomically: a failure (thrown as quill::Error naming the file and the reason) leaves the
/// old file whole. An existing file keeps its permission bits.
void SaveAddressFile(const std::string& path, const TStringList& entries,
                     const TPositionList& positions);

}  // namespace vivove
