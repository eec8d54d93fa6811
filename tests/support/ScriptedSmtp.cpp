#include "support/ScriptedSmtp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/SocketError.h"

namespace quill::test {

std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

SmtpScript& SmtpScript::Server(std::string bytes) {
  steps_.push_back({Kind::Server, std::move(bytes)});
  return *this;
}
SmtpScript& SmtpScript::Client(std::string bytes) {
  steps_.push_back({Kind::Client, std::move(bytes)});
  return *this;
}
SmtpScript& SmtpScript::ServerCloses() {
  steps_.push_back({Kind::Closes, {}});
  return *this;
}
SmtpScript& SmtpScript::ServerSilent() {
  steps_.push_back({Kind::Silent, {}});
  return *this;
}
SmtpScript& SmtpScript::ServerResets() {
  steps_.push_back({Kind::Resets, {}});
  return *this;
}

void SmtpScript::Problem(const std::string& text) { problems_ += text + "\n"; }

std::string SmtpScript::Problems() const {
  std::string all = problems_;
  if (next_ < steps_.size() && steps_[next_].kind != Kind::Closes) {
    all += "script not played to its end: step " + std::to_string(next_) + " (" +
           Printable(steps_[next_].bytes) + ") still waits\n";
  }
  return all;
}

void SmtpScript::OnWrite(const std::string& bytes, std::chrono::milliseconds limit) {
  writes.push_back(bytes);
  writeLimits.push_back(limit);
  // Like a kernel, a closed connection takes the bytes and loses them.
  if (next_ < steps_.size() && steps_[next_].kind == Kind::Closes) return;
  size_t pos = 0;
  while (pos < bytes.size()) {
    if (next_ >= steps_.size() || steps_[next_].kind != Kind::Client) {
      Problem("client wrote \"" + Printable(bytes.substr(pos)) + "\" at step " +
              std::to_string(next_) + ", where it was to write nothing");
      return;
    }
    const std::string& expected = steps_[next_].bytes;
    size_t n = std::min(expected.size() - matched_, bytes.size() - pos);
    if (bytes.compare(pos, n, expected, matched_, n) != 0) {
      Problem("step " + std::to_string(next_) + ": expected the client to write \"" +
              Printable(expected) + "\", it wrote \"" +
              Printable(expected.substr(0, matched_) + bytes.substr(pos)) + "\"");
      next_ = steps_.size();  // nothing further can match
      return;
    }
    pos += n;
    matched_ += n;
    if (matched_ == expected.size()) {
      ++next_;
      matched_ = 0;
    }
  }
}

size_t SmtpScript::OnRead(char* buffer, size_t capacity, std::chrono::milliseconds limit) {
  readLimits.push_back(limit);
  if (next_ >= steps_.size()) {
    Problem("client waited for a reply after the script ended");
    platform::ThrowTimedOut();
  }
  Step& step = steps_[next_];
  switch (step.kind) {
    case Kind::Client:
      Problem("client waited for a reply where it was to write \"" + Printable(step.bytes) + "\"");
      platform::ThrowTimedOut();
    case Kind::Closes:
      return 0;
    case Kind::Silent:
      ++next_;
      platform::ThrowTimedOut();
    case Kind::Resets:
      ++next_;
      throw platform::SocketError(platform::kSocketConnectionReset);
    case Kind::Server:
      break;
  }
  size_t n = std::min(capacity, step.bytes.size() - matched_);
  std::memcpy(buffer, step.bytes.data() + matched_, n);
  matched_ += n;
  if (matched_ == step.bytes.size()) {
    ++next_;
    matched_ = 0;
  }
  return n;
}

bool SmtpScript::OnPeerCheck() const {
  return next_ < steps_.size() && steps_[next_].kind == Kind::Closes;
}

namespace {

class ScriptedTransport : public SmtpTransport {
 public:
  explicit ScriptedTransport(std::shared_ptr<SmtpScript> script) : script_(std::move(script)) {}

  void Write(std::string_view bytes, std::chrono::milliseconds limit) override {
    if (closed_) throw std::logic_error("write after close");
    script_->OnWrite(std::string(bytes), limit);
  }
  size_t Read(char* buffer, size_t capacity, std::chrono::milliseconds limit) override {
    if (closed_) throw std::logic_error("read after close");
    return script_->OnRead(buffer, capacity, limit);
  }
  bool PeerHasClosed() override { return script_->OnPeerCheck(); }
  void Close() override {
    closed_ = true;
    script_->closedByClient = true;
  }

 private:
  std::shared_ptr<SmtpScript> script_;
  bool closed_ = false;
};

}  // namespace

bool ScriptedConnector::IsDottedAddress(const std::string& host) {
  return std::find(dottedHosts.begin(), dottedHosts.end(), host) != dottedHosts.end();
}

std::string ScriptedConnector::Resolve(const std::string& host) {
  resolved.push_back(host);
  if (resolveFails) throw platform::SocketError(platform::kSocketHostNotFound);
  return resolvesTo;
}

std::unique_ptr<SmtpTransport> ScriptedConnector::Connect(const std::string& dottedAddress,
                                                          int port,
                                                          std::chrono::milliseconds limit) {
  connections.push_back(dottedAddress + ":" + std::to_string(port));
  connectLimit = limit;
  if (connectError != 0) throw platform::SocketError(connectError);
  return std::make_unique<ScriptedTransport>(script_);
}

}  // namespace quill::test
