#include "mailer/message/AttachmentPart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "mailer/message/Base64.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "platform/TextCodec.h"

namespace quill {
namespace {

bool IsSjisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

[[noreturn]] void ThrowCannotOpen(const std::string& nativePath, int error) {
  using platform::Utf8ToSjis;
  static const std::string kFile = Utf8ToSjis("ファイル ");
  static const std::string kCannotOpen = Utf8ToSjis(" は開けません");
  const std::string reason = std::error_code(error, std::generic_category()).message();
  throw Error(kFile + '"' + Utf8ToSjis(nativePath) + "\". " + Utf8ToSjis(reason) + kCannotOpen);
}

// Reads up to `size` bytes, fewer only at the end of the file; -1 on a read error.
ssize_t ReadFull(int fd, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

std::string AttachmentFileName(const std::string& nativePath) {
  std::string sjis = platform::Utf8ToSjis(nativePath);
  std::size_t nameBegin = 0;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (IsSjisLeadByte(b)) {
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
  // Plain open(2) takes no lock, so other readers and writers share the file. O_NONBLOCK
  // keeps a FIFO from holding the open, and only a regular file is read: a FIFO or a device
  // could keep the server waiting inside the message data without end.
  platform::FileDescriptor file(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) ThrowCannotOpen(nativePath, errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) ThrowCannotOpen(nativePath, errno);
  if (!S_ISREG(info.st_mode)) ThrowCannotOpen(nativePath, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  constexpr std::size_t kLinesPerRead = 1024;
  std::string buffer(kBase64LineBytes * kLinesPerRead, '\0');
  while (true) {
    const ssize_t got = ReadFull(file.get(), buffer.data(), buffer.size());
    if (got < 0) ThrowCannotOpen(nativePath, errno);
    const std::string_view chunk(buffer.data(), static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < chunk.size(); at += kBase64LineBytes) {
      writeLine(Base64Encode(chunk.substr(at, kBase64LineBytes)) + "\r\n");
    }
    if (static_cast<std::size_t>(got) < buffer.size()) break;
  }
}

}  // namespace quill
