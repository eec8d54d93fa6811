#include <gtest/gtest.h>

#include <QPointer>

#include "mailer/ui/Forms.h"
#include "mailer/ui/GreetUnit.h"
#include "mailer/ui/MainUnit.h"
#include "settings/ui/SmtpSetUnit.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

class StartupTest : public test::FormTest {
 protected:
  void TearDown() override { DestroyForms(); }
};

TEST_F(StartupTest, FormsAreCreatedOnceHiddenAndInOrder) {
  QStringList order;
  CreateForms([&](const QString& name) {
    order << name;
    // The main window's create handler has run before the account dialog is created.
    if (name == QStringLiteral("SmtpForm")) {
      EXPECT_EQ(AppDir, programDir());
    }
  });
  EXPECT_EQ(order, QStringList({QStringLiteral("MainForm"), QStringLiteral("GreetForm"),
                                QStringLiteral("SmtpForm"), QStringLiteral("AtachForm"),
                                QStringLiteral("BreakForm"), QStringLiteral("DblChkPrgForm"),
                                QStringLiteral("WaitForm"), QStringLiteral("StatusDisp"),
                                QStringLiteral("StatusForm")}));
  ASSERT_TRUE(MainForm && GreetForm && SmtpForm && AtachForm && BreakForm && DblChkPrgForm &&
              WaitForm && StatusDisp && StatusForm);
  EXPECT_FALSE(MainForm->isVisible());
  EXPECT_TRUE(ui_.modalForms.isEmpty());
}

TEST_F(StartupTest, TheSplashIsShownModallyAndThenReleased) {
  CreateForms();
  QPointer<QDialog> splash(GreetForm);
  bool mainVisibleDuringSplash = true;
  ui_.AnswerModal([&](QDialog&) {
    mainVisibleDuringSplash = MainForm->isVisible();
    return 2;
  });
  ShowSplash();
  EXPECT_EQ(ui_.modalForms, QStringList({QStringLiteral("GreetForm")}));
  EXPECT_FALSE(mainVisibleDuringSplash);
  EXPECT_EQ(GreetForm, nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(splash.isNull());
}

}  // namespace
}  // namespace quill
