#pragma once
// UI services for form tests: modal displays, file dialogs and message boxes are answered
// from queues; error boxes and shell opens are recorded; the Escape key is held on demand.
// Installed for its lifetime.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "platform/ui/UiServices.h"

namespace quill::test {

class ScriptedUi final : public platform::UiServices {
 public:
  ScriptedUi();
  ~ScriptedUi() override;

  /// The next modal display runs `act` on the shown form (visible, as in a modal loop) and
  /// answers with what it returns. A form that closes itself (done()) during `act` answers
  /// with its own result instead when `act` returns -1.
  void AnswerModal(std::function<int(QDialog&)> act);
  /// The next modal display answers `result` without touching the form.
  void AnswerModal(int result);
  /// The next file dialog: a file name confirms it (and becomes FileName), nullopt cancels.
  void AnswerFile(std::optional<QString> fileName);
  void AnswerMessage(platform::MessageAnswer answer);

  bool escapeHeld = false;
  QStringList errors;         ///< texts of the error boxes shown
  QStringList shellOpens;     ///< targets given to the shell
  QStringList messages;       ///< texts of the Yes/No boxes asked
  QStringList offeredFiles;   ///< FileName of each file dialog as it was offered
  QStringList dialogFilters;  ///< Filter of each file dialog
  int processMessagesCalls = 0;
  std::function<void()> onProcessMessages;  ///< runs at every ProcessMessages
  QStringList modalForms;                   ///< object names of the forms shown modally, in order

  int ShowModal(QDialog& form) override;
  bool RunFileDialog(QWidget* owner, platform::TFileDialog& dialog) override;
  platform::MessageAnswer AskYesNo(QWidget* owner, const QString& text) override;
  void ShowError(QWidget* owner, const QString& text) override;
  void ProcessMessages() override;
  bool EscapeHeld() override { return escapeHeld; }
  void ShellOpen(QWidget* owner, const QString& target) override;

  /// True when every queued answer was used.
  bool AllAnswersUsed() const;

 private:
  std::deque<std::function<int(QDialog&)>> modalAnswers_;
  std::deque<std::optional<QString>> fileAnswers_;
  std::deque<platform::MessageAnswer> messageAnswers_;
};

}  // namespace quill::test
