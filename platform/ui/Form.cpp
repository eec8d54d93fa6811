#include "platform/ui/Form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

#include "platform/Error.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/UiServices.h"

namespace quill::platform {

QString ErrorText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const quill::Error& e) {
    return from_sjis(e.what());
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
  if (!event->spontaneous()) RunHandler(this, [this] { FormShow(); });
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
