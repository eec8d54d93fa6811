#include "platform/Locale.h"

#include <cstdlib>

namespace quill::platform {

LocaleLanguage LocaleLanguageOf(std::string_view localeName) {
  const auto languageEnd = localeName.find_first_of("_.@");
  const std::string_view language = localeName.substr(0, languageEnd);
  std::string_view territory;
  if (languageEnd != std::string_view::npos && localeName[languageEnd] == '_') {
    territory = localeName.substr(languageEnd + 1);
    territory = territory.substr(0, territory.find_first_of(".@"));
  }
  if (language == "ja") return LocaleLanguage::Japanese;
  if (language == "ko") return LocaleLanguage::Korean;
  if (language == "zh") {
    return territory == "CN" || territory == "SG" ? LocaleLanguage::ChineseSimplified
                                                  : LocaleLanguage::ChineseTraditional;
  }
  return LocaleLanguage::Other;
}

LocaleLanguage CurrentLocaleLanguage() {
  // The first of these that is set and not empty names the locale, as for setlocale(3).
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LocaleLanguageOf(value);
  }
  return LocaleLanguage::Other;
}

}  // namespace quill::platform
