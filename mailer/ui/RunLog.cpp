#include "mailer/ui/RunLog.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/FileIO.h"
#include "platform/ui/SjisText.h"

namespace quill {

void AppendLogLine(QPlainTextEdit& memo, const QString& line) {
  // Only the last character decides; looking at it alone keeps a long run log linear.
  const QTextDocument& document = *memo.document();
  const int count = document.characterCount();  // includes the final paragraph separator
  const bool endsWithBreak =
      count <= 1 || document.characterAt(count - 2) == QChar(QChar::ParagraphSeparator);
  QTextCursor cursor(memo.document());
  cursor.movePosition(QTextCursor::End);
  if (endsWithBreak)
    cursor.insertText(line + QLatin1Char('\n'));
  else
    cursor.insertText(QLatin1Char('\n') + line);
}

void WriteRunLogFile(const QPlainTextEdit& memo, const QString& path) {
  platform::WriteWholeFile(platform::to_native(path), platform::to_sjis(memo.toPlainText()));
}

}  // namespace quill
