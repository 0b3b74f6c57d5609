// The hand-over of a list of games: by status, whole modules or the files that changed, statuses
// turned on the file as it stands, the display, one step, the game list and (2, 0); a program
// that holds the status lock delays the change, and what it writes meanwhile survives.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "install/engine/gamehandover.h"
#include "installfixture.h"
#include "support/httppeers.h"
#include "support/spawnedchild.h"

namespace fs = std::filesystem;

namespace {
class CRecordingHost : public IBHandOverHost {
 public:
  explicit CRecordingHost(BInstaller& installer) : m_Installer(installer) {}
  void RefreshDisplay() override { m_Calls.push_back("display " + std::to_string(m_Installer.GetState())); }
  void RefreshGameList() override { m_Calls.push_back("game list " + std::to_string(m_Installer.GetState())); }
  void SendToClient(int32_t command, intptr_t value) override {
    m_Calls.push_back("send " + std::to_string(command) + " " + std::to_string(value));
  }
  BInstaller& m_Installer;
  std::vector<std::string> m_Calls;
};

using TStatuses = std::vector<std::pair<std::string, int32_t>>;

TStatuses Statuses(const std::vector<std::string>& names) {
  CKCBLModStatus status;
  status.LoadFile();
  TStatuses all;
  for (const std::string& name : names) all.emplace_back(name, status.GetFlagForThisModule(name.c_str()));
  return all;
}

class InstallHandOverTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    UseServerList();
  }
  // A games list over the server's module list, and the chosen games as copies of its entries.
  void Choose(const std::vector<std::string>& names) {
    ASSERT_EQ(m_Games.ReadGames(&m_Handler, 1), 1);
    for (const std::string& name : names) {
      const GamestxtCFVModule* game = m_Games.Find(name.c_str());
      ASSERT_NE(game, nullptr) << name;
      m_List.Add(new GamestxtCFVModule(*game));
    }
  }
  void SetStatuses(const TStatuses& statuses) {
    fs::remove(MODSTATUS_FILE);
    CKCBLModStatus status;
    for (const auto& [name, value] : statuses) status.SetFlagForThisModule(name.c_str(), value);
  }

  CGames m_Games, m_List;
};

// The requests nginx served, in order.
std::vector<std::string> Requests(const CNginxPeer& nginx) {
  std::vector<std::string> requests;
  for (const std::string& line : nginx.AccessLog()) {
    const size_t get = line.find("GET ");
    if (get != std::string::npos) requests.push_back(line.substr(get + 4, line.find(' ', get + 4) - get - 4));
  }
  return requests;
}
}  // namespace

TEST_F(InstallHandOverTest, ModulesOrChangedFilesByStatus) {
  CNginxPeer nginx;
  ASSERT_TRUE(nginx.Start());
  Serve(nginx.Www());
  AddHttpSite(nginx);
  // Roulette is installed with files to update: its library as released, its wheel changed.
  WriteWholeFile(Local("roulette.so"), ReleaseFiles().at("roulette.so"));
  fs::create_directories(Local("pictures/roulette"));
  WriteWholeFile(Local("pictures/roulette/wheel.bmp"), "BM changed");
  SetStatuses({{"Client", 1}, {"Black Jack", 0}, {"Roulette", 2}});
  Choose({"Client", "Black Jack", "Roulette"});
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  // Whatever the engine held is dropped first.
  const GamestxtCFVModule* stale = m_Games.Find("Client");
  ASSERT_EQ(installer.AddDeleteModule(stale), 1);
  CRecordingHost host(installer);
  BHandOverGames(installer, m_Games, m_List, host);
  EXPECT_EQ(host.m_Calls, (std::vector<std::string>{"display 1", "game list 2", "send 2 0"}))
      << "one step of the engine between the display and the game list";
  EXPECT_EQ(Statuses({"Client", "Black Jack", "Roulette"}), (TStatuses{{"Client", 1}, {"Black Jack", 3}, {"Roulette", 4}}));
  EXPECT_EQ(RunInstaller(installer), "");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_TRUE(Installed("Roulette"));
  EXPECT_EQ(ReadWholeFile(Local("casino")), "") << "the client was not touched: its delete was dropped";
  EXPECT_EQ(Requests(nginx), (std::vector<std::string>{"/" + Package("Black Jack"),
                                                       "/pictures/roulette/wheel.bmp.bos"}));

  // Asked again while asked already (3 and 4), a file missing: work, but no change of status; with
  // nothing to update, nothing at all.
  fs::remove(Local("pictures/roulette/wheel.bmp"));
  for (const std::string& name : ModuleFiles("Black Jack")) fs::remove(Local(name));
  SetStatuses({{"Client", 1}, {"Black Jack", 3}, {"Roulette", 4}});
  BHandOverGames(installer, m_Games, m_List, host);
  EXPECT_EQ(RunInstaller(installer), "");
  EXPECT_TRUE(Installed("Black Jack"));
  EXPECT_TRUE(Installed("Roulette"));
  EXPECT_EQ(Statuses({"Black Jack", "Roulette"}), (TStatuses{{"Black Jack", 3}, {"Roulette", 4}}));
  EXPECT_EQ(Requests(nginx).size(), 4u);
  SetStatuses({{"Client", 1}, {"Black Jack", 1}, {"Roulette", 2}});
  BHandOverGames(installer, m_Games, m_List, host);
  EXPECT_EQ(installer.GetState(), BINSTALLER_IDLE) << "nothing to do";
  EXPECT_EQ(Statuses({"Roulette"}), (TStatuses{{"Roulette", 2}})) << "no file differs: no request";
}

// A program holding the status lock delays the hand-over's change; what it writes meanwhile (the
// game installed by another way) is the status the change is decided on.
TEST_F(InstallHandOverTest, TheChangeWaitsForTheLockAndKeepsWhatWasWrittenMeanwhile) {
  SetStatuses({{"Black Jack", 0}, {"Roulette", 0}});
  Choose({"Black Jack", "Roulette"});
  CSpawnedChild holder;
  ASSERT_TRUE(holder.Start({"mutex-hold-write", "Vorrin_modstatus", m_Install + "/" + MODSTATUS_FILE}));
  ASSERT_EQ(holder.ReadLine().rfind("held", 0), 0u);
  constexpr int kHoldMs = 400;
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
    holder.Write("modstatus = \"Black Jack\", 1\nmodstatus = \"Roulette\", 0\nmodstatus = \"Slots\", 2\n");
    holder.CloseInput();
  });
  BInstaller installer(&m_Handler, BINSTALLER_NO_SOURCE);
  CRecordingHost host(installer);
  const auto start = std::chrono::steady_clock::now();
  BHandOverGames(installer, m_Games, m_List, host);
  const auto waited = std::chrono::steady_clock::now() - start;
  writer.join();
  EXPECT_EQ(holder.ReadLine(), "written 1");
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_GE(waited, std::chrono::milliseconds(kHoldMs - 50));
  EXPECT_EQ(Statuses({"Black Jack", "Roulette", "Slots"}),
            (TStatuses{{"Black Jack", 1}, {"Roulette", 3}, {"Slots", 2}}));
}
