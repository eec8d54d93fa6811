// Vivove's deletion log with one very long deleted entry, against the same bytes deleted as
// many short entries, measured in the same run: open, the deletion run and the log in the
// memo, until the window has painted again. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/support/QuietMessages.h"
#include "dedup/ui/Forms.h"
#include "dedup/ui/MainUnit.h"
#include "dedup/ui/ParamUnit.h"
#include "platform/FileIO.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"
#include "support/TempDir.h"
#include "support/ui/ScriptedUi.h"

namespace {

constexpr std::size_t kDeletedBytes = 1'000'000;
constexpr int kRounds = 3;

// Entries of `length` letters, `kDeletedBytes` of them in all, each given twice: the second
// copies are deleted.
std::string ListOfRepeats(std::size_t length) {
  std::string firsts, seconds;
  for (int i = 0; firsts.size() < kDeletedBytes; ++i) {
    std::string entry = std::to_string(i);
    entry += std::string(length > entry.size() ? length - entry.size() : 0, 'x') + "\r\n";
    firsts += entry;
    seconds += entry;
  }
  return firsts + seconds;
}

double RunSeconds(quill::test::ScriptedUi& ui, const std::string& file) {
  vivove::CreateForms();
  vivove::MainForm->show();
  QCoreApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  ui.AnswerFile(quill::platform::from_native(file));
  vivove::MainForm->Open1->trigger();
  ui.AnswerModal([](QDialog&) {
    vivove::ParamForm->Button1->click();
    return -1;
  });
  vivove::MainForm->N1->trigger();
  quill::platform::DisplayLines(*vivove::MainForm->Memo1);
  QCoreApplication::processEvents();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  vivove::DestroyForms();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(quill::bench::QuietMessages);
  QApplication app(argc, argv);
  quill::test::ScriptedUi ui;
  quill::test::TempDir dir;
  const std::string longList = dir.file("long.txt"), shortList = dir.file("short.txt");
  quill::platform::ReplaceFileAtomically(longList, ListOfRepeats(kDeletedBytes));
  quill::platform::ReplaceFileAtomically(shortList, ListOfRepeats(78));

  double hostile = 1e9, sound = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    hostile = std::min(hostile, RunSeconds(ui, longList));
    sound = std::min(sound, RunSeconds(ui, shortList));
  }
  std::printf("deletion log, best of %d rounds taken in turns:\n", kRounds);
  std::printf("  one 1 MB entry / entries of 78, 1 MB deleted %9.1f ms / %8.1f ms = %6.2f\n",
              hostile * 1e3, sound * 1e3, hostile / sound);
  return 0;
}
