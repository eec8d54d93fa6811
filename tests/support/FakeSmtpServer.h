#pragma once
// A fake SMTP server for tests of what drives the client: it answers every command by rule
// (accept, refuse a recipient, refuse the login, drop the connection after some messages)
// instead of by exact script, and records the conversation as a timeline of events.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mailer/smtp/SmtpTransport.h"

namespace quill::test {

class FakeSmtpServer : public SmtpConnector, public std::enable_shared_from_this<FakeSmtpServer> {
 public:
  // Behaviour, set before the client connects.
  bool refuseConnect = false;                 ///< Connect fails with 10061 "Connection refused."
  bool refuseLogin = false;                   ///< the AUTH LOGIN password gets 535
  bool refuseEhlo = false;                    ///< EHLO gets 502 (HELO is accepted)
  std::string authLine = "AUTH LOGIN PLAIN";  ///< announced in the EHLO reply ("" for none)
  std::set<std::string> refusedRecipients;    ///< RCPT TO of these gets 550 "No such user"
  std::string refusal;         ///< the whole reply to a refused RCPT TO, when not the 550 above
  int dropAfterMessages = -1;  ///< after this many accepted messages the server hangs up once

  /// Events in order: "connect", "auth", "rcpt <address>", "message", "quit", "hangup", and
  /// whatever the test adds itself (shared with the test's own records).
  std::shared_ptr<std::vector<std::string>> timeline = std::make_shared<std::vector<std::string>>();
  std::vector<std::string> messages;  ///< the data of every accepted message, without "."
  int connections = 0;

  std::string LocalHostName() override { return "client.example"; }
  bool IsDottedAddress(const std::string&) override { return true; }
  std::string Resolve(const std::string& host) override { return host; }
  std::unique_ptr<SmtpTransport> Connect(const std::string& dottedAddress, int port,
                                         std::chrono::milliseconds limit) override;

  // Used by the transports: one command line (or data line) from the client and the reply.
  struct Session;
  std::string Answer(Session& session, const std::string& line);
};

/// The events of `timeline` joined by ", " (for readable comparisons).
std::string Joined(const std::vector<std::string>& timeline);

}  // namespace quill::test
