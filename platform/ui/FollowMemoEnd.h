#pragma once
// A memo whose view stays at its end while lines are added there, as a log window does.

class QPlainTextEdit;

namespace quill::platform {

/// From now on, whenever the memo's text grows while its view shows the end, the view moves
/// on to the new end. A user who has scrolled away from the end keeps the view where it is,
/// until the view is back at the end.
void FollowMemoEnd(QPlainTextEdit& memo);

}  // namespace quill::platform
