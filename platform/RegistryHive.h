#pragma once
// The registry hive in memory: keys, and the typed values each key holds.
//
// Key paths are relative to the hive's root and separate their names with "\" (the root
// itself is ""). Key and value names compare without regard to ASCII case, as the registry's
// names do; a name keeps the spelling it was first given. Texts are native UTF-8.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
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

/// A hash of a name that agrees with NamesEqual. Its seed is drawn once per process, so that
/// no file can be written to make many names fall together.
std::uint64_t NameHash(std::string_view name);
struct NameHasher {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const { return NameHash(name); }
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return NamesEqual(a, b); }
};

/// One key: its values in the order they were first written ("" is the key's default value).
/// Finding and setting a value takes constant time on average, whatever the number of values.
class RegistryKey {
 public:
  using NamedValue = std::pair<std::string, RegistryValue>;

  /// The value called `name`, or nullptr when the key has none.
  const RegistryValue* Find(std::string_view name) const;
  /// Sets `name` to `value`, replacing a value of that name whatever its type; a replaced
  /// value keeps its place and its name's first spelling.
  void Set(std::string_view name, RegistryValue value);
  const std::vector<NamedValue>& values() const { return values_; }
  bool operator==(const RegistryKey& other) const { return values_ == other.values_; }

 private:
  std::vector<NamedValue> values_;
  std::unordered_map<std::string, std::size_t, NameHasher, NameEqual> places_;  // in values_
};

/// The registry's own limits on a key path: at most this many names below the root...
inline constexpr size_t kMaxKeyLevels = 512;
/// ...and at most this many characters (UTF-16 code units, as the registry counts) in each.
inline constexpr size_t kMaxKeyNameLength = 255;

/// Whether `path` can name a key: no empty name, no CR or LF (which a key line cannot hold),
/// and within the limits above. The root "" is valid.
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
  /// The keys that would be created: views into the path, parents from the top down, then
  /// the path itself.
  using NewKeys = std::vector<std::string_view>;
  /// Like Ensure, but when keys are to be created, `allow` is asked first with them; when it
  /// refuses, nothing is created and the result is nullptr. Finding what is missing takes a
  /// few lookups (a binary search over the path's levels), not one per level.
  RegistryKey* Ensure(std::string_view path, const std::function<bool(const NewKeys&)>& allow);
  /// Keys by path, parents before their children.
  const Keys& keys() const { return keys_; }
  bool operator==(const RegistryHive&) const = default;

 private:
  // The keys that Ensure(path) creates when `path` is missing.
  NewKeys MissingKeys(std::string_view path) const;

  Keys keys_;
};

}  // namespace quill::platform
