#include "dedup/ui/infoUnit.h"

#include <QFontMetrics>
#include <QMouseEvent>

#include "platform/ui/DialogParts.h"
#include "platform/ui/HelpPage.h"
#include "platform/ui/UiServices.h"

namespace vivove {
namespace {

void SetLabelFont(QLabel* label, int pixelHeight, bool boldItalic) {
  QFont font = quill::platform::FormFont(pixelHeight);
  font.setBold(boldItalic);
  font.setItalic(boldItalic);
  label->setFont(font);
}

}  // namespace

TinfoForm::TinfoForm(QWidget* parent) : TDialogForm(parent, quill::platform::DialogFrame(true)) {
  setupUi(this);
  setFont(quill::platform::FormFont(12));
  setFixedSize(402, 177);
  KeepCentredOnOwner();
  SetLabelFont(Label3, 24, true);
  SetLabelFont(Label4, 12, false);
  SetLabelFont(Label1, 35, true);
  SetLabelFont(Label5, 16, true);
  SetLabelFont(Label6, 16, false);

  // The page's address is a file URL that depends on where the program lives: a long one is
  // shortened in the middle, and the whole address is the label's hint.
  const QString address = quill::platform::HelpPageUrl();
  Label6->setText(
      QFontMetrics(Label6->font()).elidedText(address, Qt::ElideMiddle, Label6->width()));
  Label6->setToolTip(address);
  Label6->setCursor(Qt::PointingHandCursor);
  Label6->installEventFilter(this);
}

bool TinfoForm::eventFilter(QObject* watched, QEvent* event) {
  // A click is a left button released over the label that it was pressed on.
  if (watched == Label6 && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && Label6->rect().contains(mouse->position().toPoint()))
      quill::platform::RunHandler(this, [this] { Label6Click(); });
  }
  return TDialogForm::eventFilter(watched, event);
}

void TinfoForm::Label6Click() {
  quill::platform::Ui().ShellOpen(this, quill::platform::HelpPageUrl());
}

}  // namespace vivove
