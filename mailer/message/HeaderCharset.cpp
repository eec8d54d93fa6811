#include "mailer/message/HeaderCharset.h"

#include "platform/TextCodec.h"

namespace quill {

using platform::LocaleLanguage;

HeaderCharset CharsetFor(LocaleLanguage language) {
  switch (language) {
    case LocaleLanguage::Japanese:
      return {"ISO-2022-JP", WordEncoding::B, true};
    case LocaleLanguage::ChineseSimplified:
      return {"GB2312", WordEncoding::B, false};
    case LocaleLanguage::ChineseTraditional:
      return {"Big5", WordEncoding::B, false};
    case LocaleLanguage::Korean:
      return {"EUC-KR", WordEncoding::B, false};
    case LocaleLanguage::Other:
      break;
  }
  return {"ISO-8859-1", WordEncoding::Q, false};
}

bool IsCodePageLeadByte(LocaleLanguage language, unsigned char b) {
  switch (language) {
    case LocaleLanguage::Japanese:
      return platform::IsSjisLeadByte(b);
    case LocaleLanguage::ChineseSimplified:
    case LocaleLanguage::ChineseTraditional:
    case LocaleLanguage::Korean:
      return b >= 0x81 && b <= 0xFE;
    case LocaleLanguage::Other:
      break;
  }
  return false;
}

}  // namespace quill
