#include "settings/ui/StatusDispUnit.h"

#include <QAbstractButton>
#include <algorithm>

#include "platform/ui/DialogParts.h"

namespace quill {

TStatusDisp::TStatusDisp(QWidget* parent)
    : TDialogForm(parent, platform::DialogFrame(false)), items_(new QButtonGroup(this)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  items_->addButton(RadioItem0, 0);
  items_->addButton(RadioItem1, 1);
  items_->addButton(RadioItem2, 2);
  platform::SetModalResult(Button1, this, 1);
  setFixedSize(sizeHint());
  KeepCentredOnOwner();
}

int TStatusDisp::ItemIndex() const { return items_->checkedId(); }

void TStatusDisp::SetItemIndex(int index) {
  index = std::clamp(index, -1, 2);
  if (index >= 0) {
    items_->button(index)->setChecked(true);
    return;
  }
  // An exclusive group never lets its last checked button go.
  items_->setExclusive(false);
  for (QAbstractButton* item : items_->buttons()) item->setChecked(false);
  items_->setExclusive(true);
}

}  // namespace quill
