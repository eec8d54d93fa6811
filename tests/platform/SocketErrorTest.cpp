#include <gtest/gtest.h>
#include <netdb.h>
#include <unistd.h>

#include <cerrno>

#include "platform/HostName.h"
#include "platform/SocketError.h"
#include "platform/TcpConnection.h"

namespace quill::platform {
namespace {

TEST(SocketError, TextsOfTheKnownFailuresAndOthers) {
  struct Row {
    int err;
    std::string text;
  };
  const Row rows[] = {
      {ECONNREFUSED, "Socket Error # 10061\r\nConnection refused."},
      {ETIMEDOUT, "Socket Error # 10060\r\nConnection timed out."},
      {ECONNRESET, "Socket Error # 10054\r\nConnection reset by peer."},
      {EPIPE, "Socket Error # 10054\r\nConnection reset by peer."},
      {EHOSTUNREACH, "Socket Error # 10065\r\nNo route to host."},
      {ENETUNREACH, "Socket Error # " + std::to_string(ENETUNREACH) + "\r\nNetwork is unreachable"},
      {EMFILE, "Socket Error # " + std::to_string(EMFILE) + "\r\nToo many open files"},
  };
  for (const auto& row : rows) {
    try {
      ThrowErrno(row.err);
      ADD_FAILURE() << "no error for " << row.err;
    } catch (const Error& e) {
      EXPECT_EQ(e.what(), row.text);
    }
  }
  EXPECT_EQ(std::string(SocketError(kSocketHostNotFound).what()),
            "Socket Error # 11001\r\nHost not found.");
}

TEST(SocketError, FailedLookUpsAreHostNotFound) {
  EXPECT_EQ(ResolveFailureNumber(EAI_NONAME, 0), kSocketHostNotFound);
  EXPECT_EQ(ResolveFailureNumber(EAI_AGAIN, 0), kSocketHostNotFound);
  EXPECT_EQ(ResolveFailureNumber(EAI_FAIL, 0), kSocketHostNotFound);
  EXPECT_EQ(ResolveFailureNumber(EAI_SYSTEM, EMFILE), EMFILE);
  EXPECT_EQ(ResolveFailureNumber(EAI_SYSTEM, 0), kSocketHostNotFound);
}

TEST(TcpConnection, DottedAddressesAndResolving) {
  const std::pair<const char*, bool> rows[] = {
      {"127.0.0.1", true}, {"192.0.2.255", true}, {"0.0.0.0", true},    {"256.1.1.1", false},
      {"1.2.3", false},    {"1.2.3.4.5", false},  {"localhost", false}, {"", false},
      {" 1.2.3.4", false}, {"1.2.3.4 ", false},   {"01.2.3.4", false},  {"mail.example", false},
  };
  for (const auto& [host, dotted] : rows) EXPECT_EQ(IsDottedIPv4(host), dotted) << host;
  EXPECT_EQ(ResolveIPv4("localhost"), "127.0.0.1");  // from the hosts file, no name server
}

TEST(HostName, IsTheSystemsNameWithoutNul) {
  char expected[256] = {};
  ASSERT_EQ(gethostname(expected, sizeof expected - 1), 0);
  const std::string name = LocalHostName();
  EXPECT_EQ(name, expected);
  EXPECT_EQ(name.find('\0'), std::string::npos);
  EXPECT_LT(name.size(), 250u);
}

}  // namespace
}  // namespace quill::platform
