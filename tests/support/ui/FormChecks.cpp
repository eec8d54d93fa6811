#include "support/ui/FormChecks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

#include "platform/ui/UiServices.h"
#include "support/ui/ScriptedUi.h"

void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace quill::test {

QStringList Names(std::initializer_list<const char*> names) {
  QStringList list;
  for (const char* name : names) list << QString::fromLatin1(name);
  return list;
}

QStringList TabOrder(QWidget& form) {
  QStringList names;
  for (QWidget* w = form.nextInFocusChain(); w && w != &form; w = w->nextInFocusChain())
    // Parts of compound widgets (the edit of a spin box) carry Qt's own names.
    if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
        !w->objectName().startsWith(QStringLiteral("qt_")))
      names << w->objectName();
  return names;
}

QStringList CutOffTexts(QWidget& form) {
  form.show();
  QApplication::processEvents();
  QStringList cut;
  auto check = [&cut](QWidget* w, QSize needed) {
    if (needed.width() > w->width() || needed.height() > w->height()) cut << w->objectName();
  };
  for (QLabel* label : form.findChildren<QLabel*>())
    if (!label->text().isEmpty()) check(label, label->sizeHint());
  for (QAbstractButton* button : form.findChildren<QAbstractButton*>())
    check(button, button->sizeHint());
  for (QGroupBox* box : form.findChildren<QGroupBox*>()) check(box, box->minimumSizeHint());
  form.hide();
  return cut;
}

bool HasIpaFonts() { return QFontDatabase::families().contains(QStringLiteral("IPAPGothic")); }

QString ResolvedFamily(const QWidget& widget) { return QFontInfo(widget.font()).family(); }

void PressKey(QWidget& widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QApplication::sendEvent(&widget, &release);
}

void TypeText(QWidget& widget, const QString& text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(&widget, &press);
    QApplication::sendEvent(&widget, &release);
  }
}

int RunModal(ScriptedUi& ui, QDialog& form, const std::function<void()>& act) {
  ui.AnswerModal([&act](QDialog&) {
    act();
    return -1;
  });
  return platform::Ui().ShowModal(form);
}

}  // namespace quill::test
