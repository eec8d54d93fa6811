#include "mailer/addresses/AddressFile.h"

#include <cstring>
#include <new>

#include "mailer/addresses/AddressCheck.h"
#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/TextLines.h"

namespace quill {
namespace {

std::size_t LineCountBound(std::string_view bytes) {
  std::size_t lines = 1;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
    ++lines;
    p = static_cast<const char*>(hit) + 1;
  }
  return lines;
}

}  // namespace

void AppendAddressEntries(std::string_view bytes, std::vector<std::string>& entries) {
  // One entry per line at most: reserving that once spares the list's regrowth on big files.
  entries.reserve(entries.size() + LineCountBound(bytes));
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
