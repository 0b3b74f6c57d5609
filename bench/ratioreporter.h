// Console output plus, at the end, the time of each "<case>/ostrel[_<mode>]" over the time of
// "<case>/<baseline>", a repetition's "_mean" or "_median" matched on both sides.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  CRatioReporter(std::string baseline, std::string goal)
      : m_Baseline(std::move(baseline)), m_Goal(std::move(goal)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // Cases timed on the wall clock carry "/real_time" on both sides; it is not part of the case.
      std::string name = run.benchmark_name();
      if (const size_t at = name.find("/real_time"); at != std::string::npos) name.erase(at, 10);
      m_Times[name] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nratio ours/%s (lower is better, goal %s):\n", m_Baseline.c_str(), m_Goal.c_str());
    for (const auto& [name, time] : m_Times) {
      const size_t slash = name.find('/');
      if (slash == std::string::npos || name.compare(slash + 1, 6, "ostrel") != 0) continue;
      std::string aggregate;
      for (const char* a : {"_mean", "_median", "_stddev", "_cv"})
        if (name.size() > std::char_traits<char>::length(a) &&
            name.compare(name.size() - std::char_traits<char>::length(a), std::string::npos, a) == 0)
          aggregate = a;
      if (aggregate == "_stddev" || aggregate == "_cv") continue;
      auto base = m_Times.find(name.substr(0, slash + 1) + m_Baseline + aggregate);
      if (base != m_Times.end() && base->second > 0)
        std::printf("  %-34s %.2f\n", name.c_str(), time / base->second);
    }
  }

 private:
  std::string m_Baseline, m_Goal;
  std::map<std::string, double> m_Times;
};
