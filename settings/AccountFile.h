#pragma once
// Where the account file lives and how its bytes are read and replaced.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quill {

/// The account file beside the program: `appDir` + "/quill2.smt" (appDir as
/// platform::ProgramDirectory() gives it).
std::string AccountFilePath(std::string_view appDir);

/// Up to `maxBytes` bytes from the start of the file at `path`; nullopt when nothing exists
/// there. Throws quill::Error when the file exists but cannot be opened or read (a directory
/// counts as a file that cannot be read).
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes);

/// Makes `bytes` the whole content of the file at `path`, with mode 0600: writes a temporary
/// file in the same folder, checks that every byte was written and reached the disk, and
/// renames it over the old file. Throws quill::Error on any failure, leaving the old file as
/// it was and no temporary file behind.
void ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace quill
