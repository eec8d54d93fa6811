// The client's Connect against a server whose EHLO reply announces very many AUTH names,
// within the reply reader's bounds (under 1 000 lines and 1 MiB): 140 000 distinct names
// against 10 000, the same names per line, measured in turns in one run. The server is a
// transport in this process, so the time is the client's own: reading the reply and
// building the AUTH scheme list. Linear cost gives a ratio of about 14.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mailer/smtp/IdSMTP.h"
#include "mailer/smtp/SmtpTransport.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kSmallNames = 10'000;
constexpr int kLargeNames = 140'000;
constexpr int kNamesPerLine = 141;  // 140 000 names in 993 lines of about 700 bytes
constexpr int kRounds = 21;

// The `index`th name of four bytes from A-Z and 0-9 (up to 36^4 of them): distinct whatever
// the case folding does, and of one length, so that the reply's size follows the count.
std::string Name(int index) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name;
  for (int i = 0; i < 4; ++i, index /= 36) name += kDigits[index % 36];
  return name;
}

// The 250 reply to EHLO: a first line, then "AUTH" lines of kNamesPerLine names each.
std::string EhloReply(int names) {
  std::string reply = "250-bench.example\r\n";
  for (int first = 0; first < names; first += kNamesPerLine) {
    const int last = std::min(first + kNamesPerLine, names);
    reply += last == names ? "250 AUTH" : "250-AUTH";
    for (int i = first; i < last; ++i) reply += ' ' + Name(i);
    reply += "\r\n";
  }
  return reply;
}

// A server in this process: the greeting at once, the announcement after EHLO, nothing else.
class AnnouncingTransport : public quill::SmtpTransport {
 public:
  explicit AnnouncingTransport(const std::string& ehloReply)
      : ehloReply_(ehloReply), pending_("220 bench.example ESMTP\r\n") {}

  void Write(std::string_view bytes, std::chrono::milliseconds) override {
    if (bytes.rfind("EHLO ", 0) == 0) pending_.append(ehloReply_);
  }
  size_t Read(char* buffer, size_t capacity, std::chrono::milliseconds) override {
    const size_t n = std::min(capacity, pending_.size() - taken_);
    std::memcpy(buffer, pending_.data() + taken_, n);
    taken_ += n;
    return n;  // 0 only once everything was read: the server has closed
  }
  bool PeerHasClosed() override { return false; }
  void Close() override {}

 private:
  const std::string& ehloReply_;
  std::string pending_;
  size_t taken_ = 0;
};

class AnnouncingServer : public quill::SmtpConnector {
 public:
  explicit AnnouncingServer(int names) : ehloReply_(EhloReply(names)) {}
  size_t ReplyBytes() const { return ehloReply_.size(); }

  std::string LocalHostName() override { return "client.example"; }
  bool IsDottedAddress(const std::string&) override { return true; }
  std::string Resolve(const std::string& host) override { return host; }
  std::unique_ptr<quill::SmtpTransport> Connect(const std::string&, int,
                                                std::chrono::milliseconds) override {
    return std::make_unique<AnnouncingTransport>(ehloReply_);
  }

 private:
  std::string ehloReply_;
};

// Processor seconds of this thread: on a busy machine a wait for the processor does not
// count, so the figures hold what the client itself costs.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall and processor seconds of one Connect.
struct Cost {
  double wall = 0;
  double cpu = 0;
};

// One Connect; exits when the list is not the whole announcement.
Cost ConnectCost(const std::shared_ptr<AnnouncingServer>& server, int names) {
  quill::TIdSMTP smtp(quill::platform::LocaleLanguage::Japanese, server);
  smtp.Host = "127.0.0.1";
  const auto start = SteadyClock::now();
  const double cpu = ThreadSeconds();
  smtp.Connect();
  const Cost cost{std::chrono::duration<double>(SteadyClock::now() - start).count(),
                  ThreadSeconds() - cpu};
  if (smtp.AuthSchemesSupported().size() != static_cast<size_t>(names) + 1) {
    std::printf("bench_smtp_auth_announcement: the AUTH list is not the announcement\n");
    std::exit(1);
  }
  smtp.Disconnect();
  return cost;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const auto small = std::make_shared<AnnouncingServer>(kSmallNames);
  const auto large = std::make_shared<AnnouncingServer>(kLargeNames);
  std::vector<double> smallWall, largeWall, wallRatios, smallCpu, largeCpu, cpuRatios;
  ConnectCost(small, kSmallNames);  // warm-up
  for (int round = 0; round < kRounds; ++round) {
    // The order turns with every round, so that a busy moment hits both.
    Cost s, l;
    if (round % 2 == 0) {
      s = ConnectCost(small, kSmallNames);
      l = ConnectCost(large, kLargeNames);
    } else {
      l = ConnectCost(large, kLargeNames);
      s = ConnectCost(small, kSmallNames);
    }
    smallWall.push_back(s.wall);
    largeWall.push_back(l.wall);
    wallRatios.push_back(l.wall / s.wall);
    smallCpu.push_back(s.cpu);
    largeCpu.push_back(l.cpu);
    cpuRatios.push_back(l.cpu / s.cpu);
  }
  std::printf("Connect with an EHLO reply announcing many AUTH names, median of %d rounds:\n",
              kRounds);
  std::printf("  %-30s %12s %12s\n", "", "wall", "processor");
  std::printf("  %7d names (%7zu bytes)   %9.2f ms %9.2f ms\n", kSmallNames, small->ReplyBytes(),
              Median(smallWall) * 1e3, Median(smallCpu) * 1e3);
  std::printf("  %7d names (%7zu bytes)   %9.2f ms %9.2f ms\n", kLargeNames, large->ReplyBytes(),
              Median(largeWall) * 1e3, Median(largeCpu) * 1e3);
  std::printf("  %-30s %12.1f %12.1f   (%.0f is linear)\n", "ratio", Median(wallRatios),
              Median(cpuRatios), static_cast<double>(kLargeNames) / kSmallNames);
  return 0;
}
