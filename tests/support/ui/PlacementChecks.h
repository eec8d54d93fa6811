#pragma once
// Checks of where windows open on the screen.

#include <QDialog>
#include <QPoint>
#include <QWidget>
#include <initializer_list>

namespace quill::test {

/// For each of `places` in turn: moves `owner` there, shows `dialog` (not modally) and expects
/// its frame in the middle of the owner's frame, then moves it aside, as the user may, and hides
/// it again. The places must leave the dialog wholly on the screen, or the check fails.
void ExpectCentredOnOwnerAtEveryShowing(QWidget& owner, QDialog& dialog,
                                        std::initializer_list<QPoint> places);

/// Expects `window` (shown) in the middle of its screen's whole area.
void ExpectCentredOnScreen(const QWidget& window);

}  // namespace quill::test
