// The small commands of the main window: the edit menu, the body font size and help. None of
// them touches the send preconditions, the subject name, the address list or the run log's
// dirty flag: a body cleared or edited after a load is sent as it then stands.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <utility>

#include "mailer/ui/MainUnit.h"
#include "platform/ui/Form.h"
#include "platform/ui/HelpPage.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"

namespace quill {
namespace {

// True when a paste would insert text: the clipboard offers text, whatever else it holds (a
// list of copied files pastes as their names). Only the formats are asked for, so a large
// clipboard of another program is not fetched here.
bool ClipboardHoldsText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}

bool HasSelection(const QPlainTextEdit& memo) { return memo.textCursor().hasSelection(); }

void SetPointSize(QWidget& control, int points) {
  QFont font = control.font();
  font.setPointSize(points);
  control.setFont(font);
}

}  // namespace

void TMainForm::BindEditCommands() {
  using Command = void (TMainForm::*)();
  const std::pair<QAction*, Command> commands[] = {
      {N8, &TMainForm::N8Click},   {N4, &TMainForm::N4Click},   {N22, &TMainForm::N22Click},
      {N6, &TMainForm::N6Click},   {N5, &TMainForm::N5Click},   {N21, &TMainForm::N21Click},
      {N20, &TMainForm::N20Click}, {N23, &TMainForm::N23Click}, {N2, &TMainForm::N2Click},
      {N15, &TMainForm::N15Click}, {N16, &TMainForm::N16Click}, {N17, &TMainForm::N17Click},
      {N18, &TMainForm::N18Click}, {N9, &TMainForm::N9Click}};
  for (const auto& [item, command] : commands)
    connect(item, &QAction::triggered, this, platform::Handler(this, command));
  // Before the items show, every time the menu opens; nothing is rechecked while it is open.
  connect(Edit1, &QMenu::aboutToShow, this, platform::Handler(this, &TMainForm::Edit1Click));
}

void TMainForm::Edit1Click() {
  const bool pasteable = ClipboardHoldsText();
  const bool bodyHasText = platform::HasDisplayLines(*Body);
  const bool logHasText = platform::HasDisplayLines(*StatusMemo);
  // "オールクリア" and "表題のクリア" are always available and are left as they are.
  N22->setEnabled(TitleEdit->hasSelectedText());
  N6->setEnabled(pasteable);
  N5->setEnabled(bodyHasText);
  N21->setEnabled(HasSelection(*Body));
  N20->setEnabled(HasSelection(*Body));
  N23->setEnabled(pasteable);
  N14->setEnabled(logHasText);
  N19->setEnabled(logHasText);
  N25->setEnabled(HasSelection(*StatusMemo));
  N27->setEnabled(logHasText);
}

void TMainForm::N8Click() {
  TitleEdit->clear();
  Body->clear();
}

void TMainForm::N4Click() { TitleEdit->clear(); }
void TMainForm::N22Click() { TitleEdit->copy(); }
void TMainForm::N6Click() { TitleEdit->paste(); }
void TMainForm::N5Click() { Body->clear(); }
void TMainForm::N21Click() { Body->copy(); }
void TMainForm::N20Click() { Body->cut(); }
void TMainForm::N23Click() { Body->paste(); }

// The size lives in the body control alone: it is not saved, and 9 points again at start.
void TMainForm::N2Click() { SetPointSize(*Body, 13); }
void TMainForm::N15Click() { SetPointSize(*Body, 12); }
void TMainForm::N16Click() { SetPointSize(*Body, 11); }
void TMainForm::N17Click() { SetPointSize(*Body, 10); }
void TMainForm::N18Click() { SetPointSize(*Body, 9); }

// A help file beside the program wins; without one (a folder of that name is none) the help
// page opens, present or not.
void TMainForm::N9Click() { platform::OpenHelpFileOrPage(this, AppDir + "/Quillpost2.chm"); }

}  // namespace quill
