#pragma once
// How forms run their handlers, as the form framework does: an exception that leaves a
// handler is shown in the standard error box; a close handler that fails refuses the close;
// a create handler that fails still leaves the form created.

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <exception>
#include <functional>
#include <optional>

#include "platform/ui/OwnerCentring.h"

namespace quill::platform {

/// The text the standard error box shows for a failure.
QString ErrorText(const std::exception_ptr& failure);

/// Runs `handler`; a failure is shown in the standard error box over `owner`.
/// Returns false when the handler failed.
bool RunHandler(QWidget* owner, const std::function<void()>& handler);

/// A slot that runs a handler method of `form` through RunHandler.
template <class Form>
auto Handler(Form* form, void (Form::*method)()) {
  return [form, method] { RunHandler(form, [form, method] { (form->*method)(); }); };
}

/// "ＭＳ Ｐゴシック" (or "ＭＳ ゴシック" when `fixedPitch`) at `pixelHeight` pixels; the
/// application maps these names to the IPA fonts.
QFont FormFont(int pixelHeight, bool fixedPitch = false);

/// A dialog form. Its modal result is what a button with a result passes to done();
/// closing it by its close box ends the modal display with 2; Escape answers nothing.
/// Return and Enter press the push button that has the focus, as Space does, whether or not
/// the dialog has a default button; in any other control they press nothing of their own.
/// FormShow runs at every showing and FormClose at every close, and a FormClose that fails
/// keeps the dialog open. A form whose constructor calls KeepCentredOnOwner opens in the
/// middle of its parent's window at every showing, before FormShow runs.
class TDialogForm : public QDialog {
 public:
  using QDialog::QDialog;
  void done(int result) override;
  void reject() override {}

 protected:
  void KeepCentredOnOwner() { centring_.emplace(*this); }
  virtual void FormShow() {}
  virtual void FormClose() {}
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchPushButtons();

  std::optional<OwnerCentring> centring_;
};

/// The application object: installs the font substitutes and shows a failure that escapes
/// every handler in the standard error box instead of ending the program.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

/// Maps the Windows font names of the forms to the IPA fonts (called by TApplication; tests
/// call it themselves).
void InstallFontSubstitutes();

}  // namespace quill::platform
