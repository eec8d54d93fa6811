#pragma once
// The registry hive in memory: keys, and the typed values each key holds.
//
// Key paths are relative to the hive's root and separate their names with "\" (the root
// itself is ""). Key and value names compare without regard to ASCII case, as the registry's
// names do; a name keeps the spelling it was first given. Texts are native UTF-8.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quill::platform {

enum class RegistryType {
  Dword,         ///< REG_DWORD
  String,        ///< REG_SZ
  ExpandString,  ///< REG_EXPAND_SZ (kept as stored: references are not expanded)
};

struct RegistryValue {
  RegistryType type = RegistryType::Dword;
  std::uint32_t dword = 0;  ///< the number of a Dword
  std::string text;         ///< the text of a String or ExpandString, without its final NUL

  static RegistryValue Dword(std::uint32_t n) { return {RegistryType::Dword, n, {}}; }
  static RegistryValue String(std::string s) { return {RegistryType::String, 0, std::move(s)}; }
  static RegistryValue ExpandString(std::string s) {
    return {RegistryType::ExpandString, 0, std::move(s)};
  }
  bool operator==(const RegistryValue&) const = default;
};

/// ASCII case-insensitive equality and ordering of names.
bool NamesEqual(std::string_view a, std::string_view b);
struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

/// One key: its values in the order they were first written ("" is the key's default value).
class RegistryKey {
 public:
  using NamedValue = std::pair<std::string, RegistryValue>;

  /// The value called `name`, or nullptr when the key has none.
  const RegistryValue* Find(std::string_view name) const;
  /// Sets `name` to `value`, replacing a value of that name whatever its type.
  void Set(std::string_view name, RegistryValue value);
  const std::vector<NamedValue>& values() const { return values_; }
  bool operator==(const RegistryKey&) const = default;

 private:
  std::vector<NamedValue> values_;
};

/// Whether `path` can name a key: no empty name, no CR or LF (which a key line cannot hold).
/// The root "" is valid.
bool IsValidKeyPath(std::string_view path);

/// A whole hive. The root key always exists; every other key's parents exist with it.
class RegistryHive {
 public:
  using Keys = std::map<std::string, RegistryKey, NameLess>;

  RegistryHive();
  /// The key at `path`, or nullptr when it does not exist.
  const RegistryKey* Find(std::string_view path) const;
  /// The key at `path`, created with every missing key above it. `path` must be valid.
  RegistryKey& Ensure(std::string_view path);
  /// Keys by path, parents before their children.
  const Keys& keys() const { return keys_; }
  bool operator==(const RegistryHive&) const = default;

 private:
  Keys keys_;
};

}  // namespace quill::platform
