#include "mailer/ui/AtachUnit.h"

#include "platform/ui/DialogParts.h"

namespace quill {

TAtachForm::TAtachForm(QWidget* parent) : TDialogForm(parent, platform::DialogFrame(true)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  // Long paths can be scrolled into view sideways.
  ListBox1->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  platform::SetModalResult(Button3, this, 1);
  setFixedSize(458, 244);
  platform::RunHandler(this, [this] { FormCreate(); });
}

void TAtachForm::FormCreate() { ListBox1->clear(); }

}  // namespace quill
