// Vivove's whole work on arbitrary bytes: read them as an address file, mark every later copy
// of an entry, rebuild the list with its deletion log, and build the bytes that a save writes.
//
// Checked against a plain model (a set of the entries seen so far): the flags keep exactly
// the first occurrence of every entry; kept and deleted entries add up to the entries read;
// the progress goes one step per entry; the log holds one line per deleted entry with its
// position; the saved bytes hold every kept entry once, in first-occurrence order, each line
// ended by CR LF, and read back as exactly the kept entries. A second run gives the same
// list and log.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>

#include "dedup/AddressList.h"
#include "dedup/DeleteRun.h"
#include "platform/TextCodec.h"
#include "platform/TextLines.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckEntry(std::string_view entry) {
  Check(!entry.empty());
  // The entry is the first field of one line: none of these can be inside it.
  Check(entry.find_first_of(std::string_view(",\r\n\x1a ", 5)) == std::string_view::npos);
}

std::string ExpectedLog(const vivove::TStringList& entries, const vivove::TDeleteFlags& flags) {
  static const std::string deleted = quill::platform::Utf8ToSjis(" を削除しました。");
  std::string log;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (flags[i] == vivove::kDelete)
      log += std::to_string(i + 1) + ":" + entries[i] + deleted + "\r\n";
  }
  return log;
}

// One deletion run as the main window makes it: flags, marking, rebuild. Returns the log.
std::string DeletionRun(const vivove::TStringList& sourceList, vivove::TDeleteFlags& flags,
                        vivove::TPositionList& addressList) {
  const auto n = static_cast<std::int32_t>(sourceList.size());
  flags = vivove::AllocateDeleteFlags(n);
  Check(flags.size() == sourceList.size());
  std::int32_t steps = 0;
  vivove::MarkLaterCopies(sourceList, flags, [&steps, n](int position) {
    Check(position == vivove::MarkProgressPosition(steps, n));
    Check(position >= 0 && position < 100);
    ++steps;
  });
  Check(steps == n);
  return vivove::RebuildAddressList(sourceList, flags, addressList);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vivove::TPositionList addressList;
  vivove::TStringList sourceList;
  vivove::AppendLoadedEntries(bytes, addressList, sourceList);
  const std::size_t n = sourceList.size();
  Check(n <= quill::platform::LineCountBound(bytes));
  Check(addressList.size() == n);
  for (std::size_t i = 0; i < n; ++i) {
    Check(addressList[i] == i);
    CheckEntry(sourceList[i]);
  }

  vivove::TDeleteFlags flags;
  const std::string log = DeletionRun(sourceList, flags, addressList);

  std::unordered_set<std::string_view> seen;
  std::size_t kept = 0, deleted = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const bool first = seen.insert(sourceList[i]).second;
    Check(flags[i] == (first ? vivove::kKeep : vivove::kDelete));
    if (first) {
      Check(kept < addressList.size() && addressList[kept] == i);
      ++kept;
    } else {
      ++deleted;
    }
  }
  Check(kept == addressList.size() && kept + deleted == n && kept == seen.size());
  Check(log == ExpectedLog(sourceList, flags));

  const std::string saved = vivove::AddressFileBytes(sourceList, addressList);
  std::size_t at = 0;
  for (const std::uint32_t position : addressList) {
    const std::string& entry = sourceList[position];
    Check(saved.compare(at, entry.size(), entry) == 0);
    at += entry.size();
    Check(saved.compare(at, 2, "\r\n") == 0);
    at += 2;
  }
  Check(at == saved.size());

  // What a save writes opens again as the kept entries, each once.
  vivove::TPositionList reread;
  vivove::TStringList rereadSource;
  vivove::AppendLoadedEntries(saved, reread, rereadSource);
  Check(rereadSource == vivove::EntriesAt(sourceList, addressList));
  Check(std::unordered_set<std::string_view>(rereadSource.begin(), rereadSource.end()).size() ==
        rereadSource.size());

  // A second run after the same open starts again from the loaded entries.
  vivove::TDeleteFlags again;
  vivove::TPositionList againList;
  Check(DeletionRun(sourceList, again, againList) == log);
  Check(again == flags && againList == addressList);
  return 0;
}
