#include "dedup/AddressList.h"

#include "platform/FileIO.h"
#include "platform/TextLines.h"

namespace vivove {

std::string_view ExtractAddress(std::string_view line) {
  // Shift_JIS trail bytes start at 0x40, so a byte search never hits half a character.
  return line.substr(0, line.find_first_of(", "));
}

void AppendLoadedEntries(std::string_view bytes, TStringList& addressList,
                         TStringList& sourceList) {
  quill::platform::TextLineReader reader(bytes);
  std::string_view line;
  std::string scratch;
  while (reader.Next(line, scratch)) {
    const std::string_view entry = ExtractAddress(line);
    if (entry.empty()) continue;
    addressList.emplace_back(entry);
    sourceList.emplace_back(entry);
  }
}

void LoadAddressFile(const std::string& path, TStringList& addressList, TStringList& sourceList) {
  const std::string bytes = quill::platform::ReadWholeFile(path);
  AppendLoadedEntries(bytes, addressList, sourceList);
}

std::string AddressFileBytes(const TStringList& list) {
  std::size_t size = 0;
  for (const std::string& entry : list) size += entry.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& entry : list) {
    bytes += entry;
    bytes += "\r\n";
  }
  return bytes;
}

void SaveAddressFile(const std::string& path, const TStringList& list) {
  quill::platform::ReplaceFileAtomically(path, AddressFileBytes(list),
                                         quill::platform::ReplacedFileMode::KeepOrUmaskDefault);
}

}  // namespace vivove
