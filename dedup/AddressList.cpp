#include "dedup/AddressList.h"

#include "platform/FileIO.h"
#include "platform/TextLines.h"

namespace vivove {

std::string_view ExtractAddress(std::string_view line) {
  // Shift_JIS trail bytes start at 0x40, so a byte search never hits half a character. One
  // plain loop: find_first_of would search the set of two anew at every byte.
  std::size_t end = 0;
  while (end < line.size() && line[end] != ',' && line[end] != ' ') ++end;
  return line.substr(0, end);
}

TStringList EntriesAt(const TStringList& entries, const TPositionList& positions) {
  TStringList list;
  list.reserve(positions.size());
  for (const std::uint32_t at : positions) list.push_back(entries[at]);
  return list;
}

void AppendLoadedEntries(std::string_view bytes, TPositionList& addressList,
                         TStringList& sourceList) {
  // One entry per line at most: room for all at once spares the lists their regrowth.
  const std::size_t bound = quill::platform::LineCountBound(bytes);
  addressList.reserve(addressList.size() + bound);
  sourceList.reserve(sourceList.size() + bound);
  quill::platform::TextLineReader reader(bytes);
  std::string_view line;
  std::string scratch;
  while (reader.Next(line, scratch)) {
    const std::string_view entry = ExtractAddress(line);
    if (entry.empty()) continue;
    sourceList.emplace_back(entry);
    addressList.push_back(static_cast<std::uint32_t>(sourceList.size() - 1));
  }
}

void LoadAddressFile(const std::string& path, TPositionList& addressList, TStringList& sourceList) {
  // Only a regular file: a FIFO could block, and a device might never end.
  const std::string bytes = quill::platform::ReadRegularFile(path, std::string().max_size());
  AppendLoadedEntries(bytes, addressList, sourceList);
}

std::string AddressFileBytes(const TStringList& entries, const TPositionList& positions) {
  std::size_t size = 0;
  for (const std::uint32_t at : positions) size += entries[at].size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::uint32_t at : positions) {
    bytes += entries[at];
    bytes += "\r\n";
  }
  return bytes;
}

void SaveAddressFile(const std::string& path, const TStringList& entries,
                     const TPositionList& positions) {
  quill::platform::ReplaceFileAtomically(path, AddressFileBytes(entries, positions),
                                         quill::platform::ReplacedFileMode::KeepOrUmaskDefault);
}

}  // namespace vivove
