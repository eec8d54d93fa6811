#include "mailer/smtp/SmtpReply.h"

#include <cctype>

#include "platform/Error.h"

namespace quill {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ReplyErrorText(const SmtpReply& reply) {
  std::string text;
  for (const auto& line : reply.Text) {
    text += line;
    text += "\r\n";
  }
  return text;
}

int ReplyCode(std::string_view firstLine) {
  std::string_view code = Trim(firstLine.substr(0, 4));
  if (code.size() == 4 && code.back() == '-') code.remove_suffix(1);
  if (code.empty()) return 0;
  int value = 0;
  for (char c : code) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

void SmtpReplyReader::Feed(std::string_view bytes) {
  // Compact once the taken part dominates, so the buffer stays as small as the replies.
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes);
}

void SmtpReplyReader::Reset() {
  buffer_.clear();
  start_ = scanned_ = 0;
  dropping_ = false;
  lines_.clear();
  replyBytes_ = 0;
}

std::optional<std::string_view> SmtpReplyReader::NextLine() {
  for (;;) {
    size_t lf = buffer_.find('\n', start_ + scanned_);
    if (dropping_) {
      if (lf == std::string::npos) {
        buffer_.clear();
        start_ = scanned_ = 0;
        return std::nullopt;
      }
      dropping_ = false;
      start_ = lf + 1;
      scanned_ = 0;
      continue;
    }
    if (lf == std::string::npos || lf - start_ > kMaxLineLength) {
      size_t pending = (lf == std::string::npos ? buffer_.size() : lf) - start_;
      if (pending > kMaxLineLength) {
        dropping_ = lf == std::string::npos;
        start_ = dropping_ ? buffer_.size() : lf + 1;
        scanned_ = 0;
        lines_.clear();
        replyBytes_ = 0;
        throw Error("Max line length exceeded.");
      }
      scanned_ = pending;
      return std::nullopt;
    }
    std::string_view line(buffer_.data() + start_, lf - start_);
    replyBytes_ += lf + 1 - start_;
    start_ = lf + 1;
    scanned_ = 0;
    if (replyBytes_ > kMaxReplyBytes) DropReplyTooLong();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (!line.empty()) return line;
  }
}

void SmtpReplyReader::DropReplyTooLong() {
  lines_.clear();
  replyBytes_ = 0;
  throw SmtpReplyTooLong();
}

// Adds one trimmed, non-empty line to the reply in hand; true when the reply is complete.
bool SmtpReplyReader::AddLine(std::string_view line) {
  if (lines_.size() == kMaxReplyLines) DropReplyTooLong();
  lines_.emplace_back(line);
  if (lines_.size() == 1) return !(line.size() > 3 && line[3] == '-');
  if (line.size() < 4) return true;
  std::string end = lines_.front().substr(0, 3) + ' ';
  return EqualIgnoringCase(line.substr(0, 4), end);
}

std::optional<SmtpReply> SmtpReplyReader::Next() {
  while (auto line = NextLine()) {
    if (!AddLine(*line)) continue;
    SmtpReply reply;
    reply.Code = ReplyCode(lines_.front());
    for (const auto& l : lines_) reply.Text.push_back(l.size() > 4 ? l.substr(4) : std::string());
    lines_.clear();
    replyBytes_ = 0;
    return reply;
  }
  return std::nullopt;
}

}  // namespace quill
