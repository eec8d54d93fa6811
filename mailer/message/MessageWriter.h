#pragma once
// Writes the bytes of one message after the SMTP "DATA" command: header block, empty line,
// body (plain, or multipart with base64 attachments). The final "." is not written here.

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "mailer/message/IdMessage.h"
#include "platform/Locale.h"

namespace quill {

/// Where the writer's output and status reports go.
struct MessageSink {
  /// Receives message bytes in order, each piece as soon as it is produced (lines end in CR LF).
  std::function<void(std::string_view bytes)> write;
  /// Receives the status texts "Encoding text" and "Encoding attachment".
  std::function<void(const std::string& text)> status;
};

/// Writes `message` for the transaction to its current recipients. `locale` chooses the
/// charset label, B or Q encoding and whether Shift_JIS is converted to ISO-2022-JP; `now`
/// is the moment whose local time and zone offset go into the "Date" line.
/// Throws quill::Error with the texts of the failure table: the time zone that cannot be read
/// (before any byte), an attachment that cannot be opened (after the parts before it).
/// Fills in the header values of each attachment part at its first use. A CR, an LF or a
/// CR LF inside a body line breaks it: every resulting line is dot-stuffed and ends in CR LF,
/// so the data never holds a bare CR or LF, nor a "." line that could end it.
void WriteMessage(TIdMessage& message, platform::LocaleLanguage locale, std::time_t now,
                  const MessageSink& sink);

}  // namespace quill
