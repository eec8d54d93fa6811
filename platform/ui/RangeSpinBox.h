#pragma once
// A numeric field with up and down buttons that takes any whole number as it is typed and
// brings it into its range when the number is taken (the field loses the focus, or
// interpretText() is called): above the range gives the maximum, below it the minimum, and an
// empty field the minimum. A plain spin box instead refuses a digit that would leave the
// range, so typing "500" into a field of 0..300 would give 50.

#include <QSpinBox>

namespace quill::platform {

class TRangeSpinBox : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

 protected:
  /// Digits (and a leading "-" when the range has negative numbers) only; a number outside
  /// the range, an empty text and a lone "-" are accepted for now, to be brought into range.
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  int valueFromText(const QString& text) const override;

 private:
  /// The number of `text` brought into the range; the minimum for no number at all.
  int Bounded(const QString& text) const;
};

}  // namespace quill::platform
