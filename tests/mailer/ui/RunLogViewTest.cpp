// The run log's view while the program adds lines to it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>

#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

class RunLogViewTest : public test::FormTest {
 protected:
  void SetUp() override {
    CreateForms();
    MainForm->show();
    QApplication::processEvents();
  }
  void TearDown() override { DestroyForms(); }

  static void AddLines(int count) {
    for (int i = 0; i < count; ++i) MainForm->AppendLog(QStringLiteral("＊＊　行 %1　＊＊").arg(i));
    QApplication::processEvents();
  }
  static QScrollBar& Bar() { return *MainForm->StatusMemo->verticalScrollBar(); }
};

// The newest line stays in view while the view is at the end; a user who scrolled up keeps
// reading where he is, and is followed again once back at the end.
TEST_F(RunLogViewTest, TheNewestLineStaysInViewUnlessTheUserScrolledAway) {
  AddLines(100);
  ASSERT_GT(Bar().maximum(), 0);
  EXPECT_EQ(Bar().value(), Bar().maximum());
  EXPECT_TRUE(MainForm->StatusMemo->toPlainText().endsWith(QStringLiteral("行 99　＊＊\n")));

  Bar().setValue(10);
  AddLines(20);
  EXPECT_EQ(Bar().value(), 10);

  Bar().setValue(Bar().maximum());
  AddLines(20);
  EXPECT_EQ(Bar().value(), Bar().maximum());

  // Emptied, as a new run or an address load does, the log is followed from its start.
  Bar().setValue(0);
  MainForm->StatusMemo->clear();
  AddLines(50);
  EXPECT_EQ(Bar().value(), Bar().maximum());
}

}  // namespace
}  // namespace quill
