#include "platform/ui/RangeSpinBox.h"

#include <algorithm>

namespace quill::platform {

namespace {

bool IsAsciiDigit(QChar ch) { return ch >= QLatin1Char('0') && ch <= QLatin1Char('9'); }

}  // namespace

QValidator::State TRangeSpinBox::validate(QString& input, int&) const {
  const bool negative = minimum() < 0 && input.startsWith(QLatin1Char('-'));
  const QStringView digits = QStringView(input).mid(negative ? 1 : 0);
  if (!std::all_of(digits.begin(), digits.end(), IsAsciiDigit)) return QValidator::Invalid;
  if (digits.isEmpty()) return QValidator::Intermediate;
  bool ok = false;
  const qlonglong number = input.toLongLong(&ok);
  return ok && number >= minimum() && number <= maximum() ? QValidator::Acceptable
                                                          : QValidator::Intermediate;
}

void TRangeSpinBox::fixup(QString& input) const { input = QString::number(Bounded(input)); }

int TRangeSpinBox::valueFromText(const QString& text) const { return Bounded(text); }

int TRangeSpinBox::Bounded(const QString& text) const {
  bool ok = false;
  const qlonglong number = text.toLongLong(&ok);
  if (ok) return static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum()));
  // Digits too many for any integer lie beyond the range on their side.
  const bool allDigits = !text.isEmpty() && std::all_of(text.begin(), text.end(), IsAsciiDigit);
  return allDigits ? maximum() : minimum();
}

}  // namespace quill::platform
