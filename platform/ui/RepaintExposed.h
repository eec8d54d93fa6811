#pragma once
// Showing a window again at once after a dialog over it has closed, before a long command
// keeps the message loop away.

#include <chrono>

class QWidget;

namespace quill::platform {

/// Repaints `window`; then, on X11, lets paint and expose events (never input) through until
/// the part that the closed dialog uncovered has been exposed and painted, or `wait` has
/// passed. The window manager takes the dialog's frame away on its own time, so a repaint
/// alone can come before the uncovered part is there to paint.
void RepaintExposed(QWidget& window,
                    std::chrono::milliseconds wait = std::chrono::milliseconds(50));

}  // namespace quill::platform
