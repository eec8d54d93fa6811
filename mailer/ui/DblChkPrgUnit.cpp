#include "mailer/ui/DblChkPrgUnit.h"

#include "platform/ui/DialogParts.h"

namespace quill {

TDblChkPrgForm::TDblChkPrgForm(QWidget* parent)
    : TDialogForm(parent, platform::DialogFrame(false)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  setFixedSize(389, 106);
  KeepCentredOnOwner();
}

}  // namespace quill
