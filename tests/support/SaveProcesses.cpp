#include "support/SaveProcesses.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <regex>

#include "platform/FileIO.h"

namespace quill::test {
namespace {

// Reads what the child writes into `fd` until it closes its end.
std::string ReadToEnd(int fd) {
  std::string text;
  char block[512];
  for (;;) {
    const ssize_t got = ::read(fd, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return text;
    text.append(block, static_cast<std::size_t>(got));
  }
}

void WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// Runs `save` and leaves the child with 0 when it completed, 1 when it failed.
[[noreturn]] void RunSaveAndExit(const std::function<void()>& save) {
  try {
    save();
  } catch (...) {
    ::_exit(1);
  }
  ::_exit(0);
}

bool ExitedWithZero(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::string KillSaveBeforeRename(const std::function<void()>& save) {
  int report[2];
  if (::pipe(report) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(report[0]);
    platform::SetBeforeRenameForTesting([&](const std::string& temporaryPath) -> int {
      WriteAll(report[1], temporaryPath);
      ::_exit(0);  // killed with the temporary file named and nothing renamed
    });
    RunSaveAndExit(save);
  }
  ::close(report[1]);
  std::string temporaryPath = child > 0 ? ReadToEnd(report[0]) : std::string();
  ::close(report[0]);
  if (child > 0) ExitedWithZero(child);
  return temporaryPath;
}

bool KillSaveInItsWrite(const std::function<void()>& save, rlim_t bytes) {
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit noCore{0, 0};
    rlimit size{};
    ::getrlimit(RLIMIT_FSIZE, &size);
    size.rlim_cur = bytes;
    ::setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGXFSZ, SIG_DFL);  // the default action ends the process
    if (::setrlimit(RLIMIT_FSIZE, &size) != 0) ::_exit(2);
    RunSaveAndExit(save);
  }
  int status = 0;
  while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return child > 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

HeldSave::HeldSave(const std::function<void()>& save) {
  int report[2];
  int release[2];
  if (::pipe(report) != 0) return;
  if (::pipe(release) != 0) {
    ::close(report[0]);
    ::close(report[1]);
    return;
  }
  child_ = ::fork();
  if (child_ == 0) {
    ::close(report[0]);
    ::close(release[1]);
    platform::SetBeforeRenameForTesting([&](const std::string& temporaryPath) -> int {
      WriteAll(report[1], temporaryPath);
      ::close(report[1]);
      char go;
      while (::read(release[0], &go, 1) < 0 && errno == EINTR) {
      }
      return 0;
    });
    RunSaveAndExit(save);
  }
  ::close(report[1]);
  ::close(release[0]);
  release_ = release[1];
  if (child_ > 0) temporaryPath_ = ReadToEnd(report[0]);
  ::close(report[0]);
}

HeldSave::~HeldSave() { Finish(); }

bool HeldSave::Finish() {
  if (release_ >= 0) {
    WriteAll(release_, "go");  // a byte, not the end of the pipe: other children may hold it
    ::close(release_);
  }
  release_ = -1;
  if (child_ <= 0) return false;
  const pid_t child = child_;
  child_ = -1;
  return ExitedWithZero(child);
}

std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& dir) {
  static const std::regex form(R"(\..+\.[A-Za-z0-9]{6}\.saving)");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (std::regex_match(name, form)) names.push_back(name);
  }
  return names;
}

BeforeRename::BeforeRename(std::function<int(const std::string& temporaryPath)> hook) {
  platform::SetBeforeRenameForTesting(std::move(hook));
}

BeforeRename::~BeforeRename() { platform::SetBeforeRenameForTesting({}); }

}  // namespace quill::test
