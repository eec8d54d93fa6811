#pragma once
// A tiny TCP server on 127.0.0.1 for wire tests: it accepts one connection and runs the
// test's session on its own thread. Every wait of the server side is bounded.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace quill::test {

/// The server's end of the accepted connection.
class ServerSide {
 public:
  explicit ServerSide(int fd) : fd_(fd) {}
  /// Sends `bytes` whole.
  void Send(const std::string& bytes);
  /// Receives up to and including the next LF; "" when the client closed first or the wait
  /// (5 s) ran out.
  std::string ReceiveLine();
  /// Receives until the received bytes end with `terminator` (included in the result).
  std::string ReceiveUntil(const std::string& terminator);
  /// Receives until the client closes (or 5 s pass); returns what came.
  std::string ReceiveAll();
  /// Closes; with `reset` the close sends a TCP reset instead of an orderly end.
  void Close(bool reset = false);
  int fd() const { return fd_; }

 private:
  bool ReceiveSome();
  int fd_;
  std::string pending_;
};

class LoopbackServer {
 public:
  /// Listens on an ephemeral port of 127.0.0.1; `session` runs once a client connected.
  explicit LoopbackServer(std::function<void(ServerSide&)> session);
  /// Waits for the session to end.
  ~LoopbackServer();
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

/// A port of 127.0.0.1 on which nothing listens (it was bound and released again).
int UnusedLoopbackPort();

}  // namespace quill::test
