// KCBL text against JSON (nlohmann-json and RapidJSON's DOM) on the same content: a 1 MB
// configuration-like document of nested chunks, and a stream of 1000 small packet-like records.
// Parse: text to tree. Export: tree to text (KCBL measures first, then writes, as a caller that
// does not know the size must). MB/s counts each format's own text; at the end each KCBL time is
// printed over the times of the two others (lower is better).
#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ostrel/kcbl/kcbl.h"

namespace {
const char* const kNames[] = {"Ann Example", "Bo", "Carla Mendes", "Dmitri", "Eve of Hollow Lane", "Fay"};
const char* const kGames[] = {"Blackjack", "SuperSeven", "OneDeck", "Roulette"};

std::string ExportText(CKCBL& k) {
  int32_t len = 0;
  k.ExportSize(&len);
  std::string s(static_cast<size_t>(len) + 1, '\0');
  k.Export(s.data(), len + 1, &len, 0);
  s.resize(static_cast<size_t>(len));
  return s;
}

// One table section of the configuration, in both forms.
void AddTable(std::mt19937& rng, int n, CKCBL& k, nlohmann::json& j) {
  const std::string name = "Table" + std::to_string(n);
  nlohmann::json t;
  k.NewChunk(KSTRING, name.c_str(), KEND);
  const std::string title = std::string(kGames[rng() % 4]) + " table " + std::to_string(n);
  const int32_t minBet = static_cast<int32_t>(1 + rng() % 50), maxBet = minBet * 100;
  const double rake = static_cast<double>(rng() % 1000) / 100.0;
  const bool open = rng() % 2;
  int32_t limits[8];
  const int32_t nl = static_cast<int32_t>(4 + rng() % 5);
  for (int32_t i = 0; i < nl; ++i) limits[i] = static_cast<int32_t>(rng() % 100000);
  k.NewItem("Name", KSTRING, title.c_str(), KEND);
  const char* game = kGames[rng() % 4];
  k.NewItem("Game", KSTRING, game, KEND);
  k.NewItem("MinBet", KLONG, minBet, KEND);
  k.NewItem("MaxBet", KLONG, maxBet, KEND);
  k.NewItem("Rake", KDOUBLE, rake, KEND);
  k.NewItem("Open", KBOOL, open, KEND);
  k.NewItem("Limits", KLONGARRAY, nl, limits, KEND);
  k.NewItem("Server", KSTRING, "lobby.example.net", KLONG, 6001 + n % 7, KEND);
  t["Name"] = title;
  t["Game"] = game;
  t["MinBet"] = minBet;
  t["MaxBet"] = maxBet;
  t["Rake"] = rake;
  t["Open"] = open;
  t["Limits"] = std::vector<int32_t>(limits, limits + nl);
  t["Server"] = {"lobby.example.net", 6001 + n % 7};
  k.NewChunk(KSTRING, "Seats", KEND);
  nlohmann::json seats;
  for (int s = 1; s <= 7; ++s) {
    const std::string seat = "Seat" + std::to_string(s);
    const char* player = kNames[rng() % 6];
    const int32_t chips = static_cast<int32_t>(rng() % 1000000);
    k.NewItem(seat.c_str(), KSTRING, player, KLONG, chips, KEND);
    seats[seat] = {player, chips};
  }
  k.ExitChunk();
  t["Seats"] = seats;
  k.ExitChunk();
  j[name] = t;
}

struct SDocs {
  std::string kcblConfig, jsonConfig;
  std::vector<std::string> kcblRecords, jsonRecords;
  size_t kcblRecordBytes = 0, jsonRecordBytes = 0;
};

const SDocs& Docs() {
  static const SDocs docs = [] {
    SDocs d;
    std::mt19937 rng(7);
    CKCBL k;
    nlohmann::json j = nlohmann::json::object();
    k.NewItem("; Casino configuration", KEND);
    for (int n = 1; d.kcblConfig.size() < (1u << 20); ++n) {
      AddTable(rng, n, k, j);
      if (n % 64 == 0) d.kcblConfig = ExportText(k);
    }
    d.kcblConfig = ExportText(k);
    d.jsonConfig = j.dump();
    for (int r = 0; r < 1000; ++r) {
      CKCBL p;
      nlohmann::json pj;
      const char* player = kNames[rng() % 6];
      const int32_t seat = static_cast<int32_t>(rng() % 7), action = static_cast<int32_t>(rng() % 5);
      const double bet = static_cast<double>(rng() % 100000) / 100.0;
      const int32_t chips[3] = {1, 5, static_cast<int32_t>(rng() % 500)};
      p.NewChunk(KSTRING, "KavoPlayerBet", KEND);
      const int32_t id = static_cast<int32_t>(rng());
      const bool final = rng() % 2;
      p.NewItem("Player", KSTRING, player, KLONG, id, KEND);
      p.NewItem("Seat", KLONG, seat, KEND);
      p.NewItem("Action", KLONG, action, KEND);
      p.NewItem("Bet", KDOUBLE, bet, KEND);
      p.NewItem("Chips", KLONGARRAY, 3, chips, KEND);
      p.NewItem("Final", KBOOL, final, KEND);
      pj["KavoPlayerBet"] = {{"Player", {player, id}}, {"Seat", seat}, {"Action", action},
                             {"Bet", bet}, {"Chips", {chips[0], chips[1], chips[2]}}, {"Final", final}};
      d.kcblRecords.push_back(ExportText(p));
      d.jsonRecords.push_back(pj.dump());
      d.kcblRecordBytes += d.kcblRecords.back().size();
      d.jsonRecordBytes += d.jsonRecords.back().size();
    }
    return d;
  }();
  return docs;
}

void Bytes(benchmark::State& state, size_t perIteration) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * perIteration));
}

// ---- configuration ----

void ConfigParseKcbl(benchmark::State& state) {
  const std::string& text = Docs().kcblConfig;
  CKCBL k;
  for (auto _ : state) {
    if (!k.Import(text.data(), static_cast<int32_t>(text.size()))) state.SkipWithError("import failed");
    benchmark::DoNotOptimize(k.GetCurKeyword());
  }
  Bytes(state, text.size());
}

void ConfigParseNlohmann(benchmark::State& state) {
  const std::string& text = Docs().jsonConfig;
  for (auto _ : state) {
    nlohmann::json j = nlohmann::json::parse(text);
    benchmark::DoNotOptimize(j.size());
  }
  Bytes(state, text.size());
}

void ConfigParseRapidJson(benchmark::State& state) {
  const std::string& text = Docs().jsonConfig;
  for (auto _ : state) {
    rapidjson::Document d;
    d.Parse(text.data(), text.size());
    if (d.HasParseError()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(d.MemberCount());
  }
  Bytes(state, text.size());
}

void ConfigExportKcbl(benchmark::State& state) {
  const std::string& text = Docs().kcblConfig;
  CKCBL k;
  k.Import(text.data(), static_cast<int32_t>(text.size()));
  std::vector<char> out;
  for (auto _ : state) {
    int32_t len = 0;
    k.ExportSize(&len);
    out.resize(static_cast<size_t>(len) + 1);
    k.Export(out.data(), len + 1, &len, 0);
    benchmark::DoNotOptimize(out.data());
  }
  Bytes(state, text.size());
}

void ConfigExportNlohmann(benchmark::State& state) {
  const nlohmann::json j = nlohmann::json::parse(Docs().jsonConfig);
  for (auto _ : state) {
    std::string s = j.dump();
    benchmark::DoNotOptimize(s.data());
  }
  Bytes(state, Docs().jsonConfig.size());
}

void ConfigExportRapidJson(benchmark::State& state) {
  rapidjson::Document d;
  d.Parse(Docs().jsonConfig.c_str());
  rapidjson::StringBuffer buffer;
  for (auto _ : state) {
    buffer.Clear();
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    d.Accept(writer);
    benchmark::DoNotOptimize(buffer.GetString());
  }
  Bytes(state, Docs().jsonConfig.size());
}

// ---- stream of small records ----

void RecordsParseKcbl(benchmark::State& state) {
  CKCBL k;
  for (auto _ : state)
    for (const std::string& r : Docs().kcblRecords) {
      k.Import(r.data(), static_cast<int32_t>(r.size()));
      benchmark::DoNotOptimize(k.GetCurKeyword());
    }
  Bytes(state, Docs().kcblRecordBytes);
}

void RecordsParseNlohmann(benchmark::State& state) {
  for (auto _ : state)
    for (const std::string& r : Docs().jsonRecords) {
      nlohmann::json j = nlohmann::json::parse(r);
      benchmark::DoNotOptimize(j.size());
    }
  Bytes(state, Docs().jsonRecordBytes);
}

void RecordsParseRapidJson(benchmark::State& state) {
  rapidjson::Document d;
  for (auto _ : state)
    for (const std::string& r : Docs().jsonRecords) {
      d.Parse(r.data(), r.size());
      benchmark::DoNotOptimize(d.MemberCount());
    }
  Bytes(state, Docs().jsonRecordBytes);
}

void RecordsExportKcbl(benchmark::State& state) {
  std::vector<std::unique_ptr<CKCBL>> trees;
  for (const std::string& r : Docs().kcblRecords) {
    trees.push_back(std::make_unique<CKCBL>());
    trees.back()->Import(r.data(), static_cast<int32_t>(r.size()));
  }
  std::vector<char> out;
  for (auto _ : state)
    for (auto& k : trees) {
      int32_t len = 0;
      k->ExportSize(&len);
      out.resize(static_cast<size_t>(len) + 1);
      k->Export(out.data(), len + 1, &len, 0);
      benchmark::DoNotOptimize(out.data());
    }
  Bytes(state, Docs().kcblRecordBytes);
}

void RecordsExportNlohmann(benchmark::State& state) {
  std::vector<nlohmann::json> trees;
  for (const std::string& r : Docs().jsonRecords) trees.push_back(nlohmann::json::parse(r));
  for (auto _ : state)
    for (const auto& j : trees) {
      std::string s = j.dump();
      benchmark::DoNotOptimize(s.data());
    }
  Bytes(state, Docs().jsonRecordBytes);
}

void RecordsExportRapidJson(benchmark::State& state) {
  std::vector<std::unique_ptr<rapidjson::Document>> trees;
  for (const std::string& r : Docs().jsonRecords) {
    trees.push_back(std::make_unique<rapidjson::Document>());
    trees.back()->Parse(r.c_str());
  }
  rapidjson::StringBuffer buffer;
  for (auto _ : state)
    for (auto& d : trees) {
      buffer.Clear();
      rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
      d->Accept(writer);
      benchmark::DoNotOptimize(buffer.GetString());
    }
  Bytes(state, Docs().jsonRecordBytes);
}

// Console output plus, at the end, each "<case>/kcbl" time over "<case>/nlohmann" and
// "<case>/rapidjson".
class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) m_Times[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\ntime of kcbl over nlohmann / over rapidjson (same content; lower is better):\n");
    for (const auto& [name, time] : m_Times) {
      const size_t slash = name.find('/');
      if (slash == std::string::npos || name.substr(slash + 1) != "kcbl") continue;
      const std::string base = name.substr(0, slash);
      auto n = m_Times.find(base + "/nlohmann"), r = m_Times.find(base + "/rapidjson");
      if (n != m_Times.end() && r != m_Times.end() && n->second > 0 && r->second > 0)
        std::printf("  %-16s %.2f / %.2f\n", base.c_str(), time / n->second, time / r->second);
    }
    std::printf("text sizes: config kcbl %zu, json %zu bytes; 1000 records kcbl %zu, json %zu bytes\n",
                Docs().kcblConfig.size(), Docs().jsonConfig.size(), Docs().kcblRecordBytes,
                Docs().jsonRecordBytes);
  }

 private:
  std::map<std::string, double> m_Times;
};

void Register() {
  struct SCase {
    const char* name;
    void (*kcbl)(benchmark::State&);
    void (*nlohmann)(benchmark::State&);
    void (*rapidjson)(benchmark::State&);
  };
  const SCase cases[] = {
      {"ConfigParse", ConfigParseKcbl, ConfigParseNlohmann, ConfigParseRapidJson},
      {"ConfigExport", ConfigExportKcbl, ConfigExportNlohmann, ConfigExportRapidJson},
      {"RecordsParse", RecordsParseKcbl, RecordsParseNlohmann, RecordsParseRapidJson},
      {"RecordsExport", RecordsExportKcbl, RecordsExportNlohmann, RecordsExportRapidJson},
  };
  for (const SCase& c : cases) {
    const std::string name = c.name;
    benchmark::RegisterBenchmark((name + "/kcbl").c_str(), c.kcbl)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/nlohmann").c_str(), c.nlohmann)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/rapidjson").c_str(), c.rapidjson)->Unit(benchmark::kMicrosecond);
  }
}
}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
