#pragma once
// Server replies of the SMTP dialogue, read from the bytes as they arrive.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

namespace quill {

/// One reply: the code of its first line and the text of each line (from its 5th byte on).
struct SmtpReply {
  int Code = 0;
  std::vector<std::string> Text;
};

/// The error text for a reply that was not expected: every text line followed by CR LF.
std::string ReplyErrorText(const SmtpReply& reply);

/// The code of a reply whose first (trimmed) line is `firstLine`: its first four bytes,
/// trimmed, without a final "-", read as a decimal number; 0 when they are none.
int ReplyCode(std::string_view firstLine);

/// A reply that grew past SmtpReplyReader's bounds. The rest of it is still on its way, so
/// the connection that carries it can no longer be read in step: close it.
class SmtpReplyTooLong : public Error {
 public:
  SmtpReplyTooLong() : Error("Max reply size exceeded.") {}
};

/// Cuts the bytes of one connection into replies.
///
/// A line ends at LF; the LF and a CR before it are removed and the line is trimmed of
/// leading and trailing bytes up to 20h; a line empty after that is skipped. A first line
/// whose 4th byte is "-" opens a multi-line reply, which ends at a line shorter than 4 bytes
/// or one that begins with the first line's three bytes and a blank (case ignored).
class SmtpReplyReader {
 public:
  /// Longest line, in bytes before its LF.
  static constexpr size_t kMaxLineLength = 16384;
  /// Most lines in one reply. Real replies hold a few dozen at most (an EHLO reply lists the
  /// server's extensions); the bound keeps a server from growing the client's memory without
  /// end by never ending a multi-line reply.
  static constexpr size_t kMaxReplyLines = 1000;
  /// Most bytes in one reply, line ends and skipped blank lines included: with lines of up
  /// to kMaxLineLength, the line count alone would still allow 16 MiB.
  static constexpr size_t kMaxReplyBytes = 1024 * 1024;

  /// Adds bytes received from the server.
  void Feed(std::string_view bytes);

  /// The next complete reply, or nothing while more bytes are needed. Throws quill::Error
  /// "Max line length exceeded." as soon as a line is longer than kMaxLineLength; that line,
  /// up to its LF, and the reply it belonged to are dropped, and reading goes on after it.
  /// Throws SmtpReplyTooLong as soon as the reply in hand holds more than kMaxReplyLines
  /// lines or kMaxReplyBytes bytes; the reply is dropped.
  std::optional<SmtpReply> Next();

  /// Forgets every byte and every partial reply (a new connection begins).
  void Reset();

 private:
  std::optional<std::string_view> NextLine();
  bool AddLine(std::string_view line);
  [[noreturn]] void DropReplyTooLong();

  std::string buffer_;
  size_t start_ = 0;                // first byte of buffer_ not yet taken
  size_t scanned_ = 0;              // bytes after start_ already known to hold no LF
  bool dropping_ = false;           // inside an overlong line: bytes up to the next LF are dropped
  std::vector<std::string> lines_;  // lines of the reply in hand
  size_t replyBytes_ = 0;           // bytes taken for the reply in hand, blank lines included
};

}  // namespace quill
