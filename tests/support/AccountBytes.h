#pragma once
// Byte helpers shared by the tests of the account store and the credential cipher.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ProtectAuth.h"

namespace quill::test {

/// The enciphered empty credentials (Auth false, both texts empty, every other byte zero),
/// computed independently of the code under test.
inline constexpr std::string_view kEmptyCredentialsBlockHex =
    "7f0fd52ac7ca00341195d96b802ae837b0be16e978433e5268e86f72b420f4d31464a1defc6f419c5d47104937"
    "4864da42bcc9e46a3ce2050338019f4b850bde7cadc86d832bf666673871c832fb3e66b2f616bdb3fd1486b570"
    "0ccc24c9623c47a856954b08d2d9f79d7bd51ff03a01b81249541f78887b9429b5";

inline std::string BytesFromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

inline TAuthBlock BlockFromHex(std::string_view hex) {
  const std::string bytes = BytesFromHex(hex);
  TAuthBlock block{};
  for (std::size_t i = 0; i < block.size() && i < bytes.size(); ++i) {
    block[i] = static_cast<std::uint8_t>(bytes[i]);
  }
  return block;
}

inline std::string BlockBytes(const TAuthBlock& block) {
  return std::string(block.begin(), block.end());
}

}  // namespace quill::test
