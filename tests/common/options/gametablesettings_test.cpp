// A game's table settings over a limits file, with the player's choices in a registry of its own in
// a temporary configuration folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/options/gametablesettings.h"
#include "common/updater/gamestxtmodule.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/system/registry.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {
const std::string kShippedScript = std::string(VORRIN_TEST_DATA_DIR) + "/../../data/xrs/common.xrs";
const std::string kKeyBase = "Software\\Casino\\Vorrin Casino\\Blackjack\\";

// A 24-bit picture of w x h in grey.
std::string Bmp(int32_t w, int32_t h) {
  const uint32_t row = static_cast<uint32_t>(w * 3 + 3) & ~3u;
  const uint32_t size = 54 + row * static_cast<uint32_t>(h);
  std::string b(size, '\0');
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, size, 4), put(10, 54, 4), put(14, 40, 4), put(18, static_cast<uint32_t>(w), 4);
  put(22, static_cast<uint32_t>(h), 4), put(26, 1, 2), put(28, 24, 2);
  for (size_t i = 54; i < size; ++i) b[i] = '\x80';
  return b;
}

class GameTableSettings : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    setenv("XDG_CONFIG_HOME", m_Config.Path().c_str(), 1);
    m_Work.emplace(m_Dir.Path());
    std::filesystem::create_directory("xrs");
    std::filesystem::copy_file(kShippedScript, "xrs/common.xrs");
    std::filesystem::copy_file(std::string(VORRIN_TEST_DATA_DIR) + "/gametablesettings/limits.xrs", "limits.xrs");
    WriteWholeFile("tablesettings.bmp", Bmp(64, 40));
    m_Game.SetModName("Blackjack");
    m_Game.SetLimitpath("limits.xrs");
  }
  void TearDown() override {
    m_Work.reset();
    unsetenv("XDG_CONFIG_HOME");
    CRuntimeTest::TearDown();
  }

  // The settings on the item of that keyword.
  static void GoTo(CGameTableSettings& s, const char* keyword) {
    ASSERT_EQ(s.FirstItem(), 1);
    while (s.ItemExists() && (s.IsComment() || std::string(s.GetKeyword()) != keyword)) s.NextItem(0);
    ASSERT_TRUE(s.ItemExists()) << keyword;
  }
  // What the player chose before, written as another program of the casino would.
  static void Save(const char* keyword, const std::string& text) {
    const std::string path = kKeyBase + keyword;
    CRegKey key;
    ASSERT_EQ(key.Create(XREG_CURRENT_USER, path.c_str()), 1);
    ASSERT_EQ(key.SetValue(path.c_str(), XREG_STRING, text.data(), static_cast<uint32_t>(text.size())), 1);
  }

  CTempDir m_Config;
  CTempDir m_Dir;
  std::optional<CWorkingDir> m_Work;
  GamestxtCFVModule m_Game;
};

std::string Or(const char* s) { return s ? s : "(null)"; }

// Runs f and gives the text it threw, or "(nothing)".
template <class F>
std::string Thrown(F f) {
  try {
    f();
  } catch (const char* text) {
    return text;
  }
  return "(nothing)";
}
}  // namespace

TEST_F(GameTableSettings, TheWalkAndWhatEachSettingOffers) {
  CGameTableSettings s(&m_Game);
  ASSERT_EQ(s.FirstItem(), 1);
  struct SRow {
    std::string m_Keyword;
    int32_t m_Skip, m_Chip, m_Position, m_Bet, m_Type, m_Count;
    std::string m_Description, m_Static, m_Texts;
  };
  const std::vector<SRow> want = {
      {"(comment)", 1, 0, 0, 0, 0, 0, "(null)", "(null)", ""},
      {"CHIPDENOMINATION", 0, 1, 0, 0, 0, 3, "Chips", "RADIO", "1|5|25|"},
      {"HIDEDENOMINATION", 1, 0, 0, 0, 0, 1, "Hidden", "", "no|"},
      {"BETLIMITS", 0, 0, 0, 1, 0, 2, "Bet limits", "RADIO", "1 - 100|5 - 500|"},
      {"TABLETYPE", 0, 0, 0, 0, 1, 2, "Table type", "<XML><HIDE>FALSE</HIDE></XML>", "Public|Private|"},
      {"TABLEPOSITION", 0, 0, 1, 0, 0, 2, "Seat", "", "Left|Right|"},
      // A third choice whose number is none is no choice.
      {"TIMELIMIT", 0, 0, 0, 0, 0, 2, "Time", "", "Fast|Slow|"},
  };
  for (const SRow& w : want) {
    ASSERT_TRUE(s.ItemExists()) << w.m_Keyword;
    SRow got{s.IsComment() ? "(comment)" : s.GetKeyword(),
             s.SkipCurrent(),
             s.CurrentIsChipDenomination(),
             s.CurrentIsTablePosition(),
             s.CurrentIsBetLimit(),
             s.CurrentIsTableType(),
             s.GetCurrentNumberOfValue(),
             Or(s.GetCurrentDescription()),
             Or(s.GetCurrentStaticData()),
             ""};
    for (int32_t k = 0; k < got.m_Count; ++k) got.m_Texts += Or(s.GetCurrentValueString(k)) + "|";
    EXPECT_EQ(got.m_Keyword, w.m_Keyword);
    EXPECT_EQ(got.m_Skip, w.m_Skip) << w.m_Keyword;
    EXPECT_EQ(std::vector<int32_t>({got.m_Chip, got.m_Position, got.m_Bet, got.m_Type}),
              std::vector<int32_t>({w.m_Chip, w.m_Position, w.m_Bet, w.m_Type}))
        << w.m_Keyword;
    EXPECT_EQ(got.m_Count, w.m_Count) << w.m_Keyword;
    EXPECT_EQ(got.m_Description, w.m_Description) << w.m_Keyword;
    EXPECT_EQ(got.m_Static, w.m_Static) << w.m_Keyword;
    EXPECT_EQ(got.m_Texts, w.m_Texts) << w.m_Keyword;
    s.NextItem(0);
  }
  EXPECT_FALSE(s.ItemExists());
  // Past the last setting every query answers "none".
  EXPECT_EQ(s.GetCurrentNumberOfValue(), 0);
  EXPECT_EQ(s.GetCurrentValue(), -1);
  EXPECT_EQ(s.GetCurrentIndex(-1), 0);
  EXPECT_EQ(s.GetCurrentDescription(), nullptr);
  EXPECT_EQ(s.GetCurrentValueString(-1), nullptr);
  EXPECT_EQ(s.CurrentIsBetLimit(), 0);
  EXPECT_EQ(s.SkipCurrent(), 0);
}

TEST_F(GameTableSettings, TheChosenChoiceBySavedIndexDefaultOrFirst) {
  const struct {
    const char* m_pKeyword;
    const char* m_pSaved;  // null: nothing saved
    int32_t m_Index;
  } cases[] = {
      {"BETLIMITS", nullptr, 1},   // the default
      {"BETLIMITS", "0", 0},       // a saved first choice wins over the default
      {"BETLIMITS", "1", 1},
      {"BETLIMITS", "2", 1},       // at the count: the default
      {"BETLIMITS", "99", 1},
      {"BETLIMITS", "abc", 1},
      {"BETLIMITS", "-1", 1},
      {"BETLIMITS", "", 1},
      {"CHIPDENOMINATION", "2", 2},
      {"CHIPDENOMINATION", "0", 0},
      {"TABLETYPE", nullptr, 0},   // no default, nothing saved
      {"TABLETYPE", "1", 1},
      {"TABLETYPE", "7", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.m_pKeyword) + " saved " + Or(c.m_pSaved));
    CRegKey key;
    if (key.Open(XREG_CURRENT_USER, (kKeyBase + c.m_pKeyword).c_str())) key.DeleteValue((kKeyBase + c.m_pKeyword).c_str());
    if (c.m_pSaved) Save(c.m_pKeyword, c.m_pSaved);
    CGameTableSettings s(&m_Game);
    GoTo(s, c.m_pKeyword);
    EXPECT_EQ(s.GetCurrentIndex(-1), c.m_Index);
    int32_t number = -1;
    ASSERT_EQ(s.GetLong(4 + 3 * c.m_Index, &number), 1);
    EXPECT_EQ(s.GetCurrentValue(), number);
    EXPECT_STREQ(s.GetCurrentValueString(-1), s.GetCurrentValueString(c.m_Index));
  }
}

TEST_F(GameTableSettings, TheIndexOfANumber) {
  CGameTableSettings s(&m_Game);
  GoTo(s, "CHIPDENOMINATION");
  EXPECT_EQ(s.GetCurrentIndex(25), 2);
  EXPECT_EQ(s.GetCurrentIndex(5), 1);
  EXPECT_EQ(s.GetCurrentIndex(1), 0);
  EXPECT_EQ(s.GetCurrentIndex(7), 0) << "no choice has it";
  EXPECT_EQ(s.GetCurrentValueString(3), nullptr);
  EXPECT_EQ(s.GetCurrentValueString(-2), nullptr);
}

TEST_F(GameTableSettings, TheChoiceIsAValueNamedByTheFullKeyPath) {
  CGameTableSettings s(&m_Game);
  EXPECT_EQ(s.SetIndex("BETLIMITS", 1), 1);
  const std::string path = kKeyBase + "BETLIMITS";
  CRegKey key;
  ASSERT_EQ(key.Open(XREG_CURRENT_USER, path.c_str()), 1);
  uint32_t type = 0, size = 16;
  char data[16] = {};
  ASSERT_EQ(key.QueryValue(path.c_str(), &type, data, &size), 1);
  EXPECT_EQ(type, static_cast<uint32_t>(XREG_STRING));
  EXPECT_EQ(std::string(data, size), "1") << "the decimal text without its ending zero";
  EXPECT_EQ(key.QueryValue(nullptr, nullptr, nullptr, nullptr), 0) << "not the key's default value";
  uint32_t count = 0;
  ASSERT_EQ(key.CountValues(count), 1);
  EXPECT_EQ(count, 1u);
  char name[300];
  ASSERT_EQ(key.EnumValue(0, name, sizeof name, &type), 1);
  EXPECT_EQ(std::string(name), path);
  // The store lives in the temporary configuration folder.
  EXPECT_TRUE(std::filesystem::exists(m_Config.Path() + "/vorrin/registry/user"));

  char out[GAMETABLESETTINGS_VALUE_SIZE];
  ASSERT_EQ(s.GetIndex("BETLIMITS", out), 1);
  EXPECT_STREQ(out, "1");
  EXPECT_EQ(s.GetIndex("betlimits", out), 1) << "registry names match without regard to case";
  EXPECT_EQ(s.GetIndex("TABLETYPE", out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(s.SetIndex("TABLETYPE", "abc"), 1);
  ASSERT_EQ(s.GetIndex("TABLETYPE", out), 1);
  EXPECT_STREQ(out, "abc");
  GoTo(s, "BETLIMITS");
  EXPECT_EQ(s.GetCurrentIndex(-1), 1);
  EXPECT_EQ(s.SetIndex("BETLIMITS", 0), 1);
  EXPECT_EQ(s.GetCurrentIndex(-1), 0);
  EXPECT_EQ(s.GetCurrentValue(), 1);
}

TEST_F(GameTableSettings, FailuresThrowTheirTexts) {
  GamestxtCFVModule noLimits;
  noLimits.SetModName("Blackjack");
  GamestxtCFVModule missingFile;
  missingFile.SetModName("Blackjack");
  missingFile.SetLimitpath("nothere.xrs");
  EXPECT_EQ(Thrown([] { CGameTableSettings s(nullptr); }), "Pointer to game not valid");
  EXPECT_EQ(Thrown([&] { CGameTableSettings s(&noLimits); }), "No limits path for the game");
  EXPECT_EQ(Thrown([&] { CGameTableSettings s(&missingFile); }), "Could not load limits file");
  WriteWholeFile("xrs/common.xrs", "{ = Strings\n TITLE = 10000, \"Setup\"\n}\n");
  EXPECT_EQ(Thrown([&] { CGameTableSettings s(&m_Game); }), "Could not get application name");
  WriteWholeFile("xrs/common.xrs", "{ = Strings\n NAME = 10001, \"" + std::string(300, 'x') + "\"\n}\n");
  EXPECT_EQ(Thrown([&] { CGameTableSettings s(&m_Game); }), "Could not get application name")
      << "a name that does not fit the path";
  std::filesystem::remove("xrs/common.xrs");
  EXPECT_EQ(Thrown([&] { CGameTableSettings s(&m_Game); }), "BException(Could not load common.xrs!)");
  std::filesystem::copy_file(kShippedScript, "xrs/common.xrs");

  CGameTableSettings s(&m_Game);
  char out[GAMETABLESETTINGS_VALUE_SIZE];
  GamestxtCFVModule nameless;
  nameless.SetLimitpath("limits.xrs");
  CGameTableSettings t(&nameless);
  EXPECT_EQ(Thrown([&] { t.SetIndex("BETLIMITS", 1); }), "Game is not valid");
  EXPECT_EQ(Thrown([&] { t.GetIndex("BETLIMITS", out); }), "Game is not valid");
  EXPECT_EQ(t.FirstItem(), 1);
  // A configuration folder that is a file: no key can be made.
  WriteWholeFile(m_Dir.File("config"), "");
  setenv("XDG_CONFIG_HOME", m_Dir.File("config").c_str(), 1);
  EXPECT_EQ(Thrown([&] { s.SetIndex("BETLIMITS", 1); }), "Could not create key");
  EXPECT_EQ(s.GetIndex("BETLIMITS", out), 0);
}

TEST_F(GameTableSettings, AFileWithoutSettingsHasNoFirstItem) {
  WriteWholeFile("limits.xrs", "{ = Other\n BETLIMITS = \"Bet limits\", \"\", TRUE, \"1\", 1\n}\n");
  CGameTableSettings s(&m_Game);
  EXPECT_EQ(s.FirstItem(), 0);
  EXPECT_EQ(s.GetCurrentDescriptionBitmap(nullptr, nullptr), nullptr);
}

TEST_F(GameTableSettings, PicturesWithTheirSizesAndTheWalkKeepsItsPlace) {
  CGameTableSettings s(&m_Game);
  GoTo(s, "BETLIMITS");
  const struct {
    int32_t m_Choice;  // -2: the description picture
    int32_t m_W, m_H;  // 0: none
  } cases[] = {{-2, 40, 12}, {0, 20, 10}, {1, 24, 10}, {-1, 24, 10}, {2, 0, 0}, {-3, 0, 0}};
  for (const auto& c : cases) {
    int32_t w = -1, h = -1;
    CBitmap* b = c.m_Choice == -2 ? s.GetCurrentDescriptionBitmap(&w, &h) : s.GetCurrentValueBitmap(c.m_Choice, &w, &h);
    if (c.m_W) {
      ASSERT_NE(b, nullptr) << c.m_Choice;
      EXPECT_EQ(w, c.m_W) << c.m_Choice;
      EXPECT_EQ(h, c.m_H) << c.m_Choice;
    } else {
      EXPECT_EQ(b, nullptr) << c.m_Choice;
    }
    EXPECT_EQ(s.CurrentIsBetLimit(), 1) << "still on the same setting";
  }
  EXPECT_EQ(s.GetCurrentValueBitmap(-1, nullptr, nullptr), s.GetCurrentValueBitmap(1, nullptr, nullptr));
  EXPECT_NE(s.GetCurrentValueBitmap(0, nullptr, nullptr), s.GetCurrentValueBitmap(1, nullptr, nullptr));
  ASSERT_EQ(s.NextItem(0), 1);
  EXPECT_EQ(s.CurrentIsTableType(), 1) << "the walk goes on from where it was";
  int32_t w = 0, h = 0;
  ASSERT_NE(s.GetCurrentDescriptionBitmap(&w, &h), nullptr);
  EXPECT_EQ(w * 100 + h, 3008);
  EXPECT_EQ(s.GetCurrentValueBitmap(0, &w, &h), nullptr);
  ASSERT_EQ(s.NextItem(0), 1);
  EXPECT_EQ(s.CurrentIsTablePosition(), 1);
  EXPECT_EQ(s.GetCurrentDescriptionBitmap(&w, &h), nullptr) << "a setting without pictures";
  EXPECT_EQ(s.CurrentIsTablePosition(), 1);
}
