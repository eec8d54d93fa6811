#include "mailer/message/AttachmentPart.h"

#include <system_error>

#include "mailer/message/Base64.h"
#include "platform/Error.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"

namespace quill {
namespace {

[[noreturn]] void ThrowCannotOpen(const std::string& nativePath, const std::error_code& error) {
  using platform::Utf8ToSjis;
  static const std::string kFile = Utf8ToSjis("ファイル ");
  static const std::string kCannotOpen = Utf8ToSjis(" は開けません");
  throw Error(kFile + '"' + Utf8ToSjis(nativePath) + "\". " + Utf8ToSjis(error.message()) +
              kCannotOpen);
}

}  // namespace

std::string AttachmentFileName(const std::string& nativePath) {
  std::string sjis = platform::Utf8ToSjis(nativePath);
  std::size_t nameBegin = 0;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (platform::IsSjisLeadByte(b)) {
      ++i;  // its second byte is never a separator
    } else if (b == '/') {
      nameBegin = i + 1;
    }
  }
  std::string name = sjis.substr(nameBegin);
  for (char& c : name) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return name;
}

void WriteBase64Lines(const std::string& nativePath,
                      const std::function<void(std::string_view)>& writeLine) {
  constexpr std::size_t kLinesPerRead = 1024;
  const std::error_code error = platform::ReadFileInPieces(
      nativePath, kBase64LineBytes * kLinesPerRead, [&writeLine](std::string_view piece) {
        for (std::size_t at = 0; at < piece.size(); at += kBase64LineBytes) {
          writeLine(Base64Encode(piece.substr(at, kBase64LineBytes)) + "\r\n");
        }
      });
  if (error) ThrowCannotOpen(nativePath, error);
}

}  // namespace quill
