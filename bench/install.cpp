// The installer's engine on the staged client package (build/dist/modules/Casino.bos, the
// project's own built files): fetched from nginx and from vsftpd on loopback by the download set
// (stepped as the engine's download state steps it) and unpacked by the engine, each at a
// program's frame pacing (20 ms frames, the frame's wait
// the socket wait), beside curl fetching a zip of the same files, `unzip`, and `bzip2 -d` on a tar
// of them, in one run.
// Goals: download time at most 1.25x curl's (throughput at least 0.8x); unpacking (the engine's
// unpacking step, from the checked package to the installed files) at most the time of bzip2 -d;
// the whole (download and unpack) against curl + unzip is reported.
#include <spawn.h>
#include <sys/wait.h>

#include <benchmark/benchmark.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/updater/fversiondefaults.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/gamestxtmodule.h"
#include "downloadbench.h"
#include "install/engine/bexception.h"
#include "install/engine/installer.h"
#include "ostrel/files/archive.h"
#include "ostrel/files/crc.h"
#include "ratioreporter.h"
#include "support/ftppeers.h"
#include "support/httppeers.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace {
constexpr char kPackage[] = "modules/Casino.bos";

// A program run to its end, in folder; true when it exits with 0.
bool Run(const std::vector<std::string>& args, const std::string& folder) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  const int r = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct SSetup {
  SSetup() {
    FVersion_SetDefaultCallbacks();
    const std::string staged = std::string(VORRIN_DIST_DIR) + "/" + kPackage;
    if (!xFileSize(staged.c_str(), &m_Size) || !xCalcFileCrc(staged.c_str(), &m_Crc, XCRC_POLY)) return;
    m_Package = ReadWholeFile(staged);
    // The same files as a zip and as a bzip2-packed tar.
    const std::string files = m_Data.File("files");
    fs::create_directories(files);
    CArchive archive;
    if (!archive.ExtractArchive(staged.c_str(), files.c_str(), 0)) return;
    for (const auto& e : fs::recursive_directory_iterator(files))
      if (e.is_regular_file()) m_Unpacked += e.file_size();
    if (!Run({"zip", "-q", "-r", m_Data.File("casino.zip"), "."}, files) ||
        !Run({"tar", "-cf", m_Data.File("casino.tar"), "."}, files) ||
        !Run({"bzip2", "-f", "-9", m_Data.File("casino.tar")}, m_Data.Path()))
      return;
    m_HttpUp = m_Nginx.Start();
    m_FtpUp = m_Vsftpd.Start();
    for (const std::string& root : {m_Nginx.Www(), m_Vsftpd.Root()}) {
      fs::create_directories(root + "/modules");
      fs::copy_file(staged, root + "/" + kPackage);
      fs::copy_file(m_Data.File("casino.zip"), root + "/casino.zip");
    }
    m_Ready = true;
  }
  std::string Url(const char* name) const { return "http://127.0.0.1:" + std::to_string(m_Nginx.Port()) + "/" + name; }

  CTempDir m_Data;
  CNginxPeer m_Nginx;
  CVsftpdPeer m_Vsftpd;
  std::string m_Package;
  uint32_t m_Size = 0, m_Crc = 0;
  uint64_t m_Unpacked = 0;
  bool m_Ready = false, m_HttpUp = false, m_FtpUp = false;
};
std::unique_ptr<SSetup> g_pSetup;

// An install folder as the working folder, with the package's module in a list that names one
// site.
class CInstallFolder {
 public:
  explicit CInstallFolder(const std::string& site) : m_Work(m_Dir.Path()) {
    m_Handler.AddModule("Casino", "The client", "client", kPackage, static_cast<int32_t>(g_pSetup->m_Size),
                        g_pSetup->m_Crc, FVMODULE_NORMAL, 1);
    if (!site.empty()) m_Handler.AddFtpSite(site.c_str(), "anonymous", "guest", site[0] == 'h' ? "/" : "", -1, -1);
    m_Module.SetModName("Casino");
    m_Module.SetModPackedFileName(kPackage);
  }
  void Clear() {
    for (const auto& e : fs::directory_iterator(m_Dir.Path())) fs::remove_all(e.path());
  }
  void PutPackage() {
    fs::create_directories("modules");
    WriteWholeFile(kPackage, g_pSetup->m_Package);
  }

  CTempDir m_Dir;
  CWorkingDir m_Work;
  CFVModuleHandler m_Handler;
  GamestxtCFVModule m_Module;
};

// One step and one frame; false when the step threw.
bool RunEngineStep(BInstaller& installer) {
  try {
    installer.Handler();
    xHandler();
  } catch (BException* e) {
    delete e;
    return false;
  }
  return true;
}

// The engine as the main dialog steps it: once a frame until it is idle.
bool RunEngine(BInstaller& installer) {
  try {
    do {
      installer.Handler();
      xHandler();
    } while (installer.IsBusy());
  } catch (BException* e) {
    delete e;
    return false;
  }
  return true;
}

void Fetch(benchmark::State& state, bool ftp) {
  if (!g_pSetup->m_Ready || !(ftp ? g_pSetup->m_FtpUp : g_pSetup->m_HttpUp))
    return state.SkipWithError("the set-up failed");
  CBenchRuntime runtime;
  const uint16_t port = ftp ? g_pSetup->m_Vsftpd.Port() : g_pSetup->m_Nginx.Port();
  CInstallFolder folder((ftp ? "ftp://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port));
  int64_t frames = 0;
  for (auto _ : state) {
    state.PauseTiming();
    folder.Clear();
    state.ResumeTiming();
    BDownLoadPackedModule set(&folder.m_Handler);
    set.AddModule("Casino");
    // As the engine's download state steps it: twice a frame.
    do {
      set.Step();
      set.Step();
      xHandler();
      ++frames;
    } while (set.IsRunning());
    if (set.GetState() != BDOWNLOAD_FINISHED) return state.SkipWithError("the package did not arrive");
  }
  state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kAvgIterations);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * g_pSetup->m_Size);
}

void FetchCurl(benchmark::State& state) {
  if (!g_pSetup->m_Ready) return state.SkipWithError("the set-up failed");
  CTempDir out;
  for (auto _ : state)
    if (!Run({"curl", "-s", "-o", out.File("Casino.bos"), g_pSetup->Url(kPackage)}, out.Path()))
      return state.SkipWithError("curl failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * g_pSetup->m_Size);
}

void UnpackEngine(benchmark::State& state) {
  if (!g_pSetup->m_Ready) return state.SkipWithError("the set-up failed");
  CBenchRuntime runtime;
  CInstallFolder folder("");
  for (auto _ : state) {
    // Up to the unpacking (the package found in place and checked) untimed.
    state.PauseTiming();
    folder.Clear();
    folder.PutPackage();
    BInstaller installer(&folder.m_Handler, BINSTALLER_NO_SOURCE);
    installer.AddDownloadModule(&folder.m_Module);
    while (installer.GetState() != BINSTALLER_UNPACK && RunEngineStep(installer)) {
    }
    state.ResumeTiming();
    if (!RunEngine(installer) || !xFileExists("libostrel.so")) return state.SkipWithError("the package did not unpack");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_pSetup->m_Unpacked));
}

void UnpackBzip2(benchmark::State& state) {
  if (!g_pSetup->m_Ready) return state.SkipWithError("the set-up failed");
  for (auto _ : state)
    if (!Run({"bzip2", "-d", "-k", "-f", g_pSetup->m_Data.File("casino.tar.bz2")}, g_pSetup->m_Data.Path()))
      return state.SkipWithError("bzip2 failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_pSetup->m_Unpacked));
}

void WholeEngine(benchmark::State& state) {
  if (!g_pSetup->m_Ready || !g_pSetup->m_HttpUp) return state.SkipWithError("the set-up failed");
  CBenchRuntime runtime;
  CInstallFolder folder("http://127.0.0.1:" + std::to_string(g_pSetup->m_Nginx.Port()));
  for (auto _ : state) {
    state.PauseTiming();
    folder.Clear();
    state.ResumeTiming();
    BInstaller installer(&folder.m_Handler, BINSTALLER_NO_SOURCE);
    installer.AddDownloadModule(&folder.m_Module);
    if (!RunEngine(installer) || !xFileExists("libostrel.so")) return state.SkipWithError("the package did not install");
  }
}

void WholeCurlUnzip(benchmark::State& state) {
  if (!g_pSetup->m_Ready) return state.SkipWithError("the set-up failed");
  CTempDir out;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(out.File("files"));
    state.ResumeTiming();
    if (!Run({"curl", "-s", "-o", out.File("casino.zip"), g_pSetup->Url("casino.zip")}, out.Path()) ||
        !Run({"unzip", "-q", "-o", "-d", out.File("files"), out.File("casino.zip")}, out.Path()))
      return state.SkipWithError("curl or unzip failed");
  }
}
}  // namespace

int main(int argc, char** argv) {
  g_pSetup = std::make_unique<SSetup>();
  for (auto* b : {benchmark::RegisterBenchmark("Fetch/curl", FetchCurl),
                  benchmark::RegisterBenchmark("Fetch/ostrel_http", Fetch, false),
                  benchmark::RegisterBenchmark("Fetch/ostrel_ftp", Fetch, true),
                  benchmark::RegisterBenchmark("Unpack/bzip2", UnpackBzip2),
                  benchmark::RegisterBenchmark("Unpack/ostrel", UnpackEngine),
                  benchmark::RegisterBenchmark("Whole/curl_unzip", WholeCurlUnzip),
                  benchmark::RegisterBenchmark("Whole/ostrel", WholeEngine)})
    b->Unit(benchmark::kMillisecond)->UseRealTime();
  std::printf("package %u bytes, %llu bytes unpacked\n", g_pSetup->m_Size,
              static_cast<unsigned long long>(g_pSetup->m_Unpacked));
  CRatioReporter reporter("curl", "<= 1.25: at least 0.8x curl's throughput");
  reporter.AddBaseline("bzip2", "<= 1");
  reporter.AddBaseline("curl_unzip", "none, reported");
  const int result = xRunRatioBenchmarks(argc, argv, reporter);
  g_pSetup.reset();
  return result;
}
