#pragma once
// The run log: lines appended by the program, and the run log file.

#include <QString>

class QPlainTextEdit;

namespace quill {

/// Appends `line` to the memo's text followed by a line break; when the text does not end
/// with a line break (the user typed at its end), the line is put after a line break
/// instead, with none behind it.
void AppendLogLine(QPlainTextEdit& memo, const QString& line);

/// Writes the memo's text to `path`, byte for byte in Shift_JIS with CR LF line breaks,
/// replacing the file as a document (platform::ReplaceFileAtomically): the file holds its old
/// text or the new one, never a part. Throws quill::Error naming the file when it cannot be
/// written, and then the old file is unchanged.
void WriteRunLogFile(const QPlainTextEdit& memo, const QString& path);

}  // namespace quill
