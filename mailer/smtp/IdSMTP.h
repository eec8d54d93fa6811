#pragma once
// The SMTP client of the send run: one connection at a time, one command at a time.

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mailer/message/IdMessage.h"
#include "mailer/smtp/SmtpReply.h"
#include "mailer/smtp/SmtpTransport.h"
#include "platform/Locale.h"

namespace quill {

/// Progress reported through TIdSMTP::OnStatus.
enum TIdStatus {
  hsResolving,
  hsConnecting,
  hsConnected,
  hsDisconnecting,
  hsDisconnected,
  hsStatusText
};

enum TAuthenticationType { atNone, atLogin };

/// How long the client waits, after RFC 5321 section 4.5.3.2. A limit that runs out is the
/// socket error 10060 "Connection timed out." and closes the connection.
struct SmtpTimeLimits {
  std::chrono::milliseconds Connect = std::chrono::seconds(60);   ///< the TCP connect
  std::chrono::milliseconds Greeting = std::chrono::minutes(5);   ///< the 220 greeting
  std::chrono::milliseconds MailFrom = std::chrono::minutes(5);   ///< reply to MAIL FROM
  std::chrono::milliseconds RcptTo = std::chrono::minutes(5);     ///< reply to RCPT TO
  std::chrono::milliseconds Data = std::chrono::minutes(2);       ///< reply to DATA
  std::chrono::milliseconds DataBlock = std::chrono::minutes(3);  ///< each write of message data
  std::chrono::milliseconds DataEnd = std::chrono::minutes(10);   ///< reply to the final "."
  std::chrono::milliseconds Other = std::chrono::minutes(5);      ///< other replies, command writes
};

/// Every failure is a quill::Error whose text is what the run log shows: the reply's text
/// lines (each followed by CR LF) for a refused command, "Connection Closed Gracefully." when
/// the server has closed the connection, a socket error text, "Max line length exceeded.",
/// "Max reply size exceeded." for a reply past SmtpReplyReader's bounds (which closes the
/// connection), "Not Connected" for a command without a connection, "Already connected." for
/// a second Connect, and the message writer's own errors.
class TIdSMTP {
 public:
  using StatusEvent = std::function<void(TIdStatus status, const std::string& text)>;

  /// `locale` chooses how the message writer encodes (read once, here, by default);
  /// `connector` opens the connections (TCP by default).
  explicit TIdSMTP(platform::LocaleLanguage locale = platform::CurrentLocaleLanguage(),
                   std::shared_ptr<SmtpConnector> connector = TcpSmtpConnector());
  ~TIdSMTP();
  TIdSMTP(const TIdSMTP&) = delete;
  TIdSMTP& operator=(const TIdSMTP&) = delete;

  std::string Host;
  int Port = 25;
  TAuthenticationType AuthenticationType = atNone;
  std::string Username;
  std::string Password;
  /// Called synchronously with each progress text; may be empty.
  StatusEvent OnStatus;
  SmtpTimeLimits TimeLimits;
  /// The moment that goes into each message's "Date" line.
  std::function<std::time_t()> Clock = [] { return std::time(nullptr); };

  /// Opens the connection, reads the 220 greeting and greets with EHLO, falling back to HELO
  /// when EHLO gets anything but 250. On failure after the TCP connect it sends QUIT, closes
  /// and passes the error on; no connection stays open.
  void Connect();
  /// The schemes of the last 250 reply to EHLO (AddAuthSchemes); emptied at every Connect.
  const std::vector<std::string>& AuthSchemesSupported() const { return authSchemes_; }
  /// AUTH LOGIN with Username and Password. True when the server accepted; false, sending
  /// nothing, for atNone. A refusal throws and leaves the connection open.
  bool Authenticate();
  /// One mail transaction for `message` to its Recipients: RSET (any reply), MAIL FROM,
  /// RCPT TO, DATA, the message, ".". An address holding CR, LF, "<" or ">" is refused before
  /// anything is written. A refused command leaves the connection open; a failure while the
  /// message data is written closes it.
  void Send(TIdMessage& message);
  /// True while the connection is open; notices a connection the server has closed.
  bool Connected();
  /// Writes QUIT without awaiting its reply and closes; nothing when no connection is open.
  void Disconnect();

 private:
  void Status(TIdStatus status, const std::string& text);
  void RequireConnection();
  bool PeerHasClosed();
  void DropConnection();
  void Flush(std::chrono::milliseconds limit);
  void WriteCommand(const std::string& command);
  SmtpReply ReadReply(std::chrono::milliseconds limit);
  SmtpReply Command(const std::string& command, std::chrono::milliseconds limit,
                    std::initializer_list<int> expected);
  void Greet();
  void WriteMessageData(TIdMessage& message);

  platform::LocaleLanguage locale_;
  std::shared_ptr<SmtpConnector> connector_;
  std::unique_ptr<SmtpTransport> transport_;
  SmtpReplyReader reader_;
  std::string output_;  // bytes waiting to be written
  std::vector<char> input_;
  std::vector<std::string> authSchemes_;
};

}  // namespace quill
