// The table's set-up and tear-down headless with the authored scripts: both tables come up and
// going leaves nothing behind; a script that lacks a key, string, picture or dialog section, or
// holds a malformed value, fails the set-up with one diagnostic naming it and leaves nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "client/layoutkeys.h"
#include "kavosetupkit.h"
#include "ostrel/sound/samplecontainer.h"

namespace {

class KavoSetup : public CKavoTableFixture {
 protected:
  // The regular table on a copy of its main script edited by the test; InitTable's result.
  int32_t StartWithScript(const std::string& text) {
    const std::string copy = m_Dir.File("edited_main.xrs");
    WriteWholeFile(copy, text);
    return StartTable(std::make_unique<CProbeTable>(copy));
  }
  // Set-up fails with one diagnostic that holds what, and nothing of the table is left.
  void ExpectRefused(const std::string& text, const std::string& what) {
    std::vector<std::string> said;
    {
      CSetupDiagnostics diagnostics;
      EXPECT_EQ(StartWithScript(text), 0);
      said = diagnostics.Lines();
    }
    ASSERT_EQ(said.size(), 1u) << what;
    EXPECT_NE(said[0].find(what), std::string::npos) << said[0];
    EXPECT_EQ(EndTable(), 1);
    EXPECT_EQ(Leftovers(), Before()) << what;
    EXPECT_EQ(TableAs<CProbeTable>().Remains(), std::vector<std::string>{}) << what;
  }
};

TEST_F(KavoSetup, TheRegularAndTheOneDeckTableComeUpAndLeaveNothing) {
  for (int32_t oneDeck = 0; oneDeck < 2; ++oneDeck) {
    SCOPED_TRACE(oneDeck ? "one deck" : "regular");
    std::unique_ptr<CBlackJackClientTable> table;
    if (oneDeck) table = std::make_unique<COneDeckClientTable>();
    ASSERT_EQ(StartTable(std::move(table), oneDeck ? KAVO_TEST_ONEDECK_TABLE_ID : KAVO_TEST_TABLE_ID), 1);
    Frames(5);
    EXPECT_EQ(Table().GetMaxCardsInPocket(), 20);
    EXPECT_NE(Table().GetChipStack(), nullptr);
    EXPECT_GT(Leftovers().Windows, Before().Windows);
    EXPECT_GT(Leftovers().Timers, Before().Timers);
    EXPECT_EQ(EndTable(), 1);
    EXPECT_EQ(Leftovers(), Before());
    for (uint32_t id = 0; id < KAVO_SAMPLES; ++id) ASSERT_EQ(Table().GetSamples()->FindSample(id), nullptr) << id;
  }
}

TEST_F(KavoSetup, ASetUpTableHoldsItsPartsAndTheirTearDownLeavesNone) {
  ASSERT_EQ(StartTable(std::make_unique<CProbeTable>()), 1);
  CProbeTable& table = TableAs<CProbeTable>();
  EXPECT_EQ(table.Remains().size() > 20, true);
  for (int32_t i = 0; i < CBlackJackClientTable::KAVO_SMALL_CHIPS; ++i) EXPECT_NE(table.GetSmallChip(i), nullptr) << i;
  for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat) EXPECT_NE(table.GetPlayerRecord(seat), nullptr) << seat;
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    ASSERT_NE(table.GetInsuranceDialog(seat), nullptr);
    EXPECT_EQ(table.GetInsuranceDialog(seat)->GetID(), 203 + seat);
    EXPECT_TRUE(table.GetInsuranceDialog(seat)->IsHidden()) << seat;
  }
  EXPECT_EQ(table.GetMainDialog().GetID(), 110);
  EXPECT_EQ(table.GetCardTable().GetNumPockets(), 16);
  EXPECT_EQ(table.GetClearAreas().size(), 5u);
  // The framework greys a table it has just built; the action and second dialogs wait below the
  // screen, the action buttons off.
  EXPECT_TRUE(table.IsGreyed());
  for (CDialog* dialog : {table.GetActionDialog(), table.GetSecondDialog()}) {
    int32_t x = 0, y = 0;
    ASSERT_TRUE(dialog && dialog->GetPos(x, y));
    EXPECT_EQ(y, 600);
  }
  EXPECT_EQ(table.ActionDialogHomeY(), 548);
  EXPECT_EQ(table.SecondDialogHomeY(), 548);
  for (int32_t button = 155; button <= 158; ++button)
    EXPECT_EQ(table.GetActionDialog()->GetCtrl(button)->GetState(), XGUI_DISABLED) << button;
  // The bet-limit check answers in the script's words.
  using M = CBlackJackClientTable::TMoney;
  const char* message = nullptr;
  EXPECT_EQ(table.GetBetLimitCheck().Check(M(2), M(100), M(5), M(500), 1, message), 0);
  ASSERT_NE(message, nullptr);
  EXPECT_STREQ(message, "Your bet is too small: 5 is the smallest bet at this table.");
  ASSERT_EQ(EndTable(), 1);
  EXPECT_EQ(table.Remains(), std::vector<std::string>{});
  EXPECT_EQ(Leftovers(), Before());
}

TEST_F(KavoSetup, TheKeysAreTheHundredAndThirteenOfTheScriptInTheirOrder) {
  const std::vector<SKavoLayoutKey> keys = xKavoLayoutKeys();
  ASSERT_EQ(keys.size(), 113u);
  EXPECT_EQ(keys.front().Name, "PracticeDlgPosXY");
  EXPECT_EQ(keys.back().Name, "CASHIERMSGTIME");
  const std::string script = DistScript("kavo_main.xrs");
  std::vector<std::string> optional;
  for (const SKavoLayoutKey& key : keys) {
    EXPECT_NE(WithoutItem(script, key.Name), script) << key.Name << " is not in the script";
    if (!key.Required) optional.push_back(key.Name);
  }
  EXPECT_EQ(optional, (std::vector<std::string>{"PracticeDlgPosXY", "SHOWOTHERUSERSCASH", "CHIP_VALUES",
                                                "MAXROUNDSBEFOREMSG", "CASHIERMSGTIME"}));
}

TEST_F(KavoSetup, EachRequiredKeyMissingFailsTheSetUpByNameAndLeavesNothing) {
  const std::string script = DistScript("kavo_main.xrs");
  int32_t tried = 0;
  for (const SKavoLayoutKey& key : xKavoLayoutKeys()) {
    if (!key.Required) continue;
    SCOPED_TRACE(key.Name);
    ExpectRefused(WithoutItem(script, key.Name), "\"" + key.Name + "\"");
    ++tried;
  }
  EXPECT_EQ(tried, 108);
}

TEST_F(KavoSetup, AMissingStringPictureOrSectionFailsTheSetUpByNameAndLeavesNothing) {
  const std::string script = DistScript("kavo_main.xrs");
  const struct {
    std::string Script;
    const char* Said;
  } cases[] = {
      {WithoutItem(script, "PIC_LIGHT"), "string 10312"},
      {WithoutItem(script, "PIC_CARDS"), "string 10310"},
      {WithoutItem(script, "PIC_BACK"), "string 10311"},
      {WithoutItem(script, "PIC_ICONS"), "string 10400"},
      {WithoutItem(script, "smallChipBm3"), "picture smallChipBm3"},
      {WithoutChunk(script, "= Window, IDD_INSURANCE3"), "dialog section 205"},
      {WithoutChunk(script, "= Window, IDD_TABLE"), "dialog section 110"},
      {WithoutChunk(script, "{ = Data"), "data chunk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Said);
    ExpectRefused(c.Script, c.Said);
  }
}

TEST_F(KavoSetup, MalformedValuesFailTheSetUpByNameAndLeaveNothing) {
  const std::string script = DistScript("kavo_main.xrs");
  const struct {
    const char* Key;
    const char* Value;
  } cases[] = {
      {"TABLEY", "{ 0.0, 1.0 }"},              // an array for a single value
      {"DECKSPEED", "9"},                      // a single value for an array
      {"DECKROTZ", "{ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }"},  // 15 of 16
      {"LIGHTPOS", "{ 1, 2, 3, 4, 5 }"},       // 5 of 4
      {"CARDWIDTH", "56.5"},                   // a fraction for a long
      {"CARDWIDTH", "4294967352"},             // beyond 32 bits
      {"CARDX", "wide"},                       // no number at all
      {"SHOWOTHERUSERSCASH", "maybe"},         // no bool
      {"CHIP_VALUES", "{ 1, 5, -25, 100, 500, 2 }"},  // a negative unsigned value
      {"NUM_CLEARAREAS", "6"},                 // beyond the five areas of CLEAR_COORDS
      {"NUM_CLEARAREAS", "-1"},
      {"CLEAR_COORDS", "{ 254, 17, 76, 84, 208, 74, 68, 0, 175, 137, 92, 95, 183, 205, 102, 91, 233, 264, 94, 72 }"},
      {"CHIPXSIZE", "0"},
      {"CHIPYSIZE", "-21"},
      {"CARDHEIGHT", "0"},
      {"CARDY", "-0.14"},
      {"ARROWXSIZE", "0.0"},
      {"PLAYERICONS_WIDTH", "0"},
      {"PANEL_ANIMFRAMES", "0"},
      {"MAXCARDSINPOCKET", "19"},
      {"MAXCARDSINPOCKET", "21"},
      {"NUMPOCKETS", "15"},
      {"PLAYERICONS_MALE", "-1"},
      {"SPOTCOORDS", "{ 369, 402, 0, 80, 244, 366, 78, 78, 153, 291, 76, 72, 110, 194, 72, 66, 116, 97, 69, 58, 494, 381, 79, 78, "
                     "365, 401, 79, 80, 238, 371, 79, 78, 144, 299, 75, 72, 96, 204, 73, 65, 589, 307, 77, 73, 489, 376, 78, 78, "
                     "360, 401, 80, 80, 233, 376, 78, 78, 134, 307, 77, 73, 631, 204, 73, 65, 581, 299, 75, 72, 483, 371, 79, 78, "
                     "356, 401, 79, 80, 227, 381, 79, 78, 615, 97, 69, 58, 618, 194, 72, 66, 571, 291, 76, 72, 478, 366, 78, 78, "
                     "352, 402, 79, 80 }"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Key) + " = " + c.Value);
    ExpectRefused(WithItem(script, c.Key, c.Value), std::string("\"") + c.Key + "\"");
  }
}

TEST_F(KavoSetup, TheStartSeatPicksTheViewAndASeatOffTheTableKeepsTheMiddleOne) {
  for (auto [seat, view] : {std::pair{-1, 2}, {0, 0}, {4, 4}, {5, 2}, {1000, 2}, {-7, 2}}) {
    SCOPED_TRACE(seat);
    ASSERT_EQ(StartTable(nullptr, KAVO_TEST_TABLE_ID, seat), 1);
    EXPECT_EQ(Table().GetViewIndex(), view);
    EXPECT_EQ(EndTable(), 1);
  }
}

TEST_F(KavoSetup, NoClearAreasIsAFineTable) {
  ASSERT_EQ(StartWithScript(WithItem(DistScript("kavo_main.xrs"), "NUM_CLEARAREAS", "0")), 1);
  EXPECT_TRUE(Table().GetClearAreas().empty());
}

TEST_F(KavoSetup, TheFrameworkExitAfterAFailedSetUpIsHarmless) {
  // The module ends a table whose set-up failed with ExitTable, which reaches the tear-down a
  // second time.
  ASSERT_EQ(StartWithScript(WithoutItem(DistScript("kavo_main.xrs"), "HFOV")), 0);
  EXPECT_EQ(EndTable(), 1);
  ASSERT_EQ(StartTable(std::make_unique<CProbeTable>()), 1);
  EXPECT_EQ(EndTable(), 1);
  EXPECT_EQ(Leftovers(), Before());
}

}  // namespace
