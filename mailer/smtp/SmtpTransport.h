#pragma once
// The byte stream under the SMTP client, and what opens it. The TCP implementation serves
// the program; tests put a scripted one in its place.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace quill {

/// One open connection to a server. Every failure is a quill::Error with a socket error text
/// (platform/SocketError.h); a wait whose limit runs out is 10060 "Connection timed out.".
class SmtpTransport {
 public:
  virtual ~SmtpTransport() = default;
  /// Writes all of `bytes` within `limit`.
  virtual void Write(std::string_view bytes, std::chrono::milliseconds limit) = 0;
  /// Reads what has arrived, at most `capacity` bytes, waiting at most `limit` for the first.
  /// Returns 0 when the server has closed the connection.
  virtual size_t Read(char* buffer, size_t capacity, std::chrono::milliseconds limit) = 0;
  /// True when the server has closed the connection and nothing waits to be read; never waits.
  virtual bool PeerHasClosed() = 0;
  /// Closes the connection at once.
  virtual void Close() = 0;
};

/// Everything the client asks of the machine and the network: the local host name, host
/// names resolved, connections opened.
class SmtpConnector {
 public:
  virtual ~SmtpConnector() = default;
  /// The name of this machine, as the greeting sends it.
  virtual std::string LocalHostName() = 0;
  /// Whether `host` is written as a dotted IPv4 address, which is connected to unresolved.
  virtual bool IsDottedAddress(const std::string& host) = 0;
  /// The dotted IPv4 address of `host`; throws the socket error 11001 when there is none.
  virtual std::string Resolve(const std::string& host) = 0;
  /// Opens a connection to `dottedAddress`:`port` within `limit`.
  virtual std::unique_ptr<SmtpTransport> Connect(const std::string& dottedAddress, int port,
                                                 std::chrono::milliseconds limit) = 0;
};

/// The connector over TCP (platform/TcpConnection.h).
std::shared_ptr<SmtpConnector> TcpSmtpConnector();

}  // namespace quill
