#include "dedup/ui/Forms.h"

#include <QApplication>

#include "dedup/ui/GreetUnit.h"
#include "dedup/ui/MainUnit.h"
#include "dedup/ui/ParamUnit.h"
#include "dedup/ui/infoUnit.h"
#include "platform/ui/UiServices.h"

namespace vivove {

TMainForm* MainForm = nullptr;
TParamForm* ParamForm = nullptr;
TgreetForm* greetForm = nullptr;
TinfoForm* infoForm = nullptr;

void CreateForms(const quill::platform::FormCreated& created) {
  using quill::platform::CreateForm;
  CreateForm(MainForm, QStringLiteral("MainForm"), nullptr, created);
  // The dialogs are centred on the main window and go with it.
  CreateForm(ParamForm, QStringLiteral("ParamForm"), MainForm, created);
  CreateForm(greetForm, QStringLiteral("greetForm"), nullptr, created);
  CreateForm(infoForm, QStringLiteral("infoForm"), MainForm, created);
}

void ShowSplash() { quill::platform::Ui().ShowModal(*greetForm); }

void DestroyForms() {
  delete greetForm;
  greetForm = nullptr;
  delete MainForm;
  MainForm = nullptr;
  ParamForm = nullptr;
  infoForm = nullptr;
}

int RunVivove() {
  CreateForms();
  ShowSplash();
  MainForm->show();
  const int exitCode = QApplication::exec();
  DestroyForms();
  return exitCode;
}

}  // namespace vivove
