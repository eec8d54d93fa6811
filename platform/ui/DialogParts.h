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

/// A click on `button` ends the modal display of `form` with `result`.
inline void SetModalResult(QAbstractButton* button, QDialog* form, int result) {
  QObject::connect(button, &QAbstractButton::clicked, form, [form, result] { form->done(result); });
}

}  // namespace quill::platform
