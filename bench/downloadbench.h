// What the download benchmarks share: a 100 MB file, the check that it arrived whole, `curl -o`
// and libcurl fetching it beside our clients, and a program's runtime around our client's loop.
#pragma once

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "ostrel/files/filehelpers.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commlib.h"
#include "platform/display/headless.h"

extern char** environ;

inline constexpr size_t kDownloadSize = 100u << 20;

inline bool DownloadArrived(benchmark::State& state, const std::string& local) {
  uint32_t size = 0;
  if (xFileSize(local.c_str(), &size) && size == kDownloadSize) return true;
  state.SkipWithError("the file did not arrive whole");
  return false;
}

inline void DownloadFinish(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kDownloadSize));
}

inline void RunCurlTool(benchmark::State& state, const std::string& url, const std::string& local) {
  for (auto _ : state) {
    const char* argv[] = {"curl", "-s", "-o", local.c_str(), url.c_str(), nullptr};
    pid_t pid = -1;
    int status = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      return state.SkipWithError("curl did not start");
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!DownloadArrived(state, local)) break;
  }
  DownloadFinish(state);
}

inline size_t DownloadWriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file));
}

inline void RunLibcurl(benchmark::State& state, const std::string& url, const std::string& local) {
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DownloadWriteToFile);
  for (auto _ : state) {
    FILE* file = std::fopen(local.c_str(), "wb");
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    const CURLcode r = curl_easy_perform(curl);
    std::fclose(file);
    if (r != CURLE_OK || !DownloadArrived(state, local)) break;
  }
  curl_easy_cleanup(curl);
  DownloadFinish(state);
}

// A program's globals and loop on the headless display, paced at 20 ms frames as the programs set,
// with the communication library started and the frame's wait handed to its socket wait, as a
// program that downloads has it.
class CBenchRuntime {
 public:
  CBenchRuntime() {
    PlatformHeadless()->Reset();
    PlatformSetDisplay(PlatformHeadlessDisplay());
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    xCreateGlobals();
    xInit();
    xCommStartup(glb, sglb);
    xSetXHandlerWaitMode(1);
    SetMinimumFrameTime(20);
    SetUpdateTime(20);
  }
  ~CBenchRuntime() {
    xCommClosedown();
    delete glb->m_pNodeList;
    glb->m_pNodeList = nullptr;
    xExit();
    xFreeGlobals();
    delete sglb;
    delete glb;
    sglb = nullptr;
    glb = nullptr;
  }
  CBenchRuntime(const CBenchRuntime&) = delete;
  CBenchRuntime& operator=(const CBenchRuntime&) = delete;
};
