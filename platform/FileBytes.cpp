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

  // The size is only a hint for one big first read: read on until the end, so a file that
  // grows or a special file is read whole all the same.
  struct stat info {};
  std::size_t want = 1 << 16;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    want = static_cast<std::size_t>(info.st_size) + 1;
  }
  std::string bytes;
  std::size_t have = 0;
  for (;;) {
    if (bytes.size() - have < want) bytes.resize(have + want);
    const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail("ファイルを読み込めません", path, errno);
    }
    if (got == 0) break;
    have += static_cast<std::size_t>(got);
    want = 1 << 16;
  }
  bytes.resize(have);
  return bytes;
}

}  // namespace quill::platform
