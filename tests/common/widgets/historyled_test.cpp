// History lights: the list and its pushes, the server's item reaching a client through a node
// pair and drawn in both layouts (pixel probes against the pictures' own colours), the round
// data's bounds, the script's failures with their diagnostics, and the state store's bytes.
#include "common/widgets/historyled.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "tablewidgets.h"

namespace {
using namespace widgetpictures;
using TEntries = std::vector<uint32_t>;

constexpr uint32_t kEntries = 5, kSymbols = 4;
constexpr int32_t kTableId = 7;
// The script's layout: lamps 12 wide and 10 high, spaces 2 across and 3 down; the control at
// (20, 30), or at the seats (110, 40) and (150, 20).
constexpr int32_t kLampW = 12, kLampH = 10, kSpaceX = 2, kSpaceY = 3;
constexpr int32_t kHistoryX = 20, kHistoryY = 30;
// The lamps of each symbol's two positions; 0 where the script says -1 (nothing drawn).
constexpr uint32_t kSymbolLamps[kSymbols][2] = {
    {kLampGreen, kLampUnlit}, {kLampUnlit, kLampRed}, {kLampAmber, kLampAmber}, {kLampUnlit, 0}};

TEntries Entries(const CHistoryLed& led) {
  TEntries out;
  for (uint32_t i = 0; i < led.GetNumHistory(); ++i) out.push_back(led.GetEntry(i));
  return out;
}

class HistoryLed : public CTableWidgetTest {
 protected:
  void SetUp() override {
    CTableWidgetTest::SetUp();
    ASSERT_EQ(xCommStartup(glb, sglb), 1);
  }
  void TearDown() override {
    m_Client.Destroy();
    m_ServerNode.ExitCommNode();
    m_ClientNode.ExitCommNode();
    xCommClosedown();
    CTableWidgetTest::TearDown();
  }
  // The table's node pair: the server half's and the client half's node of one table.
  void Connect() {
    for (CCommNode* node : {&m_ServerNode, &m_ClientNode}) {
      node->SetId(kTableId);
      node->SetName("TableNode");
    }
    ASSERT_EQ(m_ServerNode.InitCommNode(CNODE_SERVER), 1);
    ASSERT_EQ(m_ClientNode.InitCommNode(CNODE_CLIENT), 1);
  }
  // One round's data from the server to the client, the symbol added on the way.
  void PlayRound(uint32_t symbol) {
    ASSERT_EQ(m_ServerNode.SendInit(), 1);
    ASSERT_EQ(m_Server.AddSymbolToHistory(symbol, &m_ServerNode), 1);
    ASSERT_EQ(m_ServerNode.SendKCBLPacket(), 1);
    ASSERT_EQ(m_ClientNode.IsDataAvailable(), 1);
    ASSERT_EQ(m_ClientNode.RecvKCBLPacket(), 1);
    EXPECT_EQ(m_Client.ProcessIncomingData(&m_ClientNode), 1);
    m_ClientNode.RecvKCBLFree();
  }
  // The table with the script's history lights, from a script with from replaced by to.
  void CreateClient(const std::string& from = "", const std::string& to = "") {
    ASSERT_EQ(LoadScript(from.empty() ? WidgetsScript() : ScriptWith(from, to)), 1);
    OpenTable();
    ASSERT_EQ(m_Client.Create(m_pTable.get(), &m_Res, Bm("Felt")), 1);
  }
  // The received record of the client node as the text says.
  int32_t Receive(const std::string& text) {
    m_ClientNode.m_RecvKCBL.Free();
    EXPECT_EQ(m_ClientNode.m_RecvKCBL.Import(text.c_str(), -1), 1);
    return m_Client.ProcessIncomingData(&m_ClientNode);
  }
  // Every entry's lamps where the layout puts them, inside the control at (x, y): the middle of
  // each lamp, or the felt under the control where nothing is drawn.
  void ExpectShown(int32_t x, int32_t y, bool horizontal) {
    ShowAndSettle();
    for (uint32_t i = 0; i < m_Client.GetNumHistory(); ++i)
      for (int32_t j = 0; j < 2; ++j) {
        SCOPED_TRACE(testing::Message() << "entry " << i << " position " << j);
        const int32_t across = (kSpaceX + kLampW) * (horizontal ? int32_t(i) : j);
        const int32_t down = (kSpaceY + kLampH) * (horizontal ? j : int32_t(i));
        const int32_t px = x + across + 6, py = y + down + 5;
        const uint32_t s = m_Client.GetEntry(i);
        const uint32_t lamp = s < kSymbols ? kSymbolLamps[s][j] : 0;
        EXPECT_EQ(Seen(px, py), lamp ? lamp : Felt(px, py));
        // The lamp's corner is its housing; nothing is drawn there for an empty position.
        EXPECT_EQ(Seen(px - 6, py - 5), lamp ? kHousing : Felt(px - 6, py - 5));
      }
  }
  void ShowAndSettle() {
    m_Client.ShowHistory();
    Settle();
  }

  CServerHistoryLed m_Server;
  CClientHistoryLed m_Client;
  CCommNode m_ServerNode, m_ClientNode;
};
}  // namespace

// ---- the list ----

TEST_F(HistoryLed, ANewHistoryShowsTheLastSymbolEverywhere) {
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  EXPECT_EQ(Entries(m_Server), TEntries(kEntries, kSymbols - 1));
  CreateClient();
  EXPECT_EQ(Entries(m_Client), TEntries(kEntries, kSymbols - 1));
  ExpectShown(kHistoryX, kHistoryY, false);
  // The control is disabled, with the drawing as every look.
  EXPECT_EQ(m_Client.GetControl()->GetState(), XGUI_DISABLED);
}

TEST_F(HistoryLed, CreateRefusesEmptyAndOversizedHistories) {
  const struct {
    uint32_t entries, symbols;
    int32_t created;
  } table[] = {{5, 4, 1}, {0, 4, 0}, {5, 0, 0}, {1, 1, 1}, {1024, 1024, 1}, {1025, 4, 0}, {5, 1025, 0}};
  for (const auto& row : table) {
    SCOPED_TRACE(testing::Message() << row.entries << " entries, " << row.symbols << " symbols");
    CServerHistoryLed led;
    EXPECT_EQ(led.Create(row.entries, row.symbols), row.created);
    EXPECT_EQ(led.GetNumHistory(), row.created ? row.entries : 0);
    EXPECT_EQ(led.GetNumSymbols(), row.created ? row.symbols : 0);
  }
}

TEST_F(HistoryLed, NewSymbolsPushTheOldestOut) {
  Connect();
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  // Each symbol added, then the history, newest first.
  const struct {
    uint32_t symbol;
    TEntries after;
  } steps[] = {
      {0, {0, 3, 3, 3, 3}}, {1, {1, 0, 3, 3, 3}}, {2, {2, 1, 0, 3, 3}},
      {0, {0, 2, 1, 0, 3}}, {1, {1, 0, 2, 1, 0}}, {2, {2, 1, 0, 2, 1}},  // the sixth: the first 0 is gone
  };
  for (const auto& step : steps) {
    ASSERT_EQ(m_ServerNode.SendInit(), 1);
    ASSERT_EQ(m_Server.AddSymbolToHistory(step.symbol, &m_ServerNode), 1);
    EXPECT_EQ(Entries(m_Server), step.after);
    // The item carries the whole history, newest first.
    std::vector<uint32_t> sent(kEntries);
    ASSERT_EQ(m_ServerNode.GetItem(HISTORYLED_ITEM, KULONGARRAY, int32_t(kEntries), sent.data(), KEND), 1);
    EXPECT_EQ(sent, step.after);
    ASSERT_EQ(m_ServerNode.SendKCBLPacket(), 1);
  }
}

TEST_F(HistoryLed, ASymbolAtOrAboveTheCountChangesAndSendsNothing) {
  Connect();
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  ASSERT_EQ(m_Server.AddSymbolToHistory(1, nullptr), 0);  // no node to send with: fails, yet kept
  EXPECT_EQ(Entries(m_Server), (TEntries{1, 3, 3, 3, 3}));
  ASSERT_EQ(m_ServerNode.SendInit(), 1);
  for (uint32_t symbol : {kSymbols, kSymbols + 1, 0xFFFFFFFFu}) {
    EXPECT_EQ(m_Server.AddSymbolToHistory(symbol, &m_ServerNode), 1);
    EXPECT_EQ(Entries(m_Server), (TEntries{1, 3, 3, 3, 3}));
    EXPECT_EQ(m_ServerNode.FindItem(HISTORYLED_ITEM), 0);
  }
}

// ---- from the server to the client's screen ----

TEST_F(HistoryLed, AServerHistoryReachesTheClientAndShowsVertically) {
  Connect();
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  CreateClient();
  EXPECT_EQ(m_Client.GetLayout(), CClientHistoryLed::LAYOUT_VERTICAL);
  for (uint32_t symbol : {0u, 1u, 2u}) PlayRound(symbol);
  EXPECT_EQ(Entries(m_Client), (TEntries{2, 1, 0, 3, 3}));
  ExpectShown(kHistoryX, kHistoryY, false);
  // Two rounds more: the oldest falls off on the screen as well.
  PlayRound(1);
  PlayRound(0);
  PlayRound(2);
  EXPECT_EQ(Entries(m_Client), (TEntries{2, 0, 1, 2, 1}));
  ExpectShown(kHistoryX, kHistoryY, false);
}

TEST_F(HistoryLed, AServerHistoryShowsHorizontally) {
  Connect();
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  CreateClient("Layout = 0", "Layout = 1");
  EXPECT_EQ(m_Client.GetLayout(), CClientHistoryLed::LAYOUT_HORIZONTAL);
  for (uint32_t symbol : {1u, 2u, 0u, 0u}) PlayRound(symbol);
  EXPECT_EQ(Entries(m_Client), (TEntries{0, 0, 2, 1, 3}));
  ExpectShown(kHistoryX, kHistoryY, true);
}

TEST_F(HistoryLed, AnyLayoutButOneIsVertical) {
  CreateClient("Layout = 0", "Layout = 7");
  EXPECT_EQ(m_Client.GetLayout(), CClientHistoryLed::LAYOUT_VERTICAL);
}

TEST_F(HistoryLed, TheControlMovesToAPlayerPositionOverItsOwnFelt) {
  CreateClient();
  ASSERT_EQ(Receive("WinHistoryArray = {0, 2, 1, 0, 3}\n"), 1);
  ASSERT_EQ(m_Client.SetShowPosition(1, Bm("Felt")), 1);
  int32_t x = 0, y = 0;
  m_Client.GetControl()->GetPos(x, y);
  EXPECT_EQ(x, 150);
  EXPECT_EQ(y, 20);
  // The clean copy took the felt under the new place: where nothing is drawn, the felt there.
  ExpectShown(150, 20, false);
  EXPECT_EQ(m_Client.SetShowPosition(0, Bm("Felt")), 1);
  ExpectShown(110, 40, false);
  EXPECT_EQ(m_Client.SetShowPosition(2, Bm("Felt")), 0);
  m_Client.GetControl()->GetPos(x, y);
  EXPECT_EQ(x, 110);
}

TEST_F(HistoryLed, ItemsBeyondTheCountsAreIgnored) {
  // Three symbols: the fourth item of each symbol sub-chunk is left; one seat: the second too.
  CreateClient("NumSymbols = 4", "NumSymbols = 3");
  EXPECT_EQ(Entries(m_Client), TEntries(kEntries, 2));
  m_Client.Destroy();
  ASSERT_EQ(LoadScript(ScriptWith("NumPlayerPositions = 2", "NumPlayerPositions = 1")), 1);
  OpenTable();
  ASSERT_EQ(m_Client.Create(m_pTable.get(), &m_Res, Bm("Felt")), 1);
  EXPECT_EQ(m_Client.SetShowPosition(0, Bm("Felt")), 1);
  EXPECT_EQ(m_Client.SetShowPosition(1, Bm("Felt")), 0);
}

TEST_F(HistoryLed, ASecondCreateKeepsTheFirst) {
  CreateClient();
  ASSERT_EQ(Receive("WinHistoryArray = {0, 1}\n"), 1);
  EXPECT_EQ(m_Client.Create(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(Entries(m_Client), (TEntries{0, 1, 3, 3, 3}));
}

// ---- bounds ----

TEST_F(HistoryLed, RoundDataIsReadWithinTheHistory) {
  CreateClient();
  const TEntries fresh(kEntries, 3);
  const struct {
    const char* name;
    const char* record;
    int32_t result;
    TEntries after;
  } table[] = {
      {"missing", "Other = 1\n", 1, fresh},
      {"whole", "WinHistoryArray = {0, 1, 2, 0, 1}\n", 1, {0, 1, 2, 0, 1}},
      {"too long: cut", "WinHistoryArray = {2, 1, 0, 2, 1, 0, 0, 0}\n", 1, {2, 1, 0, 2, 1}},
      {"too short: the rest kept", "WinHistoryArray = {1, 2}\n", 1, {1, 2, 3, 3, 3}},
      {"empty", "WinHistoryArray = {}\n", 1, fresh},
      {"a number, not an array", "WinHistoryArray = 2\n", 0, fresh},
      {"a text", "WinHistoryArray = \"1, 2\"\n", 0, fresh},
      {"an element that is no number", "WinHistoryArray = {1, x, 2}\n", 0, fresh},
      {"symbols out of range: kept, never drawn", "WinHistoryArray = {7, 4294967295, 0}\n", 1, {7, 0xFFFFFFFF, 0, 3, 3}},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Receive("WinHistoryArray = {3, 3, 3, 3, 3}\n"), 1);
    std::string said = Said([&] { EXPECT_EQ(Receive(row.record), row.result); });
    EXPECT_EQ(Entries(m_Client), row.after);
    EXPECT_EQ(said.find("CClientHistoryLed::ProcessIncomingData: Failed to get 'WINHISTORYARRAY' item.") !=
                  std::string::npos,
              row.result == 0);
    ExpectShown(kHistoryX, kHistoryY, false);
  }
}

TEST_F(HistoryLed, SourceAreasOutsideTheSymbolsAreSkipped) {
  // The push's second lamp would be cut from x 45 to 56 of a bitmap 51 wide; the first lamp of the
  // player's symbol from above its top.
  std::string text = ScriptWith("Push = {39, 0, 39, 0}", "Push = {39, 0, 45, 0}");
  text.replace(text.find("PlayerWon = {0, 0, 26, 0}"), 25, "PlayerWon = {0, -1, 26, 0}");
  ASSERT_EQ(LoadScript(text), 1);
  OpenTable();
  ASSERT_EQ(m_Client.Create(m_pTable.get(), &m_Res, Bm("Felt")), 1);
  ASSERT_EQ(Receive("WinHistoryArray = {2, 0}\n"), 1);
  ShowAndSettle();
  const int32_t x = kHistoryX + 6, y = kHistoryY + 5, across = kSpaceX + kLampW, down = kSpaceY + kLampH;
  EXPECT_EQ(Seen(x, y), kLampAmber);
  EXPECT_EQ(Seen(x + across, y), Felt(x + across, y));
  EXPECT_EQ(Seen(x, y + down), Felt(x, y + down));
  EXPECT_EQ(Seen(x + across, y + down), kLampUnlit);
}

TEST_F(HistoryLed, ScriptFailuresAreSaidAndKeepNothing) {
  const struct {
    const char* from;
    const char* to;
    const char* said;
  } table[] = {
      {"{ = Data", "{ = Date", "CClientHistoryLed::GetData: Could not enter datachunk."},
      {"{ = HistoryLed", "{ = HistoryLeds", "CClientHistoryLed::GetData: Could not find subchunk HistoryLed."},
      {"Layout = 0", "Layuot = 0", "CClientHistoryLed::GetData: Could not find Layout item."},
      {"SymbolsBitmap = Symbols", "SymbolsBitmap = Lamps", "Couldn't get symbols bitmap: Lamps"},
      {"StaticId = 501", "StaticId = x", "CClientHistoryLed::GetData: Could not get StaticId item."},
      {"NumHistory = 5", "NumHistory = many", "CClientHistoryLed::GetData: Could not get NumHistory item."},
      {"NumHistory = 5", "NumHistory = 0", "CClientHistoryLed::GetData: Could not get"},
      {"NumSymbols = 4", "NumSymbols = 5000", "CClientHistoryLed::GetData: Could not get"},
      {"NumSymbols = 4", "NumSymbolz = 4", "CClientHistoryLed::GetData: Could not find NumSymbols item."},
      {"NumPlayerPositions = 2", "NumPlayerPositions = -1", "CClientHistoryLed::GetData: Could not get"},
      {"SymbolSpaces = {2, 3}", "SymbolSpaces = {2}", "CClientHistoryLed::GetData: Could not get SymbolSpaces item."},
      {"{ = SymbolSizes", "{ = SymbolSize", "CClientHistoryLed::GetData: Could not find subchunk SymbolSizes."},
      {"NoRound = {26, 0, -1, 0}", "NoRound = {26, 0}",
       "CClientHistoryLed::GetData: Could not get SymbolPositions item."},
      {"Seat1 = {150, 20}", "", "CClientHistoryLed::GetData: Could not get PlayerPositions item."},
      {"StaticId = 501", "StaticId = 999", "CClientHistoryLed::Create: Could not find static 999."},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.to);
    ASSERT_EQ(LoadScript(ScriptWith(row.from, row.to)), 1);
    OpenTable();
    CClientHistoryLed led;
    const std::string said = Said([&] { EXPECT_EQ(led.Create(m_pTable.get(), &m_Res, Bm("Felt")), 0); });
    EXPECT_NE(said.find(row.said), std::string::npos) << said;
    EXPECT_EQ(led.IsCreated(), 0);
    EXPECT_EQ(led.GetNumHistory(), 0u);
    EXPECT_EQ(led.GetDrawing(), nullptr);
    EXPECT_EQ(led.SetShowPosition(0, Bm("Felt")), 0);
  }
}

TEST_F(HistoryLed, DestroyTakesTheDrawingBackFromTheControl) {
  CreateClient();
  CControlBase* control = m_Client.GetControl();
  ASSERT_NE(control->GetLook().m_pBitmaps[LOOK_NORMAL], nullptr);
  m_Client.Destroy();
  for (CBitmap* look : control->GetLook().m_pBitmaps) EXPECT_EQ(look, nullptr);
  EXPECT_EQ(m_Client.IsCreated(), 0);
  Settle();  // the control draws without the freed pictures
}

// ---- the state store ----

TEST_F(HistoryLed, TheHistoryStoresAsLittleEndianLongsAndComesBack) {
  Connect();
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  for (uint32_t symbol : {2u, 0u, 1u}) ASSERT_EQ(m_Server.AddSymbolToHistory(symbol, &m_ServerNode), 1);
  std::vector<uint8_t> store = {0xAA};  // appended behind what the table stored before
  m_Server.StoreState(store);
  const std::vector<uint8_t> expected = {0xAA, 1, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(store, expected);

  CServerHistoryLed restored;
  ASSERT_EQ(restored.Create(kEntries, kSymbols), 1);
  store.push_back(0x55);  // the game's state behind
  size_t used = 99;
  ASSERT_EQ(restored.RestoreState(store.data() + 1, store.size() - 1, used), 1);
  EXPECT_EQ(used, 4 * kEntries);
  EXPECT_EQ(Entries(restored), Entries(m_Server));
}

TEST_F(HistoryLed, ARestoreThatDoesNotFitKeepsTheHistory) {
  ASSERT_EQ(m_Server.Create(kEntries, kSymbols), 1);
  std::vector<uint8_t> whole;
  for (uint32_t i = 0; i < kEntries; ++i) whole.insert(whole.end(), {1, 0, 0, 0});
  const struct {
    const char* name;
    std::vector<uint8_t> store;
  } table[] = {
      {"empty", {}},
      {"one byte short", std::vector<uint8_t>(whole.begin(), whole.end() - 1)},
      {"four entries", std::vector<uint8_t>(whole.begin(), whole.end() - 4)},
      {"a symbol at the count", [&] {
         auto s = whole;
         s[8] = kSymbols;
         return s;
       }()},
      {"a symbol with its high byte set", [&] {
         auto s = whole;
         s[19] = 0x80;
         return s;
       }()},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    size_t used = 99;
    // A copy of exactly the store's size, so that reading past it is reading past the allocation.
    std::vector<uint8_t> store = row.store;
    EXPECT_EQ(m_Server.RestoreState(store.data(), store.size(), used), 0);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(Entries(m_Server), TEntries(kEntries, 3));
  }
  size_t used = 0;
  EXPECT_EQ(m_Server.RestoreState(nullptr, 20, used), 0);
  EXPECT_EQ(m_Server.RestoreState(whole.data(), whole.size(), used), 1);
  EXPECT_EQ(Entries(m_Server), TEntries(kEntries, 1));
}
