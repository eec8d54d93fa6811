#include "mailer/ui/BodyTextFile.h"

#include <string_view>

#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "platform/ui/SjisText.h"

namespace quill {

std::string DocNameOf(const std::string& nativePath) {
  // The name is converted first: the cut is made on the bytes the subject will carry.
  const std::string name = platform::Utf8ToSjis(nativePath.substr(nativePath.rfind('/') + 1));
  const std::size_t at = name.find(".txt");
  return at == std::string::npos ? std::string() : name.substr(0, at);
}

QString ReadBodyTextFile(const std::string& nativePath) {
  const std::string bytes = platform::ReadRegularFile(nativePath, kBodyFileLimit);
  std::string_view text(bytes);
  text = text.substr(0, text.find('\0'));
  return platform::from_sjis(text);
}

void WriteBodyTextFile(const std::string& nativePath, const QString& text) {
  platform::ReplaceFileAtomically(nativePath, platform::to_sjis(text),
                                  platform::ReplacedFileMode::KeepOrUmaskDefault);
}

}  // namespace quill
