#include "mailer/message/MessageWriter.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "mailer/message/AttachmentPart.h"
#include "mailer/message/DateHeader.h"
#include "mailer/message/HeaderCharset.h"
#include "mailer/message/HeaderEncoding.h"
#include "mailer/message/SjisToIso2022jp.h"
#include "platform/Error.h"
#include "platform/TimeZone.h"

namespace quill {
namespace {

constexpr std::string_view kBoundary = "=_NextPart_2rfkindysadvnqw3nerasdf";
constexpr std::string_view kCrlf = "\r\n";

// Calls `line` with each line of `text`: a CR, an LF or a CR LF inside it is a line break, so
// that no bare CR or LF reaches the message data, where a "." between two of them could end
// the data early for a lenient server. An empty text is one empty line.
template <typename LineFn>
void ForEachLine(std::string_view text, LineFn line) {
  for (;;) {
    const size_t cut = text.find_first_of("\r\n");
    if (cut == std::string_view::npos) break;
    line(text.substr(0, cut));
    const bool crlf = text[cut] == '\r' && cut + 1 < text.size() && text[cut + 1] == '\n';
    text.remove_prefix(cut + (crlf ? 2 : 1));
  }
  line(text);
}

std::string WithoutLineBreaks(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

bool IsPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x20 && b <= 0x7E;
  });
}

std::string QuotedName(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string FromValue(const TIdMessage& message, const HeaderCharset& charset) {
  const std::string name = WithoutLineBreaks(message.FromName);
  const std::string address = WithoutLineBreaks(message.FromAddress);
  if (name.empty()) return address;
  const std::string phrase = IsPrintableAscii(name)
                                 ? QuotedName(name)
                                 : EncodeHeaderText(name, charset, WordContext::Phrase);
  return phrase + " <" + address + ">";
}

std::string ToValue(const TIdMessage& message) {
  std::string value;
  for (const std::string& recipient : message.Recipients) {
    if (!value.empty()) value += ", ";
    value += WithoutLineBreaks(recipient);
  }
  return value;
}

class MessageOutput {
 public:
  explicit MessageOutput(const MessageSink& sink) : sink_(sink) {}

  void line(std::string_view text) {
    std::string bytes(text);
    bytes += kCrlf;
    sink_.write(bytes);
  }
  // A body line without CR or LF: one more "." in front of a leading "." keeps it from
  // ending the data.
  void bodyLine(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + 3);
    if (!text.empty() && text.front() == '.') bytes += '.';
    bytes += text;
    bytes += kCrlf;
    sink_.write(bytes);
  }
  void header(std::string_view name, std::string_view value, platform::LocaleLanguage locale) {
    if (value.empty()) return;
    std::string text(name);
    text += ": ";
    text += value;
    for (const std::string& folded : FoldHeaderLine(text, locale)) line(folded);
  }
  void raw(std::string_view bytes) { sink_.write(bytes); }
  void status(const std::string& text) {
    if (sink_.status) sink_.status(text);
  }

 private:
  const MessageSink& sink_;
};

void FillPartHeaders(TIdAttachment& part) {
  if (part.ContentType.empty()) part.ContentType = "application/octet-stream";
  if (part.ContentTransfer.empty()) part.ContentTransfer = "base64";
  if (part.ContentDisposition.empty()) part.ContentDisposition = "attachment";
}

void WriteAttachment(TIdAttachment& part, MessageOutput& out) {
  out.status("Encoding attachment");
  FillPartHeaders(part);
  const std::string name = AttachmentFileName(part.FileName);
  out.line("");
  out.line("--" + std::string(kBoundary));
  out.line("Content-Type: " + part.ContentType + ";");
  out.line("        name=\"" + name + "\"");
  out.line("Content-Transfer-Encoding: " + part.ContentTransfer);
  out.line("Content-Disposition: " + part.ContentDisposition + ";");
  out.line("        filename=\"" + name + "\"");
  out.line("");
  WriteBase64Lines(part.FileName, [&out](std::string_view bytes) { out.raw(bytes); });
  out.line("");
}

void WritePlainBody(const TIdMessage& message, const HeaderCharset& charset, MessageOutput& out) {
  out.status("Encoding text");
  for (const std::string& bodyLine : message.Body) {
    // Each line converts by itself, so that it ends in ASCII mode and a lead byte before a
    // line break cannot take the break with it.
    ForEachLine(bodyLine, [&out, &charset](std::string_view line) {
      out.bodyLine(charset.convertsToIso2022jp ? SjisToIso2022jp(line) : line);
    });
  }
}

// The body lines of a message with attachments arrive already converted by the send run.
void WriteMultipartBody(TIdMessage& message, MessageOutput& out) {
  out.line("This is a multi-part message in MIME format");
  out.line("");
  out.line("--" + std::string(kBoundary));
  out.line("Content-Type: text/plain");
  out.line("Content-Transfer-Encoding: 7bit");
  out.line("");
  for (const std::string& bodyLine : message.Body) {
    ForEachLine(bodyLine, [&out](std::string_view line) { out.bodyLine(line); });
  }
  for (TIdAttachment& part : message.MessageParts) WriteAttachment(part, out);
  out.line("--" + std::string(kBoundary) + "--");
}

}  // namespace

void WriteMessage(TIdMessage& message, platform::LocaleLanguage locale, std::time_t now,
                  const MessageSink& sink) {
  const std::optional<long> offset = platform::UtcOffsetSeconds(now);
  if (!offset) throw Error("Failed attempting to retrieve time zone information.");
  const HeaderCharset charset = CharsetFor(locale);
  const bool multipart = !message.MessageParts.empty();

  MessageOutput out(sink);
  out.header("From", FromValue(message, charset), locale);
  out.header("Subject", EncodeHeaderText(message.Subject, charset, WordContext::Text), locale);
  out.header("To", ToValue(message), locale);
  if (multipart) {
    out.header("Content-Type", "multipart/mixed; boundary=\"" + std::string(kBoundary) + "\"",
               locale);
    out.header("MIME-Version", "1.0", locale);
  }
  out.header("Date", FormatDateValue(now, *offset), locale);
  out.header("X-Priority", "3", locale);
  out.header("X-Library", "Indy 9.00.10", locale);
  out.line("");

  if (multipart) {
    WriteMultipartBody(message, out);
  } else {
    WritePlainBody(message, charset, out);
  }
}

}  // namespace quill
