// Clicks on the side-bet table's spots through the headless GUI harness: spots 1-5 are the seats'
// regular bets, 6-10 their side bets. The spot map is one the test paints: seat s's regular spot
// covers map columns 20 + 70 s to 49 + 70 s of rows 100 to 129, its side-bet spot the same columns
// of rows 140 to 169.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../kavotest.h"
#include "client/playerdata.h"
#include "client/supersevenclienttable.h"
#include "common/info/translate.h"
#include "common/tables/playerconnection.h"
#include "common/tables/tableprotocol.h"
#include "common/widgets/panel.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/mouse.h"
#include "ostrelcomm/commnode.h"
#include "platform/display/headless.h"
#include "platform/display/keys.h"

namespace {

using TMoney = CBlackJackClientTable::TMoney;
constexpr int32_t kMe = 7;

struct SSent {
  int32_t Seat;
  TMoney Bet;
  int32_t SideBet;
  bool operator==(const SSent& o) const { return Seat == o.Seat && Bet == o.Bet && SideBet == o.SideBet; }
};
std::ostream& operator<<(std::ostream& o, const SSent& s) {
  return o << "{seat " << s.Seat << ", bet " << static_cast<const char*>(s.Bet.GetString(-1, 2)) << ", side "
           << s.SideBet << "}";
}

// The side-bet table on its own script's dialog 110 and the shipped panel, seats the test fills and
// the bets it would send recorded.
class CSideBetTable : public CSuperSevenClientTable {
 public:
  CSideBetTable() {
    m_NumSeats = KAVO_NUM_SEATS;
    m_ppPlayerConnections = new CPlayerConnection*[KAVO_NUM_SEATS];
    for (int32_t i = 0; i < KAVO_NUM_SEATS; ++i) m_ppPlayerConnections[i] = new CPlayerConnection(i);
    m_Money.assign(KAVO_NUM_SEATS, TMoney());
    m_pPlayerNode = new CCommNode;
    m_ClientState = TABLE_CLIENTSTATE_BETTING;
    SetPlayerId(kMe);
    CreatePlayerRecords();
    m_BetLimitCheck.SetTexts("Minimum bet is ", " per seat", "Maximum bet is ", " per seat", "Not enough money");
    m_Map.CreateIndex(400, 300, 8, nullptr, 0);
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
      Paint(20 + 70 * seat, 100, static_cast<uint8_t>(seat + 1));
      Paint(20 + 70 * seat, 140, static_cast<uint8_t>(seat + 6));
    }
  }
  bool Build() {
    if (!m_MainScript.Load(KAVO_SCRIPT_SUPERSEVEN_MAIN)) return false;
    if (!m_MainDialog.Create(&m_MainScript, 110, nullptr, 0, this)) return false;
    m_pCurrency = std::make_unique<CTranslate>();
    m_pCurrency->SetCurrency(m_MainScript.GetResString(10800));
    auto* panel = new CPanel;
    m_pPanel = panel;
    return panel->Init(&m_MainScript, this, 4, nullptr, nullptr) == 1;
  }
  void Sit(int32_t seat, const char* cash) {
    AllocateSlot(seat, kMe);
    m_Money[static_cast<size_t>(seat)] = TMoney(cash);
  }
  void SetRealMoney(int32_t on) { m_RealMoney = on; }
  void SetLimits(const char* min, const char* max) {
    m_MinTable = TMoney(min);
    m_MaxTable = TMoney(max);
  }
  CSuperSevenPlayerData& Rec(int32_t seat) { return *static_cast<CSuperSevenPlayerData*>(GetPlayerRecord(seat)); }
  const char* LastDealerLine() const { return m_LastDealerLine; }
  void ForgetDealerLine() { m_LastDealerLine[0] = 0; }
  const CBitmap* BetSpotMap() const override { return &m_Map; }
  int32_t SendPlayerBet(int32_t seat, int32_t) override {
    Sent.push_back({seat, GetPlayerRecord(seat)->GetBet(1), Rec(seat).GetSideBet()});
    return 1;
  }
  int32_t SetCameraView(int32_t) override { return 1; }
  std::vector<SSent> Sent;

 private:
  void Paint(int32_t x0, int32_t y0, uint8_t value) {
    for (int32_t y = y0; y < y0 + 30; ++y)
      for (int32_t x = x0; x < x0 + 30; ++x) m_Map.m_pData[y * m_Map.m_Pitch + x] = value;
  }
  CBitmap m_Map;
};

// The loss-limit boxes the table asked for, answered at once.
std::vector<std::string>& Boxes() {
  static std::vector<std::string> boxes;
  return boxes;
}
int32_t RecordBox(const char*, const char* text) {
  Boxes().push_back(text ? text : "");
  return 1;
}

int32_t SpotX(int32_t seat) { return 2 * (30 + 70 * seat); }
constexpr int32_t kRegularY = 230, kSideY = 310;

class CSideBetClickTest : public CKavoTest {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    CClientTableBase::Protection() = {};
    CClientTableBase::SetMessageBoxFunc(RecordBox);
    Boxes().clear();
    m_Table = std::make_unique<CSideBetTable>();
    ASSERT_TRUE(m_Table->Build());
    m_Table->SetLimits("5", "1000");
    m_Table->Sit(1, "1000");
    m_Table->SetCurrentChip(25);
    Frame();
  }
  void TearDown() override {
    if (m_Table && m_Table->GetPanel()) m_Table->GetPanel()->Exit();
    m_Table.reset();
    CClientTableBase::SetMessageBoxFunc(nullptr);
    CClientTableBase::Protection() = {};
    CKavoTest::TearDown();
  }
  void ClickAt(int32_t button, int32_t x, int32_t y) {
    for (bool down : {true, false}) {
      Display().QueueMouseButton(button, down, x, y);
      Frame();
      ASSERT_EQ(m_Table->BetClick(), 1);
    }
  }
  CSideBetTable& T() { return *m_Table; }
  static TMoney M(const char* text) { return TMoney(text); }
  std::unique_ptr<CSideBetTable> m_Table;
};

TEST_F(CSideBetClickTest, ClicksOnRegularAndSideBetSpots) {
  enum EWhere { kRegular, kSide };
  struct SCase {
    const char* What;
    const char* Bet;  // the seat's regular bet before the click
    int32_t SideBet;  // and its side bet
    const char* Cash;
    EWhere Where;
    int32_t Button;
    const char* BetAfter;
    int32_t SideAfter;
    const char* Said;  // part of the dealer's line, null: none
    bool Sends;
    // Real money with a loss limit for the day: the limit and the day's losses before and after. A
    // refusal of the limit shows the box, and the dealer says its text (empty without the
    // common script here: Said "").
    const char* LossPerDay = nullptr;
    const char* LossBefore = "0";
    const char* LossAfter = "0";
  };
  const SCase cases[] = {
      {"a side bet without a regular bet", "0", 0, "1000", kSide, XMOUSE_LEFT, "0", 0, "without a regular", false},
      {"the side bet placed", "25", 0, "1000", kSide, XMOUSE_LEFT, "25", 1, nullptr, true},
      {"a second left click leaves it", "25", 1, "1000", kSide, XMOUSE_LEFT, "25", 1, nullptr, false},
      {"the side bet cleared", "25", 1, "1000", kSide, XMOUSE_RIGHT, "25", 0, nullptr, true},
      {"clearing an unset side bet", "25", 0, "1000", kSide, XMOUSE_RIGHT, "25", 0, nullptr, false},
      {"no money left for the unit", "25", 0, "25", kSide, XMOUSE_LEFT, "25", 0, "Not enough money", false},
      {"the last chip under a side bet", "25", 1, "1000", kRegular, XMOUSE_RIGHT, "25", 1, "remove the bet", false},
      {"a chip off above the last one", "50", 1, "1000", kRegular, XMOUSE_RIGHT, "25", 1, nullptr, true},
      {"the last chip without a side bet", "25", 0, "1000", kRegular, XMOUSE_RIGHT, "0", 0, nullptr, true},
      {"a chip on beside the side bet", "25", 1, "1000", kRegular, XMOUSE_LEFT, "50", 1, nullptr, true},
      {"the unit within the day's loss limit", "25", 0, "1000", kSide, XMOUSE_LEFT, "25", 1, nullptr, true, "100",
       "99", "100"},
      {"the unit beyond the day's loss limit", "25", 0, "1000", kSide, XMOUSE_LEFT, "25", 0, "", false, "100",
       "99.50", "99.50"},
      {"the day's loss limit spent", "25", 0, "1000", kSide, XMOUSE_LEFT, "25", 0, "", false, "100", "100",
       "100"},
      {"the side bet cleared gives its unit back to the day", "25", 1, "1000", kSide, XMOUSE_RIGHT, "25", 0, nullptr,
       true, "100", "100", "99"},
      {"a chip off under the side bet within the limit", "50", 1, "1000", kRegular, XMOUSE_RIGHT, "25", 1, nullptr,
       true, "100", "100", "75"},
  };
  for (const SCase& c : cases) {
    T().Rec(1).SetBet(1, M(c.Bet));
    T().Rec(1).SetSideBet(c.SideBet);
    T().Rec(1).GetTotalStake(0);
    T().Sit(1, c.Cash);
    T().SetRealMoney(c.LossPerDay ? 1 : 0);
    CClientTableBase::Protection().LossPerDay = TMoney(c.LossPerDay ? c.LossPerDay : "0");
    CClientTableBase::Protection().LossThisDay = M(c.LossBefore);
    Boxes().clear();
    T().Sent.clear();
    T().ForgetDealerLine();
    ClickAt(c.Button, SpotX(1), c.Where == kSide ? kSideY : kRegularY);
    EXPECT_EQ(T().Rec(1).GetBet(1), M(c.BetAfter)) << c.What;
    EXPECT_EQ(T().Rec(1).GetSideBet(), c.SideAfter) << c.What;
    if (c.Said) {
      EXPECT_EQ(std::strncmp(T().LastDealerLine(), "<Dealer> ", 9), 0) << c.What;
      EXPECT_NE(std::strstr(T().LastDealerLine(), c.Said), nullptr) << c.What << ": " << T().LastDealerLine();
    } else {
      EXPECT_STREQ(T().LastDealerLine(), "") << c.What;
    }
    if (c.LossPerDay) EXPECT_EQ(CClientTableBase::Protection().LossThisDay, M(c.LossAfter)) << c.What;
    // A refusal of the loss limit shows its box, and the dealer says the same.
    const bool boxed = c.LossPerDay && c.Said;
    EXPECT_EQ(Boxes().size(), boxed ? 1u : 0u) << c.What;
    if (boxed && !Boxes().empty()) EXPECT_NE(std::strstr(T().LastDealerLine(), Boxes()[0].c_str()), nullptr) << c.What;
    if (c.Sends)
      EXPECT_EQ(T().Sent, (std::vector<SSent>{{1, M(c.BetAfter), c.SideAfter}})) << c.What;
    else
      EXPECT_TRUE(T().Sent.empty()) << c.What;
  }
}

TEST_F(CSideBetClickTest, TheSideBetSpotOfAnotherPlayersOrAFreeSeatPlacesNoSideBet) {
  ClickAt(XMOUSE_LEFT, SpotX(3), kSideY);
  EXPECT_EQ(T().Rec(3).GetSideBet(), 0);
  EXPECT_TRUE(T().Sent.empty());
}

}  // namespace

namespace {
// With the program's own box: the refusal is modal and waits for the player's OK, so a headless
// run that never answers it waits for ever (which is what hung before the click table answered its
// boxes through the table's box hook). Answered with Enter, the click returns with nothing placed.
TEST_F(CSideBetClickTest, ALossLimitRefusalWaitsForTheBoxAndReturns) {
  CClientTableBase::SetMessageBoxFunc(nullptr);
  T().Rec(1).SetBet(1, M("25"));
  T().Rec(1).GetTotalStake(0);
  T().SetRealMoney(1);
  CClientTableBase::Protection().LossPerDay = M("100");
  CClientTableBase::Protection().LossThisDay = M("100");
  Display().QueueMouseButton(XMOUSE_LEFT, true, SpotX(1), kSideY);
  Frame();
  // The answer waits in the queue for the box's own loop.
  Display().QueueKey(XVK_RETURN, true);
  Display().QueueKey(XVK_RETURN, false);
  ASSERT_EQ(T().BetClick(), 1);
  EXPECT_EQ(std::strncmp(T().LastDealerLine(), "<Dealer> ", 9), 0);
  EXPECT_EQ(T().Rec(1).GetSideBet(), 0);
  EXPECT_TRUE(T().Sent.empty());
}
}  // namespace
