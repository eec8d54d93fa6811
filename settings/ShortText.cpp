#include "settings/ShortText.h"

#include <algorithm>

namespace quill {

std::string ShortText::Text() const {
  const std::size_t n = std::min<std::size_t>(Length, kShortTextCapacity);
  return std::string(reinterpret_cast<const char*>(Bytes.data()), n);
}

void ShortText::Set(std::string_view text) {
  const std::size_t n = std::min(text.size(), kShortTextCapacity);
  Length = static_cast<std::uint8_t>(n);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(text.data()), n, Bytes.begin());
}

void ShortText::WriteTo(std::span<std::uint8_t, kShortTextSize> out) const {
  out[0] = Length;
  std::copy(Bytes.begin(), Bytes.end(), out.begin() + 1);
}

ShortText ShortText::ReadFrom(std::span<const std::uint8_t, kShortTextSize> in) {
  ShortText text;
  text.Length = in[0];
  std::copy(in.begin() + 1, in.end(), text.Bytes.begin());
  return text;
}

}  // namespace quill
