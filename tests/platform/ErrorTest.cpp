// The failure type: its text is bytes, kept whole however the failure is passed on.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/Error.h"

namespace quill {
namespace {

using namespace std::string_literals;

TEST(Error, TheTextIsKeptWholeNulsIncludedThroughCopiesAndRethrows) {
  const std::string text = "550 first\0after\r\n\x93\xfa\x96\x7b\0"s;  // "日本" in Shift_JIS
  std::string caught;
  try {
    try {
      throw Error(text);
    } catch (const std::exception&) {
      throw;
    }
  } catch (const std::exception& failure) {
    caught = FailureText(failure);
    const Error copy = dynamic_cast<const Error&>(failure);
    EXPECT_EQ(copy.text(), text);
    EXPECT_STREQ(copy.what(), "550 first");  // the C string stops at the first NUL
  }
  EXPECT_EQ(caught, text);
  EXPECT_EQ(FailureText(std::runtime_error("other")), "other");
}

}  // namespace
}  // namespace quill
