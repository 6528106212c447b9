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
};

// The growth of a figure from 100,000 to 400,000 entries, against the growth
// of a baseline over the same sizes.
struct GrowthTarget {
  const char *what;
  const char *figure;
  const char *baseline;
};
constexpr double kGrowthLimit = 1.3;

// A figure that must stay within a time of its own.
struct TimeLimit {
  const char *what;
  const char *figure;
  double seconds;
};
constexpr double kMostFlushes = 40;

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
// Exports one file as .uz2 and prints the process's peak resident memory.
int exportAndReportPeak(const char *source, const char *destination);

int main(int argc, char **argv) {
  if (argc == 4 && std::string(argv[1]) == "--copy-and-report-peak")
    return copyAndReportPeak(argv[2], argv[3]);
  if (argc == 4 && std::string(argv[1]) == "--export-and-report-peak")
    return exportAndReportPeak(argv[2], argv[3]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  const Target targets[] = {
      {"Start-up read of the index, 100,000 entries, against one plain read", "BM_ReadIndex/100000",
       "BM_ReadIndexBaseline/100000", 2.0},
      {"Rewrite of the index, 100,000 kept entries", "BM_RewriteIndex/100000", "BM_RewriteIndexBaseline/100000", 3.0},
      {"Remove Missing Entries, 100,000 lines of which 99,600 name no file, against a stat of each and one "
       "durable write",
       "BM_RemoveMissingEntries/100000", "BM_RemoveMissingEntriesBaseline/100000", 2.0},
      {"Copy across volumes, 256 MiB", "BM_CopyFile/256", "BM_CopyFileBaseline/256", 1.3},
      {"Installing a zip of 40 packages, 200 MiB, against unzip and one sync", "BM_InstallArchive/200",
       "BM_InstallArchiveBaseline/200", 1.3},
      // At least 1.6 times the throughput: at most 1/1.6 of the time.
      {"Export of 256 MiB to .uz2 on all cores, against compress() of the same chunks on one", "BM_ExportUz2/256",
       "BM_ExportUz2Baseline/256", 0.625},
      {"Move of 10,000 small packages across volumes, against cp -r, sync and rm", "BM_MovePackages/0/10000",
       "BM_MovePackagesCopyBaseline/10000", 1.3},
      {"Move of 10,000 small packages on one volume, against renames and folder flushes", "BM_MovePackages/1/10000",
       "BM_MovePackagesRenameBaseline/10000", 1.5},
      {"Move of 10,000 small packages with the window, against the same move without it", "BM_MoveWindowCost/1/10000",
       "BM_MoveWindowCost/0/10000", 1.1},
      {"Reading what 5,000 cached maps need, against reading the same byte ranges with plain pread",
       "BM_ReadNeeds/5000", "BM_ReadNeedsBaseline/5000", 2.0},
      {"Decoding a DXT1 mip of 1,024 pixels a side, against copying as many bytes as its picture takes",
       "BM_DecodeDxt1/1024", "BM_DecodeDxt1Baseline/1024", 3.0},
      {"Start-up to a shown window, 100,000 entries vs empty", "BM_StartupToShownWindow/100000",
       "BM_StartupToShownWindow/0", 0.5, true},
  };
  // Linear work grows by the same factor as plain linear work measured in the
  // same run: 400,000 entries leave the caches that 100,000 fit in, for any
  // pass over them.
  const GrowthTarget growthTargets[] = {
      {"Reading, 400,000 / 100,000 entries, against the baseline read", "BM_ReadIndex", "BM_ReadIndexBaseline"},
      {"Tick everything, 400,000 / 100,000 entries, against copying the list", "BM_SelectAll",
       "BM_CopyEntriesBaseline"},
      {"Collect, half ticked, 400,000 / 100,000 entries, against copying the list", "BM_Collect",
       "BM_CopyEntriesBaseline"},
  };

  const TimeLimit timeLimits[] = {
      {"A filter keystroke to the repainted view, 100,000 entries", "BM_WindowResponse/0/100000", 0.1},
      {"The same while the packages are read in the background", "BM_WindowResponse/3/100000", 0.1},
      {"Tick All to the repainted view, 100,000 entries", "BM_WindowResponse/1/100000", 0.2},
      {"Untick All to the repainted view, 100,000 entries", "BM_WindowResponse/2/100000", 0.2},
      {"Show the ticked (all of them) to the repainted view, 100,000 entries", "BM_WindowResponse/4/100000", 0.2},
      {"Show the missing, every cached file looked at, 100,000 entries", "BM_WindowResponse/5/100000", 1.0},
      {"Selecting a map row to its texts in the details pane, map of 20 MB", "BM_DetailsPane/0", 0.05},
      {"Selecting a map row to its decoded 512x512 DXT1 preview, map of 20 MB", "BM_DetailsPane/1", 0.1},
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
    allMet = allMet && met;
    const char *verdict = met ? "yes" : "NO";
    if (target.difference)
      std::printf("| %s | %s | %s | +%s | at most +%.1f s | %s |\n", target.what, formatSeconds(figure).c_str(),
                  formatSeconds(baseline).c_str(), formatSeconds(measure).c_str(), target.limit, verdict);
    else
      std::printf("| %s | %s | %s | %.2f | at most %.3g | %s |\n", target.what, formatSeconds(figure).c_str(),
                  formatSeconds(baseline).c_str(), measure, target.limit, verdict);
  }
  for (const GrowthTarget &target : growthTargets) {
    const std::string keys[] = {std::string(target.figure) + "/400000", std::string(target.figure) + "/100000",
                                std::string(target.baseline) + "/400000", std::string(target.baseline) + "/100000"};
    if (!std::all_of(std::begin(keys), std::end(keys),
                     [&](const std::string &key) { return reporter.seconds.count(key); })) {
      std::printf("| %s | not run | | | | |\n", target.what);
      continue;
    }
    const double growth = reporter.seconds[keys[0]] / reporter.seconds[keys[1]];
    const double baselineGrowth = reporter.seconds[keys[2]] / reporter.seconds[keys[3]];
    const double measure = growth / baselineGrowth;
    const bool met = measure <= kGrowthLimit;
    allMet = allMet && met;
    std::printf("| %s | grows %.2fx | grows %.2fx | %.2f | at most %.1f | %s |\n", target.what, growth, baselineGrowth,
                measure, kGrowthLimit, met ? "yes" : "NO");
  }
  // How much painting the progress adds, for comparison: the same move with
  // the progress shown from its first package on.
  if (reporter.seconds.count("BM_MoveWindowCost/2/10000") && reporter.seconds.count("BM_MoveWindowCost/0/10000")) {
    const double painted = reporter.seconds["BM_MoveWindowCost/2/10000"];
    const double bare = reporter.seconds["BM_MoveWindowCost/0/10000"];
    std::printf(
        "| (the same with the progress shown from the first package on) | %s | %s | %.2f | for comparison | |\n",
        formatSeconds(painted).c_str(), formatSeconds(bare).c_str(), painted / bare);
  }
  for (const TimeLimit &limit : timeLimits) {
    if (!reporter.seconds.count(limit.figure)) {
      std::printf("| %s | not run | | | | |\n", limit.what);
      continue;
    }
    const double figure = reporter.seconds[limit.figure];
    const bool met = figure <= limit.seconds;
    allMet = allMet && met;
    std::printf("| %s | %s | | | at most %s | %s |\n", limit.what, formatSeconds(figure).c_str(),
                formatSeconds(limit.seconds).c_str(), met ? "yes" : "NO");
  }
  for (const char *path : {"0", "1"}) {
    const std::string few = std::string("BM_MovePackages/") + path + "/100:flushes";
    const std::string many = std::string("BM_MovePackages/") + path + "/10000:flushes";
    if (!reporter.counters.count(few) || !reporter.counters.count(many))
      continue;
    const bool met = reporter.counters[many] <= kMostFlushes && reporter.counters[many] == reporter.counters[few];
    allMet = allMet && met;
    std::printf("| Flush calls of a move %s, 10,000 packages vs 100 | %.0f | %.0f | | the same, at most %.0f | %s |\n",
                *path == '0' ? "across volumes" : "on one volume", reporter.counters[many], reporter.counters[few],
                kMostFlushes, met ? "yes" : "NO");
  }
  // A 256 MiB file may cost at most `limit` KiB more than a 1 MiB one.
  const auto memoryRow = [&](const std::string &benchmark, const char *what, double limit) {
    const std::string key = benchmark + "/";
    if (!reporter.counters.count(key + ":extra_kib"))
      return;
    const double extra = reporter.counters[key + ":extra_kib"];
    const bool met = extra <= limit;
    allMet = allMet && met;
    std::printf("| Peak memory of a 256 MiB %s vs a 1 MiB %s | %.0f KiB | %.0f KiB | %+.0f KiB | at most +%.0f KiB "
                "| %s |\n",
                what, what, reporter.counters[key + ":peak_kib_256MiB"], reporter.counters[key + ":peak_kib_1MiB"],
                extra, limit, met ? "yes" : "NO");
  };
  if (const auto learnt = reporter.counters.find("BM_NeedsMemory/5000:bytes_per_package");
      learnt != reporter.counters.end()) {
    const bool met = learnt->second <= 1024;
    allMet = allMet && met;
    std::printf(
        "| Memory of what was learnt of 5,000 maps, a package on average | %.0f bytes | | | at most 1 KiB | %s |\n",
        learnt->second, met ? "yes" : "NO");
  }
  memoryRow("BM_CopyPeakMemory", "copy", 2048);
  // 4 MiB for each core that compresses.
  memoryRow("BM_ExportPeakMemory", "export", 4096 * reporter.counters["BM_ExportPeakMemory/:threads"]);
  return allMet ? 0 : 1;
}
