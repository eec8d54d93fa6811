#include "platform/RegistryHive.h"

#include <algorithm>

namespace quill::platform {
namespace {
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Fold(x) == Fold(y); });
}

bool NameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
  });
}

const RegistryValue* RegistryKey::Find(std::string_view name) const {
  for (const auto& [n, v] : values_)
    if (NamesEqual(n, name)) return &v;
  return nullptr;
}

void RegistryKey::Set(std::string_view name, RegistryValue value) {
  for (auto& [n, v] : values_) {
    if (NamesEqual(n, name)) {
      v = std::move(value);
      return;
    }
  }
  values_.emplace_back(std::string(name), std::move(value));
}

bool IsValidKeyPath(std::string_view path) {
  if (path.empty()) return true;
  if (path.find_first_of("\r\n") != std::string_view::npos) return false;
  return path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string_view::npos;
}

RegistryHive::RegistryHive() { keys_.emplace(std::string(), RegistryKey()); }

const RegistryKey* RegistryHive::Find(std::string_view path) const {
  const auto it = keys_.find(path);
  return it == keys_.end() ? nullptr : &it->second;
}

RegistryKey& RegistryHive::Ensure(std::string_view path) {
  // Parents first, so that a key never exists without the keys above it.
  for (auto sep = path.find('\\'); sep != std::string_view::npos; sep = path.find('\\', sep + 1))
    keys_.try_emplace(std::string(path.substr(0, sep)));
  return keys_.try_emplace(std::string(path)).first->second;
}

}  // namespace quill::platform
