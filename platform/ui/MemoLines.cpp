#include "platform/ui/MemoLines.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

namespace quill::platform {

void AppendMemoLines(QPlainTextEdit& memo, const QString& lines) {
  // Only the last character decides; looking at it alone keeps a long log linear, and one
  // insertion for many lines spares the document a layout pass per line.
  const QTextDocument& document = *memo.document();
  const int count = document.characterCount();  // includes the final paragraph separator
  const bool endsWithBreak =
      count <= 1 || document.characterAt(count - 2) == QChar(QChar::ParagraphSeparator);
  QTextCursor cursor(memo.document());
  cursor.movePosition(QTextCursor::End);
  if (endsWithBreak)
    cursor.insertText(lines + QLatin1Char('\n'));
  else
    cursor.insertText(QLatin1Char('\n') + lines);
}
QStringList DisplayLines(const QPlainTextEdit& memo) {
  QStringList lines;
  const QTextDocument* document = memo.document();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    const bool last = !block.next().isValid();
    if (last && block.length() <= 1) break;  // the empty line after a final line break
    // Asking for the block's rectangle makes the plain-text layout lay the block out.
    document->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    const QString text = block.text();  // built anew at every call: once per block
    if (!layout || layout->lineCount() == 0) {
      lines << text;
      continue;
    }
    // A wrapped line keeps the blanks at which it broke, as an edit control's line does.
    for (int i = 0; i < layout->lineCount(); ++i)
      lines << text.mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
  }
  return lines;
}

bool HasDisplayLines(const QPlainTextEdit& memo) { return !memo.document()->isEmpty(); }

}  // namespace quill::platform
