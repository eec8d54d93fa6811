#include "platform/ui/Form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>

#include "platform/Error.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/UiServices.h"

namespace quill::platform {

QString ErrorText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const quill::Error& e) {
    return from_sjis(e.text());
  } catch (const std::exception& e) {
    return QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QStringLiteral("Unknown failure.");
  }
}

bool RunHandler(QWidget* owner, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (...) {
    Ui().ShowError(owner, ErrorText(std::current_exception()));
    return false;
  }
}

QFont FormFont(int pixelHeight, bool fixedPitch) {
  QFont font(fixedPitch ? QStringLiteral("ＭＳ ゴシック") : QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(pixelHeight);
  return font;
}

void InstallFontSubstitutes() {
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
}

void TDialogForm::done(int result) {
  if (!RunHandler(this, [this] { FormClose(); })) return;
  QDialog::done(result);
}

void TDialogForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (centring_) centring_->Place();
  WatchPushButtons();
  RunHandler(this, [this] { FormShow(); });
}

bool TDialogForm::event(QEvent* event) {
  if (event->type() == QEvent::Paint && centring_) centring_->Painted();
  return QDialog::event(event);
}

// The buttons are watched themselves rather than the dialog: a key that reaches the dialog no
// longer tells which control it was typed into, and Return typed into an edit must not press
// the button that had the focus last. Installing the filter again at a later showing only
// moves it to the front.
void TDialogForm::WatchPushButtons() {
  for (QPushButton* button : findChildren<QPushButton*>()) button->installEventFilter(this);
}

namespace {

bool IsReturnOrEnter(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Return) return key.modifiers() == Qt::NoModifier;
  if (key.key() == Qt::Key_Enter) return (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  return false;
}

}  // namespace

bool TDialogForm::eventFilter(QObject* watched, QEvent* event) {
  auto* button = qobject_cast<QPushButton*>(watched);
  if (!button || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (!IsReturnOrEnter(*key)) return QDialog::eventFilter(watched, event);
  // One click per press, as Space gives: a held key repeats nothing, and no default button
  // of the dialog is pressed by the repeats instead.
  if (!key->isAutoRepeat() && button->isEnabled()) button->click();
  return true;
}

void TDialogForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  done(2);
}

void TDialogForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InstallFontSubstitutes();
  setFont(FormFont(12));  // menus and message boxes in the forms' font as well
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    Ui().ShowError(nullptr, ErrorText(std::current_exception()));
    return false;
  }
}

}  // namespace quill::platform
