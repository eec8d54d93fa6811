#pragma once
// Checks of the splash windows that both programs' tests share.

#include <QColor>
#include <QPoint>
#include <vector>

#include "platform/ui/SplashForm.h"

namespace quill::test {

struct ExpectedSplashLabel {
  const char* name;
  const char* text;
  QColor colour;
  bool bold;
  bool italic;
  int pixelHeight;
  QPoint topLeft;
};

/// Each label's text, colour, style, font height, place and font (IPAPGothic when installed).
void ExpectSplashLabels(const platform::TSplashForm& form,
                        const std::vector<ExpectedSplashLabel>& labels);

/// The timer is stopped after creation; a modal display (exec) ends by itself with 2 after
/// 3000 ms, and the timer is stopped again. A close request of the window manager and the
/// Escape key before then leave the splash on the screen.
void ExpectClosesAfterThreeSeconds(platform::TSplashForm& form);

}  // namespace quill::test
