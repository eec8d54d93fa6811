#pragma once
// The main window of the mailer and the state that its commands share.

#include <QLabel>
#include <QMainWindow>
#include <QToolButton>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mailer/message/IdMessage.h"
#include "mailer/smtp/IdSMTP.h"
#include "platform/AddressList.h"
#include "platform/ui/SaveAtClose.h"
#include "platform/ui/UiServices.h"
#include "ui_MainForm.h"

namespace quill {

class TRegistory;
class MainSendRunWindow;

using TStringList = std::vector<std::string>;

// State of the main window shared by its commands (texts are Shift_JIS bytes, paths native).
extern std::string AppDir;  ///< directory of the program file
extern std::unique_ptr<TRegistory> Settings;
extern bool TextLoaded;              ///< a body text has been loaded
extern bool AddressLoaded;           ///< an address list loaded without errors
extern std::string DocName;          ///< subject name of the loaded body text
extern std::string AddressFileName;  ///< path of the last address file chosen
extern std::string LineBuffer;
extern std::unique_ptr<AddressList> DestList;
extern std::unique_ptr<AddressList> DestListCopy;
extern std::vector<int32_t> DupCounts;
extern int32_t DupCountLen;

class TMainForm : public QMainWindow, public Ui::TMainForm {
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  // Components that the layout file does not hold.
  QToolButton* TextBtn;
  QToolButton* AddressBtn;
  QToolButton* SendBtn;
  platform::TFileDialog OpenDialog1{platform::TFileDialog::Kind::Open};
  platform::TFileDialog SaveDialog1{platform::TFileDialog::Kind::Save};
  platform::TFileDialog OpenDialog2{platform::TFileDialog::Kind::Open};
  platform::TFileDialog SaveDialog2{platform::TFileDialog::Kind::Save};

  /// Status bar panel 0 (a number) or 1 (a message).
  QLabel* StatusPanel(int index) const { return index == 0 ? panel0_ : panel1_; }
  void SetStatusPanel(int index, const QString& text) { StatusPanel(index)->setText(text); }

  /// Appends one line to the run log (see RunLog.h).
  void AppendLog(const QString& line);

  // Handlers.
  void FormCreate();
  void FormShow();
  void FormClose();
  void Exit1Click();
  void N11Click();
  void AddressBtnClick();

  // The edit menu, the body font size and help (MainEditCommands.cpp).
  void BindEditCommands();
  void Edit1Click();
  void N8Click();
  void N4Click();
  void N22Click();
  void N6Click();
  void N5Click();
  void N21Click();
  void N20Click();
  void N23Click();
  void N2Click();
  void N15Click();
  void N16Click();
  void N17Click();
  void N18Click();
  void N9Click();

  // Body text, run log and attachment list commands (MainBodyCommands.cpp).
  void TextBtnClick();
  void Save1Click();
  void N14Click();
  void N19Click();
  void N25Click();
  void N27Click();
  void N24Click();

  // Settings menu (MainSettingsCommands.cpp).
  void BindSettingsCommands();
  void Font1Click();

 private:
  void BindBodyCommands();
  /// Offers LogFile in SaveDialog2 and writes the run log to the file chosen, which becomes
  /// LogFile. False when the dialog was cancelled; throws when the file cannot be written,
  /// LogFile unchanged.
  bool SaveRunLog();

 public:
  /// The run log holds lines of a send run that were neither saved nor cleared.
  bool FLogDirty = false;
  std::unique_ptr<TStringList> FBodyList;

  // Send run and AUTH scheme check (MainSendRun.cpp).
  std::unique_ptr<TIdSMTP> IdSMTP1;  ///< created once with the window; OnStatus: IdSMTP1Status
  std::unique_ptr<TIdMessage> IdMessage1;
  void SendBtnClick();
  void IdSMTP1Status(TIdStatus AStatus, const std::string& AStatusText);
  void SMTP1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildToolBar();
  void BuildStatusBar();
  void SaveRunLogAtClose();
  void SaveSettingsAtClose();
  void RemoveDuplicates();

  // Send run (MainSendRun.cpp).
  friend class MainSendRunWindow;
  void BindSendRun();
  /// A close request during a run: stops the run and closes when it has ended.
  bool DeferCloseWhileSending(QCloseEvent* event);
  bool sendRunning_ = false;
  bool closeAfterRun_ = false;
  MainSendRunWindow* activeRun_ = nullptr;  ///< the run or check going, if any

  QLabel* panel0_ = nullptr;
  QLabel* panel1_ = nullptr;
  platform::SaveAtClose settingsSave_;
};

extern TMainForm* MainForm;

}  // namespace quill
