// The standard error box shows the whole text of a failure that leaves a handler.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/Error.h"
#include "platform/ui/Form.h"
#include "platform/ui/SjisText.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using namespace std::string_literals;
using platform::from_sjis;
using platform::RunHandler;
using platform::sjis;

class ErrorBoxTest : public test::FormTest {};

TEST_F(ErrorBoxTest, AFailureIsShownWithItsWholeText) {
  const std::string text = "550 first\0after the NUL "s + sjis("宛先不明") + "\r\n";
  EXPECT_FALSE(RunHandler(nullptr, [&] { throw Error(text); }));
  EXPECT_TRUE(RunHandler(nullptr, [] {}));
  EXPECT_FALSE(RunHandler(nullptr, [] { throw std::runtime_error("plain"); }));
  ASSERT_EQ(ui_.errors.size(), 2);
  EXPECT_EQ(ui_.errors[0],
            QStringLiteral("550 first") + QChar(0) + QStringLiteral("after the NUL 宛先不明\n"));
  EXPECT_EQ(ui_.errors[0], from_sjis(text));
  EXPECT_EQ(ui_.errors[1], QStringLiteral("plain"));
}

}  // namespace
}  // namespace quill
