#include "mailer/addresses/AddressFile.h"

#include <new>

#include "mailer/addresses/AddressCheck.h"
#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/TextLines.h"

namespace quill {
void AppendAddressEntries(std::string_view bytes, std::vector<std::string>& entries) {
  // One entry per line at most: reserving that once spares the list's regrowth on big files.
  entries.reserve(entries.size() + platform::LineCountBound(bytes));
  platform::TextLineReader reader(bytes);
  std::string_view line;
  std::string scratch;
  while (reader.Next(line, scratch)) {
    const std::string_view field = FirstField(line);
    if (!field.empty()) entries.emplace_back(field);
  }
}

void ReadAddressFile(const std::string& path, std::vector<std::string>& entries) {
  try {
    const std::string bytes = platform::ReadWholeFile(path);
    AppendAddressEntries(bytes, entries);
  } catch (const std::bad_alloc&) {
    // The caller reports every failure of the load alike; one failure type keeps that simple.
    throw Error("out of memory");
  }
}

}  // namespace quill
