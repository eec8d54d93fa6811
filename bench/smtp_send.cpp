// Send rate of the SMTP client against a fast local sink (Postfix's smtp-sink), next to the
// bound that the wire sets: five round trips per message, one command at a time. Measured in
// one run: the loopback round-trip time, our client, and Python's smtplib on the same wire;
// then the whole send run through the main window's 送信 handler (headless), against the
// client alone with the same group size, and its peak memory beyond the address list.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "mailer/message/MessageWriter.h"
#include "mailer/smtp/IdSMTP.h"
#include "mailer/ui/Forms.h"
#include "mailer/ui/MainUnit.h"
#include "platform/TcpConnection.h"
#include "platform/ui/Form.h"
#include "platform/ui/SjisText.h"
#include "settings/Registory.h"
#include "settings/ui/SmtpSetUnit.h"

extern char** environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kMessages = 20000;
constexpr int kPerConnection = 10;
constexpr int kRounds = 10;  // the clients take turns, so that a busy moment hits both
constexpr int kPingPongs = 5000;
constexpr const char* kSink = "/usr/sbin/smtp-sink";
constexpr const char* kPython = "/usr/bin/python3";

// The address 127.0.0.1:port (port 0 lets the system choose).
sockaddr_in Loopback(int port = 0) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

double Seconds(SteadyClock::duration d) { return std::chrono::duration<double>(d).count(); }

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback();
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
  close(fd);
  return ntohs(a.sin_port);
}

pid_t Spawn(const std::vector<std::string>& args, int stdoutFd = -1) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Seconds of one round trip: a one-byte ping-pong over one TCP connection on 127.0.0.1.
double LoopbackRoundTrip() {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback();
  bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(listener, 1);
  socklen_t n = sizeof a;
  getsockname(listener, reinterpret_cast<sockaddr*>(&a), &n);
  std::thread echo([listener] {
    int fd = accept(listener, nullptr, nullptr);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char c;
    while (recv(fd, &c, 1, 0) == 1) send(fd, &c, 1, 0);
    close(fd);
  });
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  char c = 'x';
  auto pingPong = [&](int count) {
    for (int i = 0; i < count; ++i) {
      send(fd, &c, 1, 0);
      recv(fd, &c, 1, 0);
    }
  };
  pingPong(200);  // warm-up
  const auto start = SteadyClock::now();
  pingPong(kPingPongs);
  const double rtt = Seconds(SteadyClock::now() - start) / kPingPongs;
  close(fd);
  echo.join();
  close(listener);
  return rtt;
}

quill::TIdMessage BenchMessage() {
  quill::TIdMessage message;
  message.FromAddress = "bench@example.com";
  message.FromName = "Bench";
  message.Subject = "Benchmark message";
  for (int i = 0; i < 25; ++i) {
    message.Body.push_back("Line " + std::to_string(i) + ": " + std::string(70, 'a' + i % 26));
  }
  message.SetRecipients("sink@example.com");
  return message;
}

// Seconds our client takes for `count` messages, `perConnection` on each connection.
double OurClient(int port, int count, int perConnection = kPerConnection) {
  quill::platform::SetPortMappingForTesting(25, port);
  quill::TIdSMTP smtp(quill::platform::LocaleLanguage::Japanese);
  smtp.Host = "127.0.0.1";
  quill::TIdMessage message = BenchMessage();
  const auto start = SteadyClock::now();
  for (int sent = 0; sent < count;) {
    smtp.Connect();
    for (int i = 0; i < perConnection && sent < count; ++i, ++sent) smtp.Send(message);
    smtp.Disconnect();
  }
  const double seconds = Seconds(SteadyClock::now() - start);
  quill::platform::SetPortMappingForTesting(25, 0);
  return seconds;
}

// A bare client on the same wire that does no work of its own: fixed bytes, one send() per
// command and one recv() per reply. It shows what this machine allows any client at all.
double BareClient(int port, int count, const std::string& messageData) {
  char buffer[65536];
  auto await = [&](int fd) {  // until a reply's last line ("NNN " ...) has arrived
    std::string got;
    for (;;) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) throw std::runtime_error("sink closed the connection");
      got.append(buffer, static_cast<size_t>(n));
      for (size_t at = 0;;) {
        size_t lf = got.find('\n', at);
        if (lf == std::string::npos) break;
        if (lf - at >= 4 && got[at + 3] == ' ') return;
        at = lf + 1;
      }
    }
  };
  auto command = [&](int fd, const std::string& bytes) {
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    await(fd);
  };
  const std::string data = messageData + ".\r\n";
  const auto start = SteadyClock::now();
  for (int sent = 0; sent < count;) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(port);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      throw std::runtime_error("cannot connect to the sink");
    }
    await(fd);
    command(fd, "EHLO bench\r\n");
    for (int i = 0; i < kPerConnection && sent < count; ++i, ++sent) {
      command(fd, "RSET\r\n");
      command(fd, "MAIL FROM:<bench@example.com>\r\n");
      command(fd, "RCPT TO:<sink@example.com>\r\n");
      command(fd, "DATA\r\n");
      command(fd, data);
    }
    send(fd, "QUIT\r\n", 6, MSG_NOSIGNAL);
    close(fd);
  }
  return Seconds(SteadyClock::now() - start);
}

// Seconds the reference client reports, or a negative value when it failed.
double ReferenceClient(int port, const std::string& messageFile) {
  int out[2];
  if (pipe(out) != 0) return -1;
  pid_t pid = Spawn({kPython, QUILL_SOURCE_DIR "/bench/smtp_reference.py", std::to_string(port),
                     messageFile, std::to_string(kMessages), std::to_string(kPerConnection)},
                    out[1]);
  close(out[1]);
  std::string text;
  char buffer[256];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
  close(out[0]);
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  if (pid <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::stod(text);
}

// The whole send run: the main window's 送信 handler on the offscreen platform, with the
// message of BenchMessage, groups of kRunGroup and no wait.
constexpr int kRunAddresses = 10000;
constexpr int kRunGroup = 100;
constexpr int kRunRounds = 6;
constexpr int kLargeList = 100000;

void PrepareWholeRun(int port) {
  quill::platform::SetPortMappingForTesting(25, port);
  quill::SmtpForm->FSmtp->Add("sink", "127.0.0.1", "", "bench@example.com", "Bench", kRunGroup, 0,
                              false, "", "");
  quill::TextLoaded = true;
  quill::AddressLoaded = true;
  quill::DocName = "Benchmark message";
  QString body;
  for (const std::string& line : BenchMessage().Body) body += QString::fromLatin1(line) + u'\n';
  quill::MainForm->Body->setPlainText(body);
}

void FillAddresses(int count) {
  quill::DestList->clear();
  for (int i = 0; i < count; ++i)
    quill::DestList->push_back("rcpt" + std::to_string(i) + "@example.com");
}

// Processor seconds this process has used, in user and system mode together.
double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wall and processor seconds of one measured stretch.
struct Cost {
  double wall = 0;
  double cpu = 0;
};

template <class Work>
Cost Measure(Work work) {
  const auto start = SteadyClock::now();
  const double cpu = CpuSeconds();
  work();
  return {Seconds(SteadyClock::now() - start), CpuSeconds() - cpu};
}

// One whole run; throws when it did not reach "送信完了".
Cost WholeRun(bool status) {
  quill::Settings->Status = status;
  // The run empties the run log first; a long log left by the run before would be counted.
  quill::MainForm->StatusMemo->clear();
  const Cost cost = Measure([] { quill::MainForm->SendBtnClick(); });
  if (quill::MainForm->StatusPanel(1)->text() != QStringLiteral("送信完了"))
    throw std::runtime_error("the send run did not finish");
  return cost;
}

// Resident and peak resident memory of this process in KiB (/proc/self/status).
long ProcKiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}

// Starts a new peak of resident memory (Linux: "5" written to clear_refs).
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Peak memory of a run over `count` addresses: what the list itself takes, and how far the
// run's peak rose above the memory before it.
void ReportRunMemory(int count, bool status) {
  quill::DestList->clear();
  quill::MainForm->StatusMemo->clear();
  const long before = ProcKiB("VmRSS:");
  FillAddresses(count);
  const long withList = ProcKiB("VmRSS:");
  ResetPeak();
  WholeRun(status);
  const long peak = ProcKiB("VmHWM:");
  std::printf("peak memory, %6d addresses, Status %-3s: list %6ld KiB, run above list %6ld KiB\n",
              count, status ? "on" : "off", withList - before, peak - withList);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The client alone and the two runs take turns, and the order turns with every round (a
// stretch measured right after another one ran slower on the machine of the first
// figures, whichever it was); the ratios are the medians of the rounds' ratios.
void BenchWholeRun(int port) {
  PrepareWholeRun(port);
  FillAddresses(kRunAddresses);
  std::vector<double> client, off, on, offRatio, onRatio;
  std::vector<double> clientCpu, offCpu, onCpu;
  for (int round = 0; round < kRunRounds; ++round) {
    Cost alone, runOff, runOn;
    for (int turn = 0; turn < 3; ++turn) {
      switch ((round + turn) % 3) {
        case 0:
          alone = Measure([port] { OurClient(port, kRunAddresses, kRunGroup); });
          quill::platform::SetPortMappingForTesting(25, port);
          break;
        case 1:
          runOff = WholeRun(false);
          break;
        case 2:
          runOn = WholeRun(true);
          break;
      }
    }
    client.push_back(kRunAddresses / alone.wall);
    off.push_back(kRunAddresses / runOff.wall);
    on.push_back(kRunAddresses / runOn.wall);
    offRatio.push_back(alone.wall / runOff.wall);
    onRatio.push_back(alone.wall / runOn.wall);
    clientCpu.push_back(alone.cpu / kRunAddresses * 1e6);
    offCpu.push_back(runOff.cpu / kRunAddresses * 1e6);
    onCpu.push_back(runOn.cpu / kRunAddresses * 1e6);
  }
  std::printf("whole send run through 送信: %d addresses, SendNum %d, WaitTime 0, %d rounds\n",
              kRunAddresses, kRunGroup, kRunRounds);
  std::printf("  %-28s %6.0f msgs/s, %5.1f us processor time per message\n",
              "client alone, same groups:", Median(client), Median(clientCpu));
  std::printf("  %-28s %6.0f msgs/s, %5.1f us per message, %5.1f %% of the client alone\n",
              "send run, Status off:", Median(off), Median(offCpu), 100 * Median(offRatio));
  std::printf("  %-28s %6.0f msgs/s, %5.1f us per message, %5.1f %% of the client alone\n",
              "send run, Status on:", Median(on), Median(onCpu), 100 * Median(onRatio));
  ReportRunMemory(kRunAddresses, false);
  ReportRunMemory(kLargeList, false);
  ReportRunMemory(kRunAddresses, true);
  ReportRunMemory(kLargeList, true);
}

}  // namespace

int main(int argc, char** argv) {
  if (access(kSink, X_OK) != 0) {
    std::printf("bench_smtp_send skipped: %s is missing (Debian package postfix)\n", kSink);
    return 0;
  }
  // The window runs headless, with settings of its own, and writes as on a Japanese system.
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("quill-bench-home-" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  setenv("LC_ALL", "ja_JP.UTF-8", 1);
  quill::platform::TApplication app(argc, argv);
  quill::CreateForms();
  quill::MainForm->show();

  const int port = FreePort();
  std::vector<std::string> sinkArgs = {kSink};
  if (geteuid() == 0) sinkArgs.insert(sinkArgs.end(), {"-u", "nobody"});
  sinkArgs.insert(sinkArgs.end(), {"127.0.0.1:" + std::to_string(port), "64"});
  const pid_t sink = Spawn(sinkArgs);
  if (sink <= 0) {
    std::printf("bench_smtp_send: cannot start %s\n", kSink);
    return 1;
  }
  // Wait until the sink accepts connections.
  for (int i = 0; i < 100; ++i) {
    try {
      quill::platform::TcpConnection::Open("127.0.0.1", port, std::chrono::seconds(1));
      break;
    } catch (const std::exception&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  // The reference and the bare client send exactly the bytes that our writer produces.
  const std::string messageFile =
      (std::filesystem::temp_directory_path() / ("quill-bench-" + std::to_string(getpid())))
          .string();
  std::string messageData;
  {
    quill::TIdMessage message = BenchMessage();
    quill::MessageSink s{[&](std::string_view b) { messageData.append(b); },
                         [](const std::string&) {}};
    quill::WriteMessage(message, quill::platform::LocaleLanguage::Japanese, std::time(nullptr), s);
    std::ofstream(messageFile, std::ios::binary) << messageData;
  }

  int exitCode = 0;
  try {
    std::vector<double> rtts;
    double ours = 0, bare = 0;
    for (int round = 0; round < kRounds; ++round) {
      rtts.push_back(LoopbackRoundTrip());
      ours += OurClient(port, kMessages / kRounds);
      bare += BareClient(port, kMessages / kRounds, messageData);
    }
    rtts.push_back(LoopbackRoundTrip());
    const double reference = ReferenceClient(port, messageFile);
    std::sort(rtts.begin(), rtts.end());
    const double rtt = rtts[rtts.size() / 2];
    const double ceiling = 1.0 / (5 * rtt);
    auto report = [&](const char* name, double rate) {
      std::printf("%-34s %8.0f msgs/s  (%5.1f %% of the ceiling)\n", name, rate,
                  100 * rate / ceiling);
    };
    std::printf("message: %zu bytes; %d messages per client, %d per connection\n",
                messageData.size(), kMessages, kPerConnection);
    std::printf("loopback round trip (median of %zu): %.1f us (from %.1f to %.1f)\n", rtts.size(),
                rtt * 1e6, rtts.front() * 1e6, rtts.back() * 1e6);
    std::printf("%-34s %8.0f msgs/s\n", "ceiling 1 / (5 x RTT):", ceiling);
    report("our client (TIdSMTP):", kMessages / ours);
    report("bare wire client (no work):", kMessages / bare);
    if (reference > 0) {
      report("reference (Python smtplib):", kMessages / reference);
      std::printf("ours / reference: %.2f; ours / bare: %.2f\n", reference / ours, bare / ours);
    } else {
      std::printf("reference (Python smtplib) failed\n");
      exitCode = 1;
    }
    BenchWholeRun(port);
  } catch (const std::exception& e) {
    std::printf("bench_smtp_send failed: %s\n", e.what());
    exitCode = 1;
  }
  std::filesystem::remove(messageFile);
  quill::DestroyForms();
  std::filesystem::remove_all(home);
  kill(sink, SIGTERM);
  waitpid(sink, nullptr, 0);
  return exitCode;
}
