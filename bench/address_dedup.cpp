// The duplicate pass and the address check on 1 000 000 addresses, against awk '!seen[$0]++'
// on the same file in the same run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "mailer/addresses/AddressCheck.h"
#include "mailer/addresses/AddressFile.h"
#include "platform/DuplicatePass.h"

namespace {

constexpr std::size_t kAddresses = 1'000'000;
constexpr double kRepeatShare = 0.30;

struct Fixture {
  std::filesystem::path dir;
  std::string file;
  std::vector<std::string> entries;
  std::size_t distinct = 0;

  Fixture() {
    char pattern[] = "/tmp/address_dedup.XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir = pattern;
    file = (dir / "addresses.txt").string();
    // Repeats refer to earlier entries by index, so no second copy of the list stays behind
    // as holes in the heap.
    std::mt19937_64 random(42);
    std::vector<std::size_t> firsts;
    entries.reserve(kAddresses);
    for (std::size_t i = 0; i < kAddresses; ++i) {
      if (!firsts.empty() && std::uniform_real_distribution<>(0, 1)(random) < kRepeatShare) {
        entries.push_back(entries[firsts[random() % firsts.size()]]);
        continue;
      }
      firsts.push_back(i);
      entries.push_back("user" + std::to_string(random() % 100'000'000) + "." + std::to_string(i) +
                        "@mail" + std::to_string(random() % 500) + ".example.co.jp");
    }
    distinct = firsts.size();
    std::ofstream out(file, std::ios::binary);
    for (const std::string& entry : entries) out << entry << "\r\n";
    if (!out) std::abort();
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

// Best seconds per iteration of each benchmark, for the ratios printed at the end.
double bestPass = std::numeric_limits<double>::max();
double bestLoadAndPass = std::numeric_limits<double>::max();
double bestAwk = std::numeric_limits<double>::max();
double bestCheck = std::numeric_limits<double>::max();

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_RemoveDuplicates(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> list = Data().entries;
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    int lastPosition = -1;
    const auto counts = quill::RemoveDuplicateEntries(list, [&](int p) { lastPosition = p; });
    benchmark::DoNotOptimize(counts.data());
    benchmark::DoNotOptimize(lastPosition);
    bestPass = std::min(bestPass, Seconds(start));
    if (list.size() != Data().distinct) state.SkipWithError("wrong number of addresses kept");
    state.PauseTiming();
    list = {};
    state.ResumeTiming();
  }
}

void BM_LoadFileAndRemoveDuplicates(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    quill::AddressList entries;
    quill::ReadAddressFile(Data().file, entries);
    const auto counts = quill::RemoveDuplicateEntries(entries, [](int) {});
    benchmark::DoNotOptimize(counts.data());
    bestLoadAndPass = std::min(bestLoadAndPass, Seconds(start));
    if (entries.size() != Data().distinct) state.SkipWithError("wrong number of addresses kept");
  }
}

void BM_AwkSeen(benchmark::State& state) {
  const std::string command = "awk '!seen[$0]++' '" + Data().file + "' > /dev/null";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) state.SkipWithError("awk failed");
    bestAwk = std::min(bestAwk, Seconds(start));
  }
}

void BM_CheckAddress(benchmark::State& state) {
  const auto& entries = Data().entries;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::size_t invalid = 0;
    for (const std::string& entry : entries) invalid += quill::CheckAddress(entry) > 0;
    benchmark::DoNotOptimize(invalid);
    bestCheck = std::min(bestCheck, Seconds(start));
    if (invalid != 0) state.SkipWithError("a generated address was refused");
  }
}

BENCHMARK(BM_RemoveDuplicates)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadFileAndRemoveDuplicates)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AwkSeen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckAddress)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same output awk gives, as a check that both runs do the same work.
std::size_t AwkLineCount() {
  const std::string command = "awk '!seen[$0]++' '" + Data().file + "' | wc -l";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return 0;
  unsigned long lines = 0;
  if (std::fscanf(pipe, "%lu", &lines) != 1) lines = 0;
  pclose(pipe);
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Data();
  std::printf("%zu addresses, %zu distinct (%.1f %% repeats); awk keeps %zu lines\n",
              Data().entries.size(), Data().distinct,
              100.0 * (1.0 - double(Data().distinct) / double(Data().entries.size())),
              AwkLineCount());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (bestAwk < std::numeric_limits<double>::max() &&
      bestPass < std::numeric_limits<double>::max()) {
    std::printf("duplicate pass (in memory)      %8.1f ms   awk %8.1f ms   awk / pass  %5.1fx\n",
                bestPass * 1e3, bestAwk * 1e3, bestAwk / bestPass);
  }
  if (bestAwk < std::numeric_limits<double>::max() &&
      bestLoadAndPass < std::numeric_limits<double>::max()) {
    std::printf("file read + duplicate pass      %8.1f ms   awk %8.1f ms   awk / ours  %5.1fx\n",
                bestLoadAndPass * 1e3, bestAwk * 1e3, bestAwk / bestLoadAndPass);
  }
  if (bestCheck < std::numeric_limits<double>::max()) {
    std::printf("check of %zu addresses         %8.1f ms\n", Data().entries.size(),
                bestCheck * 1e3);
  }
  return 0;
}
