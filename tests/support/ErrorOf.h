#pragma once
// The text of the quill::Error that a call raises, for comparing error texts in tests.

#include <string>

#include "platform/Error.h"

namespace quill::test {

/// What `f` raised as quill::Error, or "(no error)" when it returned.
template <typename F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.text();
  }
  return "(no error)";
}

}  // namespace quill::test
