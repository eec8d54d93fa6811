// The SMTP client over real TCP connections to a small server thread on 127.0.0.1.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "mailer/message/MessageWriter.h"
#include "mailer/smtp/IdSMTP.h"
#include "platform/Error.h"
#include "platform/HostName.h"
#include "platform/TcpConnection.h"
#include "support/ErrorOf.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;
using test::ServerSide;

const std::string kEhlo = "EHLO " + platform::LocalHostName() + "\r\n";

using test::ErrorOf;

// Maps port 25 to a test server's port for as long as it lives.
class PortMapping {
 public:
  explicit PortMapping(int port) { platform::SetPortMappingForTesting(25, port); }
  ~PortMapping() { platform::SetPortMappingForTesting(25, 0); }
};

TIdMessage TestMessage() {
  TIdMessage message;
  message.FromAddress = "from@example.com";
  message.Subject = "Hello";
  message.Body = {"one", "two"};
  message.SetRecipients("to@example.com");
  return message;
}

// The server end of a normal greeting; returns false when the client did not send EHLO.
bool Greet(ServerSide& server) {
  server.Send("220 test ready\r\n");
  if (server.ReceiveLine() != kEhlo) return false;
  server.Send("250-test\r\n250 AUTH LOGIN\r\n");
  return true;
}

TEST(TIdSMTPOverTcp, WholeGroupOnPort25MappedToTheTestServer) {
  std::string received;
  std::optional<LoopbackServer> server;
  server.emplace([&](ServerSide& s) {
    if (!Greet(s)) return;
    const char* replies[] = {
        "334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n", "250 reset\r\n",
        "250 sender\r\n",       "250 recipient\r\n",    "354 go\r\n"};
    for (const char* reply : replies) {
      received += s.ReceiveLine();
      s.Send(reply);
    }
    received += s.ReceiveUntil("\r\n.\r\n");
    s.Send("250 queued\r\n");
    received += s.ReceiveAll();  // QUIT, then the client closes
  });
  PortMapping mapping(server->port());
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  std::vector<std::string> statuses;
  smtp.OnStatus = [&](TIdStatus, const std::string& text) { statuses.push_back(text); };
  smtp.Host = "localhost";
  smtp.AuthenticationType = atLogin;
  smtp.Username = "user";
  smtp.Password = "pass";
  smtp.Clock = [] { return std::time_t{1607391846}; };
  smtp.Connect();
  EXPECT_EQ(smtp.AuthSchemesSupported(), (std::vector<std::string>{"", "LOGIN"}));
  EXPECT_TRUE(smtp.Authenticate());
  TIdMessage message = TestMessage();
  smtp.Send(message);
  smtp.Disconnect();
  EXPECT_FALSE(smtp.Connected());

  std::string data;
  MessageSink sink{[&](std::string_view b) { data.append(b); }, [](const std::string&) {}};
  TIdMessage copy = TestMessage();
  WriteMessage(copy, platform::LocaleLanguage::Japanese, 1607391846, sink);
  server.reset();  // the server thread has ended: `received` is complete
  EXPECT_EQ(received,
            "AUTH LOGIN\r\ndXNlcg==\r\ncGFzcw==\r\nRSET\r\nMAIL FROM:<from@example.com>\r\n"
            "RCPT TO:<to@example.com>\r\nDATA\r\n" +
                data + ".\r\nQUIT\r\n");
  EXPECT_EQ(statuses, (std::vector<std::string>{
                          "Resolving hostname localhost.", "Connecting to 127.0.0.1.", "Connected.",
                          "Encoding text", "Disconnecting.", "Disconnected."}));
}

TEST(TIdSMTPOverTcp, RefusedConnection) {
  PortMapping mapping(test::UnusedLoopbackPort());
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  EXPECT_EQ(ErrorOf([&] { smtp.Connect(); }), "Socket Error # 10061\r\nConnection refused.");
  EXPECT_FALSE(smtp.Connected());
}

TEST(TIdSMTPOverTcp, ConnectRunsOutOfTimeWhenTheServerTakesNoConnection) {
  // A listener whose queue is full lets further connection attempts wait unanswered.
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  auto filler = platform::TcpConnection::Open("127.0.0.1", port, 1s);
  PortMapping mapping(port);
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  smtp.TimeLimits.Connect = 300ms;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { smtp.Connect(); }), "Socket Error # 10060\r\nConnection timed out.");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_FALSE(smtp.Connected());
  close(listener);
}

TEST(TIdSMTPOverTcp, ServerThatStaysSilentRunsOutOfTime) {
  LoopbackServer server([](ServerSide& s) { s.ReceiveAll(); });
  PortMapping mapping(server.port());
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  smtp.TimeLimits.Greeting = 200ms;
  std::vector<std::string> statuses;
  smtp.OnStatus = [&](TIdStatus, const std::string& text) { statuses.push_back(text); };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { smtp.Connect(); }), "Socket Error # 10060\r\nConnection timed out.");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 3s);
  EXPECT_FALSE(smtp.Connected());
  EXPECT_EQ(statuses.back(), "Disconnected.");
}

// A server that keeps a multi-line greeting going, one line at a time, runs out of the
// greeting's one time limit: the limit holds for the whole reply, not for each line.
TEST(TIdSMTPOverTcp, ServerThatTricklesAReplyRunsOutOfTime) {
  std::atomic<bool> clientGone = false;
  LoopbackServer server([&](ServerSide& s) {
    for (int i = 0; i < 100 && !clientGone; ++i) {
      s.Send("220-still greeting\r\n");
      std::this_thread::sleep_for(50ms);
    }
  });
  PortMapping mapping(server.port());
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  smtp.TimeLimits.Greeting = 300ms;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { smtp.Connect(); }), "Socket Error # 10060\r\nConnection timed out.");
  const auto waited = std::chrono::steady_clock::now() - start;
  clientGone = true;
  EXPECT_GE(waited, 300ms);
  EXPECT_LT(waited, 2s);
  EXPECT_FALSE(smtp.Connected());
}

TEST(TIdSMTPOverTcp, ServerThatStopsReadingMessageDataRunsOutOfTime) {
  test::TempDir dir;
  std::string content(24 * 1024 * 1024, 'a');
  test::WriteFileBytes(dir.file("big.bin"), content);
  LoopbackServer server([](ServerSide& s) {
    if (!Greet(s)) return;
    for (const char* reply : {"250 reset\r\n", "250 sender\r\n", "250 rcpt\r\n", "354 go\r\n"}) {
      s.ReceiveLine();
      s.Send(reply);
    }
    std::this_thread::sleep_for(1500ms);  // reads no message data meanwhile
  });
  PortMapping mapping(server.port());
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  smtp.TimeLimits.DataBlock = 300ms;
  smtp.Connect();
  TIdMessage message = TestMessage();
  message.MessageParts.push_back({dir.file("big.bin"), "", "", ""});
  EXPECT_EQ(ErrorOf([&] { smtp.Send(message); }), "Socket Error # 10060\r\nConnection timed out.");
  EXPECT_FALSE(smtp.Connected());
}

TEST(TIdSMTPOverTcp, ServerClosingOrResettingTheConnection) {
  for (bool reset : {false, true}) {
    LoopbackServer server([reset](ServerSide& s) {
      if (!Greet(s)) return;
      s.ReceiveLine();  // RSET
      s.Close(reset);
    });
    PortMapping mapping(server.port());
    TIdSMTP smtp(platform::LocaleLanguage::Japanese);
    smtp.Host = "127.0.0.1";
    smtp.Connect();
    TIdMessage message = TestMessage();
    EXPECT_EQ(ErrorOf([&] { smtp.Send(message); }),
              reset ? "Socket Error # 10054\r\nConnection reset by peer."
                    : "Connection Closed Gracefully.");
    EXPECT_FALSE(smtp.Connected());
  }
}

TEST(TIdSMTPOverTcp, ConnectedNoticesAClosedConnection) {
  LoopbackServer server([](ServerSide& s) {
    if (Greet(s)) s.Close();
  });
  PortMapping mapping(server.port());
  TIdSMTP smtp(platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  std::vector<std::string> statuses;
  smtp.OnStatus = [&](TIdStatus, const std::string& text) { statuses.push_back(text); };
  smtp.Connect();
  bool connected = true;
  for (int i = 0; i < 200 && connected; ++i) {  // the close arrives shortly
    connected = smtp.Connected();
    if (connected) std::this_thread::sleep_for(10ms);
  }
  EXPECT_FALSE(connected);
  EXPECT_EQ(statuses.back(), "Disconnected.");
}

}  // namespace
}  // namespace quill
