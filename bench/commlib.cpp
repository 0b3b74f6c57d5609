// The communication library's figures side by side in one run, each against its alternative:
// node records against raw TCP (throughput and round trip), TLS and KVT links against plain ones
// and against OpenSSL's ciphers, the socket wait over 1000 idle links against poll, and HTTP and
// FTP downloads against curl. The ratios of all sections come together at the end.
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

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
  const char* m_pName;
  bool (*m_pBegin)();
  void (*m_pEnd)();
};

// "--sections=links,wait" runs only those sections (links, crypto, wait, downloads); every section
// sets up its peers and servers even when the filter matches none of its cases.
std::string TakeSectionsFlag(int& argc, char** argv) {
  static constexpr char kFlag[] = "--sections=";
  std::string sections;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kFlag, sizeof kFlag - 1) == 0)
      sections = argv[i] + sizeof kFlag - 1;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return sections;
}

bool Chosen(const std::string& sections, const char* name) {
  if (sections.empty()) return true;
  return ("," + sections + ",").find("," + std::string(name) + ",") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string sections = TakeSectionsFlag(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The socket wait holds two sockets for each of its 1000 idle links.
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
  CCommReporter reporter("rawtcp", "<= 2 for records of 100 B, 4 KiB and 1 MiB");
  reporter.AddBaseline("plain", "the price of the cipher");
  reporter.AddBaseline("openssl_cipher", "<= 2 for the cipher alone");
  reporter.AddBaseline("poll", "<= 3, the wait over 1000 idle links against one bare poll of them");
  reporter.AddBaseline("curl", "<= 1.1, downloads inside the frame loop");
  const SSection all[] = {{"links", BeginLinks, EndLinks},
                          {"crypto", BeginCrypto, EndCrypto},
                          {"wait", BeginSocketWait, EndSocketWait},
                          {"downloads", BeginDownloads, EndDownloads}};
  int status = 0;
  for (const SSection& section : all) {
    if (!Chosen(sections, section.m_pName)) continue;
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
