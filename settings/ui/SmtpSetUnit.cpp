#include "settings/ui/SmtpSetUnit.h"

#include "platform/ProgramDir.h"
#include "platform/ui/DialogParts.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/UiServices.h"
#include "settings/AccountFile.h"

namespace quill {

using platform::from_sjis;
using platform::Handler;
using platform::to_sjis;

namespace {
std::string AccountFile() { return AccountFilePath(platform::ProgramDirectory()); }
}  // namespace

TSmtpForm::TSmtpForm(QWidget* parent) : TDialogForm(parent, platform::DialogFrame(true)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  // Every character of the password shows as "*".
  PasswordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
  // Typed text selects no entry; an inline completion would choose accounts behind the
  // user's back.
  ComboBox1->setCompleter(nullptr);
  platform::SetModalResult(EndBtn, this, 1);
  setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
  KeepCentredOnOwner();

  // Only the user's changes of the chooser run its handler: picking an entry (activated) and
  // typing (textEdited); filling or setting it from code emits neither.
  connect(ComboBox1, &QComboBox::activated, this, Handler(this, &TSmtpForm::ComboBox1Change));
  connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
          Handler(this, &TSmtpForm::ChooserEdited));
  connect(NewBtn, &QPushButton::clicked, this, Handler(this, &TSmtpForm::NewBtnClick));
  connect(UpdateBtn, &QPushButton::clicked, this, Handler(this, &TSmtpForm::UpdateBtnClick));
  connect(DeleteBtn, &QPushButton::clicked, this, Handler(this, &TSmtpForm::DeleteBtnClick));

  platform::RunHandler(this, [this] { FormCreate(); });
}

TSmtpForm::~TSmtpForm() { FormDestroy(); }

void TSmtpForm::FormCreate() {
  FSmtp = std::make_unique<TSmtp>();
  FSmtp->LoadFromFile(AccountFile());  // a missing file leaves the store empty
  FModified = false;
}

void TSmtpForm::FormDestroy() { FSmtp.reset(); }

void TSmtpForm::FormShow() {
  FillChooser();
  ClearAccountControls();
  Label8->clear();
  if (FSmtp->GetCurrent() >= 0) {
    ComboBox1->setCurrentIndex(FSmtp->GetCurrent());
    ShowCurrentAccount();
  }
}

void TSmtpForm::FormClose() {
  // FModified stays set when the write fails, so a later close writes the accounts.
  if (FModified) accountSave_.Run(this, [this] { FSmtp->SaveToFile(AccountFile()); });
}

void TSmtpForm::Changed() {
  FModified = true;
  // A close that fails now keeps the dialog open again: the change is new to the file.
  accountSave_.Rearm();
}

void TSmtpForm::NewBtnClick() {
  CommitNumbers();
  if (const QString error = CheckedInput(true); !error.isEmpty()) {
    Label8->setText(error);
    return;
  }
  const AccountInput in = ReadInput();
  FSmtp->Add(in.Name, in.Host, in.UserID, in.FromAddress, in.FromName, in.SendNum, in.WaitTime,
             in.Auth, in.UserName, in.Password);
  // The entry shows the name as typed, before the store cut it.
  ComboBox1->addItem(NameEdit->text());
  ComboBox1->setCurrentIndex(FSmtp->GetCurrent());
  Label8->setText(QStringLiteral("登録しました。"));
  Changed();
}

void TSmtpForm::UpdateBtnClick() {
  CommitNumbers();
  const int index = ComboBox1->currentIndex();
  if (index < 0) {
    Label8->setText(QStringLiteral("変更接続先指定エラー"));
    return;
  }
  if (const QString error = CheckedInput(false); !error.isEmpty()) {
    Label8->setText(error);
    return;
  }
  const AccountInput in = ReadInput();
  FSmtp->Update(index, in.Name, in.Host, in.UserID, in.FromAddress, in.FromName, in.SendNum,
                in.WaitTime, in.Auth, in.UserName, in.Password);
  ComboBox1->setItemText(index, NameEdit->text());
  ComboBox1->setEditText(NameEdit->text());
  Label8->setText(QStringLiteral("変更しました。"));
  Changed();
}

void TSmtpForm::DeleteBtnClick() {
  const int index = ComboBox1->currentIndex();
  if (index < 0) return;
  if (platform::Ui().AskYesNo(this, QStringLiteral("削除しますか？")) ==
      platform::MessageAnswer::No)
    return;
  FSmtp->Delete(index);
  FillChooser();
  Label8->setText(QStringLiteral("削除しました。"));
  Changed();
  ClearAccountControls();
  SendNumSpin->setValue(1);
  WaitTimeSpin->setValue(0);
}

void TSmtpForm::ComboBox1Change() {
  FSmtp->SetCurrent(ComboBox1->currentIndex());
  if (FSmtp->GetCurrent() >= 0) ShowCurrentAccount();
  // Typing counts as a choice too, so that "no account" also reaches the account file.
  Changed();
}

void TSmtpForm::ChooserEdited() {
  // The combo box keeps its last entry chosen while the user types; the typed text stands
  // for no entry. Choosing none also empties the text, so it is put back.
  QLineEdit* edit = ComboBox1->lineEdit();
  const QString typed = edit->text();
  const int cursor = edit->cursorPosition();
  ComboBox1->setCurrentIndex(-1);
  edit->setText(typed);
  edit->setCursorPosition(cursor);
  ComboBox1Change();
}

void TSmtpForm::ShowCurrentAccount() {
  NameEdit->setText(from_sjis(FSmtp->GetName()));
  HostEdit->setText(from_sjis(FSmtp->GetHost()));
  UserIDEdit->setText(from_sjis(FSmtp->GetUserID()));
  FromAddressEdit->setText(from_sjis(FSmtp->GetFromAddress()));
  FromNameEdit->setText(from_sjis(FSmtp->GetFromName()));
  // A value outside a field's range (a damaged file) is brought to the nearer bound.
  SendNumSpin->setValue(FSmtp->GetSendNum());
  WaitTimeSpin->setValue(FSmtp->GetWaitTime());
  const TAuthRec auth = FSmtp->GetAuthData();
  AuthCheck->setChecked(auth.Auth);
  UserEdit->setText(from_sjis(auth.UserName.Text()));
  PasswordEdit->setText(from_sjis(auth.Password.Text()));
}

void TSmtpForm::ClearAccountControls() {
  for (QLineEdit* edit :
       {NameEdit, HostEdit, UserIDEdit, FromAddressEdit, FromNameEdit, UserEdit, PasswordEdit})
    edit->clear();
  AuthCheck->setChecked(false);
}

void TSmtpForm::FillChooser() {
  ComboBox1->clear();
  for (int i = 0; i < FSmtp->Count(); ++i) ComboBox1->addItem(from_sjis(FSmtp->GetNameAt(i)));
  // Adding to an empty combo box chooses its first entry.
  ComboBox1->setCurrentIndex(-1);
  ComboBox1->clearEditText();
}

QString TSmtpForm::CheckedInput(bool newAccount) const {
  // Empty means no character at all: blanks are text.
  const struct {
    const QLineEdit* edit;
    QString error;
  } required[] = {{NameEdit, QStringLiteral("接続名エラー")},
                  {HostEdit, QStringLiteral("ホストエラー")},
                  {UserIDEdit, QStringLiteral("ユーザーＩＤエラー")},
                  {FromAddressEdit, QStringLiteral("メールアドレスエラー")}};
  for (const auto& field : required)
    if (field.edit->text().isEmpty()) return field.error;
  if (newAccount) {
    // Compared as typed, before a cut to 60 bytes, and byte for byte.
    const std::string name = to_sjis(NameEdit->text());
    for (int i = 0; i < FSmtp->Count(); ++i)
      if (FSmtp->GetNameAt(i) == name) return QStringLiteral("既に登録されています。");
  }
  if (AuthCheck->isChecked()) {
    if (UserEdit->text().isEmpty()) return QStringLiteral("ユーザー名エラー");
    if (PasswordEdit->text().isEmpty()) return QStringLiteral("パスワードエラー");
  }
  if (newAccount && FSmtp->Count() >= kMaxAccounts) return QStringLiteral("登録数オーバーです。");
  return {};
}

TSmtpForm::AccountInput TSmtpForm::ReadInput() const {
  return {to_sjis(NameEdit->text()),     to_sjis(HostEdit->text()),
          to_sjis(UserIDEdit->text()),   to_sjis(FromAddressEdit->text()),
          to_sjis(FromNameEdit->text()), SendNumSpin->value(),
          WaitTimeSpin->value(),         AuthCheck->isChecked(),
          to_sjis(UserEdit->text()),     to_sjis(PasswordEdit->text())};
}

void TSmtpForm::CommitNumbers() {
  // A number still being typed is taken as leaving the field takes it: one below the range
  // and an empty field become the minimum (the field refuses anything else).
  SendNumSpin->interpretText();
  WaitTimeSpin->interpretText();
}

}  // namespace quill
