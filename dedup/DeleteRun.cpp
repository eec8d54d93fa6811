#include "dedup/DeleteRun.h"

#include <charconv>
#include <new>

#include "platform/DuplicatePass.h"
#include "platform/TextCodec.h"

namespace vivove {
namespace {

std::function<bool(RunStep)>& AllocationFailure() {
  static std::function<bool(RunStep)> fails;
  return fails;
}

void CheckAllocation(RunStep step) {
  if (AllocationFailure() && AllocationFailure()(step)) throw std::bad_alloc();
}

}  // namespace

void SetAllocationFailureForTesting(std::function<bool(RunStep)> fails) {
  AllocationFailure() = std::move(fails);
}

TDeleteFlags AllocateDeleteFlags(std::int32_t count) {
  CheckAllocation(RunStep::Flags);
  return TDeleteFlags(count > 0 ? static_cast<std::size_t>(count) : 0, kKeep);
}

int MarkProgressPosition(std::int32_t i, std::int32_t n) {
  // The product wraps in 32 bits as it always has on this bar: lists beyond 21 474 836 entries
  // give positions out of the bar's range, which the bar ignores. Unsigned multiplication
  // keeps the wrap defined.
  const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(i) * 100u);
  return product / n;
}

void MarkLaterCopies(const TStringList& entries, TDeleteFlags& flags,
                     const MarkProgress& progress) {
  CheckAllocation(RunStep::Marking);
  const auto n = static_cast<std::int32_t>(entries.size());
  // The counts are settled entry by entry in list order, so the flag of entry i and the
  // progress after it come at the same step as comparing entry i with every later one would
  // give them.
  std::vector<std::int32_t> counts =
      quill::CountRepeats(entries, {}, [n, &progress](std::size_t i) {
        if (progress) progress(MarkProgressPosition(static_cast<std::int32_t>(i), n));
      });
  for (std::size_t i = 0; i < counts.size(); ++i)
    if (counts[i] > 1) flags[i] = kDelete;
}

namespace {

// Appends the log line of one deleted entry, without a line end, to `log`.
void AppendDeletionLogLine(std::string& log, std::size_t position, std::string_view entry) {
  static const std::string deleted = quill::platform::Utf8ToSjis(" を削除しました。");
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, position);
  log.append(digits, written.ptr);
  log += ':';
  log += entry;
  log += deleted;
}

}  // namespace

std::string RebuildAddressList(const TStringList& sourceList, const TDeleteFlags& flags,
                               TPositionList& addressList) {
  addressList.clear();
  std::string log;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (flags[i] == kKeep) {
      addressList.push_back(static_cast<std::uint32_t>(i));
    } else {
      AppendDeletionLogLine(log, i + 1, sourceList[i]);
      log += "\r\n";
    }
  }
  return log;
}

}  // namespace vivove
