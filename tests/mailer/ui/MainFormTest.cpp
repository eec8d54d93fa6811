#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>

#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/StatusUnit.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"
#include "settings/ui/StatusDispUnit.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using platform::from_native;
using platform::MessageAnswer;

class MainFormTest : public test::FormTest {
 protected:
  void SetUp() override { Open(); }
  void TearDown() override {
    form_.reset();
    MainForm = nullptr;
    StatusForm = nullptr;
    StatusDisp = nullptr;
  }

  void Open() {
    statusForm_ = std::make_unique<TStatusForm>();
    StatusForm = statusForm_.get();
    statusDisp_ = std::make_unique<TStatusDisp>();
    StatusDisp = statusDisp_.get();
    form_ = std::make_unique<TMainForm>();
    MainForm = form_.get();
    form_->show();
  }

  /// The settings as a fresh load from the settings file gives them.
  TRegistory StoredSettings() {
    TRegistory stored;
    stored.LoadSettings();
    return stored;
  }

  void LogAsAfterASendRun() {
    form_->AppendLog(QStringLiteral("文書　　 news を開きました。"));
    form_->FLogDirty = true;
  }

  std::unique_ptr<TStatusForm> statusForm_;
  std::unique_ptr<TStatusDisp> statusDisp_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, CreateAndShowSetUpTheState) {
  EXPECT_EQ(AppDir, programDir());
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Quillpost R2"));
  EXPECT_TRUE(form_->StatusPanel(0)->text().isEmpty());
  EXPECT_TRUE(form_->StatusPanel(1)->text().isEmpty());
  EXPECT_EQ(form_->StatusPanel(0)->width(), 60);
  ASSERT_TRUE(Settings && DestList && DestListCopy && form_->FBodyList);
  EXPECT_FALSE(form_->FLogDirty);
  EXPECT_FALSE(TextLoaded);
  EXPECT_FALSE(AddressLoaded);
  EXPECT_TRUE(form_->Body->toPlainText().isEmpty());
  EXPECT_EQ(form_->TextBtn->toolTip(), QStringLiteral("文書"));
  EXPECT_EQ(form_->AddressBtn->toolTip(), QStringLiteral("アドレス"));
  EXPECT_EQ(form_->SendBtn->toolTip(), QStringLiteral("送信"));
  EXPECT_EQ(form_->SendBtn->size(), QSize(43, 38));
}

TEST_F(MainFormTest, MenuTreeHoldsEveryItemInOrder) {
  QStringList bar;
  for (QAction* action : form_->MainMenu1->actions()) bar << action->text();
  EXPECT_EQ(bar, QStringList({QStringLiteral("文書ファイル"), QStringLiteral("文書編集"),
                              QStringLiteral("表示"), QStringLiteral("添付ファイル"),
                              QStringLiteral("設定"), QStringLiteral("ヘルプ")}));
  auto items = [](QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
      texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
  };
  EXPECT_EQ(items(form_->File1), QStringList({QStringLiteral("開く"), QStringLiteral("保存"),
                                              QStringLiteral("-"), QStringLiteral("終了")}));
  ASSERT_EQ(items(form_->Edit1).size(), 15);
  EXPECT_EQ(items(form_->Edit1).at(14), QStringLiteral("ステータスの保存"));
  EXPECT_EQ(items(form_->N1),
            QStringList({QStringLiteral("最大"), QStringLiteral("大"), QStringLiteral("中"),
                         QStringLiteral("小"), QStringLiteral("最小")}));
  EXPECT_EQ(items(form_->N12),
            QStringList({QStringLiteral("SMTP設定"), QStringLiteral("ステータス表示設定"),
                         QStringLiteral("-"), QStringLiteral("SMTPサポート認証")}));
  for (QAction* action : form_->findChildren<QAction*>()) {
    EXPECT_TRUE(action->isEnabled());
    EXPECT_TRUE(action->shortcut().isEmpty());
  }
}

TEST_F(MainFormTest, ClosingRightAfterStartAsksNothingAndWritesTheSettings) {
  EXPECT_TRUE(form_->close());
  EXPECT_TRUE(ui_.modalForms.isEmpty());
  EXPECT_TRUE(ui_.errors.isEmpty());
  EXPECT_FALSE(Settings);
  EXPECT_FALSE(DestList);
  const TRegistory stored = StoredSettings();
  EXPECT_FALSE(stored.Status);
  EXPECT_EQ(stored.ErrorDisp, 0);
  EXPECT_EQ(stored.LogFile, homeFile("log.txt"));
  EXPECT_TRUE(stored.SendErrorBreak);
}

TEST_F(MainFormTest, TheQuestionNeedsARunLogWithTextAndTheDirtyFlag) {
  form_->AppendLog(QStringLiteral("typed before any run"));
  EXPECT_TRUE(form_->close());
  EXPECT_TRUE(ui_.modalForms.isEmpty());

  Open();
  form_->FLogDirty = true;  // a run whose log was emptied afterwards
  EXPECT_TRUE(form_->close());
  EXPECT_TRUE(ui_.modalForms.isEmpty());
}

TEST_F(MainFormTest, NoWritesNothingAndKeepsLogFile) {
  LogAsAfterASendRun();
  ui_.AnswerModal(2);
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("StatusForm")}));
  EXPECT_TRUE(ui_.offeredFiles.isEmpty());
  EXPECT_EQ(StoredSettings().LogFile, homeFile("log.txt"));
}

TEST_F(MainFormTest, YesWithACancelledDialogWritesNothing) {
  LogAsAfterASendRun();
  ui_.AnswerModal(1);
  ui_.AnswerFile(std::nullopt);
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(ui_.offeredFiles, QStringList({from_native(homeFile("log.txt"))}));
  EXPECT_FALSE(std::filesystem::exists(homeFile("log.txt")));
  EXPECT_EQ(StoredSettings().LogFile, homeFile("log.txt"));
}

TEST_F(MainFormTest, YesWithAFileWritesTheRunLogAndKeepsTheNameAsLogFile) {
  LogAsAfterASendRun();
  const std::string chosen = homeFile("run.txt");
  ui_.AnswerModal(1);
  ui_.AnswerFile(from_native(chosen));
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(test::ReadFileBytes(chosen), platform::sjis("文書　　 news を開きました。") + "\r\n");
  EXPECT_EQ(StoredSettings().LogFile, chosen);
}

TEST_F(MainFormTest, AFailingLogWriteKeepsTheWindowOpenWithItsState) {
  LogAsAfterASendRun();
  ui_.AnswerModal(1);
  ui_.AnswerFile(from_native(homeFile("no/such/folder/run.txt")));
  EXPECT_FALSE(form_->close());
  ASSERT_EQ(ui_.errors.size(), 1);
  EXPECT_TRUE(ui_.errors[0].contains(QStringLiteral("no/such/folder/run.txt")));
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(form_->FLogDirty);
  EXPECT_FALSE(form_->StatusMemo->toPlainText().isEmpty());
  ASSERT_TRUE(Settings);
  EXPECT_FALSE(std::filesystem::exists(configDir() + "/Quillpost2"));  // settings not written
  // The next attempt asks again.
  ui_.AnswerModal(2);
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(ui_.modalForms.size(), 2);
}

TEST_F(MainFormTest, ExitCloseAsTheCloseBoxDoes) {
  LogAsAfterASendRun();
  ui_.AnswerModal(2);
  form_->Exit1->trigger();
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("StatusForm")}));
  EXPECT_FALSE(Settings);
}

TEST_F(MainFormTest, AFailingSettingsWriteKeepsTheWindowOpenOnceThenEnds) {
  // A file where the settings folder should be makes every write fail.
  test::WriteFileBytes(homeFile("blocked"), "");
  setenv("XDG_CONFIG_HOME", homeFile("blocked").c_str(), 1);
  form_.reset();
  Open();
  LogAsAfterASendRun();
  ui_.AnswerModal(2);
  EXPECT_FALSE(form_->close());
  EXPECT_EQ(ui_.errors.size(), 1);
  EXPECT_TRUE(form_->isVisible());
  ASSERT_TRUE(Settings);
  ui_.AnswerModal(2);  // the whole sequence runs again, the question included
  EXPECT_TRUE(form_->close());
  EXPECT_EQ(ui_.errors.size(), 2);
  EXPECT_EQ(ui_.modalForms.size(), 2);
}

TEST_F(MainFormTest, StatusDisplayDialogCopiesTheSettingsInAndOut) {
  Settings->ErrorDisp = 7;
  ui_.AnswerModal([](QDialog&) {
    EXPECT_FALSE(StatusDisp->CheckBox1->isChecked());
    EXPECT_EQ(StatusDisp->ItemIndex(), 2);  // above 2 chooses the last item
    EXPECT_TRUE(StatusDisp->SendErrorBreak->isChecked());
    StatusDisp->CheckBox1->setChecked(true);
    return 1;
  });
  form_->N11->trigger();
  EXPECT_TRUE(Settings->Status);
  EXPECT_EQ(Settings->ErrorDisp, 2);
  EXPECT_TRUE(Settings->SendErrorBreak);

  Settings->ErrorDisp = -3;
  ui_.AnswerModal([](QDialog&) {
    EXPECT_EQ(StatusDisp->ItemIndex(), -1);
    StatusDisp->SendErrorBreak->setChecked(false);
    return 2;  // however it ends, the answers are taken back
  });
  form_->N11->trigger();
  EXPECT_EQ(Settings->ErrorDisp, -1);
  EXPECT_FALSE(Settings->SendErrorBreak);
  // The dialog changes memory only; the settings file is written at close.
  EXPECT_FALSE(std::filesystem::exists(configDir() + "/Quillpost2"));
}

}  // namespace
}  // namespace quill
