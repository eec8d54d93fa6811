// Where the mailer's windows open: every dialog in the middle of the main window at every
// showing, wherever the main window has moved; the splash in the middle of the screen.
#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/BreakUnit.h"
#include "mailer/ui/DblChkPrgUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/GreetUnit.h"
#include "mailer/ui/MainUnit.h"
#include "mailer/ui/StatusUnit.h"
#include "mailer/ui/WaitUnit.h"
#include "settings/ui/SmtpSetUnit.h"
#include "settings/ui/StatusDispUnit.h"
#include "support/ui/FormTest.h"
#include "support/ui/PlacementChecks.h"

namespace quill {
namespace {

class DialogPlacementTest : public test::FormTest {
 protected:
  void SetUp() override { CreateForms(); }
  void TearDown() override { DestroyForms(); }
};

TEST_F(DialogPlacementTest, EveryDialogOpensInTheMiddleOfTheMainWindow) {
  MainForm->resize(560, 420);  // small enough to move about the test screen
  MainForm->show();
  for (QDialog* dialog : std::initializer_list<QDialog*>{
           StatusForm, BreakForm, WaitForm, DblChkPrgForm, AtachForm, SmtpForm, StatusDisp})
    test::ExpectCentredOnOwnerAtEveryShowing(*MainForm, *dialog,
                                             {QPoint(0, 0), QPoint(230, 170), QPoint(40, 150)});
}

TEST_F(DialogPlacementTest, TheSplashOpensInTheMiddleOfTheScreen) {
  MainForm->move(0, 0);
  MainForm->show();
  GreetForm->show();
  QApplication::processEvents();
  test::ExpectCentredOnScreen(*GreetForm);
  GreetForm->hide();
}

}  // namespace
}  // namespace quill
