#include "platform/RegistryText.h"

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Utf8.h"

namespace quill::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
// Hex data wraps once a line has reached this many characters, as export files do.
constexpr size_t kHexLineWidth = 77;
constexpr std::string_view kHexContinuation = "\\\r\n  ";

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto lf = text.find('\n');
    auto line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
  }
  return lines;
}

// --- UTF-8 <-> UTF-16LE, the byte form of REG_SZ and REG_EXPAND_SZ data ---

void AppendUnit(std::string& out, char16_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// The UTF-16LE bytes of `text` followed by the terminating NUL.
std::string Utf16Bytes(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const char32_t cp = NextUtf8(text, i);
    if (cp < 0x10000) {
      AppendUnit(out, static_cast<char16_t>(cp));
    } else {
      AppendUnit(out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      AppendUnit(out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  AppendUnit(out, 0);
  return out;
}

// UTF-16LE bytes (an even count) to UTF-8, less one terminating NUL; a lone surrogate gives
// U+FFFD.
std::string TextOfUtf16(std::string_view bytes) {
  std::vector<char16_t> units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  if (!units.empty() && units.back() == 0) units.pop_back();
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00));
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, kUtf8Malformed);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

// --- reading ---

// A quoted text starting at s[pos]; on success pos is just past the closing quote. Only \\ and
// \" are escapes; any other backslash stands for itself.
std::optional<std::string> ParseQuoted(std::string_view s, size_t& pos) {
  if (pos >= s.size() || s[pos] != '"') return std::nullopt;
  std::string out;
  for (size_t i = pos + 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out += s[++i];
    } else if (s[i] == '"') {
      pos = i + 1;
      return out;
    } else {
      out += s[i];
    }
  }
  return std::nullopt;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One to `maxDigits` hex digits and nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  std::uint32_t n = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    n = n << 4 | static_cast<std::uint32_t>(d);
  }
  return n;
}

// "xx,xx,..." (blanks allowed around each byte); an empty list is no bytes.
std::optional<std::string> ParseHexBytes(std::string_view list) {
  std::string bytes;
  if (Trim(list).empty()) return bytes;
  while (true) {
    const auto comma = list.find(',');
    const auto byte = ParseHexNumber(Trim(list.substr(0, comma)), 2);
    if (!byte) return std::nullopt;
    bytes += static_cast<char>(*byte);
    if (comma == std::string_view::npos) return bytes;
    list.remove_prefix(comma + 1);
  }
}

std::optional<RegistryValue> ParseValueData(std::string_view data) {
  if (!data.empty() && data.front() == '"') {
    size_t pos = 0;
    auto text = ParseQuoted(data, pos);
    if (!text || pos != data.size()) return std::nullopt;
    return RegistryValue::String(std::move(*text));
  }
  if (StartsWithNoCase(data, "dword:")) {
    const auto n = ParseHexNumber(data.substr(6), 8);
    if (!n) return std::nullopt;
    return RegistryValue::Dword(*n);
  }
  const bool expand = StartsWithNoCase(data, "hex(2):");
  if (expand || StartsWithNoCase(data, "hex(1):")) {
    const auto bytes = ParseHexBytes(data.substr(7));
    if (!bytes || bytes->size() % 2 != 0) return std::nullopt;
    auto text = TextOfUtf16(*bytes);
    return expand ? RegistryValue::ExpandString(std::move(text))
                  : RegistryValue::String(std::move(text));
  }
  return std::nullopt;  // another type, a deletion ("-") or damage
}

// The key path of a section line "[HKEY_CURRENT_USER\...]", or nullopt for a line that names
// another root, deletes a key ("[-...]") or is damaged; `damaged` is set for the last.
std::optional<std::string> ParseKeyLine(std::string_view line, bool& damaged) {
  damaged = line.size() < 2 || line.back() != ']';
  if (damaged) return std::nullopt;
  const auto inner = line.substr(1, line.size() - 2);
  if (!StartsWithNoCase(inner, kRoot)) return std::nullopt;
  if (inner.size() == kRoot.size()) return std::string();
  damaged = inner[kRoot.size()] != '\\';
  const auto path = inner.substr(kRoot.size() + 1);
  damaged = damaged || path.empty() || !IsValidKeyPath(path);
  if (damaged) return std::nullopt;
  return std::string(path);
}

// The key at `path`, created with the keys above it when what their sections add to the
// written text fits in `budget` (which they then use up); nullptr when they do not fit.
RegistryKey* EnsureWithinBudget(RegistryHive& hive, std::string_view path, size_t& budget) {
  return hive.Ensure(path, [&budget](const RegistryHive::NewKeys& created) {
    size_t added = 0;
    // The last one is the key itself, which its own line pays for.
    for (size_t k = 0; k + 1 < created.size(); ++k) added += SectionBytes(created[k]);
    if (added > budget) return false;
    budget -= added;
    return true;
  });
}

// Whether value data that ParseValueData refused is of a kind that is not held (a deletion,
// or hex data of another type) rather than damage.
bool IsDataNotHeld(std::string_view data) {
  if (data == "-") return true;
  return StartsWithNoCase(data, "hex") && !StartsWithNoCase(data, "hex(1):") &&
         !StartsWithNoCase(data, "hex(2):");
}

// The text of an export file's bytes: UTF-16LE after its BOM becomes UTF-8 (false when its
// byte count is odd); a UTF-8 BOM is dropped.
bool DecodeFileText(std::string_view& bytes, std::string& decoded) {
  if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
    bytes.remove_prefix(kUtf16LeBom.size());
    decoded = TextOfUtf16(bytes);
    const bool even = bytes.size() % 2 == 0;
    bytes = decoded;
    return even;
  }
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
  return true;
}

// --- writing ---

void AppendQuoted(std::string& out, std::string_view s) {
  out += '"';
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

// `bytes` as "xx,xx,...", wrapped like an export file; `lineStart` is where the line that
// they end began in `out`.
void AppendHexList(std::string& out, std::string_view bytes, size_t lineStart) {
  static constexpr char kDigits[] = "0123456789abcdef";
  size_t lineLength = out.size() - lineStart;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
    if (i + 1 == bytes.size()) break;
    out += ',';
    lineLength += 3;
    if (lineLength >= kHexLineWidth) {
      out += kHexContinuation;
      lineLength = 2;
    }
  }
}

void AppendValueLine(std::string& out, const std::string& name, const RegistryValue& value) {
  const size_t lineStart = out.size();
  if (name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, name);
  }
  out += '=';
  switch (value.type) {
    case RegistryType::Dword: {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value.dword));
      out += "dword:";
      out += digits;
      return;
    }
    case RegistryType::String:
      if (value.text.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos) {
        AppendQuoted(out, value.text);
        return;
      }
      out += "hex(1):";
      break;
    case RegistryType::ExpandString:
      out += "hex(2):";
      break;
  }
  AppendHexList(out, Utf16Bytes(value.text), lineStart);
}

}  // namespace

size_t SectionBytes(std::string_view path) {
  return 1 + kRoot.size() + (path.empty() ? 0 : 1 + path.size()) + 1 + 2 * kEol.size();
}

RegistryHive ParseRegistryText(std::string_view bytes, bool* intact) {
  // What the sections of keys that the text does not name may still add to the written text.
  size_t parentBudget = bytes.size() + kMissingParentAllowance;
  std::string decoded;
  bool whole = DecodeFileText(bytes, decoded);
  const auto lines = SplitLines(bytes);
  bool headerSeen = false;  // the header must come before anything else
  RegistryHive hive;
  RegistryKey* section = nullptr;  // nullptr while the current section is ignored
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto line = Trim(lines[i]);
    if (line.empty()) continue;
    const bool first = !std::exchange(headerSeen, true);
    if (line == kHeader) {
      whole = whole && first;
      continue;
    }
    whole = whole && !first;
    if (line.front() == ';') continue;  // a comment
    if (line.front() == '[') {
      bool damaged = false;
      const auto path = ParseKeyLine(line, damaged);
      section = path ? EnsureWithinBudget(hive, *path, parentBudget) : nullptr;
      whole = whole && !damaged && (section || !path);
      continue;
    }
    std::string name;
    size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else if (auto quoted = ParseQuoted(line, pos)) {
      name = std::move(*quoted);
    } else {
      whole = false;
      continue;
    }
    if (pos >= line.size() || line[pos] != '=') {
      whole = false;
      continue;
    }
    std::string_view data = line.substr(pos + 1);
    // Hex data goes on over lines that end with a backslash; only then is it copied.
    std::string joined;
    if (StartsWithNoCase(data, "hex") && data.back() == '\\' && i + 1 < lines.size()) {
      joined = data;
      while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size()) {
        joined.pop_back();
        joined += Trim(lines[++i]);
      }
      data = joined;
    }
    auto value = ParseValueData(data);
    whole = whole && (value || IsDataNotHeld(data));
    if (section && value) section->Set(name, std::move(*value));
  }
  if (intact) *intact = whole;
  return hive;
}

std::string FormatRegistryText(const RegistryHive& hive) {
  std::string out;
  out += kHeader;
  out += kEol;
  out += kEol;
  for (const auto& [path, key] : hive.keys()) {
    out += '[';
    out += kRoot;
    if (!path.empty()) {
      out += '\\';
      out += path;
    }
    out += ']';
    out += kEol;
    for (const auto& [name, value] : key.values()) {
      AppendValueLine(out, name, value);
      out += kEol;
    }
    out += kEol;
  }
  return out;
}

}  // namespace quill::platform
