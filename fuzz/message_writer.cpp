// The whole message as it follows DATA, built from arbitrary bytes: locale, date, sender
// address and name, subject, recipient, attachment files (written into a temporary folder,
// with names and contents from the input; some left missing) and body lines.
//
// Checked: every line of the output ends in CR LF and no CR or LF stands alone; no line is a
// lone "." (which would end the data); the header block holds only the writer's own fields,
// in their order, each line of it either such a field or a continuation line, so that no data
// starts a header line; the subject's lines are printable 7-bit text; the body comes out as
// its lines broken at CR, LF and CR LF, dot-stuffed, converted where the locale says so; each
// attachment part has its headers with the file's name and the file's bytes in base64 lines
// of 76 characters. A failure is a quill::Error: the time zone before any byte, a missing
// attachment file after the headers of its part.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "mailer/message/IdMessage.h"
#include "mailer/message/MessageWriter.h"
#include "mailer/message/SjisToIso2022jp.h"
#include "platform/Error.h"
#include "platform/Locale.h"
#include "platform/TextCodec.h"

namespace {

using quill::platform::LocaleLanguage;

constexpr std::string_view kBoundaryLine = "--=_NextPart_2rfkindysadvnqw3nerasdf";

void Check(bool condition) {
  if (!condition) std::abort();
}

// The folder that holds the attachment files of one input at a time, removed at exit.
const std::string& AttachmentFolder() {
  struct Folder {
    std::string path;
    Folder() {
      const char* tmp = std::getenv("TMPDIR");
      path = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_message_writer.XXXXXX";
      Check(mkdtemp(path.data()) != nullptr);
    }
    ~Folder() { rmdir(path.c_str()); }
  };
  static const Folder folder;
  return folder.path;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Check(file != nullptr);
  Check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
  Check(std::fclose(file) == 0);
}

struct Attachment {
  std::string path;
  std::string name;  // the file's own name, native
  std::string content;
  bool missing = false;
};

// A file name from input bytes: no "/" or NUL, numbered so that names never collide nor are
// "." or "..", short enough for any file system.
std::string FileNameFrom(std::size_t index, std::string bytes) {
  if (bytes.size() > 200) bytes.resize(200);
  for (char& c : bytes) {
    if (c == '/' || c == '\0') c = '_';
  }
  return std::to_string(index) + "-" + bytes;
}

std::vector<std::string> SplitLines(std::string_view output) {
  std::vector<std::string> lines;
  while (!output.empty()) {
    const std::size_t end = output.find("\r\n");
    Check(end != std::string_view::npos);
    lines.emplace_back(output.substr(0, end));
    output.remove_prefix(end + 2);
  }
  return lines;
}

// The body lines as the writer promises them: broken at CR, LF and CR LF, converted when the
// locale says so, a leading "." doubled.
std::vector<std::string> ExpectedBody(const std::vector<std::string>& body, bool convert) {
  std::vector<std::string> lines;
  auto add = [&](std::string_view piece) {
    std::string line = convert ? quill::SjisToIso2022jp(piece) : std::string(piece);
    if (!line.empty() && line.front() == '.') line.insert(0, 1, '.');
    lines.push_back(std::move(line));
  };
  for (std::string_view text : body) {
    for (std::size_t cut; (cut = text.find_first_of("\r\n")) != std::string_view::npos;) {
      add(text.substr(0, cut));
      const bool crlf = text[cut] == '\r' && cut + 1 < text.size() && text[cut + 1] == '\n';
      text.remove_prefix(cut + (crlf ? 2 : 1));
    }
    add(text);
  }
  return lines;
}

std::string Base64Decode(std::string_view text) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  Check(text.size() % 4 == 0);
  std::string bytes;
  for (std::size_t at = 0; at < text.size(); at += 4) {
    std::uint32_t group = 0;
    int pad = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[at + k];
      std::uint32_t value = 0;
      if (c == '=') {
        Check(at + 4 == text.size() && k >= 2);
        ++pad;
      } else {
        Check(pad == 0);
        const std::size_t found = kAlphabet.find(c);
        Check(found != std::string_view::npos);
        value = static_cast<std::uint32_t>(found);
      }
      group = group << 6 | value;
    }
    bytes += static_cast<char>(group >> 16);
    if (pad < 2) bytes += static_cast<char>(group >> 8 & 0xFF);
    if (pad < 1) bytes += static_cast<char>(group & 0xFF);
  }
  return bytes;
}

bool Starts(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// The header block, up to its empty line; returns the index of the first line after it.
std::size_t CheckHeaderBlock(const std::vector<std::string>& lines,
                             const quill::TIdMessage& message, bool multipart) {
  static constexpr std::string_view kFields[] = {
      "From:",         "Subject:", "To:",         "Content-Type:",
      "MIME-Version:", "Date:",    "X-Priority:", "X-Library:"};
  std::vector<bool> present(std::size(kFields), false);
  std::size_t nextField = 0;
  bool inSubject = false;
  std::size_t i = 0;
  for (; i < lines.size() && !lines[i].empty(); ++i) {
    const std::string& line = lines[i];
    if (line[0] == ' ' || line[0] == '\t') {
      Check(i > 0);  // a continuation of the field above
    } else {
      while (nextField < std::size(kFields) && !Starts(line, kFields[nextField])) ++nextField;
      Check(nextField < std::size(kFields));  // a field of the writer's, in its order
      present[nextField] = true;
      inSubject = nextField == 1;
      ++nextField;
    }
    if (inSubject) {
      for (const char c : line) {
        const auto b = static_cast<unsigned char>(c);
        Check(c == '\t' || (b >= 0x20 && b < 0x7F));
      }
    }
  }
  Check(i < lines.size());  // the empty line that ends the block
  Check(present[0] == !(message.FromName.empty() && message.FromAddress.empty()));
  Check(present[2] == !message.Recipients[0].empty());
  Check(present[3] == multipart && present[4] == multipart);
  Check(present[5] && present[6] && present[7]);
  Check(lines[i - 2] == "X-Priority: 3" && lines[i - 1] == "X-Library: Indy 9.00.10");
  return i + 1;
}

// The lines that open an attachment part, up to its content: lines[at] on. Returns the index
// of the first line after them.
std::size_t CheckPartHeaders(const std::vector<std::string>& lines, std::size_t at,
                             const Attachment& attachment) {
  std::string name = quill::platform::Utf8ToSjis(attachment.name);
  for (char& c : name) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string expected[] = {"",
                                  std::string(kBoundaryLine),
                                  "Content-Type: application/octet-stream;",
                                  "        name=\"" + name + "\"",
                                  "Content-Transfer-Encoding: base64",
                                  "Content-Disposition: attachment;",
                                  "        filename=\"" + name + "\"",
                                  ""};
  for (const std::string& line : expected) {
    Check(at < lines.size() && lines[at] == line);
    ++at;
  }
  return at;
}

// One attachment part: lines[at] on. Returns the index of the first line after it.
std::size_t CheckAttachmentPart(const std::vector<std::string>& lines, std::size_t at,
                                const Attachment& attachment) {
  at = CheckPartHeaders(lines, at, attachment);
  std::string base64;
  for (; at < lines.size() && !lines[at].empty(); ++at) {
    Check(lines[at].size() <= 76);
    if (lines[at].size() < 76) Check(at + 1 < lines.size() && lines[at + 1].empty());
    base64 += lines[at];
  }
  Check(at < lines.size());
  Check(Base64Decode(base64) == attachment.content);
  return at + 1;
}

// `written` attachments came out whole; when that is fewer than all, the output stops after
// the headers of the next part, whose file could not be opened.
void CheckMessage(const std::string& output, const quill::TIdMessage& message,
                  const std::vector<Attachment>& attachments, std::size_t written,
                  LocaleLanguage locale) {
  const std::vector<std::string> lines = SplitLines(output);
  for (const std::string& line : lines) {
    Check(line.find_first_of("\r\n") == std::string::npos);
    Check(line != ".");
  }
  const bool multipart = !attachments.empty();
  std::size_t at = CheckHeaderBlock(lines, message, multipart);
  if (multipart) {
    static constexpr std::string_view kPreamble[] = {"This is a multi-part message in MIME format",
                                                     "",
                                                     kBoundaryLine,
                                                     "Content-Type: text/plain",
                                                     "Content-Transfer-Encoding: 7bit",
                                                     ""};
    for (const std::string_view line : kPreamble) {
      Check(at < lines.size() && lines[at] == line);
      ++at;
    }
  }
  // Japanese text without attachments goes out as ISO-2022-JP; the body of a message with
  // attachments arrives converted already and is written as it stands.
  const bool convert = !multipart && locale == LocaleLanguage::Japanese;
  for (const std::string& line : ExpectedBody(message.Body, convert)) {
    Check(at < lines.size() && lines[at] == line);
    if (convert) {
      for (const char c : line) Check(static_cast<unsigned char>(c) < 0x80);
    }
    ++at;
  }
  for (std::size_t i = 0; i < written; ++i) at = CheckAttachmentPart(lines, at, attachments[i]);
  if (written < attachments.size()) {
    at = CheckPartHeaders(lines, at, attachments[written]);
  } else if (multipart) {
    Check(at < lines.size() && lines[at] == std::string(kBoundaryLine) + "--");
    ++at;
  }
  Check(at == lines.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr LocaleLanguage kLocales[] = {
      LocaleLanguage::Japanese, LocaleLanguage::ChineseSimplified,
      LocaleLanguage::ChineseTraditional, LocaleLanguage::Korean, LocaleLanguage::Other};
  FuzzedDataProvider input(data, size);
  const LocaleLanguage locale = kLocales[input.ConsumeIntegralInRange<int>(0, 4)];
  const auto now = static_cast<std::time_t>(input.ConsumeIntegral<std::uint32_t>());
  const int attachmentCount = input.ConsumeIntegralInRange<int>(0, 3);

  quill::TIdMessage message;
  message.FromAddress = input.ConsumeRandomLengthString(100);
  message.FromName = input.ConsumeRandomLengthString(200);
  message.Subject = input.ConsumeRandomLengthString(300);
  message.SetRecipients(input.ConsumeRandomLengthString(100));

  std::vector<Attachment> attachments;
  for (int i = 0; i < attachmentCount; ++i) {
    Attachment attachment;
    attachment.missing = input.ConsumeBool();
    attachment.name = FileNameFrom(i, input.ConsumeRandomLengthString(200));
    attachment.content = input.ConsumeRandomLengthString(4096);
    attachment.path = AttachmentFolder() + "/" + attachment.name;
    if (!attachment.missing) WriteFile(attachment.path, attachment.content);
    message.MessageParts.push_back({attachment.path, {}, {}, {}});
    attachments.push_back(std::move(attachment));
  }
  while (input.remaining_bytes() > 0) message.Body.push_back(input.ConsumeRandomLengthString(1000));

  std::string output;
  std::size_t partsBegun = 0;  // "Encoding attachment" reports
  quill::MessageSink sink;
  sink.write = [&output](std::string_view bytes) { output.append(bytes); };
  sink.status = [&partsBegun](const std::string& text) {
    if (text == "Encoding attachment") ++partsBegun;
  };
  std::size_t written = attachments.size();  // attachments written whole
  bool failed = false;
  try {
    quill::WriteMessage(message, locale, now, sink);
  } catch (const quill::Error& error) {
    failed = true;
    Check(*error.what() != '\0');
    // Only a missing file stops the writer once it has begun, in that file's part.
    if (!output.empty()) {
      Check(partsBegun > 0 && attachments[partsBegun - 1].missing);
      written = partsBegun - 1;
    }
  }
  if (!failed) Check(partsBegun == attachments.size());
  for (const Attachment& attachment : attachments) unlink(attachment.path.c_str());

  if (output.empty()) {
    Check(failed);  // the time zone could not be read
    return 0;
  }
  for (std::size_t i = 0; i < written; ++i) Check(!attachments[i].missing);
  CheckMessage(output, message, attachments, written, locale);
  return 0;
}
