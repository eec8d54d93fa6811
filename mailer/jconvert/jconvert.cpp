#include "mailer/jconvert/jconvert.h"

#include <algorithm>

namespace quill {

const std::array<uint8_t, 63> KanaTable = {
    0x23, 0x56, 0x57, 0x22, 0x26, 0x72, 0x21, 0x23, 0x25, 0x27, 0x29, 0x63, 0x65,  // ｡..ｮ
    0x67, 0x43, 0x3C, 0x22, 0x24, 0x26, 0x28, 0x2A, 0x2B, 0x2D, 0x2F, 0x31, 0x33,  // ｮ..ｺ
    0x35, 0x37, 0x39, 0x3B, 0x3D, 0x3F, 0x41, 0x44, 0x46, 0x48, 0x4A, 0x4B, 0x4C,  // ｻ..ﾇ
    0x4D, 0x4E, 0x4F, 0x52, 0x55, 0x58, 0x5B, 0x5E, 0x5F, 0x60, 0x61, 0x62, 0x64,  // ﾈ..ﾔ
    0x66, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6F, 0x73, 0x2B, 0x2C,              // ﾕ..ﾟ
};

namespace {

constexpr size_t kPreScanLimit = 512;
constexpr uint8_t kEsc = 0x1B;
constexpr BytePair kGeta = {0x22, 0x2E};  // 〓, the substitute for a byte that has no kana
constexpr uint8_t kVoiced = 0xDE;
constexpr uint8_t kSemiVoiced = 0xDF;

uint8_t At(std::string_view s, size_t i) { return static_cast<uint8_t>(s[i]); }
bool In(uint8_t b, uint8_t low, uint8_t high) { return b >= low && b <= high; }

// The converters' output. They append byte by byte, so bytes go through a small staging
// buffer written through a raw pointer and are added to the result in blocks. The result is
// reserved from the input's size and never zero-filled (pages that stay unused cost nothing);
// it grows, geometrically, only when that estimate falls short.
class Output {
 public:
  explicit Output(size_t expected) { bytes_.reserve(expected); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void Room(size_t n) {
    if (staged_ + n > kStage) Flush();
  }
  void Put(uint8_t b) { stage_[staged_++] = static_cast<char>(b); }
  void PutPair(BytePair p) {
    Put(p[0]);
    Put(p[1]);
  }
  void PutEscape(const char (&seq)[4]) {
    Put(static_cast<uint8_t>(seq[0]));
    Put(static_cast<uint8_t>(seq[1]));
    Put(static_cast<uint8_t>(seq[2]));
  }
  std::string Take() {
    Flush();
    return std::move(bytes_);
  }

 private:
  static constexpr size_t kStage = 1 << 14;
  void Flush() {
    bytes_.append(stage_, staged_);
    staged_ = 0;
  }

  std::string bytes_;
  size_t staged_ = 0;
  char stage_[kStage];
};

constexpr char kToKanji[4] = "\x1b$B";
constexpr char kToRoman[4] = "\x1b(J";

// The shift state of the two JIS writers.
class JisWriter {
 public:
  // Japanese prose grows by a third or so (escape sequences around every change of mode);
  // half as much again as the input covers it, and reserved room that stays unused costs no
  // memory, so only text full of half-width katakana has to grow the output.
  explicit JisWriter(size_t inputSize) : out_(inputSize + inputSize / 2 + 16) {}
  void SingleByte(uint8_t b) {
    out_.Room(4);
    if (kanji_) {
      out_.PutEscape(kToRoman);
      kanji_ = false;
    }
    out_.Put(b);
  }
  void Kanji(BytePair p) {
    out_.Room(5);
    if (!kanji_) {
      out_.PutEscape(kToKanji);
      kanji_ = true;
    }
    out_.PutPair(p);
  }
  std::string Take() { return out_.Take(); }

 private:
  Output out_;
  bool kanji_ = false;
};

// Whether a half-width katakana (its byte with the top bit cleared) merges with `mark`.
// Returns the cell offset of the merged form, or 0.
int MarkOffset(uint8_t k, uint8_t mark) {
  if (mark == kVoiced && (k == 0x33 || In(k, 0x36, 0x44) || In(k, 0x4A, 0x4E))) return 1;
  if (mark == kSemiVoiced && In(k, 0x4A, 0x4E)) return 2;
  return 0;
}

bool RowOneKana(uint8_t k) { return In(k, 0x21, 0x25) || k == 0x30 || k == 0x5E || k == 0x5F; }

// The JIS code of half-width katakana `k` (0x21..0x5F) with the mark `mark` (0 for none);
// sets `merged` when the mark became part of the character.
BytePair KanaToJis(uint8_t k, uint8_t mark, bool& merged) {
  merged = false;
  const uint8_t cell = KanaTable[k - 0x21];
  if (RowOneKana(k)) return {0x21, cell};
  const int offset = MarkOffset(k, mark);
  if (offset == 0) return {0x25, cell};
  merged = true;
  if (k == 0x33) return {0x25, 0x74};  // ｳﾞ is ヴ, outside the plain + 1 pattern
  return {0x25, static_cast<uint8_t>(cell + offset)};
}

// Rule 6's run test: after a byte pair that leaves EUC-JP and Shift_JIS open, the bytes of
// 0x40 or above that follow decide it. Returns the index after the byte that ends the run.
size_t RunTest(std::string_view s, size_t j, int& code) {
  const size_t n = s.size();
  while (j < n && code == jcEucOrSjis) {
    const uint8_t b = At(s, j++);
    if (b < 0x40) break;  // ends the run, and is consumed with it
    if (In(b, 0x81, 0x8D) || In(b, 0x8F, 0x9C)) code = jcSjis;
    if (b == 0xFD || b == 0xFE) code = jcEuc;
  }
  return j;
}

// One step of the main scan at `i`: may set `code`; returns the index of the next byte.
size_t ScanStep(std::string_view s, size_t i, int& code) {
  const size_t n = s.size();
  const uint8_t x = At(s, i);
  if (x == kEsc) {
    const uint8_t y = At(s, i + 1);
    if (y != 0x24) return i + 2;
    if (i + 2 < n) {
      if (At(s, i + 2) == 0x42) code = jcJis;
      if (At(s, i + 2) == 0x40) code = jcJis78;
    }
    return i + 3;
  }
  if (x < 0x08 || x == 0xFF) {
    code = jcBinary;
    return i + 1;
  }
  if (x <= 0x7F || x == 0x80 || x == 0xA0) return i + 1;
  if (In(x, 0x81, 0x8D) || In(x, 0x8F, 0x9F)) {
    code = jcSjis;
    return i + 1;
  }
  if (In(x, 0xF0, 0xFE)) {
    code = jcEuc;
    return i + 1;
  }
  const uint8_t y = At(s, i + 1);
  if (x == 0x8E) {
    if (In(y, 0x40, 0x7E) || In(y, 0x80, 0xA0) || In(y, 0xE0, 0xFC)) code = jcSjis;
    if (In(y, 0xA1, 0xDF)) code = jcEucOrSjis;
    return i + 2;
  }
  if (In(x, 0xA1, 0xDF)) {
    if (In(y, 0xF0, 0xFE)) {
      code = jcEuc;
    } else if (In(y, 0xA1, 0xDF)) {
      code = jcEucOrSjis;
    } else if (In(y, 0xE0, 0xEF)) {
      code = jcEucOrSjis;
      return RunTest(s, i + 2, code);
    } else if (y <= 0x9F) {
      code = jcSjis;
    }
    return i + 2;
  }
  // x in 0xE0..0xEF
  if (In(y, 0x40, 0x7E) || In(y, 0x80, 0xA0)) code = jcSjis;
  if (y == 0xFD || y == 0xFE) code = jcEuc;
  if (In(y, 0xA1, 0xFC)) code = jcEucOrSjis;
  return i + 2;
}

// The single-byte mode of the JIS readers: every byte is copied.
auto Copier(std::string_view text, Output& out) {
  return [text, &out](size_t i) {
    out.Room(1);
    out.Put(At(text, i));
    return i + 1;
  };
}

// Reads a JIS text: calls `kanji(i)` or `single(i)` for the byte at i in the current mode
// (each returns the index of the next byte); escape sequences switch the mode.
template <class Single, class Kanji>
void ReadJis(std::string_view s, Single single, Kanji kanji) {
  const size_t n = s.size();
  bool inKanji = false;
  size_t i = 0;
  while (i < n) {
    if (At(s, i) == kEsc) {
      if (i + 1 < n) {
        if (At(s, i + 1) == 0x24) inKanji = true;
        if (At(s, i + 1) == 0x28) inKanji = false;
      }
      i += 3;
      if (i >= n) break;
      // The byte after an escape sequence is converted at once, without its own ESC test.
    }
    i = inKanji ? kanji(i) : single(i);
  }
}

}  // namespace

BytePair SjisPairToJis(uint8_t lead, uint8_t trail) {
  uint8_t row = static_cast<uint8_t>(lead < 0xA0 ? (lead - 0x70) * 2 : (lead - 0xB0) * 2);
  uint8_t cell;
  if (trail < 0x9F) {
    row = static_cast<uint8_t>(row - 1);
    cell = static_cast<uint8_t>(trail <= 0x7F ? trail - 0x1F : trail - 0x20);
  } else {
    cell = static_cast<uint8_t>(trail - 0x7E);
  }
  return {row, cell};
}

BytePair JisPairToSjis(uint8_t row, uint8_t cell) {
  const uint8_t half = static_cast<uint8_t>(static_cast<uint8_t>(row + 1) / 2);
  const uint8_t lead = static_cast<uint8_t>(half + (row < 0x5F ? 0x70 : 0xB0));
  uint8_t trail;
  if (row % 2 == 1)
    trail = static_cast<uint8_t>(cell <= 0x5F ? cell + 0x1F : cell + 0x20);
  else
    trail = static_cast<uint8_t>(cell + 0x7E);
  return {lead, trail};
}

BytePair SjisKanaToJis(std::string_view text, size_t& pos) {
  const uint8_t x = At(text, pos);
  if (!In(x, 0xA1, 0xDF)) {
    ++pos;
    return kGeta;
  }
  const uint8_t mark = pos + 1 < text.size() ? At(text, pos + 1) : 0;
  bool merged;
  const BytePair code = KanaToJis(x & 0x7F, mark, merged);
  pos += merged ? 2 : 1;
  return code;
}

BytePair EucKanaToJis(std::string_view text, size_t& pos) {
  const uint8_t y = pos + 1 < text.size() ? At(text, pos + 1) : 0;
  if (!In(y, 0xA1, 0xDF)) {
    pos += 2;
    return kGeta;
  }
  const bool markFollows = pos + 3 < text.size() && At(text, pos + 2) == 0x8E;
  const uint8_t mark = markFollows ? At(text, pos + 3) : 0;
  bool merged;
  const BytePair code = KanaToJis(y & 0x7F, mark, merged);
  pos += merged ? 4 : 2;
  return code;
}

int DetectKanjiCode(std::string_view text) {
  const size_t n = text.size();
  const size_t preScan = n == 0 ? 0 : std::min(kPreScanLimit, n - 1);
  for (size_t i = 0; i < preScan; ++i) {
    const uint8_t b = At(text, i);
    if (b < 0x08 || b == 0xFF) return jcBinary;
  }
  int code = jcAscii;
  // The last byte never starts a rule, so every rule has the byte after the one in hand.
  for (size_t i = 0; (code == jcAscii || code == jcEucOrSjis) && i + 1 < n;)
    i = ScanStep(text, i, code);
  return code;
}

std::string ConvertKanjiCode(std::string_view text, int target) {
  const int code = DetectKanjiCode(text);
  const bool jis = code == jcJis || code == jcJis78;
  switch (target) {
    case jcJis:
      if (code == jcEuc) return EucToJis(text);
      if (code == jcSjis) return SjisToJis(text);
      break;
    case jcEuc:
      if (jis) return JisToEuc(text);
      if (code == jcSjis) return SjisToEuc(text);
      break;
    case jcSjis:
      if (jis) return JisToSjis(text);
      if (code == jcEuc) return EucToSjis(text);
      break;
    default:
      break;
  }
  return std::string(text);
}

std::string SjisToJis(std::string_view text) {
  const size_t n = text.size();
  JisWriter out(n);
  for (size_t i = 0; i < n;) {
    const uint8_t x = At(text, i);
    if (x < 0x80) {
      out.SingleByte(x);
      ++i;
    } else if (In(x, 0xA1, 0xDF)) {
      out.Kanji(SjisKanaToJis(text, i));
    } else if (i + 1 < n) {
      out.Kanji(SjisPairToJis(x, At(text, i + 1)));
      i += 2;
    } else {
      break;  // a lead byte without its trail byte adds nothing
    }
  }
  return out.Take();
}

std::string EucToJis(std::string_view text) {
  const size_t n = text.size();
  JisWriter out(n);
  for (size_t i = 0; i < n;) {
    const uint8_t x = At(text, i);
    if (x < 0x80) {
      out.SingleByte(x);
      ++i;
    } else if (i + 1 >= n) {
      break;  // the first byte of a pair without its second adds nothing
    } else if (x == 0x8E) {
      out.Kanji(EucKanaToJis(text, i));
    } else {
      out.Kanji({static_cast<uint8_t>(x & 0x7F), static_cast<uint8_t>(At(text, i + 1) & 0x7F)});
      i += 2;
    }
  }
  return out.Take();
}

std::string SjisToEuc(std::string_view text) {
  const size_t n = text.size();
  Output out(n + 8);
  for (size_t i = 0; i < n;) {
    const uint8_t x = At(text, i);
    out.Room(2);
    if (x < 0x80) {
      out.Put(x);
      ++i;
    } else if (In(x, 0xA1, 0xDF)) {
      out.Put(0x8E);
      out.Put(x);
      ++i;
    } else if (i + 1 < n) {
      const BytePair jis = SjisPairToJis(x, At(text, i + 1));
      out.PutPair({static_cast<uint8_t>(jis[0] | 0x80), static_cast<uint8_t>(jis[1] | 0x80)});
      i += 2;
    } else {
      break;
    }
  }
  return out.Take();
}

std::string EucToSjis(std::string_view text) {
  const size_t n = text.size();
  Output out(n + 8);
  for (size_t i = 0; i < n;) {
    const uint8_t x = At(text, i);
    out.Room(2);
    if (x <= 0x80 || x == 0xFF) {
      out.Put(x);
      ++i;
    } else if (i + 1 >= n) {
      break;
    } else if (x == 0x8E) {
      out.Put(At(text, i + 1));  // the half-width katakana stays as it is
      i += 2;
    } else {
      out.PutPair(JisPairToSjis(x & 0x7F, At(text, i + 1) & 0x7F));
      i += 2;
    }
  }
  return out.Take();
}

std::string JisToEuc(std::string_view text) {
  Output out(text.size() + 8);
  auto single = Copier(text, out);
  auto kanji = [&](size_t i) {
    const uint8_t b = At(text, i);
    out.Room(1);
    out.Put(In(b, 0x21, 0x7E) ? static_cast<uint8_t>(b | 0x80) : b);
    return i + 1;
  };
  ReadJis(text, single, kanji);
  return out.Take();
}

std::string JisToSjis(std::string_view text) {
  const size_t n = text.size();
  Output out(n + 8);
  auto single = Copier(text, out);
  auto kanji = [&](size_t i) {
    if (i + 1 >= n) return n;  // half a pair at the end adds nothing
    out.Room(2);
    out.PutPair(JisPairToSjis(At(text, i), At(text, i + 1)));
    return i + 2;
  };
  ReadJis(text, single, kanji);
  return out.Take();
}

}  // namespace quill
