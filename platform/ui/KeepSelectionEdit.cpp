#include "platform/ui/KeepSelectionEdit.h"

#include <QEvent>

namespace quill::platform {

void TKeepSelectionEdit::focusOutEvent(QFocusEvent* event) {
  const int start = selectionStart();
  const int length = selectionLength();
  const bool caretAtStart = cursorPosition() == start;
  QLineEdit::focusOutEvent(event);
  if (length <= 0 || hasSelectedText()) return;
  // The caret goes back to the end of the selection where it was.
  if (caretAtStart)
    setSelection(start + length, -length);
  else
    setSelection(start, length);
}

bool TKeepSelectionEdit::event(QEvent* event) {
  // All that the line edit itself does on activation is to drop, a moment later, a selection
  // that it holds without the focus; what every widget does (repainting) still happens.
  if (event->type() == QEvent::WindowActivate) return QWidget::event(event);
  return QLineEdit::event(event);
}

}  // namespace quill::platform
