// The SMTP client against a scripted server: the exact bytes in both directions, the status
// texts and the error texts.
#include <gtest/gtest.h>

#include "mailer/message/MessageWriter.h"
#include "mailer/smtp/IdSMTP.h"
#include "platform/Error.h"
#include "support/ErrorOf.h"
#include "support/ScriptedSmtp.h"
#include "support/TempDir.h"

namespace quill {
namespace {

using std::chrono::milliseconds;
using test::Printable;
using test::SmtpScript;

constexpr std::time_t kSendTime = 1607391846;  // the moment every test message is written
// The scripted connector's host name.
const std::string kEhlo = "EHLO client.example\r\n";
const std::string kHelo = "HELO client.example\r\n";
const std::string kAuthReply = "250-mail.example\r\n250-AUTH LOGIN PLAIN\r\n250 AUTH=LOGIN\r\n";

using test::ErrorOf;

// A client wired to a scripted server; statuses are collected as "code:text".
struct Session {
  std::shared_ptr<SmtpScript> script = std::make_shared<SmtpScript>();
  std::shared_ptr<test::ScriptedConnector> connector =
      std::make_shared<test::ScriptedConnector>(script);
  TIdSMTP smtp{platform::LocaleLanguage::Japanese, connector};
  std::vector<std::string> statuses;

  Session() {
    smtp.Host = "127.0.0.1";
    smtp.Clock = [] { return kSendTime; };
    smtp.OnStatus = [this](TIdStatus status, const std::string& text) {
      statuses.push_back(std::to_string(status) + ":" + text);
    };
    // Distinct limits, so that each wait shows which limit it was given.
    smtp.TimeLimits = {milliseconds(1), milliseconds(2), milliseconds(3), milliseconds(4),
                       milliseconds(5), milliseconds(6), milliseconds(7), milliseconds(8)};
  }
  // Scripts the greeting and an accepted EHLO, and connects.
  void ConnectWith(const std::string& ehloReply = "250 mail.example\r\n") {
    script->Server("220 mail.example ESMTP\r\n").Client(kEhlo).Server(ehloReply);
    smtp.Connect();
    statuses.clear();
  }
};

std::string S(TIdStatus status, const std::string& text) {
  return std::to_string(status) + ":" + text;
}

TIdMessage TestMessage(const std::string& recipient = "to@example.com") {
  TIdMessage message;
  message.FromAddress = "from@example.com";
  message.FromName = "Sender";
  message.Subject = "Hello";
  message.Body = {"line one", ".dot"};
  message.SetRecipients(recipient);
  return message;
}

// What the message writer produces for `message` at kSendTime, plus the final ".".
std::string MessageData(TIdMessage message) {
  std::string bytes;
  MessageSink sink{[&](std::string_view b) { bytes.append(b); }, [](const std::string&) {}};
  WriteMessage(message, platform::LocaleLanguage::Japanese, kSendTime, sink);
  return bytes + ".\r\n";
}

TEST(TIdSMTP, ConnectsWithEhloAndCollectsAuthSchemes) {
  Session s;
  s.script->Server("220 mail.example ESMTP\r\n").Client(kEhlo).Server(kAuthReply);
  s.smtp.Connect();
  EXPECT_TRUE(s.smtp.Connected());
  EXPECT_EQ(s.smtp.AuthSchemesSupported(), (std::vector<std::string>{"", "LOGIN", "PLAIN"}));
  EXPECT_EQ(s.connector->connections, std::vector<std::string>{"127.0.0.1:25"});
  EXPECT_TRUE(s.connector->resolved.empty());  // a dotted address is not resolved
  EXPECT_EQ(s.connector->connectLimit, milliseconds(1));
  EXPECT_EQ(s.script->readLimits, (std::vector<milliseconds>{milliseconds(2), milliseconds(8)}));

  s.script->Client("QUIT\r\n");  // and no reply: it is never awaited
  s.smtp.Disconnect();
  EXPECT_FALSE(s.smtp.Connected());
  EXPECT_TRUE(s.script->closedByClient);
  EXPECT_EQ(s.script->Problems(), "");
  EXPECT_EQ(s.statuses,
            (std::vector<std::string>{
                S(hsConnecting, "Connecting to 127.0.0.1."), S(hsConnected, "Connected."),
                S(hsDisconnecting, "Disconnecting."), S(hsDisconnected, "Disconnected.")}));
}

TEST(TIdSMTP, ResolvesAHostNameFirst) {
  Session s;
  s.smtp.Host = "mail.example";
  s.connector->resolvesTo = "192.0.2.25";
  s.ConnectWith();
  EXPECT_EQ(s.connector->resolved, std::vector<std::string>{"mail.example"});
  EXPECT_EQ(s.connector->connections, std::vector<std::string>{"192.0.2.25:25"});
  s.smtp.Disconnect();

  Session failing;
  failing.smtp.Host = "nowhere.example";
  failing.connector->resolveFails = true;
  EXPECT_EQ(ErrorOf([&] { failing.smtp.Connect(); }), "Socket Error # 11001\r\nHost not found.");
  EXPECT_FALSE(failing.smtp.Connected());
  EXPECT_TRUE(failing.connector->connections.empty());
  EXPECT_EQ(failing.statuses,
            std::vector<std::string>{S(hsResolving, "Resolving hostname nowhere.example.")});
}

// The client asks its connector, not the machine, for the greeting's name and for whether a
// host needs a look-up.
TEST(TIdSMTP, HostNameAndDottedAddressComeFromTheConnector) {
  Session s;
  s.connector->localHostName = "seam.example";
  s.connector->dottedHosts = {"mail.example"};
  s.smtp.Host = "mail.example";
  s.script->Server("220 hi\r\n").Client("EHLO seam.example\r\n").Server("250 ok\r\n");
  s.smtp.Connect();
  EXPECT_TRUE(s.connector->resolved.empty());
  EXPECT_EQ(s.connector->connections, std::vector<std::string>{"mail.example:25"});
  EXPECT_EQ(s.script->Problems(), "");
  s.smtp.Disconnect();

  Session other;
  other.connector->dottedHosts = {};
  other.smtp.Host = "192.0.2.1";
  other.ConnectWith();
  EXPECT_EQ(other.connector->resolved, std::vector<std::string>{"192.0.2.1"});
  EXPECT_EQ(other.connector->connections, std::vector<std::string>{"192.0.2.7:25"});
}

TEST(TIdSMTP, StatusTextsOfOneGroupInOrder) {
  Session s;
  s.smtp.Host = "mail.example";
  s.smtp.AuthenticationType = atLogin;
  s.smtp.Username = "u";
  s.smtp.Password = "p";
  TIdMessage message = TestMessage();
  s.script->Server("220 hi\r\n").Client(kEhlo).Server("250 ok\r\n");
  s.script->Client("AUTH LOGIN\r\n").Server("334 VXNlcm5hbWU6\r\n");
  s.script->Client("dQ==\r\n")
      .Server("334 UGFzc3dvcmQ6\r\n")
      .Client("cA==\r\n")
      .Server("235 ok\r\n");
  s.script->Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
  s.script->Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
  s.script->Client("DATA\r\n").Server("354 go\r\n").Client(MessageData(message));
  s.script->Server("250 queued\r\n").Client("QUIT\r\n");
  s.smtp.Connect();
  EXPECT_TRUE(s.smtp.Authenticate());
  s.smtp.Send(message);
  s.smtp.Disconnect();
  EXPECT_EQ(s.script->Problems(), "");
  EXPECT_EQ(s.statuses,
            (std::vector<std::string>{
                S(hsResolving, "Resolving hostname mail.example."),
                S(hsConnecting, "Connecting to 192.0.2.7."), S(hsConnected, "Connected."),
                S(hsStatusText, "Encoding text"), S(hsDisconnecting, "Disconnecting."),
                S(hsDisconnected, "Disconnected.")}));
}

TEST(TIdSMTP, EhloRefusedFallsBackToHeloAndStillAuthenticates) {
  Session s;
  s.smtp.AuthenticationType = atLogin;
  s.smtp.Username = "user";
  s.smtp.Password = "pass";
  s.script->Server("220 old server\r\n").Client(kEhlo).Server("502 unknown command\r\n");
  s.script->Client(kHelo).Server("250 hello\r\n");
  s.script->Client("AUTH LOGIN\r\n").Server("334 VXNlcm5hbWU6\r\n");
  s.script->Client("dXNlcg==\r\n").Server("334 UGFzc3dvcmQ6\r\n");
  s.script->Client("cGFzcw==\r\n").Server("235 accepted\r\n");
  s.smtp.Connect();
  EXPECT_TRUE(s.smtp.AuthSchemesSupported().empty());
  EXPECT_TRUE(s.smtp.Authenticate());
  EXPECT_EQ(s.script->Problems(), "");
}

TEST(TIdSMTP, AuthLoginSendsBase64OfEachValue) {
  struct Row {
    const char* name;
    std::string user, password;
    std::string userLine, passwordLine;
  };
  const Row rows[] = {
      {"ascii", "user@example.com", "secret", "dXNlckBleGFtcGxlLmNvbQ==\r\n", "c2VjcmV0\r\n"},
      {"empty values as empty lines", "", "", "\r\n", "\r\n"},
      {"bytes as stored", "\x93\xfa\x96\x7b", "a b", "k/qWew==\r\n", "YSBi\r\n"},
  };
  for (const auto& row : rows) {
    Session s;
    s.ConnectWith();
    s.smtp.AuthenticationType = atLogin;
    s.smtp.Username = row.user;
    s.smtp.Password = row.password;
    s.script->Client("AUTH LOGIN\r\n").Server("334 VXNlcm5hbWU6\r\n").Client(row.userLine);
    s.script->Server("334 UGFzc3dvcmQ6\r\n").Client(row.passwordLine).Server("235 ok\r\n");
    EXPECT_TRUE(s.smtp.Authenticate()) << row.name;
    EXPECT_EQ(s.script->Problems(), "") << row.name;
  }
}

TEST(TIdSMTP, AuthenticateWithoutAuthenticationTypeSendsNothing) {
  Session s;
  s.ConnectWith();
  s.smtp.AuthenticationType = atNone;
  EXPECT_FALSE(s.smtp.Authenticate());
  EXPECT_EQ(s.script->Problems(), "");
  EXPECT_EQ(s.script->writes.size(), 1u);  // the EHLO
}

TEST(TIdSMTP, ConnectRefusalsSendQuitAndClose) {
  struct Row {
    const char* name;
    std::function<void(SmtpScript&)> script;
    std::string error;
  };
  const Row rows[] = {
      {"greeting refused",
       [](SmtpScript& sc) { sc.Server("554 no service here\r\n").Client("QUIT\r\n"); },
       "no service here\r\n"},
      {"greeting refused on two lines",
       [](SmtpScript& sc) { sc.Server("554-busy\r\n554 try later\r\n").Client("QUIT\r\n"); },
       "busy\r\ntry later\r\n"},
      {"HELO refused after EHLO",
       [](SmtpScript& sc) {
         sc.Server("220 hi\r\n").Client(kEhlo).Server("500 what\r\n");
         sc.Client(kHelo).Server("501 bad name\r\n").Client("QUIT\r\n");
       },
       "bad name\r\n"},
  };
  for (const auto& row : rows) {
    Session s;
    row.script(*s.script);
    EXPECT_EQ(ErrorOf([&] { s.smtp.Connect(); }), row.error) << row.name;
    EXPECT_FALSE(s.smtp.Connected()) << row.name;
    EXPECT_EQ(s.script->Problems(), "") << row.name;
    EXPECT_EQ(s.statuses.back(), S(hsDisconnected, "Disconnected.")) << row.name;
    EXPECT_EQ(s.statuses[s.statuses.size() - 2], S(hsDisconnecting, "Disconnecting.")) << row.name;
  }
}

TEST(TIdSMTP, ConnectFailuresOfTheSocket) {
  Session refused;
  refused.connector->connectError = 10061;
  EXPECT_EQ(ErrorOf([&] { refused.smtp.Connect(); }),
            "Socket Error # 10061\r\nConnection refused.");
  EXPECT_FALSE(refused.smtp.Connected());
  EXPECT_EQ(refused.statuses,
            std::vector<std::string>{S(hsConnecting, "Connecting to 127.0.0.1.")});

  Session silent;  // no greeting within its limit
  silent.script->ServerSilent();
  EXPECT_EQ(ErrorOf([&] { silent.smtp.Connect(); }),
            "Socket Error # 10060\r\nConnection timed out.");
  EXPECT_FALSE(silent.smtp.Connected());
  EXPECT_EQ(silent.script->Problems(), "");  // closed at once: no QUIT
  EXPECT_EQ(silent.script->readLimits, std::vector<milliseconds>{milliseconds(2)});
  EXPECT_EQ(silent.statuses.back(), S(hsDisconnected, "Disconnected."));

  Session closing;  // the server hangs up instead of greeting
  closing.script->ServerCloses();
  EXPECT_EQ(ErrorOf([&] { closing.smtp.Connect(); }), "Connection Closed Gracefully.");
  EXPECT_FALSE(closing.smtp.Connected());
  EXPECT_EQ(closing.script->Problems(), "");
}

TEST(TIdSMTP, SecondConnectFails) {
  Session s;
  s.ConnectWith();
  EXPECT_EQ(ErrorOf([&] { s.smtp.Connect(); }), "Already connected.");
  EXPECT_TRUE(s.smtp.Connected());
  EXPECT_EQ(s.script->Problems(), "");
}

TEST(TIdSMTP, AuthRefusalsKeepTheConnection) {
  struct Row {
    const char* name;
    std::function<void(SmtpScript&)> script;
    std::string error;
  };
  const Row rows[] = {
      {"AUTH LOGIN refused",
       [](SmtpScript& sc) { sc.Client("AUTH LOGIN\r\n").Server("504 not here\r\n"); },
       "not here\r\n"},
      {"user name refused",
       [](SmtpScript& sc) {
         sc.Client("AUTH LOGIN\r\n").Server("334 VXNlcm5hbWU6\r\n").Client("dQ==\r\n");
         sc.Server("535 no\r\n");
       },
       "no\r\n"},
      {"password refused",
       [](SmtpScript& sc) {
         sc.Client("AUTH LOGIN\r\n").Server("334 x\r\n").Client("dQ==\r\n").Server("334 y\r\n");
         sc.Client("cA==\r\n").Server("535-5.7.8 Username and Password\r\n535 not accepted\r\n");
       },
       "5.7.8 Username and Password\r\nnot accepted\r\n"},
  };
  for (const auto& row : rows) {
    Session s;
    s.ConnectWith();
    s.smtp.AuthenticationType = atLogin;
    s.smtp.Username = "u";
    s.smtp.Password = "p";
    row.script(*s.script);
    EXPECT_EQ(ErrorOf([&] { s.smtp.Authenticate(); }), row.error) << row.name;
    EXPECT_TRUE(s.smtp.Connected()) << row.name;
    EXPECT_EQ(s.script->Problems(), "") << row.name;
  }
}

TEST(TIdSMTP, SendIsOneTransactionWithOneWritePerCommand) {
  Session s;
  s.ConnectWith();
  TIdMessage message = TestMessage();
  const std::string data = MessageData(message);
  s.script->Client("RSET\r\n").Server("421 RSET's code is not looked at\r\n");
  s.script->Client("MAIL FROM:<from@example.com>\r\n").Server("250 ok\r\n");
  s.script->Client("RCPT TO:<to@example.com>\r\n").Server("251 will forward\r\n");
  s.script->Client("DATA\r\n").Server("354 go ahead\r\n");
  s.script->Client(data).Server("250 queued\r\n");
  s.script->writes.clear();
  s.script->readLimits.clear();
  s.smtp.Send(message);
  EXPECT_EQ(s.script->Problems(), "");
  EXPECT_TRUE(s.smtp.Connected());
  EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsStatusText, "Encoding text")});
  // One write per command, the whole message with its "." in one more.
  EXPECT_EQ(s.script->writes.size(), 5u);
  EXPECT_EQ(s.script->writes.back(), data);
  EXPECT_EQ(s.script->readLimits,
            (std::vector<milliseconds>{milliseconds(8), milliseconds(3), milliseconds(4),
                                       milliseconds(5), milliseconds(7)}));
  EXPECT_EQ(s.script->writeLimits.back(), milliseconds(6));
  EXPECT_NE(data.find("\r\n..dot\r\n"), std::string::npos);  // dot-stuffed by the writer
}

TEST(TIdSMTP, SendRefusalsGiveTheReplyText) {
  struct Row {
    const char* name;
    std::function<void(SmtpScript&)> script;
    std::string error;
  };
  const std::string data = MessageData(TestMessage());
  const Row rows[] = {
      {"MAIL FROM refused",
       [](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.Server("553 sender rejected\r\n");
       },
       "sender rejected\r\n"},
      {"RCPT TO refused",
       [](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n");
         sc.Server("550-No such user\r\n550 here\r\n");
       },
       "No such user\r\nhere\r\n"},
      {"DATA refused",
       [](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
         sc.Client("DATA\r\n").Server("503 bad sequence\r\n");
       },
       "bad sequence\r\n"},
      {"message refused",
       [&](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
         sc.Client("DATA\r\n").Server("354 go\r\n").Client(data).Server("552 too big\r\n");
       },
       "too big\r\n"},
      {"reply code that is no number",
       [](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.Server("hello\r\n");
       },
       "o\r\n"},
  };
  for (const auto& row : rows) {
    Session s;
    s.ConnectWith();
    row.script(*s.script);
    TIdMessage message = TestMessage();
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), row.error) << row.name;
    EXPECT_TRUE(s.smtp.Connected()) << row.name;
    EXPECT_EQ(s.script->Problems(), "") << row.name;
  }
}

TEST(TIdSMTP, MultiLineRepliesWithBareLfAndBlankLines) {
  Session s;
  s.script->Server("220-first\n\r\n220 second\n").Client(kEhlo);
  s.script->Server("250-mail.example\n").Server("\n   \n250-auth login\n");
  s.script->Server("250-SIZE 1000\r\n250 AUTH=PLAIN CRAM-MD5\n");
  s.smtp.Connect();
  EXPECT_EQ(s.smtp.AuthSchemesSupported(),
            (std::vector<std::string>{"", "LOGIN", "PLAIN", "CRAM-MD5"}));
  EXPECT_EQ(s.script->Problems(), "");
}

TEST(TIdSMTP, AuthSchemesAreEmptiedAtEveryConnect) {
  Session s;
  s.ConnectWith(kAuthReply);
  EXPECT_EQ(s.smtp.AuthSchemesSupported().size(), 3u);
  s.script->Client("QUIT\r\n");
  s.smtp.Disconnect();
  s.script->Server("220 hi\r\n").Client(kEhlo).Server("250 no auth here\r\n");
  s.smtp.Connect();
  EXPECT_TRUE(s.smtp.AuthSchemesSupported().empty());
  EXPECT_EQ(s.script->Problems(), "");
}

TEST(TIdSMTP, OverlongReplyLineKeepsTheConnection) {
  Session s;
  s.ConnectWith();
  s.script->Client("RSET\r\n").Server("250 " + std::string(20000, 'x') + "\r\n");
  TIdMessage message = TestMessage();
  EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Max line length exceeded.");
  EXPECT_TRUE(s.smtp.Connected());
  EXPECT_EQ(s.script->Problems(), "");
}

// A reply past its bounds cannot be read to its end: the connection is closed at once, and
// during Connect nothing more is written.
TEST(TIdSMTP, ReplyPastItsBoundsClosesTheConnection) {
  std::string endless;
  for (size_t i = 0; i <= SmtpReplyReader::kMaxReplyLines; ++i) endless += "250-more\r\n";

  Session s;
  s.ConnectWith();
  s.script->Client("RSET\r\n").Server(endless);
  TIdMessage message = TestMessage();
  EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Max reply size exceeded.");
  EXPECT_FALSE(s.smtp.Connected());
  EXPECT_TRUE(s.script->closedByClient);
  EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsDisconnected, "Disconnected.")});
  EXPECT_EQ(s.script->Problems(), "");

  Session greeting;
  greeting.script->Server("220 mail.example ESMTP\r\n").Client(kEhlo).Server(endless);
  EXPECT_EQ(ErrorOf([&] { greeting.smtp.Connect(); }), "Max reply size exceeded.");
  EXPECT_FALSE(greeting.smtp.Connected());
  EXPECT_EQ(greeting.script->Problems(), "");
}

TEST(TIdSMTP, ServerClosingTheConnection) {
  {  // while a reply is awaited
    Session s;
    s.ConnectWith();
    s.script->Client("RSET\r\n").ServerCloses();
    TIdMessage message = TestMessage();
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Connection Closed Gracefully.");
    EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsDisconnected, "Disconnected.")});
    EXPECT_FALSE(s.smtp.Connected());
    // Later commands find no connection, and Disconnect has nothing to do.
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Not Connected");
    s.smtp.Disconnect();
    EXPECT_EQ(s.statuses.size(), 1u);
    EXPECT_EQ(s.script->Problems(), "");
  }
  {  // found before the next command is written
    Session s;
    s.ConnectWith();
    s.script->ServerCloses();
    TIdMessage message = TestMessage();
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Connection Closed Gracefully.");
    EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsDisconnected, "Disconnected.")});
    EXPECT_EQ(s.script->writes.back(), kEhlo);  // nothing written into it
    EXPECT_EQ(s.script->Problems(), "");
  }
  {  // an idle time-out: the farewell is taken as the reply to RSET, whose code is not looked
     // at, and the closed connection is found before MAIL FROM
    Session s;
    s.ConnectWith();
    s.script->Client("RSET\r\n").Server("421 4.4.2 timeout exceeded\r\n").ServerCloses();
    TIdMessage message = TestMessage();
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Connection Closed Gracefully.");
    EXPECT_EQ(s.script->writes.back(), "RSET\r\n");
    EXPECT_EQ(s.script->Problems(), "");
  }
  {  // noticed by Connected
    Session s;
    s.ConnectWith();
    s.script->ServerCloses();
    EXPECT_FALSE(s.smtp.Connected());
    EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsDisconnected, "Disconnected.")});
    s.smtp.Disconnect();  // nothing left to do
    EXPECT_EQ(s.statuses.size(), 1u);
    EXPECT_EQ(s.script->Problems(), "");
  }
}

TEST(TIdSMTP, ResetConnectionIsASocketError) {
  Session s;
  s.ConnectWith();
  s.script->Client("RSET\r\n").ServerResets();
  TIdMessage message = TestMessage();
  EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }),
            "Socket Error # 10054\r\nConnection reset by peer.");
  EXPECT_FALSE(s.smtp.Connected());
  EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsDisconnected, "Disconnected.")});
}

TEST(TIdSMTP, CommandsWithoutConnection) {
  Session s;
  TIdMessage message = TestMessage();
  s.smtp.AuthenticationType = atLogin;
  EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Not Connected");
  EXPECT_EQ(ErrorOf([&] { s.smtp.Authenticate(); }), "Not Connected");
  EXPECT_FALSE(s.smtp.Connected());
  s.smtp.Disconnect();  // nothing to do, nothing reported
  EXPECT_TRUE(s.statuses.empty());

  s.ConnectWith();
  s.script->Client("QUIT\r\n");
  s.smtp.Disconnect();
  EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "Not Connected");
  EXPECT_EQ(s.script->Problems(), "");
}

TEST(TIdSMTP, TimeLimitsCloseTheConnection) {
  struct Row {
    const char* name;
    std::function<void(SmtpScript&)> script;
    milliseconds limit;
  };
  const std::string data = MessageData(TestMessage());
  const Row rows[] = {
      {"MAIL FROM",
       [](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.ServerSilent();
       },
       milliseconds(3)},
      {"the final dot",
       [&](SmtpScript& sc) {
         sc.Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
         sc.Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
         sc.Client("DATA\r\n").Server("354 go\r\n").Client(data).ServerSilent();
       },
       milliseconds(7)},
  };
  for (const auto& row : rows) {
    Session s;
    s.ConnectWith();
    row.script(*s.script);
    TIdMessage message = TestMessage();
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }),
              "Socket Error # 10060\r\nConnection timed out.")
        << row.name;
    EXPECT_FALSE(s.smtp.Connected()) << row.name;
    EXPECT_EQ(s.script->readLimits.back(), row.limit) << row.name;
    EXPECT_EQ(s.statuses.back(), S(hsDisconnected, "Disconnected.")) << row.name;
    EXPECT_EQ(s.script->Problems(), "") << row.name;
  }
}

TEST(TIdSMTP, AddressesThatWouldBreakACommandAreRefused) {
  struct Row {
    const char* name;
    std::string from, to;
    std::string error;
  };
  const std::string badFrom = "The sender address holds CR, LF, \"<\" or \">\".";
  const std::string badTo = "The recipient address holds CR, LF, \"<\" or \">\".";
  const Row rows[] = {
      {"sender with CR LF", "a@b>\r\nRCPT TO:<evil@x", "to@example.com", badFrom},
      {"sender with LF", "a@b\nx", "to@example.com", badFrom},
      {"sender with <", "a<b@c", "to@example.com", badFrom},
      {"recipient with CR", "from@example.com", "to@example.com\r", badTo},
      {"recipient with >", "from@example.com", "to@x>", badTo},
  };
  for (const auto& row : rows) {
    Session s;
    s.ConnectWith();
    TIdMessage message = TestMessage(row.to);
    message.FromAddress = row.from;
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), row.error) << row.name;
    EXPECT_EQ(s.script->writes.size(), 1u) << row.name;  // only the EHLO was ever written
    EXPECT_TRUE(s.smtp.Connected()) << row.name;
    EXPECT_EQ(s.script->Problems(), "") << row.name;
  }
}

TEST(TIdSMTP, FailureInsideTheMessageDataClosesTheConnection) {
  test::TempDir dir;
  Session s;
  s.ConnectWith();
  TIdMessage message = TestMessage();
  TIdAttachment part;
  part.FileName = dir.file("missing.bin");
  message.MessageParts.push_back(part);
  s.script->Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
  s.script->Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
  s.script->Client("DATA\r\n").Server("354 go\r\n");
  const std::string error = ErrorOf([&] { s.smtp.Send(message); });
  EXPECT_NE(error.find(dir.file("missing.bin")), std::string::npos) << error;
  EXPECT_FALSE(s.smtp.Connected());
  EXPECT_TRUE(s.script->closedByClient);
  EXPECT_EQ(s.statuses.back(), S(hsDisconnected, "Disconnected."));
  EXPECT_EQ(s.script->Problems(), "");  // nothing after DATA reached the wire
}

TEST(TIdSMTP, RefusedDataReportsNothingOfTheMessage) {
  test::TempDir dir;
  for (bool missingAttachment : {false, true}) {
    Session s;
    s.ConnectWith();
    TIdMessage message = TestMessage();
    if (missingAttachment) message.MessageParts.push_back({dir.file("missing.bin"), "", "", ""});
    s.script->Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
    s.script->Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
    s.script->Client("DATA\r\n").Server("554 no data for you\r\n");
    EXPECT_EQ(ErrorOf([&] { s.smtp.Send(message); }), "no data for you\r\n") << missingAttachment;
    EXPECT_TRUE(s.smtp.Connected()) << missingAttachment;
    EXPECT_TRUE(s.statuses.empty()) << missingAttachment;  // no "Encoding ..." text
    EXPECT_EQ(s.script->Problems(), "") << missingAttachment;
  }
}

TEST(TIdSMTP, LargeMessageGoesOutInLargeBlocks) {
  test::TempDir dir;
  std::string content(300 * 1024, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  test::WriteFileBytes(dir.file("big.bin"), content);
  Session s;
  s.ConnectWith();
  TIdMessage message = TestMessage();
  TIdAttachment part;
  part.FileName = dir.file("big.bin");
  message.MessageParts.push_back(part);
  const std::string data = MessageData(message);
  s.script->Client("RSET\r\n").Server("250 ok\r\n").Client("MAIL FROM:<from@example.com>\r\n");
  s.script->Server("250 ok\r\n").Client("RCPT TO:<to@example.com>\r\n").Server("250 ok\r\n");
  s.script->Client("DATA\r\n").Server("354 go\r\n").Client(data).Server("250 ok\r\n");
  size_t before = s.script->writes.size();
  s.smtp.Send(message);
  EXPECT_EQ(s.script->Problems(), "");
  const size_t dataWrites = s.script->writes.size() - before - 4;
  EXPECT_LE(dataWrites, data.size() / (64 * 1024) + 1);
  for (size_t i = before + 4; i < s.script->writes.size(); ++i) {
    EXPECT_EQ(s.script->writeLimits[i], milliseconds(6));
  }
  EXPECT_EQ(s.statuses, std::vector<std::string>{S(hsStatusText, "Encoding attachment")});
}

}  // namespace
}  // namespace quill
