#pragma once
// Counts the paint events that one widget receives while the counter lives.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace quill::test {

class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget& widget) : widget_(&widget) { widget.installEventFilter(this); }
  ~PaintCounter() override {
    if (widget_) widget_->removeEventFilter(this);
  }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }

 private:
  QPointer<QWidget> widget_;
};

}  // namespace quill::test
