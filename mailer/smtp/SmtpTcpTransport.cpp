#include "mailer/smtp/SmtpTransport.h"
#include "platform/HostName.h"
#include "platform/TcpConnection.h"

namespace quill {
namespace {

class TcpTransport : public SmtpTransport {
 public:
  explicit TcpTransport(std::unique_ptr<platform::TcpConnection> connection)
      : connection_(std::move(connection)) {}

  void Write(std::string_view bytes, std::chrono::milliseconds limit) override {
    connection_->Write(bytes, limit);
  }
  size_t Read(char* buffer, size_t capacity, std::chrono::milliseconds limit) override {
    return connection_->Read(buffer, capacity, limit);
  }
  bool PeerHasClosed() override { return connection_->PeerHasClosed(); }
  void Close() override { connection_->Close(); }

 private:
  std::unique_ptr<platform::TcpConnection> connection_;
};

class TcpConnector : public SmtpConnector {
 public:
  std::string LocalHostName() override { return platform::LocalHostName(); }
  bool IsDottedAddress(const std::string& host) override { return platform::IsDottedIPv4(host); }
  std::string Resolve(const std::string& host) override { return platform::ResolveIPv4(host); }
  std::unique_ptr<SmtpTransport> Connect(const std::string& dottedAddress, int port,
                                         std::chrono::milliseconds limit) override {
    return std::make_unique<TcpTransport>(
        platform::TcpConnection::Open(dottedAddress, port, limit));
  }
};

}  // namespace

std::shared_ptr<SmtpConnector> TcpSmtpConnector() { return std::make_shared<TcpConnector>(); }

}  // namespace quill
