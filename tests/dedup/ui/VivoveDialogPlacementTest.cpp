// Where Vivove's windows open: its dialogs in the middle of the main window at every showing,
// wherever the main window has moved; the splash in the middle of the screen.
#include "dedup/ui/Forms.h"
#include "dedup/ui/GreetUnit.h"
#include "dedup/ui/MainUnit.h"
#include "dedup/ui/ParamUnit.h"
#include "dedup/ui/infoUnit.h"
#include "support/ui/FormTest.h"
#include "support/ui/PlacementChecks.h"

namespace vivove {
namespace {

class VivoveDialogPlacementTest : public quill::test::FormTest {
 protected:
  void SetUp() override { CreateForms(); }
  void TearDown() override { DestroyForms(); }
};

TEST_F(VivoveDialogPlacementTest, TheDialogsOpenInTheMiddleOfTheMainWindow) {
  MainForm->show();
  MainForm->resize(560, 420);  // small enough to move about the test screen
  for (QDialog* dialog : std::initializer_list<QDialog*>{ParamForm, infoForm})
    quill::test::ExpectCentredOnOwnerAtEveryShowing(
        *MainForm, *dialog, {QPoint(0, 0), QPoint(230, 170), QPoint(40, 150)});
}

TEST_F(VivoveDialogPlacementTest, TheSplashOpensInTheMiddleOfTheScreen) {
  MainForm->show();
  MainForm->move(0, 0);
  greetForm->show();
  QApplication::processEvents();
  quill::test::ExpectCentredOnScreen(*greetForm);
  greetForm->hide();
}

}  // namespace
}  // namespace vivove
