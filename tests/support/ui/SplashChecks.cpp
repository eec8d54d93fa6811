#include "support/ui/SplashChecks.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWindow>

#include "support/ui/FormChecks.h"

namespace quill::test {

void ExpectSplashLabels(const platform::TSplashForm& form,
                        const std::vector<ExpectedSplashLabel>& labels) {
  for (const ExpectedSplashLabel& expected : labels) {
    SCOPED_TRACE(expected.name);
    auto* label = form.findChild<QLabel*>(QString::fromLatin1(expected.name));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8(expected.text));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), expected.colour);
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_EQ(label->font().pixelSize(), expected.pixelHeight);
    EXPECT_EQ(label->font().bold(), expected.bold);
    EXPECT_EQ(label->font().italic(), expected.italic);
    EXPECT_EQ(label->pos(), expected.topLeft);
    if (HasIpaFonts()) {
      EXPECT_EQ(ResolvedFamily(*label), QStringLiteral("IPAPGothic"));
    }
  }
}

void ExpectClosesAfterThreeSeconds(platform::TSplashForm& form) {
  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_EQ(form.Timer1->interval(), 3000);
  bool openAfterCloseRequests = false;
  QTimer::singleShot(500, &form, [&form, &openAfterCloseRequests] {
    // QWindow::close() asks through the platform, as the window manager's Alt+F4 does.
    if (QWindow* window = form.windowHandle()) window->close();
    form.close();
    PressKey(form, Qt::Key_Escape);
    openAfterCloseRequests = form.isVisible();
  });
  QElapsedTimer clock;
  clock.start();
  const int result = form.exec();
  const qint64 elapsed = clock.elapsed();
  EXPECT_TRUE(openAfterCloseRequests);
  EXPECT_EQ(result, 2);
  EXPECT_GE(elapsed, 3000);
  EXPECT_LT(elapsed, 4500);
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.Timer1->isActive());
}

}  // namespace quill::test
