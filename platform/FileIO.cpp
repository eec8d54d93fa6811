#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/FileDescriptor.h"
#include "platform/FileError.h"

namespace quill::platform {
namespace {

// One read() that retries on EINTR; throws on any other failure. 0 at the end of the file.
std::size_t ReadSome(const FileDescriptor& fd, const std::string& path, char* to, std::size_t n) {
  for (;;) {
    const ssize_t got = ::read(fd.get(), to, n);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw FileError("Cannot read file", path, errno);
  }
}

std::string ReadAll(const FileDescriptor& fd, const std::string& path, std::size_t maxBytes) {
  // A regular file gets one buffer of its size, allocated once and filled as the bytes come
  // in, through a small block: never zero-filled first, and never doubled just to find the
  // end of the file. Bytes beyond that size (a file that grew since, or one that tells no
  // size, like a FIFO or a /proc file) grow the buffer as any string grows.
  struct stat info {};
  std::string bytes;
  if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
    bytes.reserve(std::min(static_cast<std::size_t>(info.st_size), maxBytes));
  char block[1 << 16];
  while (bytes.size() < maxBytes) {
    const std::size_t n =
        ReadSome(fd, path, block, std::min(sizeof block, maxBytes - bytes.size()));
    if (n == 0) break;
    bytes.append(block, n);
  }
  return bytes;
}

// Opens the file at `path` for reading when it is a regular file; -1 with the reason in `err`
// otherwise. The open takes no lock and never waits on a FIFO; a folder (EISDIR) and a FIFO
// or a device (EINVAL) are refused, since a FIFO could block a read and a device never end.
int OpenRegularFile(const std::string& path, int& err) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    err = errno;
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    err = errno;
  } else {
    err = S_ISREG(info.st_mode) ? 0 : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  }
  if (err == 0) return fd;
  ::close(fd);
  return -1;
}

// Reads until `size` bytes are in, or the file ends; -1 on a read error.
ssize_t ReadPiece(int fd, char* buffer, std::size_t size) {
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

std::error_code ErrnoCode(int err) { return {err, std::generic_category()}; }

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  // O_NONBLOCK: a FIFO without a writer reads as empty instead of blocking the open.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) throw FileError("Cannot open file", path, errno);
  return ReadAll(fd, path, std::string::npos);
}

std::optional<std::string> ReadFileIfPresent(const std::string& path, std::size_t maxBytes) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) {
    // ENOTDIR: a folder on the way is a file, so this file cannot exist either.
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw FileError("Cannot open file", path, errno);
  }
  return ReadAll(fd, path, maxBytes);
}

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  int err = 0;
  FileDescriptor fd(OpenRegularFile(path, err));
  if (fd.get() < 0) throw FileError("Cannot open file", path, err);
  // One byte past the limit tells a file that is too large from one that just fits.
  std::string bytes = ReadAll(fd, path, maxBytes + 1);
  if (bytes.size() > maxBytes) throw FileError("Cannot read file", path, EFBIG);
  return bytes;
}

void MakeDirectories(const std::string& dir, mode_t mode, const std::string& forFile) {
  for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (!part.empty() && ::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
      throw FileError("Cannot write file", forFile, errno);
    if (end == std::string::npos) break;
  }
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0) throw FileError("Cannot write file", forFile, errno);
  if (!S_ISDIR(st.st_mode)) throw FileError("Cannot write file", forFile, ENOTDIR);
}

std::error_code ReadFileInPieces(const std::string& path, std::size_t pieceSize,
                                 const std::function<void(std::string_view piece)>& consume) {
  int err = 0;
  FileDescriptor fd(OpenRegularFile(path, err));
  if (fd.get() < 0) return ErrnoCode(err);
  std::string buffer(pieceSize, '\0');
  while (true) {
    const ssize_t got = ReadPiece(fd.get(), buffer.data(), buffer.size());
    if (got < 0) return ErrnoCode(errno);
    if (got > 0) consume(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    if (static_cast<std::size_t>(got) < buffer.size()) return {};
  }
}

}  // namespace quill::platform
