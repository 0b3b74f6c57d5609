#include "installfixture.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "common/updater/fversionbuild.h"
#include "common/updater/fversiondefaults.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "install/engine/bexception.h"
#include "ostrel/files/crc.h"
#include "ostrel/files/filehelpers.h"
#include "support/ftppeers.h"
#include "support/httppeers.h"
#include "ostrel/system/frameloop.h"
#include "platform/display/headless.h"
#include "support/installrelease.h"

namespace fs = std::filesystem;

namespace {
constexpr char kCanary[] = "canary: nothing outside the install folder is touched";

CTempDir& BuildFolder() {
  static CTempDir dir;
  return dir;
}
}  // namespace

const SBuiltRelease& BuiltRelease(int kind) {
  static std::map<int, SBuiltRelease> built;
  auto found = built.find(kind);
  if (found != built.end()) return found->second;
  FVersion_SetDefaultCallbacks();
  const std::string base = BuildFolder().File(kind ? "bos" : "zpk");
  WriteInstallRelease(base + "/release", true);
  SBuiltRelease release{base + "/server", base + "/target"};
  const int32_t ok = FVersion_BuildInstall((base + "/release/").c_str(), (release.m_Server + "/").c_str(),
                                           (release.m_Target + "/").c_str(), "modules.lst", "filemap.lst",
                                           "srvmap.lst", "modstatus.lst", kind);
  EXPECT_EQ(ok, 1) << "the release did not build";
  return built.emplace(kind, release).first->second;
}

const std::map<std::string, std::string>& ReleaseFiles() {
  static const std::map<std::string, std::string> files = [] {
    std::map<std::string, std::string> all = InstallReleaseFiles();
    for (const auto& [name, bytes] : InstallReleaseSecondGameFiles()) all[name] = bytes;
    return all;
  }();
  return files;
}

std::vector<std::string> ModuleFiles(const std::string& module) {
  if (module == "Black Jack") return {"kavo.so", "pictures/kavo/table.bmp"};
  if (module == "Roulette") return {"roulette.so", "pictures/roulette/wheel.bmp"};
  return {"casino", "libostrel.so", "xrs/mc_main.xrs"};
}

int CountOf(const std::vector<std::string>& lines, const std::string& text) {
  int n = 0;
  for (const std::string& line : lines) n += line.find(text) != std::string::npos;
  return n;
}

void InstallTest::SetUp() {
  FVersion_SetDefaultCallbacks();
  fs::create_directories(m_Install);
  WriteWholeFile(m_Dir.File("canary.txt"), kCanary);
  m_pWork = std::make_unique<CWorkingDir>(m_Install);
}

void InstallTest::TearDown() {
  m_pWork.reset();
  ExpectCanaryUntouched();
}

void InstallTest::ExpectCanaryUntouched() const {
  EXPECT_EQ(ReadWholeFile(m_Dir.File("canary.txt")), kCanary);
  std::vector<std::string> beside;
  for (const auto& entry : fs::directory_iterator(m_Dir.Path())) beside.push_back(entry.path().filename().string());
  std::sort(beside.begin(), beside.end());
  EXPECT_EQ(beside, (std::vector<std::string>{"canary.txt", "install"})) << "nothing is made beside the folder";
}

void InstallTest::UseServerList(int kind) {
  m_Kind = kind;
  fs::copy_file(BuiltRelease(kind).m_Server + "/filemap.lst", Local("srvmap.lst"), fs::copy_options::overwrite_existing);
  ASSERT_EQ(m_Handler.ReadModuleList("srvmap.lst", 1, kind), 1);
  CKCBLModStatus status;
  for (const char* game : {"Black Jack", "Roulette"}) status.SetFlagForThisModule(game, MODSTATUS_NOT_INSTALLED);
}

std::string InstallTest::Package(const std::string& module) const {
  std::string name = module;
  for (char& c : name)
    if (c == ' ') c = '_';
  return "modules/" + name + (m_Kind ? ".bos" : ".zpk");
}

uint32_t InstallTest::PackageSize(const std::string& module) const {
  uint32_t size = 0;
  xFileSize(ServerFile(Package(module)).c_str(), &size);
  return size;
}

uint32_t InstallTest::PackageCrc(const std::string& module) const {
  uint32_t crc = 0;
  xCalcFileCrc(ServerFile(Package(module)).c_str(), &crc, XCRC_POLY);
  return crc;
}

void InstallTest::Serve(const std::string& root) const {
  fs::copy(BuiltRelease(m_Kind).m_Server, root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void InstallTest::AddFtpSite(const CVsftpdPeer& peer) {
  m_Handler.AddFtpSite(("ftp://127.0.0.1:" + std::to_string(peer.Port())).c_str(), "anonymous", "guest", "", -1, -1);
}

void InstallTest::AddHttpSite(const CNginxPeer& peer) {
  m_Handler.AddFtpSite(("http://127.0.0.1:" + std::to_string(peer.Port())).c_str(), "", "", "/", -1, -1);
}

bool InstallTest::RunSet(BDownLoadPackedModule& set, int maxSteps) {
  for (int i = 0; i < maxSteps; ++i) {
    set.Step();
    if (!set.IsRunning()) return true;
    // The servers run in other processes: give them a moment between frames.
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return false;
}

std::string InstallTest::RunInstaller(BInstaller& installer, int maxSteps) {
  try {
    installer.Handler();
    for (int i = 0; i < maxSteps && installer.IsBusy(); ++i) {
      installer.Handler();
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  } catch (BException* e) {
    const std::string text = e->GetMessage();
    delete e;
    return text;
  }
  return installer.IsBusy() ? "still busy" : "";
}

GamestxtCFVModule InstallTest::Module(const std::string& name) {
  GamestxtCFVModule module;
  module.SetModName(name.c_str());
  if (m_Handler.FindModule(name.c_str())) {
    module.SetModPackedFileName(m_Handler.CurrModule_GetPackedFileName());
    module.SetModPackedFileSize(m_Handler.CurrModule_GetPackedFileSize());
    module.SetModPackedFileCRC(m_Handler.CurrModule_GetPackedFileCRC());
  }
  return module;
}

bool InstallTest::Installed(const std::string& module) const {
  for (const std::string& name : ModuleFiles(module))
    if (ReadWholeFile(Local(name)) != ReleaseFiles().at(name)) return false;
  return true;
}

CProgramRuntime::CProgramRuntime() {
  PlatformHeadless()->Reset();
  PlatformSetDisplay(PlatformHeadlessDisplay());
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  EXPECT_EQ(xCreateGlobals(), 1);
  EXPECT_EQ(xInit(), 1);
}

CProgramRuntime::~CProgramRuntime() {
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
  PlatformSetDisplay(nullptr);
}
