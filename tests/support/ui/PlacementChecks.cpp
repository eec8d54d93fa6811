#include "support/ui/PlacementChecks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWindow>

namespace quill::test {
namespace {

QRect FrameOf(const QWidget& window) { return window.windowHandle()->frameGeometry(); }

// Centres of whole pixels may round either way.
void ExpectSameCentre(const QRect& inner, const QRect& outer) {
  EXPECT_LE((inner.center() - outer.center()).manhattanLength(), 2)
      << "at " << inner.x() << "," << inner.y() << " " << inner.width() << "x" << inner.height()
      << " in " << outer.x() << "," << outer.y() << " " << outer.width() << "x" << outer.height();
}

}  // namespace

void ExpectCentredOnOwnerAtEveryShowing(QWidget& owner, QDialog& dialog,
                                        std::initializer_list<QPoint> places) {
  SCOPED_TRACE(dialog.objectName().toStdString());
  for (const QPoint place : places) {
    SCOPED_TRACE(testing::Message() << "owner at " << place.x() << "," << place.y());
    owner.move(place);
    QApplication::processEvents();
    dialog.show();
    QApplication::processEvents();
    ASSERT_TRUE(dialog.windowHandle());
    EXPECT_TRUE(owner.screen()->availableGeometry().contains(FrameOf(dialog)))
        << "choose places that leave the dialog on the screen";
    ExpectSameCentre(FrameOf(dialog), FrameOf(owner));
    dialog.move(owner.screen()->availableGeometry().topLeft());  // as if the user dragged it aside
    QApplication::processEvents();
    dialog.hide();
  }
}

void ExpectCentredOnScreen(const QWidget& window) {
  ASSERT_TRUE(window.windowHandle());
  ExpectSameCentre(FrameOf(window), window.screen()->geometry());
}

}  // namespace quill::test
