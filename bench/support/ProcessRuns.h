#pragma once
// Timing whole processes: a program of ours and the tool it is compared with, each started
// afresh on the same input, their runs taking turns so that a busy moment hits both. Reports
// the median and the spread (fastest and slowest run) of the wall time and the peak memory.

#include <string>
#include <vector>

namespace quill::bench {

/// One finished process.
struct ProcessRun {
  double seconds = 0;    ///< wall time from start to exit
  double peakBytes = 0;  ///< peak resident memory
  std::string output;    ///< what it wrote to its standard output (when captured)
};

/// Starts `argv` (argv[0] found on PATH) with its standard output going to `stdoutPath`, or
/// captured into ProcessRun::output when `stdoutPath` is empty, waits for it and measures it.
/// Exits the benchmark with a message when the process cannot start or does not exit with 0.
ProcessRun RunProcess(const std::vector<std::string>& argv, const std::string& stdoutPath = "");

/// Median, fastest and slowest of several runs of one command.
struct Spread {
  double median = 0, low = 0, high = 0;
};
Spread SpreadOf(std::vector<double> values);

/// The runs of one command, collected over the rounds of a benchmark.
struct Series {
  std::string name;
  std::vector<ProcessRun> runs;

  Spread Seconds() const;
  Spread PeakBytes() const;
  /// "name   median s  [low .. high]  peak median MB"
  void Print() const;
};

/// The median of the whole runs of `a` divided by that of `b`, with the ratio's spread taken
/// from the runs of each round (a[i] / b[i]).
Spread RatioByRound(const Series& a, const Series& b);

}  // namespace quill::bench
