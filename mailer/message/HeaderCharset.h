#pragma once
// How the message writer treats text in each locale: the charset label of encoded words,
// B or Q encoding, and whether Shift_JIS text is converted to ISO-2022-JP first.

#include <string_view>

#include "platform/Locale.h"

namespace quill {

enum class WordEncoding { B, Q };

struct HeaderCharset {
  std::string_view label;  ///< charset name inside "=?label?B?...?="
  WordEncoding encoding;
  bool convertsToIso2022jp;  ///< header words and the body of a message without attachments
};

/// The charset of the locale's primary language: Japanese "ISO-2022-JP" (B, converted),
/// simplified Chinese "GB2312", other Chinese "Big5", Korean "EUC-KR" (B, not converted),
/// any other "ISO-8859-1" (Q, not converted).
HeaderCharset CharsetFor(platform::LocaleLanguage language);

/// Whether `b` is the first byte of a double-byte character in the locale's code page
/// (932, 936, 950 or 949; none in the single-byte code page of other locales).
bool IsCodePageLeadByte(platform::LocaleLanguage language, unsigned char b);

}  // namespace quill
