// The games list: its order, the join of the status file, "games.xrs", "install.par" and a module
// list, the cut of over-long values, and the dropping of entries that name unsafe files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/updater/fversiondownloaditem.h"
#include "common/updater/fvmodulehandler.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"
#include "support/tempdir.h"

namespace {
class Games : public ::testing::Test {
 protected:
  // The files of tests/data/games/<folder> into the working folder.
  void Use(const std::string& folder) {
    for (const auto& f : std::filesystem::directory_iterator(std::string(VORRIN_TEST_DATA_DIR) + "/games/" + folder))
      std::filesystem::copy_file(f.path(), m_Dir.File(f.path().filename().string()));
  }

  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
};

std::vector<std::string> Names(CGames& games) {
  std::vector<std::string> names;
  for (games.First(); games.Exists(); games.Next()) names.push_back(games.Get()->GetModName());
  return names;
}

GamestxtCFVModule* Entry(const char* name, int32_t order, int32_t forced = 0, int32_t id = 0) {
  auto* game = new GamestxtCFVModule;
  game->SetModName(name);
  game->SetOrder(order);
  game->SetModForcedDownload(forced);
  game->SetGameid(id);
  return game;
}

std::string Item(const SFVersionDownloadItem& i) {
  auto text = [](const char* s) { return std::string(s ? s : "(null)"); };
  return text(i.m_pNormName) + " " + std::to_string(i.m_NormCRC) + " " + std::to_string(i.m_NormSize) + " " +
         text(i.m_pPackedName) + " " + std::to_string(i.m_PackedCRC) + " " + std::to_string(i.m_PackedSize);
}

std::vector<std::string> Items(CLList* list) {
  std::vector<std::string> items;
  for (CNode* n = list->HeadNode(); n; n = n->m_pNext) items.push_back(Item(*static_cast<SFVersionDownloadItem*>(n->m_pData)));
  return items;
}
}  // namespace

TEST(GamesEntry, EqualityAndOrder) {
  GamestxtCFVModule a, b;
  a.SetModName("Blackjack");
  b.SetModName("Roulette");
  EXPECT_FALSE(a == b);
  a.SetGameid(1000);
  EXPECT_FALSE(a == b) << "one id of 0 is no match";
  b.SetGameid(1000);
  EXPECT_TRUE(a == b) << "equal non-zero ids";
  b.SetGameid(0);
  b.SetModName("Blackjack");
  EXPECT_TRUE(a == b) << "equal names";
  b.SetModName("blackjack");
  EXPECT_FALSE(a == b) << "names compare with their case";

  const struct {
    int32_t m_OrderA, m_ForcedA;
    const char* m_pNameA;
    int32_t m_OrderB, m_ForcedB;
    const char* m_pNameB;
    bool m_Less;
  } cases[] = {
      {5, 1, "Z", 0, 0, "A", true},   {0, 0, "A", 5, 1, "Z", false}, {0, 0, "Z", 1, 0, "A", true},
      {1, 0, "A", 0, 0, "Z", false},  {1, 0, "Z", 3, 0, "A", true},  {3, 0, "A", 1, 0, "Z", false},
      {2, 0, "Acey", 2, 0, "Bac", true}, {2, 0, "Bac", 2, 0, "Acey", false}, {2, 0, "B", 2, 0, "a", true},
      {2, 0, "Same", 2, 0, "Same", true},
  };
  for (const auto& c : cases) {
    GamestxtCFVModule x, y;
    x.SetOrder(c.m_OrderA), x.SetModForcedDownload(c.m_ForcedA), x.SetModName(c.m_pNameA);
    y.SetOrder(c.m_OrderB), y.SetModForcedDownload(c.m_ForcedB), y.SetModName(c.m_pNameB);
    EXPECT_EQ(x < y, c.m_Less) << c.m_pNameA << c.m_OrderA << " < " << c.m_pNameB << c.m_OrderB;
  }
}

TEST(GamesEntry, DefaultsAndTheShowNameFallback) {
  GamestxtCFVModule game;
  EXPECT_EQ(game.GetDefaultInst(), 1);
  EXPECT_EQ(game.GetOrder(), 0);
  EXPECT_EQ(game.GetGameid(), 0);
  EXPECT_EQ(game.GetShowName(), nullptr);
  EXPECT_EQ(game.GetDllmodule(), nullptr);
  EXPECT_EQ(game.GetHistoryPath(), nullptr);
  EXPECT_EQ(game.GetModPackedFileSize(), FVMODULE_NO_PACKAGE);
  game.SetModName("Blackjack");
  EXPECT_STREQ(game.GetShowName(), "Blackjack");
  game.SetShowName("Blackjack Deluxe");
  EXPECT_STREQ(game.GetShowName(), "Blackjack Deluxe");

  game.SetRespath("xrs/kavo.xrs");
  game.SetHistoryPath("xrs/kavo_history.xrs");
  SFVersionDownloadItem item;
  item.SetNormName("kavo.dll");
  item.SetPackedName("kavo.dll.zpk");
  item.m_PackedSize = 7;
  ASSERT_EQ(game.AddDownloadItem(item), 1);
  ASSERT_EQ(game.AddIndirectItem("cards.bmp"), 1);
  const GamestxtCFVModule copy(game);
  EXPECT_STREQ(copy.GetModName(), "Blackjack");
  EXPECT_STREQ(copy.GetRespath(), "xrs/kavo.xrs");
  EXPECT_STREQ(copy.GetHistoryPath(), "xrs/kavo_history.xrs");
  EXPECT_EQ(Items(const_cast<GamestxtCFVModule&>(copy).GetDownloadItems()), Items(game.GetDownloadItems()));
  EXPECT_EQ(Items(const_cast<GamestxtCFVModule&>(copy).GetIndirectItems()),
            (std::vector<std::string>{"cards.bmp 0 0 (null) 0 0"}));
  EXPECT_NE(static_cast<const void*>(copy.GetRespath()), static_cast<const void*>(game.GetRespath()));
}

TEST(GamesList, SortedInsertionDropsEqualEntries) {
  CGames games;
  EXPECT_EQ(games.Add(Entry("Three", 3, 0, 3000)), 1);
  EXPECT_EQ(games.Add(Entry("Zero", 0, 0, 4000)), 1);
  EXPECT_EQ(games.Add(Entry("One", 1, 0, 1000)), 1);
  EXPECT_EQ(Names(games), (std::vector<std::string>{"Zero", "One", "Three"}));
  EXPECT_EQ(games.Add(Entry("Forced", 5, 1, 5000)), 1);
  EXPECT_EQ(Names(games), (std::vector<std::string>{"Forced", "Zero", "One", "Three"}));
  EXPECT_EQ(games.Add(Entry("One", 9)), 0) << "the same name";
  EXPECT_EQ(games.Add(Entry("Other", 9, 0, 3000)), 0) << "the same game id";
  EXPECT_EQ(games.Add(nullptr), 0);
  EXPECT_EQ(games.GetNumNodes(), 4);

  EXPECT_STREQ(games.FindByGameId(1000)->GetModName(), "One");
  EXPECT_EQ(games.FindByGameId(0), nullptr);
  EXPECT_EQ(games.Find("one"), nullptr);
  // Removing keeps a cursor that stands elsewhere.
  games.First();
  games.Next();  // Zero
  GamestxtCFVModule* three = games.Find("Three");
  EXPECT_EQ(games.Remove(three, 0), 1);
  EXPECT_STREQ(games.Get()->GetModName(), "Zero");
  EXPECT_EQ(games.Remove(three, 1), 0) << "no longer listed";
  delete three;
  EXPECT_EQ(Names(games), (std::vector<std::string>{"Forced", "Zero", "One"}));
}

TEST_F(Games, WithoutAModuleListEveryDescribedGameIsListedInItsOrder) {
  Use("order");
  CGames games;
  ASSERT_EQ(games.ReadGames(nullptr, 0), 1);
  // None (0) first, then 1, 2, 3; equal orders by name; "Clone" carries One's game id.
  EXPECT_EQ(Names(games), (std::vector<std::string>{"Zero", "One", "Acey", "Baccarat", "Three"}));
}

TEST_F(Games, MissingFilesGiveAnEmptyList) {
  CGames games;
  EXPECT_EQ(games.ReadGames(nullptr, 1), 1);
  EXPECT_EQ(games.GetNumNodes(), 0);
}

namespace {
// The server's module list of the join fixture.
void ModuleList(CFVModuleHandler& h) {
  ASSERT_EQ(h.AddModule("Blackjack", "Blackjack module", "c", "modules/Blackjack.bos", 500, 0xAB, 1, 0), 1);
  ASSERT_EQ(h.AddModule("Roulette", "", "c", "modules/Roulette.bos", 600, 0xCD, 1, 1), 1);
  ASSERT_EQ(h.AddModule("Practice", "No package", "c", nullptr, 0, 0, 1, 0), 1);
  ASSERT_EQ(h.AddModule("Install", "The installer", "c", "modules/Install.bos", 700, 1, 1, 1), 1);
  ASSERT_EQ(h.AddModule("OnlyHere", "d", "c", "modules/OnlyHere.bos", 10, 1, 1, 0), 1);
  ASSERT_EQ(h.AddModule("Keno", "", "c", "modules/Keno.bos", 800, 2, 1, 0), 1);
  ASSERT_EQ(h.AddModule("Shared", "Shared files", "c", nullptr, 0, 0, 2, 0), 1);
  ASSERT_EQ(h.AddModule("Shared2", "More shared files", "c", nullptr, 0, 0, 2, 0), 1);
  ASSERT_EQ(h.AddNormalFile("Blackjack", 1, "kavo.dll", 1, 1, 1, 2, 1, "kavo.dll.zpk", 1, 3, 1, 4), 1);
  ASSERT_EQ(h.AddNormalFile("Blackjack", 1, "xrs/kavo.xrs", 1, 5, 1, 6, 1, "xrs/kavo.xrs.zpk", 1, 7, 1, 8), 1);
  ASSERT_EQ(h.AddIndirectFile("Blackjack", "shared/cards.bmp"), 1);
  ASSERT_EQ(h.AddIndirectFile("Blackjack", "shared/chips.bmp"), 1);
  ASSERT_EQ(h.AddIndirectFile("Keno", "shared/cards.bmp"), 1);
  ASSERT_EQ(h.AddNormalFile("Shared", 1, "shared/cards.bmp", 1, 10, 1, 11, 1, "shared/cards.bmp.zpk", 1, 12, 1, 13), 1);
  // The same file in a later INDIRECT module fills nothing that the first one filled.
  ASSERT_EQ(h.AddNormalFile("Shared2", 1, "shared/cards.bmp", 1, 90, 1, 91, 1, "other.zpk", 1, 92, 1, 93), 1);
  ASSERT_EQ(h.AddNormalFile("Shared2", 1, "shared/chips.bmp", 1, 20, 1, 21, 1, "shared/chips.bmp.zpk", 1, 22, 1, 23), 1);
  ASSERT_EQ(h.AddNormalFile("Shared2", 1, "Shared/Cards.bmp", 1, 30, 1, 31, 1, "case.zpk", 1, 32, 1, 33), 0);
}
}  // namespace

TEST_F(Games, TheJoinWithAModuleList) {
  Use("join");
  CFVModuleHandler h;
  ModuleList(h);
  CGames games;
  ASSERT_EQ(games.ReadGames(&h, 1), 1);
  // Retired (no module), Install, Practice (no package) and OnlyHere (not in the status file)
  // are not listed; the forced Roulette comes first, Keno's order is install.par's.
  ASSERT_EQ(Names(games), (std::vector<std::string>{"Roulette", "Blackjack", "Keno"}));

  GamestxtCFVModule& bj = *games.Find("Blackjack");
  EXPECT_STREQ(bj.GetDllmodule(), "kavo") << "install.par's module is not taken";
  EXPECT_EQ(bj.GetGameid(), 1000);
  EXPECT_STREQ(bj.GetRespath(), "xrs/kavo.xrs");
  EXPECT_STREQ(bj.GetLimitpath(), "xrs/kavo_limits.xrs");
  EXPECT_STREQ(bj.GetSubmenuid(), "MENU_CARDS");
  EXPECT_STREQ(bj.GetHistoryPath(), "xrs/kavo_history.xrs");
  EXPECT_STREQ(bj.GetShowName(), "Blackjack Deluxe");
  EXPECT_EQ(bj.GetDefaultInst(), 0);
  EXPECT_EQ(bj.GetOrder(), 2);
  EXPECT_STREQ(bj.GetModDesc(), "Blackjack module") << "a module's description wins when it has one";
  EXPECT_STREQ(bj.GetModPackedFileName(), "modules/Blackjack.bos");
  EXPECT_EQ(bj.GetModPackedFileSize(), 500);
  EXPECT_EQ(bj.GetModForcedDownload(), 0);
  EXPECT_EQ(Items(bj.GetDownloadItems()), (std::vector<std::string>{"kavo.dll 1 2 kavo.dll.zpk 3 4",
                                                                    "xrs/kavo.xrs 5 6 xrs/kavo.xrs.zpk 7 8"}));
  EXPECT_EQ(Items(bj.GetIndirectItems()), (std::vector<std::string>{"shared/cards.bmp 10 11 shared/cards.bmp.zpk 12 13",
                                                                    "shared/chips.bmp 20 21 shared/chips.bmp.zpk 22 23"}));

  GamestxtCFVModule& roulette = *games.Find("Roulette");
  EXPECT_EQ(roulette.GetModForcedDownload(), 1);
  EXPECT_EQ(roulette.GetModDesc(), nullptr) << "empty descriptions are taken from neither";
  EXPECT_STREQ(roulette.GetShowName(), "Roulette");
  EXPECT_EQ(roulette.GetDefaultInst(), 1);

  GamestxtCFVModule& keno = *games.Find("Keno");
  EXPECT_EQ(keno.GetOrder(), 3);
  EXPECT_STREQ(keno.GetModDesc(), "Keno from install.par");
  EXPECT_EQ(Items(keno.GetIndirectItems()),
            (std::vector<std::string>{"shared/cards.bmp 10 11 shared/cards.bmp.zpk 12 13"}));
}

TEST_F(Games, WithoutThePackageRuleAModuleWithoutPackageStays) {
  Use("join");
  CFVModuleHandler h;
  ModuleList(h);
  CGames games;
  ASSERT_EQ(games.ReadGames(&h, 0), 1);
  EXPECT_EQ(Names(games), (std::vector<std::string>{"Roulette", "Practice", "Blackjack", "Keno"}));
  EXPECT_EQ(games.Find("Practice")->GetModPackedFileSize(), FVMODULE_NO_PACKAGE);
  EXPECT_EQ(games.Find("Practice")->GetModPackedFileName(), nullptr);
}

TEST_F(Games, ASecondEntryOfAListedGameIdIsDroppedAfterTheJoin) {
  WriteWholeFile(MODSTATUS_FILE, "modstatus = \"Blackjack\", 1\nmodstatus = \"Blackjack2\", 1\n");
  WriteWholeFile(GAMES_FILE, "{ = Game\n name = Blackjack2\n id = 1000\n}\n{ = Game\n name = Blackjack\n id = 1000\n}\n");
  CFVModuleHandler h;
  ASSERT_EQ(h.AddModule("Blackjack", "d", "c", "a.bos", 1, 1, 1, 0), 1);
  ASSERT_EQ(h.AddModule("Blackjack2", "d", "c", "b.bos", 1, 1, 1, 0), 1);
  CGames games;
  ASSERT_EQ(games.ReadGames(&h, 1), 1);
  EXPECT_EQ(Names(games), (std::vector<std::string>{"Blackjack"}));
}

TEST_F(Games, OverLongValuesAreCutDuplicatesAndUnknownKeysIgnored) {
  const std::string name(60, 'N'), module(60, 'm'), path(300, 'p'), text(300, 't');
  WriteWholeFile(GAMES_FILE, "{ = GAME\n NAME = " + name + "\n Module = " + module + "\n respath = " + path +
                                 "\n limitpath = " + path + "\n Description = \"" + text + "\"\n Showname = \"" + text +
                                 "\"\n submenuid = " + path + "\n historypath = " + path +
                                 "\n id = 77\n id = 88\n colour = red\n order = x\n}\n");
  CGames games;
  ASSERT_EQ(games.ReadGames(nullptr, 0), 1);
  ASSERT_EQ(games.GetNumNodes(), 1);
  GamestxtCFVModule& g = *games.Get(0);
  EXPECT_EQ(std::string(g.GetModName()), name.substr(0, 50));
  EXPECT_EQ(std::string(g.GetDllmodule()), module.substr(0, 50));
  EXPECT_EQ(std::string(g.GetRespath()), path.substr(0, 256));
  EXPECT_EQ(std::string(g.GetLimitpath()), path.substr(0, 256));
  EXPECT_EQ(std::string(g.GetSubmenuid()), path.substr(0, 256));
  EXPECT_EQ(std::string(g.GetHistoryPath()), path.substr(0, 256));
  EXPECT_EQ(std::string(g.GetModDesc()), text.substr(0, 250));
  EXPECT_EQ(std::string(g.GetShowName()), text.substr(0, 250));
  EXPECT_EQ(g.GetGameid(), 77) << "the first of two";
  EXPECT_EQ(g.GetOrder(), 0) << "an order that is no number is not taken";
}

TEST_F(Games, EntriesThatNameUnsafeFilesAreDropped) {
  const struct {
    const char* m_pKey;
    const char* m_pValue;
    bool m_Kept;
  } cases[] = {
      {"module", "kavo", true},
      {"module", "", true},
      {"module", "../kavo", false},
      {"module", "games/kavo", false},
      {"module", "games\\\\kavo", false},
      {"module", "C:kavo", false},
      {"module", "ka\x01vo", false},
      {"respath", "xrs/kavo.xrs", true},
      {"respath", "xrs\\\\kavo.xrs", true},
      {"respath", "..kavo.xrs", true},
      {"respath", "/etc/passwd", false},
      {"respath", "\\\\\\\\server\\\\share\\\\x.xrs", false},
      {"respath", "C:\\\\games\\\\x.xrs", false},
      {"respath", "xrs/../../x.xrs", false},
      {"respath", "xrs\\\\..\\\\..\\\\x.xrs", false},
      {"respath", "..", false},
      {"respath", "x\x7f.xrs", false},
      {"limitpath", "xrs/kavo_limits.xrs", true},
      {"limitpath", "../limits.xrs", false},
      {"limitpath", "d:limits.xrs", false},
      {"historypath", "xrs/history.xrs", true},
      {"historypath", "/tmp/history.xrs", false},
      {"historypath", "xrs/\tx", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.m_pKey) + " = " + c.m_pValue);
    WriteWholeFile(MODSTATUS_FILE, "modstatus = \"Blackjack\", 1\nmodstatus = \"Roulette\", 1\n");
    WriteWholeFile(GAMES_FILE, std::string("{ = Game\n name = Blackjack\n id = 1000\n ") + c.m_pKey + " = \"" +
                                   c.m_pValue + "\"\n}\n{ = Game\n name = Roulette\n id = 2000\n}\n");
    for (CFVModuleHandler* handler : {static_cast<CFVModuleHandler*>(nullptr), new CFVModuleHandler}) {
      if (handler) {
        handler->AddModule("Blackjack", "d", "c", "a.bos", 1, 1, 1, 0);
        handler->AddModule("Roulette", "d", "c", "b.bos", 1, 1, 1, 0);
      }
      CGames games;
      ASSERT_EQ(games.ReadGames(handler, 1), 1);
      EXPECT_EQ(games.Find("Blackjack") != nullptr, c.m_Kept) << (handler ? "with" : "without") << " a module list";
      EXPECT_NE(games.Find("Roulette"), nullptr);
      delete handler;
    }
  }
  // install.par is judged for the values it gives.
  WriteWholeFile(GAMES_FILE, "{ = Game\n name = Blackjack\n}\n");
  WriteWholeFile(GAMES_INSTALL_FILE, "{ = Game\n name = Blackjack\n module = ../ignored\n historypath = ../x\n}\n");
  CGames games;
  ASSERT_EQ(games.ReadGames(nullptr, 0), 1);
  EXPECT_EQ(games.Find("Blackjack"), nullptr);
  WriteWholeFile(GAMES_INSTALL_FILE, "{ = Game\n name = Blackjack\n module = ../ignored\n}\n");
  ASSERT_EQ(games.ReadGames(nullptr, 0), 1);
  ASSERT_NE(games.Find("Blackjack"), nullptr);
  EXPECT_EQ(games.Find("Blackjack")->GetDllmodule(), nullptr);
}
