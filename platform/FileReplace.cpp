// ReplaceFileAtomically: the one way the programs save a file (declared in FileIO.h).

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileError.h"
#include "platform/FileIO.h"
#include "platform/ProgramDir.h"

namespace quill::platform {
namespace {

// The temporary names: "." + the file's name (cut) + "." + random characters + kSuffix.
constexpr std::string_view kSuffix = ".saving";
constexpr std::string_view kRandomAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLength = 6;
constexpr std::size_t kNameMax = 255;  // the longest file name Linux file systems take
constexpr std::size_t kNameRoom = kNameMax - 2 - kRandomLength - kSuffix.size();
// Fresh names to try when one is taken; six random characters make a clash most unlikely.
constexpr int kNameTries = 100;

struct TestSeams {
  std::function<int(const std::string&)> beforeRename;
  bool named = false;
};

TestSeams& Seams() {
  static TestSeams seams;
  return seams;
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

// A document is saved only over a regular file that the user may write, as writing it in
// place would be: the rename would take the place of a folder, a FIFO or a device, and would
// replace a file that its permissions protect from writing. stat() never waits on a FIFO.
void CheckDocumentTarget(const std::string& target, const std::string& path) {
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    throw FileError("Cannot create file", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
    throw FileError("Cannot create file", path, EACCES);
}

// Whether `name` in `folder` is the file `info` describes.
bool NamesFile(int folder, const std::string& name, const struct stat& info) {
  struct stat now {};
  return ::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
         now.st_dev == info.st_dev && now.st_ino == info.st_ino;
}

bool NamesFile(int folder, const std::string& name, int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && NamesFile(folder, name, info);
}

// The start of every temporary name of the file named `fileName`.
std::string TemporaryPrefix(std::string_view fileName) {
  std::string prefix = ".";
  prefix.append(fileName.substr(0, kNameRoom));
  return prefix += '.';
}

bool IsTemporaryName(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + kRandomLength + kSuffix.size()) return false;
  if (!name.starts_with(prefix) || !name.ends_with(kSuffix)) return false;
  return name.substr(prefix.size(), kRandomLength).find_first_not_of(kRandomAlphabet) ==
         std::string_view::npos;
}

std::string NewTemporaryName(const std::string& prefix) {
  // Drawn afresh each time, so that a forked process does not repeat its parent's names.
  std::random_device random;
  std::uniform_int_distribution<std::size_t> pick(0, kRandomAlphabet.size() - 1);
  std::string name = prefix;
  for (std::size_t i = 0; i < kRandomLength; ++i) name += kRandomAlphabet[pick(random)];
  return name + std::string(kSuffix);
}

// Opens a leftover for its lock: for reading, or for writing where its bits allow only that.
// Never waits on a FIFO, never follows a link.
int OpenForLock(int folder, const std::string& name) {
  const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  const int fd = ::openat(folder, name.c_str(), O_RDONLY | flags);
  if (fd >= 0 || errno != EACCES) return fd;
  return ::openat(folder, name.c_str(), O_WRONLY | flags);
}

// Removes the temporary file `name` when its save has ended without removing it (killed): its
// lock can be taken. A save that still runs holds the lock, and its file stays.
void RemoveIfAbandoned(int folder, const std::string& name) {
  const FileDescriptor file(OpenForLock(folder, name));
  struct stat info {};
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) return;
  // Since it was opened, its save may have renamed it over the saved file, or another save
  // may have removed it: only the name of the very file locked here is removed.
  if (NamesFile(folder, name, info)) ::unlinkat(folder, name.c_str(), 0);
}

// Removes what killed saves of the file whose temporary names begin with `prefix` left in
// `folder`. Nothing here fails a save: a folder that cannot be listed is not cleaned.
void RemoveLeftovers(int folder, const std::string& prefix) {
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return;
  DIR* dir = ::fdopendir(listed);
  if (dir == nullptr) {
    ::close(listed);
    return;
  }
  std::vector<std::string> found;
  while (const dirent* entry = ::readdir(dir))
    if (IsTemporaryName(entry->d_name, prefix)) found.emplace_back(entry->d_name);
  ::closedir(dir);
  for (const std::string& name : found) RemoveIfAbandoned(folder, name);
}

// The temporary file of one save in `folder`, locked from its creation to its end so that
// other saves of the same file leave it alone. Its name, once it has one, is removed on every
// way out but the rename, before the lock goes.
class TemporaryFile {
 public:
  TemporaryFile(int folder, std::string prefix) : folder_(folder), prefix_(std::move(prefix)) {}
  ~TemporaryFile() {
    if (!name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
    if (fd_ >= 0) ::close(fd_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  /// Creates the file, unnamed where the file system allows it; 0 or the errno value.
  int Create() {
    if (!Seams().named) {
      fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
      // Nobody else can reach an unnamed file, so its lock is free. Where the file system
      // has no locks, the save goes on without one (and leftovers there are never removed).
      if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
      if (fd_ >= 0) return 0;
      // EOPNOTSUPP: the file system has no unnamed files; EISDIR: the kernel has none.
      if (errno != EOPNOTSUPP && errno != EISDIR) return errno;
    }
    return CreateNamed();
  }

  int fd() const { return fd_; }

  /// Gives the unnamed file its name beside the file it replaces; 0 or the errno value.
  int GiveName() {
    for (int i = 0; name_.empty() && i < kNameTries; ++i) {
      std::string name = NewTemporaryName(prefix_);
      const int err = Link(name);
      if (err == 0) name_ = std::move(name);
      if (err != 0 && err != EEXIST) return err;
    }
    return name_.empty() ? EEXIST : 0;
  }

  const std::string& name() const { return name_; }
  /// After the rename the name is the saved file's: it is no longer removed.
  void Renamed() { name_.clear(); }

 private:
  // The named way: the name comes first and the lock just after it. A later save's cleaning
  // may take the lock in between and remove the file, so once the lock is held the name is
  // checked to still name this file, and a fresh name is tried otherwise.
  int CreateNamed() {
    for (int i = 0; i < kNameTries; ++i) {
      std::string name = NewTemporaryName(prefix_);
      const int fd = ::openat(folder_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
      if (fd < 0 && errno == EEXIST) continue;
      if (fd < 0) return errno;
      // A cleaning that holds the lock removes the file itself.
      const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
      if (taken || !NamesFile(folder_, name, fd)) {
        ::close(fd);
        continue;
      }
      fd_ = fd;
      name_ = std::move(name);
      return 0;
    }
    return EEXIST;
  }

  // Links the unnamed file under `name`: through /proc, which any user may do, or else by
  // its descriptor, which older kernels allow only with a privilege.
  int Link(const std::string& name) const {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    const int err = errno;
    if (err == EEXIST) return err;
    if (::linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return errno == EEXIST ? EEXIST : err;
  }

  int folder_;
  std::string prefix_;
  int fd_ = -1;
  std::string name_;  ///< empty while unnamed, and after the rename
};

// Makes the rename itself durable; a failure here no longer puts the content at risk.
void SyncFolder(int folder) {
  const FileDescriptor dir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

void ReplaceFileAtomically(const std::string& path, std::string_view bytes, ReplacedFileMode mode) {
  const bool document = mode == ReplacedFileMode::KeepOrUmaskDefault;
  const std::string target = document ? DocumentTarget(path) : path;
  if (document) CheckDocumentTarget(target, path);
  const std::string folderPath = DirectoryOf(target).empty() ? "." : DirectoryOf(target);
  const std::string fileName = target.substr(target.rfind('/') + 1);
  const FileDescriptor folder(::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) throw FileError("Cannot create file", path, errno);
  const std::string prefix = TemporaryPrefix(fileName);
  RemoveLeftovers(folder.get(), prefix);

  TemporaryFile temp(folder.get(), prefix);
  if (const int err = temp.Create()) throw FileError("Cannot create file", path, err);
  const mode_t bits = document ? KeptOrDefaultMode(target) : 0600;
  if (::fchmod(temp.fd(), bits) != 0 || !WriteAll(temp.fd(), bytes) || ::fsync(temp.fd()) != 0)
    throw FileError("Cannot write file", path, errno);
  int err = temp.GiveName();
  if (err == 0 && Seams().beforeRename) err = Seams().beforeRename(folderPath + "/" + temp.name());
  if (err == 0 &&
      ::renameat(folder.get(), temp.name().c_str(), folder.get(), fileName.c_str()) != 0)
    err = errno;
  if (err != 0) throw FileError("Cannot write file", path, err);
  temp.Renamed();
  SyncFolder(folder.get());
}

void SetBeforeRenameForTesting(std::function<int(const std::string& temporaryPath)> beforeRename) {
  Seams().beforeRename = std::move(beforeRename);
}

void SetNamedTemporaryFilesForTesting(bool named) { Seams().named = named; }

}  // namespace quill::platform
