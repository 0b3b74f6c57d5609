// The module status file: exact names, statuses that are not numbers, unknown modules added and
// written at once, changes that keep what another process wrote meanwhile, and the queries over a
// games list.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "support/tempdir.h"
#include "updatertest.h"

namespace {
class ModStatus : public ::testing::Test {
 protected:
  void Use(const std::string& fixture) {
    std::filesystem::copy_file(std::string(VORRIN_TEST_DATA_DIR) + "/games/" + fixture, m_Dir.File(MODSTATUS_FILE));
  }
  std::string File() const { return ReadWholeFile(m_Dir.File(MODSTATUS_FILE)); }
  // The file as another program reads it: name -> status, in file order.
  std::vector<std::pair<std::string, int32_t>> OnDisk() const {
    CKCBLModStatus other;
    std::vector<std::pair<std::string, int32_t>> items;
    if (!other.LoadFile()) return items;
    other.MainChunk();
    for (int32_t more = other.FirstItem(); more; more = other.NextItem(0)) {
      if (other.IsComment()) continue;
      int32_t status = -99;
      other.GetLong(1, &status);
      items.emplace_back(other.GetString(0), status);
    }
    return items;
  }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
};

using TItems = std::vector<std::pair<std::string, int32_t>>;
}  // namespace

TEST_F(ModStatus, StatusesByExactNameAndValuesThatAreNoNumbers) {
  Use("status/modstatus.lst");
  CKCBLModStatus s;
  ASSERT_EQ(s.LoadFile(), 1);
  const std::string before = File();
  const struct {
    const char* m_pName;
    int32_t m_Status;
  } cases[] = {
      {"Blackjack", 1}, {"blackjack", 2}, {"Roulette", 4},
      {"Poker", -1},  // "abc"
      {"Keno", -1},   // no status at all
      {"Bingo", 3},   // read as a number is read: blanks first are skipped
  };
  for (const auto& c : cases) EXPECT_EQ(s.GetFlagForThisModule(c.m_pName), c.m_Status) << c.m_pName;
  EXPECT_EQ(File(), before) << "known modules are only read";
  EXPECT_EQ(s.GetFlagForThisModule(nullptr), MODSTATUS_INVALID);
}

TEST_F(ModStatus, AnUnknownModuleIsAddedWithZeroAndWrittenAtOnceOverAReadOnlyFile) {
  Use("status/modstatus.lst");
  ASSERT_EQ(chmod(MODSTATUS_FILE, 0444), 0);
  CKCBLModStatus s;
  ASSERT_EQ(s.LoadFile(), 1);
  EXPECT_EQ(s.GetFlagForThisModule("BLACKJACK"), 0) << "a third spelling is a third module";
  const TItems disk = OnDisk();
  ASSERT_EQ(disk.size(), 7u);
  EXPECT_EQ(disk.back(), (std::pair<std::string, int32_t>("BLACKJACK", 0)));
  EXPECT_EQ(disk[0], (std::pair<std::string, int32_t>("Blackjack", 1)));
  EXPECT_EQ(s.GetFlagForThisModule("BLACKJACK"), 0);
  EXPECT_EQ(OnDisk().size(), 7u) << "added once";
  struct stat st {};
  ASSERT_EQ(stat(MODSTATUS_FILE, &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
}

TEST_F(ModStatus, WithoutAFileTheFirstQuestionWritesIt) {
  CKCBLModStatus s;
  EXPECT_EQ(s.LoadFile(), 0);
  EXPECT_EQ(s.GetFlagForThisModule("Blackjack"), 0);
  EXPECT_EQ(OnDisk(), (TItems{{"Blackjack", 0}}));
}

TEST_F(ModStatus, SetAppendsAndReplacesInPlace) {
  Use("status/modstatus.lst");
  CKCBLModStatus s;
  ASSERT_EQ(s.LoadFile(), 1);
  EXPECT_EQ(s.SetFlagForThisModule("Craps", 3), 1);
  EXPECT_EQ(s.SetFlagForThisModule("blackjack", 4), 1);
  EXPECT_EQ(s.SetFlagForThisModule("Poker", 1), 1);
  EXPECT_EQ(OnDisk(), (TItems{{"Blackjack", 1},
                              {"blackjack", 4},
                              {"Roulette", 4},
                              {"Poker", 1},
                              {"Keno", -99},
                              {"Bingo", 3},
                              {"Craps", 3}}));
  EXPECT_EQ(s.GetFlagForThisModule("blackjack"), 4);
  EXPECT_EQ(s.GetFlagForThisModule("Craps"), 3);
  EXPECT_EQ(s.SetFlagForThisModule(nullptr, 1), 0);
}

TEST_F(ModStatus, AStatusAnotherProcessWroteBetweenLoadAndChangeSurvives) {
  Use("status/modstatus.lst");
  CKCBLModStatus client;
  ASSERT_EQ(client.LoadFile(), 1);
  // The installer, meanwhile, in a process of its own.
  ASSERT_TRUE(InChild([] {
    CKCBLModStatus installer;
    if (!installer.LoadFile()) return 1;
    return installer.SetFlagForThisModule("Roulette", 1) && installer.SetFlagForThisModule("Craps", 1) ? 0 : 2;
  }));
  ASSERT_EQ(client.SetFlagForThisModule("Blackjack", 4), 1);
  const TItems disk = OnDisk();
  EXPECT_EQ(disk, (TItems{{"Blackjack", 4},
                          {"blackjack", 2},
                          {"Roulette", 1},
                          {"Poker", -99},
                          {"Keno", -99},
                          {"Bingo", 3},
                          {"Craps", 1}}));
  EXPECT_EQ(client.GetFlagForThisModule("Craps"), 1) << "the change took the file as it stood";
  // A module that the other process added is not added a second time by a question.
  ASSERT_TRUE(InChild([] {
    CKCBLModStatus installer;
    return installer.LoadFile() && installer.SetFlagForThisModule("Slots", 2) ? 0 : 1;
  }));
  EXPECT_EQ(client.GetFlagForThisModule("Slots"), 2);
  EXPECT_EQ(OnDisk().size(), 8u);
}

TEST_F(ModStatus, ProcessesChangingAtOnceLoseNothing) {
  CKCBLModStatus start;
  ASSERT_EQ(start.SetFlagForThisModule("Start", 1), 1);
  constexpr int kWriters = 3, kEach = 25;
  std::vector<pid_t> pids;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    if (pid == 0) {
      CKCBLModStatus s;
      s.LoadFile();
      int failed = 0;
      for (int i = 0; i < kEach; ++i)
        failed |= !s.SetFlagForThisModule(("W" + std::to_string(w) + "_" + std::to_string(i)).c_str(), w + 1);
      _exit(failed);
    }
    pids.push_back(pid);
  }
  for (pid_t pid : pids) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const TItems disk = OnDisk();
  EXPECT_EQ(disk.size(), 1u + kWriters * kEach);
  CKCBLModStatus s;
  ASSERT_EQ(s.LoadFile(), 1);
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kEach; ++i)
      EXPECT_EQ(s.GetFlagForThisModule(("W" + std::to_string(w) + "_" + std::to_string(i)).c_str()), w + 1);
}

namespace {
// A games list of entries given as (name or null, forced); they are given orders in list order so
// the list keeps them as written (forced ones must come first).
void Fill(CGames& games, const std::vector<std::pair<const char*, bool>>& entries) {
  int32_t order = 1;
  for (const auto& [name, forced] : entries) {
    auto* game = new GamestxtCFVModule;
    if (name) game->SetModName(name);
    game->SetModForcedDownload(forced ? 1 : 0);
    game->SetOrder(order++);
    game->SetGameid(order * 1000);
    ASSERT_EQ(games.Add(game), 1);
  }
}
}  // namespace

TEST_F(ModStatus, QueriesOverAGamesListStopAtTheFirstEntryWithoutAModule) {
  WriteWholeFile(MODSTATUS_FILE,
                 "modstatus = \"Forced4\", 4\nmodstatus = \"Forced0\", 0\nmodstatus = \"Plain0\", 0\n"
                 "modstatus = \"Plain1\", 1\nmodstatus = \"Plain2\", 2\nmodstatus = \"Bad\", x\n");
  const struct {
    const char* m_pWhy;
    std::vector<std::pair<const char*, bool>> m_Entries;
    int32_t m_AllForced, m_All, m_One;
    const char* m_pNotInstalled;
  } cases[] = {
      {"a forced module asked for update counts as installed", {{"Forced4", true}, {"Plain1", false}}, 1, 1, 1, nullptr},
      {"a forced module not installed", {{"Forced4", true}, {"Forced0", true}, {"Plain1", false}}, 0, 0, 0, "Forced0"},
      {"one plain game installed", {{"Plain0", false}, {"Plain2", false}}, 1, 0, 1, "Plain0"},
      {"no game installed", {{"Forced4", true}, {"Plain0", false}}, 1, 0, 0, "Plain0"},
      {"a status that is no number counts as installed", {{"Bad", false}}, 1, 1, 1, nullptr},
      {"the walk stops at an entry without a module",
       {{"Forced4", true}, {"Plain1", false}, {nullptr, false}, {"Plain0", false}},
       1, 1, 1, nullptr},
      {"an empty list", {}, 1, 1, 0, nullptr},
      {"an unknown module is not installed", {{"New", false}}, 1, 0, 0, "New"},
  };
  for (const auto& c : cases) {
    CGames games;
    Fill(games, c.m_Entries);
    CKCBLModStatus s;
    ASSERT_EQ(s.LoadFile(), 1);
    EXPECT_EQ(s.bAllForcedModuleIsInstalled(&games), c.m_AllForced) << c.m_pWhy;
    EXPECT_EQ(s.bAllGameIsInstalled(&games), c.m_All) << c.m_pWhy;
    EXPECT_EQ(s.bOneGameIsInstalled(&games), c.m_One) << c.m_pWhy;
    GamestxtCFVModule* missing = s.pGetNotInstalled(&games);
    EXPECT_STREQ(missing ? missing->GetModName() : nullptr, c.m_pNotInstalled) << c.m_pWhy;
  }
  CKCBLModStatus s;
  EXPECT_EQ(s.bAllGameIsInstalled(nullptr), 1);
  EXPECT_EQ(s.pGetNotInstalled(nullptr), nullptr);
}

// A change that depends on the status is decided on the file as it stands: equal, other, unlisted
// and unreadable statuses, a missing file and an empty one.
TEST_F(ModStatus, ChangeFlagIfDecidesOnTheFileAsItStands) {
  const TItems start = {{"Blackjack", 1}, {"blackjack", 2}, {"Roulette", 4}, {"Poker", -99},
                        {"Keno", -99},    {"Bingo", 3}};
  const struct {
    const char* m_pName;
    int32_t m_From, m_To, m_Answer;
  } cases[] = {
      {"blackjack", 2, 4, 1},  // equal to from
      {"Roulette", 4, 2, 1},   {"Bingo", 3, 0, 1},
      {"Blackjack", 0, 3, 0},  // another status
      {"Roulette", 2, 4, 0},   {"BLACKJACK", 1, 4, 0},  // another spelling is unlisted: 0
      {"Craps", 0, 3, 1},      // unlisted counts as 0: appended
      {"Slots", 2, 4, 0},      {"Poker", 0, 3, 0},      // not a number
      {"Keno", 0, 3, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.m_pName);
    Use("status/modstatus.lst");
    CKCBLModStatus s;
    ASSERT_EQ(s.LoadFile(), 1);
    const std::string before = File();
    EXPECT_EQ(s.ChangeFlagIf(c.m_pName, c.m_From, c.m_To), c.m_Answer);
    TItems want = start;
    if (c.m_Answer) {
      auto it = std::find_if(want.begin(), want.end(), [&](const auto& i) { return i.first == c.m_pName; });
      if (it == want.end()) want.emplace_back(c.m_pName, c.m_To);
      else it->second = c.m_To;
      EXPECT_EQ(s.GetFlagForThisModule(c.m_pName), c.m_To);
    } else {
      EXPECT_EQ(File(), before) << "nothing written";
    }
    EXPECT_EQ(OnDisk(), want);
    std::filesystem::remove(MODSTATUS_FILE);
  }
  CKCBLModStatus none;
  EXPECT_EQ(none.ChangeFlagIf("Craps", 0, 3), 0);
  EXPECT_FALSE(std::filesystem::exists(MODSTATUS_FILE)) << "a missing file is not made";
  EXPECT_EQ(none.ChangeFlagIf(nullptr, 0, 3), 0);
  WriteWholeFile(MODSTATUS_FILE, "");
  EXPECT_EQ(none.ChangeFlagIf("Craps", 0, 3), 1) << "an empty file lists nothing";
  EXPECT_EQ(OnDisk(), (TItems{{"Craps", 3}}));
}

TEST_F(ModStatus, ChangeFlagIfKeepsWhatAnotherProcessWroteAfterTheLoad) {
  Use("status/modstatus.lst");
  CKCBLModStatus installer;
  ASSERT_EQ(installer.LoadFile(), 1);
  ASSERT_TRUE(InChild([] {
    CKCBLModStatus client;
    return client.LoadFile() && client.SetFlagForThisModule("blackjack", 1) && client.SetFlagForThisModule("Craps", 2)
               ? 0
               : 1;
  }));
  EXPECT_EQ(installer.ChangeFlagIf("blackjack", 2, 4), 0) << "installed meanwhile";
  EXPECT_EQ(installer.ChangeFlagIf("Craps", 2, 4), 1);
  EXPECT_EQ(OnDisk(), (TItems{{"Blackjack", 1}, {"blackjack", 1}, {"Roulette", 4}, {"Poker", -99},
                              {"Keno", -99}, {"Bingo", 3}, {"Craps", 4}}));
}
