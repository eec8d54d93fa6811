// Encoded words and header folding over arbitrary bytes. The first byte picks the locale and
// whether the text is a display name; the rest is the Shift_JIS text.
//
// Checked: the converted text is 7-bit and ends in ASCII mode; every folded line is non-empty
// and free of CR and LF, every line after the first is a continuation line, and folding
// neither loses nor adds a byte other than blanks and line ends.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mailer/message/HeaderEncoding.h"
#include "mailer/message/SjisToIso2022jp.h"

namespace {

using quill::platform::LocaleLanguage;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string WithoutBlanks(std::string_view text) {
  std::string kept;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 0x20) kept += c;
  }
  return kept;
}

void CheckConversion(std::string_view sjis) {
  const std::string jis = quill::SjisToIso2022jp(sjis);
  for (const char c : jis) Check(static_cast<unsigned char>(c) < 0x80);
  // Input bytes below 80h may hold escapes of their own; only a converted stretch must close.
  if (sjis.find('\x1b') != std::string_view::npos) return;
  const auto lastEscape = jis.rfind('\x1b');
  if (lastEscape != std::string::npos) Check(jis.compare(lastEscape, 3, "\x1b(B") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr LocaleLanguage kLocales[] = {
      LocaleLanguage::Japanese, LocaleLanguage::ChineseSimplified,
      LocaleLanguage::ChineseTraditional, LocaleLanguage::Korean, LocaleLanguage::Other};
  const LocaleLanguage locale = kLocales[data[0] % 5];
  const auto context = (data[0] & 0x80) ? quill::WordContext::Phrase : quill::WordContext::Text;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  CheckConversion(text);
  const std::string value = quill::EncodeHeaderText(text, quill::CharsetFor(locale), context);
  const std::string line = "Subject: " + value;
  const auto lines = quill::FoldHeaderLine(line, locale);
  Check(!lines.empty());
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Check(!lines[i].empty());
    Check(lines[i].find_first_of("\r\n") == std::string::npos);
    if (i > 0) Check(lines[i][0] == ' ' || lines[i][0] == '\t');
    joined += lines[i];
  }
  Check(WithoutBlanks(joined) == WithoutBlanks(line));

  // Folding alone over raw bytes must stay in bounds and keep every byte but blanks.
  const auto raw = quill::FoldHeaderLine(text, locale);
  std::string rawJoined;
  for (const auto& piece : raw) rawJoined += piece;
  Check(WithoutBlanks(rawJoined) == WithoutBlanks(text));
  return 0;
}
