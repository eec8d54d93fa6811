#include <gtest/gtest.h>

#include <QProgressBar>
#include <filesystem>
#include <random>

#include "mailer/ui/DblChkPrgUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/RunLog.h"
#include "platform/ui/SjisText.h"
#include "support/AddressFileModel.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using platform::from_native;
using platform::sjis;
using Entries = std::vector<std::string>;

// What one click of the address button leaves, worked out from the rules alone.
struct Expected {
  Entries destList;
  Entries destListCopy;
  std::vector<int32_t> dupCounts;
  int32_t dupCountLen = 0;
  bool addressLoaded = false;
  QString panel0;
  QString panel1;
  std::string log;             ///< the run log as its file holds it
  std::vector<int> positions;  ///< progress positions of the last pass
  bool passRan = false;
};

class AddressLoadModelTest : public test::FormTest {
 protected:
  void SetUp() override {
    CreateForms();
    MainForm->show();
    ui_.onProcessMessages = [this] {
      stepPositions_.push_back(DblChkPrgForm->ProgressBar1->value());
      progressShownAtSteps_ = progressShownAtSteps_ && DblChkPrgForm->isVisible();
    };
    // The scratch of the pass is the program's, not the window's: it starts as it stands.
    expected_.destListCopy.assign(DestListCopy->begin(), DestListCopy->end());
    expected_.dupCounts = DupCounts;
    expected_.dupCountLen = DupCountLen;
  }
  void TearDown() override { DestroyForms(); }

  /// Clicks the address button with `answer` in the file dialog and checks every result.
  void ClickAndCheck(const std::optional<std::string>& answer) {
    stepPositions_.clear();
    progressShownAtSteps_ = true;
    ui_.AnswerFile(answer ? std::optional<QString>(from_native(*answer)) : std::nullopt);
    MainForm->AddressBtnClick();
    ASSERT_TRUE(ui_.AllAnswersUsed());
    if (answer) {
      EXPECT_EQ(AddressFileName, *answer);
    }

    EXPECT_EQ(*DestList, expected_.destList);
    EXPECT_EQ(*DestListCopy, expected_.destListCopy);
    EXPECT_EQ(DupCounts, expected_.dupCounts);
    EXPECT_EQ(DupCountLen, expected_.dupCountLen);
    EXPECT_EQ(AddressLoaded, expected_.addressLoaded);
    EXPECT_EQ(MainForm->StatusPanel(0)->text(), expected_.panel0);
    EXPECT_EQ(MainForm->StatusPanel(1)->text(), expected_.panel1);
    EXPECT_EQ(SavedLog(), expected_.log);
    EXPECT_FALSE(DblChkPrgForm->isVisible());
    EXPECT_TRUE(ui_.errors.isEmpty());

    if (!expected_.passRan) {
      EXPECT_TRUE(stepPositions_.empty());
      return;
    }
    // Messages went through while the progress window showed: at the first entry, then at
    // some later first occurrences, and at the end with the bar at its last position, which
    // it keeps.
    const std::vector<int>& positions = expected_.positions;
    ASSERT_GE(stepPositions_.size(), 1u);
    EXPECT_EQ(stepPositions_.front(), positions.front());
    EXPECT_EQ(stepPositions_.back(), positions.back());
    EXPECT_TRUE(std::includes(positions.begin(), positions.end(), stepPositions_.begin(),
                              stepPositions_.end() - 1));
    EXPECT_TRUE(progressShownAtSteps_);
    EXPECT_EQ(DblChkPrgForm->ProgressBar1->value(), positions.back());
  }

  /// The model's outcome of loading a file holding `bytes`.
  void ExpectLoadOf(const std::string& bytes) {
    const Entries entries = test::ModelEntries(bytes);
    expected_.passRan = false;
    expected_.log.clear();
    expected_.destList = entries;
    if (entries.empty()) {
      expected_.addressLoaded = false;
      expected_.panel1 = QStringLiteral("＊＊＊ アドレスがありません。");
      return;
    }
    for (std::size_t n = 1; n <= entries.size(); ++n) {
      if (test::ModelCheckAddress(entries[n - 1]) > 0)
        expected_.log +=
            sjis("アドレスエラー：") + std::to_string(n) + "->" + entries[n - 1] + "\r\n";
    }
    if (!expected_.log.empty()) {
      expected_.addressLoaded = false;
      expected_.panel1 = QStringLiteral("アドレスファイルにエラーが見つかりました。");
      return;
    }
    const test::ModelPass pass = test::ModelDuplicatePass(entries);
    expected_.passRan = true;
    expected_.positions = pass.positions;
    expected_.destListCopy = entries;
    expected_.destList = pass.kept;
    expected_.dupCounts = pass.counts;
    expected_.dupCountLen = static_cast<int32_t>(entries.size());
    expected_.addressLoaded = true;
    expected_.panel0 = QString::number(pass.kept.size());
    expected_.panel1 = QStringLiteral("アドレスファイルを開きました。");
  }

  void ExpectFailedOpen() {
    expected_.passRan = false;
    expected_.log.clear();
    expected_.destList.clear();
    expected_.addressLoaded = false;
    expected_.panel1 = QStringLiteral("＊＊＊ アドレスファイルを開けません。");
  }

  void ExpectCancel() {
    expected_.passRan = false;
    expected_.log.clear();
    expected_.panel1.clear();
  }

  /// The run log as "ステータスの保存" would write it.
  std::string SavedLog() {
    const std::string path = homeFile("saved-log.txt");
    WriteRunLogFile(*MainForm->StatusMemo, from_native(path));
    return test::ReadFileBytes(path);
  }

  Expected expected_;
  std::vector<int> stepPositions_;
  bool progressShownAtSteps_ = true;
};

// Lines of an address file: addresses from a small pool (so that repeats come), with
// separators before and fields after them, blank and separator-only lines, and now and then
// a line that holds an invalid address or a byte that the reader treats apart.
std::string RandomAddressFile(std::mt19937& random, bool withFaults) {
  static const char* const kPool[] = {"a@b.cd",      "x.y@ex.co.jp", "A@b.cd",
                                      "u-1_2@q.r.s", "z@z.zz",       "m@n.op"};
  static const char* const kBefore[] = {"", "", ",", " ", "\x81\x40", ", \x81\x40 ,"};
  static const char* const kAfter[] = {"",     "",   ",name", " x", "\x81\x40\x8e\x52\x93\x63",
                                       "\r\n", "\n", "\r\n",  "\n", ",\"q\",1"};
  static const char* const kFaults[] = {"\tq@r.st", "\"q@r.st\"", "no-at-sign", "a..b@c.de",
                                        "a@b",      "a@b.c.",     "a+b@c.de",   "\x82\xa0@x.yz",
                                        "\x1a",     "a@b\r.cd",   "\r"};
  std::string bytes;
  const std::size_t lines = random() % 40;
  for (std::size_t i = 0; i < lines; ++i) {
    if (withFaults && random() % 8 == 0) {
      bytes += kFaults[random() % std::size(kFaults)];
    } else if (random() % 10 == 0) {
      bytes += kBefore[random() % std::size(kBefore)];
    } else {
      bytes += kBefore[random() % std::size(kBefore)];
      bytes += kPool[random() % std::size(kPool)];
      bytes += kAfter[random() % std::size(kAfter)];
    }
    bytes += random() % 3 ? "\r\n" : "\n";
  }
  return bytes;
}

TEST_F(AddressLoadModelTest, EveryResultOfRandomLoadsInTurnFollowsTheRules) {
  std::mt19937 random(20261209);
  const std::string folder = homeFile("folder.csv");
  std::filesystem::create_directory(folder);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    switch (random() % 8) {
      case 0:
        ExpectCancel();
        ClickAndCheck(std::nullopt);
        break;
      case 1:
        ExpectFailedOpen();
        ClickAndCheck(random() % 2 ? homeFile("missing.csv") : folder);
        break;
      default: {
        const std::string bytes = RandomAddressFile(random, random() % 3 == 0);
        SCOPED_TRACE(testing::PrintToString(bytes));
        const std::string path = homeFile("list" + std::to_string(round % 3) + ".csv");
        test::WriteFileBytes(path, bytes);
        ExpectLoadOf(bytes);
        ClickAndCheck(path);
        break;
      }
    }
    if (HasFailure()) return;
  }
}

TEST_F(AddressLoadModelTest, TheRunLogHoldsEveryByteOfAnInvalidEntry) {
  // Every byte that can stand in an entry, alone and as the byte before and after a
  // double-byte character, reaches the run log file as it was in the address file.
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    if (byte == '\n' || byte == '\r' || byte == '\x1a' || byte == ',' || byte == ' ') continue;
    bytes += std::string("a") + byte + "@b.cd\r\n";
    bytes += std::string("\x82\xa0") + byte + "\r\n";
    bytes += std::string(1, byte) + "\x88\x9f\r\n";
  }
  const std::string path = homeFile("bytes.csv");
  test::WriteFileBytes(path, bytes);
  ExpectLoadOf(bytes);
  ASSERT_FALSE(expected_.log.empty());
  ClickAndCheck(path);
}

}  // namespace
}  // namespace quill
