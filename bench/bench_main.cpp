// Runs the benchmarks, then prints each figure against its baseline, measured
// in the same run, and the target it must meet.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

// Keeps every run's real time per iteration, in seconds, and its counters,
// by "function/argument". Of repeated runs it keeps the fastest: on a shared
// machine the others mostly measure the neighbours.
class RecordingReporter final : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration)
        continue;
      const std::string key = run.run_name.function_name + "/" + run.run_name.args;
      const double time = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const auto known = seconds.find(key);
      seconds[key] = known == seconds.end() ? time : std::min(known->second, time);
      for (const auto &[name, counter] : run.counters)
        counters[key + ":" + name] = counter.value;
    }
  }

  std::map<std::string, double> seconds;
  std::map<std::string, double> counters;
};

struct Target {
  const char *what;
  const char *figure;
  const char *baseline;
  double limit;
  // "ratio": figure / baseline; "difference": figure - baseline, in seconds.
  bool difference = false;
  // Shown for comparison only: how the machine itself grows on linear work.
  bool informational = false;
};

std::string formatSeconds(double seconds) {
  char text[32];
  if (seconds < 1e-3)
    std::snprintf(text, sizeof text, "%.1f µs", seconds * 1e6);
  else if (seconds < 1)
    std::snprintf(text, sizeof text, "%.1f ms", seconds * 1e3);
  else
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

} // namespace

// Copies one file and prints the process's peak resident memory in KiB.
int copyAndReportPeak(const char *source, const char *destination);

int main(int argc, char **argv) {
  if (argc == 4 && std::string(argv[1]) == "--copy-and-report-peak")
    return copyAndReportPeak(argv[2], argv[3]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const Target targets[] = {
      {"Start-up read of the index, 100,000 entries", "BM_ReadIndex/100000", "BM_ReadIndexBaseline/100000", 3.0},
      {"Reading grows linearly, 400,000 / 100,000 entries", "BM_ReadIndex/400000", "BM_ReadIndex/100000", 4.5},
      {"(the baseline read on the same machine, 400,000 / 100,000)", "BM_ReadIndexBaseline/400000",
       "BM_ReadIndexBaseline/100000", 4.5, false, true},
      {"Tick everything, 400,000 / 100,000 entries", "BM_SelectAll/400000", "BM_SelectAll/100000", 4.5},
      {"Collect, half ticked, 400,000 / 100,000 entries", "BM_Collect/400000", "BM_Collect/100000", 4.5},
      {"(copying the list once on the same machine, 400,000 / 100,000)", "BM_CopyEntriesBaseline/400000",
       "BM_CopyEntriesBaseline/100000", 4.5, false, true},
      {"Rewrite of the index, 100,000 kept entries", "BM_RewriteIndex/100000", "BM_RewriteIndexBaseline/100000", 3.0},
      {"Copy across volumes, 256 MiB", "BM_CopyFile/256", "BM_CopyFileBaseline/256", 1.3},
      {"Start-up to a shown window, 100,000 entries vs empty", "BM_StartupToShownWindow/100000",
       "BM_StartupToShownWindow/0", 0.5, true},
  };

  bool allMet = true;
  std::printf("\n| What | Figure | Baseline | Ratio | Target | Met |\n|---|---|---|---|---|---|\n");
  for (const Target &target : targets) {
    if (!reporter.seconds.count(target.figure) || !reporter.seconds.count(target.baseline)) {
      std::printf("| %s | not run | | | | |\n", target.what);
      continue;
    }
    const double figure = reporter.seconds[target.figure];
    const double baseline = reporter.seconds[target.baseline];
    const double measure = target.difference ? figure - baseline : figure / baseline;
    const bool met = measure <= target.limit;
    if (!target.informational)
      allMet = allMet && met;
    const char *verdict = target.informational ? "for comparison" : (met ? "yes" : "NO");
    if (target.difference)
      std::printf("| %s | %s | %s | +%s | at most +%.1f s | %s |\n", target.what, formatSeconds(figure).c_str(),
                  formatSeconds(baseline).c_str(), formatSeconds(measure).c_str(), target.limit, verdict);
    else
      std::printf("| %s | %s | %s | %.2f | at most %.1f | %s |\n", target.what, formatSeconds(figure).c_str(),
                  formatSeconds(baseline).c_str(), measure, target.limit, verdict);
  }
  const std::string memoryKey = "BM_CopyPeakMemory/";
  if (reporter.counters.count(memoryKey + ":extra_kib")) {
    const double small = reporter.counters[memoryKey + ":peak_kib_1MiB"];
    const double large = reporter.counters[memoryKey + ":peak_kib_256MiB"];
    const double extra = reporter.counters[memoryKey + ":extra_kib"];
    const bool met = extra <= 2048;
    allMet = allMet && met;
    std::printf("| Peak memory of a 256 MiB copy vs a 1 MiB copy | %.0f KiB | %.0f KiB | %+.0f KiB | at most "
                "+2048 KiB | %s |\n",
                large, small, extra, met ? "yes" : "NO");
  }
  return allMet ? 0 : 1;
}
