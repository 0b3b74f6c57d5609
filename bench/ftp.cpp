// A 100 MB file from vsftpd on loopback: the FTP client stepped once a frame by a program's loop
// (20 ms frames, as the programs set them), in passive and in normal mode, beside `curl -o` and
// libcurl fetching the same file over ftp://.
// Goal: at least 80% of curl's rate, a time ratio of at most 1.25.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "ostrel/files/filehelpers.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/download/ftpclient.h"
#include "platform/display/headless.h"
#include "ratioreporter.h"
#include "support/ftppeers.h"

extern char** environ;

namespace {

constexpr size_t kFileSize = 100u << 20;

struct SServer {
  SServer() {
    m_Up = m_Vsftpd.Start();
    WriteWholeFile(m_Vsftpd.Root() + "/big.bin", TestContent(kFileSize, 1));
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

bool Arrived(benchmark::State& state) {
  uint32_t size = 0;
  if (xFileSize(Server().Local().c_str(), &size) && size == kFileSize) return true;
  state.SkipWithError("the file did not arrive whole");
  return false;
}

void Finish(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileSize));
}

void BM_Ostrel(benchmark::State& state, bool passive) {
  if (!Server().m_Up) return state.SkipWithError("vsftpd did not start");
  PlatformHeadless()->Reset();
  PlatformSetDisplay(PlatformHeadlessDisplay());
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCreateGlobals();
  xInit();
  SetMinimumFrameTime(20);
  SetUpdateTime(20);
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
  Finish(state);
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
}

void BM_CurlTool(benchmark::State& state) {
  if (!Server().m_Up) return state.SkipWithError("vsftpd did not start");
  const std::string url = Server().Url();
  const std::string local = Server().Local();
  for (auto _ : state) {
    const char* argv[] = {"curl", "-s", "-o", local.c_str(), url.c_str(), nullptr};
    pid_t pid = -1;
    int status = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      return state.SkipWithError("curl did not start");
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!Arrived(state)) break;
  }
  Finish(state);
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

void BM_Libcurl(benchmark::State& state) {
  if (!Server().m_Up) return state.SkipWithError("vsftpd did not start");
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, Server().Url().c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
  for (auto _ : state) {
    FILE* file = std::fopen(Server().Local().c_str(), "wb");
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    const CURLcode r = curl_easy_perform(curl);
    std::fclose(file);
    if (r != CURLE_OK || !Arrived(state)) break;
  }
  curl_easy_cleanup(curl);
  Finish(state);
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
