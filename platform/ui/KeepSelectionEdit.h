#pragma once
// A one-line edit that keeps its selection while another control has the focus, as the
// multi-line edits do. A plain line edit drops it when the focus moves on within the window,
// and again whenever its window becomes active, so a command that works on the edit's
// selection from elsewhere (a menu item, after a click into another control or a dialog that
// has closed) would find none.

#include <QLineEdit>

namespace quill::platform {

class TKeepSelectionEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  /// Loses the focus as a line edit does, but with its selection and caret as they were.
  void focusOutEvent(QFocusEvent* event) override;
  /// The window becoming active leaves the selection alone.
  bool event(QEvent* event) override;
};

}  // namespace quill::platform
