// The control panel on the headless GUI harness, over the panel script of tests/data/panel and a
// table that records what the panel asks of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/chat/chatclient.h"
#include "common/chat/chatdisplay.h"
#include "common/chat/cmdstring.h"
#include "common/options/options.h"
#include "common/options/optionsdlg.h"
#include "common/widgets/dlgmove.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/mouse.h"
#include "ostrel/system/globals.h"
#include "panelfixture.h"
#include "platform/shell/launchrecorder.h"

namespace {

using Calls = std::vector<std::string>;
using TMoney = CHugeFixedPoint<10, 10>;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The whole line of the script that holds the text.
std::string LineWith(const std::string& script, const std::string& text) {
  const size_t at = script.find(text);
  if (at == std::string::npos) return {};
  const size_t begin = script.rfind('\n', at) + 1;
  return script.substr(begin, script.find('\n', at) + 1 - begin);
}

// A section of the script, from its header to its closing brace.
std::string SectionOf(const std::string& script, const std::string& header) {
  const size_t begin = script.find(header);
  if (begin == std::string::npos) return {};
  return script.substr(begin, script.find("\n}\n", begin) + 3 - begin);
}

// A chat client whose user list comes from a user-list record given straight to it.
std::unique_ptr<CChatClient> ChatWithUsers(const std::string& names) {
  auto chat = std::make_unique<CChatClient>(nullptr, nullptr);
  const std::string packet = std::string(1, char(CHATCMD_USERLIST)) + names + std::string(1, '\0');
  chat->ReceivePacket(packet.data(), uint32_t(packet.size()));
  return chat;
}

TEST_F(CPanelTest, InitBuildsEveryPartOfALocalTable) {
  ASSERT_EQ(Init(), 1);
  for (int32_t section = PANEL_SECTION_MESSAGELINE; section <= PANEL_SECTION_DENOMINATION; ++section)
    EXPECT_NE(m_pPanel->GetDialog(section), nullptr) << section;
  EXPECT_EQ(m_pPanel->IsOptionsDlgCreated(), 1);
  EXPECT_EQ(m_pPanel->GetReturnValue(), 1);
  EXPECT_STREQ(m_pPanel->GetOptionsDlg()->GetOptions()->GetSection(), "Blackjack");
  // The user list's bitmap is the list area's size; 150 / 15 + 1 lines show.
  ASSERT_NE(m_pPanel->GetUserListBitmap(), nullptr);
  EXPECT_EQ(m_pPanel->GetUserListBitmap()->m_Width, 170);
  EXPECT_EQ(m_pPanel->GetVisibleUserLines(), 11);
  EXPECT_EQ(State(PANEL_SECTION_USERLIST, PANEL_CTRL_CLOSE), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_OPTIONS, PANEL_CTRL_CLOSE), XGUI_DISABLED);
  // A local table: no user list, no web keys page, no play history; the chat's 417 stays.
  EXPECT_STREQ(m_pPanel->GetDialog(PANEL_SECTION_USERLIST)->GetTextBuffer(PANEL_CTRL_USERLIST_TITLE, 0),
               "Players at this table");
  EXPECT_EQ(State(PANEL_SECTION_USERLIST, PANEL_CTRL_OPEN_USERLIST), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_HELP, PANEL_CTRL_HELP_PAGE2), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_HELP, PANEL_CTRL_HELP_HISTORY), XGUI_DISABLED);
  EXPECT_NE(State(PANEL_SECTION_CHAT, PANEL_CTRL_FORREAL), XGUI_HIDDEN);
  // The request box waits below the screen; the chips are off and unlit.
  EXPECT_EQ(DialogY(PANEL_SECTION_REQUEST), PANEL_REQUEST_HIDDEN_Y);
  EXPECT_EQ(m_pPanel->GetChipSet(), -1);
  for (int32_t k = 0; k < PANEL_NUM_CHIPS; ++k) EXPECT_EQ(State(PANEL_SECTION_CHIPS, PANEL_CTRL_CHIP1 + k), XGUI_DISABLED);
  EXPECT_EQ(m_pPanel->GetDotFrame(), 0);
  // No user-list timer at a local table: a list given later is not read by time alone.
  auto chat = ChatWithUsers("Al\x02" "Bo");
  m_Table.m_pChat = chat.get();
  Frames(60);
  EXPECT_STREQ(m_pPanel->GetDialog(PANEL_SECTION_USERLIST)->GetTextBuffer(PANEL_CTRL_USERLIST_TITLE, 0),
               "Players at this table");
  EXPECT_EQ(m_pPanel->Exit(), 1);
  EXPECT_EQ(m_pPanel->GetDialog(PANEL_SECTION_CHIPS), nullptr);
}

TEST_F(CPanelTest, ARemoteTableHidesPlayForRealAndReadsTheUserListEverySecond) {
  m_Table.m_Remote = 1;
  auto chat = ChatWithUsers("Al\x02" "Bo\x02" "Cy");
  m_Table.m_pChat = chat.get();
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(State(PANEL_SECTION_CHAT, PANEL_CTRL_FORREAL), XGUI_HIDDEN);
  EXPECT_NE(State(PANEL_SECTION_USERLIST, PANEL_CTRL_OPEN_USERLIST), XGUI_DISABLED);
  EXPECT_NE(State(PANEL_SECTION_HELP, PANEL_CTRL_HELP_HISTORY), XGUI_DISABLED);
  Frames(55);
  EXPECT_STREQ(m_pPanel->GetDialog(PANEL_SECTION_USERLIST)->GetTextBuffer(PANEL_CTRL_USERLIST_TITLE, 0),
               "VIP Table 6 Users 3");
}

TEST_F(CPanelTest, HeadingsCountTablesFromTheirIdAndAnOddPatternFallsBack) {
  auto chat = ChatWithUsers("Al\x02" "Bo");
  m_Table.m_pChat = chat.get();
  m_Table.m_Remote = 1;
  struct SCase {
    int32_t m_Id;
    const char* m_Pattern;
    const char* m_Heading;
  };
  const SCase cases[] = {
      {1405, nullptr, "VIP Table 6 Users 2"},
      {1399, nullptr, "Table 399 Users 2"},
      {400, nullptr, "VIP Table 1 Users 2"},
      {7, nullptr, "Table 7 Users 2"},
      {1399, "T%ld/%ld", "T399/2"},
      {1399, "T%s %ld", "Table 399 Users 2"},     // a pattern that would read a text
      {1399, "T%ld %ld %ld", "Table 399 Users 2"},  // three numbers
      {1399, "T%ld %n", "Table 399 Users 2"},
  };
  for (const SCase& c : cases) {
    std::string script = Script();
    if (c.m_Pattern)
      script = Replace(script, "\"Table %ld Users %ld\"", std::string("\"") + c.m_Pattern + "\"");
    WriteScript(script);
    m_Table.m_TableId = c.m_Id;
    ASSERT_EQ(Init(), 1);
    m_pPanel->UpdateUserList();
    EXPECT_STREQ(m_pPanel->GetDialog(PANEL_SECTION_USERLIST)->GetTextBuffer(PANEL_CTRL_USERLIST_TITLE, 0),
                 c.m_Heading)
        << c.m_Id << " " << (c.m_Pattern ? c.m_Pattern : "");
    m_pPanel->Exit();
  }
}

TEST_F(CPanelTest, InitFailsForEachRequiredPartAndNotForTheOptionalOnes) {
  const std::string script = Script();
  std::vector<std::pair<std::string, std::string>> variants;  // what is taken out, the script without it
  for (const char* key : {"NUM_BITMAPS", "CHATYDISABLED", "CHIPLIGHTPOS", "NUM_COINVALUES", "SWITCHDOWNX",
                          "SWITCHDOWNY", "SWITCHUPX", "SWITCHUPY", "SWITCHFRAMES", "PANELRIGHTUPY",
                          "PANELOPTIONSY", "PANELHELPUPY", "PANELFKEYSUPY", "NUMSPINSDIGITS"})
    variants.emplace_back(key, Replace(script, LineWith(script, std::string("    ") + key + " ="), ""));
  variants.emplace_back("NUM_BITMAPS 0", Replace(script, "NUM_BITMAPS = 2", "NUM_BITMAPS = 0"));
  variants.emplace_back("CHIPLIGHTPOS short", Replace(script, "CHIPLIGHTPOS = {10, 86, 48, 6, ", "CHIPLIGHTPOS = {"));
  for (const char* n : {"autoplayDigits, -1, 16, 24", "autoplayDigits, 10, -1, 24", "autoplayDigits, 10, 16, -1"})
    variants.emplace_back(n, Replace(script, "autoplayDigits, 10, 16, 24", n));
  for (int32_t section : {3300, 3301, 3302, 3303, 3304, 3305, 3306, 3307, 3308, 3309}) {
    const std::string header = "{ = Window, IDD_";
    // The section whose define has this number.
    const std::string define = LineWith(script, "= " + std::to_string(section) + "\n");
    const std::string name = define.substr(4, define.find(' ', 4) - 4);
    variants.emplace_back(std::to_string(section), Replace(script, SectionOf(script, "{ = Window, " + name + "\n"), ""));
  }
  for (int s = 1; s <= 2; ++s)
    for (const char* look : {"N", "P", "H", "D"})
      for (int c = 1; c <= 5; ++c) {
        const std::string name = "chip" + std::to_string(c) + "Bm" + look + std::to_string(s);
        variants.emplace_back(name, Replace(script, LineWith(script, "        " + name + " ="), ""));
      }
  for (const char* bitmap : {"panelLeftLowBm", "panelLeftLow_CopyBm", "panelLeftLow_LightBm", "denomBm_0", "denomBm_3"})
    variants.emplace_back(bitmap, Replace(script, LineWith(script, std::string("    ") + bitmap + " ="), ""));
  for (const auto& [what, text] : variants) {
    WriteScript(text);
    EXPECT_EQ(Init(), 0) << what;
    m_pPanel->Exit();
  }
  // A game script that names no panel script, or one that is not there.
  WriteScript(script);
  CResData none;
  ASSERT_EQ(none.Import("{ = Strings\n    OTHER = 11001, \"x\"\n}\n"), 1);
  EXPECT_EQ(m_pPanel->Init(&none, &m_Table, 4, nullptr, nullptr), 0);
  CResData missing;
  ASSERT_EQ(missing.Import("{ = Strings\n    PANELSCRIPT = 11000, \"nothere.xrs\"\n}\n"), 1);
  EXPECT_EQ(m_pPanel->Init(&missing, &m_Table, 4, nullptr, nullptr), 0);
  m_pPanel->Exit();

  // Optional: the two sections 3310 and 3311 (3311 takes its count along), the two dot bitmaps,
  // and the autoplay keys that have defaults.
  std::string optional = Replace(script, SectionOf(script, "{ = Window, IDD_AUTOPLAY\n"), "");
  optional = Replace(optional, SectionOf(optional, "{ = Window, IDD_DENOM\n"), "");
  optional = Replace(optional, LineWith(optional, "    NUM_COINVALUES ="), "");
  optional = Replace(optional, LineWith(optional, "    autoplayDotsBmDef ="), "");
  optional = Replace(optional, LineWith(optional, "    autoplayDotsBmFull ="), "");
  WriteScript(optional);
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(m_pPanel->GetDialog(PANEL_SECTION_AUTOPLAY), nullptr);
  EXPECT_EQ(m_pPanel->GetDialog(PANEL_SECTION_DENOMINATION), nullptr);
  EXPECT_EQ(m_pPanel->GetAutoplayNumRounds(), 1);
  m_pPanel->SetAutoplayNumRounds(7);
  EXPECT_EQ(m_pPanel->GetAutoplayNumRounds(), 1);
}

TEST_F(CPanelTest, ExtraDialogsComeInPairsFromTheGameScript) {
  ASSERT_EQ(m_GameRes.Import("{ = Strings\n    PANELSCRIPT = 11000, \"panel.xrs\"\n}\n"
                             "{ = Defines\n    IDD_EXTRA = 700\n}\n"
                             "{ = Window, IDD_EXTRA\n    Create = \"\", 10, 10, 50, 20, 0\n}\n"),
            1);
  CDialog extra;
  CLList list;
  list.InsertLast(reinterpret_cast<void*>(intptr_t{700}));
  list.InsertLast(&extra);
  EXPECT_EQ(m_pPanel->Init(&m_GameRes, &m_Table, 4, &CGuiTest::Record, &list), 1);
  EXPECT_EQ(extra.GetID(), 700);
  m_pPanel->Exit();
  extra.Destroy();
  list.InsertLast(&extra);  // odd
  EXPECT_EQ(m_pPanel->Init(&m_GameRes, &m_Table, 4, &CGuiTest::Record, &list), 0);
}

// ---- chips ----

class CPanelChips : public CPanelTest {
 protected:
  void SetUp() override {
    CPanelTest::SetUp();
    ASSERT_EQ(Init(), 1);
    m_pPanel->SetChipValues(1, 5, 25, 100, 500);
    ASSERT_EQ(m_pPanel->SetChips(0), 1);
  }
  std::vector<int32_t> Enabled() {
    std::vector<int32_t> on;
    for (int32_t k = 0; k < PANEL_NUM_CHIPS; ++k)
      if (State(PANEL_SECTION_CHIPS, PANEL_CTRL_CHIP1 + k) != XGUI_DISABLED) on.push_back(k + 1);
    return on;
  }
  uint32_t Light(int32_t chip) { return PanelPixel(LIGHT_X0 + LIGHT_STEP * (chip - 1) + 20, LIGHT_Y + 3); }
  std::vector<int32_t> Lit() {
    std::vector<int32_t> on;
    for (int32_t k = 1; k <= PANEL_NUM_CHIPS; ++k)
      if (Light(k) == LIGHT_ON_RGB) on.push_back(k);
    return on;
  }
};

TEST_F(CPanelChips, ValuesSetsAndTheLight) {
  EXPECT_TRUE(m_pPanel->GetChipValue(0) == TMoney(1));
  EXPECT_TRUE(m_pPanel->GetChipValue(4) == TMoney(500));
  EXPECT_TRUE(m_pPanel->GetChipValue(5) == TMoney(0));
  EXPECT_TRUE(m_pPanel->GetChipValue(-1) == TMoney(0));
  EXPECT_EQ(m_pPanel->SetChips(0), 1);  // already current
  EXPECT_EQ(m_pPanel->SetChips(2), 0);
  EXPECT_EQ(m_pPanel->SetChips(-1), 0);
  EXPECT_EQ(m_pPanel->SetChips(1), 1);
  EXPECT_EQ(m_pPanel->GetChipSet(), 1);
  EXPECT_EQ(Lit(), std::vector<int32_t>{});
  m_pPanel->SetCurrentChip(3);
  EXPECT_EQ(m_Table.m_CurrentChip, 25);
  EXPECT_EQ(Lit(), std::vector<int32_t>{3});
  m_pPanel->SetCurrentChip(5);
  EXPECT_EQ(Lit(), std::vector<int32_t>{5});
  EXPECT_EQ(Light(3), LIGHT_OFF_RGB);
  // Outside the light rectangles nothing changed.
  EXPECT_EQ(PanelPixel(5, 60), PANEL_BACK_RGB);
  m_pPanel->DisableChipButtons();
  EXPECT_EQ(Lit(), std::vector<int32_t>{});
  EXPECT_EQ(m_pPanel->GetChipSet(), -1);
  EXPECT_EQ(Enabled(), std::vector<int32_t>{});
}

TEST_F(CPanelChips, CheckChipButtonsByCashMultiplierAndMaximum) {
  struct SCase {
    int32_t m_Cash;
    double m_Multiplier;
    int32_t m_Max;
    int32_t m_CurrentChip;
    std::vector<int32_t> m_Enabled;
    int32_t m_ChipAfter;  // the table's current chip afterwards
    std::vector<int32_t> m_Lit;
  };
  const SCase cases[] = {
      {1000, 1.0, 0, 25, {1, 2, 3, 4, 5}, 25, {3}},   // still affordable: selected again
      {1000, 1.0, 0, 7, {1, 2, 3, 4, 5}, 7, {}},      // affordable, no chip of that value
      {60, 1.0, 0, 100, {1, 2, 3}, 25, {3}},          // not affordable: the highest enabled
      {1000, 1.0, 30, 500, {1, 2, 3}, 500, {5}},      // the maximum does not touch the current chip
      {1000, 4.0, 0, 500, {1, 2, 3, 4}, 100, {4}},    // 1000 / 4 = 250
      {1000, 0.5, 0, 1, {1, 2, 3, 4, 5}, 1, {1}},
      {0, 1.0, 0, 5, {}, 5, {}},                      // none enabled: the light area clean
  };
  for (const SCase& c : cases) {
    m_pPanel->SetChips(0);
    m_pPanel->SetCurrentChip(5);  // a light to clean away
    m_Table.m_Cash = TMoney(c.m_Cash);
    m_Table.m_CurrentChip = c.m_CurrentChip;
    m_pPanel->SetMultiplyCheckForCashValue(c.m_Multiplier);
    m_pPanel->CheckChipButtons(c.m_Max);
    EXPECT_EQ(Enabled(), c.m_Enabled) << c.m_Cash << " " << c.m_Multiplier << " " << c.m_Max;
    EXPECT_EQ(m_Table.m_CurrentChip, c.m_ChipAfter) << c.m_Cash << " " << c.m_Multiplier;
    if (c.m_Lit.empty() && c.m_Enabled.empty()) EXPECT_EQ(Lit(), std::vector<int32_t>{});
    if (!c.m_Lit.empty()) EXPECT_EQ(Lit(), c.m_Lit) << c.m_Cash;
  }
  m_pPanel->SetMultiplyCheckForCashValue(0.5);
  EXPECT_EQ(m_pPanel->nGetMultiplyCheckForCashValue(), 0.5);
  // Nothing while the chips are off.
  m_pPanel->DisableChipButtons();
  m_Table.m_Cash = TMoney(1000);
  m_pPanel->CheckChipButtons(0);
  EXPECT_EQ(Enabled(), std::vector<int32_t>{});
}

TEST_F(CPanelChips, TheCurrentChipIsFoundFromTheHighestChipDown) {
  m_pPanel->SetChipValues(5, 5, 5, 5, 5);
  m_Table.m_CurrentChip = 5;
  m_pPanel->CheckChipButtons(0);
  EXPECT_EQ(Lit(), std::vector<int32_t>{5});
}

TEST_F(CPanelChips, SelectChipFromLimits) {
  m_pPanel->SetCurrentChip(2);
  m_pPanel->SelectChipFromLimits(20, 200);
  EXPECT_EQ(Lit(), std::vector<int32_t>{3});
  EXPECT_EQ(m_Table.m_CurrentChip, 25);
  m_pPanel->SelectChipFromLimits(100, 100);  // both ends count
  EXPECT_EQ(Lit(), std::vector<int32_t>{4});
  m_pPanel->SelectChipFromLimits(600, 900);  // none: the chip stays, lit
  EXPECT_EQ(Lit(), std::vector<int32_t>{4});
  EXPECT_EQ(m_Table.m_CurrentChip, 100);
  // A multiplier of 0 makes no amount at all: nothing is asked, nothing chosen.
  m_pPanel->SetMultiplyCheckForCashValue(0.0);
  ClickCtrl(PANEL_SECTION_CHIPS, PANEL_CTRL_CHIP1 + 1);
  EXPECT_EQ(m_Table.Take(), Calls{});
  EXPECT_EQ(m_Table.m_CurrentChip, 100);
}

TEST_F(CPanelChips, AChipClickAsksTheTableForTheCashFirst) {
  m_Table.m_Cash = TMoney(1000);
  m_pPanel->CheckChipButtons(0);
  m_Table.Take();
  m_pPanel->SetMultiplyCheckForCashValue(2.0);
  ClickCtrl(PANEL_SECTION_CHIPS, PANEL_CTRL_CHIP1 + 3);
  EXPECT_EQ(m_Table.Take(), (Calls{"CheckCash", "Click"}));
  EXPECT_EQ(Lit(), std::vector<int32_t>{4});
  // The cash drops under the chip's value divided by the multiplier: the click does nothing.
  m_Table.m_Cash = TMoney(200);
  ClickCtrl(PANEL_SECTION_CHIPS, PANEL_CTRL_CHIP1 + 4);  // 500 / 2 = 250
  EXPECT_EQ(m_Table.Take(), Calls{"CheckCash"});
  EXPECT_EQ(Lit(), std::vector<int32_t>{4});
  EXPECT_EQ(m_Table.m_CurrentChip, 100);
  // A multiplier of 0 makes no amount at all: nothing is asked, nothing chosen.
  m_pPanel->SetMultiplyCheckForCashValue(0.0);
  ClickCtrl(PANEL_SECTION_CHIPS, PANEL_CTRL_CHIP1 + 1);
  EXPECT_EQ(m_Table.Take(), Calls{});
  EXPECT_EQ(m_Table.m_CurrentChip, 100);
}

TEST_F(CPanelTest, TotalBetThroughTheCurrencyPatternWithinItsBuffer) {
  std::string script = Script();
  WriteScript(script);
  ASSERT_EQ(Init(), 1);
  CControlBase* total = Ctrl(PANEL_SECTION_BETAREA, PANEL_CTRL_TOTALBET);
  m_pPanel->ShowTotalBet(TMoney("12.5"));
  EXPECT_STREQ(total->GetTextBuffer(0), "$12.50");
  // A pattern that is no pattern is taken as none; an amount too wide is cut within the buffer.
  m_pPanel->Exit();
  WriteScript(Replace(script, "\"$%s\"", "\"%s%s%n\""));
  ASSERT_EQ(Init(), 1);
  total = Ctrl(PANEL_SECTION_BETAREA, PANEL_CTRL_TOTALBET);
  m_pPanel->ShowTotalBet(TMoney(0));
  EXPECT_STREQ(total->GetTextBuffer(0), "$ 0.00");
  m_pPanel->Exit();
  WriteScript(Replace(script, "\"$%s\"", "\"USD %s\""));
  ASSERT_EQ(Init(), 1);
  total = Ctrl(PANEL_SECTION_BETAREA, PANEL_CTRL_TOTALBET);
  m_pPanel->ShowTotalBet(TMoney("1234567890.25"));
  EXPECT_STREQ(total->GetTextBuffer(0), "USD 1234567890.");
  // A buffer under 10 characters is left alone.
  m_pPanel->Exit();
  WriteScript(Replace(script, "TextBufferSize = 16", "TextBufferSize = 9"));
  ASSERT_EQ(Init(), 1);
  total = Ctrl(PANEL_SECTION_BETAREA, PANEL_CTRL_TOTALBET);
  m_pPanel->ShowTotalBet(TMoney(5));
  EXPECT_STREQ(total->GetTextBuffer(0), "");
}

TEST_F(CPanelTest, TheBetAreaAndMessageLineSwapPlaces) {
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(m_pPanel->SwitchScrollAndBet(0), 1);
  Frames(6);
  EXPECT_EQ(DialogY(PANEL_SECTION_MESSAGELINE), 520);
  EXPECT_EQ(DialogY(PANEL_SECTION_BETAREA), 560);
  EXPECT_EQ(m_pPanel->SwitchScrollAndBet(1), 1);
  Frames(6);
  EXPECT_EQ(DialogY(PANEL_SECTION_MESSAGELINE), 560);
  EXPECT_EQ(DialogY(PANEL_SECTION_BETAREA), 520);
}

// ---- autoplay ----

class CPanelAutoplay : public CPanelTest {
 protected:
  void SetUp() override {
    CPanelTest::SetUp();
    ASSERT_EQ(Init(), 1);
    m_pPanel->SetPlayerIsSeated(true);
  }
  // The digit shown by a digit cell: the strip cell whose pixels it holds.
  int32_t DigitShown(int32_t id) {
    CControlBase* cell = Ctrl(PANEL_SECTION_AUTOPLAY, id);
    CBitmap* shown = cell ? cell->GetLook().m_pBitmaps[0] : nullptr;
    CBitmap* strip = m_Strip.get();
    if (!shown || !strip) return -1;
    for (int32_t digit = 0; digit < 10; ++digit) {
      bool same = true;
      for (int32_t y = 0; y < 24 && same; ++y)
        for (int32_t x = 0; x < 16 && same; ++x) {
          TRGBA a{}, b{};
          shown->GetPixel(x, y, &a);
          strip->GetPixel(16 * digit + x, y, &b);
          same = a.r == b.r && a.g == b.g && a.b == b.b;
        }
      if (same) return digit;
    }
    return -1;
  }
  int32_t Shown() { return DigitShown(PANEL_CTRL_AUTO_TENS) * 10 + DigitShown(PANEL_CTRL_AUTO_UNITS); }
  void LoadStrip() {
    m_Strip = std::make_unique<CBitmap>();
    ASSERT_EQ(m_Strip->Load("digits.bmp", 0), 1);
  }
  std::unique_ptr<CBitmap> m_Strip;
};

TEST_F(CPanelAutoplay, RoundsAreClampedAndDrawnFromTheDigitStrip) {
  LoadStrip();
  struct SCase {
    int32_t m_Set;
    int32_t m_MinusState;
    int32_t m_Rounds;
  };
  const SCase cases[] = {
      {37, XGUI_RELEASED, 37}, {50, XGUI_RELEASED, 50}, {51, XGUI_RELEASED, 50}, {1000, XGUI_RELEASED, 50},
      {1, XGUI_RELEASED, 2},   {-5, XGUI_RELEASED, 2},  {1, XGUI_DISABLED, 1},   {0, XGUI_DISABLED, 0},
      {-3, XGUI_DISABLED, 0},  {9, XGUI_RELEASED, 9},
  };
  for (const SCase& c : cases) {
    Ctrl(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_MINUS1)->SetState(c.m_MinusState);
    m_pPanel->SetAutoplayNumRounds(c.m_Set);
    EXPECT_EQ(m_pPanel->GetAutoplayNumRounds(), c.m_Rounds) << c.m_Set;
    EXPECT_EQ(Shown(), c.m_Rounds) << c.m_Set;
  }
  // A maximum above 99 still stops at 99.
  m_pPanel->Exit();
  WriteScript(Replace(Script(), "MAXNUMAUTOSPINS = 50", "MAXNUMAUTOSPINS = 250"));
  ASSERT_EQ(Init(), 1);
  m_pPanel->SetPlayerIsSeated(true);
  m_pPanel->SetAutoplayNumRounds(250);
  EXPECT_EQ(m_pPanel->GetAutoplayNumRounds(), 99);
  EXPECT_EQ(Shown(), 99);
}

TEST_F(CPanelAutoplay, TheRoundButtonsStartAndStop) {
  m_pPanel->SetAutoplayNumRounds(10);
  m_pPanel->switchAutoplayPanel(0);
  Frames(8);
  m_Table.Take();
  struct SCase {
    int32_t m_Button;
    int32_t m_Rounds;
  };
  for (const SCase& c : {SCase{PANEL_CTRL_AUTO_PLUS1, 11}, SCase{PANEL_CTRL_AUTO_PLUS5, 16},
                         SCase{PANEL_CTRL_AUTO_PLUS10, 26}, SCase{PANEL_CTRL_AUTO_MINUS1, 25},
                         SCase{PANEL_CTRL_AUTO_RESET, 2}}) {
    ClickCtrl(PANEL_SECTION_AUTOPLAY, c.m_Button);
    EXPECT_EQ(m_pPanel->GetAutoplayNumRounds(), c.m_Rounds) << c.m_Button;
    EXPECT_EQ(m_Table.Take(), (Calls{"Validate", "Click"})) << c.m_Button;
  }
  m_pPanel->SetAutoplayNumRounds(12);
  ClickCtrl(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_START);
  EXPECT_EQ(m_Table.Take(), (Calls{"StartAutoplay 12", "Validate", "Click"}));
  EXPECT_EQ(m_pPanel->GetAutoplayDefaultRounds(), 12);
  // Running: the round buttons off, stop and the running marks on.
  m_pPanel->SetAutoplayButtonsState(XGUI_DISABLED);
  m_pPanel->SetAutoplayNumRounds(7);
  ClickCtrl(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_STOP);
  EXPECT_EQ(m_Table.Take(), (Calls{"StopAutoplay", "Click"}));
  EXPECT_EQ(m_pPanel->GetAutoplayDefaultRounds(), 7);
  m_pPanel->SetStartAutoplaying(1);
  EXPECT_EQ(m_pPanel->StartAutoplaying(), 1);
}

TEST_F(CPanelAutoplay, ButtonStatesSeatedAndNot) {
  const int32_t rounds[] = {433, 434, 435, 437, 438, 439};
  const int32_t marks[] = {484, 485, 442};
  struct SCase {
    bool m_Seated;
    int32_t m_State;
    int32_t m_Rounds, m_Marks, m_Stop;
  };
  const SCase cases[] = {
      {true, XGUI_RELEASED, XGUI_RELEASED, XGUI_HIDDEN, XGUI_DISABLED},
      {true, XGUI_DISABLED, XGUI_DISABLED, XGUI_RELEASED, XGUI_RELEASED},
      {false, XGUI_RELEASED, XGUI_DISABLED, XGUI_HIDDEN, XGUI_DISABLED},
  };
  for (const SCase& c : cases) {
    m_pPanel->SetPlayerIsSeated(c.m_Seated);
    EXPECT_EQ(m_pPanel->IsPlayerSeated(), c.m_Seated ? 1 : 0);
    m_pPanel->SetAutoplayButtonsState(c.m_State);
    for (int32_t id : rounds) EXPECT_EQ(State(PANEL_SECTION_AUTOPLAY, id), c.m_Rounds) << id << " " << c.m_Seated;
    for (int32_t id : marks) EXPECT_EQ(State(PANEL_SECTION_AUTOPLAY, id), c.m_Marks) << id << " " << c.m_Seated;
    EXPECT_EQ(State(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_STOP), c.m_Stop) << c.m_Seated;
  }
  m_pPanel->SetPlayerIsSeated(true);
  m_pPanel->SetAutoplaySpinButtonState(XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_START), XGUI_DISABLED);
}

TEST_F(CPanelAutoplay, DotsStepOnTheTimerWhileStopIsOn) {
  m_pPanel->SetAutoplayButtonsState(XGUI_RELEASED);  // stop off
  m_Clock.Advance(200);
  Frame();
  EXPECT_EQ(m_pPanel->GetDotFrame(), 0);
  m_pPanel->SetAutoplayButtonsState(XGUI_DISABLED);  // running: stop on
  std::vector<int32_t> frames;
  for (int i = 0; i < 7; ++i) {
    m_Clock.Advance(200);
    Frame();
    frames.push_back(m_pPanel->GetDotFrame());
  }
  EXPECT_EQ(frames, (std::vector<int32_t>{1, 2, 3, 4, 5, 0, 1}));
  // Frame 3 shows the full picture from 3 fifths of the plain one's width: two dots off, three on.
  m_pPanel->SetAutoplayDots(3);
  CBitmap* shown = Ctrl(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_DOTS)->GetLook().m_pBitmaps[0];
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->m_Width, 50);
  auto lit = [&](int32_t dot) {
    TRGBA c{};
    shown->GetPixel(10 * dot + 4, 4, &c);
    return c.g > 200;
  };
  EXPECT_EQ((std::vector<bool>{lit(0), lit(1), lit(2), lit(3), lit(4)}),
            (std::vector<bool>{false, false, true, true, true}));
  m_pPanel->SetAutoplayDots(0);
  shown = Ctrl(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_AUTO_DOTS)->GetLook().m_pBitmaps[0];
  EXPECT_EQ(lit(4), false);
  m_pPanel->SetAutoplayDots(6);  // no such frame
  EXPECT_EQ(m_pPanel->GetDotFrame(), 0);
}

TEST_F(CPanelAutoplay, TheAutoplayPanelAndTheChatTradePlaces) {
  m_pPanel->switchAutoplayPanel(0);
  Frames(8);
  EXPECT_EQ(DialogY(PANEL_SECTION_AUTOPLAY), 440);
  EXPECT_EQ(DialogY(PANEL_SECTION_CHAT), 600);
  EXPECT_EQ(State(PANEL_SECTION_CHAT, PANEL_CTRL_SHOW_AUTOPLAY), XGUI_DISABLED);
  // The chat box's 431 brings the chat up.
  m_Table.Take();
  ClickCtrl(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_SHOW_CHAT);
  EXPECT_EQ(m_Table.Take(), Calls{"Click"});
  Frames(8);
  EXPECT_EQ(DialogY(PANEL_SECTION_AUTOPLAY), 600);
  EXPECT_EQ(DialogY(PANEL_SECTION_CHAT), 440);
  EXPECT_EQ(State(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_SHOW_CHAT), XGUI_DISABLED);
  // The chat box's 432 brings autoplay back and tells the game.
  ClickCtrl(PANEL_SECTION_CHAT, PANEL_CTRL_SHOW_AUTOPLAY);
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "ChatAutoplay"}));
  Frames(8);
  EXPECT_EQ(DialogY(PANEL_SECTION_AUTOPLAY), 440);
  // Not seated, the chat stands at its own y.
  m_pPanel->SetPlayerIsSeated(false);
  m_pPanel->switchAutoplayPanel(1);
  Frames(8);
  EXPECT_EQ(DialogY(PANEL_SECTION_CHAT), 470);
  m_pPanel->HideChatAndAutoplay();
  Frames(8);
  EXPECT_EQ(DialogY(PANEL_SECTION_CHAT), 600);
  EXPECT_EQ(DialogY(PANEL_SECTION_AUTOPLAY), 600);
  EXPECT_EQ(State(PANEL_SECTION_CHAT, PANEL_CTRL_SHOW_AUTOPLAY), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_AUTOPLAY, PANEL_CTRL_SHOW_CHAT), XGUI_DISABLED);
  // Show: the default panel (autoplay) and the default rounds.
  m_pPanel->SetPlayerIsSeated(true);
  m_pPanel->Show();
  Frames(8);
  EXPECT_EQ(DialogY(PANEL_SECTION_AUTOPLAY), 440);
  EXPECT_EQ(m_pPanel->GetAutoplayNumRounds(), 10);
}

TEST_F(CPanelTest, ThePlayForRealButtonRestartsTheTable) {
  ASSERT_EQ(Init(), 1);
  m_pPanel->switchAutoplayPanel(1);
  Frames(8);
  m_Table.Take();
  ClickCtrl(PANEL_SECTION_CHAT, PANEL_CTRL_FORREAL);
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "ForReal"}));
}

TEST_F(CPanelTest, Denominations) {
  ASSERT_EQ(Init(), 1);
  m_pPanel->ShowDenomination();
  auto picture = [&] { return Ctrl(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_PICTURE)->GetLook().m_pBitmaps[0]; };
  EXPECT_EQ(m_pPanel->GetDenomination(), 0);
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_LOWER), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_HIGHER), XGUI_RELEASED);
  CBitmap* first = picture();
  m_pPanel->IncDenomination();
  m_pPanel->IncDenomination();
  m_pPanel->IncDenomination();
  m_pPanel->IncDenomination();
  EXPECT_EQ(m_pPanel->GetDenomination(), 3);
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_HIGHER), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_LOWER), XGUI_RELEASED);
  EXPECT_NE(picture(), first);
  m_pPanel->SetDenomination(4);
  m_pPanel->SetDenomination(-1);
  EXPECT_EQ(m_pPanel->GetDenomination(), 3);
  m_pPanel->SetDenomination(1);
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_HIGHER), XGUI_RELEASED);
  m_pPanel->DecDenomination();
  m_pPanel->DecDenomination();
  EXPECT_EQ(m_pPanel->GetDenomination(), 0);
  EXPECT_EQ(picture(), first);
  m_pPanel->HideDenomination();
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_HIGHER), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_LOWER), XGUI_DISABLED);
}

TEST_F(CPanelTest, DenominationButtonsReachOnlyTheExternalCallback) {
  ASSERT_EQ(Init(), 1);
  m_pPanel->ShowDenomination();
  static std::vector<std::pair<int32_t, int32_t>> s_Seen;
  s_Seen.clear();
  m_pPanel->SetExternalCallback([](int32_t event, int32_t dialog, int32_t control, int32_t, CPanel* panel) -> int32_t {
    if (event != GUIMSG_COMMAND) return 1;
    s_Seen.emplace_back(dialog, control);
    if (dialog == PANEL_SECTION_DENOMINATION && control == PANEL_CTRL_DENOM_HIGHER) panel->IncDenomination();
    return dialog == PANEL_SECTION_BUTTONS ? 0 : 1;  // the buttons bar is kept from the panel
  });
  m_Table.Take();
  ClickCtrl(PANEL_SECTION_DENOMINATION, PANEL_CTRL_DENOM_HIGHER);
  EXPECT_EQ(m_pPanel->GetDenomination(), 1);
  EXPECT_EQ(m_Table.Take(), Calls{});
  ClickCtrl(PANEL_SECTION_BUTTONS, PANEL_CTRL_EXIT);
  EXPECT_EQ(m_Table.Take(), Calls{});
  EXPECT_EQ(s_Seen, (std::vector<std::pair<int32_t, int32_t>>{{3311, 489}, {3303, 412}}));
  m_pPanel->SetExternalCallback(nullptr);
  ClickCtrl(PANEL_SECTION_BUTTONS, PANEL_CTRL_EXIT);
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "Exit"}));
}

// ---- sliding panels ----

class CPanelSlides : public CPanelTest {
 protected:
  void SetUp() override {
    CPanelTest::SetUp();
    m_Table.m_Remote = 1;
    ASSERT_EQ(Init(4), 1);
    m_Table.Take();
  }
  std::vector<int32_t> Open() {
    std::vector<int32_t> open;
    for (PANELS p : {PANEL_OPTIONS, PANEL_HELP, PANEL_FKEYS, PANEL_USERLIST})
      if (m_pPanel->IsPanelOpen(p)) open.push_back(p);
    return open;
  }
  static constexpr int32_t kSection[4] = {PANEL_SECTION_OPTIONS, PANEL_SECTION_HELP, PANEL_SECTION_FKEYS,
                                          PANEL_SECTION_USERLIST};
  static constexpr int32_t kOpenY[4] = {300, 290, 310, 280};
};

TEST_F(CPanelSlides, AtMostOneIsOpenAndEachLandsExactly) {
  for (PANELS p : {PANEL_OPTIONS, PANEL_HELP, PANEL_FKEYS, PANEL_USERLIST, PANEL_HELP, PANEL_OPTIONS}) {
    EXPECT_EQ(m_pPanel->SwitchHelpAndOptions(p), 1);
    Frames(6);
    EXPECT_EQ(Open(), std::vector<int32_t>{p}) << p;
    for (int32_t q = 0; q < 4; ++q) {
      int32_t x = 0, y = 0;
      m_pPanel->GetDialog(kSection[q])->GetPos(x, y);
      EXPECT_EQ(x, 600) << q;
      EXPECT_EQ(y, q == p ? kOpenY[q] : 530) << p << " " << q;
    }
    EXPECT_EQ(State(kSection[p], PANEL_CTRL_CLOSE), XGUI_RELEASED) << p;
  }
  EXPECT_EQ(m_pPanel->IsRightDlgUp(), 0);
  m_pPanel->SwitchHelpAndOptions(PANEL_HELP);
  EXPECT_NE(m_pPanel->IsRightDlgUp(), 0);
  EXPECT_EQ(State(PANEL_SECTION_BUTTONS, PANEL_CTRL_HELP), XGUI_DISABLED);
  EXPECT_EQ(State(PANEL_SECTION_BUTTONS, PANEL_CTRL_OPTIONS), XGUI_RELEASED);
  // Opening told the game each time.
  const Calls calls = m_Table.Take();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Opened"), 7);
}

TEST_F(CPanelSlides, TheButtonsOpenAndCloseThem) {
  ClickCtrl(PANEL_SECTION_BUTTONS, PANEL_CTRL_HELP);
  Frames(6);
  EXPECT_EQ(Open(), std::vector<int32_t>{PANEL_HELP});
  ClickCtrl(PANEL_SECTION_HELP, PANEL_CTRL_HELP_FKEYS);
  Frames(6);
  EXPECT_EQ(Open(), std::vector<int32_t>{PANEL_FKEYS});
  ClickCtrl(PANEL_SECTION_FKEYS, PANEL_CTRL_CLOSE);
  Frames(6);
  EXPECT_EQ(Open(), std::vector<int32_t>{});
  EXPECT_EQ(DialogY(PANEL_SECTION_FKEYS), 530);
  ClickCtrl(PANEL_SECTION_USERLIST, PANEL_CTRL_OPEN_USERLIST);
  Frames(6);
  EXPECT_EQ(Open(), std::vector<int32_t>{PANEL_USERLIST});
  EXPECT_EQ(State(PANEL_SECTION_USERLIST, PANEL_CTRL_OPEN_USERLIST), XGUI_DISABLED);
  ClickCtrl(PANEL_SECTION_USERLIST, PANEL_CTRL_CLOSE);
  Frames(6);
  EXPECT_EQ(Open(), std::vector<int32_t>{});
  EXPECT_EQ(State(PANEL_SECTION_USERLIST, PANEL_CTRL_OPEN_USERLIST), XGUI_RELEASED);
  ClickCtrl(PANEL_SECTION_BUTTONS, PANEL_CTRL_OPTIONS);
  Frames(6);
  ClickCtrl(PANEL_SECTION_OPTIONS, PANEL_CTRL_CLOSE);
  Frames(6);
  EXPECT_EQ(Open(), std::vector<int32_t>{});
  const Calls calls = m_Table.Take();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Click"), 7);
}

TEST_F(CPanelSlides, ClosingTheOptionsWritesThemBackAndTellsTheTable) {
  COptions* options = m_pPanel->GetOptionsDlg()->GetOptions();
  m_pPanel->switchOptions(PANEL_OPEN);
  Frames(6);
  ClickCtrl(PANEL_SECTION_OPTIONS, 420010);  // the music check box flips
  m_Table.Take();
  m_pPanel->switchOptions(PANEL_CLOSE);
  EXPECT_EQ(m_Table.Take(), Calls{"OptionsChanged"});
  int32_t after = -1;
  options->GetBool(420010, &after);
  EXPECT_EQ(after, 1);  // the box was clear (no such option yet); the click checked it
  EXPECT_EQ(State(PANEL_SECTION_BUTTONS, PANEL_CTRL_OPTIONS), XGUI_RELEASED);
  EXPECT_EQ(State(PANEL_SECTION_OPTIONS, PANEL_CTRL_CLOSE), XGUI_DISABLED);
  // Closing what is closed does nothing.
  m_pPanel->switchOptions(PANEL_CLOSE);
  EXPECT_EQ(m_Table.Take(), Calls{});
}

// ---- user list ----

TEST_F(CPanelTest, ClickingANameTogglesItsIgnoreInsideTheListOnly) {
  m_Table.m_Remote = 1;
  const std::string longName(200, 'W');
  auto chat = ChatWithUsers("Al\x02" "Bo\x03vip\x02" + longName + "\x02" "Cy");
  m_Table.m_pChat = chat.get();
  ASSERT_EQ(Init(), 1);
  m_pPanel->SwitchHelpAndOptions(PANEL_USERLIST);
  Frames(6);
  const CRect area = Ctrl(PANEL_SECTION_USERLIST, PANEL_CTRL_USERLIST_AREA)->ScreenRect();
  // Line k holds y from 1 + 15 k to 15 + 15 k of the list.
  Click(area.left + 40, area.top + 1 + 15 * 1 + 7);
  EXPECT_EQ(chat->IsIgnored("Bo"), 1);
  Click(area.left + 40, area.top + 1 + 15 * 1 + 2);
  EXPECT_EQ(chat->IsIgnored("Bo"), 0);
  Click(area.left + 40, area.top + 1 + 15 * 0);
  EXPECT_EQ(chat->IsIgnored("Al"), 1);
  // Below the last name, and above the first line, nothing.
  Click(area.left + 40, area.top + 1 + 15 * 4 + 5);
  Click(area.left + 40, area.top);
  EXPECT_EQ(chat->NumIgnored(), 1);
  // The long name is ignored by its first part (as the chat client keys names), drawn clipped.
  Click(area.left + 40, area.top + 1 + 15 * 2 + 5);
  EXPECT_EQ(chat->NumIgnored(), 2);
  // The mark and the names show on the list's bitmap.
  CBitmap* list = m_pPanel->GetUserListBitmap();
  auto ink = [&](int32_t x0, int32_t x1, int32_t line) {
    int32_t n = 0;
    for (int32_t y = 1 + 15 * line; y < 15 + 15 * line; ++y)
      for (int32_t x = x0; x < x1; ++x) {
        TRGBA c{};
        list->GetPixel(x, y, &c);
        n += c.r > 100 ? 1 : 0;
      }
    return n;
  };
  EXPECT_GT(ink(1, 14, 0), 0);   // Al: marked
  EXPECT_EQ(ink(1, 14, 1), 0);   // Bo: not
  EXPECT_GT(ink(15, 60, 1), 0);  // its name
  // The slider runs over the users and one more, a page of the visible lines.
  auto* slider = dynamic_cast<CSlider*>(Ctrl(PANEL_SECTION_USERLIST, PANEL_CTRL_USERLIST_SLIDER));
  int32_t lo = 0, hi = 0, page = 0;
  slider->GetRange(lo, hi, page);
  EXPECT_EQ(hi, 5);
  EXPECT_EQ(page, 11);
  EXPECT_EQ(slider->GetState(), XGUI_DISABLED);
}

// ---- request box ----

TEST_F(CPanelTest, AnUnansweredRequestIsRefusedAfter25Seconds) {
  ASSERT_EQ(Init(), 1);
  m_pPanel->ShowRequestDialog("Bob", "wants a seat");
  Frames(6);
  EXPECT_EQ(DialogY(PANEL_SECTION_REQUEST), 200);
  EXPECT_STREQ(m_pPanel->GetRequestDialog()->GetTextBuffer(PANEL_CTRL_REQUEST_HEADING, 0), "Bob asks to join");
  EXPECT_STREQ(m_pPanel->GetRequestDialog()->GetTextBuffer(PANEL_CTRL_REQUEST_TEXT, 0), "wants a seat");
  m_Table.Take();
  m_Clock.Advance(24000);
  Frame();
  EXPECT_EQ(m_Table.Take(), Calls{});
  m_Clock.Advance(1000);
  Frame();
  EXPECT_EQ(m_Table.Take(), Calls{"Answer 0"});
  Frames(6);
  EXPECT_EQ(DialogY(PANEL_SECTION_REQUEST), 600);
  m_Clock.Advance(25000);
  Frame();
  EXPECT_EQ(m_Table.Take(), Calls{});
}

TEST_F(CPanelTest, YesAnswersOnceAndLongTextsAreCut) {
  ASSERT_EQ(Init(), 1);
  const std::string longName(100, 'N');
  m_pPanel->ShowRequestDialog(longName.c_str(), std::string(100, 't').c_str());
  Frames(6);
  // Heading and tail do not fit the 32 bytes: the heading alone, cut; the text cut to 23.
  EXPECT_EQ(std::string(m_pPanel->GetRequestDialog()->GetTextBuffer(PANEL_CTRL_REQUEST_HEADING, 0)),
            std::string(31, 'N'));
  EXPECT_EQ(std::string(m_pPanel->GetRequestDialog()->GetTextBuffer(PANEL_CTRL_REQUEST_TEXT, 0)),
            std::string(23, 't'));
  m_Table.Take();
  ClickCtrl(PANEL_SECTION_REQUEST, PANEL_CTRL_REQUEST_YES);
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "Answer 1"}));
  Frames(6);
  EXPECT_EQ(DialogY(PANEL_SECTION_REQUEST), 600);
  m_Clock.Advance(25000);
  Frame();
  EXPECT_EQ(m_Table.Take(), Calls{});
}

// ---- help ----

TEST_F(CPanelTest, HelpPagesOpenInTheBrowserOrSayWhyNot) {
  m_Table.m_Remote = 1;
  ASSERT_EQ(Init(), 1);
  CLaunchRecorder launcher;
  unsetenv("BROWSER");
  m_pPanel->SwitchHelpAndOptions(PANEL_HELP);
  Frames(6);
  m_Table.Take();
  ClickCtrl(PANEL_SECTION_HELP, PANEL_CTRL_HELP_PAGE1);
  ClickCtrl(PANEL_SECTION_HELP, PANEL_CTRL_HELP_PAGE2);
  ASSERT_EQ(launcher.m_Started.size(), 2u);
  EXPECT_EQ(launcher.m_Started[0], (std::vector<std::string>{"xdg-open", "http://help.example/rules"}));
  EXPECT_EQ(launcher.m_Started[1], (std::vector<std::string>{"xdg-open", "http://help.example/keys"}));
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "Click"}));
  launcher.m_Missing.insert("xdg-open");
  EXPECT_EQ(m_pPanel->ShowHelp("http://help.example/x"), 0);
  EXPECT_EQ(m_Table.Take(), Calls{"ServerMsg Failed to find browser|No browser: http://help.example/x|NONE:"});
  // A table with no address opens nothing.
  m_Table.m_HelpUrl = nullptr;
  ClickCtrl(PANEL_SECTION_HELP, PANEL_CTRL_HELP_PAGE1);
  EXPECT_EQ(launcher.m_Started.size(), 3u);
  ClickCtrl(PANEL_SECTION_HELP, PANEL_CTRL_HELP_HISTORY);
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "History"}));
}

TEST_F(CPanelTest, BetAreaAndExitButtons) {
  ASSERT_EQ(Init(), 1);
  m_Table.Take();
  ClickCtrl(PANEL_SECTION_BETAREA, PANEL_CTRL_BET1);
  ClickCtrl(PANEL_SECTION_BETAREA, PANEL_CTRL_BET2);
  EXPECT_EQ(State(PANEL_SECTION_BETAREA, PANEL_CTRL_BET2), XGUI_HIDDEN);
  ClickCtrl(PANEL_SECTION_BUTTONS, PANEL_CTRL_EXIT);
  EXPECT_EQ(m_Table.Take(), (Calls{"Click", "BetDone", "Click", "SetOldBet", "Click", "Exit"}));
}

TEST_F(CPanelTest, HideAndShowEverySubPanel) {
  ASSERT_EQ(Init(), 1);
  m_pPanel->Hide();
  for (int32_t section = PANEL_SECTION_MESSAGELINE; section <= PANEL_SECTION_DENOMINATION; ++section)
    EXPECT_TRUE(m_pPanel->GetDialog(section)->IsHidden()) << section;
  m_pPanel->Show();
  for (int32_t section = PANEL_SECTION_MESSAGELINE; section <= PANEL_SECTION_DENOMINATION; ++section)
    EXPECT_EQ(m_pPanel->GetDialog(section)->IsHidden(), section == PANEL_SECTION_REQUEST) << section;
  m_pPanel->UpdateChat(const_cast<char*>("<Al>hello"));
  EXPECT_EQ(m_pPanel->GetChatDisplay()->EntryText(0), "hello");
}

}  // namespace

namespace {

TEST_F(CPanelTest, TheSliderScrollsTheListAndClicksFollowIt) {
  m_Table.m_Remote = 1;
  std::string names;
  for (int i = 0; i < 20; ++i) names += (i ? "\x02" : "") + std::string("U") + std::to_string(i);
  auto chat = ChatWithUsers(names);
  m_Table.m_pChat = chat.get();
  ASSERT_EQ(Init(), 1);
  m_pPanel->SwitchHelpAndOptions(PANEL_USERLIST);
  Frames(6);
  auto* slider = dynamic_cast<CSlider*>(Ctrl(PANEL_SECTION_USERLIST, PANEL_CTRL_USERLIST_SLIDER));
  int32_t lo = 0, hi = 0, page = 0;
  slider->GetRange(lo, hi, page);
  EXPECT_EQ(hi, 21);
  EXPECT_NE(slider->GetState(), XGUI_DISABLED);
  // Three lines down: the top line holds the fourth user.
  slider->SetValue(3);
  CPanel::DialogCallback(GUIMSG_SLIDER, PANEL_SECTION_USERLIST, PANEL_CTRL_USERLIST_SLIDER, 3, m_pPanel.get());
  const CRect area = Ctrl(PANEL_SECTION_USERLIST, PANEL_CTRL_USERLIST_AREA)->ScreenRect();
  Click(area.left + 40, area.top + 5);
  EXPECT_EQ(chat->IsIgnored("U3"), 1);
  EXPECT_EQ(chat->NumIgnored(), 1);
  // The mark shows on the top line now.
  CBitmap* list = m_pPanel->GetUserListBitmap();
  int32_t red = 0;
  for (int32_t y = 1; y < 15; ++y)
    for (int32_t x = 1; x < 14; ++x) {
      TRGBA c{};
      list->GetPixel(x, y, &c);
      red += c.r > 150 && c.g < 120 ? 1 : 0;
    }
  EXPECT_GT(red, 0);
}

}  // namespace
