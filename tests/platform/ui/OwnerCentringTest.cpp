// Dialogs kept in the middle of their owner's window: where the frame goes, the screen's edges,
// and forms that are not kept there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include "platform/ui/Form.h"
#include "platform/ui/OwnerCentring.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

class CentredForm : public platform::TDialogForm {
 public:
  explicit CentredForm(QWidget* owner) : TDialogForm(owner) {
    setFixedSize(200, 100);
    KeepCentredOnOwner();
  }
};

class PlainForm : public platform::TDialogForm {
 public:
  explicit PlainForm(QWidget* owner) : TDialogForm(owner) { setFixedSize(200, 100); }
};

class OwnerCentringTest : public test::FormTest {
 protected:
  void SetUp() override {
    owner_.resize(400, 300);
    owner_.move(100, 100);
    owner_.show();
    QApplication::processEvents();
  }
  QRect Area() const { return owner_.screen()->availableGeometry(); }

  QWidget owner_{nullptr, Qt::FramelessWindowHint};  // its frame is its window, to the pixel
};

TEST_F(OwnerCentringTest, TheWholeFrameStandsInTheMiddleAndOnTheScreen) {
  using platform::CentredFramePosition;
  // The owner's frame spans 100..499 x 100..399; its middle is (299, 249).
  EXPECT_EQ(CentredFramePosition(owner_, QSize(200, 100)), QPoint(200, 200));
  // A title bar makes the frame taller than the window, and the frame is what is centred.
  EXPECT_EQ(CentredFramePosition(owner_, QSize(202, 121)), QPoint(199, 189));

  const QRect area = Area();
  owner_.move(area.right() - 100, area.bottom() - 50);  // mostly off the bottom right
  QApplication::processEvents();
  EXPECT_EQ(CentredFramePosition(owner_, QSize(200, 100)),
            QPoint(area.right() + 1 - 200, area.bottom() + 1 - 100));
  owner_.move(area.left() - 350, area.top() - 280);  // mostly off the top left
  QApplication::processEvents();
  EXPECT_EQ(CentredFramePosition(owner_, QSize(200, 100)), area.topLeft());
  // A frame larger than the screen keeps its top left corner (and its title bar) in reach.
  EXPECT_EQ(CentredFramePosition(owner_, area.size() + QSize(40, 40)), area.topLeft());
}

// The owner here has no frame, the dialogs have one (the test platform draws a thin frame):
// the first showing guesses the owner's frame and mends the place at the first paint, when the
// dialog's own frame is known; later showings open at the right place at once.
TEST_F(OwnerCentringTest, OnlyFormsKeptCentredFollowTheirOwner) {
  CentredForm centred(&owner_);
  PlainForm plain(&owner_);
  plain.move(30, 40);
  bool frameKnown = false;
  for (const QPoint place : {QPoint(100, 100), QPoint(250, 180), QPoint(20, 60)}) {
    SCOPED_TRACE(testing::Message() << "owner at " << place.x() << "," << place.y());
    owner_.move(place);
    QApplication::processEvents();
    centred.show();
    plain.show();
    const QPoint opened = centred.pos();
    QApplication::processEvents();
    const QMargins frame = centred.windowHandle()->frameMargins();
    const QSize outer = centred.size().grownBy(frame);
    EXPECT_EQ(centred.pos(), place + QPoint((400 - outer.width()) / 2, (300 - outer.height()) / 2));
    if (frameKnown) {
      EXPECT_EQ(opened, centred.pos());
    }
    frameKnown = true;
    EXPECT_EQ(plain.pos(), QPoint(30, 40));
    centred.hide();
    plain.hide();
  }

  // Without an owner there is nothing to centre on: the form keeps its place.
  CentredForm alone(nullptr);
  alone.move(60, 70);
  alone.show();
  QApplication::processEvents();
  EXPECT_EQ(alone.pos(), QPoint(60, 70));
}

}  // namespace
}  // namespace quill
