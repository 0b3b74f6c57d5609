// A 100 MB file over loopback, from nginx by HTTP and from vsftpd by FTP (passive and normal mode):
// our client stepped once a frame by a program's loop (20 ms frames, as the programs set them, the
// frame's wait being the socket wait), beside `curl -o` and libcurl fetching the same file.
// Goal: a time ratio of at most 1.1 against curl.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "comm/sections.h"
#include "downloadbench.h"
#include "ostrelcomm/download/ftpclient.h"
#include "ostrelcomm/httpclient/httpclient.h"
#include "support/ftppeers.h"
#include "support/httppeers.h"

namespace {

struct SServers {
  SServers() {
    m_HttpUp = m_Nginx.Start();
    m_FtpUp = m_Vsftpd.Start();
    const std::string content = TestContent(kDownloadSize, 1);
    WriteWholeFile(m_Nginx.Www() + "/big.bin", content);
    WriteWholeFile(m_Vsftpd.Root() + "/big.bin", content);
  }
  std::string HttpUrl() const { return "http://127.0.0.1:" + std::to_string(m_Nginx.Port()) + "/big.bin"; }
  std::string FtpUrl() const { return "ftp://127.0.0.1:" + std::to_string(m_Vsftpd.Port()) + "/big.bin"; }
  std::string Local() const { return m_Out.File("big.bin"); }

  CNginxPeer m_Nginx;
  CVsftpdPeer m_Vsftpd;
  CTempDir m_Out;
  bool m_HttpUp = false;
  bool m_FtpUp = false;
};

std::unique_ptr<SServers> g_pServers;

// Steps the client a frame at a time until it has nothing left to do; the frames it took.
int64_t RunClient(CDownloadClient& client) {
  int64_t frames = 0;
  while (client.IsUserCommands() || !client.IsWaitingForUserCommands()) {
    if (!client.Update()) break;
    xHandler();
    ++frames;
  }
  return frames;
}

// Our client, made anew for each iteration by make, stepped by a program's loop.
template <class Make>
void RunOstrel(benchmark::State& state, bool up, Make make) {
  if (!up) return state.SkipWithError("the server did not start");
  CBenchRuntime runtime;
  int64_t frames = 0;
  for (auto _ : state) {
    const std::unique_ptr<CDownloadClient> client = make();
    frames += RunClient(*client);
    if (!DownloadArrived(state, g_pServers->Local())) break;
  }
  state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
  DownloadFinish(state);
}

void OstrelHttp(benchmark::State& state) {
  RunOstrel(state, g_pServers->m_HttpUp, [] {
    auto client = std::make_unique<CHTTPClient>();
    client->Startup();
    client->Connect("127.0.0.1", g_pServers->m_Nginx.Port());
    client->RetrieveFile(g_pServers->Local().c_str(), "/big.bin");
    return client;
  });
}

void OstrelFtp(benchmark::State& state, bool passive) {
  RunOstrel(state, g_pServers->m_FtpUp, [passive] {
    auto client = std::make_unique<CFtpClient>();
    client->Startup();
    client->SetBlockingConnectOff();
    if (passive)
      client->SetPassiveMode();
    else
      client->SetNormalMode();
    client->Connect("127.0.0.1", g_pServers->m_Vsftpd.Port());
    client->SetLoginName("anonymous");
    client->RetrieveFile(g_pServers->Local().c_str(), "big.bin");
    return client;
  });
}

void CurlTool(benchmark::State& state, bool http) {
  if (!(http ? g_pServers->m_HttpUp : g_pServers->m_FtpUp)) return state.SkipWithError("the server did not start");
  RunCurlTool(state, http ? g_pServers->HttpUrl() : g_pServers->FtpUrl(), g_pServers->Local());
}

void Libcurl(benchmark::State& state, bool http) {
  if (!(http ? g_pServers->m_HttpUp : g_pServers->m_FtpUp)) return state.SkipWithError("the server did not start");
  RunLibcurl(state, http ? g_pServers->HttpUrl() : g_pServers->FtpUrl(), g_pServers->Local());
}

}  // namespace

bool BeginDownloads() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  g_pServers = std::make_unique<SServers>();
  for (auto* b : {benchmark::RegisterBenchmark("Http100MB/curl", CurlTool, true),
                  benchmark::RegisterBenchmark("Http100MB/libcurl", Libcurl, true),
                  benchmark::RegisterBenchmark("Http100MB/ostrel", OstrelHttp),
                  benchmark::RegisterBenchmark("Ftp100MB/curl", CurlTool, false),
                  benchmark::RegisterBenchmark("Ftp100MB/libcurl", Libcurl, false),
                  benchmark::RegisterBenchmark("Ftp100MB/ostrel_passive", OstrelFtp, true),
                  benchmark::RegisterBenchmark("Ftp100MB/ostrel_normal", OstrelFtp, false)})
    b->Unit(benchmark::kMillisecond)->UseRealTime();
  return true;
}

void EndDownloads() {
  g_pServers.reset();
  curl_global_cleanup();
}
