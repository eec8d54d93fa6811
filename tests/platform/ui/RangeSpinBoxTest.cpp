// The numeric field: what typing leaves in it, and the number it gives when the text is taken.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "platform/ui/RangeSpinBox.h"
#include "support/ui/FormChecks.h"

namespace quill::platform {
namespace {

TEST(RangeSpinBoxTest, TypedNumbersAreBroughtIntoRangeWhenTaken) {
  const struct {
    int minimum, maximum;
    const char* typed;
    const char* shown;  // what the field holds while the user types
    int value;          // what it gives once the text is taken
  } rows[] = {
      {1, 9999, "25", "25", 25},
      {1, 9999, "0", "0", 1},
      {1, 9999, "", "", 1},
      {1, 9999, "10000", "10000", 9999},
      {1, 9999, "99999999999999999999999", "99999999999999999999999", 9999},
      {1, 9999, "-7", "7", 7},  // no sign where the range has no negative numbers
      {0, 300, "3a0", "30", 30},
      {0, 300, "500", "500", 300},
      {0, 300, "１２", "", 0},  // full-width digits are no number
      {-5, 5, "-", "-", -5},
      {-5, 5, "-9", "-9", -5},
      {-5, 5, "--1", "-1", -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed);
    TRangeSpinBox spin;
    spin.setRange(row.minimum, row.maximum);
    spin.setValue(row.maximum);
    spin.selectAll();
    test::PressKey(spin, Qt::Key_Backspace);
    test::TypeText(spin, QString::fromUtf8(row.typed));
    EXPECT_EQ(spin.text(), QString::fromUtf8(row.shown));
    spin.interpretText();
    EXPECT_EQ(spin.value(), row.value);
    EXPECT_EQ(spin.text(), QString::number(row.value));
  }
}

}  // namespace
}  // namespace quill::platform
