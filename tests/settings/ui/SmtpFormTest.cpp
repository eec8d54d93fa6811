// The SMTP account dialog driven through its buttons, its chooser and its close.
#include <QLineEdit>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/ui/SjisText.h"
#include "settings/SmtpUnit.h"
#include "settings/ui/SmtpSetUnit.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::sjis;
using platform::to_sjis;

class SmtpFormTest : public test::FormTest {
 protected:
  std::string AccountFile() const { return programDir() + "/quill2.smt"; }

  /// Writes an account file with one account per name, `current` chosen. Account i has host
  /// "smtp<i>.example.jp", user ID "id<i>", address "user<i>@example.jp", sender name
  /// "差出人<i>", SendNum 10 + i, WaitTime i and AUTH with "user<i>" / "pass<i>".
  void WriteAccounts(const std::vector<QString>& names, int current) {
    TSmtp store;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
      const std::string n = std::to_string(i);
      store.Add(to_sjis(names[i]), "smtp" + n + ".example.jp", "id" + n, "user" + n + "@example.jp",
                sjis("差出人") + n, 10 + i, i, true, "user" + n, "pass" + n);
    }
    store.SetCurrent(current);
    store.SaveToFile(AccountFile());
  }

  /// Fills every text control with a complete account named `name`, AUTH ticked.
  static void FillAccount(TSmtpForm& form, const QString& name) {
    form.NameEdit->setText(name);
    form.HostEdit->setText(QStringLiteral("mail.example.jp"));
    form.UserIDEdit->setText(QStringLiteral("id"));
    form.FromAddressEdit->setText(QStringLiteral("me@example.jp"));
    form.FromNameEdit->setText(QStringLiteral("山田"));
    form.AuthCheck->setChecked(true);
    form.UserEdit->setText(QStringLiteral("me"));
    form.PasswordEdit->setText(QStringLiteral("secret"));
  }

  /// Shows `form` modally, runs `act` while it is shown; the modal result, 0 when still open.
  int Open(TSmtpForm& form, const std::function<void()>& act) {
    return test::RunModal(ui_, form, act);
  }
};

QStringList Entries(const TSmtpForm& form) {
  QStringList entries;
  for (int i = 0; i < form.ComboBox1->count(); ++i) entries << form.ComboBox1->itemText(i);
  return entries;
}

TEST_F(SmtpFormTest, FirstStartShowsAnEmptyDialogAndClosingWritesNothing) {
  TSmtpForm form;
  ASSERT_TRUE(form.FSmtp);
  EXPECT_EQ(form.FSmtp->Count(), 0);
  EXPECT_FALSE(form.FModified);
  EXPECT_EQ(Open(form,
                 [&] {
                   EXPECT_EQ(form.ComboBox1->count(), 0);
                   EXPECT_EQ(form.ComboBox1->currentIndex(), -1);
                   EXPECT_TRUE(form.ComboBox1->currentText().isEmpty());
                   for (const QLineEdit* edit :
                        {form.NameEdit, form.HostEdit, form.UserIDEdit, form.FromAddressEdit,
                         form.FromNameEdit, form.UserEdit, form.PasswordEdit})
                     EXPECT_TRUE(edit->text().isEmpty());
                   EXPECT_EQ(form.SendNumSpin->value(), 1);
                   EXPECT_EQ(form.WaitTimeSpin->value(), 0);
                   EXPECT_FALSE(form.AuthCheck->isChecked());
                   EXPECT_TRUE(form.Label8->text().isEmpty());
                   form.EndBtn->click();
                 }),
            1);
  EXPECT_FALSE(fs::exists(AccountFile()));
  EXPECT_TRUE(ui_.errors.isEmpty());
}

// Every message of the status line, each from a fresh dialog showing the one stored account
// "既存" (all fields filled, AUTH on): the store changes and the dialog counts as changed
// exactly when the message reports success.
TEST_F(SmtpFormTest, EveryMessageThroughTheButtons) {
  WriteAccounts({QStringLiteral("既存")}, 0);
  enum Button { New, Update, Delete };
  const auto newName = [](TSmtpForm& f) { f.NameEdit->setText(QStringLiteral("新規")); };
  const struct {
    const char* name;
    std::function<void(TSmtpForm&)> prepare;
    Button button;
    const char* message;
    bool succeeds;
  } rows[] = {
      {"new, name empty", [](TSmtpForm& f) { f.NameEdit->clear(); }, New, "接続名エラー", false},
      {"new, host empty",
       [&](TSmtpForm& f) {
         newName(f);
         f.HostEdit->clear();
       },
       New, "ホストエラー", false},
      {"new, user ID empty",
       [&](TSmtpForm& f) {
         newName(f);
         f.UserIDEdit->clear();
       },
       New, "ユーザーＩＤエラー", false},
      {"new, address empty",
       [&](TSmtpForm& f) {
         newName(f);
         f.FromAddressEdit->clear();
       },
       New, "メールアドレスエラー", false},
      {"new, name stored", [](TSmtpForm&) {}, New, "既に登録されています。", false},
      {"new, user name empty",
       [&](TSmtpForm& f) {
         newName(f);
         f.UserEdit->clear();
       },
       New, "ユーザー名エラー", false},
      {"new, password empty",
       [&](TSmtpForm& f) {
         newName(f);
         f.PasswordEdit->clear();
       },
       New, "パスワードエラー", false},
      {"new", newName, New, "登録しました。", true},
      {"new, blanks are text",
       [](TSmtpForm& f) {
         f.NameEdit->setText(QStringLiteral("　"));
         f.HostEdit->setText(QStringLiteral(" "));
         f.UserIDEdit->setText(QStringLiteral(" "));
         f.FromAddressEdit->setText(QStringLiteral(" "));
         f.FromNameEdit->clear();  // never tested
       },
       New, "登録しました。", true},
      {"change, nothing chosen", [](TSmtpForm& f) { f.ComboBox1->setCurrentIndex(-1); }, Update,
       "変更接続先指定エラー", false},
      {"change, name empty", [](TSmtpForm& f) { f.NameEdit->clear(); }, Update, "接続名エラー",
       false},
      {"change, host empty", [](TSmtpForm& f) { f.HostEdit->clear(); }, Update, "ホストエラー",
       false},
      {"change, user ID empty", [](TSmtpForm& f) { f.UserIDEdit->clear(); }, Update,
       "ユーザーＩＤエラー", false},
      {"change, address empty", [](TSmtpForm& f) { f.FromAddressEdit->clear(); }, Update,
       "メールアドレスエラー", false},
      {"change, user name empty", [](TSmtpForm& f) { f.UserEdit->clear(); }, Update,
       "ユーザー名エラー", false},
      {"change, password empty", [](TSmtpForm& f) { f.PasswordEdit->clear(); }, Update,
       "パスワードエラー", false},
      {"change", [](TSmtpForm& f) { f.HostEdit->setText(QStringLiteral("new.example.jp")); },
       Update, "変更しました。", true},
      {"delete", [](TSmtpForm&) {}, Delete, "削除しました。", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TSmtpForm form;
    const std::string before = form.FSmtp->FileImage();
    Open(form, [&] {
      ASSERT_EQ(form.ComboBox1->currentIndex(), 0);
      row.prepare(form);
      if (row.button == Delete) ui_.AnswerMessage(MessageAnswer::Yes);
      (row.button == New      ? form.NewBtn
       : row.button == Update ? form.UpdateBtn
                              : form.DeleteBtn)
          ->click();
      EXPECT_EQ(form.Label8->text(), QString::fromUtf8(row.message));
    });
    EXPECT_EQ(form.FSmtp->FileImage() != before, row.succeeds);
    EXPECT_EQ(form.FModified, row.succeeds);
    EXPECT_EQ(form.ComboBox1->count(), form.FSmtp->Count());
  }
  EXPECT_TRUE(ui_.AllAnswersUsed());
  EXPECT_TRUE(ui_.errors.isEmpty());
}

// With ten accounts the count is checked last: every other failure is reported first.
TEST_F(SmtpFormTest, TheFullStoreIsCheckedLast) {
  std::vector<QString> names;
  for (int i = 0; i < 10; ++i) names.push_back(QStringLiteral("acct%1").arg(i));
  WriteAccounts(names, 9);
  TSmtpForm form;
  Open(form, [&] {
    const struct {
      const char* name;
      std::function<void()> prepare;
      const char* message;
    } rows[] = {
        {"name empty", [&] { form.NameEdit->clear(); }, "接続名エラー"},
        {"name stored", [&] { form.NameEdit->setText(QStringLiteral("acct3")); },
         "既に登録されています。"},
        {"user name empty",
         [&] {
           FillAccount(form, QStringLiteral("acct10"));
           form.UserEdit->clear();
         },
         "ユーザー名エラー"},
        {"all filled", [&] { FillAccount(form, QStringLiteral("acct10")); },
         "登録数オーバーです。"},
    };
    for (const auto& row : rows) {
      SCOPED_TRACE(row.name);
      row.prepare();
      form.NewBtn->click();
      EXPECT_EQ(form.Label8->text(), QString::fromUtf8(row.message));
    }
  });
  EXPECT_EQ(form.FSmtp->Count(), 10);
  EXPECT_EQ(form.FSmtp->GetCurrent(), 9);
  EXPECT_EQ(form.ComboBox1->count(), 10);
  EXPECT_FALSE(form.FModified);
}

// Names are compared as typed, byte for byte: another letter case is a new name, and a name
// longer than 60 bytes never equals a stored (cut) one. What the controls hold is stored.
TEST_F(SmtpFormTest, RegistrationComparesAsTypedAndStoresEveryValue) {
  WriteAccounts({QStringLiteral("Account")}, 0);
  TSmtpForm form;
  const QString longName = QStringLiteral("a") + QString(30, QChar(0x3042));  // 61 bytes
  Open(form, [&] {
    FillAccount(form, QStringLiteral("account"));
    form.AuthCheck->setChecked(false);
    form.UserEdit->setText(QStringLiteral("ユーザー"));
    form.PasswordEdit->clear();
    form.SendNumSpin->setValue(25);
    form.WaitTimeSpin->setValue(120);
    form.NewBtn->click();
    EXPECT_EQ(form.Label8->text(), QStringLiteral("登録しました。"));

    FillAccount(form, longName);
    form.AuthCheck->setChecked(false);
    form.UserEdit->clear();
    form.PasswordEdit->clear();
    form.NewBtn->click();
    form.NewBtn->click();  // the same long name again
    EXPECT_EQ(form.Label8->text(), QStringLiteral("登録しました。"));
    EXPECT_EQ(Entries(form), QStringList({QStringLiteral("Account"), QStringLiteral("account"),
                                          longName, longName}));
    EXPECT_EQ(form.ComboBox1->currentIndex(), 3);
  });
  TSmtp& store = *form.FSmtp;
  ASSERT_EQ(store.Count(), 4);
  EXPECT_EQ(store.GetCurrent(), 3);
  // Cut at 60 bytes: the last "あ" keeps only its first byte.
  EXPECT_EQ(store.GetNameAt(2), to_sjis(QStringLiteral("a") + QString(29, QChar(0x3042))) + '\x82');
  EXPECT_EQ(store.GetNameAt(3), store.GetNameAt(2));
  const TAuthRec noAuth = store.GetAuthData();
  EXPECT_FALSE(noAuth.Auth);
  EXPECT_EQ(noAuth.UserName.Text(), "");
  EXPECT_EQ(noAuth.Password.Text(), "");

  store.SetCurrent(1);
  EXPECT_EQ(store.GetName(), "account");
  EXPECT_EQ(store.GetHost(), "mail.example.jp");
  EXPECT_EQ(store.GetUserID(), "id");
  EXPECT_EQ(store.GetFromAddress(), "me@example.jp");
  EXPECT_EQ(store.GetFromName(), sjis("山田"));
  EXPECT_EQ(store.GetSendNum(), 25);
  EXPECT_EQ(store.GetWaitTime(), 120);
  const TAuthRec stored = store.GetAuthData();
  EXPECT_FALSE(stored.Auth);
  EXPECT_EQ(stored.UserName.Text(), sjis("ユーザー"));
  EXPECT_EQ(stored.Password.Text(), "");
}

TEST_F(SmtpFormTest, DeletionAsksAndLeavesTheEmptyState) {
  WriteAccounts({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}, -1);
  TSmtpForm form;
  fs::remove(AccountFile());
  // Nothing chosen: no question, no message, nothing changed, so the close writes no file.
  EXPECT_EQ(Open(form,
                 [&] {
                   EXPECT_EQ(form.ComboBox1->currentIndex(), -1);
                   form.DeleteBtn->click();
                   EXPECT_TRUE(form.Label8->text().isEmpty());
                   form.EndBtn->click();
                 }),
            1);
  EXPECT_TRUE(ui_.messages.isEmpty());
  EXPECT_FALSE(form.FModified);
  EXPECT_FALSE(fs::exists(AccountFile()));

  Open(form, [&] {
    test::PressKey(*form.ComboBox1, Qt::Key_Down);  // the user picks "一", then "二"
    test::PressKey(*form.ComboBox1, Qt::Key_Down);
    ASSERT_EQ(form.FSmtp->GetCurrent(), 1);
    EXPECT_EQ(form.WaitTimeSpin->value(), 1);
    ui_.AnswerMessage(MessageAnswer::No);
    form.DeleteBtn->click();
    EXPECT_EQ(form.FSmtp->Count(), 3);
    EXPECT_TRUE(form.Label8->text().isEmpty());

    ui_.AnswerMessage(MessageAnswer::Other);  // anything but No goes ahead
    form.DeleteBtn->click();
    EXPECT_EQ(form.Label8->text(), QStringLiteral("削除しました。"));
    EXPECT_EQ(Entries(form), QStringList({QStringLiteral("一"), QStringLiteral("三")}));
    EXPECT_EQ(form.ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(form.ComboBox1->currentText().isEmpty());
    for (const QLineEdit* edit :
         {form.NameEdit, form.HostEdit, form.UserIDEdit, form.FromAddressEdit, form.FromNameEdit,
          form.UserEdit, form.PasswordEdit})
      EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(form.SendNumSpin->value(), 1);
    EXPECT_EQ(form.WaitTimeSpin->value(), 0);
    EXPECT_FALSE(form.AuthCheck->isChecked());
    form.EndBtn->click();
  });
  EXPECT_EQ(ui_.messages,
            QStringList({QStringLiteral("削除しますか？"), QStringLiteral("削除しますか？")}));
  EXPECT_EQ(form.FSmtp->GetCurrent(), -1);
  EXPECT_EQ(test::ReadFileBytes(AccountFile()), form.FSmtp->FileImage());

  // Reopened: empty edits, 1 and 0; with no account current the numbers stay as last shown.
  Open(form, [&] {
    EXPECT_TRUE(form.NameEdit->text().isEmpty());
    EXPECT_EQ(form.SendNumSpin->value(), 1);
    EXPECT_EQ(form.WaitTimeSpin->value(), 0);
    EXPECT_TRUE(form.Label8->text().isEmpty());
    form.SendNumSpin->setValue(7);
    form.WaitTimeSpin->setValue(8);
    form.EndBtn->click();
  });
  Open(form, [&] {
    EXPECT_EQ(form.SendNumSpin->value(), 7);
    EXPECT_EQ(form.WaitTimeSpin->value(), 8);
  });
}

// Typed text stands for no account; picking an entry chooses it; both are changes that reach
// the account file.
TEST_F(SmtpFormTest, TheChooserFollowsTheUserOnly) {
  WriteAccounts({QStringLiteral("一"), QStringLiteral("二")}, 0);
  {
    TSmtpForm form;
    Open(form, [&] {
      EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("一"));
      EXPECT_FALSE(form.FModified) << "filling the chooser is no choice";
      test::TypeText(*form.ComboBox1->lineEdit(), QStringLiteral("zz"));
      EXPECT_EQ(form.FSmtp->GetCurrent(), -1);
      EXPECT_TRUE(form.FModified);
      EXPECT_EQ(form.ComboBox1->currentIndex(), -1);
      EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("一zz"));
      EXPECT_EQ(form.NameEdit->text(), QStringLiteral("一"));  // controls keep their contents
      EXPECT_EQ(form.HostEdit->text(), QStringLiteral("smtp0.example.jp"));
      form.UpdateBtn->click();
      EXPECT_EQ(form.Label8->text(), QStringLiteral("変更接続先指定エラー"));
      form.DeleteBtn->click();  // asks nothing
      EXPECT_EQ(form.FSmtp->Count(), 2);
      form.close();
    });
    EXPECT_EQ(test::ReadFileBytes(AccountFile()).substr(4, 4), std::string(4, '\xff'));
  }
  WriteAccounts({QStringLiteral("一"), QStringLiteral("二")}, 0);
  TSmtpForm form;
  EXPECT_EQ(Open(form,
                 [&] {
                   test::PressKey(*form.ComboBox1, Qt::Key_Down);
                   EXPECT_EQ(form.FSmtp->GetCurrent(), 1);
                   EXPECT_EQ(form.NameEdit->text(), QStringLiteral("二"));
                   EXPECT_EQ(form.FromNameEdit->text(), QStringLiteral("差出人1"));
                   EXPECT_EQ(form.SendNumSpin->value(), 11);
                   EXPECT_EQ(form.UserEdit->text(), QStringLiteral("user1"));
                   EXPECT_EQ(form.PasswordEdit->displayText(), QStringLiteral("*****"));
                   form.close();  // the close box writes as well
                 }),
            2);
  EXPECT_EQ(test::ReadFileBytes(AccountFile()).substr(4, 4), std::string("\x01\0\0\0", 4));
}

// A change rewrites the chosen account and its entry and keeps the choice; once anything has
// changed, every later close writes the file again.
TEST_F(SmtpFormTest, ChangeRewritesTheChosenAccount) {
  WriteAccounts({QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}, 1);
  TSmtpForm form;
  Open(form, [&] {
    form.NameEdit->setText(QStringLiteral("二改"));
    form.HostEdit->setText(QStringLiteral("changed.example.jp"));
    form.AuthCheck->setChecked(false);
    form.UpdateBtn->click();
    EXPECT_EQ(form.Label8->text(), QStringLiteral("変更しました。"));
    EXPECT_EQ(Entries(form),
              QStringList({QStringLiteral("一"), QStringLiteral("二改"), QStringLiteral("三")}));
    EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("二改"));
    form.EndBtn->click();
  });
  TSmtp& store = *form.FSmtp;
  EXPECT_EQ(store.Count(), 3);
  EXPECT_EQ(store.GetCurrent(), 1);
  EXPECT_EQ(store.GetName(), sjis("二改"));
  EXPECT_EQ(store.GetHost(), "changed.example.jp");
  EXPECT_EQ(store.GetSendNum(), 11);
  EXPECT_FALSE(store.GetAuthData().Auth);
  EXPECT_EQ(store.GetNameAt(0), sjis("一"));
  EXPECT_EQ(store.GetNameAt(2), sjis("三"));
  ASSERT_TRUE(fs::exists(AccountFile()));

  fs::remove(AccountFile());
  EXPECT_EQ(Open(form, [&] { form.EndBtn->click(); }), 1);
  EXPECT_EQ(test::ReadFileBytes(AccountFile()), store.FileImage());
}

// Numbers from the store are brought into the fields' ranges; a number being typed is taken
// within range before a button acts.
TEST_F(SmtpFormTest, NumericFieldsStayInRange) {
  TSmtp damaged;
  damaged.Add("low", "h", "i", "a", "", 0, -5, false, "", "");
  damaged.Add("high", "h", "i", "a", "", 20000, 301, false, "", "");
  damaged.SaveToFile(AccountFile());
  TSmtpForm form;
  Open(form, [&] {
    EXPECT_EQ(form.SendNumSpin->value(), 9999);
    EXPECT_EQ(form.WaitTimeSpin->value(), 300);
    test::PressKey(*form.ComboBox1, Qt::Key_Up);
    EXPECT_EQ(form.SendNumSpin->value(), 1);
    EXPECT_EQ(form.WaitTimeSpin->value(), 0);

    // Below the range, and empty: the minimum.
    form.SendNumSpin->selectAll();
    test::TypeText(*form.SendNumSpin, QStringLiteral("0"));
    form.WaitTimeSpin->selectAll();
    test::PressKey(*form.WaitTimeSpin, Qt::Key_Backspace);
    EXPECT_EQ(form.SendNumSpin->text(), QStringLiteral("0"));
    EXPECT_TRUE(form.WaitTimeSpin->text().isEmpty());
    form.UpdateBtn->click();
    EXPECT_EQ(form.FSmtp->GetSendNum(), 1);
    EXPECT_EQ(form.FSmtp->GetWaitTime(), 0);
    EXPECT_EQ(form.SendNumSpin->text(), QStringLiteral("1"));
    EXPECT_EQ(form.WaitTimeSpin->text(), QStringLiteral("0"));

    // Above the range: the maximum. Signs and letters are not taken at all.
    form.SendNumSpin->selectAll();
    test::TypeText(*form.SendNumSpin, QStringLiteral("12345x"));
    form.WaitTimeSpin->selectAll();
    test::TypeText(*form.WaitTimeSpin, QStringLiteral("-500"));
    EXPECT_EQ(form.SendNumSpin->text(), QStringLiteral("12345"));
    EXPECT_EQ(form.WaitTimeSpin->text(), QStringLiteral("500"));
    FillAccount(form, QStringLiteral("new"));
    form.NewBtn->click();
    EXPECT_EQ(form.FSmtp->GetSendNum(), 9999);
    EXPECT_EQ(form.FSmtp->GetWaitTime(), 300);
  });
}

// The account file in the way of a load: the failure reaches the error box and the store
// starts empty.
TEST_F(SmtpFormTest, AnUnreadableAccountFileReachesTheErrorBox) {
  fs::create_directory(AccountFile());
  test::WriteFileBytes(AccountFile() + "/inside", "kept");
  TSmtpForm form;
  ASSERT_EQ(ui_.errors.size(), 1);
  EXPECT_TRUE(ui_.errors[0].contains(QStringLiteral("quill2.smt"))) << ui_.errors[0].toStdString();
  ASSERT_TRUE(form.FSmtp);
  EXPECT_EQ(form.FSmtp->Count(), 0);
  EXPECT_FALSE(form.FModified);
  EXPECT_EQ(test::ReadFileBytes(AccountFile() + "/inside"), "kept");
}

// A folder standing where the account file belongs makes every write fail, as a program
// folder that cannot be written does. The first close is refused with the error box, so the
// user may make room; the next close in a row shows the failure again and closes, the store
// kept in memory as changed. A new opening and a change of the store in between each refuse
// once more; an input error changes nothing. Once the file can be written, the next opening
// and close writes every account.
TEST_F(SmtpFormTest, AnUnwritableAccountFileRefusesOneCloseInARow) {
  WriteAccounts({QStringLiteral("一"), QStringLiteral("二")}, 0);
  TSmtpForm form;
  ASSERT_TRUE(ui_.errors.isEmpty());
  ASSERT_EQ(form.FSmtp->Count(), 2);
  fs::remove(AccountFile());
  fs::create_directory(AccountFile());
  test::WriteFileBytes(AccountFile() + "/inside", "kept");

  EXPECT_EQ(Open(form,
                 [&] {
                   test::PressKey(*form.ComboBox1, Qt::Key_Down);  // chooses "二"
                   form.EndBtn->click();
                   EXPECT_TRUE(form.isVisible()) << "the first close is refused";
                   ASSERT_EQ(ui_.errors.size(), 1);
                   EXPECT_TRUE(ui_.errors[0].contains(QStringLiteral("quill2.smt")))
                       << ui_.errors[0].toStdString();
                   form.EndBtn->click();
                 }),
            1);
  ASSERT_EQ(ui_.errors.size(), 2);
  EXPECT_EQ(ui_.errors[1], ui_.errors[0]);
  EXPECT_TRUE(form.FModified);
  EXPECT_EQ(form.FSmtp->Count(), 2);
  EXPECT_EQ(form.FSmtp->GetCurrent(), 1);

  EXPECT_EQ(Open(form,
                 [&] {
                   EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("二"));
                   form.EndBtn->click();
                   EXPECT_TRUE(form.isVisible()) << "a new opening refuses again";
                   EXPECT_EQ(ui_.errors.size(), 3);
                   FillAccount(form, QStringLiteral("三"));
                   form.NewBtn->click();
                   EXPECT_EQ(form.Label8->text(), QStringLiteral("登録しました。"));
                   form.close();
                   EXPECT_TRUE(form.isVisible()) << "a change in between refuses again";
                   EXPECT_EQ(ui_.errors.size(), 4);
                   form.NameEdit->clear();
                   form.NewBtn->click();
                   EXPECT_EQ(form.Label8->text(), QStringLiteral("接続名エラー"));
                   form.close();
                 }),
            2);
  EXPECT_EQ(ui_.errors.size(), 5);
  EXPECT_TRUE(form.FModified);
  EXPECT_EQ(form.FSmtp->Count(), 3);
  EXPECT_EQ(form.FSmtp->GetCurrent(), 2);
  EXPECT_EQ(test::ReadFileBytes(AccountFile() + "/inside"), "kept");

  fs::remove_all(AccountFile());
  EXPECT_EQ(Open(form, [&] { form.EndBtn->click(); }), 1);
  EXPECT_EQ(ui_.errors.size(), 5);
  EXPECT_EQ(test::ReadFileBytes(AccountFile()), form.FSmtp->FileImage());
  TSmtp reread;
  reread.LoadFromFile(AccountFile());
  ASSERT_EQ(reread.Count(), 3);
  EXPECT_EQ(reread.GetNameAt(1), sjis("二"));
  EXPECT_EQ(reread.GetNameAt(2), sjis("三"));
  EXPECT_EQ(reread.GetCurrent(), 2);
}

}  // namespace
}  // namespace quill
