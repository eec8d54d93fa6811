#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/ui/HelpPage.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using platform::from_native;
using platform::sjis;

class EditCommandsTest : public test::FormTest {
 protected:
  void SetUp() override {
    CreateForms();
    MainForm->show();
    QGuiApplication::clipboard()->clear();
  }
  void TearDown() override { DestroyForms(); }

  /// Opens the edit menu as the user does and closes it again; returns the names of its
  /// items that were enabled while it was open.
  QStringList OpenEditMenu() {
    MainForm->Edit1->popup(MainForm->mapToGlobal(QPoint(0, 0)));
    const QStringList enabled = EnabledEditItems();
    MainForm->Edit1->hide();
    return enabled;
  }
  /// Opens the edit menu and returns which of `items` were enabled.
  QStringList OpenEditMenuFor(const QStringList& items) {
    QStringList enabled = OpenEditMenu();
    enabled.removeIf([&](const QString& name) { return !items.contains(name); });
    return enabled;
  }
  QStringList EnabledEditItems() const {
    QStringList names;
    for (QAction* item : MainForm->Edit1->actions())
      if (!item->isSeparator() && item->isEnabled()) names << item->objectName();
    return names;
  }
  static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
  static void SelectInBody(int start, int length) {
    QTextCursor cursor = MainForm->Body->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    MainForm->Body->setTextCursor(cursor);
  }
  static QString Body() { return MainForm->Body->toPlainText(); }
};

const QStringList kEveryItem =
    test::Names({"N8", "N4", "N22", "N6", "N5", "N21", "N20", "N23", "N14", "N19", "N25", "N27"});

TEST_F(EditCommandsTest, ItemsFollowTheTextAndSelectionsEachTimeTheMenuOpens) {
  EXPECT_EQ(EnabledEditItems(), kEveryItem);  // before the first opening

  EXPECT_EQ(OpenEditMenu(), test::Names({"N8", "N4"}));  // nothing anywhere

  MainForm->Body->setPlainText(QStringLiteral("x"));
  EXPECT_EQ(OpenEditMenu(), test::Names({"N8", "N4", "N5"}));
  MainForm->Body->setPlainText(QStringLiteral("\n"));  // one empty line is a line
  EXPECT_EQ(OpenEditMenu(), test::Names({"N8", "N4", "N5"}));

  MainForm->TitleEdit->setText(QStringLiteral("news"));
  MainForm->TitleEdit->setSelection(1, 2);
  MainForm->Body->setPlainText(QStringLiteral("本文"));
  EXPECT_EQ(OpenEditMenu(), test::Names({"N8", "N4", "N22", "N5"}));
  SelectInBody(0, 1);
  EXPECT_EQ(OpenEditMenu(), test::Names({"N8", "N4", "N22", "N5", "N21", "N20"}));

  // The states are taken when the menu opens and stay while it is open.
  MainForm->Body->clear();
  MainForm->Edit1->popup(MainForm->mapToGlobal(QPoint(0, 0)));
  MainForm->Body->setPlainText(QStringLiteral("typed while open"));
  QGuiApplication::clipboard()->setText(QStringLiteral("copied"));
  EXPECT_EQ(EnabledEditItems(), test::Names({"N8", "N4", "N22"}));
  MainForm->Edit1->hide();
  EXPECT_EQ(EnabledEditItems(), test::Names({"N8", "N4", "N22"}));
}

TEST_F(EditCommandsTest, PasteItemsNeedTextOnTheClipboard) {
  const QStringList pasteItems = test::Names({"N6", "N23"});
  auto pasteEnabled = [&] { return OpenEditMenuFor(pasteItems); };
  EXPECT_TRUE(pasteEnabled().isEmpty());  // empty clipboard

  auto* picture = new QMimeData;
  picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
  QGuiApplication::clipboard()->setMimeData(picture);
  EXPECT_TRUE(pasteEnabled().isEmpty());

  QGuiApplication::clipboard()->setText(QStringLiteral("テキスト"));
  EXPECT_EQ(pasteEnabled(), pasteItems);

  // Copied files paste as their names, so they count as text.
  auto* files = new QMimeData;
  files->setUrls({QUrl::fromLocalFile(platform::from_native(homeFile("a.txt")))});
  QGuiApplication::clipboard()->setMimeData(files);
  EXPECT_EQ(pasteEnabled(), pasteItems);

  auto* pictureWithText = new QMimeData;
  pictureWithText->setImageData(QImage(4, 4, QImage::Format_RGB32));
  pictureWithText->setText(QStringLiteral("caption"));
  QGuiApplication::clipboard()->setMimeData(pictureWithText);
  EXPECT_EQ(pasteEnabled(), pasteItems);
}

TEST_F(EditCommandsTest, RunLogItemsFollowItsTextAndItsSelectionAlone) {
  const QStringList logItems = test::Names({"N14", "N19", "N25", "N27"});
  auto logEnabled = [&] { return OpenEditMenuFor(logItems); };
  MainForm->Body->setPlainText(QStringLiteral("body"));
  MainForm->Body->selectAll();
  EXPECT_TRUE(logEnabled().isEmpty());

  MainForm->AppendLog(QStringLiteral("＊＊　接続に失敗しました。　＊＊"));
  EXPECT_EQ(logEnabled(), test::Names({"N14", "N19", "N27"}));
  MainForm->StatusMemo->selectAll();
  EXPECT_EQ(logEnabled(), logItems);
}

TEST_F(EditCommandsTest, ClipboardCommandsWorkOnTheirOwnControl) {
  MainForm->TitleEdit->setText(QStringLiteral("件名テキスト"));
  MainForm->TitleEdit->setSelection(0, 2);
  MainForm->N22->trigger();
  EXPECT_EQ(ClipboardText(), QStringLiteral("件名"));
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("件名テキスト"));

  MainForm->Body->setPlainText(QStringLiteral("本文一\n本文二"));
  SelectInBody(1, 2);
  MainForm->N21->trigger();
  EXPECT_EQ(ClipboardText(), QStringLiteral("文一"));
  EXPECT_EQ(Body(), QStringLiteral("本文一\n本文二"));

  SelectInBody(4, 3);
  MainForm->N20->trigger();
  EXPECT_EQ(ClipboardText(), QStringLiteral("本文二"));
  EXPECT_EQ(Body(), QStringLiteral("本文一\n"));

  // Paste inserts at the caret, or replaces the selection.
  MainForm->N23->trigger();
  EXPECT_EQ(Body(), QStringLiteral("本文一\n本文二"));
  SelectInBody(0, 3);
  MainForm->N23->trigger();
  EXPECT_EQ(Body(), QStringLiteral("本文二\n本文二"));
  MainForm->TitleEdit->setSelection(2, 4);
  MainForm->N6->trigger();
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("件名本文二"));
  EXPECT_EQ(ClipboardText(), QStringLiteral("本文二"));

  MainForm->N4->trigger();
  EXPECT_TRUE(MainForm->TitleEdit->text().isEmpty());
  EXPECT_EQ(Body(), QStringLiteral("本文二\n本文二"));
  MainForm->TitleEdit->setText(QStringLiteral("kept"));
  MainForm->N5->trigger();
  EXPECT_TRUE(Body().isEmpty());
  EXPECT_EQ(MainForm->TitleEdit->text(), QStringLiteral("kept"));
}

// The user selects part of the subject with the keyboard and clicks into the body: the subject
// keeps its selection, as the body keeps its own, so "表題のコピー" stays enabled and copies
// it. Moving on with Tab keeps it as well.
TEST_F(EditCommandsTest, TheSubjectKeepsItsSelectionWhenTheFocusMovesOn) {
  MainForm->activateWindow();
  QApplication::processEvents();
  ASSERT_TRUE(MainForm->isActiveWindow());
  QLineEdit& subject = *MainForm->TitleEdit;
  subject.setText(QStringLiteral("件名テキスト"));
  subject.setFocus(Qt::MouseFocusReason);
  test::PressKey(subject, Qt::Key_End);
  for (int i = 0; i < 3; ++i) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Left, Qt::ShiftModifier);
    QApplication::sendEvent(&subject, &press);
  }
  ASSERT_EQ(subject.selectedText(), QStringLiteral("キスト"));

  MainForm->Body->setPlainText(QStringLiteral("本文"));
  MainForm->Body->setFocus(Qt::MouseFocusReason);  // as a click into it gives
  ASSERT_TRUE(MainForm->Body->hasFocus());
  EXPECT_EQ(subject.selectedText(), QStringLiteral("キスト"));
  EXPECT_EQ(subject.cursorPosition(), 3) << "the caret stays where the user left it";
  EXPECT_EQ(OpenEditMenuFor(test::Names({"N22", "N21"})), test::Names({"N22"}));
  MainForm->N22->trigger();
  EXPECT_EQ(ClipboardText(), QStringLiteral("キスト"));

  // Coming back to the window (after a dialog, say) keeps it too.
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(MainForm, &activate);
  QApplication::processEvents();
  EXPECT_EQ(subject.selectedText(), QStringLiteral("キスト"));

  // Both keep their selections while the focus moves between them and on.
  SelectInBody(0, 1);
  subject.setFocus(Qt::TabFocusReason);  // Tab into a line edit selects its whole text
  subject.setSelection(0, 2);
  test::PressKey(subject, Qt::Key_Tab);
  EXPECT_FALSE(subject.hasFocus());
  EXPECT_EQ(subject.selectedText(), QStringLiteral("件名"));
  EXPECT_EQ(OpenEditMenuFor(test::Names({"N22", "N21"})), test::Names({"N22", "N21"}));
}

TEST_F(EditCommandsTest, AllClearAfterALoadKeepsWhatTheSendRunNeeds) {
  // The state as a body load, an address load and a send run leave it.
  TextLoaded = true;
  AddressLoaded = true;
  DocName = sjis("お知らせ");
  *DestList = {"a@b.jp", "c@d.jp"};
  MainForm->FLogDirty = true;
  MainForm->TitleEdit->setText(QStringLiteral("お知らせ"));
  MainForm->Body->setPlainText(QStringLiteral("本文"));
  MainForm->AppendLog(QStringLiteral("送信完了"));
  MainForm->SetStatusPanel(0, QStringLiteral("2"));
  MainForm->SetStatusPanel(1, QStringLiteral("送信完了"));
  QGuiApplication::clipboard()->setText(QStringLiteral("x"));

  MainForm->TitleEdit->selectAll();
  MainForm->Body->selectAll();
  for (QAction* item : {MainForm->N22, MainForm->N21, MainForm->N6, MainForm->N23, MainForm->N20,
                        MainForm->N4, MainForm->N5, MainForm->N2, MainForm->N18, MainForm->N8})
    item->trigger();
  EXPECT_TRUE(MainForm->TitleEdit->text().isEmpty());
  EXPECT_TRUE(Body().isEmpty());
  EXPECT_TRUE(TextLoaded);
  EXPECT_TRUE(AddressLoaded);
  EXPECT_EQ(DocName, sjis("お知らせ"));
  EXPECT_EQ(*DestList, (TStringList{"a@b.jp", "c@d.jp"}));
  EXPECT_TRUE(MainForm->FLogDirty);
  EXPECT_EQ(MainForm->StatusMemo->toPlainText(), QStringLiteral("送信完了\n"));
  EXPECT_EQ(MainForm->StatusPanel(0)->text(), QStringLiteral("2"));
  EXPECT_EQ(MainForm->StatusPanel(1)->text(), QStringLiteral("送信完了"));
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(EditCommandsTest, FontSizesChangeTheBodyAlone) {
  const QFont title = MainForm->TitleEdit->font();
  const QFont log = MainForm->StatusMemo->font();
  const QFont window = MainForm->font();
  const QString family = MainForm->Body->font().family();
  EXPECT_EQ(MainForm->Body->font().pointSize(), 9);

  const std::pair<QAction*, int> sizes[] = {{MainForm->N2, 13},  {MainForm->N15, 12},
                                            {MainForm->N16, 11}, {MainForm->N17, 10},
                                            {MainForm->N18, 9},  {MainForm->N2, 13}};
  for (const auto& [item, points] : sizes) {
    item->trigger();
    EXPECT_EQ(MainForm->Body->font().pointSize(), points) << item->text().toStdString();
    EXPECT_EQ(MainForm->Body->font().family(), family);
    EXPECT_FALSE(item->isCheckable());
  }
  EXPECT_EQ(MainForm->TitleEdit->font(), title);
  EXPECT_EQ(MainForm->StatusMemo->font(), log);
  EXPECT_EQ(MainForm->font(), window);

  // A larger size wraps the same text into more display lines.
  MainForm->Body->setPlainText(QStringLiteral("あいうえお").repeated(80));
  const int linesAt13 = platform::DisplayLines(*MainForm->Body).size();
  MainForm->N18->trigger();
  EXPECT_LT(platform::DisplayLines(*MainForm->Body).size(), linesAt13);

  // Clearing keeps the size; a new start is at 9 points again.
  MainForm->N2->trigger();
  MainForm->N8->trigger();
  EXPECT_EQ(MainForm->Body->font().pointSize(), 13);
  DestroyForms();
  CreateForms();
  EXPECT_EQ(MainForm->Body->font().pointSize(), 9);
}

TEST_F(EditCommandsTest, HelpOpensTheHelpFileOrElseTheHelpPageAndReportsNothing) {
  MainForm->SetStatusPanel(1, QStringLiteral("文章を設定しました。"));
  MainForm->AppendLog(QStringLiteral("line"));
  const std::string helpFile = programDir() + "/Quillpost2.chm";
  const QString page =
      QUrl::fromLocalFile(from_native(programDir() + "/help/index.html")).toString();
  EXPECT_EQ(platform::HelpPageUrl(), page);

  MainForm->N9->trigger();  // no help file
  std::filesystem::create_directory(helpFile);
  MainForm->N9->trigger();  // a folder of that name is no help file
  std::filesystem::remove(helpFile);
  test::WriteFileBytes(helpFile, "ITSF");
  MainForm->N9->trigger();
  EXPECT_EQ(ui_.shellOpens, QStringList({page, page, from_native(helpFile)}));

  EXPECT_TRUE(MainForm->StatusPanel(0)->text().isEmpty());
  EXPECT_EQ(MainForm->StatusPanel(1)->text(), QStringLiteral("文章を設定しました。"));
  EXPECT_EQ(MainForm->StatusMemo->toPlainText(), QStringLiteral("line\n"));
  EXPECT_TRUE(ui_.errors.isEmpty());
}

}  // namespace
}  // namespace quill
