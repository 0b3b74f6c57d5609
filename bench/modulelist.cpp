// The module list of an installation of 10,000 files in the full form: ReadModuleList and
// WriteModuleList beside the KCBL load and save of the same file, which every read and write
// includes. The goal is within 3x of the plain KCBL file work. The files live on /dev/shm where
// there is one, so the atomic save's sync does not drown the work measured. Each case runs five
// times (unless the command line says otherwise); the ratios are of the medians. The machine's
// load is printed before and after.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fvmodulehandler.h"
#include "ostrel/kcbl/kcbl.h"
#include "ratioreporter.h"

namespace {
constexpr int kNormalModules = 50;
constexpr int kFilesPerModule = 190;
constexpr int kSharedFiles = 500;  // 50 x 190 + 500 = 10,000 files

std::string Folder() {
  static const std::string folder = [] {
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/bench-modulelist-XXXXXX" : "/tmp/bench-modulelist-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }();
  return folder;
}
std::string ListFile() { return Folder() + "/srvmap.lst"; }
std::string OutFile() { return Folder() + "/out.lst"; }

// Game modules of scripts, pictures and libraries that share 500 files of one INDIRECT module.
void MakeList() {
  std::mt19937 rng(7);
  CFVModuleHandler h;
  auto file = [&](const std::string& module, const std::string& name) {
    if (!h.AddNormalFile(module.c_str(), 1, name.c_str(), 1, rng(), 1, rng() % 2000000, 1, (name + ".zpk").c_str(), 1,
                         rng(), 1, rng() % 1000000))
      std::abort();
  };
  h.AddModule("Shared", "Scripts, fonts and sounds every module reads", "shared", nullptr, -1, 0, 2, 0);
  for (int s = 0; s < kSharedFiles; ++s) file("Shared", "shared/sounds/effect_" + std::to_string(s) + ".wav");
  const char* kinds[] = {"xrs/dialog_", "pictures/table_", "pictures/chips/chip_", "sounds/voice_"};
  for (int m = 0; m < kNormalModules; ++m) {
    const std::string module = "Game module " + std::to_string(m);
    h.AddModule(module.c_str(), "A table game of the casino", "game",
                ("modules/Game_module_" + std::to_string(m) + ".bos").c_str(), 4000000 + m, rng(), 1, m % 3 == 0);
    file(module, "game" + std::to_string(m) + ".so");
    for (int f = 1; f < kFilesPerModule; ++f)
      file(module, "games/game" + std::to_string(m) + "/" + kinds[f % 4] + std::to_string(f) + ".dat");
    for (int s = 0; s < kSharedFiles / kNormalModules; ++s)
      h.AddIndirectFile(module.c_str(), ("shared/sounds/effect_" + std::to_string(m * 10 + s) + ".wav").c_str());
  }
  h.AddRestartFile("casino", "casino.new", 1);
  h.AddFtpSite("ftp.example.net", "anonymous", "guest@", "/pub/casino", 30, 60);
  if (h.GetNumNormalFiles() != 10000 || !h.WriteModuleList(ListFile().c_str(), 1)) std::abort();
}

void ReadKcbl(benchmark::State& state) {
  for (auto _ : state) {
    CKCBL k;
    if (!k.Load(ListFile().c_str())) state.SkipWithError("load");
  }
}

void ReadModuleList(benchmark::State& state) {
  for (auto _ : state) {
    CFVModuleHandler h;
    if (!h.ReadModuleList(ListFile().c_str(), 1, 1)) state.SkipWithError("read");
  }
}

void SaveKcbl(benchmark::State& state) {
  CKCBL k;
  if (!k.Load(ListFile().c_str())) state.SkipWithError("load");
  for (auto _ : state)
    if (!k.Save(OutFile().c_str())) state.SkipWithError("save");
}

void WriteModuleList(benchmark::State& state) {
  CFVModuleHandler h;
  if (!h.ReadModuleList(ListFile().c_str(), 1, 1)) state.SkipWithError("read");
  for (auto _ : state)
    if (!h.WriteModuleList(OutFile().c_str(), 1)) state.SkipWithError("write");
}

void PrintLoad(const char* when) {
  std::ifstream in("/proc/loadavg");
  std::string load;
  std::getline(in, load);
  std::printf("load %s: %s\n", when, load.c_str());
}
}  // namespace

int main(int argc, char** argv) {
  FVersion_SetQuietCallbacks();
  MakeList();
  using TCase = std::pair<const char*, void (*)(benchmark::State&)>;
  for (const TCase& c : {TCase{"read/kcbl", ReadKcbl}, TCase{"read/ostrel_modulelist", ReadModuleList},
                         TCase{"write/kcbl", SaveKcbl}, TCase{"write/ostrel_modulelist", WriteModuleList}})
    benchmark::RegisterBenchmark(c.first, c.second)->Unit(benchmark::kMillisecond);
  // Five repetitions unless the command line asks otherwise (a later flag wins).
  std::vector<char*> args(argv, argv + argc);
  char repetitions[] = "--benchmark_repetitions=5";
  char aggregates[] = "--benchmark_report_aggregates_only=true";
  args.insert(args.begin() + 1, {repetitions, aggregates});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  PrintLoad("before");
  CRatioReporter reporter("kcbl", "<= 3.0");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintLoad("after");
  benchmark::Shutdown();
  std::remove(ListFile().c_str());
  std::remove(OutFile().c_str());
  rmdir(Folder().c_str());
  return 0;
}
