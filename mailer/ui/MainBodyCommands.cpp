// The main window's body text, run log and attachment list commands.
#include <QAction>
#include <QApplication>

#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/BodyTextFile.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/RunLog.h"
#include "platform/ui/Form.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"

namespace quill {

using platform::Handler;
using platform::Ui;

namespace {

// A wait cursor while a command reads or writes a file that may be large.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void TMainForm::BindBodyCommands() {
  connect(TextBtn, &QToolButton::clicked, this, Handler(this, &TMainForm::TextBtnClick));
  connect(Open1, &QAction::triggered, this, Handler(this, &TMainForm::TextBtnClick));
  connect(Save1, &QAction::triggered, this, Handler(this, &TMainForm::Save1Click));
  connect(N14, &QAction::triggered, this, Handler(this, &TMainForm::N14Click));
  connect(N19, &QAction::triggered, this, Handler(this, &TMainForm::N19Click));
  connect(N25, &QAction::triggered, this, Handler(this, &TMainForm::N25Click));
  connect(N27, &QAction::triggered, this, Handler(this, &TMainForm::N27Click));
  connect(N24, &QAction::triggered, this, Handler(this, &TMainForm::N24Click));
}

void TMainForm::TextBtnClick() {
  SetStatusPanel(1, QString());
  if (!OpenDialog1.Execute(this)) return;
  const std::string path = platform::to_native(OpenDialog1.FileName);
  DocName = DocNameOf(path);
  Body->clear();
  try {
    BusyCursor busy;
    Body->setPlainText(ReadBodyTextFile(path));
  } catch (const std::exception&) {  // quill::Error, or memory that ran out
    Body->clear();
    SetStatusPanel(1, QStringLiteral("文章の読み込みに失敗しました。"));
    TextLoaded = false;
    return;
  }
  TitleEdit->setText(platform::from_sjis(DocName));
  if (!platform::HasDisplayLines(*Body)) {
    SetStatusPanel(1, QStringLiteral("文章がありません。"));
    TextLoaded = false;
  } else {
    TextLoaded = true;
    SetStatusPanel(1, QStringLiteral("文章を設定しました。"));
  }
}

void TMainForm::Save1Click() {
  SaveDialog1.FileName = platform::from_sjis(DocName);
  if (!SaveDialog1.Execute(this)) return;
  try {
    BusyCursor busy;
    WriteBodyTextFile(platform::to_native(SaveDialog1.FileName), Body->toPlainText());
  } catch (const std::exception&) {
    SetStatusPanel(1, QStringLiteral("文章の保存に失敗しました。"));
    return;
  }
  SetStatusPanel(1, QStringLiteral("文章を保存しました。"));
}

void TMainForm::N14Click() {
  StatusMemo->clear();
  FLogDirty = false;
}

void TMainForm::N19Click() { StatusMemo->selectAll(); }

void TMainForm::N25Click() { StatusMemo->copy(); }

void TMainForm::N27Click() {
  if (!platform::HasDisplayLines(*StatusMemo)) return;
  if (SaveRunLog()) FLogDirty = false;
}

bool TMainForm::SaveRunLog() {
  SaveDialog2.FileName = platform::from_native(Settings->LogFile);
  if (!SaveDialog2.Execute(this)) return false;
  // A failure leaves here before LogFile changes; the caller's flag stays as it was.
  WriteRunLogFile(*StatusMemo, SaveDialog2.FileName);
  Settings->LogFile = platform::to_native(SaveDialog2.FileName);
  return true;
}

void TMainForm::N24Click() { Ui().ShowModal(*AtachForm); }

}  // namespace quill
