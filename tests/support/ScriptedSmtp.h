#pragma once
// A scripted SMTP peer for client tests: the exact bytes the server sends, the exact bytes
// the client must write, in order, and nothing else.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "mailer/smtp/SmtpTransport.h"

namespace quill::test {

/// The conversation, shared by the test and the transports it hands out.
class SmtpScript {
 public:
  /// The server sends `bytes`; each step is delivered by one read, so a reply can be split.
  SmtpScript& Server(std::string bytes);
  /// The client must write exactly `bytes` next (over any number of writes).
  SmtpScript& Client(std::string bytes);
  /// The server closes the connection: reads give 0 from here on; writes are taken and lost.
  SmtpScript& ServerCloses();
  /// The server says nothing: the read waiting here runs out of time (10060).
  SmtpScript& ServerSilent();
  /// The connection fails: the read waiting here gets "connection reset" (10054).
  SmtpScript& ServerResets();

  /// "" when the client wrote exactly the scripted bytes, never waited where it had to
  /// write, and every step was played; otherwise a description of what went wrong.
  std::string Problems() const;

  std::vector<std::string> writes;                    ///< the bytes of each Write call
  std::vector<std::chrono::milliseconds> readLimits;  ///< the limit of each Read call
  std::vector<std::chrono::milliseconds> writeLimits;
  bool closedByClient = false;

  // Used by the scripted transport.
  void OnWrite(const std::string& bytes, std::chrono::milliseconds limit);
  size_t OnRead(char* buffer, size_t capacity, std::chrono::milliseconds limit);
  bool OnPeerCheck() const;

 private:
  enum class Kind { Server, Client, Closes, Silent, Resets };
  struct Step {
    Kind kind;
    std::string bytes;
  };
  void Problem(const std::string& text);

  std::vector<Step> steps_;
  size_t next_ = 0;     // step in hand
  size_t matched_ = 0;  // bytes of a Client step already written, or of a Server step read
  std::string problems_;
};

/// Opens scripted transports; records where the client connected.
class ScriptedConnector : public SmtpConnector {
 public:
  explicit ScriptedConnector(std::shared_ptr<SmtpScript> script) : script_(std::move(script)) {}

  std::string LocalHostName() override { return localHostName; }
  bool IsDottedAddress(const std::string& host) override;
  std::string Resolve(const std::string& host) override;
  std::unique_ptr<SmtpTransport> Connect(const std::string& dottedAddress, int port,
                                         std::chrono::milliseconds limit) override;

  std::string localHostName = "client.example";          ///< the name the greeting sends
  std::vector<std::string> dottedHosts = {"127.0.0.1"};  ///< hosts taken as dotted addresses
  std::string resolvesTo = "192.0.2.7";                  ///< the address every name resolves to
  bool resolveFails = false;                             ///< Resolve throws 11001
  int connectError = 0;                  ///< Connect throws this socket error number (0: none)
  std::vector<std::string> resolved;     ///< names asked for
  std::vector<std::string> connections;  ///< "address:port" of each Connect
  std::chrono::milliseconds connectLimit{};

 private:
  std::shared_ptr<SmtpScript> script_;
};

/// `bytes` with CR, LF, TAB and other control bytes written as escapes, for messages.
std::string Printable(const std::string& bytes);

}  // namespace quill::test
