#pragma once
// The credentials of one SMTP account and the cipher that keeps them out of plain sight.
//
// Stored layout of a TAuthRec (123 bytes, no gaps), enciphered byte for byte into the
// account file:
//   offset 0   1 byte   Auth (0 = false, 1 = true; any other byte reads as true)
//   offset 1   61 bytes UserName: length byte 0..60, then 60 text bytes
//   offset 62  61 bytes Password: length byte 0..60, then 60 text bytes

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/ShortText.h"

namespace quill {

inline constexpr std::size_t kAuthOffset = 0;
inline constexpr std::size_t kUserNameOffset = 1;
inline constexpr std::size_t kPasswordOffset = kUserNameOffset + kShortTextSize;
inline constexpr std::size_t kAuthRecSize = kPasswordOffset + kShortTextSize;
static_assert(kPasswordOffset == 62 && kAuthRecSize == 123, "TAuthRec layout is part of the file");

/// The 123 stored bytes of a TAuthRec; enciphered, an account's AuthData.
using TAuthBlock = std::array<std::uint8_t, kAuthRecSize>;

/// The plain credentials of an account.
struct TAuthRec {
  bool Auth = false;  ///< the server requires AUTH LOGIN
  ShortText UserName;
  ShortText Password;

  /// The record in its stored layout.
  TAuthBlock ToBytes() const;
  /// The record read from its stored layout; every byte is kept except that Auth becomes
  /// false or true.
  static TAuthRec FromBytes(const TAuthBlock& bytes);

  bool operator==(const TAuthRec&) const = default;
};

/// The credential cipher: Blowfish CFB64 with the program's fixed key and vector over the
/// 123 bytes of one record, each record a stream of its own.
class TProtectData {
 public:
  /// Data starts as Auth false with both texts empty.
  TProtectData() = default;

  /// The plain record: the input of EncryptData and the output of DecryptData.
  TAuthRec Data;

  /// Data enciphered; Data is left as it was. Equal records give equal blocks, and block byte
  /// i depends only on record bytes 0..i.
  TAuthBlock EncryptData() const;
  /// Deciphers `block` into Data. A block that EncryptData did not make gives meaningless
  /// bytes; their texts still read as 60 bytes at most.
  void DecryptData(const TAuthBlock& block);
};

}  // namespace quill
