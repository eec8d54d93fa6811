#include "settings/SmtpUnit.h"

#include <algorithm>

#include "platform/FileIO.h"
#include "settings/AccountFile.h"
#include "settings/LittleEndian.h"

namespace quill {
namespace {

template <std::size_t Offset, std::size_t Size, typename Bytes>
auto Field(Bytes& bytes) {
  return std::span(bytes).template subspan<Offset, Size>();
}

}  // namespace

void TSmtpRec::WriteTo(std::span<std::uint8_t, kSmtpRecSize> out) const {
  Name.WriteTo(Field<kSlotNameOffset, kShortTextSize>(out));
  Host.WriteTo(Field<kSlotHostOffset, kShortTextSize>(out));
  UserID.WriteTo(Field<kSlotUserIDOffset, kShortTextSize>(out));
  FromAddress.WriteTo(Field<kSlotFromAddressOffset, kShortTextSize>(out));
  FromName.WriteTo(Field<kSlotFromNameOffset, kShortTextSize>(out));
  std::ranges::copy(Gap1, out.begin() + kSlotGap1Offset);
  PutInt32Le(Field<kSlotSendNumOffset, 4>(out), SendNum);
  PutInt32Le(Field<kSlotWaitTimeOffset, 4>(out), WaitTime);
  std::ranges::copy(AuthData, out.begin() + kSlotAuthDataOffset);
  out[kSlotGap2Offset] = Gap2;
}

TSmtpRec TSmtpRec::ReadFrom(std::span<const std::uint8_t, kSmtpRecSize> in) {
  TSmtpRec rec;
  rec.Name = ShortText::ReadFrom(Field<kSlotNameOffset, kShortTextSize>(in));
  rec.Host = ShortText::ReadFrom(Field<kSlotHostOffset, kShortTextSize>(in));
  rec.UserID = ShortText::ReadFrom(Field<kSlotUserIDOffset, kShortTextSize>(in));
  rec.FromAddress = ShortText::ReadFrom(Field<kSlotFromAddressOffset, kShortTextSize>(in));
  rec.FromName = ShortText::ReadFrom(Field<kSlotFromNameOffset, kShortTextSize>(in));
  std::ranges::copy(Field<kSlotGap1Offset, kSlotGap1Size>(in), rec.Gap1.begin());
  rec.SendNum = GetInt32Le(Field<kSlotSendNumOffset, 4>(in));
  rec.WaitTime = GetInt32Le(Field<kSlotWaitTimeOffset, 4>(in));
  std::ranges::copy(Field<kSlotAuthDataOffset, kAuthRecSize>(in), rec.AuthData.begin());
  rec.Gap2 = in[kSlotGap2Offset];
  return rec;
}

TSmtp::TSmtp() { Clear(); }

void TSmtp::Clear() {
  FCount = 0;
  FCurrent = -1;
  for (int k = 0; k < kMaxAccounts; ++k) EmptySlot(FItems[k], -1);
}

int TSmtp::Add(std::string_view Name, std::string_view Host, std::string_view UserID,
               std::string_view FromAddress, std::string_view FromName, std::int32_t SendNum,
               std::int32_t WaitTime, bool Auth, std::string_view UserName,
               std::string_view Password) {
  if (FCount >= kMaxAccounts) return FCount;
  FCurrent = FCount++;
  StoreAccount(FItems[FCurrent], Name, Host, UserID, FromAddress, FromName, SendNum, WaitTime, Auth,
               UserName, Password);
  return FCount;
}

bool TSmtp::Update(int Index, std::string_view Name, std::string_view Host, std::string_view UserID,
                   std::string_view FromAddress, std::string_view FromName, std::int32_t SendNum,
                   std::int32_t WaitTime, bool Auth, std::string_view UserName,
                   std::string_view Password) {
  if (!IsStored(Index)) return false;
  StoreAccount(FItems[Index], Name, Host, UserID, FromAddress, FromName, SendNum, WaitTime, Auth,
               UserName, Password);
  return true;
}

void TSmtp::Delete(int Index) {
  if (!IsStored(Index)) return;
  // Whole records move, so every AuthData block keeps its bytes: nothing is re-enciphered.
  std::move(FItems.begin() + Index + 1, FItems.begin() + FCount, FItems.begin() + Index);
  EmptySlot(FItems[FCount - 1], 0);
  --FCount;
  FCurrent = -1;
}

bool TSmtp::LoadFromFile(const std::string& path) {
  const auto bytes = platform::ReadFileIfPresent(path, kAccountFileSize);
  if (!bytes) return false;
  LoadFromImage(*bytes);
  return true;
}

void TSmtp::SaveToFile(const std::string& path) const {
  platform::ReplaceFileAtomically(path, FileImage());
}

void TSmtp::LoadFromImage(std::string_view bytes) {
  std::string image = FileImage();
  std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
  const auto* data = reinterpret_cast<const std::uint8_t*>(image.data());
  const std::span<const std::uint8_t, kAccountFileSize> in(data, kAccountFileSize);

  FCount = std::clamp(GetInt32Le(Field<kFileCountOffset, 4>(in)), 0, kMaxAccounts);
  FCurrent = GetInt32Le(Field<kFileCurrentOffset, 4>(in));
  if (!IsStored(FCurrent)) FCurrent = -1;
  for (std::size_t k = 0; k < kSlotCount; ++k) {
    FItems[k] =
        TSmtpRec::ReadFrom(in.subspan(kFileItemsOffset + k * kSmtpRecSize).first<kSmtpRecSize>());
  }
}

std::string TSmtp::FileImage() const {
  std::array<std::uint8_t, kAccountFileSize> out{};
  PutInt32Le(Field<kFileCountOffset, 4>(out), FCount);
  PutInt32Le(Field<kFileCurrentOffset, 4>(out), FCurrent);
  for (std::size_t k = 0; k < kSlotCount; ++k) {
    FItems[k].WriteTo(
        std::span(out).subspan(kFileItemsOffset + k * kSmtpRecSize).first<kSmtpRecSize>());
  }
  return std::string(out.begin(), out.end());
}

void TSmtp::SetCurrent(int Index) { FCurrent = IsStored(Index) ? Index : -1; }

const TSmtpRec* TSmtp::CurrentRec() const {
  return IsStored(FCurrent) ? &FItems[FCurrent] : nullptr;
}

std::string TSmtp::CurrentText(ShortText TSmtpRec::*field) const {
  const TSmtpRec* rec = CurrentRec();
  return rec ? (rec->*field).Text() : std::string();
}

std::string TSmtp::GetName() const { return CurrentText(&TSmtpRec::Name); }

std::string TSmtp::GetHost() const { return CurrentText(&TSmtpRec::Host); }

std::string TSmtp::GetUserID() const { return CurrentText(&TSmtpRec::UserID); }

std::string TSmtp::GetFromAddress() const { return CurrentText(&TSmtpRec::FromAddress); }

std::string TSmtp::GetFromName() const { return CurrentText(&TSmtpRec::FromName); }

std::int32_t TSmtp::GetSendNum() const {
  const TSmtpRec* rec = CurrentRec();
  return rec ? rec->SendNum : 0;
}

std::int32_t TSmtp::GetWaitTime() const {
  const TSmtpRec* rec = CurrentRec();
  return rec ? rec->WaitTime : 0;
}

TAuthRec TSmtp::GetAuthData() {
  const TSmtpRec* rec = CurrentRec();
  if (!rec) return TAuthRec{};
  FProtect.DecryptData(rec->AuthData);
  return FProtect.Data;
}

std::string TSmtp::GetNameAt(int Index) const {
  return IsStored(Index) ? FItems[Index].Name.Text() : std::string();
}

void TSmtp::StoreAccount(TSmtpRec& rec, std::string_view Name, std::string_view Host,
                         std::string_view UserID, std::string_view FromAddress,
                         std::string_view FromName, std::int32_t SendNum, std::int32_t WaitTime,
                         bool Auth, std::string_view UserName, std::string_view Password) {
  rec.Name.Set(Name);
  rec.Host.Set(Host);
  rec.UserID.Set(UserID);
  rec.FromAddress.Set(FromAddress);
  rec.FromName.Set(FromName);
  rec.SendNum = SendNum;
  rec.WaitTime = WaitTime;
  // A fresh record: the bytes after the two texts are zero.
  TAuthRec credentials;
  credentials.Auth = Auth;
  credentials.UserName.Set(UserName);
  credentials.Password.Set(Password);
  FProtect.Data = credentials;
  rec.AuthData = FProtect.EncryptData();
}

void TSmtp::EmptySlot(TSmtpRec& rec, std::int32_t waitTime) {
  rec.Name.Length = 0;
  rec.Host.Length = 0;
  rec.UserID.Length = 0;
  rec.FromAddress.Length = 0;
  rec.FromName.Length = 0;
  rec.SendNum = 1;
  rec.WaitTime = waitTime;
  rec.AuthData = EncipherEmptyCredentials();
}

TAuthBlock TSmtp::EncipherEmptyCredentials() {
  FProtect.Data = TAuthRec{};
  return FProtect.EncryptData();
}

}  // namespace quill
