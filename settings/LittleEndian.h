#pragma once
// Little-endian 32-bit integers at fixed offsets of a byte image.

#include <cstddef>
#include <cstdint>
#include <span>

namespace quill {

/// Writes `value` as four bytes, least significant first, at `out[0..3]`.
inline void PutInt32Le(std::span<std::uint8_t, 4> out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

/// Reads four bytes, least significant first, as a two's complement integer.
inline std::int32_t GetInt32Le(std::span<const std::uint8_t, 4> in) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(in[i]) << (8 * i);
  return static_cast<std::int32_t>(bits);
}

}  // namespace quill
