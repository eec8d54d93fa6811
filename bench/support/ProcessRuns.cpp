#include "bench/support/ProcessRuns.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

extern char** environ;

namespace quill::bench {
namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "benchmark failed: %s\n", what.c_str());
  std::exit(1);
}

}  // namespace

ProcessRun RunProcess(const std::vector<std::string>& argv, const std::string& stdoutPath) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  int pipeFds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutPath.empty()) {
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) Fail("pipe");
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }

  ProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) Fail("cannot start " + argv[0]);
  if (pipeFds[1] >= 0) {
    ::close(pipeFds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
      run.output.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) Fail("wait for " + argv[0]);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(argv[0] + " did not exit with 0");
  return run;
}

Spread SpreadOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  return {median, values.front(), values.back()};
}

Spread Series::Seconds() const {
  std::vector<double> values;
  for (const ProcessRun& r : runs) values.push_back(r.seconds);
  return SpreadOf(values);
}

Spread Series::PeakBytes() const {
  std::vector<double> values;
  for (const ProcessRun& r : runs) values.push_back(r.peakBytes);
  return SpreadOf(values);
}

void Series::Print() const {
  const Spread s = Seconds();
  const Spread m = PeakBytes();
  std::printf("  %-44s %8.3f s  [%.3f .. %.3f]  peak %7.1f MB  (%zu runs)\n", name.c_str(),
              s.median, s.low, s.high, m.median / 1e6, runs.size());
}

Spread RatioByRound(const Series& a, const Series& b) {
  std::vector<double> ratios;
  for (size_t i = 0; i < std::min(a.runs.size(), b.runs.size()); ++i)
    ratios.push_back(a.runs[i].seconds / b.runs[i].seconds);
  Spread spread = SpreadOf(ratios);
  spread.median = a.Seconds().median / b.Seconds().median;
  return spread;
}

}  // namespace quill::bench
