#include "support/FakeSmtpServer.h"

#include <cstring>

#include "platform/SocketError.h"

namespace quill::test {

struct FakeSmtpServer::Session {
  enum class State { Command, AuthUser, AuthPassword, Data } state = State::Command;
  std::string data;
  bool closed = false;  // the server hung up
};

namespace {

class FakeTransport : public SmtpTransport {
 public:
  FakeTransport(std::shared_ptr<FakeSmtpServer> server) : server_(std::move(server)) {
    replies_ = "220 fake ESMTP\r\n";
  }

  void Write(std::string_view bytes, std::chrono::milliseconds) override {
    if (session_.closed) return;  // lost, as a kernel would lose them
    pending_.append(bytes);
    size_t end;
    while (!session_.closed && (end = pending_.find("\r\n")) != std::string::npos) {
      replies_ += server_->Answer(session_, pending_.substr(0, end));
      pending_.erase(0, end + 2);
    }
  }

  size_t Read(char* buffer, size_t capacity, std::chrono::milliseconds) override {
    if (replies_.empty()) {
      if (session_.closed) return 0;
      platform::ThrowTimedOut();  // the client waits for a reply that never comes
    }
    const size_t n = std::min(capacity, replies_.size());
    std::memcpy(buffer, replies_.data(), n);
    replies_.erase(0, n);
    return n;
  }

  bool PeerHasClosed() override { return session_.closed && replies_.empty(); }
  void Close() override {}

 private:
  std::shared_ptr<FakeSmtpServer> server_;
  FakeSmtpServer::Session session_;
  std::string pending_;
  std::string replies_;
};

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::unique_ptr<SmtpTransport> FakeSmtpServer::Connect(const std::string&, int,
                                                       std::chrono::milliseconds) {
  if (refuseConnect) throw platform::SocketError(platform::kSocketConnectionRefused);
  ++connections;
  timeline->push_back("connect");
  return std::make_unique<FakeTransport>(shared_from_this());
}

std::string FakeSmtpServer::Answer(Session& session, const std::string& line) {
  using State = Session::State;
  switch (session.state) {
    case State::AuthUser:
      session.state = State::AuthPassword;
      return "334 UGFzc3dvcmQ6\r\n";
    case State::AuthPassword:
      session.state = State::Command;
      if (refuseLogin) return "535 5.7.8 Authentication credentials invalid\r\n";
      timeline->push_back("auth");
      return "235 2.7.0 Authentication successful\r\n";
    case State::Data:
      if (line != ".") {
        session.data += line + "\r\n";
        return {};
      }
      session.state = State::Command;
      messages.push_back(std::move(session.data));
      session.data.clear();
      timeline->push_back("message");
      if (dropAfterMessages >= 0 && static_cast<int>(messages.size()) == dropAfterMessages) {
        timeline->push_back("hangup");
        session.closed = true;  // after its reply
      }
      return "250 2.0.0 Ok: queued\r\n";
    case State::Command:
      break;
  }
  if (StartsWith(line, "EHLO ")) {
    if (refuseEhlo) return "502 5.5.2 Error: command not recognized\r\n";
    return authLine.empty() ? "250 fake\r\n" : "250-fake\r\n250 " + authLine + "\r\n";
  }
  if (StartsWith(line, "AUTH LOGIN")) {
    session.state = State::AuthUser;
    return "334 VXNlcm5hbWU6\r\n";
  }
  if (StartsWith(line, "RCPT TO:<")) {
    const std::string address = line.substr(9, line.size() - 10);
    timeline->push_back("rcpt " + address);
    if (refusedRecipients.count(address))
      return refusal.empty() ? "550 5.1.1 <" + address + ">: No such user\r\n" : refusal;
    return "250 2.1.5 Ok\r\n";
  }
  if (line == "DATA") {
    session.state = State::Data;
    return "354 End data with <CR><LF>.<CR><LF>\r\n";
  }
  if (line == "QUIT") {
    timeline->push_back("quit");
    session.closed = true;
    return {};
  }
  return "250 2.0.0 Ok\r\n";  // HELO, RSET, MAIL FROM
}

std::string Joined(const std::vector<std::string>& timeline) {
  std::string all;
  for (const std::string& event : timeline) all += (all.empty() ? "" : ", ") + event;
  return all;
}

}  // namespace quill::test
