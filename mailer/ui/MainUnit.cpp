#include "mailer/ui/MainUnit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include "mailer/addresses/AddressCheck.h"
#include "mailer/addresses/AddressFile.h"
#include "mailer/ui/DblChkPrgUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/RunLog.h"
#include "mailer/ui/StatusUnit.h"
#include "mailer/ui/ToolImages.h"
#include "platform/DuplicatePass.h"
#include "platform/ProgramDir.h"
#include "platform/ui/FollowMemoEnd.h"
#include "platform/ui/Form.h"
#include "platform/ui/InputBlocker.h"
#include "platform/ui/LinearWordWrap.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/RepaintExposed.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/ThrottledMessages.h"
#include "settings/Registory.h"
#include "settings/ui/StatusDispUnit.h"

namespace quill {

std::string AppDir;
std::unique_ptr<TRegistory> Settings;
bool TextLoaded = false;
bool AddressLoaded = false;
std::string DocName;
std::string AddressFileName;
std::string LineBuffer;
std::unique_ptr<AddressList> DestList;
std::unique_ptr<AddressList> DestListCopy;
std::vector<int32_t> DupCounts;
int32_t DupCountLen = 0;

using platform::Handler;
using platform::Ui;

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setupUi(this);
  setFont(platform::FormFont(12));
  Label1->setFont(platform::FormFont(16));
  TitleEdit->setFont(platform::FormFont(16));
  QFont bodyFont = platform::FormFont(12);
  bodyFont.setPointSize(9);
  Body->setFont(bodyFont);
  platform::UseLinearWordWrap(*Body);
  platform::UseLinearWordWrap(*StatusMemo);
  platform::FollowMemoEnd(*StatusMemo);  // a run shows its newest line as it goes
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 0);
  Splitter1->setSizes({400, 163});
  BuildToolBar();
  BuildStatusBar();

  OpenDialog1.Filter = QStringLiteral("テキスト|*.txt;|全てのファイル|*.*;");
  SaveDialog1.Filter = QStringLiteral("テキスト|*.txt;");
  OpenDialog2.Filter = QStringLiteral("テキスト形式|*.txt;|ＣＳＶ形式|*.csv;|全てのファイル|*.*;");
  SaveDialog2.Filter = QStringLiteral("テキスト|*.txt");
  SaveDialog2.DefaultExt = QStringLiteral("txt");
  SaveDialog2.FileName = QStringLiteral("Log.txt");

  connect(Exit1, &QAction::triggered, this, Handler(this, &TMainForm::Exit1Click));
  connect(N11, &QAction::triggered, this, Handler(this, &TMainForm::N11Click));
  connect(AddressBtn, &QToolButton::clicked, this, Handler(this, &TMainForm::AddressBtnClick));
  BindEditCommands();
  BindBodyCommands();
  BindSettingsCommands();
  BindSendRun();

  resize(643, 603);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  platform::RunHandler(this, [this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildToolBar() {
  const auto images = ImageList1();
  auto addButton = [this, &images](const char* name, int image, const QString& hint) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QLatin1String(name));
    button->setIcon(images[static_cast<size_t>(image)]);
    button->setIconSize(QSize(32, 32));
    button->setFixedSize(43, 38);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    ToolBar1->addWidget(button);
    ToolBar1->addSeparator();
    return button;
  };
  TextBtn = addButton("TextBtn", 0, QStringLiteral("文書"));
  AddressBtn = addButton("AddressBtn", 1, QStringLiteral("アドレス"));
  SendBtn = addButton("SendBtn", 2, QStringLiteral("送信"));
}

void TMainForm::BuildStatusBar() {
  panel0_ = new QLabel(StatusBar1);
  panel0_->setObjectName(QStringLiteral("StatusPanel0"));
  panel0_->setFixedWidth(60);
  panel0_->setFrameShape(QFrame::Panel);
  panel0_->setFrameShadow(QFrame::Sunken);
  panel1_ = new QLabel(StatusBar1);
  panel1_->setObjectName(QStringLiteral("StatusPanel1"));
  panel1_->setFrameShape(QFrame::Panel);
  panel1_->setFrameShadow(QFrame::Sunken);
  StatusBar1->addWidget(panel0_);
  StatusBar1->addWidget(panel1_, 1);
}

void TMainForm::AppendLog(const QString& line) { AppendLogLine(*StatusMemo, line); }

void TMainForm::FormCreate() {
  AppDir = platform::ProgramDirectory();
  SetStatusPanel(0, QString());
  SetStatusPanel(1, QString());
  FBodyList = std::make_unique<TStringList>();
  Settings = std::make_unique<TRegistory>();
  // The later commands need every object made here, so a failed load is shown and the
  // defaults stay.
  platform::RunHandler(this, [] { Settings->LoadSettings(); });
  DestList = std::make_unique<AddressList>();
  DestListCopy = std::make_unique<AddressList>();
  FLogDirty = false;
}

void TMainForm::FormShow() {
  TextLoaded = false;
  AddressLoaded = false;
  TitleEdit->clear();
  Body->clear();
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) platform::RunHandler(this, [this] { FormShow(); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (DeferCloseWhileSending(event)) return;
  // A failing close handler keeps the window open; the next attempt runs it again.
  if (platform::RunHandler(this, [this] { FormClose(); }))
    event->accept();
  else
    event->ignore();
}

void TMainForm::Exit1Click() { close(); }

void TMainForm::FormClose() {
  SaveRunLogAtClose();
  SaveSettingsAtClose();
  Settings.reset();
  DestList.reset();
  DestListCopy.reset();
  FBodyList.reset();
  DupCounts.clear();
}

void TMainForm::SaveRunLogAtClose() {
  if (!FLogDirty || !platform::HasDisplayLines(*StatusMemo)) return;
  if (Ui().ShowModal(*StatusForm) != 1) return;
  SaveRunLog();  // the dirty flag stays as it is
}

void TMainForm::SaveSettingsAtClose() {
  // Failing twice, the program ends without the settings: a settings folder that cannot be
  // written never keeps the user from closing it.
  settingsSave_.Run(this, [] { Settings->SaveSettings(); });
}

void TMainForm::N11Click() {
  StatusDisp->CheckBox1->setChecked(Settings->Status);
  StatusDisp->SetItemIndex(Settings->ErrorDisp);
  StatusDisp->SendErrorBreak->setChecked(Settings->SendErrorBreak);
  Ui().ShowModal(*StatusDisp);
  Settings->Status = StatusDisp->CheckBox1->isChecked();
  Settings->ErrorDisp = StatusDisp->ItemIndex();
  Settings->SendErrorBreak = StatusDisp->SendErrorBreak->isChecked();
}

void TMainForm::AddressBtnClick() {
  SetStatusPanel(1, QString());
  StatusMemo->clear();
  if (!OpenDialog2.Execute(this)) return;
  // The dialog has closed over the window: show it again before a long file keeps us busy.
  platform::RepaintExposed(*this);
  AddressFileName = platform::to_native(OpenDialog2.FileName);
  DestList->clear();
  try {
    ReadAddressFile(AddressFileName, *DestList);
  } catch (const std::exception&) {
    AddressLoaded = false;
    SetStatusPanel(1, QStringLiteral("＊＊＊ アドレスファイルを開けません。"));
    return;
  }
  if (DestList->empty()) {
    AddressLoaded = false;
    SetStatusPanel(1, QStringLiteral("＊＊＊ アドレスがありません。"));
    return;
  }
  // Memory can still run out while the entries are checked or cleaned; the error box then
  // tells so. A list that was not checked and cleaned whole is no list to send to, and the
  // progress window must not stay behind.
  try {
    AddressLoaded = true;
    // One edit of the run log for all the lines: a file of many invalid addresses would
    // otherwise spend its time laying the log out again after every line. The lines are never
    // empty, so one insertion gives the text of appending them one by one.
    QStringList errorLines;
    for (size_t i = 0; i < DestList->size(); ++i) {
      const std::string_view entry = (*DestList)[i];
      if (CheckAddress(entry) > 0) {
        errorLines << QStringLiteral("アドレスエラー：") + QString::number(i + 1) +
                          QStringLiteral("->") + platform::from_sjis(entry);
        AddressLoaded = false;
      }
    }
    if (!errorLines.isEmpty())
      platform::AppendMemoLines(*StatusMemo, errorLines.join(QLatin1Char('\n')));
    if (!AddressLoaded) {
      SetStatusPanel(1, QStringLiteral("アドレスファイルにエラーが見つかりました。"));
      return;
    }
    DblChkPrgForm->show();
    DblChkPrgForm->repaint();  // painted before the first comparison
    RemoveDuplicates();
    DblChkPrgForm->close();
    SetStatusPanel(0, QString::number(DestList->size()));
    SetStatusPanel(1, QStringLiteral("アドレスファイルを開きました。"));
  } catch (...) {
    AddressLoaded = false;
    DblChkPrgForm->close();
    throw;
  }
}

void TMainForm::RemoveDuplicates() {
  // While the pass lets window messages through, no click, key or close may reach the main
  // window: a second load or closing the window would pull the lists away under the pass.
  platform::InputBlocker blocker(this);
  *DestListCopy = std::move(*DestList);
  DestList->clear();
  DupCountLen = static_cast<int32_t>(DestListCopy->size());
  // Messages go through at most once per 10 ms of the pass rather than after every distinct
  // address: on a long list that step would cost more than the comparisons.
  platform::ThrottledMessages messages;
  DupCounts = CountRepeats(DestListCopy->Entries(), [&messages](int position) {
    DblChkPrgForm->ProgressBar1->setValue(position);
    messages.Step();
  });
  messages.Now();
  *DestList = FirstOccurrences(*DestListCopy, DupCounts);
}

}  // namespace quill
