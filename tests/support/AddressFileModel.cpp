#include "support/AddressFileModel.h"

#include <algorithm>

namespace quill::test {

std::vector<std::string> ModelLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool begun = false;     // a byte of the line has been read (a dropped CR does not count)
  bool skipping = false;  // a Ctrl-Z inside the line: the rest up to LF is skipped
  bool open = false;      // bytes have come since the last line end
  auto endLine = [&] {
    lines.push_back(line);
    line.clear();
    begun = skipping = open = false;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char byte = bytes[i];
    if (byte == '\n') {
      endLine();
      continue;
    }
    open = true;
    if (byte == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
        ++i;
        endLine();
      }
      continue;  // a lone CR is dropped
    }
    if (skipping) continue;
    if (byte == '\x1a') {
      if (!begun) return lines;
      skipping = true;
      continue;
    }
    line += byte;
    begun = true;
  }
  if (open) lines.push_back(line);
  return lines;
}

std::string ModelSkipLeadingSeparators(const std::string& line) {
  const std::size_t length = line.size();
  if (length == 0) return "";
  // 1-based, as the rule is told: byte(i) is the byte at position i.
  auto byte = [&line](std::size_t i) { return static_cast<unsigned char>(line[i - 1]); };
  std::size_t i = 1;
  do {
    if (byte(i) == ',' || byte(i) == ' ') {
      i = i + 1;
    } else if (i + 1 <= length && byte(i) == 0x81 && byte(i + 1) == 0x40) {
      i = i + 2;
    } else {
      break;
    }
  } while (!(i >= length));
  return i > length ? std::string() : line.substr(i - 1);
}

std::string ModelCutAtSeparator(const std::string& line) {
  std::size_t cut = line.size();
  for (const std::string& separator : {std::string(","), std::string(" "), std::string("\x81\x40")})
    cut = std::min(cut, std::min(line.find(separator), line.size()));
  return line.substr(0, cut);
}

int ModelCheckAddress(const std::string& address) {
  // Rows: states 0..10; columns: classes 0..4; an entry below 0 is the reason code, negated.
  static const int kTable[11][5] = {
      {1, -1, -6, -9, -17},  {1, 2, 4, -10, -18},  {3, -2, -7, -11, -19}, {3, 2, 4, -12, -20},
      {5, -3, -8, -13, -21}, {5, 6, -8, -14, -22}, {7, -4, -8, -15, -23}, {7, 8, -8, 10, 10},
      {9, -5, -8, -16, -24}, {9, 8, -8, 10, 10},   {10, 10, -8, 10, 10},
  };
  auto classOf = [](unsigned char b) {
    if (b == '-' || b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
        (b >= 'a' && b <= 'z'))
      return 0;
    if (b == '.') return 1;
    if (b == '@') return 2;
    if (b == ' ') return 3;
    if (b == ',') return 4;
    return 5;
  };
  int s = 0;
  int e = 0;
  for (const char c : address) {
    const int cls = classOf(static_cast<unsigned char>(c));
    const int next = cls == 5 ? -25 : kTable[s][cls];
    if (next < 0) {
      e = -next;
      break;
    }
    s = next;
  }
  if (e == 0 && (s < 7 || s == 8)) e = 26;
  return e;
}

std::vector<std::string> ModelEntries(std::string_view bytes) {
  std::vector<std::string> entries;
  for (const std::string& line : ModelLines(bytes)) {
    const std::string field = ModelCutAtSeparator(ModelSkipLeadingSeparators(line));
    if (!field.empty()) entries.push_back(field);
  }
  return entries;
}

ModelPass ModelDuplicatePass(const std::vector<std::string>& list) {
  const std::vector<std::string> copy = list;
  const auto n = static_cast<std::int32_t>(list.size());
  ModelPass out;
  out.counts.assign(list.size(), 0);
  for (std::int32_t i = 0; i < n; ++i) {
    if (out.counts[i] != 0) continue;
    std::int32_t k = 0;
    for (std::int32_t j = 0; j < n; ++j) {
      if (list[i] == copy[j]) out.counts[j] = ++k;
    }
    out.positions.push_back(static_cast<int>(static_cast<double>(i) * 100.0 / n));
  }
  for (std::int32_t i = 0; i < n; ++i) {
    if (out.counts[i] == 1) out.kept.push_back(copy[i]);
  }
  return out;
}

}  // namespace quill::test
