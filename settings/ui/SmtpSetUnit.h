#pragma once
// The SMTP account dialog: registers, changes, deletes and chooses the mailer's accounts. It
// owns the program's one account store and writes the account file when it closes after a
// change.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/Form.h"
#include "platform/ui/SaveAtClose.h"
#include "settings/SmtpUnit.h"
#include "ui_SmtpForm.h"

namespace quill {

/// The account chooser ComboBox1, the account's fields, the status line Label8 and the
/// buttons "新規登録", "変更", "削除" and "Ok" (ends with 1); a close box, no Cancel: every
/// button acts on the store at once. Texts are Unicode in the controls and Shift_JIS bytes in
/// the store. Input errors are reported in Label8 only.
class TSmtpForm : public platform::TDialogForm, public Ui::TSmtpForm {
 public:
  /// Runs FormCreate.
  explicit TSmtpForm(QWidget* parent = nullptr);
  /// Runs FormDestroy.
  ~TSmtpForm() override;

  /// The account store: made by FormCreate and never replaced until FormDestroy frees it.
  /// The main window reads the current account through it.
  std::unique_ptr<TSmtp> FSmtp;
  /// An account was registered, changed, deleted or chosen since the program started; never
  /// set back, so from then on every close writes the account file.
  bool FModified = false;

  // Handlers.
  /// Makes the store and loads the account file "quill2.smt" beside the program; a file that
  /// cannot be read raises, leaving the store empty.
  void FormCreate();
  /// Fills the chooser and the controls from the store; the numeric fields keep their values.
  void FormShow() override;
  void NewBtnClick();
  void UpdateBtnClick();
  /// Asks "削除しますか？" first; anything but No goes ahead.
  void DeleteBtnClick();
  /// The user picked an entry or typed into the chooser: the entry chosen (none for typed
  /// text) becomes the current account.
  void ComboBox1Change();
  /// Writes the account file when FModified is set. A failed write raises and so keeps the
  /// dialog open; when the write fails again at the next close, with no change of the store
  /// in between, the error box shows it and the dialog closes, the accounts kept in memory
  /// and FModified still set.
  void FormClose() override;
  void FormDestroy();

 private:
  /// The ten values of an account as the controls hold them, texts as Shift_JIS bytes.
  struct AccountInput {
    std::string Name, Host, UserID, FromAddress, FromName;
    std::int32_t SendNum = 0, WaitTime = 0;
    bool Auth = false;
    std::string UserName, Password;
  };

  /// Shows the current account in every control but the chooser and Label8.
  void ShowCurrentAccount();
  /// Empties the text edits and clears AuthCheck; the numeric fields keep their values.
  void ClearAccountControls();
  /// Refills the chooser's entries from the store with no entry chosen and no text.
  void FillChooser();
  /// The first failing input check's message, or an empty text when the controls pass.
  /// `newAccount` adds the checks of a registration: a name already stored, a full store.
  QString CheckedInput(bool newAccount) const;
  AccountInput ReadInput() const;
  /// Brings a number still being typed into its field's range, as leaving the field does.
  void CommitNumbers();
  /// The user's typing in the chooser's text field.
  void ChooserEdited();
  /// A registration, change, deletion or choice has changed the store.
  void Changed();

  platform::SaveAtClose accountSave_;
};

}  // namespace quill
