// The status display dialog and the layout of the SMTP account dialog.
#include "platform/ui/Form.h"
#include "settings/ui/SmtpSetUnit.h"
#include "settings/ui/StatusDispUnit.h"
#include "support/ui/FormChecks.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

class SettingsDialogsTest : public test::FormTest {
 protected:
  void SetUp() override { platform::InstallFontSubstitutes(); }
};

TEST_F(SettingsDialogsTest, StatusDisplayDialog) {
  TStatusDisp form;
  EXPECT_EQ(form.objectName(), QStringLiteral("StatusDisp"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("ステータスの表示設定"));
  EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowTitleHint);
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("接続状況を表示する。"));
  EXPECT_EQ(form.RadioGroup1->title(), QStringLiteral(" 送信ステータスの表示 "));
  EXPECT_EQ(form.RadioItem0->text(), QStringLiteral("エラー状況とアドレスを表示する。"));
  EXPECT_EQ(form.RadioItem1->text(), QStringLiteral("エラー状況を表示する。"));
  EXPECT_EQ(form.RadioItem2->text(), QStringLiteral("表示しない。"));
  EXPECT_EQ(form.Button1->text(), QStringLiteral("Ok"));
  EXPECT_EQ(form.SendErrorBreak->text(), QStringLiteral("送信エラーで中断する。"));
  EXPECT_EQ(test::TabOrder(form), test::Names({"CheckBox1", "RadioItem0", "RadioItem1",
                                               "RadioItem2", "Button1", "SendErrorBreak"}));
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
}

// The chosen item stays within -1..2; -1 leaves every item clear, also after one was chosen.
TEST_F(SettingsDialogsTest, StatusDisplayItemIndex) {
  TStatusDisp form;
  EXPECT_EQ(form.ItemIndex(), -1);
  const struct {
    int set;
    int chosen;
  } rows[] = {{1, 1}, {-1, -1}, {0, 0}, {-3, -1}, {2, 2}, {7, 2}, {1, 1}, {-2147483647 - 1, -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.set);
    form.SetItemIndex(row.set);
    EXPECT_EQ(form.ItemIndex(), row.chosen);
    const QRadioButton* items[] = {form.RadioItem0, form.RadioItem1, form.RadioItem2};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(items[i]->isChecked(), i == row.chosen);
  }
  // The items stay exclusive after being cleared, and a click chooses.
  form.RadioItem2->click();
  form.RadioItem0->click();
  EXPECT_EQ(form.ItemIndex(), 0);
  EXPECT_FALSE(form.RadioItem2->isChecked());
}

TEST_F(SettingsDialogsTest, StatusDisplayEnds) {
  TStatusDisp form;
  EXPECT_EQ(test::RunModal(ui_, form, [&] { form.Button1->click(); }), 1);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(form, Qt::Key_Escape); }), 0);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { form.close(); }), 2);
  // Return presses "Ok" when it has the focus, and nothing in a check box.
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(*form.Button1, Qt::Key_Return); }), 1);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(*form.CheckBox1, Qt::Key_Return); }), 0);
}

TEST_F(SettingsDialogsTest, SmtpDialogLayout) {
  TSmtpForm form;
  EXPECT_EQ(form.objectName(), QStringLiteral("SmtpForm"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("ＳＭＴＰ"));
  EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  const struct {
    const char* label;
    QWidget* control;
    const char* text;
  } labels[] = {
      {"ComboBox1Label", form.ComboBox1, "接続先"},
      {"NameEditLabel", form.NameEdit, "接続名"},
      {"HostEditLabel", form.HostEdit, "ホスト"},
      {"UserIDEditLabel", form.UserIDEdit, "ユーザーＩＤ"},
      {"FromAddressEditLabel", form.FromAddressEdit, "メールアドレス"},
      {"FromNameEditLabel", form.FromNameEdit, "会社又は氏名"},
      {"SendNumSpinLabel", form.SendNumSpin, "送信件数"},
      {"WaitTimeSpinLabel", form.WaitTimeSpin, "待ち時間"},
      {"UserEditLabel", form.UserEdit, "ユーザー名"},
      {"PasswordEditLabel", form.PasswordEdit, "パスワード"},
  };
  form.show();
  QApplication::processEvents();
  for (const auto& row : labels) {
    SCOPED_TRACE(row.label);
    auto* label = form.findChild<QLabel*>(QString::fromLatin1(row.label));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8(row.text));
    EXPECT_EQ(label->buddy(), row.control);
    EXPECT_LT(label->geometry().right(), row.control->geometry().left());  // left of its control
  }
  form.hide();
  EXPECT_EQ(form.GroupLabel->text(), QStringLiteral("グループ"));
  EXPECT_EQ(form.AuthCheck->text(), QStringLiteral("この接続は認証を必要とする。"));
  EXPECT_FALSE(form.AuthCheck->isChecked());
  EXPECT_TRUE(form.Label8->text().isEmpty());
  EXPECT_EQ(form.NewBtn->text(), QStringLiteral("新規登録"));
  EXPECT_EQ(form.UpdateBtn->text(), QStringLiteral("変更"));
  EXPECT_EQ(form.DeleteBtn->text(), QStringLiteral("削除"));
  EXPECT_EQ(form.EndBtn->text(), QStringLiteral("Ok"));
  EXPECT_EQ(test::TabOrder(form),
            test::Names({"ComboBox1", "NameEdit", "HostEdit", "UserIDEdit", "FromAddressEdit",
                         "FromNameEdit", "SendNumSpin", "WaitTimeSpin", "AuthCheck", "UserEdit",
                         "PasswordEdit", "NewBtn", "UpdateBtn", "DeleteBtn", "EndBtn"}));
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
}

TEST_F(SettingsDialogsTest, SmtpDialogControls) {
  TSmtpForm form;
  EXPECT_TRUE(form.ComboBox1->isEditable());
  EXPECT_EQ(form.ComboBox1->count(), 0);
  // Enter in the chooser's text adds no entry.
  form.ComboBox1->setEditText(QStringLiteral("typed"));
  test::PressKey(*form.ComboBox1, Qt::Key_Return);
  EXPECT_EQ(form.ComboBox1->count(), 0);

  const struct {
    const char* name;
    QSpinBox* spin;
    int minimum, maximum, initial;
  } spins[] = {{"SendNumSpin", form.SendNumSpin, 1, 9999, 1},
               {"WaitTimeSpin", form.WaitTimeSpin, 0, 300, 0}};
  for (const auto& row : spins) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.spin->minimum(), row.minimum);
    EXPECT_EQ(row.spin->maximum(), row.maximum);
    EXPECT_EQ(row.spin->value(), row.initial);
  }
  form.PasswordEdit->setText(QStringLiteral("secret"));
  EXPECT_EQ(form.PasswordEdit->displayText(), QStringLiteral("******"));
  EXPECT_EQ(form.PasswordEdit->text(), QStringLiteral("secret"));
}

TEST_F(SettingsDialogsTest, SmtpDialogEnds) {
  TSmtpForm form;
  EXPECT_EQ(test::RunModal(ui_, form, [&] { form.EndBtn->click(); }), 1);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { form.close(); }), 2);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(*form.NameEdit, Qt::Key_Escape); }), 0);
  // Enter in an edit presses no button; on a focused button it presses that one.
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(*form.PasswordEdit, Qt::Key_Return); }),
            0);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(*form.EndBtn, Qt::Key_Return); }), 1);
}

TEST_F(SettingsDialogsTest, FontsResolveToIpaPGothic) {
  if (!test::HasIpaFonts()) GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
  TStatusDisp statusDisp;
  TSmtpForm smtpForm;
  for (const QWidget* widget : std::initializer_list<const QWidget*>{
           statusDisp.RadioItem0, statusDisp.RadioGroup1, smtpForm.ComboBox1, smtpForm.Label8}) {
    SCOPED_TRACE(widget->objectName().toStdString());
    EXPECT_EQ(test::ResolvedFamily(*widget), QStringLiteral("IPAPGothic"));
  }
}

}  // namespace
}  // namespace quill
