#include "dedup/ui/ParamUnit.h"

#include <new>

#include "dedup/ui/MainUnit.h"
#include "platform/ui/DialogParts.h"

namespace vivove {

TParamForm::TParamForm(QWidget* parent) : TDialogForm(parent, quill::platform::DialogFrame(true)) {
  setupUi(this);
  setFont(quill::platform::FormFont(12));
  setFixedSize(384, 126);
  KeepCentredOnOwner();
  // The start button marks first and then ends the dialog, even when the marking failed.
  connect(Button1, &QPushButton::clicked, this, [this] {
    quill::platform::RunHandler(this, [this] { Button1Click(); });
    done(1);
  });
  quill::platform::SetModalResult(Button2, this, 2);
}

void TParamForm::Button1Click() {
  OutOfMemory = false;
  ProgressBar1->setValue(0);
  if (FlagCount <= 0) return;
  try {
    // The bar repaints itself at every new position; no other window message is handled.
    MarkLaterCopies(*SourceList, DeleteFlags,
                    [this](int position) { ProgressBar1->setValue(position); });
  } catch (const std::bad_alloc&) {
    OutOfMemory = true;
  }
}

}  // namespace vivove
