#include "mailer/message/Base64.h"

#include <openssl/evp.h>

namespace quill {

std::string Base64Encode(std::string_view bytes) {
  std::string encoded((bytes.size() + 2) / 3 * 4 + 1, '\0');  // EVP_EncodeBlock adds a NUL
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<int>(bytes.size()));
  encoded.resize(static_cast<std::size_t>(length));
  return encoded;
}

}  // namespace quill
