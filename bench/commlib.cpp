// The communication library's figures side by side in one run, each against its alternative:
// node records against raw TCP (throughput and round trip), TLS and KVT links against plain ones
// and against OpenSSL's ciphers, the socket wait over 1000 idle links against poll, and HTTP and
// FTP downloads against curl. The ratios of all sections come together at the end.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <cstdio>

#include "comm/sections.h"
#include "ratioreporter.h"

namespace {

// Gathers the times of every section and prints the ratios once, after the last.
class CCommReporter : public CRatioReporter {
 public:
  using CRatioReporter::CRatioReporter;
  void Finalize() override {}
  void Summary() { CRatioReporter::Finalize(); }
};

struct SSection {
  bool (*m_pBegin)();
  void (*m_pEnd)();
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The socket wait holds two sockets for each of its 1000 idle links.
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  CCommReporter reporter("rawtcp", "<= 2 for Throughput_1MiB, that is at least half of raw TCP");
  reporter.AddBaseline("plain", "the price of the cipher");
  reporter.AddBaseline("openssl_cipher", "<= 2 for the cipher alone");
  reporter.AddBaseline("poll", "the wait's own cost over the system call");
  reporter.AddBaseline("curl", "<= 1.25");
  const SSection sections[] = {{BeginLinks, EndLinks},
                               {BeginCrypto, EndCrypto},
                               {BeginSocketWait, EndSocketWait},
                               {BeginDownloads, EndDownloads}};
  int status = 0;
  for (const SSection& section : sections) {
    if (!section.m_pBegin()) {
      status = 1;
      continue;
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::ClearRegisteredBenchmarks();
    section.m_pEnd();
  }
  reporter.Summary();
  benchmark::Shutdown();
  return status;
}
