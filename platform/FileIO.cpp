#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "platform/ProgramDir.h"
#include "platform/TextCodec.h"

namespace quill::platform {
namespace {

// File paths and strerror texts are UTF-8; the text of an Error is Shift_JIS.
Error FileError(std::string_view doing, const std::string& path, int err) {
  return Error(Utf8ToSjis(std::string(doing) + " \"" + path + "\". " + std::strerror(err)));
}

// Writes all of `bytes`; on false, errno tells why (EIO for a write that stored nothing).
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

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

// Makes the rename itself durable; a failure here no longer puts the content at risk.
void SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// The permission bits of the file at `path`, or those a newly created file would get.
mode_t KeptOrDefaultMode(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);  // the umask can only be read by setting it
  ::umask(mask);
  return 0666 & ~mask;
}

// Where a document named `path` is replaced: at the file that a symbolic link there names, so
// that the link stays and the file that others reach through it gets the new content.
std::string DocumentTarget(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  return error ? path : target.string();  // a dangling link is replaced by the file
}

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

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  // Opened without waiting and emptied only once it is known to be a regular file: a FIFO
  // with no reader would block the open for good, and one with a reader or a device would
  // take the document somewhere it cannot be read back from.
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666));
  if (fd.get() < 0) throw FileError("Cannot create file", path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) throw FileError("Cannot create file", path, errno);
  if (!S_ISREG(info.st_mode)) throw FileError("Cannot create file", path, EINVAL);
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0 ||
      ::ftruncate(fd.get(), 0) != 0)
    throw FileError("Cannot write file", path, errno);
  if (!WriteAll(fd.get(), bytes) || !fd.Close()) throw FileError("Cannot write file", path, errno);
}

void ReplaceFileAtomically(const std::string& path, std::string_view bytes, ReplacedFileMode mode) {
  const bool document = mode == ReplacedFileMode::KeepOrUmaskDefault;
  const std::string target = document ? DocumentTarget(path) : path;
  // The rename would replace a file that its permissions protect from writing: a document is
  // refused then, as writing it in place would be.
  if (document && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
    throw FileError("Cannot create file", path, EACCES);
  std::string temp = target + ".XXXXXX";
  // mkostemp creates the file with mode 0600, whatever the umask.
  FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) throw FileError("Cannot create file", path, errno);
  auto fail = [&](int err) {
    ::unlink(temp.c_str());
    return FileError("Cannot write file", path, err);
  };
  if (document && ::fchmod(fd.get(), KeptOrDefaultMode(target)) != 0) throw fail(errno);
  if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) throw fail(errno);
  if (!fd.Close()) throw fail(errno);
  if (::rename(temp.c_str(), target.c_str()) != 0) throw fail(errno);
  SyncDirectory(DirectoryOf(target).empty() ? std::string(".") : DirectoryOf(target));
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
