#include "mailer/addresses/AddressFile.h"

#include <new>

#include "mailer/addresses/AddressCheck.h"
#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/TextLines.h"

namespace quill {

void AppendAddressEntries(std::string bytes, AddressList& entries) {
  const std::size_t first = entries.size();
  const std::string_view text = entries.Keep(std::move(bytes));
  std::size_t viewed = 0;
  // One entry per line at most: reserving that once spares the list's regrowth on big files.
  entries.reserve(entries.size() + platform::LineCountBound(text));
  platform::TextLineReader reader(text);
  std::string_view line;
  std::string scratch;
  while (reader.Next(line, scratch)) {
    const std::string_view field = FirstField(line);
    if (field.empty()) continue;
    // A line rebuilt without its stray CR bytes lives in the scratch: that rare entry gets
    // bytes of its own. Every other entry views the file's bytes where they are.
    const bool inText = field.data() >= text.data() && field.data() < text.data() + text.size();
    if (inText) {
      entries.AppendView(field);
      viewed += field.size();
    } else {
      entries.push_back(field);
    }
  }
  // Wide lines (a CSV file with many columns) would keep the whole file alive for the sake of
  // its first fields: when these are less than half of it, they move into storage of their own.
  if (viewed < text.size() / 2) entries.Repack(first, text);
}

void ReadAddressFile(const std::string& path, AddressList& entries) {
  try {
    // Only a regular file: a FIFO could hold the read without end, and a device like
    // /dev/zero never ends, filling the memory before the load could fail.
    AppendAddressEntries(platform::ReadRegularFile(path, std::string().max_size()), entries);
  } catch (const std::bad_alloc&) {
    // The caller reports every failure of the load alike; one failure type keeps that simple.
    throw Error("out of memory");
  }
}

}  // namespace quill
