#pragma once
// Small whole files that must never be left half written (the settings and account files).

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace quill::platform {

/// The whole file at `path`, or nullopt when it does not exist (nor can, a folder on its way
/// being a file). Throws quill::Error naming the file and the reason when it exists but
/// cannot be read.
std::optional<std::string> ReadFileIfPresent(const std::string& path);

/// Creates the directory `dir` and every missing directory above it with `mode`. Throws
/// quill::Error naming `forFile` (the file the directory is made for) and the reason.
void MakeDirectories(const std::string& dir, mode_t mode, const std::string& forFile);

/// Replaces the file at `path` with `bytes` so that the file holds either its old or its new
/// content, never a mix: a temporary file in the same directory, created with mode 0600, takes
/// the bytes (every byte written is checked), is flushed to the disk and renamed over `path`.
/// The new file has mode 0600. On failure the temporary file is removed, the old file stays as
/// it was, and quill::Error names `path` and the reason.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace quill::platform
