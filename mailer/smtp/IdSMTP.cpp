#include "mailer/smtp/IdSMTP.h"

#include <algorithm>

#include "mailer/message/Base64.h"
#include "mailer/message/MessageWriter.h"
#include "mailer/smtp/SmtpAuthSchemes.h"
#include "platform/Error.h"
#include "platform/SocketError.h"

namespace quill {
namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Message data goes out in blocks of this size: large enough that a typical message leaves
// in one write, small enough that each block write has its own time limit.
constexpr size_t kDataBlockSize = 64 * 1024;
constexpr size_t kReadBufferSize = 64 * 1024;

// An address goes into a command between "<" and ">": these bytes would end it or the line.
bool SafeInCommand(const std::string& address) {
  return address.find_first_of("\r\n<>") == std::string::npos;
}

}  // namespace

TIdSMTP::TIdSMTP(platform::LocaleLanguage locale, std::shared_ptr<SmtpConnector> connector)
    : locale_(locale), connector_(std::move(connector)), input_(kReadBufferSize) {}

TIdSMTP::~TIdSMTP() {
  if (transport_) transport_->Close();
}

void TIdSMTP::Status(TIdStatus status, const std::string& text) {
  if (OnStatus) OnStatus(status, text);
}

void TIdSMTP::DropConnection() {
  if (!transport_) return;
  transport_->Close();
  transport_.reset();
  output_.clear();
  reader_.Reset();
  Status(hsDisconnected, "Disconnected.");
}

// Whether the server has closed the connection (a reset counts as closed).
bool TIdSMTP::PeerHasClosed() {
  try {
    return transport_->PeerHasClosed();
  } catch (const Error&) {
    return true;
  }
}

// Before a command: a connection that the server has closed (after an idle time-out, say)
// is found here, so that the command fails as a closed connection rather than as the reset
// that writing into it would provoke.
void TIdSMTP::RequireConnection() {
  if (!transport_) throw Error("Not Connected");
  if (PeerHasClosed()) {
    DropConnection();
    throw Error("Connection Closed Gracefully.");
  }
}

void TIdSMTP::Flush(milliseconds limit) {
  if (output_.empty()) return;
  try {
    transport_->Write(output_, limit);
  } catch (const Error&) {
    DropConnection();
    throw;
  }
  output_.clear();
}

void TIdSMTP::WriteCommand(const std::string& command) {
  RequireConnection();
  output_ += command;
  output_ += "\r\n";
  Flush(TimeLimits.Other);
}

// One deadline for the whole reply, so that a server that trickles the lines of a long reply
// cannot hold the client past `limit`.
SmtpReply TIdSMTP::ReadReply(milliseconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  for (;;) {
    try {
      if (auto reply = reader_.Next()) return *std::move(reply);
    } catch (const SmtpReplyTooLong&) {
      DropConnection();
      throw;
    }
    auto left = std::chrono::ceil<milliseconds>(deadline - SteadyClock::now());
    size_t n;
    try {
      if (left <= milliseconds::zero()) platform::ThrowTimedOut();
      n = transport_->Read(input_.data(), input_.size(), left);
    } catch (const Error&) {
      DropConnection();
      throw;
    }
    if (n == 0) {
      DropConnection();
      throw Error("Connection Closed Gracefully.");
    }
    reader_.Feed(std::string_view(input_.data(), n));
  }
}

SmtpReply TIdSMTP::Command(const std::string& command, milliseconds limit,
                           std::initializer_list<int> expected) {
  WriteCommand(command);
  SmtpReply reply = ReadReply(limit);
  if (expected.size() != 0 &&
      std::find(expected.begin(), expected.end(), reply.Code) == expected.end()) {
    throw Error(ReplyErrorText(reply));
  }
  return reply;
}

void TIdSMTP::Connect() {
  if (transport_) throw Error("Already connected.");
  authSchemes_.clear();
  std::string address = Host;
  if (!connector_->IsDottedAddress(Host)) {
    Status(hsResolving, "Resolving hostname " + Host + ".");
    address = connector_->Resolve(Host);
  }
  Status(hsConnecting, "Connecting to " + address + ".");
  transport_ = connector_->Connect(address, Port, TimeLimits.Connect);
  reader_.Reset();
  output_.clear();
  Status(hsConnected, "Connected.");
  try {
    Greet();
  } catch (const Error&) {
    Disconnect();
    throw;
  }
}

void TIdSMTP::Greet() {
  SmtpReply greeting = ReadReply(TimeLimits.Greeting);
  if (greeting.Code != 220) throw Error(ReplyErrorText(greeting));
  const std::string name = connector_->LocalHostName();
  SmtpReply ehlo = Command("EHLO " + name, TimeLimits.Other, {});
  if (ehlo.Code == 250) {
    AddAuthSchemes(ehlo.Text, authSchemes_);
  } else {
    Command("HELO " + name, TimeLimits.Other, {250});
  }
}

bool TIdSMTP::Authenticate() {
  if (AuthenticationType != atLogin) return false;
  Command("AUTH LOGIN", TimeLimits.Other, {334});
  Command(Base64Encode(Username), TimeLimits.Other, {334});
  Command(Base64Encode(Password), TimeLimits.Other, {235});
  return true;
}

void TIdSMTP::Send(TIdMessage& message) {
  if (!SafeInCommand(message.FromAddress)) {
    throw Error("The sender address holds CR, LF, \"<\" or \">\".");
  }
  for (const auto& recipient : message.Recipients) {
    if (!SafeInCommand(recipient)) {
      throw Error("The recipient address holds CR, LF, \"<\" or \">\".");
    }
  }
  Command("RSET", TimeLimits.Other, {});
  Command("MAIL FROM:<" + message.FromAddress + ">", TimeLimits.MailFrom, {250});
  for (const auto& recipient : message.Recipients) {
    Command("RCPT TO:<" + recipient + ">", TimeLimits.RcptTo, {250, 251});
  }
  WriteCommand("DATA");
  WriteMessageData(message);
  SmtpReply reply = ReadReply(TimeLimits.DataEnd);
  if (reply.Code != 250) throw Error(ReplyErrorText(reply));
}

// The message and the final ".", in blocks. The writer runs while the server answers DATA,
// so that producing the message costs no time of its own on the wire: its first block waits
// in the buffer, and its status texts are held back, until the answer is 354. A DATA that is
// refused is a refused command like any other (the message then never was, and nothing of
// it is reported). Any failure once DATA is accepted leaves the server inside the message
// data, where no later command could reach it: the connection is closed at once.
void TIdSMTP::WriteMessageData(TIdMessage& message) {
  enum class DataState { Awaited, Accepted, Failed } state = DataState::Awaited;
  std::vector<std::string> heldStatus;
  auto awaitAcceptance = [&] {
    if (state == DataState::Accepted) return;
    state = DataState::Failed;  // until the reply says otherwise
    SmtpReply reply = ReadReply(TimeLimits.Data);
    if (reply.Code != 354) throw Error(ReplyErrorText(reply));
    state = DataState::Accepted;
    for (const auto& text : heldStatus) Status(hsStatusText, text);
  };
  MessageSink sink;
  sink.write = [&](std::string_view bytes) {
    output_.append(bytes);
    if (output_.size() >= kDataBlockSize) {
      awaitAcceptance();
      Flush(TimeLimits.DataBlock);
    }
  };
  sink.status = [&](const std::string& text) {
    if (state == DataState::Accepted) {
      Status(hsStatusText, text);
    } else {
      heldStatus.push_back(text);
    }
  };
  try {
    WriteMessage(message, locale_, Clock(), sink);
    awaitAcceptance();
  } catch (...) {
    output_.clear();
    if (state == DataState::Failed) throw;  // DATA refused, or its reply failed
    // The writer failed first: the answer to DATA still decides what the failure is.
    if (state == DataState::Awaited) awaitAcceptance();
    DropConnection();
    throw;
  }
  output_ += ".\r\n";
  Flush(TimeLimits.DataBlock);
}

bool TIdSMTP::Connected() {
  if (!transport_) return false;
  if (PeerHasClosed()) DropConnection();
  return transport_ != nullptr;
}

void TIdSMTP::Disconnect() {
  if (!transport_) return;
  // The reply to QUIT is not awaited, and a connection that fails now is closed anyway.
  try {
    output_ += "QUIT\r\n";
    Flush(TimeLimits.Other);
  } catch (const Error&) {
    return;
  }
  Status(hsDisconnecting, "Disconnecting.");
  DropConnection();
}

}  // namespace quill
