#pragma once
// The services through which forms reach the user: modal display, file dialogs, the Yes/No
// message box, the standard error box, letting pending window messages through, the Escape
// key's state and the shell. The Qt implementation talks to the user; tests install a
// scripted one (tests/support/ui/ScriptedUi.h).

#include <QString>

class QDialog;
class QWidget;

namespace quill::platform {

/// A common open or save dialog as the forms hold it, like a dialog component: its settings
/// stay between uses and FileName keeps the name of the last confirmed use.
struct TFileDialog {
  enum class Kind { Open, Save };
  explicit TFileDialog(Kind k) : kind(k) {}

  Kind kind;
  /// Pairs of description and patterns separated by "|", patterns separated by ";", as in
  /// "テキスト|*.txt;|全てのファイル|*.*;".
  QString Filter;
  /// Extension without its dot, added to a typed name that has none; empty for none.
  QString DefaultExt;
  /// In: the name the dialog offers. Out: the full path of the confirmed file (native).
  QString FileName;

  /// Runs the dialog over `owner`. True when the user confirmed a file name; a name that
  /// does not exist is accepted, and saving over an existing file asks nothing.
  bool Execute(QWidget* owner);
};

enum class MessageAnswer { Yes, No, Other };

class UiServices {
 public:
  virtual ~UiServices() = default;

  /// Shows `form` modally and returns its modal result.
  virtual int ShowModal(QDialog& form) = 0;
  /// Runs a file dialog; see TFileDialog::Execute.
  virtual bool RunFileDialog(QWidget* owner, TFileDialog& dialog) = 0;
  /// A standard confirmation box with the buttons Yes and No.
  virtual MessageAnswer AskYesNo(QWidget* owner, const QString& text) = 0;
  /// The form framework's standard error box.
  virtual void ShowError(QWidget* owner, const QString& text) = 0;
  /// Handles every window message that is waiting at this moment, then returns.
  virtual void ProcessMessages() = 0;
  /// Whether the Escape key is held down at this moment.
  virtual bool EscapeHeld() = 0;
  /// Asks the shell to open a file or a web address; the outcome is not reported.
  virtual void ShellOpen(QWidget* owner, const QString& target) = 0;
};

/// The services in use: the Qt ones unless a test installed others.
UiServices& Ui();
/// Installs `services` (not owned); nullptr returns to the Qt services.
void SetUi(UiServices* services);

}  // namespace quill::platform
