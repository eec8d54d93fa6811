#pragma once
// Whole-file reads and writes. Every failure is a quill::Error whose text names the file and
// the system's reason, as in: Cannot write file "/home/u/log.txt". No space left on device

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace quill::platform {

/// The whole content of the file at `path`. Throws when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

/// Up to `maxBytes` bytes from the start of the file at `path` (all of it by default), or
/// nullopt when nothing exists there (nor can: a folder on its way is a file). Throws when the
/// file exists but cannot be opened or read; a directory counts as such a file. A FIFO at the
/// path does not block the open.
std::optional<std::string> ReadFileIfPresent(const std::string& path,
                                             std::size_t maxBytes = std::string::npos);

/// The whole content of the regular file at `path`, which may hold at most `maxBytes` bytes
/// (below std::string::npos); no byte past that size is read. Throws when the file cannot be
/// opened or read, when it is no regular file (a folder, a FIFO or a device: a FIFO could
/// block and a device never end), and when it is larger than `maxBytes`.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes);

/// What ReplaceFileAtomically writes: it sets the new file's permission bits and, for a
/// document, where it goes.
enum class ReplacedFileMode {
  OwnerOnly,  ///< 0600 (files that hold credentials or settings)
  /// A document the user chose: the old file's bits, or 0666 less the umask for a new file.
  /// A symbolic link at the path stays, and the file it names is replaced; a file that the
  /// user may not write is refused ("Cannot create file ... Permission denied"), as writing it
  /// in place would be, and so is anything but a regular file, without waiting on it (a
  /// folder: "Is a directory"; a FIFO or a device: "Invalid argument").
  KeepOrUmaskDefault
};

/// Replaces the file at `path` with `bytes` so that it holds either its old or its new
/// content, never a mix, whenever the save fails or the program is killed (every file the
/// programs write: the settings, the account file, a body text, the run log, a cleaned address
/// list). A temporary file in the same folder, created with mode 0600, takes the bytes (every
/// byte checked, a short write is an error), is given its final mode, flushed to the disk and
/// renamed over `path`. On failure the temporary file is removed and the old file stays as it
/// was: "Cannot create file" when the temporary file cannot be made, "Cannot write file" for
/// the rest.
///
/// The temporary file is made unnamed (O_TMPFILE) and gets a name only just before the rename;
/// where the file system refuses unnamed files it is named from the start. Its name, for a file
/// named NAME, is
///     .NAME.XXXXXX.saving
/// with NAME cut to its first 240 bytes (so the name fits in 255 bytes) and XXXXXX six random
/// letters or digits. The save holds an exclusive flock() on it from its creation to its end.
/// So a save killed at any moment leaves at most one such file, unlocked (none before the name
/// is given). Every save first removes the files of that form for its NAME in the folder of the
/// file it replaces whose lock it can take, after checking that the name still names the file
/// it locked. A file whose save still runs (another instance of the program saving the same
/// file) holds its lock and is never removed; so is every file where the file system has no
/// locks. Names of that form are the saves' own: an unlocked file under one is a leftover.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                           ReplacedFileMode mode = ReplacedFileMode::OwnerOnly);

/// For tests: `beforeRename` runs in every later ReplaceFileAtomically once its temporary file
/// has its name and its lock, just before the rename, with the temporary file's path; a result
/// other than 0 fails the rename with that errno value. An empty function ends this.
void SetBeforeRenameForTesting(std::function<int(const std::string& temporaryPath)> beforeRename);

/// For tests: `named` true makes every later ReplaceFileAtomically name its temporary file
/// from the start, as on a file system that refuses unnamed files; false ends this.
void SetNamedTemporaryFilesForTesting(bool named);

/// Creates the directory `dir` and every missing directory above it with `mode`. A failure
/// names `forFile`, the file the directory is made for.
void MakeDirectories(const std::string& dir, mode_t mode, const std::string& forFile);

/// Reads the regular file at `path` from start to end in pieces of `pieceSize` bytes (the
/// last one shorter; an empty file gives none) and hands each to `consume` as soon as it is
/// read, so that a file of any size is never held whole. The open takes no lock, so other
/// readers and writers share the file, and never waits on a FIFO; only a regular file is read,
/// since a FIFO or a device could keep the reader waiting without end. Returns no error, or the
/// reason the file could not be opened or read: EISDIR for a directory, EINVAL for any other
/// file that is not regular. An exception from `consume` passes through.
[[nodiscard]] std::error_code ReadFileInPieces(
    const std::string& path, std::size_t pieceSize,
    const std::function<void(std::string_view piece)>& consume);

}  // namespace quill::platform
