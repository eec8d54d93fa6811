#pragma once
// The lines of a memo as it displays them: a text line wider than the memo counts as several
// lines, split where the memo wraps it; an empty memo has none, and the empty line after a
// final line break does not count.

#include <QStringList>

class QPlainTextEdit;

namespace quill::platform {

/// Appends `lines` ("\n" between lines, none at the end) to the memo's text, each as a line
/// added to the memo's lines: followed by a line break when the text ends with one (or is
/// empty); otherwise the lines are put after a line break instead, with none behind them.
void AppendMemoLines(QPlainTextEdit& memo, const QString& lines);

QStringList DisplayLines(const QPlainTextEdit& memo);

/// Whether the memo has a display line at all, which is exactly when its text is not empty.
/// Answered without laying the text out, so it costs the same for any length of text.
bool HasDisplayLines(const QPlainTextEdit& memo);

}  // namespace quill::platform
