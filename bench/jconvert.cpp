// Converting Shift_JIS text to JIS as whole processes: our converter (bench driver jconvert:
// read the file, convert, write the result) against iconv -f CP932 -t ISO-2022-JP on the
// same 20 MB file in the same run, then ours on 200 MB for linear growth and peak memory.
// Every timed run writes its output to /dev/null.
#include "mailer/jconvert/jconvert.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/support/ProcessRuns.h"
#include "support/TempDir.h"

namespace {

using quill::bench::RatioByRound;
using quill::bench::RunProcess;
using quill::bench::Series;
using quill::bench::Spread;

constexpr int kRounds = 7;

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

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

double FileBytes(const std::string& path) {
  return static_cast<double>(std::filesystem::file_size(path));
}

}  // namespace

int main() {
  quill::test::TempDir temp;
  const std::string driver = QUILL_BENCH_DRIVERS "/jconvert";
  const std::string small = temp.file("20mb.txt"), big = temp.file("200mb.txt");
  {
    // Gone before the first process starts, so that none of them counts it as its own.
    const std::string text = MakeText(20'000'000);
    std::ofstream(small, std::ios::binary) << text;
    std::ofstream out(big, std::ios::binary);
    for (int i = 0; i < 10; ++i) out << text;
  }
  // The output sizes, for the memory bound, from one run each that is not timed. The timed
  // runs write to /dev/null: a file's write-back would time the disk, not the conversion.
  const std::string out = temp.file("out.jis");
  RunProcess({driver, small}, out);
  const double smallOut = FileBytes(out);
  RunProcess({driver, big}, out);
  const double bigOut = FileBytes(out);
  std::filesystem::remove(out);

  Series ours{"ours, 20 MB", {}}, iconv{"iconv -f CP932 -t ISO-2022-JP, 20 MB", {}};
  Series oursBig{"ours, 200 MB", {}};
  for (int round = 0; round < kRounds; ++round) {
    iconv.runs.push_back(
        RunProcess({"iconv", "-f", "CP932", "-t", "ISO-2022-JP", small}, "/dev/null"));
    ours.runs.push_back(RunProcess({driver, small}, "/dev/null"));
    oursBig.runs.push_back(RunProcess({driver, big}, "/dev/null"));
  }

  std::printf("Whole processes, median [fastest .. slowest] of %d runs each, taking turns:\n",
              kRounds);
  for (const Series* s : {&iconv, &ours, &oursBig}) s->Print();
  const Spread speed = RatioByRound(iconv, ours);
  std::printf("20 MB: iconv's time / ours = %.2f [%.2f .. %.2f by round]; goal at least 3: %s\n",
              speed.median, speed.low, speed.high, Verdict(speed.median >= 3));
  const Spread growth = RatioByRound(oursBig, ours);
  std::printf("200 MB / 20 MB time = %.2f [%.2f .. %.2f by round]; goal at most 11: %s\n",
              growth.median, growth.low, growth.high, Verdict(growth.median <= 11));
  const double smallBound = 2 * (FileBytes(small) + smallOut);
  const double bigBound = 2 * (FileBytes(big) + bigOut);
  std::printf(
      "peak memory: %.0f MB of at most %.0f MB (twice input plus output) at 20 MB, %.0f MB of "
      "%.0f MB at 200 MB: %s\n",
      ours.PeakBytes().median / 1e6, smallBound / 1e6, oursBig.PeakBytes().median / 1e6,
      bigBound / 1e6,
      Verdict(ours.PeakBytes().median <= smallBound && oursBig.PeakBytes().median <= bigBound));
  return 0;
}
