#include "platform/ui/OwnerCentring.h"

#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace quill::platform {
namespace {

// The window's frame as the platform knows it; the widget's own idea of its frame can lag
// behind after the window has been hidden and shown again.
QRect FrameOf(const QWidget& window) {
  if (const QWindow* handle = window.windowHandle()) return handle->frameGeometry();
  return window.frameGeometry();
}

QMargins FrameMargins(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle ? handle->frameMargins() : QMargins();
}

}  // namespace

QPoint CentredFramePosition(const QWidget& owner, QSize frameSize) {
  QRect place(QPoint(), frameSize);
  place.moveCenter(FrameOf(*owner.window()).center());
  const QScreen* screen = owner.screen();
  if (!screen) return place.topLeft();
  const QRect area = screen->availableGeometry();
  place.moveRight(std::min(place.right(), area.right()));
  place.moveBottom(std::min(place.bottom(), area.bottom()));
  place.moveLeft(std::max(place.left(), area.left()));
  place.moveTop(std::max(place.top(), area.top()));
  return place.topLeft();
}

QMargins OwnerCentring::Frame() const {
  if (dialog_.windowFlags() & Qt::FramelessWindowHint) return QMargins();
  if (frame_) return *frame_;
  // Not framed yet: a dialog gets the title bar and borders of the owner's window, or near.
  return FrameMargins(*dialog_.parentWidget()->window());
}

QPoint OwnerCentring::Wanted(QMargins frame) const {
  return CentredFramePosition(*dialog_.parentWidget(), dialog_.size().grownBy(frame));
}

void OwnerCentring::Place() {
  if (!dialog_.parentWidget()) return;
  dialog_.move(Wanted(Frame()));  // a top-level window's position is that of its frame
  checkPending_ = true;
}

void OwnerCentring::Painted() {
  if (!checkPending_) return;
  checkPending_ = false;
  const QWindow* handle = dialog_.windowHandle();
  if (!handle || !dialog_.parentWidget()) return;
  const QMargins frame = handle->frameMargins();
  if (frame.isNull()) return;  // no frame at all: the place stands
  frame_ = frame;
  const QPoint wanted = Wanted(frame);
  if (handle->framePosition() != wanted) dialog_.move(wanted);
}

}  // namespace quill::platform
