#pragma once
// The registry's HKEY_CURRENT_USER, kept in one file in the text format of registry export
// files (platform/RegistryText.h).
//
// Every change reads the file afresh, applies itself and replaces the whole file atomically
// (platform/FileIO.h), so the file keeps every other key and value it holds and is never
// left half written. Key paths are relative to HKEY_CURRENT_USER ("Software\Vendor\App"); a
// leading "\" is allowed. Texts and names are native UTF-8.
//
// A file that exists but is not wholly an export text (damaged, or not one at all) is read
// for what it holds, and never lost: before a change replaces it, its bytes are kept beside
// it as "<file>.bad" (replacing an older one), so the user can still look at what it held.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/RegistryHive.h"

namespace quill::platform {

/// ConfigDirectory() + "/Quillpost2/HKEY_CURRENT_USER.reg".
std::string DefaultRegistryFile();

/// Access to the hive in `file`, with at most one key open at a time.
class Registry {
 public:
  explicit Registry(std::string file = DefaultRegistryFile());

  const std::string& file() const { return file_; }

  /// Whether the key exists. A missing file holds no key but the root. Throws quill::Error
  /// when the file exists but cannot be read.
  bool KeyExists(std::string_view key) const;

  /// Opens `key`, closing the key open before. When it is missing and `canCreate` is set, it
  /// is created with every missing key above it and the file is replaced at once. Returns
  /// false, leaving no key open, when the key is missing and may not be created, or when the
  /// path cannot name a key. Throws quill::Error when the file cannot be read or written.
  bool OpenKey(std::string_view key, bool canCreate);

  /// Closes the open key; nothing happens when none is open.
  void CloseKey();

  /// The value `name` of the open key with its type, or nullopt when the key has no such
  /// value or no key is open. Reads what the file held when the key was opened or last
  /// written through this object.
  std::optional<RegistryValue> ReadValue(std::string_view name) const;

  /// Writes one value of the open key, replacing a value of that name whatever its type.
  /// Throws quill::Error (the file stays as it was) when no key is open, the name holds a CR
  /// or LF, or the file cannot be read or written.
  void WriteDword(std::string_view name, std::uint32_t value);
  void WriteString(std::string_view name, std::string_view text);
  void WriteExpandString(std::string_view name, std::string_view text);

  /// Writes several values of the open key in one replacement of the file: either all of
  /// them reach the file or, with quill::Error, none does.
  void WriteValues(const std::vector<std::pair<std::string, RegistryValue>>& values);

 private:
  // The file as read: its hive and, when it is not wholly an export text, its bytes.
  struct Loaded {
    RegistryHive hive;
    std::optional<std::string> unreadable;
  };
  Loaded Load() const;
  // Writes `hive` over the file that `loaded` came from, keeping an unreadable file first.
  void Save(const RegistryHive& hive, const Loaded& loaded) const;

  std::string file_;
  std::optional<std::string> openKey_;  // path of the open key, without a leading "\"
  RegistryHive hive_;                   // the file's content as last read or written
};

}  // namespace quill::platform
