// Loading address files through the mailer's real address button handler (bench driver
// address_load: the main window on the offscreen platform), as whole processes, against
// awk '!seen[$0]++' on the same file in the same run:
//   - 1 000 000 addresses with 30 % repeats: our time against awk's;
//   - 4 000 000 addresses of the same kind: linear growth;
//   - peak memory per address beyond the same process loading an empty file;
//   - 200 000 invalid addresses (each logged) against 200 000 valid ones.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/support/ProcessRuns.h"
#include "support/TempDir.h"

namespace {

using quill::bench::ProcessRun;
using quill::bench::RatioByRound;
using quill::bench::RunProcess;
using quill::bench::Series;
using quill::bench::Spread;
using quill::bench::SpreadOf;

constexpr int kRounds = 5;
constexpr double kRepeatShare = 0.30;

// The k-th distinct address of a file, made up from k alone, so that a repeat can be
// written again without keeping the addresses in memory: the benchmark itself stays small,
// which keeps the peak memory of the processes it starts apart from its own.
std::string Address(std::uint64_t k, bool valid) {
  std::uint64_t h = (k + 1) * 0x9e3779b97f4a7c15ull;
  h ^= h >> 31;
  return "user" + std::to_string(h % 100'000'000) + "." + std::to_string(k) +
         (valid ? "@mail" : ".mail") + std::to_string((h >> 40) % 500) + ".example.co.jp";
}

// Writes `count` addresses, a share of them repeats of earlier ones (none when they are to be
// invalid), one per CR LF line. Returns how many are distinct.
size_t WriteAddresses(const std::string& path, size_t count, bool valid) {
  std::mt19937_64 random(42);
  std::ofstream out(path, std::ios::binary);
  std::uint64_t distinct = 0;
  for (size_t i = 0; i < count; ++i) {
    const bool repeat =
        valid && distinct > 0 && std::uniform_real_distribution<>(0, 1)(random) < kRepeatShare;
    out << Address(repeat ? random() % distinct : distinct++, valid) << "\r\n";
  }
  if (!out) std::abort();
  return distinct;
}

// What the driver printed: its first line holds "entries=N loglines=N handler_ms=X".
struct Shown {
  long entries = -1;
  long logLines = -1;
  double handlerMs = 0;
};
Shown Parse(const ProcessRun& run) {
  Shown s;
  const char* text = run.output.c_str();
  // Panel 0 stays empty after a load that finds errors, so each field is read on its own.
  if (const char* at = std::strstr(text, "entries=")) std::sscanf(at, "entries=%ld", &s.entries);
  if (const char* at = std::strstr(text, "loglines=")) std::sscanf(at, "loglines=%ld", &s.logLines);
  if (const char* at = std::strstr(text, "handler_ms="))
    std::sscanf(at, "handler_ms=%lf", &s.handlerMs);
  return s;
}

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "benchmark failed: %s\n", what);
  std::exit(1);
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

int main() {
  quill::test::TempDir temp;
  setenv("XDG_CONFIG_HOME", temp.file("config").c_str(), 1);
  setenv("HOME", temp.path().c_str(), 1);
  setenv("XDG_RUNTIME_DIR", temp.path().c_str(), 1);
  const std::string driver = QUILL_BENCH_DRIVERS "/address_load";

  const std::string one = temp.file("1m.txt"), four = temp.file("4m.txt");
  const std::string empty = temp.file("empty.txt");
  const std::string invalid = temp.file("invalid.txt"), valid = temp.file("valid.txt");
  const size_t distinctOne = WriteAddresses(one, 1'000'000, true);
  const size_t distinctFour = WriteAddresses(four, 4'000'000, true);
  WriteAddresses(invalid, 200'000, false);
  const size_t distinctValid = WriteAddresses(valid, 200'000, true);
  std::ofstream(empty, std::ios::binary).close();

  // Both do the same work: awk keeps as many lines as we keep addresses.
  const ProcessRun awkCheck = RunProcess({"awk", "!seen[$0]++", one});
  size_t awkLines = 0;
  for (char c : awkCheck.output) awkLines += c == '\n';
  Require(awkLines == distinctOne, "awk keeps another number of lines");

  Series awk{"awk '!seen[$0]++', 1 000 000 addresses", {}};
  Series oursOne{"ours, 1 000 000 addresses", {}};
  Series oursFour{"ours, 4 000 000 addresses", {}};
  Series oursEmpty{"ours, empty file", {}};
  Series oursInvalid{"ours, 200 000 invalid addresses", {}};
  Series oursValid{"ours, 200 000 valid addresses", {}};
  std::vector<double> invalidMs, validMs;
  for (int round = 0; round < kRounds; ++round) {
    awk.runs.push_back(RunProcess({"awk", "!seen[$0]++", one}, "/dev/null"));
    oursOne.runs.push_back(RunProcess({driver, one}));
    Require(Parse(oursOne.runs.back()).entries == long(distinctOne), "wrong count kept (1 M)");
    oursFour.runs.push_back(RunProcess({driver, four}));
    Require(Parse(oursFour.runs.back()).entries == long(distinctFour), "wrong count kept (4 M)");
    oursEmpty.runs.push_back(RunProcess({driver, empty}));
    oursInvalid.runs.push_back(RunProcess({driver, invalid}));
    Require(Parse(oursInvalid.runs.back()).logLines == 200'000, "not every invalid line logged");
    invalidMs.push_back(Parse(oursInvalid.runs.back()).handlerMs);
    oursValid.runs.push_back(RunProcess({driver, valid}));
    Require(Parse(oursValid.runs.back()).entries == long(distinctValid),
            "wrong count kept (200 k)");
    validMs.push_back(Parse(oursValid.runs.back()).handlerMs);
  }

  std::printf("Whole processes, median [fastest .. slowest] of %d runs each, taking turns:\n",
              kRounds);
  for (const Series* s : {&awk, &oursOne, &oursFour, &oursEmpty, &oursInvalid, &oursValid})
    s->Print();

  const Spread versusAwk = RatioByRound(oursOne, awk);
  std::printf(
      "1 M addresses: our time / awk's = %.3f [%.3f .. %.3f by round]; goal at most 0.25: %s\n",
      versusAwk.median, versusAwk.low, versusAwk.high, Verdict(versusAwk.median <= 0.25));
  const Spread growth = RatioByRound(oursFour, oursOne);
  std::printf("4 M / 1 M time = %.2f [%.2f .. %.2f by round]; goal at most 4.5: %s\n",
              growth.median, growth.low, growth.high, Verdict(growth.median <= 4.5));
  const double base = oursEmpty.PeakBytes().median;
  const double perOne = (oursOne.PeakBytes().median - base) / 1e6;
  const double perFour = (oursFour.PeakBytes().median - base) / 4e6;
  std::printf(
      "peak memory beyond an empty list: %.1f bytes per address at 1 M, %.1f at 4 M "
      "(file: %.1f bytes per address); goal at most 110: %s\n",
      perOne, perFour, double(std::filesystem::file_size(one)) / 1e6,
      Verdict(perOne <= 110 && perFour <= 110));
  const Spread inv = SpreadOf(invalidMs), val = SpreadOf(validMs);
  std::printf(
      "200 000 invalid lines: handler %.0f ms [%.0f .. %.0f], the same load with no invalid line "
      "%.0f ms [%.0f .. %.0f]; goal under 1000 ms: %s\n",
      inv.median, inv.low, inv.high, val.median, val.low, val.high, Verdict(inv.high < 1000));
  return 0;
}
