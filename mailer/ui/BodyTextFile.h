#pragma once
// The body text file: Shift_JIS bytes with CR LF line breaks, read into the body editor and
// written from it. Files and the editor meet only here and in the run log file.

#include <QString>
#include <cstddef>
#include <string>

namespace quill {

/// The largest body file the editor takes. A larger file is a load failure, so that a big
/// file chosen by mistake never holds the window up; it is not read past this size.
inline constexpr std::size_t kBodyFileLimit = 16 * 1024 * 1024;

/// The subject name of a body file: the file's name without its folder, in Shift_JIS, cut
/// before the first ".txt" (byte-wise, so ".TXT" does not match); empty when the name holds
/// no ".txt".
std::string DocNameOf(const std::string& nativePath);

/// The text of the body file at `nativePath` for the editor: a NUL byte ends the text, every
/// CR LF, lone CR and lone LF is one line break, every other byte is kept (see
/// platform/ui/SjisText.h). Throws quill::Error when the file cannot be read, is no regular
/// file or is larger than kBodyFileLimit.
QString ReadBodyTextFile(const std::string& nativePath);

/// Writes the editor's `text` to `nativePath` byte for byte in Shift_JIS with CR LF line
/// breaks, replacing the file as a document (platform::ReplaceFileAtomically): the file holds
/// its old text or the new one, never a part. Throws quill::Error when it cannot be written in
/// full, and then the old file is unchanged.
void WriteBodyTextFile(const std::string& nativePath, const QString& text);

}  // namespace quill
