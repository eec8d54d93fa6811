#include "platform/Registry.h"

#include "platform/FileIO.h"
#include "platform/Error.h"
#include "platform/ProgramDir.h"
#include "platform/RegistryText.h"
#include "platform/TextCodec.h"
#include "platform/UserDirs.h"

namespace quill::platform {
namespace {

constexpr mode_t kFolderMode = 0700;

std::string_view WithoutLeadingSeparator(std::string_view key) {
  if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  return key;
}

}  // namespace

std::string DefaultRegistryFile() {
  return ConfigDirectory() + "/Quillpost2/HKEY_CURRENT_USER.reg";
}

Registry::Registry(std::string file) : file_(std::move(file)) {}

RegistryHive Registry::Load() const {
  const auto text = ReadFileIfPresent(file_);
  return text ? ParseRegistryText(*text) : RegistryHive();
}

void Registry::Save(const RegistryHive& hive) const {
  if (const auto dir = DirectoryOf(file_); !dir.empty()) MakeDirectories(dir, kFolderMode, file_);
  ReplaceFileAtomically(file_, FormatRegistryText(hive));
}

bool Registry::KeyExists(std::string_view key) const {
  return Load().Find(WithoutLeadingSeparator(key)) != nullptr;
}

bool Registry::OpenKey(std::string_view key, bool canCreate) {
  CloseKey();
  const auto path = WithoutLeadingSeparator(key);
  if (!IsValidKeyPath(path)) return false;
  RegistryHive hive = Load();
  if (!hive.Find(path)) {
    if (!canCreate) return false;
    hive.Ensure(path);
    Save(hive);
  }
  hive_ = std::move(hive);
  openKey_ = std::string(path);
  return true;
}

void Registry::CloseKey() {
  openKey_.reset();
  hive_ = RegistryHive();
}

std::optional<RegistryValue> Registry::ReadValue(std::string_view name) const {
  if (!openKey_) return std::nullopt;
  const RegistryKey* key = hive_.Find(*openKey_);
  const RegistryValue* value = key ? key->Find(name) : nullptr;
  if (!value) return std::nullopt;
  return *value;
}

void Registry::WriteDword(std::string_view name, std::uint32_t value) {
  WriteValues({{std::string(name), RegistryValue::Dword(value)}});
}

void Registry::WriteString(std::string_view name, std::string_view text) {
  WriteValues({{std::string(name), RegistryValue::String(std::string(text))}});
}

void Registry::WriteExpandString(std::string_view name, std::string_view text) {
  WriteValues({{std::string(name), RegistryValue::ExpandString(std::string(text))}});
}

void Registry::WriteValues(const std::vector<std::pair<std::string, RegistryValue>>& values) {
  if (!openKey_) throw Error(Utf8ToSjis("No registry key is open for \"" + file_ + "\""));
  for (const auto& [name, value] : values) {
    if (name.find_first_of("\r\n") != std::string::npos)
      throw Error(Utf8ToSjis("Invalid registry value name for \"" + file_ + "\""));
  }
  // Start from the file as it is now, so that changes made since the key was opened stay.
  RegistryHive hive = Load();
  RegistryKey& key = hive.Ensure(*openKey_);
  for (const auto& [name, value] : values) key.Set(name, value);
  Save(hive);
  hive_ = std::move(hive);
}

}  // namespace quill::platform
