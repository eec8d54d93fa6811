// The keys of every dialog form: Return and Enter press the push button that has the focus,
// as Space does; nothing else answers a dialog that has no default or cancel button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "platform/ui/DialogParts.h"
#include "platform/ui/Form.h"
#include "support/ui/FormChecks.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

// Two buttons with results, neither of them a default button, and an edit.
class TwoButtonForm : public platform::TDialogForm {
 public:
  TwoButtonForm() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit);
    layout->addWidget(first);
    layout->addWidget(second);
    for (QPushButton* button : {first, second}) button->setAutoDefault(false);
    platform::SetModalResult(first, this, 1);
    platform::SetModalResult(second, this, 2);
  }
  QLineEdit* edit = new QLineEdit(this);
  QPushButton* first = new QPushButton(QStringLiteral("first"), this);
  QPushButton* second = new QPushButton(QStringLiteral("second"), this);
};

void SendKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
  QApplication::sendEvent(&widget, &press);
  QApplication::sendEvent(&widget, &release);
}

class DialogFormKeysTest : public test::FormTest {};

TEST_F(DialogFormKeysTest, ReturnAndEnterPressTheFocusedButton) {
  TwoButtonForm form;
  struct Row {
    const char* name;
    std::function<void()> act;
    int result;  // 0: still open
  };
  const Row rows[] = {
      {"Return on the first", [&] { SendKey(*form.first, Qt::Key_Return, {}, false); }, 1},
      {"Return on the second", [&] { SendKey(*form.second, Qt::Key_Return, {}, false); }, 2},
      {"keypad Enter", [&] { SendKey(*form.second, Qt::Key_Enter, Qt::KeypadModifier, false); }, 2},
      {"Space, for comparison", [&] { test::PressKey(*form.first, Qt::Key_Space); }, 1},
      {"Tab to the second, then Return",
       [&] {
         form.first->setFocus();
         test::PressKey(form, Qt::Key_Tab);
         SendKey(*form.focusWidget(), Qt::Key_Return, {}, false);
       },
       2},
      {"a repeat of a held Return", [&] { SendKey(*form.first, Qt::Key_Return, {}, true); }, 0},
      {"Return in the edit", [&] { SendKey(*form.edit, Qt::Key_Return, {}, false); }, 0},
      {"Escape on a button", [&] { test::PressKey(*form.first, Qt::Key_Escape); }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(test::RunModal(ui_, form, row.act), row.result);
  }
  EXPECT_FALSE(form.first->isDefault());
  EXPECT_FALSE(form.second->isDefault());
}

// A disabled button is pressed by nothing; a default button of the dialog is not pressed in
// place of the focused one.
TEST_F(DialogFormKeysTest, OnlyTheFocusedEnabledButtonIsPressed) {
  TwoButtonForm form;
  int firstClicks = 0;
  QObject::connect(form.first, &QPushButton::clicked, [&] { ++firstClicks; });
  form.second->setDefault(true);
  EXPECT_EQ(test::RunModal(ui_, form,
                           [&] {
                             form.first->setEnabled(false);
                             SendKey(*form.first, Qt::Key_Return, {}, false);
                           }),
            0);
  form.first->setEnabled(true);
  EXPECT_EQ(test::RunModal(ui_, form, [&] { SendKey(*form.first, Qt::Key_Return, {}, false); }), 1);
  EXPECT_EQ(firstClicks, 1);
}

}  // namespace
}  // namespace quill
