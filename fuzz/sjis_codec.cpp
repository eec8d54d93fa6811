// The Shift_JIS codec of the GUI boundary on arbitrary bytes. Every byte sequence decodes to
// well-formed UTF-8 (no surrogate, nothing past U+10FFFF, no overlong form), which a widget
// holds as it is, and encodes back to exactly the same bytes: a file loaded and saved
// unchanged stays byte-identical. The same bytes read as UTF-8 (well-formed or not) encode
// without failing, and what they encode to is itself a fixed point of the round trip. (The
// other way round is not lossless, nor need it be: the character of a stray byte followed by a
// trail byte encodes to a pair that then reads as one character.)
//
// The widget layer (from_sjis, to_sjis) adds only the UTF-16 step, lossless for well-formed
// UTF-8, and the change of line ends; the fuzz build holds no Qt, so it is left out here.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/TextCodec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Whether `s` is well-formed UTF-8 (RFC 3629), checked byte by byte without the codec's help.
bool IsWellFormedUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t length;
    char32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      cp = b & 0x07;
    } else {
      return false;
    }
    if (i + length > s.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if (!IsContinuation(c)) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using quill::platform::SjisToUtf8;
  using quill::platform::Utf8ToSjis;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string text = SjisToUtf8(bytes);
  Check(IsWellFormedUtf8(text));
  Check(Utf8ToSjis(text) == bytes);
  // A byte alone gives at most three bytes of UTF-8, a pair at most four.
  Check(text.size() >= size / 2 && text.size() <= 3 * size);

  const std::string encoded = Utf8ToSjis(bytes);
  Check(encoded.size() <= size);  // no character needs more bytes in Shift_JIS than in UTF-8
  const std::string decoded = SjisToUtf8(encoded);
  Check(IsWellFormedUtf8(decoded));
  Check(Utf8ToSjis(decoded) == encoded);
  return 0;
}
