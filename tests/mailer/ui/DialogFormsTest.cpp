// The mailer's small dialogs: the log-save question, the stop question, the progress window,
// the timed wait and the attachment list.
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontDatabase>

#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/BreakUnit.h"
#include "mailer/ui/DblChkPrgUnit.h"
#include "mailer/ui/StatusUnit.h"
#include "mailer/ui/WaitUnit.h"
#include "platform/ui/Form.h"
#include "support/ui/FormChecks.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

class DialogFormsTest : public test::FormTest {
 protected:
  void SetUp() override { platform::InstallFontSubstitutes(); }

  // Title-bar flags: whether the form has a title bar and whether it has a close box.
  static void ExpectFrame(const QWidget& form, bool titleBar, bool closeBox) {
    EXPECT_EQ(!(form.windowFlags() & Qt::FramelessWindowHint), titleBar);
    EXPECT_EQ(bool(form.windowFlags() & Qt::WindowCloseButtonHint), closeBox);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowContextHelpButtonHint);
  }
};

TEST_F(DialogFormsTest, LogSaveQuestion) {
  TStatusForm form;
  EXPECT_EQ(form.objectName(), QStringLiteral("StatusForm"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("ログの保存"));
  ExpectFrame(form, true, false);
  EXPECT_EQ(form.size(), QSize(214, 101));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::yellow));
  EXPECT_TRUE(form.autoFillBackground());
  EXPECT_EQ(form.Label1->text(), QStringLiteral("ログを保存しますか？"));
  EXPECT_EQ(form.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 255));
  EXPECT_EQ(form.Label1->font().pixelSize(), 16);
  EXPECT_TRUE(form.Label1->font().bold());
  EXPECT_EQ(form.Button1->text(), QStringLiteral("Ｙｅｓ"));
  EXPECT_EQ(form.Button2->text(), QStringLiteral("Ｎｏ"));
  for (QPushButton* button : {form.Button1, form.Button2}) {
    EXPECT_TRUE(button->font().bold());
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
  }
  EXPECT_EQ(test::TabOrder(form), test::Names({"Button1", "Button2"}));
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
}

TEST_F(DialogFormsTest, StopQuestion) {
  TBreakForm form;
  EXPECT_EQ(form.objectName(), QStringLiteral("BreakForm"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("送信中断？"));
  ExpectFrame(form, true, false);
  EXPECT_EQ(form.font().pixelSize(), 12);
  EXPECT_EQ(form.Label1->text(), QStringLiteral("送信を中断しますか？"));
  EXPECT_EQ(form.Button1->text(), QStringLiteral("中断"));
  EXPECT_EQ(form.Button2->text(), QStringLiteral("継続"));
  for (QPushButton* button : {form.Button1, form.Button2}) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
  }
  EXPECT_EQ(test::TabOrder(form), test::Names({"Button1", "Button2"}));
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
}

// Each button ends the modal display with its result, clicked or pressed by the keyboard
// (Return on the focused button, reached by Tab); Escape and Return to the form itself answer
// nothing, and the form stays open.
TEST_F(DialogFormsTest, QuestionsAnswerOnlyByTheirButtons) {
  TStatusForm statusForm;
  TBreakForm breakForm;
  struct Row {
    const char* name;
    QDialog& form;
    std::function<void()> act;
    int result;
  };
  const Row rows[] = {
      {"Ｙｅｓ", statusForm, [&] { statusForm.Button1->click(); }, 1},
      {"Ｎｏ", statusForm, [&] { statusForm.Button2->click(); }, 2},
      {"Escape on the log question", statusForm,
       [&] { test::PressKey(*statusForm.Button1, Qt::Key_Escape); }, 0},
      {"Return on Ｙｅｓ", statusForm, [&] { test::PressKey(*statusForm.Button1, Qt::Key_Return); },
       1},
      {"Tab to Ｎｏ, then Return", statusForm,
       [&] {
         statusForm.Button1->setFocus();
         test::PressKey(statusForm, Qt::Key_Tab);
         test::PressKey(*statusForm.focusWidget(), Qt::Key_Return);
       },
       2},
      {"Return to the log question itself", statusForm,
       [&] { test::PressKey(statusForm, Qt::Key_Return); }, 0},
      {"中断", breakForm, [&] { breakForm.Button1->click(); }, 1},
      {"継続", breakForm, [&] { breakForm.Button2->click(); }, 2},
      {"Escape on the stop question", breakForm,
       [&] { test::PressKey(*breakForm.Button1, Qt::Key_Escape); }, 0},
      {"Escape to the stop question itself", breakForm,
       [&] { test::PressKey(breakForm, Qt::Key_Escape); }, 0},
      {"Enter on 継続", breakForm, [&] { test::PressKey(*breakForm.Button2, Qt::Key_Enter); }, 2},
      {"Return on 中断", breakForm, [&] { test::PressKey(*breakForm.Button1, Qt::Key_Return); }, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    bool open = false;
    EXPECT_EQ(test::RunModal(ui_, row.form,
                             [&] {
                               row.act();
                               open = row.form.isVisible();
                             }),
              row.result);
    EXPECT_EQ(open, row.result == 0);
  }
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(DialogFormsTest, StopQuestionOpensWithTheFocusOnStop) {
  TBreakForm form;
  for (const char* showing : {"first", "after 継続 had the focus"}) {
    SCOPED_TRACE(showing);
    form.show();
    form.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(form.focusWidget(), form.Button1);
    form.Button2->setFocus();
    form.hide();
  }
}

TEST_F(DialogFormsTest, ProgressWindow) {
  TDblChkPrgForm form;
  EXPECT_EQ(form.objectName(), QStringLiteral("DblChkPrgForm"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("アドレス"));
  ExpectFrame(form, true, false);
  EXPECT_EQ(form.size(), QSize(389, 106));
  EXPECT_EQ(form.Label1->text(), QStringLiteral("アドレスデータを取り込みしています。"));
  EXPECT_EQ(form.Label2->text(), QStringLiteral("少々お待まち下さいい。"));
  EXPECT_EQ(form.ProgressBar1->minimum(), 0);
  EXPECT_EQ(form.ProgressBar1->maximum(), 100);
  EXPECT_FALSE(form.ProgressBar1->isTextVisible());
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
  form.show();  // laid out: the bar between the two texts
  QApplication::processEvents();
  EXPECT_EQ(form.ProgressBar1->size(), QSize(329, 9));
  EXPECT_LT(form.Label1->geometry().bottom(), form.ProgressBar1->geometry().top());
  EXPECT_GT(form.Label2->geometry().top(), form.ProgressBar1->geometry().bottom());
  form.hide();
}

TEST_F(DialogFormsTest, WaitWindow) {
  TWaitForm form;
  EXPECT_EQ(form.objectName(), QStringLiteral("WaitForm"));
  ExpectFrame(form, false, false);
  EXPECT_EQ(form.Label1->text(), QStringLiteral("ただ今、次の送信を待っています。"));
  EXPECT_EQ(form.Bevel1->frameShape(), QFrame::Box);
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
  form.show();
  QApplication::processEvents();
  EXPECT_EQ(form.Bevel1->geometry(), form.rect());
  form.hide();
}

// The wait lasts the seconds set before each showing, from the moment it is shown.
TEST_F(DialogFormsTest, WaitEndsAfterItsSeconds) {
  TWaitForm form;
  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_EQ(form.WaitSeconds(), 1);
  for (int seconds : {1, 2}) {
    SCOPED_TRACE(seconds);
    form.SetWaitSeconds(seconds);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(form.exec(), 2);
    EXPECT_GE(clock.elapsed(), seconds * 1000);
    EXPECT_LT(clock.elapsed(), seconds * 1000 + 1500);
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_FALSE(form.isVisible());
  }

  // A close request from the window manager (Alt+F4) does not end it early.
  QTimer::singleShot(100, &form, [&form] {
    QCloseEvent request;
    QApplication::sendEvent(&form, &request);
  });
  form.SetWaitSeconds(1);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(form.exec(), 2);
  EXPECT_GE(clock.elapsed(), 1000);
}

TEST_F(DialogFormsTest, AttachmentDialog) {
  TAtachForm form;
  EXPECT_EQ(form.objectName(), QStringLiteral("AtachForm"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("添付ファイル"));
  ExpectFrame(form, true, true);
  EXPECT_EQ(form.size(), QSize(458, 244));
  EXPECT_EQ(form.font().pixelSize(), 12);
  EXPECT_EQ(form.LabeledEdit1Label->text(), QStringLiteral("パス"));
  EXPECT_EQ(form.LabeledEdit1Label->buddy(), form.LabeledEdit1);
  EXPECT_EQ(form.RefBtn->text(), QStringLiteral("参照"));
  EXPECT_EQ(form.Label1->text(), QStringLiteral("添付ファイル"));
  EXPECT_EQ(form.AddBtn->text(), QStringLiteral("追加"));
  EXPECT_EQ(form.DeleteBtn->text(), QStringLiteral("削除"));
  EXPECT_EQ(form.ClearBtn->text(), QStringLiteral("クリア"));
  EXPECT_EQ(form.Button3->text(), QStringLiteral("Ｏｋ"));
  EXPECT_EQ(form.ListBox1->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(form.ListBox1->count(), 0);
  EXPECT_EQ(form.OpenDialog1.kind, platform::TFileDialog::Kind::Open);
  EXPECT_TRUE(form.OpenDialog1.Filter.isEmpty());
  EXPECT_TRUE(form.OpenDialog1.DefaultExt.isEmpty());
  EXPECT_EQ(test::CutOffTexts(form), QStringList());
  form.show();  // laid out: the edit above the list, the buttons in a column right of it
  QApplication::processEvents();
  EXPECT_LT(form.LabeledEdit1Label->geometry().bottom(), form.LabeledEdit1->geometry().top());
  EXPECT_LT(form.ListBox1->geometry().right(), form.AddBtn->geometry().left());
  EXPECT_LT(form.AddBtn->geometry().bottom(), form.DeleteBtn->geometry().top());
  EXPECT_LT(form.DeleteBtn->geometry().bottom(), form.ClearBtn->geometry().top());
  form.hide();

  form.ListBox1->addItem(QStringLiteral("/tmp/a.txt"));
  form.FormCreate();
  EXPECT_EQ(form.ListBox1->count(), 0);
}

// "Ok" (clicked, or Return on it) gives 1 and the close box 2; the list keeps its entries
// either way.
TEST_F(DialogFormsTest, AttachmentDialogEnds) {
  TAtachForm form;
  form.ListBox1->addItem(QStringLiteral("/tmp/a.txt"));
  EXPECT_EQ(test::RunModal(ui_, form, [&] { form.Button3->click(); }), 1);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { form.close(); }), 2);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(form, Qt::Key_Escape); }), 0);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { test::PressKey(*form.Button3, Qt::Key_Return); }), 1);
  EXPECT_EQ(form.ListBox1->count(), 1);
}

TEST_F(DialogFormsTest, FontsResolveToIpaPGothic) {
  if (!test::HasIpaFonts()) GTEST_SKIP() << "fonts-ipafont-gothic is not installed";
  TStatusForm statusForm;
  TBreakForm breakForm;
  TDblChkPrgForm progressForm;
  TWaitForm waitForm;
  TAtachForm atachForm;
  for (const QWidget* widget : std::initializer_list<const QWidget*>{
           statusForm.Label1, statusForm.Button1, breakForm.Label1, progressForm.Label2,
           waitForm.Label1, atachForm.ListBox1, atachForm.Button3}) {
    SCOPED_TRACE(widget->objectName().toStdString());
    EXPECT_EQ(test::ResolvedFamily(*widget), QStringLiteral("IPAPGothic"));
  }
}

}  // namespace
}  // namespace quill
