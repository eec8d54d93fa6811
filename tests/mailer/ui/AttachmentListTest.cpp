#include <gtest/gtest.h>

#include <QAction>
#include <filesystem>

#include "mailer/ui/AtachUnit.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/ui/SjisText.h"
#include "support/ui/FormTest.h"

namespace quill {
namespace {

using platform::from_native;

class AttachmentListTest : public test::FormTest {
 protected:
  // Relative paths are typed as well: they name files of the current folder, which is the
  // home folder of the test here.
  void SetUp() override {
    oldDir_ = std::filesystem::current_path();
    std::filesystem::current_path(home_.path());
    CreateForms();
  }
  void TearDown() override {
    DestroyForms();
    std::filesystem::current_path(oldDir_);
  }

  /// Types `path` into the edit and presses "追加".
  void Add(const QString& path) {
    AtachForm->LabeledEdit1->setText(path);
    AtachForm->AddBtn->click();
  }
  QStringList Items() const {
    QStringList items;
    for (int i = 0; i < AtachForm->ListBox1->count(); ++i)
      items << AtachForm->ListBox1->item(i)->text();
    return items;
  }

  std::filesystem::path oldDir_;
};

TEST_F(AttachmentListTest, AddTakesExistingFilesOfAtLeastFourShiftJisBytes) {
  for (const char* name : {"abc", "日a", "日本", "a.cc", "file.pdf"})
    test::WriteFileBytes(homeFile(name), "x");
  std::filesystem::create_directory(homeFile("folder"));
  const QString full = from_native(homeFile("file.pdf"));
  Add(QStringLiteral("abc"));     // 3 bytes
  Add(QStringLiteral("日a"));     // 3 bytes, though only two characters
  Add(QString());                 // empty
  Add(QStringLiteral("folder"));  // a folder counts as missing
  Add(QStringLiteral("nofile.txt"));
  EXPECT_TRUE(Items().isEmpty());
  Add(QStringLiteral("日本"));  // two double-byte characters make 4 bytes
  Add(QStringLiteral("a.cc"));
  Add(full);
  Add(full);  // the same path twice is listed twice, in the order added, as typed
  EXPECT_EQ(Items(), QStringList({QStringLiteral("日本"), QStringLiteral("a.cc"), full, full}));
  EXPECT_EQ(AtachForm->LabeledEdit1->text(), full);  // the edit keeps its text
  EXPECT_TRUE(ui_.errors.isEmpty());
}

TEST_F(AttachmentListTest, ReferenceFillsTheEditOrEmptiesItWhenCancelled) {
  const QString chosen = from_native(homeFile("report.pdf"));
  ui_.AnswerFile(chosen);
  AtachForm->RefBtn->click();
  EXPECT_EQ(AtachForm->LabeledEdit1->text(), chosen);
  EXPECT_EQ(ui_.dialogFilters, QStringList({QString()}));
  ui_.AnswerFile(std::nullopt);
  AtachForm->RefBtn->click();
  EXPECT_TRUE(AtachForm->LabeledEdit1->text().isEmpty());
  EXPECT_TRUE(Items().isEmpty());  // choosing alone adds nothing
}

TEST_F(AttachmentListTest, DeleteRemovesTheSelectedItemOnlyAndClearEmptiesTheList) {
  for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
    test::WriteFileBytes(homeFile(name), "x");
    Add(QString::fromUtf8(name));
  }
  AtachForm->DeleteBtn->click();  // nothing selected
  EXPECT_EQ(Items().size(), 3);
  AtachForm->ListBox1->setCurrentRow(1);
  AtachForm->DeleteBtn->click();
  EXPECT_EQ(Items(), QStringList({QStringLiteral("one.txt"), QStringLiteral("three.txt")}));
  AtachForm->DeleteBtn->click();  // the deletion left nothing selected
  EXPECT_EQ(Items().size(), 2);
  AtachForm->ClearBtn->click();
  EXPECT_TRUE(Items().isEmpty());
}

TEST_F(AttachmentListTest, TheMenuItemShowsTheDialogAndTheListOutlivesIt) {
  test::WriteFileBytes(homeFile("keep.txt"), "x");
  ui_.AnswerModal([this](QDialog&) {
    Add(QStringLiteral("keep.txt"));
    AtachForm->Button3->click();
    return -1;
  });
  ui_.AnswerModal([this](QDialog&) {
    EXPECT_EQ(Items(), QStringList({QStringLiteral("keep.txt")}));
    Add(QStringLiteral("keep.txt"));
    AtachForm->LabeledEdit1->setText(QStringLiteral("typed"));
    AtachForm->close();  // the close box keeps every change too
    return -1;
  });
  MainForm->N24->trigger();
  MainForm->N24->trigger();
  EXPECT_EQ(ui_.modalForms,
            QStringList({QStringLiteral("AtachForm"), QStringLiteral("AtachForm")}));
  EXPECT_EQ(Items(), QStringList({QStringLiteral("keep.txt"), QStringLiteral("keep.txt")}));
  EXPECT_EQ(AtachForm->LabeledEdit1->text(), QStringLiteral("typed"));
  EXPECT_TRUE(ui_.AllAnswersUsed());
}

}  // namespace
}  // namespace quill
