// Console output plus, at the end, the time of each "<case>/ostrel[_<mode>]" over the time of
// "<case>/<baseline>", a repetition's "_mean" or "_median" matched on both sides; one table per
// baseline.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  CRatioReporter(std::string baseline, std::string goal) {
    AddBaseline(std::move(baseline), std::move(goal));
  }
  void AddBaseline(std::string baseline, std::string goal) {
    m_Baselines.emplace_back(std::move(baseline), std::move(goal));
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) m_Times[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [baseline, goal] : m_Baselines) PrintRatios(baseline, goal);
  }

 private:
  void PrintRatios(const std::string& baseline, const std::string& goal) const {
    std::printf("\nratio ours/%s (lower is better, goal %s):\n", baseline.c_str(), goal.c_str());
    for (const auto& [name, time] : m_Times) {
      const size_t slash = name.find('/');
      if (slash == std::string::npos || name.compare(slash + 1, 6, "ostrel") != 0) continue;
      std::string aggregate;
      for (const char* a : {"_mean", "_median", "_stddev", "_cv"})
        if (name.size() > std::char_traits<char>::length(a) &&
            name.compare(name.size() - std::char_traits<char>::length(a), std::string::npos, a) == 0)
          aggregate = a;
      if (aggregate == "_stddev" || aggregate == "_cv") continue;
      // Benchmarks timed by the wall clock carry "/real_time" on both sides.
      const std::string bare = name.substr(0, name.size() - aggregate.size());
      const char* timing =
          bare.size() > 10 && bare.compare(bare.size() - 10, 10, "/real_time") == 0 ? "/real_time" : "";
      auto base = m_Times.find(name.substr(0, slash + 1) + baseline + timing + aggregate);
      if (base != m_Times.end() && base->second > 0)
        std::printf("  %-34s %.2f\n", name.c_str(), time / base->second);
    }
  }

  std::vector<std::pair<std::string, std::string>> m_Baselines;
  std::map<std::string, double> m_Times;
};

// The machine's load, as /proc/loadavg gives it.
inline void xPrintLoad(const char* when) {
  std::ifstream load("/proc/loadavg");
  std::string line;
  std::getline(load, line);
  std::printf("load %s: %s\n", when, line.c_str());
}

// Runs the registered benchmarks through the reporter (null: the console's) with the load before
// and after. The machine is shared: five repetitions and their aggregates unless the command line
// asks otherwise.
inline int xRunRepeatedBenchmarks(int argc, char** argv, benchmark::BenchmarkReporter* reporter) {
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5", aggregates = "--benchmark_report_aggregates_only=true";
  bool given = false;
  for (int i = 1; i < argc; ++i) given = given || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
  if (!given) {
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  xPrintLoad("before");
  if (reporter) benchmark::RunSpecifiedBenchmarks(reporter);
  else benchmark::RunSpecifiedBenchmarks();
  xPrintLoad("after");
  benchmark::Shutdown();
  return 0;
}

inline int xRunRatioBenchmarks(int argc, char** argv, CRatioReporter& reporter) {
  return xRunRepeatedBenchmarks(argc, argv, &reporter);
}
