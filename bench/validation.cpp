// A validation pass with nothing to download (FVersion_ValidateFiles with the default file
// callbacks) over an installation of 10,000 files, 200 MB in all, beside a plain loop that reads
// the same files and computes zlib's crc32 over them. Every file is a library, a program or a
// script, so the pass reads each one whole, as the loop does; the pass also reads and writes back
// both module lists and the status file. The goal is within 1.5x of the loop.
//
// The tree is generated on /dev/shm where there is one (else in the temporary folder), so both
// read from memory, and removed at the end. Each case runs five times unless the command line
// says otherwise, the repetitions of the two cases taking turns; the ratios are of the medians;
// the machine's load is printed before and after.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/fversionvalidate.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/modstatus.h"
#include "ostrel/files/crc.h"
#include "ratioreporter.h"

namespace fs = std::filesystem;

namespace {
constexpr int kModules = 50;
constexpr int kFilesPerModule = 200;  // 10,000 files
constexpr uint64_t kTotalBytes = 200ull * 1024 * 1024;
constexpr int kForcedModules = 5;

std::string g_Root;
std::vector<std::string> g_Files;

std::string FileName(int module, int file) {
  static const char* kinds[] = {"game%d/lib%d.so", "game%d/xrs/dialog%d.xrs", "game%d/tool%d", "game%d/res%d.dll"};
  char name[64];
  std::snprintf(name, sizeof name, kinds[file % 4], module, file);
  return name;
}

// Sizes from 1 KB to about 40 KB that add up to kTotalBytes.
std::vector<uint32_t> Sizes(std::mt19937_64& rng) {
  std::vector<double> weights(kModules * kFilesPerModule);
  double sum = 0;
  for (double& w : weights) sum += w = 0.05 + static_cast<double>(rng() % 1000) / 1000.0;
  std::vector<uint32_t> sizes;
  uint64_t total = 0;
  for (double w : weights) total += sizes.emplace_back(static_cast<uint32_t>(w / sum * static_cast<double>(kTotalBytes)));
  sizes.back() += static_cast<uint32_t>(kTotalBytes - total);
  return sizes;
}

void MakeTree() {
  std::string pattern = (access("/dev/shm", W_OK) == 0 ? std::string("/dev/shm") : fs::temp_directory_path().string()) +
                        "/bench-validation-XXXXXX";
  if (!mkdtemp(pattern.data())) std::abort();
  g_Root = pattern;
  fs::current_path(g_Root);
  std::mt19937_64 rng(11);
  const std::vector<uint32_t> sizes = Sizes(rng);
  CFVModuleHandler list;
  std::string status;
  std::vector<uint64_t> block;
  for (int m = 0; m < kModules; ++m) {
    const std::string module = "Game " + std::to_string(m);
    const std::string package = "modules/Game_" + std::to_string(m) + ".bos";
    const int32_t forced = m < kForcedModules;
    if (!list.AddModule(module.c_str(), "A table game", "game", package.c_str(), 1000000, 1, FVMODULE_NORMAL, forced))
      std::abort();
    status += "modstatus = \"" + module + "\", 1\n";
    for (int f = 0; f < kFilesPerModule; ++f) {
      const std::string name = FileName(m, f);
      const uint32_t size = sizes[static_cast<size_t>(m * kFilesPerModule + f)];
      block.resize(size / 8 + 1);
      for (uint64_t& v : block) v = rng();
      fs::create_directories(fs::path(name).parent_path());
      const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || write(fd, block.data(), size) != static_cast<ssize_t>(size) || close(fd) != 0) std::abort();
      uint32_t crc = 0;
      xCalcCRC(block.data(), size, &crc, XCRC_POLY);
      if (!list.AddNormalFile(module.c_str(), 1, name.c_str(), 1, crc, 1, size, 1, (name + ".zpk").c_str(), 1, crc ^ 1,
                              1, size / 2))
        std::abort();
      g_Files.push_back(g_Root + "/" + name);
    }
  }
  if (!list.WriteModuleList("srvmap.lst", 1) || !list.WriteModuleList("filemap.lst", 1)) std::abort();
  FILE* f = std::fopen(MODSTATUS_FILE, "w");
  if (!f || std::fputs(status.c_str(), f) < 0 || std::fclose(f) != 0) std::abort();
}

void RegisterDefaults() { FVersion_SetDefaultCallbacks(); }

void ZlibCrc32(benchmark::State& state) {
  std::vector<unsigned char> buffer(64 * 1024);
  for (auto _ : state) {
    uLong sum = 0;
    for (const std::string& name : g_Files) {
      const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) {
        state.SkipWithError("open");
        return;
      }
      uLong crc = crc32(0, nullptr, 0);
      for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;)
        crc = crc32(crc, buffer.data(), static_cast<uInt>(n));
      close(fd);
      sum += crc;
    }
    benchmark::DoNotOptimize(sum);
  }
}

void ValidationPass(benchmark::State& state) {
  for (auto _ : state)
    if (FVersion_ValidateFiles("srvmap.lst", "filemap.lst", 1, 0, 0, nullptr, 1) != 1) state.SkipWithError("pass");
}
}  // namespace

int main(int argc, char** argv) {
  RegisterDefaults();
  MakeTree();
  benchmark::RegisterBenchmark("validation/zlib_crc32", ZlibCrc32)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("validation/ostrel_pass", ValidationPass)->Unit(benchmark::kMillisecond)->UseRealTime();
  // The repetitions of the two cases take turns, so a change of the machine's load meets both.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  CRatioReporter reporter("zlib_crc32", "<= 1.5");
  const int result = xRunRatioBenchmarks(static_cast<int>(args.size()), args.data(), reporter);
  fs::current_path("/");
  std::error_code ignored;
  fs::remove_all(g_Root, ignored);
  return result;
}
