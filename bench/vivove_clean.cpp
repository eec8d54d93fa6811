// Vivove's cleaning as one whole process (read the file, mark the later copies, rebuild the
// list with its deletion log, save it) against an awk one-liner that keeps the first field's
// first occurrences, on the same 1 000 000-line file with 30 % repeats, run in turns.
//
//   bench_vivove_clean                  the comparison (7 rounds unless a count is given)
//   bench_vivove_clean --clean IN OUT   one cleaning, as the comparison runs it

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dedup/AddressList.h"
#include "dedup/DeleteRun.h"
#include "platform/FileIO.h"

extern char** environ;

namespace {

constexpr std::size_t kLines = 1'000'000;
constexpr double kRepeatShare = 0.30;

int Clean(const std::string& in, const std::string& out) {
  vivove::TPositionList addresses;
  vivove::TStringList sources;
  vivove::LoadAddressFile(in, addresses, sources);
  vivove::TDeleteFlags flags =
      vivove::AllocateDeleteFlags(static_cast<std::int32_t>(sources.size()));
  int lastPosition = 0;
  vivove::MarkLaterCopies(sources, flags, [&](int position) { lastPosition = position; });
  const std::string log = vivove::RebuildAddressList(sources, flags, addresses);
  vivove::SaveAddressFile(out, sources, addresses);
  return log.empty() && lastPosition < 0;  // 0: keeps the work from being optimised away
}

// Every line holds an address and a name after a comma, so both sides cut the first field.
void WriteList(const std::string& path) {
  std::mt19937_64 random(42);
  std::vector<std::string> firsts;
  std::string bytes;
  for (std::size_t i = 0; i < kLines; ++i) {
    std::string address;
    if (!firsts.empty() && std::uniform_real_distribution<>(0, 1)(random) < kRepeatShare) {
      address = firsts[random() % firsts.size()];
    } else {
      address = "user" + std::to_string(random() % 100'000'000) + "." + std::to_string(i) +
                "@mail" + std::to_string(random() % 500) + ".example.co.jp";
      firsts.push_back(address);
    }
    bytes += address + ",Name " + std::to_string(i) + "\r\n";
  }
  quill::platform::ReplaceFileAtomically(path, bytes,
                                         quill::platform::ReplacedFileMode::KeepOrUmaskDefault);
}

double RunSeconds(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) std::abort();
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", args[0].c_str());
    std::exit(1);
  }
  return seconds;
}

struct Spread {
  double median, low, high;
};

Spread SpreadOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v.front(), v.back()};
}

// The kept addresses of a file, without line ends, for comparing the two outputs.
std::string Lines(const std::string& path) {
  std::string bytes = quill::platform::ReadWholeFile(path);
  std::erase(bytes, '\r');
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--clean") == 0) return Clean(argv[2], argv[3]);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

  char pattern[] = "/tmp/vivove_clean.XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;
  const std::string list = dir / "list.csv", ours = dir / "ours.txt", theirs = dir / "awk.txt";
  WriteList(list);

  const std::string self = std::filesystem::read_symlink("/proc/self/exe");
  const std::vector<std::string> clean = {self, "--clean", list, ours};
  const std::vector<std::string> awk = {
      "/bin/sh", "-c",
      "LC_ALL=C awk -F'[, ]' '$1!=\"\" && !seen[$1]++ {print $1}' '" + list + "' > '" + theirs +
          "'"};
  std::vector<double> oursSeconds, awkSeconds;
  for (int i = 0; i < rounds; ++i) {
    oursSeconds.push_back(RunSeconds(clean));
    awkSeconds.push_back(RunSeconds(awk));
  }
  const bool same = Lines(ours) == Lines(theirs);
  std::filesystem::remove_all(dir);

  const Spread o = SpreadOf(oursSeconds), a = SpreadOf(awkSeconds);
  std::printf("%zu lines, %.0f %% repeats, %d rounds in turns; outputs %s\n", kLines,
              kRepeatShare * 100, rounds, same ? "equal" : "DIFFER");
  std::printf("vivove core  median %7.1f ms  (%.1f .. %.1f)\n", o.median * 1e3, o.low * 1e3,
              o.high * 1e3);
  std::printf("awk          median %7.1f ms  (%.1f .. %.1f)\n", a.median * 1e3, a.low * 1e3,
              a.high * 1e3);
  std::printf("awk / vivove %.2fx\n", a.median / o.median);
  return same ? 0 : 1;
}
