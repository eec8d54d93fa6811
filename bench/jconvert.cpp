// Converting a 20 MB Shift_JIS text to ISO-2022-JP: ConvertKanjiCode against glibc iconv
// (CP932 -> ISO-2022-JP) on the same text, in the same program. Prints MB/s and the ratio.
#include "mailer/jconvert/jconvert.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

// Japanese prose-like text: kanji, kana, ASCII words and CR LF line ends.
std::string MakeText(size_t bytes) {
  std::mt19937 random(1);
  std::string text;
  text.reserve(bytes + 128);
  while (text.size() < bytes) {
    for (int i = 0; i < 30; ++i) {
      const unsigned kind = random() % 10;
      if (kind < 2) {
        text += "Quill ";
      } else {
        const uint8_t row = kind < 5 ? 0x24 : static_cast<uint8_t>(0x30 + random() % 0x1F);
        const uint8_t cell = static_cast<uint8_t>(0x21 + random() % 0x50);
        const auto sjis = quill::JisPairToSjis(row, cell);
        text += static_cast<char>(sjis[0]);
        text += static_cast<char>(sjis[1]);
      }
    }
    text += "\r\n";
  }
  return text;
}

const std::string& Text() {
  static const std::string text = MakeText(20 << 20);
  return text;
}

std::string IconvToJis(const std::string& in) {
  iconv_t cd = iconv_open("ISO-2022-JP", "CP932");
  std::string out(in.size() * 2, '\0');
  char* inPtr = const_cast<char*>(in.data());
  char* outPtr = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

double ourSeconds = 0, iconvSeconds = 0;

void BM_ConvertKanjiCode(benchmark::State& state) {
  const std::string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(quill::ConvertKanjiCode(text, quill::jcJis));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_Iconv(benchmark::State& state) {
  const std::string& text = Text();
  for (auto _ : state) benchmark::DoNotOptimize(IconvToJis(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Linear growth: half the text must take about half the time.
void BM_ConvertHalf(benchmark::State& state) {
  const std::string half = Text().substr(0, Text().size() / 2);
  for (auto _ : state) benchmark::DoNotOptimize(quill::ConvertKanjiCode(half, quill::jcJis));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * half.size()));
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const double seconds =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (run.benchmark_name().rfind("BM_ConvertKanjiCode", 0) == 0) ourSeconds = seconds;
      if (run.benchmark_name().rfind("BM_Iconv", 0) == 0) iconvSeconds = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

BENCHMARK(BM_ConvertKanjiCode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ConvertHalf)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Iconv)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (ourSeconds > 0 && iconvSeconds > 0) {
    const double mb = static_cast<double>(Text().size()) / 1e6;
    std::printf("ConvertKanjiCode %.0f MB/s, iconv %.0f MB/s: %.2f times as fast as iconv\n",
                mb / ourSeconds, mb / iconvSeconds, iconvSeconds / ourSeconds);
  }
  return 0;
}
