#include <gtest/gtest.h>

#include <string>

#include "settings/ProtectAuth.h"
#include "support/AccountBytes.h"

namespace quill {
namespace {

using test::BlockFromHex;
using test::kEmptyCredentialsBlockHex;

TAuthRec Credentials(bool auth, const std::string& user, const std::string& password) {
  TAuthRec rec;
  rec.Auth = auth;
  rec.UserName.Set(user);
  rec.Password.Set(password);
  return rec;
}

TEST(ProtectAuthTest, RecordLayoutIsByteForByte) {
  const TAuthBlock bytes = Credentials(true, "ab", "xyz").ToBytes();
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 2);
  EXPECT_EQ(bytes[2], 'a');
  EXPECT_EQ(bytes[3], 'b');
  EXPECT_EQ(bytes[62], 3);
  EXPECT_EQ(bytes[63], 'x');
  EXPECT_EQ(bytes[65], 'z');
  EXPECT_EQ(bytes[122], 0);
  EXPECT_EQ(TAuthRec::FromBytes(bytes), Credentials(true, "ab", "xyz"));
}

// Blocks computed independently of this code (libcrypto called directly with the program's
// key and vector): the account files already written depend on exactly these bytes.
TEST(ProtectAuthTest, EnciphersToTheKnownBlocks) {
  TProtectData protect;
  EXPECT_EQ(protect.EncryptData(), BlockFromHex(kEmptyCredentialsBlockHex));
  protect.Data = Credentials(true, "user@example.jp", "secret");
  EXPECT_EQ(protect.EncryptData(),
            BlockFromHex("7e00a059a2b840512a874fd3212623b5739803630cad6a6fbf22d4f679b00f28b3b4"
                         "b987ad829772122310e4adf303f3fe381ff5a7fcf1d1de5686f8011ad3f931416fcb"
                         "ae3b86d065db1abe6be3bbf25575d9387834c9222a54d42996b8f9df77bb8a5b68e1"
                         "59b1f6a62cefbcb6f4a57da800fbb594b00bddbdc5"));
}

TEST(ProtectAuthTest, DeciphersWhatItEnciphered) {
  struct Row {
    const char* name;
    TAuthRec rec;
  } rows[] = {
      {"empty", Credentials(false, "", "")},
      {"auth with empty texts", Credentials(true, "", "")},
      {"full texts", Credentials(true, std::string(60, 'u'), std::string(60, '\xff'))},
      {"shift_jis",
       Credentials(false, "\x83\x86\x81\x5b\x83\x55", std::string("\x82\xa0\x00\x01", 4))},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TProtectData protect;
    protect.Data = row.rec;
    const TAuthBlock block = protect.EncryptData();
    EXPECT_EQ(protect.Data, row.rec) << "EncryptData left Data alone";
    EXPECT_NE(block, row.rec.ToBytes());

    TProtectData other;
    other.DecryptData(block);
    EXPECT_EQ(other.Data, row.rec);
  }
}

TEST(ProtectAuthTest, EachBlockByteDependsOnlyOnTheBytesUpToIt) {
  TProtectData protect;
  protect.Data = Credentials(true, "someone", "first password");
  const TAuthBlock first = protect.EncryptData();
  protect.Data.Password.Set("second");
  const TAuthBlock second = protect.EncryptData();

  for (std::size_t i = 0; i < kPasswordOffset; ++i) EXPECT_EQ(first[i], second[i]) << i;
  EXPECT_NE(first[kPasswordOffset], second[kPasswordOffset]);
}

TEST(ProtectAuthTest, EqualRecordsGiveEqualBlocksAndMeaninglessBytesOnlyChangeTheBlock) {
  TProtectData a, b;
  a.Data = b.Data = Credentials(true, "name", "pass");
  EXPECT_EQ(a.EncryptData(), b.EncryptData());
  EXPECT_EQ(a.EncryptData(), a.EncryptData());

  // A byte after the user name carries no meaning: the block differs, the credentials do not.
  b.Data.UserName.Bytes[10] = 0x55;
  const TAuthBlock block = b.EncryptData();
  EXPECT_NE(a.EncryptData(), block);
  TProtectData c;
  c.DecryptData(block);
  EXPECT_TRUE(c.Data.Auth);
  EXPECT_EQ(c.Data.UserName.Text(), "name");
  EXPECT_EQ(c.Data.Password.Text(), "pass");
}

TEST(ProtectAuthTest, DamagedBlockReadsAtMostSixtyBytesPerText) {
  // Deciphering an arbitrary block gives arbitrary lengths; find one above 60 for both texts.
  TProtectData protect;
  TAuthBlock block{};
  for (int seed = 0; seed < 256; ++seed) {
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(seed + i);
    protect.DecryptData(block);
    if (protect.Data.UserName.Length > 60 && protect.Data.Password.Length > 60) break;
  }
  ASSERT_GT(protect.Data.UserName.Length, 60);
  ASSERT_GT(protect.Data.Password.Length, 60);
  EXPECT_EQ(protect.Data.UserName.Text().size(), 60u);
  EXPECT_EQ(protect.Data.Password.Text().size(), 60u);
}

}  // namespace
}  // namespace quill
