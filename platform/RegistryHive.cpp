#include "platform/RegistryHive.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

#include "platform/Utf8.h"

namespace quill::platform {
namespace {
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where `a` and `b` first differ in their bytes as they are, or the shorter one's length. Key
// paths under one parent share long beginnings, so this skips them eight bytes at a time.
size_t FirstDifference(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i + 8 <= n && std::memcmp(a.data() + i, b.data() + i, 8) == 0) i += 8;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// The UTF-16 code units of a UTF-8 name, counted only as far as `limit` and one more.
size_t Utf16Length(std::string_view name, size_t limit) {
  if (name.size() <= limit) return name.size();  // never more units than bytes
  size_t units = 0;
  for (size_t i = 0; i < name.size() && units <= limit;)
    units += NextUtf8(name, i) >= 0x10000 ? 2 : 1;
  return units;
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = FirstDifference(a, b); i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

bool NameLess::operator()(std::string_view a, std::string_view b) const {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = FirstDifference(a, b); i < n; ++i) {
    const auto x = static_cast<unsigned char>(Fold(a[i]));
    const auto y = static_cast<unsigned char>(Fold(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::uint64_t NameHash(std::string_view name) {
  static const std::uint64_t seed = [] {
    std::random_device random;
    return std::uint64_t{random()} << 32 | random();
  }();
  // FNV-1a over the folded bytes from a secret start, then a final mix of the bits.
  std::uint64_t h = seed ^ name.size();
  for (char c : name) h = (h ^ static_cast<unsigned char>(Fold(c))) * 0x100000001b3ull;
  h ^= h >> 32;
  h *= 0xd6e8feb86659fd93ull;
  return h ^ h >> 32;
}

const RegistryValue* RegistryKey::Find(std::string_view name) const {
  const auto it = places_.find(name);
  return it == places_.end() ? nullptr : &values_[it->second].second;
}

void RegistryKey::Set(std::string_view name, RegistryValue value) {
  const auto [it, added] = places_.try_emplace(std::string(name), values_.size());
  if (added)
    values_.emplace_back(std::string(name), std::move(value));
  else
    values_[it->second].second = std::move(value);
}

bool IsValidKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (path.find_first_of("\r\n") != std::string_view::npos) return false;
  size_t levels = 0;
  while (true) {
    const auto sep = path.find('\\');
    const auto name = path.substr(0, sep);
    if (name.empty() || ++levels > kMaxKeyLevels ||
        Utf16Length(name, kMaxKeyNameLength) > kMaxKeyNameLength)
      return false;
    if (sep == std::string_view::npos) return true;
    path.remove_prefix(sep + 1);
  }
}

RegistryHive::RegistryHive() { keys_.emplace(std::string(), RegistryKey()); }

const RegistryKey* RegistryHive::Find(std::string_view path) const {
  const auto it = keys_.find(path);
  return it == keys_.end() ? nullptr : &it->second;
}

RegistryHive::NewKeys RegistryHive::MissingKeys(std::string_view path) const {
  // Mostly the parent exists, which one lookup tells.
  const auto last = path.rfind('\\');
  if (last == std::string_view::npos || Find(path.substr(0, last))) return {path};
  NewKeys levels;  // the keys from the top down to `path`
  for (auto sep = path.find('\\'); sep != std::string_view::npos; sep = path.find('\\', sep + 1))
    levels.push_back(path.substr(0, sep));
  levels.push_back(path);
  // A key never exists without the keys above it, so the levels that exist are a run from
  // the top; `path` and its parent are known to be missing.
  const auto firstMissing = std::partition_point(
      levels.begin(), levels.end() - 2, [this](std::string_view key) { return Find(key); });
  levels.erase(levels.begin(), firstMissing);
  return levels;
}

RegistryKey& RegistryHive::Ensure(std::string_view path) { return *Ensure(path, nullptr); }

RegistryKey* RegistryHive::Ensure(std::string_view path,
                                  const std::function<bool(const NewKeys&)>& allow) {
  if (const auto it = keys_.find(path); it != keys_.end()) return &it->second;
  const NewKeys missing = MissingKeys(path);
  if (allow && !allow(missing)) return nullptr;
  // Parents first, so that a key never exists without the keys above it.
  RegistryKey* key = nullptr;
  for (const auto name : missing) key = &keys_.try_emplace(std::string(name)).first->second;
  return key;
}

}  // namespace quill::platform
