#pragma once
// Keeps a dialog in the middle of its owner's window at every showing.

#include <QMargins>
#include <QPoint>
#include <QSize>
#include <optional>

class QWidget;

namespace quill::platform {

/// Where a window frame of `frameSize` goes so that it stands in the middle of the frame of
/// `owner`'s window, shifted as little as needed to lie within the working area of the owner's
/// screen (a modal dialog out of reach would leave the program stuck).
QPoint CentredFramePosition(const QWidget& owner, QSize frameSize);

/// Places a dialog in the middle of its owner's window (its parent's window) at every showing.
/// Qt centres a dialog by itself only on its first showing, and then with a guessed frame, and
/// later showings keep the first place even after the owner has moved. The window manager
/// frames a window only once it is mapped: until the dialog's own frame is known, the frame of
/// the owner's window stands in for it, and the first paint of each showing, when the frame is
/// known, moves the dialog again if it is not where it belongs.
class OwnerCentring {
 public:
  explicit OwnerCentring(QWidget& dialog) : dialog_(dialog) {}

  /// At every showing, before the window is mapped.
  void Place();
  /// At every paint of the dialog.
  void Painted();

 private:
  QMargins Frame() const;
  QPoint Wanted(QMargins frame) const;

  QWidget& dialog_;
  std::optional<QMargins> frame_;  // the dialog's own frame, once a window manager gave it one
  bool checkPending_ = false;      // the first paint of this showing is still to come
};

}  // namespace quill::platform
