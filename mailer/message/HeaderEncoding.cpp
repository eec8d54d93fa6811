#include "mailer/message/HeaderEncoding.h"

#include <algorithm>
#include <array>

#include "mailer/message/Base64.h"
#include "mailer/message/SjisToIso2022jp.h"

namespace quill {
namespace {

// An encoded word holds at most this many characters; the budget of the first piece starts at
// the length of "=?label?B?" plus the closing "?=".
constexpr std::size_t kEncodedWordLimit = 75;

bool IsBlank(unsigned char b) { return b == ' ' || b == '\t' || b == '\r' || b == '\n'; }
bool IsControlOrEightBit(unsigned char b) { return b <= 0x1F || b >= 0x7F; }
bool IsPhraseSpecial(unsigned char b) {
  constexpr std::string_view kSpecials = "\"(),.:;<>@[\\]";
  return kSpecials.find(static_cast<char>(b)) != std::string_view::npos;
}

bool NeedsEncoding(std::string_view word, WordContext context) {
  return std::any_of(word.begin(), word.end(), [context](char ch) {
    const auto b = static_cast<unsigned char>(ch);
    return IsControlOrEightBit(b) || (context == WordContext::Phrase && IsPhraseSpecial(b));
  });
}

// The pieces of a stretch: base64 groups of three bytes, or Q-encoded single bytes.
std::vector<std::string> EncodedPieces(std::string_view stretch, WordEncoding encoding,
                                       WordContext context) {
  std::vector<std::string> pieces;
  if (encoding == WordEncoding::B) {
    for (std::size_t i = 0; i < stretch.size(); i += 3) {
      pieces.push_back(Base64Encode(stretch.substr(i, 3)));
    }
    return pieces;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : stretch) {
    const auto b = static_cast<unsigned char>(ch);
    if (b == ' ') {
      pieces.emplace_back("_");
    } else if (IsControlOrEightBit(b) || b == '?' || b == '=' || b == '_' ||
               (context == WordContext::Phrase && IsPhraseSpecial(b))) {
      pieces.push_back({'=', kHex[b >> 4], kHex[b & 0xF]});
    } else {
      pieces.emplace_back(1, ch);
    }
  }
  return pieces;
}

void WriteStretch(std::string_view stretch, const HeaderCharset& charset, WordContext context,
                  std::string& out) {
  std::string prefix = "=?";
  prefix += charset.label;
  prefix += charset.encoding == WordEncoding::B ? "?B?" : "?Q?";
  const std::size_t startBudget = prefix.size() + 2;
  std::size_t budget = startBudget;
  out += prefix;
  for (const std::string& piece : EncodedPieces(stretch, charset.encoding, context)) {
    if (budget + piece.size() > kEncodedWordLimit) {
      out += "?=\r\n\t";
      out += prefix;
      budget = startBudget;
    }
    out += piece;
    budget += piece.size();
  }
  out += "?=";
}

}  // namespace

std::string EncodeWords(std::string_view text, const HeaderCharset& charset, WordContext context) {
  std::string out;
  std::size_t stretchBegin = 0;
  bool stretchOpen = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t runBegin = pos;
    while (pos < text.size() && IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    const std::size_t wordBegin = pos;
    while (pos < text.size() && !IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    const std::string_view word = text.substr(wordBegin, pos - wordBegin);
    if (NeedsEncoding(word, context)) {
      if (!stretchOpen) {
        out.append(text.substr(runBegin, wordBegin - runBegin));
        stretchBegin = wordBegin;
        stretchOpen = true;
      }
      continue;  // an open stretch takes the whole run
    }
    if (stretchOpen) {
      WriteStretch(text.substr(stretchBegin, runBegin - stretchBegin), charset, context, out);
      stretchOpen = false;
    }
    out.append(text.substr(runBegin, pos - runBegin));
  }
  if (stretchOpen) WriteStretch(text.substr(stretchBegin), charset, context, out);
  return out;
}

std::string EncodeHeaderText(std::string_view sjis, const HeaderCharset& charset,
                             WordContext context) {
  std::string text(sjis);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  if (charset.convertsToIso2022jp) text = SjisToIso2022jp(text);
  return EncodeWords(text, charset, context);
}

std::vector<std::string> FoldHeaderLine(std::string_view line, platform::LocaleLanguage locale) {
  // Positions count from 1, as the folding rule is stated; byte(p) is the byte at position p.
  const std::size_t n = line.size();
  auto byte = [&](std::size_t p) { return static_cast<unsigned char>(line[p - 1]); };
  auto isBreak = [](unsigned char b) { return b == ' ' || b == '\t' || b == ','; };
  auto isPassedOver = [](unsigned char b) {
    return b == ' ' || b == '\t' || b == ',' || b == '\r' || b == '\n';
  };

  std::string out;
  std::size_t pos = 1, col = 1, start = 1, brk = 0;
  bool quoted = false, existing = false;
  auto append = [&](std::size_t from, std::size_t to) {  // positions from..to, inclusive
    if (from <= to && from <= n) out.append(line.substr(from - 1, std::min(to, n) - from + 1));
  };
  while (pos <= n) {
    const unsigned char c = byte(pos);
    if (IsCodePageLeadByte(locale, c)) {
      ++pos;  // the second byte goes with its lead byte, unexamined
      ++col;
    } else if (c == '\r' && !quoted) {
      if (pos + 2 <= n && byte(pos + 1) == '\n' &&
          (byte(pos + 2) == ' ' || byte(pos + 2) == '\t')) {
        existing = true;
        pos += 2;
        brk = pos;
      }
    } else if (isBreak(c) && !quoted) {
      brk = pos;
    } else if (c == '"') {
      quoted = !quoted;
    }
    ++pos;
    ++col;
    if (!quoted && (existing || (col > kFoldWidth && brk > start))) {
      col = pos - brk;
      append(start, brk);
      if (c != '"') {
        while (pos <= n && isPassedOver(byte(pos))) ++pos;
      }
      if (!existing && pos < n) out += "\r\n ";
      start = brk + 1;
      brk = start;
      existing = false;
    }
  }
  append(start, n);

  std::vector<std::string> lines;
  std::size_t from = 0;
  while (true) {
    const std::size_t crlf = out.find("\r\n", from);
    std::string piece =
        out.substr(from, crlf == std::string::npos ? std::string::npos : crlf - from);
    while (!piece.empty() && static_cast<unsigned char>(piece.back()) <= 0x20) piece.pop_back();
    // A continuation of nothing but blanks and control bytes would trim to an empty line,
    // which ends the header block and turns the lines after it into body: it carries nothing
    // that the trim leaves, so it is left out.
    if (!piece.empty() || lines.empty()) lines.push_back(std::move(piece));
    if (crlf == std::string::npos) break;
    from = crlf + 2;
  }
  return lines;
}

}  // namespace quill
