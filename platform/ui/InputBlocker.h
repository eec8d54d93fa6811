#pragma once
// Keeps the user's input away from a window while a long command lets window messages
// through: clicks, keys and closing are swallowed, painting goes on.

#include <QObject>
#include <QPointer>

class QWidget;

namespace quill::platform {

class InputBlocker : public QObject {
 public:
  /// Blocks input to `window` and every widget inside it until destroyed.
  explicit InputBlocker(QWidget* window);
  ~InputBlocker() override;
  InputBlocker(const InputBlocker&) = delete;
  InputBlocker& operator=(const InputBlocker&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
};

}  // namespace quill::platform
