#pragma once
// Saves in child processes, stopped just before their temporary file is renamed over the
// saved file: killed there, as a save killed at that moment leaves its folder, or held there,
// as a second instance of a program saving the same file would be. Also the seams of the
// file module, reset on every path out of a test.

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quill::test {

/// Runs `save` (a call of platform::ReplaceFileAtomically, or one that leads to it) in a
/// child process that ends with _exit() as soon as the temporary file has its name. Returns
/// the path of the temporary file left behind, or an empty text when the save never got there.
std::string KillSaveBeforeRename(const std::function<void()>& save);

/// Runs `save` in a child process that is killed by the system (SIGXFSZ) as soon as its writes
/// take a file past `bytes` bytes: a save killed in the middle of writing. True when the child
/// died that way.
bool KillSaveInItsWrite(const std::function<void()>& save, rlim_t bytes);

/// A save of `save` running in a child process, held just before its rename until Finish().
class HeldSave {
 public:
  explicit HeldSave(const std::function<void()>& save);
  ~HeldSave();
  HeldSave(const HeldSave&) = delete;
  HeldSave& operator=(const HeldSave&) = delete;

  /// The path of its temporary file, locked by the held save; empty when it never got there.
  const std::string& temporaryPath() const { return temporaryPath_; }
  /// Lets the save go on and waits for it; true when it completed without error.
  bool Finish();

 private:
  pid_t child_ = -1;
  int release_ = -1;
  std::string temporaryPath_;
};

/// The names in `dir` that have the form of a save's temporary file (.NAME.XXXXXX.saving).
std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& dir);

/// Sets the file module's seam that runs before the rename, for the life of the object.
class BeforeRename {
 public:
  explicit BeforeRename(std::function<int(const std::string& temporaryPath)> hook);
  ~BeforeRename();
  BeforeRename(const BeforeRename&) = delete;
  BeforeRename& operator=(const BeforeRename&) = delete;
};

}  // namespace quill::test
