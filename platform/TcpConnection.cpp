#include "platform/TcpConnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/SocketError.h"

namespace quill::platform {
namespace {

using Clock = std::chrono::steady_clock;

std::mutex mappingMutex;
std::map<int, int> portMapping;

int MappedPort(int port) {
  std::lock_guard lock(mappingMutex);
  auto it = portMapping.find(port);
  return it == portMapping.end() ? port : it->second;
}

// Milliseconds left until `deadline` for poll(), rounded up so that a wait never ends early.
int PollTimeout(Clock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return left > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(left);
}

// Waits until `fd` is ready for `events` or the deadline passes (then throws 10060).
void WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int timeout = PollTimeout(deadline);
    int n = poll(&p, 1, timeout);
    if (n > 0) return;
    if (n == 0) {
      if (timeout == 0 || Clock::now() >= deadline) ThrowTimedOut();
      continue;
    }
    if (errno != EINTR) ThrowErrno(errno);
  }
}

}  // namespace

bool IsDottedIPv4(const std::string& host) {
  in_addr address{};
  // inet_pton accepts exactly four decimal parts, unlike inet_aton.
  return inet_pton(AF_INET, host.c_str(), &address) == 1;
}

int ResolveFailureNumber(int eaiCode, int err) {
  if (eaiCode == EAI_SYSTEM && err != 0) return SocketErrorNumber(err);
  return kSocketHostNotFound;
}

std::string ResolveIPv4(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  int rc = getaddrinfo(host.c_str(), nullptr, &hints, &result);
  if (rc != 0 || result == nullptr) {
    int err = errno;
    if (result) freeaddrinfo(result);
    throw SocketError(ResolveFailureNumber(rc, err));
  }
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr, text, sizeof text);
  freeaddrinfo(result);
  return text;
}

void SetPortMappingForTesting(int port, int realPort) {
  std::lock_guard lock(mappingMutex);
  if (realPort == 0) {
    portMapping.erase(port);
  } else {
    portMapping[port] = realPort;
  }
}

std::unique_ptr<TcpConnection> TcpConnection::Open(const std::string& dottedAddress, int port,
                                                   std::chrono::milliseconds limit) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(MappedPort(port)));
  if (inet_pton(AF_INET, dottedAddress.c_str(), &address.sin_addr) != 1) {
    throw SocketError(kSocketHostNotFound);
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) ThrowErrno(errno);
  std::unique_ptr<TcpConnection> connection(new TcpConnection(fd));  // closes on failure
  int one = 1;
  setsockopt(connection->fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  connection->Connect(address, limit);
  return connection;
}

// A blocking connect ends with its send timeout (Linux), so the connect limit is set as
// the first send tick and, for the receive side, the first receive tick as well.
void TcpConnection::Connect(const sockaddr_in& address, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  KeepTimeoutWithin(SO_SNDTIMEO, limit, sendTimeout_);
  KeepTimeoutWithin(SO_RCVTIMEO, limit, receiveTimeout_);
  if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return;
  if (errno == EINPROGRESS) ThrowTimedOut();  // the send timeout ran out
  if (errno != EINTR) ThrowErrno(errno);
  // Interrupted: the connect goes on by itself; wait for its outcome.
  WaitFor(fd_, POLLOUT, deadline);
  int err = 0;
  socklen_t length = sizeof err;
  getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &length);
  if (err != 0) ThrowErrno(err);
}

TcpConnection::~TcpConnection() { Close(); }

// The socket blocks, with a send and a receive timeout: a reply then wakes the waiting
// recv() at once, and a wait costs no further system call (poll(), or setting the timeout
// anew, would cost as much as the round trip itself on some systems). The timeout is a
// tick no longer than the limit in hand: a wait loops over ticks until its own limit has
// passed; the timeout is set anew only when it no longer fits what is left of a limit.
void TcpConnection::KeepTimeoutWithin(int option, std::chrono::milliseconds left,
                                      std::chrono::milliseconds& current) {
  if (left < std::chrono::milliseconds(1)) left = std::chrono::milliseconds(1);
  // Kept while it fits the limit and is not far shorter: a tick lowered near one deadline is
  // raised again for the next wait, so that a long wait never spins on tiny ticks.
  if (current.count() != 0 && current <= left && current * 4 >= left) return;
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(left.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>(left.count() % 1000 * 1000);
  if (setsockopt(fd_, SOL_SOCKET, option, &tv, sizeof tv) != 0) ThrowErrno(errno);
  current = left;
}

void TcpConnection::Write(std::string_view bytes, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  auto left = limit;
  while (!bytes.empty()) {
    if (left <= std::chrono::milliseconds::zero()) ThrowTimedOut();
    KeepTimeoutWithin(SO_SNDTIMEO, left, sendTimeout_);
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n >= 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      ThrowErrno(errno);
    }
    left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  }
}

size_t TcpConnection::Read(char* buffer, size_t capacity, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  auto left = limit;
  for (;;) {
    if (left <= std::chrono::milliseconds::zero()) ThrowTimedOut();
    KeepTimeoutWithin(SO_RCVTIMEO, left, receiveTimeout_);
    ssize_t n = ::recv(fd_, buffer, capacity, 0);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ThrowErrno(errno);
    left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  }
}

bool TcpConnection::PeerHasClosed() {
  char byte;
  for (;;) {
    ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0) return true;
    if (n > 0) return false;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return false;
    if (errno != EINTR) ThrowErrno(errno);
  }
}

void TcpConnection::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace quill::platform
