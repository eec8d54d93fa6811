#include "settings/AccountFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/Error.h"
#include "platform/ProgramDir.h"
#include "platform/TextCodec.h"

namespace quill {
namespace {

// Error texts are built in UTF-8 (paths and strerror texts are UTF-8) and become Shift_JIS
// like every other text of the system.
[[noreturn]] void Fail(std::string_view what, const std::string& path, int error) {
  std::string text(what);
  text += " \"" + path + "\". ";
  text += error != 0 ? std::error_code(error, std::system_category()).message()
                     : std::string("Not all bytes were written.");
  throw Error(platform::Utf8ToSjis(text));
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  /// Closes now and reports close's own failure (where a delayed write error may show).
  int release_and_close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd);
  }

 private:
  int fd_;
};

/// Writes all of `bytes`; returns 0 or the errno of the failed write (-1 for a write that
/// stored nothing without saying why).
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return -1;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

/// The rename reaches the disk only with its folder; a failure here no longer endangers the
/// old content (the new file is already in place), so it is not reported.
void SyncFolderOf(const std::string& path) {
  const int fd = ::open(platform::DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string AccountFilePath(std::string_view appDir) { return std::string(appDir) + "/quill2.smt"; }

std::optional<std::string> ReadFileHead(const std::string& path, std::size_t maxBytes) {
  // O_NONBLOCK keeps a FIFO standing at the path from blocking the open.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    Fail("Cannot open file", path, errno);
  }
  std::string bytes(maxBytes, '\0');
  std::size_t got = 0;
  while (got < maxBytes) {
    const ssize_t n = ::read(file.get(), bytes.data() + got, maxBytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("Cannot read file", path, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

void ReplaceFile(const std::string& path, std::string_view bytes) {
  std::string temp = path + ".XXXXXX";
  // mkostemp creates the file with mode 0600: the content is never readable by others.
  FileDescriptor file(::mkostemp(temp.data(), O_CLOEXEC));
  if (file.get() < 0) Fail("Cannot create file", path, errno);

  int error = WriteAll(file.get(), bytes);
  if (error == 0 && ::fsync(file.get()) != 0) error = errno;
  if (file.release_and_close() != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temp.c_str());
    Fail("Cannot replace file", path, renameError);
  }
  if (error != 0) {
    ::unlink(temp.c_str());
    Fail("Cannot write file", path, error < 0 ? 0 : error);
  }
  SyncFolderOf(path);
}

}  // namespace quill
