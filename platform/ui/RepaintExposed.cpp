#include "platform/ui/RepaintExposed.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace quill::platform {
namespace {

// Notes the first expose event of a window; the window paints it as it handles it.
class ExposeWatcher : public QObject {
 public:
  explicit ExposeWatcher(QWindow* window) : window_(window) { window_->installEventFilter(this); }
  ~ExposeWatcher() override { window_->removeEventFilter(this); }
  bool exposed = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Expose) exposed = true;
    return false;
  }

 private:
  QWindow* window_;
};

}  // namespace

void RepaintExposed(QWidget& window, std::chrono::milliseconds wait) {
  window.repaint();
  // Only on X11 does the uncovered part come later, with its expose event: other platforms
  // keep the window's picture, and there is no window manager without a screen.
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return;
  QWindow* handle = window.windowHandle();
  if (!handle || !window.isVisible()) return;
  const ExposeWatcher watcher(handle);
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (watcher.exposed || timer.elapsed() >= wait.count()) return;
    QThread::msleep(1);
  }
}

}  // namespace quill::platform
