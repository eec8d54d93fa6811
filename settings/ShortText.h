#pragma once
// The short text field of the stored records: one length byte and room for 60 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quill {

/// Bytes of text a short text field holds at most.
inline constexpr std::size_t kShortTextCapacity = 60;
/// Stored size of a short text field: the length byte and the 60 text bytes.
inline constexpr std::size_t kShortTextSize = 1 + kShortTextCapacity;

/// A short text of Shift_JIS bytes as it is stored. The bytes after the text carry no meaning
/// but are kept, so that a record read and written unchanged keeps every byte.
struct ShortText {
  std::uint8_t Length = 0;
  std::array<std::uint8_t, kShortTextCapacity> Bytes{};

  /// The text: the first Length bytes, at most 60 (a damaged length above 60 reads as 60).
  std::string Text() const;
  /// Stores the first 60 bytes of `text` (counting bytes, so a double-byte character may lose
  /// its second byte) and their length; the bytes after them keep what they held.
  void Set(std::string_view text);

  /// The 61 stored bytes: the length byte, then the 60 text bytes.
  void WriteTo(std::span<std::uint8_t, kShortTextSize> out) const;
  static ShortText ReadFrom(std::span<const std::uint8_t, kShortTextSize> in);

  bool operator==(const ShortText&) const = default;
};

}  // namespace quill
