// Reads arbitrary bytes as an address file and checks every entry against the reading rules.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "mailer/addresses/AddressCheck.h"
#include "mailer/addresses/AddressFile.h"
#include "platform/DuplicatePass.h"
#include "platform/TextLines.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsSeparatorAt(std::string_view s, std::size_t i) {
  return s[i] == ',' || s[i] == ' ' || (i + 1 < s.size() && s[i] == '\x81' && s[i + 1] == '\x40');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  quill::AddressList list;
  quill::AppendAddressEntries(std::string(bytes), list);
  const std::vector<std::string> entries(list.begin(), list.end());

  const std::vector<std::string> lines = quill::platform::SplitTextLines(bytes);
  Require(entries.size() <= lines.size());
  for (const std::string& line : lines) {
    Require(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
    Require(line.find('\x1a') == std::string::npos);
  }

  for (const std::string& entry : entries) {
    Require(!entry.empty());
    Require(entry.find_first_of("\r\n\x1a") == std::string::npos);
    // Cut at the first separator: none is left inside the entry.
    for (std::size_t i = 0; i < entry.size(); ++i) Require(!IsSeparatorAt(entry, i));
    const int code = quill::CheckAddress(entry);
    Require(code >= 0 && code <= 26);
    // Entries are cut at blanks and commas, so those codes cannot arise.
    Require(code < 9 || code > 24);
    if (code == 0) {
      Require(entry.find('@') != std::string::npos);
      Require(entry.front() != '.' && entry.back() != '.');
    }
  }

  const std::vector<std::int32_t> counts = quill::CountRepeats(entries, nullptr);
  const std::vector<std::string> kept = quill::FirstOccurrences(entries, counts);
  std::vector<std::string> inPlace = entries;
  Require(quill::RemoveDuplicateEntries(inPlace, nullptr) == counts && inPlace == kept);
  Require(quill::CountRepeats(list.Entries(), nullptr) == counts);
  Require(quill::FirstOccurrences(list, counts) == kept);
  Require(kept.size() <= entries.size());
  Require(entries.empty() == kept.empty());
  return 0;
}
