// The framework's own dialogs as the programs show them: in Japanese on any locale, and the
// file dialogs large enough for their columns. Runs the real Qt services, answering each
// dialog from a timer while it is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <functional>

#include "platform/ui/JapaneseQtTexts.h"
#include "platform/ui/UiServices.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/ui/FormChecks.h"

namespace quill {
namespace {

class QtDialogsTest : public testing::Test {
 protected:
  // Qt's file dialog keeps its own settings under the user's configuration folder.
  QtDialogsTest()
      : config_("XDG_CONFIG_HOME", dir_.path().string()),
        home_("HOME", dir_.path().string()),
        locale_("LC_ALL", "C") {}

  void SetUp() override { ASSERT_TRUE(platform::InstallJapaneseQtTexts()); }

  // Runs `inspect` on the modal dialog of type T once it is shown; it must close the dialog.
  template <class T>
  static void WhenShown(std::function<void(T&)> inspect) {
    QTimer::singleShot(0, [inspect] {
      auto* shown = qobject_cast<T*>(QApplication::activeModalWidget());
      ASSERT_NE(shown, nullptr);
      inspect(*shown);
    });
  }

  test::TempDir dir_;
  test::ScopedEnv config_;
  test::ScopedEnv home_;
  test::ScopedEnv locale_;
};

QStringList Texts(const QWidget& parent) {
  QStringList texts;
  for (const QLabel* label : parent.findChildren<QLabel*>()) texts << label->text();
  for (const QPushButton* button : parent.findChildren<QPushButton*>()) texts << button->text();
  return texts;
}

TEST_F(QtDialogsTest, TheTranslationIsInstalledOnce) {
  EXPECT_TRUE(platform::InstallJapaneseQtTexts());
  QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
  EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
}

// The Yes/No box shows its buttons in Japanese; Return on the focused "いいえ" answers No.
TEST_F(QtDialogsTest, YesNoBox) {
  QStringList texts;
  WhenShown<QMessageBox>([&texts](QMessageBox& box) {
    texts = Texts(box);
    QAbstractButton* no = box.button(QMessageBox::No);
    no->setFocus();
    test::PressKey(*no, Qt::Key_Return);
  });
  EXPECT_EQ(platform::Ui().AskYesNo(nullptr, QStringLiteral("削除しますか？")),
            platform::MessageAnswer::No);
  EXPECT_TRUE(texts.contains(QStringLiteral("削除しますか？")));
  EXPECT_TRUE(texts.contains(QStringLiteral("はい(&Y)")));
  EXPECT_TRUE(texts.contains(QStringLiteral("いいえ(&N)")));
}

// The open dialog: Qt's own, labels and buttons in Japanese, and every column of the detail
// view as wide as its contents without leaving the view.
TEST_F(QtDialogsTest, FileDialog) {
  test::WriteFileBytes(dir_.file("a rather long name of a body text for the december news.txt"),
                       "body\r\n");
  QStringList texts;
  QSize size;
  bool nativeDialog = true;
  std::vector<int> widths, needed;
  int viewWidth = 0;
  WhenShown<QFileDialog>([&](QFileDialog& box) {
    texts = Texts(box);
    size = box.size();
    nativeDialog = !box.testOption(QFileDialog::DontUseNativeDialog);
    auto* details = box.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(details, nullptr);
    // The folder is read in the background: wait for the file to be listed.
    QElapsedTimer clock;
    clock.start();
    while (details->model()->rowCount(details->rootIndex()) == 0 && clock.elapsed() < 5000)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents();
    const QHeaderView* header = details->header();
    for (int column = 0; column < header->count(); ++column) {
      widths.push_back(header->sectionSize(column));
      // The view's own hint is protected in the tree view and public in its base.
      const QAbstractItemView* view = details;
      needed.push_back(std::max(view->sizeHintForColumn(column), header->sectionSizeHint(column)));
    }
    viewWidth = details->viewport()->width();
    box.reject();
  });
  platform::TFileDialog dialog(platform::TFileDialog::Kind::Open);
  dialog.Filter = QStringLiteral("テキスト|*.txt;|全てのファイル|*.*;");
  dialog.FileName = QString::fromStdString(dir_.file("x.txt"));
  EXPECT_FALSE(dialog.Execute(nullptr));

  EXPECT_FALSE(nativeDialog);
  EXPECT_TRUE(texts.contains(QStringLiteral("ファイル名(&N):")))
      << texts.join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("ファイルの種類:")));
  EXPECT_TRUE(texts.contains(QStringLiteral("開く(&O)")));
  EXPECT_TRUE(texts.contains(QStringLiteral("キャンセル")));
  EXPECT_GE(size.width(), 800);
  EXPECT_GE(size.height(), 500);
  ASSERT_EQ(widths.size(), 4u);  // name, size, type, date
  int total = 0;
  for (size_t column = 1; column < widths.size(); ++column) {
    SCOPED_TRACE(column);
    EXPECT_GE(widths[column], needed[column]);
    total += widths[column];
  }
  total += widths[0];
  EXPECT_LE(total, viewWidth);
}

}  // namespace
}  // namespace quill
