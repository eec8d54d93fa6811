// Vivove's whole deletion run in its window, the deletion log appended to the memo included,
// for 100 000 and 300 000 deletions: the time should grow with the count, not faster.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dedup/ui/Forms.h"
#include "dedup/ui/MainUnit.h"
#include "dedup/ui/ParamUnit.h"
#include "platform/FileIO.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/UiServices.h"

namespace {

// Answers the open dialog with one file and the deletion dialog with its start button.
class BenchUi final : public quill::platform::UiServices {
 public:
  std::string file;
  int ShowModal(QDialog& form) override {
    form.show();
    vivove::ParamForm->Button1->click();
    form.hide();
    return form.result();
  }
  bool RunFileDialog(QWidget*, quill::platform::TFileDialog& dialog) override {
    dialog.FileName = quill::platform::from_native(file);
    return true;
  }
  quill::platform::MessageAnswer AskYesNo(QWidget*, const QString&) override {
    return quill::platform::MessageAnswer::No;
  }
  void ShowError(QWidget*, const QString& text) override {
    std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
    std::exit(1);
  }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
  bool EscapeHeld() override { return false; }
  void ShellOpen(QWidget*, const QString&) override {}
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A list of `deletions` addresses each followed later by one copy of itself.
void WriteList(const std::string& path, int deletions) {
  std::string bytes;
  for (int copy = 0; copy < 2; ++copy)
    for (int i = 0; i < deletions; ++i)
      bytes += "user" + std::to_string(i) + "@mail.example.co.jp,Name\r\n";
  quill::platform::ReplaceFileAtomically(path, bytes,
                                         quill::platform::ReplacedFileMode::KeepOrUmaskDefault);
}

// Seconds of one open and one deletion run in a fresh window, until the window has been
// laid out and painted again.
double RunSeconds(BenchUi& ui, int deletions) {
  WriteList(ui.file, deletions);
  vivove::CreateForms();
  vivove::MainForm->show();
  QCoreApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  vivove::MainForm->Open1->trigger();
  vivove::MainForm->N1->trigger();
  QCoreApplication::processEvents();
  const double seconds = Seconds(start);
  if (vivove::AddressList->size() != static_cast<std::size_t>(deletions)) std::exit(1);
  vivove::DestroyForms();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  BenchUi ui;
  quill::platform::SetUi(&ui);
  char pattern[] = "/tmp/vivove_run.XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  ui.file = std::string(pattern) + "/list.csv";

  double best[2] = {1e9, 1e9};
  const int counts[2] = {100'000, 300'000};
  for (int round = 0; round < 3; ++round)
    for (int k = 0; k < 2; ++k) best[k] = std::min(best[k], RunSeconds(ui, counts[k]));
  std::filesystem::remove_all(pattern);
  std::printf("open + deletion run + log in the memo, best of 3:\n");
  std::printf(
      "  100 000 deletions %8.1f ms\n  300 000 deletions %8.1f ms\n  ratio %.2f (3.00 "
      "is linear)\n",
      best[0] * 1e3, best[1] * 1e3, best[1] / best[0]);
  quill::platform::SetUi(nullptr);
  return 0;
}
