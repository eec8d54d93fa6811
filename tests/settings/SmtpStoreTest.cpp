#include <gtest/gtest.h>

#include <string>

#include "settings/LittleEndian.h"
#include "settings/SmtpUnit.h"
#include "support/AccountBytes.h"

namespace quill {
namespace {

using test::BlockBytes;
using test::BytesFromHex;
using test::kEmptyCredentialsBlockHex;

std::size_t SlotStart(std::size_t k) { return 8 + 440 * k; }

std::string Slot(const std::string& image, std::size_t k) {
  return image.substr(SlotStart(k), 440);
}

std::int32_t Int32At(const std::string& image, std::size_t offset) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(image.data() + offset);
  return GetInt32Le(std::span<const std::uint8_t, 4>(p, 4));
}

void PutInt32At(std::string& image, std::size_t offset, std::int32_t value) {
  auto* p = reinterpret_cast<std::uint8_t*>(image.data() + offset);
  PutInt32Le(std::span<std::uint8_t, 4>(p, 4), value);
}

// Adds an account whose every field tells its number.
int AddNumbered(TSmtp& store, int n) {
  const std::string s = std::to_string(n);
  return store.Add("name" + s, "host" + s, "id" + s, "from" + s + "@example.jp", "sender" + s,
                   n + 1, n + 2, n % 2 == 0, "user" + s, "pass" + s);
}

TEST(SmtpStoreTest, EmptyStoreImageIsExact) {
  // Built here byte by byte from the file layout, not from the code under test.
  std::string expected(4848, '\0');
  expected.replace(4, 4, "\xff\xff\xff\xff");
  for (std::size_t k = 0; k < 10; ++k) {
    expected.replace(SlotStart(k) + 308, 4, std::string("\x01\0\0\0", 4));
    expected.replace(SlotStart(k) + 312, 4, "\xff\xff\xff\xff");
    expected.replace(SlotStart(k) + 316, 123, BytesFromHex(kEmptyCredentialsBlockHex));
  }
  TSmtp store;
  EXPECT_EQ(store.FileImage(), expected);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.GetCurrent(), -1);
}

TEST(SmtpStoreTest, AccountLandsAtItsOffsets) {
  TSmtp store;
  EXPECT_EQ(store.Add("N", "smtp.example.jp", "uid", "a@example.jp", "\x8a\x94\x8e\xae", 50, -7,
                      true, "login", "pw"),
            1);
  const std::string image = store.FileImage();
  EXPECT_EQ(Int32At(image, 0), 1);
  EXPECT_EQ(Int32At(image, 4), 0);
  const std::string slot = Slot(image, 0);
  EXPECT_EQ(slot.substr(0, 2), "\x01N");
  EXPECT_EQ(slot.substr(61, 16), "\x0fsmtp.example.jp");
  EXPECT_EQ(slot.substr(122, 4), "\x03uid");
  EXPECT_EQ(slot.substr(183, 13),
            "\x0c"
            "a@example.jp");
  EXPECT_EQ(slot.substr(244, 5), "\x04\x8a\x94\x8e\xae");
  EXPECT_EQ(slot.substr(305, 3), std::string(3, '\0'));
  EXPECT_EQ(Int32At(slot, 308), 50);
  EXPECT_EQ(Int32At(slot, 312), -7);
  EXPECT_EQ(slot[439], '\0');

  TProtectData protect;
  TAuthBlock block{};
  std::copy_n(slot.begin() + 316, 123, block.begin());
  protect.DecryptData(block);
  EXPECT_TRUE(protect.Data.Auth);
  EXPECT_EQ(protect.Data.UserName.Text(), "login");
  EXPECT_EQ(protect.Data.Password.Text(), "pw");
  // The store builds credentials with zero bytes after the texts.
  EXPECT_EQ(protect.Data.UserName.Bytes[5], 0);
  EXPECT_EQ(protect.Data.Password.Bytes[59], 0);

  EXPECT_EQ(store.GetName(), "N");
  EXPECT_EQ(store.GetHost(), "smtp.example.jp");
  EXPECT_EQ(store.GetUserID(), "uid");
  EXPECT_EQ(store.GetFromAddress(), "a@example.jp");
  EXPECT_EQ(store.GetFromName(), "\x8a\x94\x8e\xae");
  EXPECT_EQ(store.GetSendNum(), 50);
  EXPECT_EQ(store.GetWaitTime(), -7);
  const TAuthRec auth = store.GetAuthData();
  EXPECT_TRUE(auth.Auth);
  EXPECT_EQ(auth.UserName.Text(), "login");
  EXPECT_EQ(auth.Password.Text(), "pw");
  EXPECT_EQ(store.Protect().Data, auth);
}

TEST(SmtpStoreTest, TextsAreCutAtSixtyBytes) {
  const std::string sixty = std::string(59, 'a') + "\x82";  // 60th byte leads a pair
  struct Row {
    const char* name;
    std::string input;
    std::string stored;
  } rows[] = {
      {"short", "abc", "abc"},
      {"exactly 60", std::string(60, 'x'), std::string(60, 'x')},
      {"70 bytes", std::string(70, 'h'), std::string(60, 'h')},
      {"double-byte character across the cut",
       sixty + "\xa0"
               "tail",
       sixty},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TSmtp store;
    store.Add(row.input, row.input, row.input, row.input, row.input, 1, 0, true, row.input,
              row.input);
    EXPECT_EQ(store.GetName(), row.stored);
    EXPECT_EQ(store.GetHost(), row.stored);
    EXPECT_EQ(store.GetUserID(), row.stored);
    EXPECT_EQ(store.GetFromAddress(), row.stored);
    EXPECT_EQ(store.GetFromName(), row.stored);
    EXPECT_EQ(store.GetNameAt(0), row.stored);
    const TAuthRec auth = store.GetAuthData();
    EXPECT_EQ(auth.UserName.Text(), row.stored);
    EXPECT_EQ(auth.Password.Text(), row.stored);
    EXPECT_EQ(static_cast<unsigned char>(Slot(store.FileImage(), 0)[61]), row.stored.size());
  }
}

TEST(SmtpStoreTest, ShorterTextLeavesTheLongerOnesBytesBehind) {
  TSmtp store;
  store.Add("longer name", "h", "", "", "", 1, 0, false, "", "");
  ASSERT_TRUE(store.Update(0, "ab", "h", "", "", "", 1, 0, false, "", ""));
  EXPECT_EQ(store.GetName(), "ab");
  EXPECT_EQ(Slot(store.FileImage(), 0).substr(0, 12),
            "\x02"
            "abnger name");
}

TEST(SmtpStoreTest, FourAccountsThenDeleteTheSecond) {
  TSmtp store;
  for (int n = 0; n < 4; ++n) EXPECT_EQ(AddNumbered(store, n), n + 1);
  EXPECT_EQ(store.Count(), 4);
  EXPECT_EQ(store.GetCurrent(), 3);
  const std::string before = store.FileImage();

  store.Delete(1);
  const std::string after = store.FileImage();
  EXPECT_EQ(store.Count(), 3);
  EXPECT_EQ(store.GetCurrent(), -1);
  EXPECT_EQ(store.GetNameAt(0), "name0");
  EXPECT_EQ(store.GetNameAt(1), "name2");
  EXPECT_EQ(store.GetNameAt(2), "name3");
  EXPECT_EQ(Slot(after, 0), Slot(before, 0));
  EXPECT_EQ(Slot(after, 1), Slot(before, 2)) << "moved as it stood, AuthData included";
  EXPECT_EQ(Slot(after, 2), Slot(before, 3));

  const std::string freed = Slot(after, 3);
  for (std::size_t offset : {0, 61, 122, 183, 244}) EXPECT_EQ(freed[offset], '\0') << offset;
  EXPECT_EQ(Int32At(freed, 308), 1);
  EXPECT_EQ(Int32At(freed, 312), 0) << "Delete empties with WaitTime 0, Clear with -1";
  EXPECT_EQ(freed.substr(316, 123), BytesFromHex(kEmptyCredentialsBlockHex));
  EXPECT_EQ(Slot(after, 4), Slot(before, 4));

  store.SetCurrent(1);
  EXPECT_EQ(store.GetHost(), "host2");
  EXPECT_EQ(store.GetAuthData().Password.Text(), "pass2");
}

TEST(SmtpStoreTest, DeletingTheOnlyAccount) {
  TSmtp store;
  AddNumbered(store, 7);
  store.Delete(0);
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.GetCurrent(), -1);
  const std::string slot = Slot(store.FileImage(), 0);
  EXPECT_EQ(slot[0], '\0');
  EXPECT_EQ(Int32At(slot, 308), 1);
  EXPECT_EQ(Int32At(slot, 312), 0);
  EXPECT_EQ(slot.substr(316, 123), BytesFromHex(kEmptyCredentialsBlockHex));
}

TEST(SmtpStoreTest, TenAccountsRefuseAnEleventhAndSlotTenStaysZero) {
  TSmtp store;
  for (int n = 0; n < 10; ++n) AddNumbered(store, n);
  store.SetCurrent(4);
  const std::string before = store.FileImage();
  EXPECT_EQ(AddNumbered(store, 10), 10);
  EXPECT_EQ(store.FileImage(), before);
  EXPECT_EQ(store.GetCurrent(), 4);
  EXPECT_EQ(Slot(before, 10), std::string(440, '\0'));
  EXPECT_EQ(store.GetNameAt(9), "name9");
  store.Delete(9);
  EXPECT_EQ(Slot(store.FileImage(), 10), std::string(440, '\0'));
}

TEST(SmtpStoreTest, UpdateChangesOnlyItsSlot) {
  TSmtp store;
  for (int n = 0; n < 4; ++n) AddNumbered(store, n);
  store.SetCurrent(0);
  const std::string before = store.FileImage();
  ASSERT_TRUE(
      store.Update(2, "new", "newhost", "nid", "n@example.jp", "nn", 9, 300, true, "nu", "np"));
  const std::string after = store.FileImage();
  EXPECT_EQ(store.GetCurrent(), 0);
  EXPECT_EQ(store.Count(), 4);
  for (std::size_t k : {0, 1, 3}) EXPECT_EQ(Slot(after, k), Slot(before, k)) << k;
  EXPECT_NE(Slot(after, 2).substr(316, 123), Slot(before, 2).substr(316, 123));
  store.SetCurrent(2);
  EXPECT_EQ(store.GetHost(), "newhost");
  EXPECT_EQ(store.GetWaitTime(), 300);
  EXPECT_EQ(store.GetAuthData().UserName.Text(), "nu");
}

TEST(SmtpStoreTest, IndexesOutsideTheStoredAccountsChangeNothing) {
  TSmtp store;
  for (int n = 0; n < 3; ++n) AddNumbered(store, n);
  store.SetCurrent(1);
  const std::string before = store.FileImage();
  for (int index : {-1, 3, 9, 10, 11, 1000}) {
    SCOPED_TRACE(index);
    EXPECT_FALSE(store.Update(index, "x", "x", "x", "x", "x", 1, 1, true, "x", "x"));
    store.Delete(index);
    EXPECT_EQ(store.GetNameAt(index), "");
    EXPECT_EQ(store.FileImage(), before);
  }
}

TEST(SmtpStoreTest, SetCurrentTakesOnlyAStoredIndex) {
  struct Row {
    int index;
    int current;
  } rows[] = {{0, 0}, {2, 2}, {3, -1}, {-1, -1}, {-5, -1}, {10, -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    TSmtp store;
    for (int n = 0; n < 3; ++n) AddNumbered(store, n);
    store.SetCurrent(row.index);
    EXPECT_EQ(store.GetCurrent(), row.current);
  }
}

TEST(SmtpStoreTest, GettersWithNoAccountCurrentGiveEmptyValues) {
  TSmtp store;
  AddNumbered(store, 1);
  store.SetCurrent(-1);
  const TAuthRec before = store.Protect().Data;
  EXPECT_EQ(store.GetName(), "");
  EXPECT_EQ(store.GetHost(), "");
  EXPECT_EQ(store.GetUserID(), "");
  EXPECT_EQ(store.GetFromAddress(), "");
  EXPECT_EQ(store.GetFromName(), "");
  EXPECT_EQ(store.GetSendNum(), 0);
  EXPECT_EQ(store.GetWaitTime(), 0);
  EXPECT_EQ(store.GetAuthData(), TAuthRec{});
  EXPECT_EQ(store.Protect().Data, before);
}

TEST(SmtpStoreTest, ImageLoadsBackToTheSameStore) {
  TSmtp store;
  for (int n = 0; n < 5; ++n) AddNumbered(store, n);
  store.Delete(3);
  store.SetCurrent(2);
  std::string image = store.FileImage();
  image[SlotStart(0) + 306] = '\x5a';  // a gap byte: no meaning, but kept
  image[SlotStart(10) + 7] = '\x11';   // the unused eleventh slot: kept too

  TSmtp loaded;
  loaded.LoadFromImage(image);
  EXPECT_EQ(loaded.FileImage(), image);
  EXPECT_EQ(loaded.Count(), 4);
  EXPECT_EQ(loaded.GetCurrent(), 2);
  EXPECT_EQ(loaded.GetName(), "name2");
  EXPECT_EQ(loaded.GetSendNum(), 3);
  EXPECT_EQ(loaded.GetAuthData().Password.Text(), "pass2");
}

TEST(SmtpStoreTest, LongAndShortImages) {
  TSmtp source;
  source.Add("first", "mail.example.jp", "", "", "", 5, 6, false, "", "");
  const std::string image = source.FileImage();

  TSmtp longer;
  longer.LoadFromImage(image + std::string(152, '\x7e'));  // a 5000-byte file
  EXPECT_EQ(longer.FileImage(), image);

  // 100 bytes: Count, Current and the first 92 bytes of slot 0, cutting the host name.
  TSmtp shorter;
  shorter.LoadFromImage(image.substr(0, 100));
  const std::string loaded = shorter.FileImage();
  EXPECT_EQ(loaded.substr(0, 100), image.substr(0, 100));
  EXPECT_EQ(loaded.substr(100), TSmtp().FileImage().substr(100));
  EXPECT_EQ(shorter.Count(), 1);
  EXPECT_EQ(shorter.GetCurrent(), 0);
  EXPECT_EQ(shorter.GetName(), "first");
  EXPECT_EQ(shorter.GetHost(), "mail.example.jp");
  EXPECT_EQ(shorter.GetSendNum(), 1) << "still as after creation";
  EXPECT_EQ(shorter.GetWaitTime(), -1);

  TSmtp empty;
  empty.LoadFromImage("");
  EXPECT_EQ(empty.FileImage(), TSmtp().FileImage());
}

TEST(SmtpStoreTest, DamagedCountAndCurrentAreBroughtWithinTheLimits) {
  struct Row {
    const char* name;
    std::int32_t count, current;
    int expectedCount, expectedCurrent;
  } rows[] = {
      {"sound", 3, 1, 3, 1},
      {"none current", 3, -1, 3, -1},
      {"negative count", -1, 0, 0, -1},
      {"count 11", 11, 10, 10, -1},
      {"huge count", 0x7fffffff, 9, 10, 9},
      {"smallest count", INT32_MIN, -1, 0, -1},
      {"current past the accounts", 3, 3, 3, -1},
      {"current below -1", 3, -2, 3, -1},
      {"huge current", 10, 0x7fffffff, 10, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string image = TSmtp().FileImage();
    PutInt32At(image, 0, row.count);
    PutInt32At(image, 4, row.current);
    TSmtp store;
    store.LoadFromImage(image);
    EXPECT_EQ(store.Count(), row.expectedCount);
    EXPECT_EQ(store.GetCurrent(), row.expectedCurrent);
    const std::string loaded = store.FileImage();
    EXPECT_EQ(loaded.substr(8), image.substr(8)) << "the slots stay as loaded";
    EXPECT_EQ(Int32At(loaded, 0), row.expectedCount);
    EXPECT_EQ(Int32At(loaded, 4), row.expectedCurrent);
  }
}

TEST(SmtpStoreTest, DamagedSlotsReadWithinTheirFields) {
  // Ten used slots of 0xFF bytes: every length is 255 and AuthData deciphers to noise.
  std::string image(4848, '\xff');
  PutInt32At(image, 0, 10);
  PutInt32At(image, 4, 9);
  TSmtp store;
  store.LoadFromImage(image);
  ASSERT_EQ(store.Count(), 10);
  EXPECT_EQ(store.FileImage(), image);
  EXPECT_EQ(store.GetName(), std::string(60, '\xff'));
  EXPECT_EQ(store.GetHost().size(), 60u);
  EXPECT_EQ(store.GetUserID().size(), 60u);
  EXPECT_EQ(store.GetFromAddress().size(), 60u);
  EXPECT_EQ(store.GetFromName().size(), 60u);
  EXPECT_EQ(store.GetSendNum(), -1);
  EXPECT_EQ(store.GetNameAt(0).size(), 60u);
  const TAuthRec auth = store.GetAuthData();
  EXPECT_LE(auth.UserName.Text().size(), 60u);
  EXPECT_LE(auth.Password.Text().size(), 60u);

  // The operations go on working on such a store.
  EXPECT_EQ(AddNumbered(store, 1), 10);
  store.Delete(0);
  EXPECT_EQ(store.Count(), 9);
  EXPECT_EQ(AddNumbered(store, 1), 10);
  store.SetCurrent(9);
  EXPECT_EQ(store.GetName(), "name1");
  EXPECT_EQ(Slot(store.FileImage(), 10), std::string(440, '\xff')) << "slot 10 never written";
}

}  // namespace
}  // namespace quill
