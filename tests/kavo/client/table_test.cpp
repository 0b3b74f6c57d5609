// The client table classes as the framework sees them before any set-up: the constructor's
// defaults and what each class answers for its names, scripts and help texts.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <functional>
#include <memory>
#include <string>

#include "client/clienttable.h"

namespace {

// Opens the protected main script to a script written by the test.
template <class Table>
class CScriptedTable : public Table {
 public:
  int32_t LoadMainScript(const char* text) { return this->m_MainScript.Import(text); }
};

struct SClassCase {
  const char* What;
  std::function<std::unique_ptr<CBlackJackClientTable>()> Make;
  std::function<int32_t(CBlackJackClientTable&, const char*)> LoadScript;
  const char* GameName;
  const char* LimitsScript;
  const char* MainScript;
};

template <class Table>
SClassCase Case(const char* what, const char* game, const char* limits, const char* main) {
  return {what, [] { return std::make_unique<CScriptedTable<Table>>(); },
          [](CBlackJackClientTable& t, const char* text) { return static_cast<CScriptedTable<Table>&>(t).LoadMainScript(text); },
          game, limits, main};
}

const SClassCase kClasses[] = {
    Case<CBlackJackClientTable>("regular", "MKAVO", "xrs/kavo_limits.xrs", "xrs/kavo_main.xrs"),
    Case<COneDeckClientTable>("one deck", "MKAVOONE", "xrs/kavo_onedeck_limits.xrs", "xrs/kavo_onedeck_main.xrs"),
};

class CClientTableClass : public ::testing::TestWithParam<SClassCase> {};

TEST_P(CClientTableClass, ConstructsWithTheTableDefaults) {
  const std::unique_ptr<CBlackJackClientTable> table = GetParam().Make();
  const uint32_t chips[] = {1, 5, 25, 100, 500, 2};
  for (int32_t i = 0; i < KAVO_CHIP_KINDS; ++i) EXPECT_EQ(table->GetChipValues()[i], chips[i]) << i;
  EXPECT_EQ(table->GetMinTable(), CBlackJackClientTable::TMoney("5"));
  EXPECT_EQ(table->GetMaxTable(), CBlackJackClientTable::TMoney("500"));
  EXPECT_FALSE(table->GetMinTable().GetError() || table->GetMaxTable().GetError());
  EXPECT_EQ(table->GetViewIndex(), 2);
  for (int32_t i = 0; i < 2 * KAVO_VIEWS; ++i) EXPECT_EQ(table->GetPracticeDlgPos()[i], -1) << i;
  EXPECT_EQ(table->GetMaxNumHands(), 5);
  EXPECT_EQ(table->GetLastValueCtrl(), -1);
  EXPECT_EQ(table->GetLastValueTotal(), -1);
  EXPECT_EQ(table->GetTurnSeat(), KAVO_NUM_SEATS);  // nobody's turn
  EXPECT_EQ(table->GetPendingAction(), KAVO_ACTION_PENDING_NONE);
  EXPECT_EQ(table->GetBetSign(), 0);
  EXPECT_EQ(table->GetChipStack(), nullptr);
  EXPECT_TRUE(table->GetValidDoubleSums().empty());
  // No records before the table builds them.
  for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat) EXPECT_EQ(table->GetPlayerRecord(seat), nullptr);
}

TEST_P(CClientTableClass, AnswersItsNamesAndPlaces) {
  const SClassCase& c = GetParam();
  const std::unique_ptr<CBlackJackClientTable> table = c.Make();
  EXPECT_EQ(table->GetNumSlots(), 5);
  EXPECT_STREQ(table->GetGameName(), c.GameName);
  EXPECT_STREQ(table->GetPanelGameName(), c.GameName);
  EXPECT_STREQ(table->GetLimitsScriptName(), c.LimitsScript);
  EXPECT_STREQ(table->GetMainScriptName(), c.MainScript);
  EXPECT_EQ(table->GetNumChipPositions(), 9);
  EXPECT_EQ(table->GetNumHandoutPositions(), 3);
  EXPECT_EQ(table->ChooseSeat(), 1);
  // The one-deck table names its own scripts only.
  if (std::strcmp(c.GameName, "MKAVOONE") == 0)
    for (const char* name : {table->GetLimitsScriptName(), table->GetMainScriptName()}) {
      EXPECT_STRNE(name, "xrs/kavo_main.xrs");
      EXPECT_STRNE(name, "xrs/kavo_limits.xrs");
    }
}

TEST_P(CClientTableClass, HelpTextsComeFromTheMainScript) {
  const SClassCase& c = GetParam();
  const std::unique_ptr<CBlackJackClientTable> table = c.Make();
  ASSERT_EQ(c.LoadScript(*table,
                         "{ = Strings\n"
                         "    A = 10500, \"help\"\n"
                         "    B = 10501, \"live support\"\n"
                         "    C = 10502, \"keys help\"\n"
                         "    D = 10503, \"no browser\"\n"
                         "}\n"),
            1);
  EXPECT_STREQ(table->GetHelpURL(), "help");
  EXPECT_STREQ(table->GetLiveSupportURL(), "live support");
  EXPECT_STREQ(table->GetFKeyHelpURL(), "keys help");
  EXPECT_STREQ(table->GetHelpErrText(), "no browser");
}

TEST_P(CClientTableClass, TheShippedScriptGivesAddressesForTheLinksAndASentenceForTheError) {
  const SClassCase& c = GetParam();
  std::ifstream file(std::string(VORRIN_DIST_DIR) + "/" + c.MainScript, std::ios::binary);
  ASSERT_TRUE(file) << c.MainScript;
  std::stringstream text;
  text << file.rdbuf();
  const std::unique_ptr<CBlackJackClientTable> table = c.Make();
  ASSERT_EQ(c.LoadScript(*table, text.str().c_str()), 1);
  for (const char* address : {table->GetHelpURL(), table->GetLiveSupportURL(), table->GetFKeyHelpURL()}) {
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(std::strncmp(address, "https://", 8), 0) << address;
  }
  ASSERT_NE(table->GetHelpErrText(), nullptr);
  EXPECT_EQ(std::strstr(table->GetHelpErrText(), "://"), nullptr) << table->GetHelpErrText();
  EXPECT_STRNE(table->GetHelpURL(), table->GetFKeyHelpURL());
}

INSTANTIATE_TEST_SUITE_P(Classes, CClientTableClass, ::testing::ValuesIn(kClasses),
                         [](const ::testing::TestParamInfo<SClassCase>& info) {
                           return std::string(info.param.What[0] == 'r' ? "Regular" : "OneDeck");
                         });

}  // namespace
