#pragma once
// Small pieces that the dialog forms share: their frames and the buttons that end them.

#include <QAbstractButton>
#include <QDialog>

namespace quill::platform {

/// A fixed dialog frame with a title bar; `closeBox` adds the close box and no other
/// title-bar button.
inline Qt::WindowFlags DialogFrame(bool closeBox) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (closeBox) flags |= Qt::WindowCloseButtonHint;
  return flags;
}

/// Puts `form` (about to be shown) in the middle of its owner's window. Called at every
/// showing: Qt centres a dialog by itself only on its first showing, and later showings keep
/// the place of the first (on some window managers the screen's corner), even after the owner
/// has moved.
inline void CentreOnOwner(QWidget& form) {
  const QWidget* owner = form.parentWidget();
  if (!owner) return;
  const QRect frame = form.frameGeometry();  // known once the form has been shown
  form.move(owner->window()->frameGeometry().center() - (frame.center() - frame.topLeft()));
}

/// A click on `button` ends the modal display of `form` with `result`.
inline void SetModalResult(QAbstractButton* button, QDialog* form, int result) {
  QObject::connect(button, &QAbstractButton::clicked, form, [form, result] { form->done(result); });
}

}  // namespace quill::platform
