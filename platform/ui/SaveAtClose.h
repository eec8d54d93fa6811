#pragma once
// A save that closing a window runs, which may keep the window open once but never for good.

#include <functional>

class QWidget;

namespace quill::platform {

/// The first failure of the save passes on, so that the close handler fails and the window
/// stays open: the user may make room and close again. When it fails again the next time it
/// runs, the failure is shown in the standard error box and the close goes on without the
/// save, so a file that cannot be written never keeps a window from closing. After that, after
/// a save that succeeds and after Rearm(), the next failure keeps the window open again.
class SaveAtClose {
 public:
  /// Runs `save`. Throws its failure when this is the first one in a row; otherwise shows it
  /// over `owner` and returns normally.
  void Run(QWidget* owner, const std::function<void()>& save);
  /// Makes the next failure keep the window open again.
  void Rearm() { refused_ = false; }

 private:
  bool refused_ = false;  ///< the last attempt failed and kept the window open
};

}  // namespace quill::platform
