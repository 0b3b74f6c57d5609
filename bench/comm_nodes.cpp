// Nodes in one process (play for fun runs on this path): a client node sends a small KCBL record,
// the server node takes it, reads it and frees it. Measured against the same record written as
// JSON with RapidJSON, handed over through a queue of strings and parsed again. Then the text cost
// alone: export and import of a ten-item login record against RapidJSON's writer and parser.
// Prints each ours/rapidjson time ratio at the end.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/packet.h"
#include "ratioreporter.h"

namespace {

// Globals and the library for the life of one benchmark.
class CCommProcess {
 public:
  CCommProcess() : m_Globals(0) {
    m_pSavedGlb = glb;
    m_pSavedSglb = sglb;
    xCommStartup(&m_Globals, &m_SysGlobals);
  }
  ~CCommProcess() {
    xCommClosedown();
    delete glb->m_pNodeList;
    glb = m_pSavedGlb;
    sglb = m_pSavedSglb;
  }

 private:
  SGlobals m_Globals;
  SSysGlobals m_SysGlobals;
  SGlobals* m_pSavedGlb;
  SSysGlobals* m_pSavedSglb;
};

void StartNode(CCommNode& node, uint32_t type) {
  node.SetId(1);
  node.SetName("Table_7");
  node.InitCommNode(type);
}

// ---- delivery of a small record ----

void DeliverKcbl(benchmark::State& state) {
  CCommProcess process;
  {
    CCommNode client, server;
    StartNode(client, CNODE_CLIENT);
    StartNode(server, CNODE_SERVER);
    int32_t seat = 0;
    char name[32];
    for (auto _ : state) {
      client.SendInit();
      client.NewItem("Bet", KLONG, seat + 1, KSTRING, "player", KEND);
      client.SendKCBLPacket();
      server.RecvKCBLPacket();
      server.m_RecvKCBL.GetItem("Bet", KLONG, &seat, KSTRING, 31, name, KEND);
      server.RecvKCBLFree();
    }
    if (seat != static_cast<int32_t>(state.iterations())) state.SkipWithError("records went missing");
  }
  state.SetItemsProcessed(state.iterations());
}

void DeliverJson(benchmark::State& state) {
  std::deque<std::string> queue;
  int seat = 0;
  char name[32];
  for (auto _ : state) {
    rapidjson::StringBuffer out;
    rapidjson::Writer<rapidjson::StringBuffer> writer(out);
    writer.StartObject();
    writer.Key("Bet");
    writer.StartArray();
    writer.Int(seat + 1);
    writer.String("player");
    writer.EndArray();
    writer.EndObject();
    queue.emplace_back(out.GetString(), out.GetSize());
    rapidjson::Document doc;
    doc.Parse(queue.front().c_str(), queue.front().size());
    const auto& bet = doc["Bet"];
    seat = bet[0].GetInt();
    std::snprintf(name, sizeof name, "%s", bet[1].GetString());
    queue.pop_front();
  }
  if (seat != static_cast<int>(state.iterations())) state.SkipWithError("records went missing");
  state.SetItemsProcessed(state.iterations());
}

// ---- export and import of a record ----

struct SField {
  const char* key;
  const char* text;
  int32_t number;
};

const SField kLogin[] = {
    {"Login", "player one", 0},     {"Password", "s3cr3t pass", 0}, {"CIN", nullptr, 104233},
    {"Currency", "EUR", 0},         {"Language", "en", 0},          {"IdVer", nullptr, 3},
    {"MachineInfo", "x86 linux", 0}, {"CampaignInfo", "spring-2003", 0}, {"Seat", nullptr, 4},
    {"Balance", nullptr, 125000},
};

void ExportImportKcbl(benchmark::State& state) {
  CKCBL record;
  for (const SField& f : kLogin) {
    if (f.text)
      record.NewItem(f.key, KSTRING, f.text, KEND);
    else
      record.NewItem(f.key, KLONG, f.number, KEND);
  }
  std::vector<char> text;
  CKCBL back;
  size_t bytes = 0;
  for (auto _ : state) {
    int32_t length = 0;
    record.ExportSize(&length);
    text.resize(static_cast<size_t>(length) + 1);
    record.Export(text.data(), length + 1, &length, 0);
    back.Import(text.data(), length);
    bytes += static_cast<size_t>(length);
    benchmark::DoNotOptimize(back.FirstItem());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void ExportImportJson(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    rapidjson::StringBuffer out;
    rapidjson::Writer<rapidjson::StringBuffer> writer(out);
    writer.StartObject();
    for (const SField& f : kLogin) {
      writer.Key(f.key);
      if (f.text)
        writer.String(f.text);
      else
        writer.Int(f.number);
    }
    writer.EndObject();
    rapidjson::Document back;
    back.Parse(out.GetString(), out.GetSize());
    bytes += out.GetSize();
    benchmark::DoNotOptimize(back.MemberCount());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

}  // namespace

BENCHMARK(DeliverKcbl)->Name("Deliver_SmallRecord/ostrel");
BENCHMARK(DeliverJson)->Name("Deliver_SmallRecord/rapidjson");
BENCHMARK(ExportImportKcbl)->Name("ExportImport_Login/ostrel");
BENCHMARK(ExportImportJson)->Name("ExportImport_Login/rapidjson");

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CRatioReporter reporter("rapidjson", "<= 2");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
