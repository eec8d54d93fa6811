#pragma once
// Header values as they go on the wire: encoded words (RFC 2047) for the words that need them,
// and folding of long header lines.

#include <string>
#include <string_view>
#include <vector>

#include "mailer/message/HeaderCharset.h"
#include "platform/Locale.h"

namespace quill {

/// Where a text stands: a plain header text (the subject), or a display name in front of an
/// address, where the specials ( ) , . : ; < > @ [ \ ] and the double quote need encoding too.
enum class WordContext { Text, Phrase };

/// Encodes the words of `text` (bytes already in the charset) that need it. A word is the
/// stretch of bytes after a run of blanks (SP, TAB, CR, LF); it needs encoding when it holds a
/// byte 00h..1Fh or 7Fh..FFh (or a special, in a phrase). Neighbouring words that need it go
/// into one stretch, blanks between them included; the blanks before a stretch and words that
/// need nothing are copied unchanged. A stretch becomes "=?label?B?...?=" (or ?Q?); a long
/// one goes on in further encoded words of at most 75 characters, each after CR LF TAB.
std::string EncodeWords(std::string_view text, const HeaderCharset& charset, WordContext context);

/// A subject or display name in Shift_JIS as it goes into its header line: CR and LF replaced
/// by blanks (they would start a new header line), converted to ISO-2022-JP where the charset
/// says so, then encoded by EncodeWords.
std::string EncodeHeaderText(std::string_view sjis, const HeaderCharset& charset,
                             WordContext context);

/// Header folding width.
inline constexpr std::size_t kFoldWidth = 78;

/// Folds one header line ("Name: value", the value possibly holding CR LF TAB breaks of
/// encoded words) and returns its lines without line ends, each trimmed of trailing bytes up to
/// 20h. A line is broken after the last SP, TAB or "," at or before its 78th byte (after the
/// first later one when there is none); the next line begins with a blank. Quoted text and
/// double-byte characters of the locale's code page are never broken; existing CR LF SP/TAB
/// breaks are kept. Only the first line can be empty: a continuation that trims to nothing is
/// left out, so that no empty line ends a header block early.
std::vector<std::string> FoldHeaderLine(std::string_view line, platform::LocaleLanguage locale);

}  // namespace quill
