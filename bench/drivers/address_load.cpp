// Loads one address file through the mailer's real address button handler, in the real main
// window on the offscreen platform, and reports what the window shows afterwards:
//   address_load <file>
// prints "entries=<panel 0> loglines=<run-log lines> handler_ms=<time of the handler>" and
// the text of panel 1 on a second line.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <cstdio>
#include <cstdlib>

#include "bench/support/QuietMessages.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/ui/UiServices.h"

namespace {

// The user of this run: picks the file in the open dialog and nothing else.
class OneFileUser final : public quill::platform::UiServices {
 public:
  explicit OneFileUser(QString file) : file_(std::move(file)) {}
  int ShowModal(QDialog&) override { std::exit(3); }
  bool RunFileDialog(QWidget*, quill::platform::TFileDialog& dialog) override {
    dialog.FileName = file_;
    return true;
  }
  quill::platform::MessageAnswer AskYesNo(QWidget*, const QString&) override {
    return quill::platform::MessageAnswer::No;
  }
  void ShowError(QWidget*, const QString& text) override {
    std::fprintf(stderr, "error box: %s\n", text.toUtf8().constData());
  }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
  bool EscapeHeld() override { return false; }
  void ShellOpen(QWidget*, const QString&) override {}

 private:
  QString file_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: address_load <address file>\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(quill::bench::QuietMessages);
  QApplication app(argc, argv);
  OneFileUser user(QString::fromLocal8Bit(argv[1]));
  quill::platform::SetUi(&user);
  quill::CreateForms();
  quill::MainForm->show();
  QCoreApplication::processEvents();

  QElapsedTimer timer;
  timer.start();
  quill::MainForm->AddressBtnClick();
  const double handlerMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

  const QString log = quill::MainForm->StatusMemo->toPlainText();
  std::printf("entries=%s loglines=%lld handler_ms=%.1f\n%s\n",
              quill::MainForm->StatusPanel(0)->text().toUtf8().constData(),
              static_cast<long long>(log.count(QLatin1Char('\n'))), handlerMs,
              quill::MainForm->StatusPanel(1)->text().toUtf8().constData());
  quill::DestroyForms();
  quill::platform::SetUi(nullptr);
  return 0;
}
