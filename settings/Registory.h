#pragma once
// The mailer's four program settings and their place in the registry.

#include <cstdint>
#include <string>

namespace quill {

/// The program settings, a plain data holder whose fields the rest of the program reads and
/// writes directly. They live in HKEY_CURRENT_USER under "\Software\Korvane\Quill2" as the
/// values "Status", "ErrorDisp", "SendErrorBreak" (REG_DWORD) and "LogFile" (REG_SZ).
class TRegistory {
 public:
  /// The defaults; touches no file. The registry is the user's (platform::DefaultRegistryFile()).
  TRegistory();
  /// The same over the registry held in `registryFile`.
  explicit TRegistory(std::string registryFile);

  /// Replaces the fields with what the key holds. A missing key, a file that cannot be read or
  /// is damaged, and a value that is missing or of another type leave the field as it was; a
  /// missing "LogFile" makes LogFile empty. A DWORD flag is on when not 0; "LogFile" may be
  /// REG_SZ or REG_EXPAND_SZ, is cut at its first NUL and has its references unexpanded.
  /// Never throws quill::Error.
  void LoadSettings();

  /// Writes the four fields to the key, creating it and the keys above it when missing (flags
  /// as 0 or 1, LogFile as REG_SZ), all in one replacement of the file. Returns without writing
  /// when the key cannot exist; throws quill::Error naming the file and the reason when it
  /// cannot be written, and the file then stays as it was.
  void SaveSettings();

  bool Status = false;         ///< copy the connection status texts into the run log
  std::int32_t ErrorDisp = 0;  ///< what a send error adds to the run log (0..2, not checked)
  std::string LogFile;         ///< name offered when the run log is saved (native path)
  bool SendErrorBreak = true;  ///< a send error ends the send run

 private:
  std::string registryFile_;
};

}  // namespace quill
