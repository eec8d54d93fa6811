#include "mailer/ui/WaitUnit.h"

#include <QCloseEvent>
#include <algorithm>

namespace quill {

TWaitForm::TWaitForm(QWidget* parent)
    : TDialogForm(parent, Qt::Dialog | Qt::FramelessWindowHint), Timer1(new QTimer(this)) {
  setupUi(this);
  setFont(platform::FormFont(12));
  setFixedSize(sizeHint().expandedTo(QSize(260, 60)));
  KeepCentredOnOwner();
  Timer1->setObjectName(QStringLiteral("Timer1"));
  // A coarse timer may fire up to 5 % early; the wait lasts at least its seconds.
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, platform::Handler(this, &TWaitForm::Timer1Timer));
  platform::RunHandler(this, [this] { FormCreate(); });
}

void TWaitForm::FormCreate() {
  Timer1->stop();
  FWaitSeconds = 1;
}

void TWaitForm::FormShow() {
  // A wait below zero ends at once; QTimer takes at most INT_MAX milliseconds.
  const qint64 ms = std::clamp<qint64>(qint64{FWaitSeconds} * 1000, 0, INT_MAX);
  Timer1->setInterval(static_cast<int>(ms));
  Timer1->start();
}

void TWaitForm::Timer1Timer() {
  Timer1->stop();
  done(2);
}

// The user cannot end the wait: a close request from the window manager (Alt+F4) is refused.
void TWaitForm::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace quill
