#pragma once
// The text codec at the GUI boundary: Shift_JIS bytes with CR LF line ends inside the
// system, Unicode with "\n" inside Qt widgets.

#include <QString>
#include <string>
#include <string_view>

namespace quill::platform {

/// Shift_JIS bytes to widget text, lossless (see TextCodec.h). CR LF, and a CR or LF alone,
/// become "\n".
QString from_sjis(std::string_view sjis);

/// Widget text to Shift_JIS bytes: "\n" (and Qt's paragraph and line separators) become
/// CR LF; a character that CP932 cannot hold becomes "?".
std::string to_sjis(const QString& text);

/// A UTF-8 literal of the sources as Shift_JIS bytes (UI texts that enter byte strings).
std::string sjis(std::string_view utf8);

/// A native file path (UTF-8) for a widget, and back.
QString from_native(std::string_view path);
std::string to_native(const QString& path);

}  // namespace quill::platform
