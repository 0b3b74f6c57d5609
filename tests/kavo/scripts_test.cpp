// The main scripts of the three tables and the panel script, as the install folder holds them:
// every layout key the table reads with its type and count, every string, picture and dialog
// section the table and the panel name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/panel/panelfixture.h"
#include "common/widgets/panel.h"
#include "kavotest.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/graphics/bitmap.h"

namespace {
// The keys of a main script's data chunk in the order the table reads them: name, type (l long,
// d double, b bool, u unsigned long) and count (0 a single value; -1 for CHIP3DCOORDS and
// HANDOUT3DCOORDS, whose counts follow the table; -2 for CLEAR_COORDS, four per clear area).
struct SKey {
  const char* Name;
  char Type;
  int32_t Count;
};
const SKey kKeys[] = {
    {"PracticeDlgPosXY", 'l', 10}, {"TableInfoBtn", 'l', 20}, {"TableInfoPopup", 'l', 10},
    {"MAXCARDSINPOCKET", 'l', 0}, {"NUMPOCKETS", 'l', 0}, {"TABLEY", 'd', 0}, {"CARDWIDTH", 'l', 0},
    {"CARDHEIGHT", 'l', 0}, {"CARDX", 'd', 0}, {"CARDY", 'd', 0}, {"CARDROTANGLE", 'd', 0},
    {"CARDHOUSEX", 'd', 0}, {"CARDHOUSEY", 'd', 0}, {"CARDHOUSEZ", 'd', 0}, {"CARDHOUSEROTX", 'd', 0},
    {"CARDHOUSEROTY", 'd', 0}, {"CARDHOUSEROTZ", 'd', 0}, {"DEALORGX", 'd', 0}, {"DEALORGY", 'd', 0},
    {"DEALORGZ", 'd', 0}, {"DEALORGROTX", 'd', 0}, {"DEALORGROTY", 'd', 0}, {"DEALORGROTZ", 'd', 0},
    {"DISCARDXPOS", 'd', 0}, {"DISCARDYPOS", 'd', 0}, {"DISCARDZPOS", 'd', 0}, {"DISCARDROTX", 'd', 0},
    {"DISCARDROTY", 'd', 0}, {"DISCARDROTZ", 'd', 0}, {"DECKPOS", 'd', 32}, {"DECKROTZ", 'd', 16},
    {"DECKOFFSET", 'd', 32}, {"DECKSPEED", 'd', 6}, {"CLEARSPEEDSMALL", 'd', 0}, {"CLEARSPEEDBIG", 'd', 0},
    {"TABLEYSTRENGTH", 'd', 0}, {"SPLITSPEED", 'd', 0}, {"DECK5TURNSPEED", 'd', 0}, {"SCANSPEED", 'd', 0},
    {"CAMERAX0", 'd', 0}, {"CAMERAY0", 'd', 0}, {"CAMERAZ0", 'd', 0}, {"CAMERAX1", 'd', 0},
    {"CAMERAY1", 'd', 0}, {"CAMERAZ1", 'd', 0}, {"CAMERAX2", 'd', 0}, {"CAMERAY2", 'd', 0},
    {"CAMERAZ2", 'd', 0}, {"CAMERAX3", 'd', 0}, {"CAMERAY3", 'd', 0}, {"CAMERAZ3", 'd', 0},
    {"CAMERAX4", 'd', 0}, {"CAMERAY4", 'd', 0}, {"CAMERAZ4", 'd', 0}, {"CAMERAROTX0", 'd', 0},
    {"CAMERAROTY0", 'd', 0}, {"CAMERAROTZ0", 'd', 0}, {"CAMERAROTX1", 'd', 0}, {"CAMERAROTY1", 'd', 0},
    {"CAMERAROTZ1", 'd', 0}, {"CAMERAROTX2", 'd', 0}, {"CAMERAROTY2", 'd', 0}, {"CAMERAROTZ2", 'd', 0},
    {"CAMERAROTX3", 'd', 0}, {"CAMERAROTY3", 'd', 0}, {"CAMERAROTZ3", 'd', 0}, {"CAMERAROTX4", 'd', 0},
    {"CAMERAROTY4", 'd', 0}, {"CAMERAROTZ4", 'd', 0}, {"LIGHTPOS", 'd', 4}, {"SCANXOFFSET", 'd', 0},
    {"SCANYOFFSET", 'd', 0}, {"SCANXROT", 'd', 0}, {"XDEALEROFFSET", 'd', 5}, {"YDEALEROFFSET", 'd', 5},
    {"HFOV", 'd', 0}, {"VFOV", 'd', 0}, {"CHIP3DCOORDS", 'd', -1}, {"HANDOUT3DCOORDS", 'd', -1},
    {"NUM_CLEARAREAS", 'l', 0}, {"CLEAR_COORDS", 'l', -2}, {"CHIPXSIZE", 'l', 0}, {"CHIPYSIZE", 'l', 0},
    {"DEALER_COORDS", 'l', 10}, {"PANEL_ANIMFRAMES", 'l', 0}, {"WINWAITTIME", 'l', 0}, {"SAYWAITTIME", 'l', 0},
    {"INSURANCECOORDS", 'd', 20}, {"ARROWCOORDS", 'd', 60}, {"ARROWROT", 'd', 45}, {"ARROWXSIZE", 'd', 0},
    {"ARROWYSIZE", 'd', 0}, {"SHADOWOFFSET", 'd', 0}, {"SPOTCOORDS", 'l', 100}, {"PLAYERICON_COORDS", 'l', 50},
    {"THINKBUBBLE_COORDS", 'l', 50}, {"TAG_OFFSET", 'l', 2}, {"NAMETAG_OFFSET", 'l', 2}, {"CASHTAG_OFFSET", 'l', 2},
    {"BETREMOVE_OFFSET", 'l', 2}, {"CARDVALUE_COORDS", 'l', 160}, {"INSURANCEWINDOWS_COORDS", 'l', 50},
    {"TIMEOUTMETER_POS", 'l', 10}, {"PLAYERICONS_WIDTH", 'l', 0}, {"PLAYERICONS_HEIGHT", 'l', 0},
    {"PLAYERICONS_MALE", 'l', 0}, {"PLAYERICONS_FEMALE", 'l', 0}, {"PLAYERICONS_OTHER", 'l', 0},
    {"MAXNUMHANDS", 'l', 0}, {"SHOWOTHERUSERSCASH", 'b', 0}, {"CHIP_VALUES", 'u', 6},
    {"MAXROUNDSBEFOREMSG", 'l', 0}, {"CASHIERMSGTIME", 'l', 0},
};

class MainScript : public CKavoTest, public ::testing::WithParamInterface<SKavoTable> {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    ASSERT_EQ(m_Script.Load((std::string("xrs/") + GetParam().Script).c_str()), 1) << GetParam().Script;
  }
  void TearDown() override {
    m_Dialogs.clear();
    m_Script.Free();
    CKavoTest::TearDown();
  }
  CResData m_Script;
};

TEST_P(MainScript, HoldsEveryLayoutKeyWithItsTypeAndCount) {
  const SKavoTable& t = GetParam();
  ASSERT_EQ(m_Script.EnterDataChunk(), 1);
  int32_t keys = 0;
  for (int32_t more = m_Script.FirstItem(); more; more = m_Script.NextItem(0)) keys += !m_Script.IsComment();
  EXPECT_EQ(keys, 113) << "the data chunk holds keys the table does not read, or lacks some";

  const int32_t clearAreas = Longs(m_Script, "NUM_CLEARAREAS").at(0);
  EXPECT_GE(clearAreas, 1);
  for (const SKey& k : kKeys) {
    SCOPED_TRACE(k.Name);
    int32_t want = k.Count;
    if (want == -1) want = (std::strcmp(k.Name, "CHIP3DCOORDS") == 0 ? (t.SideBet ? 10 : 9) : (t.SideBet ? 4 : 3)) * 2 * 5;
    if (want == -2) want = 4 * clearAreas;
    int32_t count = 0;
    const std::vector<double> v = Values(m_Script, k.Name, &count);
    ASSERT_EQ(count, want);
    ASSERT_EQ(v.size(), static_cast<size_t>(std::max(want, 1)));
    // Whole numbers where the table reads longs, 0 or 1 where it reads a bool; and they read so.
    for (double x : v) {
      EXPECT_TRUE(std::isfinite(x));
      if (k.Type != 'd') {
        EXPECT_EQ(x, std::floor(x));
      }
      if (k.Type == 'b') {
        EXPECT_TRUE(x == 0 || x == 1);
      }
      if (k.Type == 'u') {
        EXPECT_GE(x, 0);
      }
    }
    if (k.Type == 'l' && want > 0) {
      std::vector<int32_t> longs(static_cast<size_t>(want));
      EXPECT_EQ(m_Script.GetItem(k.Name, KLONGARRAY, want, longs.data(), KEND), 1);
    } else if (k.Type == 'l') {
      int32_t x = 0;
      EXPECT_EQ(m_Script.GetItem(k.Name, KLONG, &x, KEND), 1);
    } else if (k.Type == 'b') {
      int32_t x = 0;
      EXPECT_EQ(m_Script.GetItem(k.Name, KBOOL, &x, KEND), 1);
    } else if (k.Type == 'u') {
      uint32_t x[6] = {};
      EXPECT_EQ(m_Script.GetItem(k.Name, KULONGARRAY, 6, x, KEND), 1);
    }
  }
  // What the issue fixes: up to 20 cards a hand everywhere, one hand a player at the one-deck table.
  EXPECT_EQ(Longs(m_Script, "MAXCARDSINPOCKET").at(0), 20);
  EXPECT_EQ(Longs(m_Script, "NUMPOCKETS").at(0), 16);
  EXPECT_EQ(Longs(m_Script, "MAXNUMHANDS").at(0), t.OneDeck ? 1 : 5);
  EXPECT_EQ(Longs(m_Script, "CHIP_VALUES"), (std::vector<int32_t>{1, 5, 25, 100, 500, 2}));
  EXPECT_EQ(m_Script.ExitDataChunk(), 1);
}

TEST_P(MainScript, NamesEveryStringWithItsFiles) {
  const SKavoTable& t = GetParam();
  std::vector<int32_t> ids;
  for (int32_t id = 10000; id <= 10042; ++id) ids.push_back(id);
  for (int32_t id : {10200, 10201, 10202}) ids.push_back(id);
  for (int32_t id = 10205; id <= 10214; ++id) ids.push_back(id);
  for (int32_t id = 10300; id <= 10313; ++id) ids.push_back(id);
  for (int32_t id : {10400, 10500, 10501, 10502, 10503, 10700, 10800, 11000}) ids.push_back(id);
  if (t.SideBet) ids.insert(ids.end(), {10220, 10221});
  for (int32_t id : ids) {
    const char* s = m_Script.GetResString(id);
    ASSERT_NE(s, nullptr) << id;
    EXPECT_GT(std::strlen(s), 0u) << id;
  }
  // The side-bet messages belong to the side-bet table only.
  if (!t.SideBet) {
    EXPECT_EQ(m_Script.GetResString(10220), nullptr);
    EXPECT_EQ(m_Script.GetResString(10221), nullptr);
  }
  // Pictures, the panel script and the music are there; the samples are another generator's.
  for (int32_t id = 10300; id <= 10313; ++id) EXPECT_EQ(xFileExists(m_Script.GetResString(id)), 1) << id;
  for (int32_t id : {10400, 10700, 11000}) EXPECT_EQ(xFileExists(m_Script.GetResString(id)), 1) << id;
  for (int32_t v = 0; v < 5; ++v) {
    EXPECT_STREQ(m_Script.GetResString(10300 + 2 * v),
                 ("pictures/kavo/" + std::string(t.Name) + "_table" + std::to_string(v) + ".bmp").c_str());
    EXPECT_STREQ(m_Script.GetResString(10301 + 2 * v),
                 ("pictures/kavo/" + std::string(t.Name) + "_spots" + std::to_string(v) + ".bmp").c_str());
  }
  // The currency text is a pattern the formatter takes: one "%s".
  EXPECT_STREQ(m_Script.GetResString(10800), "$%s");
}

TEST_P(MainScript, NamesEveryPictureAtTheSizeTheLayoutSays) {
  ASSERT_EQ(m_Script.EnterDataChunk(), 1);
  const int32_t chipW = Longs(m_Script, "CHIPXSIZE").at(0), chipH = Longs(m_Script, "CHIPYSIZE").at(0);
  const int32_t cardW = Longs(m_Script, "CARDWIDTH").at(0), cardH = Longs(m_Script, "CARDHEIGHT").at(0);
  const int32_t iconW = Longs(m_Script, "PLAYERICONS_WIDTH").at(0), iconH = Longs(m_Script, "PLAYERICONS_HEIGHT").at(0);
  const int32_t icons[3] = {Longs(m_Script, "PLAYERICONS_MALE").at(0), Longs(m_Script, "PLAYERICONS_FEMALE").at(0),
                            Longs(m_Script, "PLAYERICONS_OTHER").at(0)};
  m_Script.ExitDataChunk();
  for (int32_t k = 1; k <= 5; ++k) {
    int32_t w = 0, h = 0;
    const std::string name = "smallChipBm" + std::to_string(k);
    ASSERT_NE(m_Script.GetBm(name.c_str(), &w, &h), nullptr) << name;
    // Six chips side by side, each a chip wide plus one pixel; the chip stacks key on green.
    EXPECT_EQ(w, 6 * (chipW + 1)) << name;
    EXPECT_EQ(h, chipH) << name;
    TRGBA first;
    ASSERT_EQ(m_Script.GetBm(name.c_str(), &w, &h)->GetPixel(0, 0, &first), 1);
    EXPECT_EQ(first.r, 0);
    EXPECT_EQ(first.g, 255);
    EXPECT_EQ(first.b, 0);
  }
  for (int32_t k = 1; k <= 3; ++k) {
    int32_t w = 0, h = 0;
    const std::string name = "tableInfoPopup" + std::to_string(k) + "Bm";
    EXPECT_NE(m_Script.GetBm(name.c_str(), &w, &h), nullptr) << name;
  }
  // The card sheet holds 13 ranks across and 4 suits down of the card size; the back one card.
  CBitmap sheet, back, light, iconStrip, table;
  ASSERT_EQ(sheet.Load(m_Script.GetResString(10310), 0), 1);
  EXPECT_EQ(sheet.m_Width, 13 * cardW);
  EXPECT_EQ(sheet.m_Height, 4 * cardH);
  ASSERT_EQ(back.Load(m_Script.GetResString(10311), 0), 1);
  EXPECT_EQ(back.m_Width, cardW);
  EXPECT_EQ(back.m_Height, cardH);
  ASSERT_EQ(light.Load(m_Script.GetResString(10312), 0), 1);
  ASSERT_EQ(iconStrip.Load(m_Script.GetResString(10400), 0), 1);
  // Cells at ((w + 1) n + 1, (h + 1) row + 1), three rows, as many across as the largest row.
  EXPECT_EQ(iconStrip.m_Height, 3 * (iconH + 1) + 1);
  EXPECT_EQ(iconStrip.m_Width, std::max({icons[0], icons[1], icons[2]}) * (iconW + 1) + 1);
  for (int32_t v = 0; v < 5; ++v) {
    ASSERT_EQ(table.Load(m_Script.GetResString(10300 + 2 * v), 0), 1);
    EXPECT_EQ(table.m_Width, 800);
    EXPECT_EQ(table.m_Height, 600);
  }
}

// Each dialog section the table creates, with every control the table reaches in it.
TEST_P(MainScript, CreatesEveryDialogSectionWithItsControls) {
  struct SSection {
    int32_t Id;
    std::vector<int32_t> Controls;
  };
  std::vector<int32_t> table;
  for (int32_t id = 122; id <= 132; ++id) table.push_back(id);
  for (int32_t id = 140; id <= 149; ++id) table.push_back(id);
  for (int32_t id = 159; id <= 184; ++id) table.push_back(id);
  table.insert(table.end(), {301, 1002});
  std::vector<SSection> sections = {{110, table}, {138, {155, 156, 157, 158}}, {200, {201, 202}}, {300, {}}};
  for (int32_t id = 203; id <= 207; ++id) sections.push_back({id, {208, 209}});
  if (GetParam().SideBet) sections.push_back({247, {}});
  for (const SSection& s : sections) {
    CDialog* d = Dialog(&m_Script, s.Id);
    ASSERT_NE(d, nullptr) << "section " << s.Id;
    for (int32_t c : s.Controls) EXPECT_NE(d->GetGuiCtrl(c), nullptr) << "section " << s.Id << " control " << c;
  }
  // The popup has one picture control, and the split confirmation says what it asks.
  CDialog* popup = Dialog(&m_Script, 300);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->NumGuiCtrls(), 1);
  if (GetParam().SideBet) {
    CDialog* confirm = Dialog(&m_Script, 247);
    ASSERT_NE(confirm, nullptr);
    std::vector<std::string> texts;
    for (int32_t more = confirm->First(); more; more = confirm->Next()) {
      TGuiCtrl* r = confirm->CurrentGuiCtrl();
      const char* text = r && r->m_pCntrl ? r->m_pCntrl->GetTextBuffer(0) : nullptr;
      if (text) texts.push_back(text);
    }
    for (const char* want : {"Splitting breaks your sevens. Split anyway?", "Yes", "No"})
      EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, MainScript, ::testing::ValuesIn(kKavoTables), KavoTableName);

// The control panel's script: it loads, every section creates, every key, bitmap and string the
// panel names is there, and the panel's own reader builds the panel from it.
class PanelScript : public CKavoTest {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    CResData table;
    ASSERT_EQ(table.Load("xrs/kavo_main.xrs"), 1);
    ASSERT_NE(table.GetResString(11000), nullptr);
    ASSERT_EQ(m_Panel.Load(table.GetResString(11000)), 1);
  }
  void TearDown() override {
    m_Dialogs.clear();
    m_Panel.Free();
    CKavoTest::TearDown();
  }
  CResData m_Panel;
};

TEST_F(PanelScript, CreatesEverySectionWithTheControlsThePanelUses) {
  const std::vector<std::pair<int32_t, std::vector<int32_t>>> sections = {
      {3300, {414}},
      {3301, {500, 501, 502, 503, 504}},
      {3302, {400, 401, 430, 480, 481}},
      {3303, {410, 411, 412}},
      {3304, {402, 404, 405, 406, 407, 408, 409, 417, 432, 440}},
      {3305, {413, 415, 416}},
      {3306, {401, 420011, 421000}},
      {3307, {460, 461, 470, 471}},
      {3308, {401, 427, 428, 429, 441}},
      {3309, {401}},
  };
  for (const auto& [id, controls] : sections) {
    CDialog* d = Dialog(&m_Panel, id);
    ASSERT_NE(d, nullptr) << "section " << id;
    for (int32_t c : controls) EXPECT_NE(d->GetGuiCtrl(c), nullptr) << "section " << id << " control " << c;
  }
  // The options dialog binds its check boxes through the options' names.
  EXPECT_STREQ(m_Panel.GetResName(420011), "OPT_SOUND");
  EXPECT_STREQ(m_Panel.GetResName(421000), "OPT_HANDVALUES");
}

TEST_F(PanelScript, ThePanelsOwnReaderBuildsThePanelForEachTable) {
  for (const char* script : {"xrs/kavo_main.xrs", "xrs/kavo_ss_main.xrs", "xrs/kavo_onedeck_main.xrs"}) {
    CResData table;
    ASSERT_EQ(table.Load(script), 1) << script;
    CRecordingTable game;
    CPanel panel;
    EXPECT_EQ(panel.Init(&table, &game, 1, nullptr, nullptr), 1) << script;
    EXPECT_EQ(panel.Exit(), 1) << script;
  }
}

TEST_F(PanelScript, HoldsTheKeysBitmapsAndStringsThePanelReads) {
  ASSERT_EQ(m_Panel.EnterDataChunk(), 1);
  int32_t sets = 0;
  ASSERT_EQ(m_Panel.GetItem("NUM_BITMAPS", KLONG, &sets, KEND), 1);
  EXPECT_GT(sets, 0);
  int32_t lights[20];
  EXPECT_EQ(m_Panel.GetItem("CHIPLIGHTPOS", KLONGARRAY, 20, lights, KEND), 1);
  for (const char* key : {"CHATYDISABLED", "SWITCHDOWNX", "SWITCHDOWNY", "SWITCHUPX", "SWITCHUPY", "SWITCHFRAMES",
                          "PANELRIGHTUPY", "PANELOPTIONSY", "PANELHELPUPY", "PANELFKEYSUPY"}) {
    int32_t v = 0;
    EXPECT_EQ(m_Panel.GetItem(key, KLONG, &v, KEND), 1) << key;
  }
  char digits[301] = {};
  int32_t n[3] = {-1, -1, -1};
  ASSERT_EQ(m_Panel.GetItem("NUMSPINSDIGITS", KSTRING, 300, digits, KLONG, &n[0], KLONG, &n[1], KLONG, &n[2], KEND), 1);
  for (int32_t x : n) EXPECT_NE(x, -1);
  m_Panel.ExitDataChunk();
  int32_t w = 0, h = 0;
  EXPECT_NE(m_Panel.GetBm(digits, &w, &h), nullptr) << digits;
  EXPECT_GE(w, 10 * n[1]);
  EXPECT_GE(h, n[2]);

  for (int32_t set = 1; set <= sets; ++set)
    for (int32_t chip = 1; chip <= 5; ++chip)
      for (char look : {'N', 'P', 'H', 'D'}) {
        char name[32];
        std::snprintf(name, sizeof name, "chip%ldBm%c%ld", static_cast<long>(chip), look, static_cast<long>(set));
        EXPECT_NE(m_Panel.GetBm(name, &w, &h), nullptr) << name;
      }
  for (const char* name : {"panelLeftLow_CopyBm", "panelLeftLow_LightBm", "panelLeftLowBm"})
    EXPECT_NE(m_Panel.GetBm(name, &w, &h), nullptr) << name;
  // The light of each chip lies on the tray.
  int32_t trayW = 0, trayH = 0;
  ASSERT_NE(m_Panel.GetBm("panelLeftLowBm", &trayW, &trayH), nullptr);
  for (int32_t k = 0; k < 5; ++k) {
    EXPECT_GE(lights[4 * k], 0);
    EXPECT_GE(lights[4 * k + 1], 0);
    EXPECT_LE(lights[4 * k] + lights[4 * k + 2], trayW);
    EXPECT_LE(lights[4 * k + 1] + lights[4 * k + 3], trayH);
  }
  for (int32_t id : {10000, 10001, 10002, 11001, 11002}) EXPECT_NE(m_Panel.GetResString(id), nullptr) << id;
  EXPECT_STREQ(m_Panel.GetResString(10001), "Table %ld Users %ld");
  EXPECT_STREQ(m_Panel.GetResString(10002), "VIP Table %ld Users %ld");
}
}  // namespace
