#pragma once
// aiosmtpd (tests/support/aiosmtpd_capture.py) as a real SMTP server on 127.0.0.1 for
// end-to-end tests; it decodes what it receives with Python's email package.

#include <sys/types.h>

#include <string>

namespace quill::test {

class AiosmtpdServer {
 public:
  /// Starts the server, accepting AUTH LOGIN with `user` and `password`; it writes what it
  /// receives below `outDir`. Throws std::runtime_error when it does not come up.
  AiosmtpdServer(const std::string& outDir, const std::string& user, const std::string& password);
  /// Stops the server and waits for it.
  ~AiosmtpdServer();
  AiosmtpdServer(const AiosmtpdServer&) = delete;
  AiosmtpdServer& operator=(const AiosmtpdServer&) = delete;

  int port() const { return port_; }
  /// The file `name` that the server wrote for its message number `n` (from 1); "" when the
  /// file does not exist.
  std::string Received(int n, const std::string& name) const;

 private:
  void Stop();

  std::string outDir_;
  pid_t pid_ = -1;
  int stdinFd_ = -1;
  int port_ = 0;
};

}  // namespace quill::test
