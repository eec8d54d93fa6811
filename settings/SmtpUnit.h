#pragma once
// The SMTP account store and its account file.
//
// Account file (always 4848 bytes, integers 32-bit two's complement, least significant
// byte first, no signature or checksum):
//   offset 0            4    Count (0..10)
//   offset 4            4    Current (-1 = none)
//   offset 8 + 440 * k  440  slot k, k = 0..10 (slot 10 is never used)
// One slot:
//   0 Name, 61 Host, 122 UserID, 183 FromAddress, 244 FromName (short texts, 61 bytes each),
//   305 gap (3 bytes), 308 SendNum, 312 WaitTime, 316 AuthData (123 bytes, the enciphered
//   TAuthRec), 439 gap (1 byte).
// The text bytes after each length, the gaps and the unused slots carry no meaning; the store
// keeps whatever it holds there and writes it back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/ProtectAuth.h"
#include "settings/ShortText.h"

namespace quill {

inline constexpr std::size_t kSlotNameOffset = 0;
inline constexpr std::size_t kSlotHostOffset = kSlotNameOffset + kShortTextSize;
inline constexpr std::size_t kSlotUserIDOffset = kSlotHostOffset + kShortTextSize;
inline constexpr std::size_t kSlotFromAddressOffset = kSlotUserIDOffset + kShortTextSize;
inline constexpr std::size_t kSlotFromNameOffset = kSlotFromAddressOffset + kShortTextSize;
inline constexpr std::size_t kSlotGap1Offset = kSlotFromNameOffset + kShortTextSize;
inline constexpr std::size_t kSlotGap1Size = 3;
inline constexpr std::size_t kSlotSendNumOffset = kSlotGap1Offset + kSlotGap1Size;
inline constexpr std::size_t kSlotWaitTimeOffset = kSlotSendNumOffset + 4;
inline constexpr std::size_t kSlotAuthDataOffset = kSlotWaitTimeOffset + 4;
inline constexpr std::size_t kSlotGap2Offset = kSlotAuthDataOffset + kAuthRecSize;
inline constexpr std::size_t kSmtpRecSize = kSlotGap2Offset + 1;
static_assert(kSlotGap1Offset == 305 && kSlotSendNumOffset == 308 && kSlotWaitTimeOffset == 312 &&
                  kSlotAuthDataOffset == 316 && kSlotGap2Offset == 439 && kSmtpRecSize == 440,
              "slot layout is part of the account file");

/// Accounts a store holds at most.
inline constexpr int kMaxAccounts = 10;
/// Slots of the store and the file: one more than the accounts; the last is never used.
inline constexpr std::size_t kSlotCount = 11;
inline constexpr std::size_t kFileCountOffset = 0;
inline constexpr std::size_t kFileCurrentOffset = 4;
inline constexpr std::size_t kFileItemsOffset = 8;
inline constexpr std::size_t kAccountFileSize = kFileItemsOffset + kSlotCount * kSmtpRecSize;
static_assert(kAccountFileSize == 4848, "account file size");

/// One SMTP account as it is stored.
struct TSmtpRec {
  ShortText Name;
  ShortText Host;
  ShortText UserID;  ///< shown by the dialog, not used for sending
  ShortText FromAddress;
  ShortText FromName;
  std::array<std::uint8_t, kSlotGap1Size> Gap1{};
  std::int32_t SendNum = 0;   ///< messages per connection
  std::int32_t WaitTime = 0;  ///< seconds between two connections
  TAuthBlock AuthData{};      ///< the enciphered credentials
  std::uint8_t Gap2 = 0;

  void WriteTo(std::span<std::uint8_t, kSmtpRecSize> out) const;
  static TSmtpRec ReadFrom(std::span<const std::uint8_t, kSmtpRecSize> in);

  bool operator==(const TSmtpRec&) const = default;
};

/// The mailer's list of up to ten SMTP accounts and the choice of one of them.
///
/// Invariants: 0 <= Count() <= 10; GetCurrent() is -1 or in 0..Count()-1; accounts lie in
/// slots 0..Count()-1 in the order they were added. A damaged file is brought within them on
/// loading (see LoadFromImage); no operation reaches outside the slots or a text's 60 bytes.
class TSmtp {
 public:
  /// An empty store, as Clear leaves it; slot 10 is zero bytes.
  TSmtp();

  /// No accounts, none current; slots 0..9 get empty texts, SendNum 1, WaitTime -1 and the
  /// enciphered empty credentials. Slot 10 is left alone.
  void Clear();

  /// Appends an account and makes it current; texts are cut to 60 bytes, the numbers are
  /// stored as given. With ten accounts stored nothing changes. Returns Count() afterwards.
  int Add(std::string_view Name, std::string_view Host, std::string_view UserID,
          std::string_view FromAddress, std::string_view FromName, std::int32_t SendNum,
          std::int32_t WaitTime, bool Auth, std::string_view UserName, std::string_view Password);

  /// Overwrites the account at `Index` as Add would store it; Count() and the current account
  /// stay. Returns false and changes nothing when `Index` is outside 0..Count()-1.
  bool Update(int Index, std::string_view Name, std::string_view Host, std::string_view UserID,
              std::string_view FromAddress, std::string_view FromName, std::int32_t SendNum,
              std::int32_t WaitTime, bool Auth, std::string_view UserName,
              std::string_view Password);

  /// Removes the account at `Index`, closing the gap (later slots move down as they stand,
  /// AuthData included); the freed last slot gets empty texts, SendNum 1, WaitTime 0 and the
  /// enciphered empty credentials; afterwards no account is current. An `Index` outside
  /// 0..Count()-1 changes nothing.
  void Delete(int Index);

  /// Replaces the store's image with the file's first 4848 bytes (see LoadFromImage).
  /// Returns false, changing nothing, when no file exists at `path`; throws quill::Error,
  /// changing nothing, when it exists but cannot be opened or read.
  bool LoadFromFile(const std::string& path);
  /// Replaces the file at `path` with FileImage(), mode 0600, through a temporary file in the
  /// same folder: either the whole new file is in place or the old one is untouched. Throws
  /// quill::Error on any failure.
  void SaveToFile(const std::string& path) const;

  /// Lays `bytes` over the store's image from its start: up to 4848 bytes are replaced, the
  /// rest keep what they held, bytes beyond 4848 are ignored. Then a Count outside 0..10 is
  /// brought into that range and a Current outside -1..Count()-1 becomes -1; every other byte
  /// stays as loaded.
  void LoadFromImage(std::string_view bytes);
  /// The 4848 bytes of the account file for this store.
  std::string FileImage() const;

  int Count() const { return FCount; }
  int GetCurrent() const { return FCurrent; }
  /// Makes the account at `Index` current when 0 <= Index < Count(), else none.
  void SetCurrent(int Index);

  /// Fields of the current account; empty texts and 0 when none is current.
  std::string GetName() const;
  std::string GetHost() const;
  std::string GetUserID() const;
  std::string GetFromAddress() const;
  std::string GetFromName() const;
  std::int32_t GetSendNum() const;
  std::int32_t GetWaitTime() const;
  /// The current account's credentials, deciphered through Protect(), which keeps them in its
  /// Data. With no account current: empty credentials, and Protect() is left alone.
  TAuthRec GetAuthData();

  /// Name of the account at `Index`; empty outside 0..Count()-1.
  std::string GetNameAt(int Index) const;

  const TProtectData& Protect() const { return FProtect; }

 private:
  bool IsStored(int index) const { return index >= 0 && index < FCount; }
  const TSmtpRec* CurrentRec() const;
  /// A text field of the current account; empty with no account current.
  std::string CurrentText(ShortText TSmtpRec::*field) const;
  void StoreAccount(TSmtpRec& rec, std::string_view Name, std::string_view Host,
                    std::string_view UserID, std::string_view FromAddress,
                    std::string_view FromName, std::int32_t SendNum, std::int32_t WaitTime,
                    bool Auth, std::string_view UserName, std::string_view Password);
  void EmptySlot(TSmtpRec& rec, std::int32_t waitTime);
  TAuthBlock EncipherEmptyCredentials();

  std::int32_t FCount = 0;
  std::int32_t FCurrent = -1;
  std::array<TSmtpRec, kSlotCount> FItems{};
  TProtectData FProtect;
};

}  // namespace quill
