#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include "platform/ui/RepaintExposed.h"
#include "support/ui/PaintCounter.h"

namespace quill::platform {
namespace {

TEST(RepaintExposedTest, PaintsAtOnceAndWaitsNoLongerThanAsked) {
  QWidget window;
  window.resize(200, 100);
  window.show();
  QCoreApplication::processEvents();
  test::PaintCounter paints(window);

  QElapsedTimer timer;
  timer.start();
  RepaintExposed(window, std::chrono::milliseconds(30));
  EXPECT_GE(paints.count, 1);
  EXPECT_LT(timer.elapsed(), 1000);

  // A hidden window has nothing to show and nothing to wait for.
  window.hide();
  timer.restart();
  RepaintExposed(window, std::chrono::milliseconds(5000));
  EXPECT_LT(timer.elapsed(), 1000);
}

}  // namespace
}  // namespace quill::platform
