#include "platform/TextCodec.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <unordered_map>

#include "platform/Utf8.h"

namespace quill::platform {
namespace {

constexpr char32_t kRawByteBase = 0xF780;  // U+F780..U+F7FF stand for the bytes 0x80..0xFF

// Converts one unit with iconv; returns 0 when iconv refuses it or gives more than one code point.
char32_t IconvDecodeOne(iconv_t cd, const char* in, size_t len) {
  char32_t out[2] = {0, 0};
  char* inPtr = const_cast<char*>(in);
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = len, outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
    return 0;
  return sizeof(out) - outLeft == sizeof(char32_t) ? out[0] : 0;
}

// The double-byte part of CP932 as two tables, built once from glibc's converter. Only the
// pairs that come back to the same two bytes are kept, which is what makes decoding lossless
// (CP932 maps some characters twice, for example the NEC and IBM extensions).
struct DoubleByteTables {
  std::array<char32_t, 65536> decode{};           // pair -> code point, 0 for none
  std::unordered_map<char32_t, uint16_t> encode;  // code point -> pair

  DoubleByteTables() {
    iconv_t toUcs = iconv_open("UTF-32LE", "CP932");
    iconv_t fromUcs = iconv_open("CP932", "UTF-32LE");
    if (toUcs == reinterpret_cast<iconv_t>(-1) || fromUcs == reinterpret_cast<iconv_t>(-1)) return;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!IsSjisTrailByte(static_cast<unsigned char>(trail))) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const char32_t cp = IconvDecodeOne(toUcs, pair, 2);
        if (cp == 0 || encode.count(cp)) continue;
        char back[4];
        char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(&cp));
        char* outPtr = back;
        size_t inLeft = sizeof(cp), outLeft = sizeof(back);
        iconv(fromUcs, nullptr, nullptr, nullptr, nullptr);
        if (iconv(fromUcs, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) continue;
        if (sizeof(back) - outLeft != 2 || back[0] != pair[0] || back[1] != pair[1]) continue;
        decode[lead << 8 | trail] = cp;
        encode.emplace(cp, static_cast<uint16_t>(lead << 8 | trail));
      }
    }
    iconv_close(toUcs);
    iconv_close(fromUcs);
  }
};

const DoubleByteTables& Tables() {
  static const DoubleByteTables tables;
  return tables;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  const auto& tables = Tables();
  std::string out;
  out.reserve(sjis.size() * 3 / 2);
  for (size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      AppendUtf8(out, 0xFF61 + (b - 0xA1));  // half-width katakana
    } else if (IsSjisLeadByte(b) && i + 1 < sjis.size() &&
               tables.decode[b << 8 | static_cast<unsigned char>(sjis[i + 1])] != 0) {
      AppendUtf8(out, tables.decode[b << 8 | static_cast<unsigned char>(sjis[i + 1])]);
      ++i;
    } else {
      AppendUtf8(out, kRawByteBase + (b - 0x80));
    }
  }
  return out;
}

std::string Utf8ToSjis(std::string_view utf8) {
  const auto& tables = Tables();
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextUtf8(utf8, i);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
      out += static_cast<char>(0xA1 + (cp - 0xFF61));
    } else if (cp >= kRawByteBase && cp < kRawByteBase + 0x80) {
      out += static_cast<char>(0x80 + (cp - kRawByteBase));
    } else if (auto it = tables.encode.find(cp); it != tables.encode.end()) {
      out += static_cast<char>(it->second >> 8);
      out += static_cast<char>(it->second & 0xFF);
    } else {
      out += '?';
    }
  }
  return out;
}

}  // namespace quill::platform
