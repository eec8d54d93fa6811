#pragma once
// Blocking TCP connections over IPv4 with time limits, for the SMTP client.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

struct sockaddr_in;

namespace quill::platform {

/// True when `host` is a dotted IPv4 address: four decimal numbers 0..255 joined by ".".
bool IsDottedIPv4(const std::string& host);

/// The first IPv4 address of `host`, dotted. Throws the socket error 11001 "Host not found."
/// when the name has no IPv4 address or cannot be looked up.
std::string ResolveIPv4(const std::string& host);

/// The socket error number for a failed look-up: getaddrinfo's result `eaiCode` and, for
/// EAI_SYSTEM, the errno value `err`.
int ResolveFailureNumber(int eaiCode, int err);

/// Tests only: later connections to `port` go to `realPort` instead (on the same address);
/// `realPort` 0 removes the mapping. Safe to call from any thread.
void SetPortMappingForTesting(int port, int realPort);

/// One open TCP connection with Nagle's delay switched off. Every wait has a time limit;
/// a limit that runs out throws the socket error 10060 "Connection timed out." (ThrowTimedOut).
/// Other failures throw the socket error of their errno (platform/SocketError.h).
class TcpConnection {
 public:
  /// Connects to `dottedAddress`:`port`, waiting at most `limit`.
  static std::unique_ptr<TcpConnection> Open(const std::string& dottedAddress, int port,
                                             std::chrono::milliseconds limit);
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  /// Writes all of `bytes`; `limit` bounds the whole write.
  void Write(std::string_view bytes, std::chrono::milliseconds limit);
  /// Reads what has arrived, up to `capacity` bytes, waiting at most `limit` for the first
  /// byte. Returns 0 when the peer has closed the connection.
  size_t Read(char* buffer, size_t capacity, std::chrono::milliseconds limit);
  /// True when the peer has closed its side and no byte waits to be read; does not wait.
  /// Throws the socket error when the connection failed (for example, was reset).
  bool PeerHasClosed();
  /// Closes the connection; later calls of Write and Read are not allowed.
  void Close();

 private:
  explicit TcpConnection(int fd) : fd_(fd) {}
  void Connect(const sockaddr_in& address, std::chrono::milliseconds limit);
  void KeepTimeoutWithin(int option, std::chrono::milliseconds left,
                         std::chrono::milliseconds& current);

  int fd_;
  std::chrono::milliseconds sendTimeout_{0};  // the socket's timeouts; 0: none set yet
  std::chrono::milliseconds receiveTimeout_{0};
};

}  // namespace quill::platform
