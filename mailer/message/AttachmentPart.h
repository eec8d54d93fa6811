#pragma once
// The pieces of one attachment part: its file name on the wire and its content in base64.

#include <functional>
#include <string>
#include <string_view>

namespace quill {

/// Bytes of the file in one base64 line: 57 bytes give 76 characters.
inline constexpr std::size_t kBase64LineBytes = 57;

/// The file name as the part's headers carry it: the native path converted to Shift_JIS, the
/// part after its last "/" (a byte that is the second byte of a double-byte character does not
/// count). CR and LF become blanks, so that a name cannot start a header line of its own.
std::string AttachmentFileName(const std::string& nativePath);

/// Opens the file, reads it whole and hands its base64 form to `writeLine` one line at a time
/// as it is produced (each line with its CR LF; an empty file gives no line). Throws
/// quill::Error "ファイル "<path>". <reason> は開けません" (Shift_JIS) when the file cannot be
/// opened or read.
void WriteBase64Lines(const std::string& nativePath,
                      const std::function<void(std::string_view)>& writeLine);

}  // namespace quill
