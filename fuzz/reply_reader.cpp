// Server replies as any server may send them: arbitrary bytes, cut into reads at arbitrary
// points. The reader must never crash, and every reply it gives must hold what it promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mailer/smtp/SmtpAuthSchemes.h"
#include "mailer/smtp/SmtpReply.h"
#include "platform/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the size of the reads, the rest is the stream.
  const size_t step = 1 + data[0] % 64;
  std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  quill::SmtpReplyReader reader;
  std::vector<std::string> schemes;
  for (size_t at = 0; at < stream.size(); at += step) {
    reader.Feed(stream.substr(at, step));
    for (;;) {
      try {
        auto reply = reader.Next();
        if (!reply) break;
        if (reply->Text.empty() || reply->Code < 0 || reply->Code > 9999) abort();
        if (reply->Text.size() > quill::SmtpReplyReader::kMaxReplyLines) abort();
        for (const auto& line : reply->Text) {
          if (line.size() > quill::SmtpReplyReader::kMaxLineLength) abort();
        }
        (void)quill::ReplyErrorText(*reply);
        quill::AddAuthSchemes(reply->Text, schemes);
      } catch (const quill::Error&) {
        // "Max line length exceeded.": reading goes on after the line.
      }
    }
  }
  return 0;
}
