#include <memory>

#include "dedup/ui/GreetUnit.h"
#include "platform/ui/Form.h"
#include "support/ui/FormChecks.h"
#include "support/ui/FormTest.h"
#include "support/ui/SplashChecks.h"

namespace vivove {
namespace {

class VivoveGreetFormTest : public quill::test::FormTest {
 protected:
  // The substitutes must be in place before the form's fonts are first resolved.
  void SetUp() override {
    quill::platform::InstallFontSubstitutes();
    form_ = std::make_unique<TgreetForm>();
  }
  std::unique_ptr<TgreetForm> form_;
};

TEST_F(VivoveGreetFormTest, WindowCutsThePictureOff) {
  EXPECT_EQ(form_->objectName(), QStringLiteral("greetForm"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("greetForm"));
  EXPECT_TRUE(form_->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form_->size(), QSize(499, 373));
  EXPECT_EQ(form_->Image1->geometry(), QRect(0, 0, 499, 373));
  EXPECT_EQ(form_->Image1->pixmap().size(), QSize(500, 375));  // not scaled
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(VivoveGreetFormTest, Labels) {
  quill::test::ExpectSplashLabels(
      *form_, {
                  {"Label1", "Quillpost2 Utility ", Qt::white, true, true, 19, {144, 80}},
                  {"Label2", "Vivove", Qt::white, true, true, 27, {192, 112}},
                  {"Label3", "since 2000", QColor(0, 255, 0), false, false, 12, {432, 352}},
              });
  EXPECT_EQ(quill::test::CutOffTexts(*form_), QStringList());
}

TEST_F(VivoveGreetFormTest, ClosesItselfThreeSecondsAfterShowing) {
  quill::test::ExpectClosesAfterThreeSeconds(*form_);
}

}  // namespace
}  // namespace vivove
