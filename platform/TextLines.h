#pragma once
// Reading text as lines, the way both address readers read their files.
//
// A line ends at LF or at CR LF. A CR that is not followed by LF is dropped and the line goes
// on. A Ctrl-Z byte (0x1A) at the start of a line ends the text; inside a line it ends that
// line's text and the rest of the line up to its LF is skipped. Lines have no length limit and
// keep all their other bytes unchanged. An empty text has no lines; a last line without a line
// end is a line like any other.

#include <string>
#include <string_view>
#include <vector>

namespace quill::platform {

/// Walks the lines of a byte text that outlives the reader.
class TextLineReader {
 public:
  explicit TextLineReader(std::string_view bytes) : bytes_(bytes) {}

  /// The next line into `line`, which then views either the text itself or `scratch` (when
  /// dropped CR bytes had to be taken out). The view is valid until the next call. False at
  /// the end of the text, with `line` unchanged.
  bool Next(std::string_view& line, std::string& scratch);

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  bool ended_ = false;
};

/// An upper bound of the number of lines of `bytes` (one more than its LF bytes), for reserving
/// room for one item per line at once.
std::size_t LineCountBound(std::string_view bytes);

/// All lines of `bytes`.
std::vector<std::string> SplitTextLines(std::string_view bytes);

/// All lines of the file at `path`. Throws quill::Error when it cannot be opened or read.
std::vector<std::string> ReadTextFileLines(const std::string& path);

}  // namespace quill::platform
