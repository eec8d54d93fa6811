#include "settings/BlowfishCfb64.h"

#include <openssl/blowfish.h>

#include <algorithm>
#include <stdexcept>

namespace quill {

void BlowfishCfb64(std::span<const std::uint8_t> key,
                   std::span<const std::uint8_t, kBlowfishBlockSize> iv,
                   std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                   CipherDirection direction) {
  // Blowfish takes up to 448 bits of key; libcrypto would read up to 72 bytes.
  if (key.empty() || key.size() > 72) throw std::invalid_argument("Blowfish key size");
  if (in.size() != out.size()) throw std::invalid_argument("CFB64 output size");

  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()), key.data());
  unsigned char vector[kBlowfishBlockSize];
  std::copy(iv.begin(), iv.end(), vector);
  int position = 0;
  BF_cfb64_encrypt(in.data(), out.data(), static_cast<long>(in.size()), &schedule, vector,
                   &position, direction == CipherDirection::Encipher ? BF_ENCRYPT : BF_DECRYPT);
}

}  // namespace quill
