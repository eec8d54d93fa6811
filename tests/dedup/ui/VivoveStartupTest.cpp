// Vivove's start-up, main window, help and about box.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

#include "dedup/ui/Forms.h"
#include "dedup/ui/GreetUnit.h"
#include "dedup/ui/MainUnit.h"
#include "dedup/ui/ParamUnit.h"
#include "dedup/ui/infoUnit.h"
#include "platform/ui/Form.h"
#include "platform/ui/HelpPage.h"
#include "platform/ui/SjisText.h"
#include "support/ui/FormTest.h"

namespace vivove {
namespace {

using quill::platform::from_native;

class VivoveStartupTest : public quill::test::FormTest {
 protected:
  void SetUp() override { quill::platform::InstallFontSubstitutes(); }
  void TearDown() override { DestroyForms(); }
};

TEST_F(VivoveStartupTest, FormsAreCreatedOnceInOrderAndTheSplashStaysHidden) {
  QStringList order;
  CreateForms([&](const QString& name) {
    order << name;
    // The main window's create handler has run when the next form is made.
    if (name == QStringLiteral("ParamForm")) {
      EXPECT_TRUE(SourceList && AddressList);
    }
  });
  EXPECT_EQ(order, quill::test::Names({"MainForm", "ParamForm", "greetForm", "infoForm"}));
  ASSERT_TRUE(MainForm && ParamForm && greetForm && infoForm);
  EXPECT_FALSE(MainForm->isVisible());
  EXPECT_FALSE(greetForm->Timer1->isActive());

  QPointer<QDialog> splash(greetForm);
  bool mainVisibleDuringSplash = true;
  ui_.AnswerModal([&](QDialog&) {
    mainVisibleDuringSplash = MainForm->isVisible();
    return 2;
  });
  ShowSplash();
  EXPECT_EQ(ui_.modalForms, quill::test::Names({"greetForm"}));
  EXPECT_FALSE(mainVisibleDuringSplash);
  // Kept, hidden, until the program ends.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(splash.isNull());
  EXPECT_EQ(greetForm, splash.data());
  EXPECT_FALSE(greetForm->isVisible());
}

TEST_F(VivoveStartupTest, TheMainWindow) {
  CreateForms();
  TMainForm& form = *MainForm;
  form.show();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillpost2 Utility Vivove"));
  EXPECT_EQ(form.frameGeometry(), QRect(269, 308, 696, 480));
  EXPECT_NE(form.minimumSize(), form.maximumSize());  // resizable
  EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
  EXPECT_FALSE(form.Memo1->isReadOnly());
  EXPECT_EQ(form.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(form.StatusText().isEmpty());

  // The menu bar, with no keyboard shortcuts anywhere.
  QStringList menus;
  for (QAction* menu : form.MainMenu1->actions()) {
    menus << menu->text() + QStringLiteral(":");
    for (QAction* item : menu->menu()->actions()) {
      menus << (item->isSeparator() ? QStringLiteral("-") : item->text());
      EXPECT_TRUE(item->shortcut().isEmpty());
    }
  }
  EXPECT_EQ(menus,
            QStringList({QStringLiteral("ファイル:"), QStringLiteral("開く"),
                         QStringLiteral("重複アドレス削除"), QStringLiteral("保存"),
                         QStringLiteral("-"), QStringLiteral("終了"), QStringLiteral("ヘルプ:"),
                         QStringLiteral("トピックス"), QStringLiteral("製品情報")}));
  for (QAction* menu : form.MainMenu1->actions())
    EXPECT_FALSE(menu->text().contains(QLatin1Char('&')));

  // 終了 closes the window; the close handler frees the lists.
  form.Exit1->trigger();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(SourceList);
  EXPECT_FALSE(AddressList);
}

TEST_F(VivoveStartupTest, HelpOpensUtilityChmOrElseTheWebPage) {
  CreateForms();
  MainForm->N3->trigger();  // missing
  const std::string chm = programDir() + "/Utility.chm";
  std::filesystem::create_directory(chm);
  MainForm->N3->trigger();  // a directory of that name counts as missing
  std::filesystem::remove(chm);
  quill::test::WriteFileBytes(chm, "help");
  MainForm->N3->trigger();
  EXPECT_EQ(ui_.shellOpens, QStringList({quill::platform::HelpPageUrl(),
                                         quill::platform::HelpPageUrl(), from_native(chm)}));
  EXPECT_TRUE(ui_.shellOpens[0].startsWith(QStringLiteral("file://")));
  EXPECT_TRUE(ui_.shellOpens[0].endsWith(QStringLiteral("/help/index.html")));
}

TEST_F(VivoveStartupTest, TheAboutBoxStaysOpenWhenItsAddressIsClicked) {
  CreateForms();
  TinfoForm& box = *infoForm;
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Information"));
  EXPECT_EQ(box.size(), QSize(402, 177));
  EXPECT_TRUE(box.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(box.findChildren<QAbstractButton*>().isEmpty());
  const struct {
    QLabel* label;
    const char* text;
    int pixelHeight;
    bool boldItalic;
  } labels[] = {
      {box.Label3, "Quillpost2 Utility ", 24, true},
      {box.Label4, "2007.6 Ｒｅｌｅａｓｅ", 12, false},
      {box.Label1, "Vivove", 35, true},
      {box.Label5, nullptr, 16, true},
      {box.Label6, nullptr, 16, false},
  };
  for (const auto& row : labels) {
    SCOPED_TRACE(row.label->objectName().toStdString());
    if (row.text) {
      EXPECT_EQ(row.label->text(), QString::fromUtf8(row.text));
    }
    EXPECT_FALSE(row.label->text().isEmpty());
    EXPECT_EQ(row.label->font().pixelSize(), row.pixelHeight);
    EXPECT_EQ(row.label->font().bold(), row.boldItalic);
    EXPECT_EQ(row.label->font().italic(), row.boldItalic);
  }
  EXPECT_EQ(box.Label6->toolTip(), quill::platform::HelpPageUrl());
  EXPECT_EQ(box.Label6->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(box.Bevel1->width(), 402);
  EXPECT_EQ(quill::test::CutOffTexts(box), QStringList());

  MainForm->show();
  for (int showing = 0; showing < 2; ++showing) {
    ui_.AnswerModal([&](QDialog& shown) {
      EXPECT_EQ(&shown, &box);
      const QPointF inside(4, 4);
      QMouseEvent press(QEvent::MouseButtonPress, inside, inside, Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
      QMouseEvent release(QEvent::MouseButtonRelease, inside, inside, Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QCoreApplication::sendEvent(box.Label6, &press);
      QCoreApplication::sendEvent(box.Label6, &release);
      EXPECT_TRUE(shown.isVisible());
      EXPECT_EQ(shown.result(), 0);
      return 2;
    });
    MainForm->N4->trigger();
  }
  EXPECT_EQ(ui_.shellOpens,
            QStringList({quill::platform::HelpPageUrl(), quill::platform::HelpPageUrl()}));
  EXPECT_EQ(ui_.modalForms, quill::test::Names({"infoForm", "infoForm"}));
}

}  // namespace
}  // namespace vivove
