
#include <memory>

#include "mailer/ui/GreetUnit.h"
#include "platform/ui/Form.h"
#include "support/ui/FormChecks.h"
#include "support/ui/FormTest.h"
#include "support/ui/SplashChecks.h"

namespace quill {
namespace {

class GreetFormTest : public test::FormTest {
 protected:
  // The substitutes must be in place before the form's fonts are first resolved.
  void SetUp() override {
    platform::InstallFontSubstitutes();
    form_ = std::make_unique<TGreetForm>();
  }
  std::unique_ptr<TGreetForm> form_;
};

TEST_F(GreetFormTest, WindowAndPicture) {
  EXPECT_EQ(form_->objectName(), QStringLiteral("GreetForm"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("greet"));
  EXPECT_TRUE(form_->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form_->size(), QSize(500, 375));
  EXPECT_EQ(form_->Image1->geometry(), QRect(0, 0, 500, 375));
  EXPECT_EQ(form_->Image1->pixmap().size(), QSize(500, 375));
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(GreetFormTest, Labels) {
  test::ExpectSplashLabels(
      *form_, {
                  {"Label1", "Quillpost 2.0 ", Qt::white, true, true, 24, {304, 288}},
                  {"Label2", "for Windows", Qt::white, false, false, 12, {352, 312}},
                  {"Label3", "since 2000", QColor(0, 255, 0), false, false, 12, {360, 360}},
              });
  EXPECT_EQ(test::CutOffTexts(*form_), QStringList());
}

TEST_F(GreetFormTest, ClosesItselfThreeSecondsAfterShowing) {
  test::ExpectClosesAfterThreeSeconds(*form_);
}

}  // namespace
}  // namespace quill
