// The installer's engine in a sandbox: a release built once per test program by the install
// builder (both package kinds), its server files served by real peers on 127.0.0.1, and a fresh
// install folder (the working folder) with a canary file beside it that nothing may touch.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/updater/fvmodulehandler.h"
#include "install/engine/downloadpackedmodule.h"
#include "install/engine/installer.h"
#include "support/tempdir.h"

class CNginxPeer;
class CVsftpdPeer;
class CPyFtpPeer;

// Package kinds of the builder: 1 ".bos" (the block compressor), 0 ".zpk" (LZSS).
inline constexpr int kBos = 1;
inline constexpr int kZpk = 0;

// What the builder made of the release for one package kind.
struct SBuiltRelease {
  std::string m_Server;  // packages under modules/, per-file packs, the lists
  std::string m_Target;  // the plain files as installed, the lists, the status file
};
const SBuiltRelease& BuiltRelease(int kind);
// Every release file, both games included, by name.
const std::map<std::string, std::string>& ReleaseFiles();
// The files of a module as the release has them ("Black Jack", "Roulette", "Client").
std::vector<std::string> ModuleFiles(const std::string& module);

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // "srvmap.lst" of the kind into the install folder and the handler, with every game at status 0.
  void UseServerList(int kind = kBos);
  // A package of the server as the handler names it: "modules/Black_Jack.bos".
  std::string Package(const std::string& module) const;
  std::string ServerFile(const std::string& name) const { return BuiltRelease(m_Kind).m_Server + "/" + name; }
  uint32_t PackageSize(const std::string& module) const;
  uint32_t PackageCrc(const std::string& module) const;
  // Every file of the server's folder copied below root.
  void Serve(const std::string& root) const;
  void AddFtpSite(const CVsftpdPeer& peer);
  void AddHttpSite(const CNginxPeer& peer);
  // Steps until the set no longer runs (false when it still runs after maxSteps).
  bool RunSet(BDownLoadPackedModule& set, int maxSteps = 200000);
  // Steps until the engine is idle; the text of what it threw, "" when nothing.
  std::string RunInstaller(BInstaller& installer, int maxSteps = 200000);
  // The module of the games list as the engine takes it, from the handler.
  GamestxtCFVModule Module(const std::string& name);
  std::string Local(const std::string& name) const { return m_Dir.File("install/" + name); }
  // 1 when every file of the module is installed as the release has it.
  bool Installed(const std::string& module) const;
  void ExpectCanaryUntouched() const;

  CTempDir m_Dir;
  std::string m_Install = m_Dir.File("install");
  int m_Kind = kBos;
  CFVModuleHandler m_Handler;

 private:
  std::unique_ptr<CWorkingDir> m_pWork;
};

// A program's globals and loop on the headless display, on the system clock (the servers are real
// and so are their time-outs), for as long as it lives.
class CProgramRuntime {
 public:
  CProgramRuntime();
  ~CProgramRuntime();
  CProgramRuntime(const CProgramRuntime&) = delete;
  CProgramRuntime& operator=(const CProgramRuntime&) = delete;
};

// The lines of a peer's log that hold text.
int CountOf(const std::vector<std::string>& lines, const std::string& text);
