#include "settings/Registory.h"

#include "platform/Error.h"
#include "platform/Registry.h"
#include "platform/UserDirs.h"

namespace quill {
namespace {

using platform::RegistryType;
using platform::RegistryValue;

constexpr std::string_view kKey = "\\Software\\Korvane\\Quill2";

void ReadFlag(const platform::Registry& reg, std::string_view name, bool& field) {
  const auto value = reg.ReadValue(name);
  if (value && value->type == RegistryType::Dword) field = value->dword != 0;
}

void ReadNumber(const platform::Registry& reg, std::string_view name, std::int32_t& field) {
  const auto value = reg.ReadValue(name);
  if (value && value->type == RegistryType::Dword) field = static_cast<std::int32_t>(value->dword);
}

void ReadText(const platform::Registry& reg, std::string_view name, std::string& field) {
  const auto value = reg.ReadValue(name);
  if (!value) {
    field.clear();
  } else if (value->type != RegistryType::Dword) {
    field = value->text.substr(0, value->text.find('\0'));
  }
}

// "log.txt" in the user's home directory.
std::string DefaultLogFile() {
  const std::string home = platform::HomeDirectory();
  return (home == "/" ? std::string() : home) + "/log.txt";
}

RegistryValue Flag(bool on) { return RegistryValue::Dword(on ? 1 : 0); }

}  // namespace

TRegistory::TRegistory() : TRegistory(platform::DefaultRegistryFile()) {}

TRegistory::TRegistory(std::string registryFile)
    : LogFile(DefaultLogFile()), registryFile_(std::move(registryFile)) {}

void TRegistory::LoadSettings() {
  try {
    platform::Registry reg(registryFile_);
    if (!reg.KeyExists(kKey) || !reg.OpenKey(kKey, false)) return;
    ReadFlag(reg, "Status", Status);
    ReadNumber(reg, "ErrorDisp", ErrorDisp);
    ReadText(reg, "LogFile", LogFile);
    ReadFlag(reg, "SendErrorBreak", SendErrorBreak);
  } catch (const Error&) {
    // An unreadable file is a key that cannot be opened: the fields stay as they are.
  }
}

void TRegistory::SaveSettings() {
  platform::Registry reg(registryFile_);
  if (!reg.OpenKey(kKey, true)) return;
  reg.WriteValues({
      {"Status", Flag(Status)},
      {"ErrorDisp", RegistryValue::Dword(static_cast<std::uint32_t>(ErrorDisp))},
      {"LogFile", RegistryValue::String(LogFile)},
      {"SendErrorBreak", Flag(SendErrorBreak)},
  });
}

}  // namespace quill
