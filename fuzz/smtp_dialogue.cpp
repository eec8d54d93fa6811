// The SMTP client's whole dialogue against a server whose every byte comes from the input:
// connect and greet (EHLO, or HELO after a refused EHLO), AUTH LOGIN when the account needs
// it, one message, QUIT. Where the input ends, the server is gone: the connection closes,
// resets or falls silent, as the first byte says.
//
// The first byte: bit 0 the account authenticates; bits 1-2 how the connection ends: 0 closed
// as soon as the last byte is read (the client finds it before its next command), 1 closed
// when the client next waits for a reply, 2 reset then, 3 silent until the time limit; bit 3
// the host is a name to resolve; bit 4 the message has an attachment, bit 5 its file is
// missing; bits 6-7 the size of the server's reads (1, 5, 64 bytes, or all that is left). The
// rest is what the server sends.
//
// Checked: every failure is a quill::Error; the connection is closed at the end, exactly
// once, with one "Disconnected." for it; the client writes nothing but the commands and the
// message of a sound session, in their order, up to where the server stopped it, and then at
// most QUIT.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "mailer/message/Base64.h"
#include "mailer/message/IdMessage.h"
#include "mailer/message/MessageWriter.h"
#include "mailer/smtp/IdSMTP.h"
#include "mailer/smtp/SmtpTransport.h"
#include "platform/Error.h"
#include "platform/Locale.h"
#include "platform/SocketError.h"

namespace {

using std::chrono::milliseconds;

void Check(bool condition) {
  if (!condition) std::abort();
}

enum class Ending { ClosesAtOnce, ClosesWhenAsked, ResetsWhenAsked, FallsSilent };

// The server's side of the one connection of an input.
struct Server {
  std::string_view bytes;  // what is still to be sent
  std::size_t readSize = 1;
  Ending ending = Ending::ClosesAtOnce;
  bool askedPastEnd = false;  // the client has waited for more than was sent
  std::string written;        // everything the client wrote
  int opened = 0;
  int closed = 0;

  bool Gone() const { return bytes.empty(); }
};

class FuzzedTransport : public quill::SmtpTransport {
 public:
  explicit FuzzedTransport(Server& server) : server_(server) {}
  ~FuzzedTransport() override { Check(closed_); }  // the client closes before letting go

  void Write(std::string_view bytes, milliseconds) override {
    Check(!closed_);
    if (ResetNow()) throw quill::platform::SocketError(quill::platform::kSocketConnectionReset);
    server_.written.append(bytes);  // a closed peer's kernel takes them all the same
  }
  size_t Read(char* buffer, size_t capacity, milliseconds) override {
    Check(!closed_ && capacity > 0);
    if (server_.Gone()) {
      server_.askedPastEnd = true;
      if (server_.ending == Ending::FallsSilent) quill::platform::ThrowTimedOut();
      if (ResetNow()) throw quill::platform::SocketError(quill::platform::kSocketConnectionReset);
      return 0;
    }
    const size_t n = std::min({capacity, server_.readSize, server_.bytes.size()});
    std::memcpy(buffer, server_.bytes.data(), n);
    server_.bytes.remove_prefix(n);
    return n;
  }
  bool PeerHasClosed() override {
    Check(!closed_);
    if (ResetNow()) throw quill::platform::SocketError(quill::platform::kSocketConnectionReset);
    return server_.Gone() && (server_.ending == Ending::ClosesAtOnce ||
                              (server_.ending == Ending::ClosesWhenAsked && server_.askedPastEnd));
  }
  void Close() override {
    Check(!closed_);
    closed_ = true;
    ++server_.closed;
  }

 private:
  bool ResetNow() const {
    return server_.Gone() && server_.ending == Ending::ResetsWhenAsked && server_.askedPastEnd;
  }

  Server& server_;
  bool closed_ = false;
};

class FuzzedConnector : public quill::SmtpConnector {
 public:
  explicit FuzzedConnector(Server& server) : server_(server) {}

  std::string LocalHostName() override { return "client.example"; }
  bool IsDottedAddress(const std::string& host) override { return host == "127.0.0.1"; }
  std::string Resolve(const std::string& host) override {
    Check(host == "mail.example");
    return "192.0.2.25";
  }
  std::unique_ptr<quill::SmtpTransport> Connect(const std::string& dottedAddress, int port,
                                                milliseconds) override {
    Check((dottedAddress == "127.0.0.1" || dottedAddress == "192.0.2.25") && port == 25);
    ++server_.opened;
    return std::make_unique<FuzzedTransport>(server_);
  }

 private:
  Server& server_;
};

constexpr std::time_t kNow = 1733712000;  // a fixed moment, so that the message is known

// The attachment file: written once, removed at exit.
const std::string& AttachmentPath() {
  struct File {
    std::string path;
    File() {
      const char* tmp = std::getenv("TMPDIR");
      path = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_smtp_dialogue.XXXXXX";
      const int fd = mkstemp(path.data());
      Check(fd >= 0);
      static constexpr char kContent[] = "attachment bytes\r\n\x00\xff.\r\n";
      Check(write(fd, kContent, sizeof kContent - 1) == static_cast<ssize_t>(sizeof kContent - 1));
      Check(close(fd) == 0);
    }
    ~File() { unlink(path.c_str()); }
  };
  static const File file;
  return file.path;
}

quill::TIdMessage MakeMessage(bool attachment, bool missing) {
  quill::TIdMessage message;
  message.FromAddress = "sender@example.jp";
  message.FromName = "\x91\x97\x90\x4d\x8e\xd2";  // 送信者
  message.Subject = "\x83\x65\x83\x58\x83\x67";   // テスト
  message.Body = {"\x96\x7b\x95\xb6", ".", ""};   // 本文
  message.SetRecipients("to@example.jp");
  if (attachment) {
    message.MessageParts.push_back(
        {missing ? AttachmentPath() + ".missing" : AttachmentPath(), {}, {}, {}});
  }
  return message;
}

// Everything a sound session writes, without its QUIT: the greeting with or without HELO.
std::string SoundSession(bool helo, bool authenticates, quill::TIdMessage message) {
  std::string wire = "EHLO client.example\r\n";
  if (helo) wire += "HELO client.example\r\n";
  if (authenticates) {
    wire += "AUTH LOGIN\r\n" + quill::Base64Encode("user") + "\r\n" +
            quill::Base64Encode("secret") + "\r\n";
  }
  wire += "RSET\r\nMAIL FROM:<sender@example.jp>\r\nRCPT TO:<to@example.jp>\r\nDATA\r\n";
  std::string data;
  quill::MessageSink sink;
  sink.write = [&data](std::string_view bytes) { data.append(bytes); };
  try {
    quill::WriteMessage(message, quill::platform::LocaleLanguage::Japanese, kNow, sink);
  } catch (const quill::Error&) {
    return wire;  // a failing writer sends nothing of the message
  }
  return wire + data + ".\r\n";
}

// Runs `step`; false when it failed with the client's error, which always says something.
bool Attempt(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const quill::Error& error) {
    Check(!error.text().empty());
    return false;
  }
}

void CheckWire(std::string_view written, bool authenticates, const quill::TIdMessage& message) {
  if (written.ends_with("QUIT\r\n")) written.remove_suffix(6);
  const bool wholeLines = written.empty() || written.ends_with("\r\n");
  Check(wholeLines);
  for (const bool helo : {false, true}) {
    if (SoundSession(helo, authenticates, message).starts_with(written)) return;
  }
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::size_t kReadSizes[] = {1, 5, 64, SIZE_MAX};
  static constexpr Ending kEndings[] = {Ending::ClosesAtOnce, Ending::ClosesWhenAsked,
                                        Ending::ResetsWhenAsked, Ending::FallsSilent};
  const std::uint8_t flags = data[0];
  const bool authenticates = flags & 1;
  const bool byName = flags & 8;
  const bool attachment = flags & 16;
  const bool missing = flags & 32;

  Server server;
  server.bytes = std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1);
  server.ending = kEndings[flags >> 1 & 3];
  server.readSize = kReadSizes[flags >> 6];
  int connectedReports = 0;
  int disconnectedReports = 0;
  quill::TIdMessage message = MakeMessage(attachment, missing);
  const quill::TIdMessage unsent = message;

  {
    quill::TIdSMTP smtp(quill::platform::LocaleLanguage::Japanese,
                        std::make_shared<FuzzedConnector>(server));
    smtp.Host = byName ? "mail.example" : "127.0.0.1";
    smtp.AuthenticationType = authenticates ? quill::atLogin : quill::atNone;
    smtp.Username = "user";
    smtp.Password = "secret";
    smtp.Clock = [] { return kNow; };
    smtp.OnStatus = [&](quill::TIdStatus status, const std::string&) {
      if (status == quill::hsConnected) ++connectedReports;
      if (status == quill::hsDisconnected) ++disconnectedReports;
    };

    if (Attempt([&] { smtp.Connect(); })) {
      if (Attempt([&] { smtp.Authenticate(); })) Attempt([&] { smtp.Send(message); });
      smtp.Disconnect();
    }
    Check(!smtp.Connected());
    smtp.Disconnect();  // nothing left to close: writes nothing
  }
  Check(server.opened == 1 && server.closed == 1);
  Check(connectedReports == 1 && disconnectedReports == 1);
  CheckWire(server.written, authenticates, unsent);
  return 0;
}
