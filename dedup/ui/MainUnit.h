#pragma once
// Vivove's main window: the deletion log, the status text and the file menu's commands on the
// address lists.

#include <QLabel>
#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "dedup/AddressList.h"
#include "dedup/DeleteRun.h"
#include "platform/ui/UiServices.h"
#include "ui_MainForm.h"

namespace vivove {

// State of the main window shared by its commands (entries are Shift_JIS bytes, paths native).
extern std::unique_ptr<TStringList> SourceList;     ///< the loaded entries, in file order
extern std::unique_ptr<TPositionList> AddressList;  ///< the working list that "保存" writes
extern TDeleteFlags DeleteFlags;                    ///< one flag per loaded entry during a run
extern std::int32_t FlagCount;                      ///< loaded entries at the start of a run
extern std::string AddressFileName;                 ///< path chosen in the last open dialog

class TMainForm : public QMainWindow, public Ui::TMainForm {
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  ~TMainForm() override;

  quill::platform::TFileDialog OpenDialog1{quill::platform::TFileDialog::Kind::Open};
  quill::platform::TFileDialog SaveDialog1{quill::platform::TFileDialog::Kind::Save};

  /// The status bar's single text.
  QString StatusText() const { return statusText_->text(); }
  void SetStatusText(const QString& text) { statusText_->setText(text); }

  // Handlers.
  void FormCreate();
  void FormClose();
  void Open1Click();
  void N1Click();
  void Save1Click();
  void Exit1Click();
  void N3Click();
  void N4Click();

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void AppendDeletionLog(const std::string& log);

  QLabel* statusText_ = nullptr;
  /// The last open failed: its partial list must never replace the file, so "保存" stays
  /// disabled until a deletion run after a successful open.
  bool openFailed_ = false;
  bool outerSized_ = false;
};

}  // namespace vivove
