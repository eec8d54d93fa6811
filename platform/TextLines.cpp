#include "platform/TextLines.h"

#include <cstring>

#include "platform/FileIO.h"

namespace quill::platform {
namespace {

constexpr char kCtrlZ = '\x1a';

const char* Find(const char* from, const char* to, char byte) {
  const void* hit = std::memchr(from, byte, static_cast<std::size_t>(to - from));
  return hit ? static_cast<const char*>(hit) : to;
}

// A CR that is dropped does not count as a byte of the line, so a Ctrl-Z behind such CRs still
// begins its line.
bool EndsTheText(const char* p, const char* end) {
  while (p < end && *p == '\r' && !(p + 1 < end && p[1] == '\n')) ++p;
  return p < end && *p == kCtrlZ;
}

}  // namespace

std::size_t LineCountBound(std::string_view bytes) {
  std::size_t lines = 1;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while ((p = Find(p, end, '\n')) != end) {
    ++lines;
    ++p;
  }
  return lines;
}

bool TextLineReader::Next(std::string_view& line, std::string& scratch) {
  if (ended_ || pos_ >= bytes_.size()) return false;
  const char* const begin = bytes_.data();
  const char* const end = begin + bytes_.size();
  const char* const start = begin + pos_;
  if (EndsTheText(start, end)) {
    ended_ = true;
    return false;
  }
  const char* const lf = Find(start, end, '\n');
  pos_ = static_cast<std::size_t>(lf - begin) + (lf < end ? 1 : 0);
  const char* const textEnd = Find(start, lf, kCtrlZ);

  // Every CR left in the text is either the CR of CR LF or a lone CR: both are dropped. The
  // usual line holds at most the one before its LF, so it is viewed in place.
  const char* cr = Find(start, textEnd, '\r');
  if (cr == textEnd || cr + 1 == textEnd) {
    line = std::string_view(start, static_cast<std::size_t>(cr - start));
    return true;
  }
  scratch.assign(start, cr);
  for (;;) {
    const char* const from = cr + 1;
    cr = Find(from, textEnd, '\r');
    scratch.append(from, cr);
    if (cr == textEnd) break;
  }
  line = scratch;
  return true;
}

std::vector<std::string> SplitTextLines(std::string_view bytes) {
  std::vector<std::string> lines;
  TextLineReader reader(bytes);
  std::string_view line;
  std::string scratch;
  while (reader.Next(line, scratch)) lines.emplace_back(line);
  return lines;
}

std::vector<std::string> ReadTextFileLines(const std::string& path) {
  return SplitTextLines(ReadWholeFile(path));
}

}  // namespace quill::platform
