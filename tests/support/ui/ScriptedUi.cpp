#include "support/ui/ScriptedUi.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace quill::test {

ScriptedUi::ScriptedUi() { platform::SetUi(this); }
ScriptedUi::~ScriptedUi() { platform::SetUi(nullptr); }

void ScriptedUi::AnswerModal(std::function<int(QDialog&)> act) {
  modalAnswers_.push_back(std::move(act));
}

void ScriptedUi::AnswerModal(int result) {
  modalAnswers_.push_back([result](QDialog&) { return result; });
}

void ScriptedUi::AnswerFile(std::optional<QString> fileName) {
  fileAnswers_.push_back(std::move(fileName));
}

void ScriptedUi::AnswerMessage(platform::MessageAnswer answer) {
  messageAnswers_.push_back(answer);
}

int ScriptedUi::ShowModal(QDialog& form) {
  modalForms << form.objectName();
  if (modalAnswers_.empty()) {
    ADD_FAILURE() << "unexpected modal display of " << form.objectName().toStdString();
    return 2;
  }
  auto act = std::move(modalAnswers_.front());
  modalAnswers_.pop_front();
  form.setResult(0);
  form.show();
  int result = act(form);
  if (result == -1) result = form.result();
  form.hide();
  return result;
}

bool ScriptedUi::RunFileDialog(QWidget*, platform::TFileDialog& dialog) {
  offeredFiles << dialog.FileName;
  dialogFilters << dialog.Filter;
  if (fileAnswers_.empty()) {
    ADD_FAILURE() << "unexpected file dialog";
    return false;
  }
  auto answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  if (!answer) return false;
  dialog.FileName = *answer;
  return true;
}

platform::MessageAnswer ScriptedUi::AskYesNo(QWidget*, const QString& text) {
  messages << text;
  if (messageAnswers_.empty()) {
    ADD_FAILURE() << "unexpected message box " << text.toStdString();
    return platform::MessageAnswer::No;
  }
  const auto answer = messageAnswers_.front();
  messageAnswers_.pop_front();
  return answer;
}

void ScriptedUi::ShowError(QWidget*, const QString& text) { errors << text; }

void ScriptedUi::ProcessMessages() {
  ++processMessagesCalls;
  QCoreApplication::processEvents();
  if (onProcessMessages) onProcessMessages();
}

void ScriptedUi::ShellOpen(QWidget*, const QString& target) { shellOpens << target; }

bool ScriptedUi::AllAnswersUsed() const {
  return modalAnswers_.empty() && fileAnswers_.empty() && messageAnswers_.empty();
}

}  // namespace quill::test
