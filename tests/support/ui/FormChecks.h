#pragma once
// Checks that form tests share: the tab order, texts cut off by their controls, the fonts,
// keys sent to a form and modal displays answered by a click.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <ostream>

/// Readable QStrings in test failure messages.
void PrintTo(const QString& text, std::ostream* os);

namespace quill::test {

/// A list of object names from literals.
QStringList Names(std::initializer_list<const char*> names);

/// Object names of the named widgets that Tab reaches, in the order of the focus chain.
QStringList TabOrder(QWidget& form);

/// Object names of the labels, buttons and group boxes of `form` whose text needs more room
/// than the control has. Shows the form (not modally) to lay it out, and hides it again.
QStringList CutOffTexts(QWidget& form);

/// Whether the IPA P Gothic font is installed (fonts-ipafont-gothic).
bool HasIpaFonts();

/// The family that the font of `widget` resolves to.
QString ResolvedFamily(const QWidget& widget);

/// Sends a press and release of `key` to `widget`.
void PressKey(QWidget& widget, int key);

/// Types `text` into `widget` one character at a time, as the user would at the keyboard.
void TypeText(QWidget& widget, const QString& text);

class ScriptedUi;

/// Shows `form` modally through the scripted UI services `ui`, runs `act` while it is shown,
/// and returns the modal result: the form's own when `act` ended the display, 0 when the form
/// is still open after `act`.
int RunModal(ScriptedUi& ui, QDialog& form, const std::function<void()>& act);

}  // namespace quill::test
