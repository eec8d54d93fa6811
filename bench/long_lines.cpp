// Very long lines in the mailer's text boxes, and closing with a long run log, each measured
// against its sound case in the same run, through the real handlers in a shown main window:
//   body       a body file of one line without break points / the same bytes in short lines
//   run log    an address file whose one invalid entry is that long / the same bytes as many
//              short invalid entries
//   CR only    an address file of invalid entries whose lines end in CR alone, one line by
//              the reading rules / the same entries with CR LF
//   close      closing with a long run log that needs no saving / with an empty one
// Each case lays the text box out whole, as the send run does with the body, and lets the
// window paint. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/support/QuietMessages.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/FileIO.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"
#include "support/TempDir.h"
#include "support/ui/ScriptedUi.h"

namespace {

constexpr std::size_t kLongLine = 1'000'000;
constexpr int kLogLines = 200'000;
constexpr int kRounds = 3;

// `bytes` letters in lines of `lineLength` letters, each ended by `eol` (one line without an
// end when lineLength is 0).
std::string Letters(std::size_t bytes, std::size_t lineLength, const std::string& eol) {
  if (lineLength == 0) return std::string(bytes, 'x');
  std::string text;
  while (text.size() < bytes) text += std::string(lineLength, 'x') + eol;
  return text;
}

// Entries that are no addresses, each ended by `eol`.
std::string Entries(std::size_t bytes, const std::string& eol) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) text += "entry" + std::to_string(i) + eol;
  return text;
}

// Seconds that `act` takes in a fresh, shown main window, after `prepare` has run in it.
double Seconds(const std::function<void()>& prepare, const std::function<void()>& act) {
  quill::CreateForms();
  quill::MainForm->show();
  QCoreApplication::processEvents();
  prepare();
  QCoreApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  act();
  QCoreApplication::processEvents();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  quill::DestroyForms();
  return seconds;
}

struct Case {
  const char* name;
  std::function<double()> hostile;
  std::function<double()> sound;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(quill::bench::QuietMessages);
  QApplication app(argc, argv);
  quill::test::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);  // the close writes the settings
  quill::test::ScriptedUi ui;
  const std::string file = dir.file("input.txt");
  auto write = [&](const std::string& bytes) {
    quill::platform::ReplaceFileAtomically(file, bytes);
  };
  auto pick = [&] { ui.AnswerFile(quill::platform::from_native(file)); };
  auto nothing = [] {};
  using quill::MainForm;

  auto loadBody = [&] {
    pick();
    MainForm->TextBtnClick();
    quill::platform::DisplayLines(*MainForm->Body);
  };
  auto loadAddresses = [&] {
    pick();
    MainForm->AddressBtnClick();
    quill::platform::DisplayLines(*MainForm->StatusMemo);
  };
  auto longLog = [&] {
    write(Letters(kLogLines * 12, 10, "\r\n"));
    pick();
    MainForm->AddressBtnClick();
  };
  auto close = [&] { MainForm->FormClose(); };

  const std::vector<Case> cases = {
      {"body, 1 MB in one line / in lines of 78",
       [&] {
         write(Letters(kLongLine, 0, ""));
         return Seconds(nothing, loadBody);
       },
       [&] {
         write(Letters(kLongLine, 78, "\r\n"));
         return Seconds(nothing, loadBody);
       }},
      {"run log, one 1 MB invalid entry / entries of 78",
       [&] {
         write(Letters(kLongLine, 0, ""));
         return Seconds(nothing, loadAddresses);
       },
       [&] {
         write(Letters(kLongLine, 78, "\r\n"));
         return Seconds(nothing, loadAddresses);
       }},
      {"address file of 1 MB, CR only / CR LF",
       [&] {
         write(Entries(kLongLine, "\r"));
         return Seconds(nothing, loadAddresses);
       },
       [&] {
         write(Entries(kLongLine, "\r\n"));
         return Seconds(nothing, loadAddresses);
       }},
      {"close, 200 000 clean log lines / empty log", [&] { return Seconds(longLog, close); },
       [&] { return Seconds(nothing, close); }},
  };

  std::printf("long lines and long logs, best of %d rounds taken in turns:\n", kRounds);
  for (const Case& c : cases) {
    double hostile = 1e9, sound = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      hostile = std::min(hostile, c.hostile());
      sound = std::min(sound, c.sound());
    }
    std::printf("  %-50s %9.1f ms / %8.1f ms = %6.2f\n", c.name, hostile * 1e3, sound * 1e3,
                hostile / sound);
  }
  return 0;
}
