// A 100 MB file from nginx on loopback: the HTTP client stepped once a frame by a program's loop
// (20 ms frames, as the programs set them), beside `curl -o` and libcurl writing the same file.
// Goal: at least 80% of curl's rate, a time ratio of at most 1.25.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

#include "downloadbench.h"
#include "ostrelcomm/httpclient/httpclient.h"
#include "ratioreporter.h"
#include "support/httppeers.h"

namespace {

struct SServer {
  SServer() {
    m_Up = m_Nginx.Start();
    WriteWholeFile(m_Nginx.Www() + "/big.bin", TestContent(kDownloadSize, 1));
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_Nginx.Port()) + "/big.bin"; }
  std::string Local() const { return m_Out.File("big.bin"); }

  CNginxPeer m_Nginx;
  CTempDir m_Out;
  bool m_Up = false;
};

SServer& Server() {
  static SServer server;
  return server;
}

bool Arrived(benchmark::State& state) { return DownloadArrived(state, Server().Local()); }

void BM_Ostrel(benchmark::State& state) {
  if (!Server().m_Up) return state.SkipWithError("nginx did not start");
  CBenchRuntime runtime;
  int64_t frames = 0;
  for (auto _ : state) {
    CHTTPClient client;
    client.Startup();
    client.Connect("127.0.0.1", Server().m_Nginx.Port());
    client.RetrieveFile(Server().Local().c_str(), "/big.bin");
    while (!client.IsWaitingForUserCommands()) {
      if (!client.Update()) break;
      xHandler();
      ++frames;
    }
    if (!Arrived(state)) break;
  }
  state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
  DownloadFinish(state);
}

void BM_CurlTool(benchmark::State& state) {
  if (!Server().m_Up) return state.SkipWithError("nginx did not start");
  RunCurlTool(state, Server().Url(), Server().Local());
}

void BM_Libcurl(benchmark::State& state) {
  if (!Server().m_Up) return state.SkipWithError("nginx did not start");
  RunLibcurl(state, Server().Url(), Server().Local());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  curl_global_init(CURL_GLOBAL_DEFAULT);
  for (auto* b : {benchmark::RegisterBenchmark("Download100MB/curl", BM_CurlTool),
                  benchmark::RegisterBenchmark("Download100MB/libcurl", BM_Libcurl),
                  benchmark::RegisterBenchmark("Download100MB/ostrel", BM_Ostrel)})
    b->Unit(benchmark::kMillisecond)->UseRealTime();
  CRatioReporter reporter("curl", "<= 1.25");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  curl_global_cleanup();
  benchmark::Shutdown();
  return 0;
}
