#pragma once
// The primary language of the user's locale, as far as the message writer needs it.

#include <string_view>

namespace quill::platform {

enum class LocaleLanguage {
  Japanese,            ///< charset "ISO-2022-JP", B encoding, Shift_JIS converted
  ChineseSimplified,   ///< "GB2312", B
  ChineseTraditional,  ///< "Big5", B
  Korean,              ///< "EUC-KR", B
  Other,               ///< "ISO-8859-1", Q
};

/// Reads LC_ALL, else LC_CTYPE, else LANG: "ja" Japanese, "zh_CN"/"zh_SG" simplified Chinese,
/// other "zh" traditional Chinese, "ko" Korean; unset, "C", "POSIX" and anything else Other.
LocaleLanguage CurrentLocaleLanguage();

/// The language of one POSIX locale name such as "ja_JP.UTF-8", by the rules above.
LocaleLanguage LocaleLanguageOf(std::string_view localeName);

}  // namespace quill::platform
