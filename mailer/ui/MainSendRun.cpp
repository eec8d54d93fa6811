// The main window's send run, its status event and the AUTH scheme check: thin adapters
// between the window and the run's core (mailer/sendrun).
#include <QCloseEvent>
#include <QListWidget>
#include <optional>

#include "mailer/sendrun/SendRun.h"
#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/BreakUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/WaitUnit.h"
#include "platform/ui/Form.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/ThrottledMessages.h"
#include "settings/Registory.h"
#include "settings/ui/SmtpSetUnit.h"

namespace quill {

using platform::Ui;

// The run's view of the main window. What the run shows between two moments at which
// window messages are let through cannot be seen, so run-log lines and panel texts are
// gathered and put into the widgets then: at most once per 10 ms of run, before a modal
// dialog and at the end. A fast run thus stays live without painting or laying out text per
// message.
class MainSendRunWindow : public SendRunWindow {
 public:
  explicit MainSendRunWindow(TMainForm& form) : form_(form) { form_.activeRun_ = this; }
  ~MainSendRunWindow() override {
    form_.activeRun_ = nullptr;
    Show();
    Ui().ProcessMessages();
  }
  MainSendRunWindow(const MainSendRunWindow&) = delete;
  MainSendRunWindow& operator=(const MainSendRunWindow&) = delete;

  void SetPanel(int index, const std::string& text) override {
    panels_[index] = platform::from_sjis(text);
  }
  void ClearLog() override {
    lines_.clear();
    form_.StatusMemo->clear();
  }
  void AppendLog(const std::string& line) override { lines_ << platform::from_sjis(line); }
  std::vector<std::string> BodyLines() override {
    std::vector<std::string> lines;
    for (const QString& line : platform::DisplayLines(*form_.Body))
      lines.push_back(platform::to_sjis(line));
    return lines;
  }
  std::vector<std::string> AttachmentPaths() override {
    std::vector<std::string> paths;
    for (int i = 0; i < AtachForm->ListBox1->count(); ++i)
      paths.push_back(platform::to_native(AtachForm->ListBox1->item(i)->text()));
    return paths;
  }
  void ProcessMessages() override {
    if (!pump_.Due()) return;
    Show();
    pump_.Now();
  }
  bool EscapeHeld() override { return Ui().EscapeHeld(); }
  bool AskStop() override {
    Show();
    pump_.Now();
    return Ui().ShowModal(*BreakForm) == 1;
  }
  void Wait(int seconds) override {
    Show();
    pump_.Now();
    // A close request among the messages just let through: the run ends without the wait.
    if (CloseRequested()) return;
    WaitForm->SetWaitSeconds(seconds);
    Ui().ShowModal(*WaitForm);
  }
  bool CloseRequested() override { return form_.closeAfterRun_; }

 private:
  // Puts what was gathered into the run log and the status bar.
  void Show() {
    if (!lines_.isEmpty()) platform::AppendMemoLines(*form_.StatusMemo, lines_.join(u'\n'));
    lines_.clear();
    for (int i = 0; i < 2; ++i) {
      if (panels_[i]) form_.SetStatusPanel(i, *panels_[i]);
      panels_[i].reset();
    }
  }

  TMainForm& form_;
  platform::ThrottledMessages pump_;
  QStringList lines_;
  std::optional<QString> panels_[2];
};

namespace {

// The commands that would start a second run or pull the run's lists, account or
// attachments away under it are off while it goes; each gets back the state it had.
class RunCommandsOff {
 public:
  explicit RunCommandsOff(TMainForm& form)
      : buttons_{form.SendBtn, form.TextBtn, form.AddressBtn},
        actions_{form.Open1, form.Font1, form.N24, form.SMTP1} {
    for (QWidget* button : buttons_) buttonStates_.push_back(button->isEnabled());
    for (QAction* action : actions_) actionStates_.push_back(action->isEnabled());
    for (QWidget* button : buttons_) button->setEnabled(false);
    for (QAction* action : actions_) action->setEnabled(false);
  }
  ~RunCommandsOff() {
    for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setEnabled(buttonStates_[i]);
    for (size_t i = 0; i < actions_.size(); ++i) actions_[i]->setEnabled(actionStates_[i]);
  }
  RunCommandsOff(const RunCommandsOff&) = delete;
  RunCommandsOff& operator=(const RunCommandsOff&) = delete;

 private:
  std::vector<QWidget*> buttons_;
  std::vector<QAction*> actions_;
  std::vector<bool> buttonStates_;
  std::vector<bool> actionStates_;
};

// Marks the window as sending for the life of one run, however the run ends.
class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void TMainForm::BindSendRun() {
  IdSMTP1 = std::make_unique<TIdSMTP>();
  IdMessage1 = std::make_unique<TIdMessage>();
  IdSMTP1->OnStatus = [this](TIdStatus status, const std::string& text) {
    IdSMTP1Status(status, text);
  };
  connect(SendBtn, &QToolButton::clicked, this, platform::Handler(this, &TMainForm::SendBtnClick));
  connect(SMTP1, &QAction::triggered, this, platform::Handler(this, &TMainForm::SMTP1Click));
}

void TMainForm::SendBtnClick() {
  if (sendRunning_) return;
  closeAfterRun_ = false;
  {
    RunningFlag running(sendRunning_);
    RunCommandsOff commandsOff(*this);
    MainSendRunWindow window(*this);
    // The address file's path is native; the run log holds Shift_JIS.
    const std::string addressFile = platform::to_sjis(platform::from_native(AddressFileName));
    RunSend({*IdSMTP1, *IdMessage1, *SmtpForm->FSmtp, *Settings, window},
            {TextLoaded, AddressLoaded, DocName, addressFile, *DestList}, *FBodyList, FLogDirty);
  }
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    close();
  }
}

void TMainForm::IdSMTP1Status(TIdStatus, const std::string& AStatusText) {
  if (!Settings || !Settings->Status) return;
  // During a run the line joins the run's own, in order.
  if (activeRun_)
    activeRun_->AppendLog(AStatusText);
  else
    AppendLog(platform::from_sjis(AStatusText));
}

void TMainForm::SMTP1Click() {
  MainSendRunWindow window(*this);
  CheckAuthSchemes(*IdSMTP1, *SmtpForm->FSmtp, window);
}

bool TMainForm::DeferCloseWhileSending(QCloseEvent* event) {
  if (!sendRunning_) return false;
  closeAfterRun_ = true;
  event->ignore();
  return true;
}

}  // namespace quill
