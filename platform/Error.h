#pragma once
// The failure type of the system.

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

namespace quill {

/// A failure that reaches a handler or the standard error box. Its text is Shift_JIS bytes
/// like every other text inside the system, and may hold any byte: a server's reply that
/// becomes an error text can hold a NUL. text() gives the whole bytes; what(), kept for code
/// that knows only std::exception, is a C string and so ends at the first NUL.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& sjisText)
      : std::runtime_error(sjisText), text_(std::make_shared<const std::string>(sjisText)) {}

  /// The whole text, every byte as it was given.
  const std::string& text() const noexcept { return *text_; }

 private:
  // Shared, so that copying the failure, as throwing may, cannot itself fail.
  std::shared_ptr<const std::string> text_;
};

/// The whole text of `failure`: text() of a quill::Error, what() of any other exception.
inline std::string FailureText(const std::exception& failure) {
  if (const auto* error = dynamic_cast<const Error*>(&failure)) return error->text();
  return failure.what();
}

}  // namespace quill
