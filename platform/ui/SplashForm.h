#pragma once
// The splash windows of both programs: the bundled picture with a few labels over it, on a
// window without a frame, centred on the screen, that closes itself 3000 ms after it was
// shown.

#include <QColor>
#include <QLabel>
#include <QSize>
#include <QTimer>
#include <initializer_list>

#include "platform/ui/Form.h"

namespace quill::platform {

/// The look of one label over the splash picture; its text and place come from the layout.
struct SplashLabel {
  QLabel* label;
  int pixelHeight;
  QColor colour;
  bool bold = false;
  bool italic = false;
};

/// A splash window. Its modal display ends by itself with the result 2: Timer1 (3000 ms,
/// stopped until the window is shown) closes it, and nothing else does: a close request of
/// the window manager (Alt+F4) is refused.
class TSplashForm : public TDialogForm {
 public:
  QTimer* Timer1;

  // Handlers.
  void FormCreate();   ///< stops Timer1
  void Timer1Timer();  ///< stops Timer1 and closes the splash

 protected:
  explicit TSplashForm(QWidget* parent);

  /// Finishes the layout that the derived form has set up: the picture into `image` at the
  /// top left, unscaled (a client area smaller than the picture cuts it off), the fixed
  /// client size, the labels' fonts and colours (each label sized to its text), the place
  /// in the middle of the screen; then runs FormCreate.
  void SetUpSplash(QLabel* image, QSize client, std::initializer_list<SplashLabel> labels);

  void FormShow() override;  ///< starts Timer1
  void closeEvent(QCloseEvent* event) override;

 private:
  bool closingByTimer_ = false;
};

/// The splash picture stored with the programs, decoded (500 x 375). Raises quill::Error
/// when it cannot be read or decoded.
QImage SplashPicture();

}  // namespace quill::platform
