#pragma once
// The failure type of the system.

#include <stdexcept>
#include <string>

namespace quill {

/// A failure that reaches a handler or the standard error box. Its text, what(), is
/// Shift_JIS bytes like every other text inside the system; the error box converts it.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& sjisText) : std::runtime_error(sjisText) {}
};

}  // namespace quill
