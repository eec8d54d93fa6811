#include "platform/ui/FollowMemoEnd.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <memory>

namespace quill::platform {

void FollowMemoEnd(QPlainTextEdit& memo) {
  QScrollBar* bar = memo.verticalScrollBar();
  struct State {
    // Whether the view showed the end before the text grew: once the range has grown, the
    // value alone no longer tells.
    bool atEnd = false;
    bool moveQueued = false;
  };
  auto state = std::make_shared<State>();
  state->atEnd = bar->value() == bar->maximum();
  QObject::connect(bar, &QScrollBar::valueChanged, &memo,
                   [bar, state](int value) { state->atEnd = value == bar->maximum(); });
  QObject::connect(bar, &QScrollBar::rangeChanged, &memo, [bar, state](int, int maximum) {
    if (!state->atEnd) {
      state->atEnd = bar->value() == maximum;  // emptied, or shrunk to where the view stands
      return;
    }
    // The view moves when window messages are next handled: lines added one after another
    // in between cost one move, not one each.
    if (state->moveQueued) return;
    state->moveQueued = true;
    QTimer::singleShot(0, bar, [bar, state] {
      state->moveQueued = false;
      bar->setValue(bar->maximum());
    });
  });
}

}  // namespace quill::platform
