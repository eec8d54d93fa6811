#include "settings/ProtectAuth.h"

#include <span>
#include <string_view>

#include "settings/BlowfishCfb64.h"

namespace quill {
namespace {

// The key and the vector are fixed: every account file ever written depends on them.
constexpr std::string_view kKey = "PbRtLmKoWqZsYdNhVcXeFgJuAiTkBnMoQrSlEpDw";
constexpr std::string_view kIv = "tolvenaq";
static_assert(kKey.size() == 40 && kIv.size() == kBlowfishBlockSize);

TAuthBlock RunCipher(const TAuthBlock& in, CipherDirection direction) {
  const auto* key = reinterpret_cast<const std::uint8_t*>(kKey.data());
  const auto* iv = reinterpret_cast<const std::uint8_t*>(kIv.data());
  TAuthBlock out{};
  BlowfishCfb64(std::span(key, kKey.size()), std::span<const std::uint8_t, 8>(iv, 8), in, out,
                direction);
  return out;
}

}  // namespace

TAuthBlock TAuthRec::ToBytes() const {
  TAuthBlock bytes{};
  bytes[kAuthOffset] = Auth ? 1 : 0;
  UserName.WriteTo(std::span(bytes).subspan<kUserNameOffset, kShortTextSize>());
  Password.WriteTo(std::span(bytes).subspan<kPasswordOffset, kShortTextSize>());
  return bytes;
}

TAuthRec TAuthRec::FromBytes(const TAuthBlock& bytes) {
  TAuthRec rec;
  rec.Auth = bytes[kAuthOffset] != 0;
  rec.UserName = ShortText::ReadFrom(std::span(bytes).subspan<kUserNameOffset, kShortTextSize>());
  rec.Password = ShortText::ReadFrom(std::span(bytes).subspan<kPasswordOffset, kShortTextSize>());
  return rec;
}

TAuthBlock TProtectData::EncryptData() const {
  return RunCipher(Data.ToBytes(), CipherDirection::Encipher);
}

void TProtectData::DecryptData(const TAuthBlock& block) {
  Data = TAuthRec::FromBytes(RunCipher(block, CipherDirection::Decipher));
}

}  // namespace quill
