#pragma once
// Blowfish in 64-bit cipher feedback mode, one whole stream per call (libcrypto).

#include <cstddef>
#include <cstdint>
#include <span>

namespace quill {

/// Blowfish block size, and so the size of the feedback vector.
inline constexpr std::size_t kBlowfishBlockSize = 8;

enum class CipherDirection { Encipher, Decipher };

/// Runs CFB64 over `in` into `out` (same size; they may be the same bytes) with a key
/// schedule built from `key` (1..72 bytes) and the feedback vector starting as `iv` at
/// position 0. Nothing survives the call: equal inputs always give equal outputs.
/// Throws std::invalid_argument when the sizes do not fit.
void BlowfishCfb64(std::span<const std::uint8_t> key,
                   std::span<const std::uint8_t, kBlowfishBlockSize> iv,
                   std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                   CipherDirection direction);

}  // namespace quill
