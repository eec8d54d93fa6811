#include "mailer/ui/Forms.h"

#include <QApplication>

#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/BreakUnit.h"
#include "mailer/ui/DblChkPrgUnit.h"
#include "mailer/ui/GreetUnit.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/StatusUnit.h"
#include "mailer/ui/WaitUnit.h"
#include "platform/ui/FormCreation.h"
#include "platform/ui/UiServices.h"
#include "settings/ui/SmtpSetUnit.h"
#include "settings/ui/StatusDispUnit.h"

namespace quill {

TMainForm* MainForm = nullptr;
TGreetForm* GreetForm = nullptr;
TSmtpForm* SmtpForm = nullptr;
TAtachForm* AtachForm = nullptr;
TBreakForm* BreakForm = nullptr;
TDblChkPrgForm* DblChkPrgForm = nullptr;
TWaitForm* WaitForm = nullptr;
TStatusDisp* StatusDisp = nullptr;
TStatusForm* StatusForm = nullptr;

void CreateForms(const std::function<void(const QString&)>& created) {
  using platform::CreateForm;
  // The main window comes first: the dialogs open over it.
  CreateForm(MainForm, QStringLiteral("MainForm"), nullptr, created);
  CreateForm(GreetForm, QStringLiteral("GreetForm"), nullptr, created);
  CreateForm(SmtpForm, QStringLiteral("SmtpForm"), MainForm, created);
  CreateForm(AtachForm, QStringLiteral("AtachForm"), MainForm, created);
  CreateForm(BreakForm, QStringLiteral("BreakForm"), MainForm, created);
  CreateForm(DblChkPrgForm, QStringLiteral("DblChkPrgForm"), MainForm, created);
  CreateForm(WaitForm, QStringLiteral("WaitForm"), MainForm, created);
  CreateForm(StatusDisp, QStringLiteral("StatusDisp"), MainForm, created);
  CreateForm(StatusForm, QStringLiteral("StatusForm"), MainForm, created);
}

void ShowSplash() {
  platform::Ui().ShowModal(*GreetForm);
  GreetForm->deleteLater();  // destroyed when the message loop next runs
  GreetForm = nullptr;
}

void DestroyForms() {
  // The dialogs are children of the main window and go with it.
  delete GreetForm;
  GreetForm = nullptr;
  delete MainForm;
  MainForm = nullptr;
  SmtpForm = nullptr;
  AtachForm = nullptr;
  BreakForm = nullptr;
  DblChkPrgForm = nullptr;
  WaitForm = nullptr;
  StatusDisp = nullptr;
  StatusForm = nullptr;
}

int RunQuillpost2() {
  CreateForms();
  ShowSplash();
  MainForm->show();
  const int exitCode = QApplication::exec();
  DestroyForms();
  return exitCode;
}

}  // namespace quill
