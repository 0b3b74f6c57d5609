// A 100 MB file from vsftpd on loopback: the FTP client stepped once a frame by a program's loop
// (20 ms frames, as the programs set them), in passive and in normal mode, beside `curl -o` and
// libcurl fetching the same file over ftp://.
// Goal: at least 80% of curl's rate, a time ratio of at most 1.25.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

#include "downloadbench.h"
#include "ostrelcomm/download/ftpclient.h"
#include "ratioreporter.h"
#include "support/ftppeers.h"

namespace {

struct SServer {
  SServer() {
    m_Up = m_Vsftpd.Start();
    WriteWholeFile(m_Vsftpd.Root() + "/big.bin", TestContent(kDownloadSize, 1));
  }
  std::string Url() const { return "ftp://127.0.0.1:" + std::to_string(m_Vsftpd.Port()) + "/big.bin"; }
  std::string Local() const { return m_Out.File("big.bin"); }

  CVsftpdPeer m_Vsftpd;
  CTempDir m_Out;
  bool m_Up = false;
};

SServer& Server() {
  static SServer server;
  return server;
}

bool Arrived(benchmark::State& state) { return DownloadArrived(state, Server().Local()); }

void BM_Ostrel(benchmark::State& state, bool passive) {
  if (!Server().m_Up) return state.SkipWithError("vsftpd did not start");
  CBenchRuntime runtime;
  int64_t frames = 0;
  for (auto _ : state) {
    CFtpClient client;
    client.Startup();
    client.SetBlockingConnectOff();
    if (passive)
      client.SetPassiveMode();
    else
      client.SetNormalMode();
    client.Connect("127.0.0.1", Server().m_Vsftpd.Port());
    client.SetLoginName("anonymous");
    client.RetrieveFile(Server().Local().c_str(), "big.bin");
    while (client.IsUserCommands() || !client.IsWaitingForUserCommands()) {
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
  if (!Server().m_Up) return state.SkipWithError("vsftpd did not start");
  RunCurlTool(state, Server().Url(), Server().Local());
}

void BM_Libcurl(benchmark::State& state) {
  if (!Server().m_Up) return state.SkipWithError("vsftpd did not start");
  RunLibcurl(state, Server().Url(), Server().Local());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  curl_global_init(CURL_GLOBAL_DEFAULT);
  for (auto* b : {benchmark::RegisterBenchmark("Download100MB/curl", BM_CurlTool),
                  benchmark::RegisterBenchmark("Download100MB/libcurl", BM_Libcurl),
                  benchmark::RegisterBenchmark("Download100MB/ostrel_passive", BM_Ostrel, true),
                  benchmark::RegisterBenchmark("Download100MB/ostrel_normal", BM_Ostrel, false)})
    b->Unit(benchmark::kMillisecond)->UseRealTime();
  CRatioReporter reporter("curl", "<= 1.25");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  curl_global_cleanup();
  benchmark::Shutdown();
  return 0;
}
