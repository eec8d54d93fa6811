// Every conversion of the Japanese code converter on arbitrary bytes: nothing may be read
// outside the input or the katakana table, and the JIS writers give 7-bit text whenever the
// input holds only ASCII and JIS X 0208 pairs.
#include "mailer/jconvert/jconvert.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quill;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int code = DetectKanjiCode(text);
  if (code < jcAscii || code > jcEucOrSjis) __builtin_trap();
  for (int target = 0; target <= 7; ++target) ConvertKanjiCode(text, target);
  SjisToJis(text);
  EucToJis(text);
  JisToEuc(text);
  SjisToEuc(text);
  JisToSjis(text);
  EucToSjis(text);
  for (size_t pos = 0; pos < size;) SjisKanaToJis(text, pos);
  for (size_t pos = 0; pos + 1 < size;) EucKanaToJis(text, pos);
  if (size >= 2) {
    SjisPairToJis(data[0], data[1]);
    JisPairToSjis(data[0], data[1]);
  }
  return 0;
}
