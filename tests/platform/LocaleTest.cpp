#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/Locale.h"

namespace quill::platform {
namespace {

TEST(LocaleTest, PrimaryLanguageOfLocaleNames) {
  struct Case {
    const char* name;
    LocaleLanguage language;
  };
  const Case cases[] = {
      {"ja_JP.UTF-8", LocaleLanguage::Japanese},
      {"ja", LocaleLanguage::Japanese},
      {"ja_JP.eucJP@euro", LocaleLanguage::Japanese},
      {"zh_CN.UTF-8", LocaleLanguage::ChineseSimplified},
      {"zh_SG", LocaleLanguage::ChineseSimplified},
      {"zh_TW.UTF-8", LocaleLanguage::ChineseTraditional},
      {"zh_HK", LocaleLanguage::ChineseTraditional},
      {"zh", LocaleLanguage::ChineseTraditional},
      {"ko_KR.UTF-8", LocaleLanguage::Korean},
      {"en_US.UTF-8", LocaleLanguage::Other},
      {"C", LocaleLanguage::Other},
      {"POSIX", LocaleLanguage::Other},
      {"jam", LocaleLanguage::Other},
      {"", LocaleLanguage::Other},
  };
  for (const auto& c : cases) EXPECT_EQ(LocaleLanguageOf(c.name), c.language) << c.name;
}

// Sets or unsets one environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(LocaleTest, CurrentLocaleTakesTheFirstSetVariable) {
  struct Case {
    const char* name;
    const char* lcAll;
    const char* lcCtype;
    const char* lang;
    LocaleLanguage language;
  };
  const Case cases[] = {
      {"LC_ALL first", "ja_JP.UTF-8", "ko_KR.UTF-8", "zh_CN.UTF-8", LocaleLanguage::Japanese},
      {"empty LC_ALL is unset", "", "ko_KR.UTF-8", "ja_JP.UTF-8", LocaleLanguage::Korean},
      {"LANG last", nullptr, nullptr, "zh_CN.UTF-8", LocaleLanguage::ChineseSimplified},
      {"nothing set", nullptr, nullptr, nullptr, LocaleLanguage::Other},
  };
  for (const auto& c : cases) {
    ScopedEnv lcAll("LC_ALL", c.lcAll), lcCtype("LC_CTYPE", c.lcCtype), lang("LANG", c.lang);
    EXPECT_EQ(CurrentLocaleLanguage(), c.language) << c.name;
  }
}

}  // namespace
}  // namespace quill::platform
