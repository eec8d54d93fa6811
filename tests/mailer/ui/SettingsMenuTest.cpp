// The settings menu's "SMTP設定" opens the account dialog over the running program.
#include <gtest/gtest.h>

#include <QMenu>
#include <filesystem>

#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/StatusUnit.h"
#include "settings/ui/SmtpSetUnit.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

class SettingsMenuTest : public test::FormTest {
 protected:
  void TearDown() override { DestroyForms(); }
  std::string AccountFile() const { return programDir() + "/quill2.smt"; }
};

// An account registered through the menu is in the account file beside the program when the
// dialog has closed, and is chosen again after a restart.
TEST_F(SettingsMenuTest, AnAccountRegisteredThroughTheMenuSurvivesARestart) {
  CreateForms();
  EXPECT_EQ(MainForm->Font1->text(), QStringLiteral("SMTP設定"));
  EXPECT_TRUE(MainForm->N12->actions().contains(MainForm->Font1));
  ui_.AnswerModal([](QDialog& dialog) {
    auto& form = static_cast<TSmtpForm&>(dialog);
    form.NameEdit->setText(QStringLiteral("会社"));
    form.HostEdit->setText(QStringLiteral("mail.example.jp"));
    form.UserIDEdit->setText(QStringLiteral("id"));
    form.FromAddressEdit->setText(QStringLiteral("me@example.jp"));
    form.NewBtn->click();
    form.EndBtn->click();
    return 7;  // the menu does not look at the result
  });
  MainForm->Font1->trigger();
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("SmtpForm")}));
  ASSERT_TRUE(std::filesystem::exists(AccountFile()));
  EXPECT_EQ(test::ReadFileBytes(AccountFile()).substr(0, 8), std::string("\x01\0\0\0\0\0\0\0", 8));

  DestroyForms();
  CreateForms();
  ASSERT_TRUE(SmtpForm->FSmtp);
  EXPECT_EQ(SmtpForm->FSmtp->GetCurrent(), 0);
  ui_.AnswerModal([](QDialog& dialog) {
    auto& form = static_cast<TSmtpForm&>(dialog);
    EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("会社"));
    EXPECT_EQ(form.HostEdit->text(), QStringLiteral("mail.example.jp"));
    return 2;
  });
  MainForm->Font1->trigger();
  EXPECT_TRUE(ui_.AllAnswersUsed());
  EXPECT_TRUE(ui_.errors.isEmpty());
}

// An account file that cannot be read is reported and start-up goes on with no accounts.
TEST_F(SettingsMenuTest, AnUnreadableAccountFileLeavesStartUpGoing) {
  std::filesystem::create_directory(AccountFile());
  CreateForms();
  EXPECT_EQ(ui_.errors.size(), 1);
  ASSERT_TRUE(SmtpForm && SmtpForm->FSmtp && StatusForm);
  EXPECT_EQ(SmtpForm->FSmtp->Count(), 0);
  EXPECT_EQ(SmtpForm->FSmtp->GetCurrent(), -1);
}

}  // namespace
}  // namespace quill
