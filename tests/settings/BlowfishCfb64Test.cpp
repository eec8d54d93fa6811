#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/BlowfishCfb64.h"

namespace quill {
namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// The published CFB64 vector of the classic Blowfish test set (as in libcrypto's own test
// data): the 28 letters and their terminating zero byte.
const auto kKey = FromHex("0123456789ABCDEFF0E1D2C3B4A59687");
const auto kIv = FromHex("FEDCBA9876543210");
const std::string kPlain("7654321 Now is the time for \0", 29);
const auto kCipher = FromHex("E73214A2822139CAF26ECF6D2EB9E76E3DA3DE04D1517200519D57A6C3");

TEST(BlowfishCfb64Test, PublishedVectorBothWays) {
  const std::vector<std::uint8_t> plain(kPlain.begin(), kPlain.end());
  const std::span<const std::uint8_t, 8> iv(kIv.data(), 8);

  std::vector<std::uint8_t> out(plain.size());
  BlowfishCfb64(kKey, iv, plain, out, CipherDirection::Encipher);
  EXPECT_EQ(out, kCipher);

  std::vector<std::uint8_t> back(kCipher.size());
  BlowfishCfb64(kKey, iv, kCipher, back, CipherDirection::Decipher);
  EXPECT_EQ(back, plain);

  // No state survives a call: the same input again gives the same output, also in place.
  std::vector<std::uint8_t> inPlace = plain;
  BlowfishCfb64(kKey, iv, inPlace, inPlace, CipherDirection::Encipher);
  EXPECT_EQ(inPlace, kCipher);
}

TEST(BlowfishCfb64Test, RefusesSizesThatDoNotFit) {
  const std::span<const std::uint8_t, 8> iv(kIv.data(), 8);
  std::vector<std::uint8_t> in(4), shortOut(3), out(4);
  EXPECT_THROW(BlowfishCfb64(kKey, iv, in, shortOut, CipherDirection::Encipher),
               std::invalid_argument);
  EXPECT_THROW(BlowfishCfb64({}, iv, in, out, CipherDirection::Encipher), std::invalid_argument);
  const std::vector<std::uint8_t> longKey(73, 1);
  EXPECT_THROW(BlowfishCfb64(longKey, iv, in, out, CipherDirection::Encipher),
               std::invalid_argument);
}

}  // namespace
}  // namespace quill
