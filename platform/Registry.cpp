#include "platform/Registry.h"

#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/ProgramDir.h"
#include "platform/RegistryText.h"
#include "platform/TextCodec.h"
#include "platform/UserDirs.h"

namespace quill::platform {
namespace {

constexpr mode_t kFolderMode = 0700;

// Where an unreadable settings file is kept before a new one replaces it.
std::string BadFileOf(const std::string& file) { return file + ".bad"; }

std::string_view WithoutLeadingSeparator(std::string_view key) {
  if (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  return key;
}

}  // namespace

std::string DefaultRegistryFile() {
  return ConfigDirectory() + "/Quillpost2/HKEY_CURRENT_USER.reg";
}

Registry::Registry(std::string file) : file_(std::move(file)) {}

Registry::Loaded Registry::Load() const {
  auto bytes = ReadFileIfPresent(file_);
  if (!bytes) return {};
  bool intact = true;
  Loaded loaded{ParseRegistryText(*bytes, &intact), std::nullopt};
  if (!intact) loaded.unreadable = std::move(bytes);
  return loaded;
}

void Registry::Save(const RegistryHive& hive, const Loaded& loaded) const {
  if (const auto dir = DirectoryOf(file_); !dir.empty()) MakeDirectories(dir, kFolderMode, file_);
  // A copy rather than a rename: should the new file fail, the old one stays in place.
  if (loaded.unreadable) ReplaceFileAtomically(BadFileOf(file_), *loaded.unreadable);
  ReplaceFileAtomically(file_, FormatRegistryText(hive));
}

bool Registry::KeyExists(std::string_view key) const {
  return Load().hive.Find(WithoutLeadingSeparator(key)) != nullptr;
}

bool Registry::OpenKey(std::string_view key, bool canCreate) {
  CloseKey();
  const auto path = WithoutLeadingSeparator(key);
  if (!IsValidKeyPath(path)) return false;
  Loaded loaded = Load();
  if (!loaded.hive.Find(path)) {
    if (!canCreate) return false;
    loaded.hive.Ensure(path);
    Save(loaded.hive, loaded);
  }
  hive_ = std::move(loaded.hive);
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
  Loaded loaded = Load();
  RegistryKey& key = loaded.hive.Ensure(*openKey_);
  for (const auto& [name, value] : values) key.Set(name, value);
  Save(loaded.hive, loaded);
  hive_ = std::move(loaded.hive);
}

}  // namespace quill::platform
