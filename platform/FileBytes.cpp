#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Error.h"
#include "platform/TextCodec.h"

namespace quill::platform {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int err) {
  throw Error(Utf8ToSjis(std::string(what) + ": " + path + ": " + std::strerror(err)));
}

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() { ::close(fd_); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("ファイルを開けません", path, errno);
  FileHandle file(fd);

  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  // The size is only a hint: read until the end, so a file that grows or a special file
  // is read whole all the same.
  constexpr std::size_t kChunk = 1 << 16;
  for (;;) {
    const std::size_t have = bytes.size();
    bytes.resize(have + kChunk);
    const ssize_t got = ::read(fd, bytes.data() + have, kChunk);
    if (got < 0) {
      if (errno == EINTR) {
        bytes.resize(have);
        continue;
      }
      Fail("ファイルを読み込めません", path, errno);
    }
    bytes.resize(have + static_cast<std::size_t>(got));
    if (got == 0) break;
  }
  return bytes;
}

}  // namespace quill::platform
