#pragma once
// The physical state of a key as the X server knows it, for polls that must see a key held
// down while another window has the focus.

#include <optional>

namespace quill::platform {

/// Whether a key bound to Escape is down at this moment, asked of the X server over the
/// connection Qt holds; nullopt when the application does not run on X11.
std::optional<bool> X11EscapeDown();

}  // namespace quill::platform
