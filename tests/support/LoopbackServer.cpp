#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

namespace quill::test {
namespace {

constexpr int kWaitMs = 5000;

int ListenOnLoopback(int& port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0) {
    close(fd);
    throw std::runtime_error("bind/listen failed");
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

void ServerSide::Send(const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

bool ServerSide::ReceiveSome() {
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, kWaitMs) <= 0) return false;
  char buffer[65536];
  ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
  if (n <= 0) return false;
  pending_.append(buffer, static_cast<size_t>(n));
  return true;
}

std::string ServerSide::ReceiveUntil(const std::string& terminator) {
  for (;;) {
    size_t at = pending_.find(terminator);
    if (at != std::string::npos) {
      std::string got = pending_.substr(0, at + terminator.size());
      pending_.erase(0, at + terminator.size());
      return got;
    }
    if (!ReceiveSome()) return {};
  }
}

std::string ServerSide::ReceiveLine() { return ReceiveUntil("\n"); }

std::string ServerSide::ReceiveAll() {
  while (ReceiveSome()) {
  }
  return std::exchange(pending_, {});
}

void ServerSide::Close(bool reset) {
  if (fd_ < 0) return;
  if (reset) {
    linger l{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  }
  ::close(fd_);
  fd_ = -1;
}

LoopbackServer::LoopbackServer(std::function<void(ServerSide&)> session) {
  listener_ = ListenOnLoopback(port_);
  thread_ = std::thread([this, session = std::move(session)] {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, kWaitMs) <= 0) return;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    ServerSide side(fd);
    session(side);
    side.Close();
  });
}

LoopbackServer::~LoopbackServer() {
  thread_.join();
  close(listener_);
}

int UnusedLoopbackPort() {
  int port = 0;
  int fd = ListenOnLoopback(port);
  close(fd);
  return port;
}

}  // namespace quill::test
