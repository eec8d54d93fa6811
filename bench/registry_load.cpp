// Reading and writing the settings file as start-up and close do (TRegistory::LoadSettings and
// SaveSettings), each hard case against its sound one in the same run, the cases taking turns:
//   - 200 000 values in the mailer's key against 20 000 (a linear cost gives 10);
//   - a few kilobytes naming a key 3 000 levels deep, and one 512 levels deep, against a flat
//     file of the same size;
//   - 1 MB of key lines 512 levels deep against a flat file of 1 MB.
// Every timed load and every timed save is a process of its own, so that no case finds the
// memory of another one ready; it times itself inside, in wall time and in CPU time. The save of a
// damaged file also keeps its .bad copy, a second file written and synced to disk, which shows in
// its wall time but hardly in its CPU time.
//
//   bench_registry_load                       the comparison
//   bench_registry_load --load FILE REPEATS   load the settings from (a copy of) FILE
//   bench_registry_load --save FILE REPEATS   save the settings over (a copy of) FILE
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/ProcessRuns.h"
#include "platform/FileIO.h"
#include "platform/RegistryText.h"
#include "settings/Registory.h"
#include "support/TempDir.h"

namespace {

using quill::bench::ProcessRun;
using quill::bench::RunProcess;
using quill::bench::Spread;
using quill::bench::SpreadOf;

constexpr int kRounds = 7;
const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kSettings =
    "[HKEY_CURRENT_USER\\Software\\Korvane\\Quill2]\r\n"
    "\"Status\"=dword:00000001\r\n\"ErrorDisp\"=dword:00000002\r\n"
    "\"LogFile\"=\"/home/u/log.txt\"\r\n\"SendErrorBreak\"=dword:00000000\r\n";

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "benchmark failed: %s\n", what);
  std::exit(1);
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

// --- one timed run ---

struct Times {
  double wall = 0, cpu = 0;
};

struct Clock {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  timespec cpu = Cpu();

  static timespec Cpu() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t;
  }
  // Adds the time since this clock started to `times`.
  void AddTo(Times& times) const {
    const timespec now = Cpu();
    times.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    times.cpu += double(now.tv_sec - cpu.tv_sec) + double(now.tv_nsec - cpu.tv_nsec) / 1e9;
  }
};

// Copies `source` to a work file beside it and loads the settings from it (`save` false), or
// saves settings over it (`save` true), `repeats` times; prints the mean times of one.
int Once(const std::string& source, bool save, int repeats) {
  const std::string text = quill::platform::ReadWholeFile(source);
  const std::string file = source + ".work";
  Times times;
  for (int i = 0; i < repeats; ++i) {
    quill::platform::ReplaceFileAtomically(file, text);
    std::filesystem::remove(file + ".bad");
    quill::TRegistory settings(file);
    if (save) {
      settings.Status = true;
      settings.ErrorDisp = 1;
      const Clock clock;
      settings.SaveSettings();
      clock.AddTo(times);
      Require(std::filesystem::file_size(file) <=
                  2 * text.size() + quill::platform::kMissingParentAllowance,
              "the save wrote more than twice what was read");
    } else {
      const Clock clock;
      settings.LoadSettings();
      clock.AddTo(times);
      Require(settings.Status && settings.ErrorDisp == 2 && settings.LogFile == "/home/u/log.txt" &&
                  !settings.SendErrorBreak,
              "the settings were not read");
    }
  }
  std::printf("wall=%.9f cpu=%.9f\n", times.wall / repeats, times.cpu / repeats);
  return 0;
}

// --- the files ---

// The mailer's key holding the four settings and `count` more values of both kinds.
std::string ManyValues(int count) {
  std::string text = kHeader + kSettings;
  for (int i = 0; i < count; ++i) {
    text += "\"Value" + std::to_string(i) + "\"=";
    text += i % 2 ? "dword:0000002a\r\n" : "\"text " + std::to_string(i) + "\"\r\n";
  }
  return text + "\r\n";
}

// `lines` key lines, each `levels` levels deep under a top key of its own, then the settings.
std::string DeepPaths(int lines, int levels) {
  std::string text = kHeader;
  for (int line = 0; line < lines; ++line) {
    text += "[HKEY_CURRENT_USER\\Deep" + std::to_string(line);
    for (int i = 1; i < levels; ++i) text += "\\k";
    text += "]\r\n\"n\"=dword:00000001\r\n\r\n";
  }
  return text + kSettings + "\r\n";
}

// Ordinary keys of one value each, then the settings, `bytes` long in all.
std::string Flat(size_t bytes) {
  const std::string tail = kSettings + "\r\n";
  std::string text = kHeader;
  for (int i = 0;; ++i) {
    const std::string head =
        "[HKEY_CURRENT_USER\\Software\\Flat\\Key" + std::to_string(i) + "]\r\n\"Value\"=\"";
    const std::string end = "\"\r\n\r\n";
    const size_t used = text.size() + head.size() + end.size() + tail.size();
    Require(used <= bytes, "too small for a flat file");
    // The last key's text takes what is left, so that the sizes match exactly.
    const bool last = bytes - used < 2 * (head.size() + end.size() + 40);
    text += head + std::string(last ? bytes - used : 40, 'v') + end;
    if (last) return text + tail;
  }
}

// --- the comparison ---

struct Case {
  std::string name;
  std::string text;
  int repeats;  // loads and saves per run, so that a small file's run is long enough
  std::string file{};
  std::vector<Times> loads{}, saves{};
};

Times RunOnce(const Case& c, const std::string& self, const char* job) {
  const ProcessRun run = RunProcess({self, job, c.file, std::to_string(c.repeats)});
  Times times;
  Require(std::sscanf(run.output.c_str(), "wall=%lf cpu=%lf", &times.wall, &times.cpu) == 2,
          "a run printed no times");
  return times;
}

void Run(Case& c, const std::string& self) {
  c.loads.push_back(RunOnce(c, self, "--load"));
  c.saves.push_back(RunOnce(c, self, "--save"));
}

Spread Of(const std::vector<Times>& runs, double Times::*field) {
  std::vector<double> values;
  for (const Times& t : runs) values.push_back(t.*field);
  return SpreadOf(values);
}

void PrintCase(const Case& c) {
  std::printf("  %-38s %6zu KB", c.name.c_str(), c.text.size() / 1000);
  for (const auto* runs : {&c.loads, &c.saves}) {
    const Spread wall = Of(*runs, &Times::wall), cpu = Of(*runs, &Times::cpu);
    std::printf("  %s %8.3f ms [%.3f .. %.3f] CPU %8.3f ms", runs == &c.loads ? "load" : "save",
                wall.median * 1e3, wall.low * 1e3, wall.high * 1e3, cpu.median * 1e3);
  }
  std::printf("\n");
}

// The ratio of the medians, with its spread over the rounds (hard[i] / sound[i]).
Spread Ratio(const std::vector<Times>& hard, const std::vector<Times>& sound,
             double Times::*field) {
  std::vector<double> ratios;
  for (size_t i = 0; i < hard.size(); ++i) ratios.push_back(hard[i].*field / sound[i].*field);
  Spread spread = SpreadOf(ratios);
  spread.median = Of(hard, field).median / Of(sound, field).median;
  return spread;
}

// Prints the load and save ratios of `hard` against `sound`; true when the CPU times of both
// are within `goal`.
bool PrintRatios(const Case& hard, const Case& sound, double goal) {
  std::printf("%s / %s:\n", hard.name.c_str(), sound.name.c_str());
  bool met = true;
  for (const bool loading : {true, false}) {
    const auto& h = loading ? hard.loads : hard.saves;
    const auto& s = loading ? sound.loads : sound.saves;
    const Spread cpu = Ratio(h, s, &Times::cpu), wall = Ratio(h, s, &Times::wall);
    met = met && cpu.median <= goal;
    std::printf(
        "    %s  CPU %.2f [%.2f .. %.2f by round]  wall %.2f [%.2f .. %.2f]; goal (CPU) at "
        "most %.1f: %s\n",
        loading ? "load" : "save", cpu.median, cpu.low, cpu.high, wall.median, wall.low, wall.high,
        goal, Verdict(cpu.median <= goal));
  }
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--load") == 0)
    return Once(argv[2], false, std::atoi(argv[3]));
  if (argc == 4 && std::strcmp(argv[1], "--save") == 0)
    return Once(argv[2], true, std::atoi(argv[3]));

  quill::test::TempDir temp;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe");
  Case values20k{"20 000 values in one key", ManyValues(20'000), 1};
  Case values200k{"200 000 values in one key", ManyValues(200'000), 1};
  Case deep3000{"a key 3 000 levels deep", DeepPaths(1, 3000), 20};
  Case flat3000{"flat, as large as the 3 000 levels", "", 20};
  Case deep512{"a key 512 levels deep", DeepPaths(1, 512), 20};
  Case flat512{"flat, as large as the 512 levels", "", 20};
  Case deepMb{"1 000 keys 512 levels deep", DeepPaths(1000, 512), 1};
  Case flatMb{"flat, as large as the 1 000 deep keys", "", 1};
  flat3000.text = Flat(deep3000.text.size());
  flat512.text = Flat(deep512.text.size());
  flatMb.text = Flat(deepMb.text.size());
  std::vector<Case*> cases = {&values20k, &values200k, &deep3000, &flat3000,
                              &deep512,   &flat512,    &deepMb,   &flatMb};
  for (size_t i = 0; i < cases.size(); ++i) {
    cases[i]->file = temp.file("case" + std::to_string(i) + ".reg");
    quill::platform::ReplaceFileAtomically(cases[i]->file, cases[i]->text);
  }

  for (int round = 0; round < kRounds; ++round)
    for (Case* c : cases) Run(*c, self);

  std::printf(
      "Settings load (start-up) and save (close), one process per run; median [fastest .. "
      "slowest] of %d runs, taking turns:\n",
      kRounds);
  for (const Case* c : cases) PrintCase(*c);
  // Linear gives 10; the hash map's memory grows past the caches on the way, which adds a
  // little. A search of the values for each one would give about 100.
  bool met = PrintRatios(values200k, values20k, 20);
  met = PrintRatios(deep3000, flat3000, 3) && met;
  met = PrintRatios(deep512, flat512, 3) && met;
  met = PrintRatios(deepMb, flatMb, 3) && met;
  std::printf("all goals: %s\n", Verdict(met));
  return 0;
}
