#include "mailer/ui/AtachUnit.h"

#include <filesystem>
#include <system_error>

#include "platform/ui/DialogParts.h"
#include "platform/ui/SjisText.h"

namespace quill {

using platform::Handler;

namespace {

// The shortest path the list takes, counted in Shift_JIS bytes ("a.cc" or two double-byte
// characters).
constexpr std::size_t kShortestPath = 4;

}  // namespace

TAtachForm::TAtachForm(QWidget* parent) : TDialogForm(parent, platform::DialogFrame(true)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  // Long paths can be scrolled into view sideways.
  ListBox1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  platform::SetModalResult(Button3, this, 1);
  connect(RefBtn, &QPushButton::clicked, this, Handler(this, &TAtachForm::RefBtnClick));
  connect(AddBtn, &QPushButton::clicked, this, Handler(this, &TAtachForm::AddBtnClick));
  connect(DeleteBtn, &QPushButton::clicked, this, Handler(this, &TAtachForm::DeleteBtnClick));
  connect(ClearBtn, &QPushButton::clicked, this, Handler(this, &TAtachForm::ClearBtnClick));
  setFixedSize(458, 244);
  KeepCentredOnOwner();
  platform::RunHandler(this, [this] { FormCreate(); });
}

void TAtachForm::FormCreate() { ListBox1->clear(); }

void TAtachForm::RefBtnClick() {
  if (OpenDialog1.Execute(this))
    LabeledEdit1->setText(OpenDialog1.FileName);
  else
    LabeledEdit1->clear();
}

void TAtachForm::AddBtnClick() {
  const QString path = LabeledEdit1->text();
  if (platform::to_sjis(path).size() < kShortestPath) return;
  // A folder, or anything that is no regular file, counts as missing: the send run could
  // not attach it.
  std::error_code error;
  if (!std::filesystem::is_regular_file(platform::to_native(path), error)) return;
  ListBox1->addItem(path);
}

void TAtachForm::DeleteBtnClick() {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  if (selected.isEmpty()) return;
  delete selected.first();
  // As after any deletion, no item stays selected: a second click removes nothing more.
  ListBox1->clearSelection();
  ListBox1->setCurrentRow(-1);
}

void TAtachForm::ClearBtnClick() { ListBox1->clear(); }

}  // namespace quill
