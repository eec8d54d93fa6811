#include "support/AiosmtpdServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/TempDir.h"

extern char** environ;

namespace quill::test {
namespace {

// Debian's interpreter, where python3-aiosmtpd is installed.
constexpr const char* kPython = "/usr/bin/python3";

std::string ReadLineWithin(int fd, int milliseconds) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c;
    if (read(fd, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return line;
}

}  // namespace

AiosmtpdServer::AiosmtpdServer(const std::string& outDir, const std::string& user,
                               const std::string& password)
    : outDir_(outDir) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const std::string script = QUILL_SOURCE_DIR "/tests/support/aiosmtpd_capture.py";
  std::vector<char*> argv = {const_cast<char*>(kPython),          const_cast<char*>(script.c_str()),
                             const_cast<char*>(outDir.c_str()),   const_cast<char*>(user.c_str()),
                             const_cast<char*>(password.c_str()), nullptr};
  int rc = posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  stdinFd_ = in[1];
  if (rc != 0) {
    close(out[0]);
    throw std::runtime_error("cannot start " + std::string(kPython));
  }
  const std::string ready = ReadLineWithin(out[0], 20000);
  close(out[0]);
  if (ready.rfind("READY ", 0) != 0) {
    Stop();
    throw std::runtime_error("aiosmtpd did not start (is python3-aiosmtpd installed?)");
  }
  port_ = std::stoi(ready.substr(6));
}

AiosmtpdServer::~AiosmtpdServer() { Stop(); }

void AiosmtpdServer::Stop() {
  if (stdinFd_ >= 0) close(stdinFd_);  // the server stops when its input ends
  stdinFd_ = -1;
  if (pid_ <= 0) return;
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string AiosmtpdServer::Received(int n, const std::string& name) const {
  const auto path = std::filesystem::path(outDir_) / std::to_string(n) / name;
  if (!std::filesystem::exists(path)) return {};
  return ReadFileBytes(path.string());
}

}  // namespace quill::test
