// Reads arbitrary bytes as a registry export file. Whatever the input, writing what was read
// and reading that again must give the same text back: nothing read is lost or changed by a
// later rewrite of the file, and the rewritten file reads as wholly intact.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quill::platform;
  const std::string first =
      FormatRegistryText(ParseRegistryText({reinterpret_cast<const char*>(data), size}));
  bool intact = false;
  const RegistryHive reread = ParseRegistryText(first, &intact);
  if (!intact) std::abort();  // what the program writes must never be taken for damage
  if (FormatRegistryText(reread) != first) std::abort();
  if (ParseRegistryText(FormatRegistryText(reread)) != reread) std::abort();
  return 0;
}
