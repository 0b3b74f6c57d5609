// The update driver's check: one file in one game, over the server's CRC, the installed record,
// the file on disk, its extension, the forced flag and the indirect (shared) modules; and the
// statuses that the games list is built from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/updater/fversioncallbacks.h"
#include "common/updater/fversionvalidate.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "updatetree.h"

namespace {
enum class ERecord { None, Server, Old };
enum class EDisk { Absent, Server, Old };

struct SFileCase {
  const char* m_pLabel;
  const char* m_pFile;
  bool m_Shared;  // in the INDIRECT module "Shared", which the game lists
  int32_t m_Forced;
  int32_t m_Status;  // of the game, before
  ERecord m_Record;
  EDisk m_Disk;
  // Expected:
  bool m_Fetched;         // offered to Download (which fails, so nothing is unpacked)
  ERecord m_RecordAfter;  // the installed record after the run
  int32_t m_StatusAfter;
  int32_t m_Missing;  // MissingCriticalFiles calls
};

const SFileCase kFileCases[] = {
    {"unchanged library", "game.dll", false, 0, 1, ERecord::Server, EDisk::Server, false, ERecord::Server, 1, 0},
    {"disk equals the server, record old: registered only", "game.dll", false, 1, 1, ERecord::Old, EDisk::Server,
     false, ERecord::Server, 1, 0},
    {"trusted picture equal to the server, record old: registered", "pic.bmp", false, 1, 1, ERecord::Old,
     EDisk::Server, false, ERecord::Server, 1, 0},
    {"trusted picture changed on disk goes unseen", "pic.bmp", false, 1, 1, ERecord::Server, EDisk::Old, false,
     ERecord::Server, 1, 0},
    {"changed library of an installed game: status 2 only", "game.dll", false, 0, 1, ERecord::Server, EDisk::Old,
     false, ERecord::Old, 2, 0},
    {"changed library of a forced module: fetched", "game.dll", false, 1, 1, ERecord::Server, EDisk::Old, true,
     ERecord::Old, 2, 1},
    {"missing script the record claims, forced: fetched", "xrs/game.xrs", false, 1, 1, ERecord::Server,
     EDisk::Absent, true, ERecord::None, 2, 1},
    {"missing script of an installed game: status 2", "xrs/game.xrs", false, 0, 1, ERecord::Server, EDisk::Absent,
     false, ERecord::None, 2, 0},
    {"changed script, forced: fetched", "xrs/game.xrs", false, 1, 1, ERecord::Server, EDisk::Old, true,
     ERecord::Old, 2, 1},
    {"no record and no file, forced: fetched", "sounds/win.wav", false, 1, 1, ERecord::None, EDisk::Absent, true,
     ERecord::None, 2, 1},
    {"no record, file equal to the server: registered", "sounds/win.wav", false, 1, 1, ERecord::None, EDisk::Server,
     false, ERecord::Server, 1, 0},
    {"changed shared library (.so), forced: fetched", "libgame.so", false, 1, 1, ERecord::Server, EDisk::Old, true,
     ERecord::Old, 2, 1},
    {"changed program without extension, forced: fetched", "casino", false, 1, 1, ERecord::Server, EDisk::Old, true,
     ERecord::Old, 2, 1},
    {"changed .exe, forced: fetched", "setup.exe", false, 1, 1, ERecord::Server, EDisk::Old, true, ERecord::Old, 2,
     1},
    {"shared file missing, its game forced: fetched", "shared/font.xbf", true, 1, 1, ERecord::Server, EDisk::Absent,
     true, ERecord::None, 2, 1},
    {"shared file missing, its game installed: status 2", "shared/font.xbf", true, 0, 1, ERecord::Server,
     EDisk::Absent, false, ERecord::None, 2, 0},
    {"shared file equal to the server, record old: registered", "shared/common.xrs", true, 0, 1, ERecord::Old,
     EDisk::Server, false, ERecord::Server, 1, 0},
    {"game not installed, not forced: not checked", "game.dll", false, 0, 0, ERecord::Server, EDisk::Absent, false,
     ERecord::Server, 0, 0},
    {"shared file of a game not checked is skipped", "shared/font.xbf", true, 0, 0, ERecord::Server, EDisk::Absent,
     false, ERecord::Server, 0, 0},
    {"installation asked (3) becomes 0: not checked", "game.dll", false, 0, 3, ERecord::Server, EDisk::Old, false,
     ERecord::Server, 0, 0},
    {"update asked (4) becomes 2", "game.dll", false, 0, 4, ERecord::Server, EDisk::Server, false, ERecord::Server, 2,
     0},
    {"update asked (4), file changed: stays 2", "game.dll", false, 0, 4, ERecord::Server, EDisk::Old, false,
     ERecord::Old, 2, 0},
    {"forced game not installed is checked and fetched", "game.dll", false, 1, 0, ERecord::None, EDisk::Absent, true,
     ERecord::None, 0, 1},
};

class FileCases : public CUpdateTree, public ::testing::WithParamInterface<SFileCase> {};

std::string Content(const SFileCase& c, bool server) { return std::string(server ? "new " : "old ") + c.m_pFile; }
}  // namespace

TEST_P(FileCases, DecideWhatIsFetchedRegisteredAndRecorded) {
  const SFileCase& c = GetParam();
  const std::string module = c.m_Shared ? "Shared" : "Game";
  m_Server.Module("Game", FVMODULE_NORMAL, c.m_Forced);
  m_Installed.Module("Game", FVMODULE_NORMAL, c.m_Forced);
  if (c.m_Shared) {
    m_Server.Module("Shared", FVMODULE_INDIRECT, 0);
    m_Installed.Module("Shared", FVMODULE_INDIRECT, 0);
  }
  Serve(module, c.m_pFile, Content(c, true));
  if (c.m_Shared) m_Server.IndFile("Game", c.m_pFile);
  if (c.m_Record != ERecord::None) {
    Record(module, c.m_pFile, Content(c, c.m_Record == ERecord::Server));
    if (c.m_Shared) m_Installed.IndFile("Game", c.m_pFile);
  }
  m_HaveInstalled = true;
  if (c.m_Disk != EDisk::Absent) Put(c.m_pFile, Content(c, c.m_Disk == EDisk::Server));
  Statuses({{"Game", c.m_Status}});
  WriteLists();
  Host().m_Answers = {{0, 1}};  // the host stops the downloads: nothing is unpacked

  EXPECT_EQ(Validate(), 1);

  const std::vector<std::string> fetched = Host().Calls("Download ");
  if (c.m_Fetched)
    EXPECT_EQ(fetched, std::vector<std::string>{std::string("Download ") + c.m_pFile + ".zpk"});
  else
    EXPECT_TRUE(fetched.empty()) << fetched.front();
  EXPECT_TRUE(Host().Calls("Unpack").empty());
  const int64_t crc = InstalledCRC(module, c.m_pFile);
  switch (c.m_RecordAfter) {
    case ERecord::None: EXPECT_EQ(crc, -1); break;
    case ERecord::Server: EXPECT_EQ(crc, Crc(Content(c, true))); break;
    case ERecord::Old: EXPECT_EQ(crc, Crc(Content(c, false))); break;
  }
  EXPECT_EQ(StatusOf("Game"), c.m_StatusAfter);
  EXPECT_EQ(Host().Calls("MissingCriticalFiles").size(), static_cast<size_t>(c.m_Missing));
  if (c.m_Disk == EDisk::Absent)
    EXPECT_FALSE(Exists(c.m_pFile));
  else
    EXPECT_EQ(Get(c.m_pFile), Content(c, c.m_Disk == EDisk::Server)) << "a stopped download leaves the file";
}

INSTANTIATE_TEST_SUITE_P(UpdateCheck, FileCases, ::testing::ValuesIn(kFileCases),
                         [](const ::testing::TestParamInfo<SFileCase>& info) {
                           std::string name;
                           for (const char* p = info.param.m_pLabel; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

using UpdateCheck = CUpdateTree;

TEST_F(UpdateCheck, StatusesAreNormalisedAndTheTakingRuleHolds) {
  m_Server.Module("Asked", FVMODULE_NORMAL, 0);
  m_Server.Module("UpdateAsked", FVMODULE_NORMAL, 0);
  m_Server.Module("Broken", FVMODULE_NORMAL, 0);
  m_Server.Module("NoPackage", FVMODULE_NORMAL, 0, false);
  m_Server.Module("Forced", FVMODULE_NORMAL, 1);
  m_Server.Module("Unknown", FVMODULE_NORMAL, 0);
  for (const char* m : {"Asked", "UpdateAsked", "Broken", "NoPackage", "Forced", "Unknown"})
    Serve(m, std::string(m) + ".dll", std::string("new ") + m);
  Put("Forced.dll", "new Forced");
  Put(MODSTATUS_FILE, "modstatus = Asked, 3\nmodstatus = UpdateAsked, 4\nmodstatus = Broken, abc\n"
                      "modstatus = NoPackage, 1\nmodstatus = Forced, 0\n");
  WriteLists();

  EXPECT_EQ(Validate(0), 1);
  EXPECT_EQ(StatusOf("Asked"), 0);
  EXPECT_EQ(StatusOf("UpdateAsked"), 2) << "asked update: its missing file keeps it at 2";
  EXPECT_EQ(StatusOf("Broken"), 0);
  EXPECT_EQ(StatusOf("NoPackage"), 0);
  EXPECT_EQ(StatusOf("Unknown"), 0) << "a module the file lacks is added with 0";
  EXPECT_EQ(StatusOf("Forced"), 1) << "forced and not installed is taken, found whole, and recorded";
  EXPECT_EQ(InstalledCRC("Forced", "Forced.dll"), Crc("new Forced"));
  EXPECT_EQ(InstalledCRC("Asked", "Asked.dll"), -1) << "a module that is not taken is not checked";
}

TEST_F(UpdateCheck, ListedOnlyLeavesForcedModulesOutsideTheGamesAlone) {
  m_Server.Module("Forced", FVMODULE_NORMAL, 1);
  Serve("Forced", "forced.dll", "new");
  Statuses({{"Forced", 0}});
  WriteLists();
  EXPECT_EQ(Validate(1, 1), 1);
  EXPECT_TRUE(Host().Calls("Download ").empty());
  EXPECT_TRUE(Host().Calls("MissingCriticalFiles").empty());
  EXPECT_EQ(StatusOf("Forced"), 0);
}

TEST_F(UpdateCheck, IndirectFilesMarkTheGamesThatUseThem) {
  m_Server.Module("Poker", FVMODULE_NORMAL, 0);
  m_Server.Module("Roulette", FVMODULE_NORMAL, 0);
  m_Server.Module("Keno", FVMODULE_NORMAL, 0);
  m_Server.Module("Shared", FVMODULE_INDIRECT, 0);
  Serve("Poker", "poker.dll", "poker");
  Serve("Roulette", "roulette.dll", "roulette");
  Serve("Keno", "keno.dll", "keno");
  Serve("Shared", "cards.xbf", "cards");
  Serve("Shared", "wheel.xbf", "wheel");
  m_Server.IndFile("Poker", "CARDS.xbf");
  m_Server.IndFile("Keno", "cards.xbf");
  m_Server.IndFile("Roulette", "wheel.xbf");
  for (const char* f : {"poker.dll", "roulette.dll", "keno.dll", "wheel.xbf"})
    Put(f, std::string(f).substr(0, std::string(f).find('.')));
  Statuses({{"Poker", 1}, {"Roulette", 1}, {"Keno", 4}});
  WriteLists();

  EXPECT_EQ(Validate(), 1);
  EXPECT_EQ(StatusOf("Poker"), 2) << "uses the missing cards.xbf (the name in other capitals)";
  EXPECT_EQ(StatusOf("Keno"), 2);
  EXPECT_EQ(StatusOf("Roulette"), 1);
  EXPECT_TRUE(Host().Calls("Download ").empty()) << "no game that uses it is forced";
  EXPECT_EQ(InstalledCRC("Shared", "wheel.xbf"), Crc("wheel"));
  // The registered shared file is listed by the game that uses it, so the list stays valid.
  CFVModuleHandler installed;
  ASSERT_EQ(installed.ReadModuleList("filemap.lst", 1, 1), 1);
  ASSERT_EQ(installed.FindModule("Roulette"), 1);
  installed.IndirectFile_First();
  installed.IndirectFile_Fetch();
  EXPECT_STREQ(installed.IndirectFile_GetName(), "wheel.xbf");
}

TEST_F(UpdateCheck, ThePassWithoutDownloadsReportsMissingCriticalFiles) {
  m_Server.Module("Client", FVMODULE_NORMAL, 1);
  m_Server.Module("Game", FVMODULE_NORMAL, 0);
  Serve("Client", "casino", "client");
  Serve("Game", "game.dll", "game");
  Statuses({{"Client", 1}, {"Game", 1}});
  WriteLists();

  EXPECT_EQ(Validate(0), 1);
  EXPECT_TRUE(Host().Calls("Download ").empty());
  EXPECT_EQ(Host().Calls("MissingCriticalFiles").size(), 1u);
  EXPECT_EQ(StatusOf("Client"), 2);
  EXPECT_EQ(StatusOf("Game"), 2);
  EXPECT_EQ(Host().Calls("CheckStart"), std::vector<std::string>{"CheckStart 2 2 0"});
}

TEST_F(UpdateCheck, AGivenGamesListIsUsedAsItStands) {
  m_Server.Module("Game", FVMODULE_NORMAL, 1);
  m_Server.Module("Other", FVMODULE_NORMAL, 1);
  Serve("Game", "game.dll", "game");
  Serve("Other", "other.dll", "other");
  Statuses({{"Game", 3}, {"Other", 1}});
  WriteLists();
  CGames games;
  auto* game = new GamestxtCFVModule;
  game->SetModName("Game");
  games.Add(game);

  EXPECT_EQ(FVersion_ValidateFiles("srvmap.lst", "filemap.lst", 1, 1, 0, &games, 1), 1);
  EXPECT_EQ(Host().Calls("Download "), std::vector<std::string>{"Download game.dll.zpk"});
  EXPECT_EQ(Get("game.dll"), "game");
  EXPECT_EQ(StatusOf("Game"), 1) << "its status is taken as it stands, not normalised, then recorded";
  EXPECT_EQ(StatusOf("Other"), 1);
  EXPECT_EQ(InstalledCRC("Other", "other.dll"), -1) << "only the given games are checked";
}

TEST_F(UpdateCheck, FailuresOfTheCheckLeaveBothListsAsTheyWere) {
  struct SFailure {
    const char* m_pRefused;
    std::vector<std::string> m_Calls;
  };
  const SFailure failures[] = {
      {"CheckStart", {"CheckStart 1 1 0"}},
      {"CheckProgress", {"CheckStart 1 1 0", "CheckEnd"}},
      {"CheckEnd", {"CheckStart 1 1 0", "CheckEnd"}},
  };
  m_Server.Module("Game", FVMODULE_NORMAL, 1);
  Serve("Game", "game.dll", "game");
  Statuses({{"Game", 1}});
  WriteLists();
  const auto before = Everything();
  for (const SFailure& f : failures) {
    InstallRecordingCallbacks();
    Host().m_Refuse = {f.m_pRefused};
    EXPECT_EQ(Validate(0), 0) << f.m_pRefused;
    EXPECT_EQ(Host().m_Calls, f.m_Calls) << f.m_pRefused;
    EXPECT_EQ(Everything(), before) << f.m_pRefused;
  }
}

TEST_F(UpdateCheck, AServerRecordWithoutAllSixValuesAbortsThePass) {
  m_Server.Module("Game", FVMODULE_NORMAL, 1);
  ASSERT_EQ(m_Server.Handler().AddNormalFile("Game", 1, "game.dll", 1, 5, 1, 5, 1, "game.dll.zpk", 0, 0, 1, 9), 1);
  Statuses({{"Game", 1}});
  WriteLists();
  const auto before = Everything();
  EXPECT_EQ(Validate(), 0);
  EXPECT_EQ(Host().Calls("CheckEnd").size(), 1u);
  EXPECT_EQ(Everything(), before);
}

TEST_F(UpdateCheck, AnIncompleteInstalledRecordAbortsThePass) {
  m_Server.Module("Game", FVMODULE_NORMAL, 1);
  Serve("Game", "game.dll", "game");
  m_Installed.Module("Game", FVMODULE_NORMAL, 1);
  ASSERT_EQ(m_Installed.Handler().AddNormalFile("Game", 1, "game.dll", 0, 0, 1, 4, 0, nullptr, 0, 0, 0, 0), 1);
  m_HaveInstalled = true;
  Put("game.dll", "game");
  Statuses({{"Game", 1}});
  WriteLists();
  const auto before = Everything();
  EXPECT_EQ(Validate(), 0);
  EXPECT_EQ(Everything(), before);
}

TEST_F(UpdateCheck, AMissingOrUnreadableServerListFails) {
  Statuses({{"Game", 1}});
  EXPECT_EQ(Validate(), 0);
  Put("srvmap.lst", "{ = module, Game\n  Mode = Sideways\n}\n");
  EXPECT_EQ(Validate(), 0);
  EXPECT_TRUE(Host().Calls("CheckStart").empty());
}

TEST_F(UpdateCheck, EveryRequiredCallbackIsNeeded) {
  m_Server.Module("Game", FVMODULE_NORMAL, 1);
  Serve("Game", "game.dll", "game");
  WriteLists();
  FVersion_SetCallBack_CopyFile(nullptr);
  EXPECT_EQ(Validate(), 0);
}
