// Clicks on the blackjack table's bet spots through the headless GUI harness: the mouse pressed and
// released on the screen, the table's click handler run each frame, and the bets it sends. The spot
// map is one the test paints: seat s's spot covers map columns 20 + 70 s to 49 + 70 s of rows
// 100 to 129, a side-bet spot (value 6) lies beside seat 0's, and the rest is 0.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../kavotest.h"
#include "bettable.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/mouse.h"
#include "ostrel/system/globals.h"
#include "platform/display/headless.h"
#include "platform/display/translator.h"

namespace {

constexpr int32_t kMapWidth = 400, kMapHeight = 300;

class CClickTable : public CPanelBetTable {
 public:
  // A map narrower than the screen's half leaves the screen's right part outside it.
  explicit CClickTable(int32_t width = kMapWidth) {
    m_Map.CreateIndex(width, kMapHeight, 8, nullptr, 0);
    for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat)
      if (20 + 70 * seat + 30 <= width) Paint(20 + 70 * seat, 100, seat + 1);
    Paint(20, 140, 6);
  }
  const CBitmap* BetSpotMap() const override { return &m_Map; }
  // In at the table without a seat: the time difference known and the practice money settled.
  void WatchJoined() { m_Joined = m_TimeDiffDone = m_PracticeDone = 1; }

 private:
  void Paint(int32_t x0, int32_t y0, uint8_t value) {
    for (int32_t y = y0; y < y0 + 30; ++y)
      for (int32_t x = x0; x < x0 + 30; ++x) m_Map.m_pData[y * m_Map.m_Pitch + x] = value;
  }
  CBitmap m_Map;
};

// A screen point over seat s's spot.
int32_t SpotX(int32_t seat) { return 2 * (30 + 70 * seat); }
constexpr int32_t kSpotY = 230;

class CBetClickTest : public CKavoTest {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    CClientTableBase::Protection() = {};
    m_Table = std::make_unique<CClickTable>();
    ASSERT_TRUE(m_Table->Build());
    m_Table->SetLimits("1", "1000");
    m_Table->Sit(1, CBetTable::kMe, "1000");
    m_Table->SetCurrentChip(25);
    Frame();
  }
  void TearDown() override {
    if (m_Table && m_Table->GetPanel()) m_Table->GetPanel()->Exit();
    m_Table.reset();
    CKavoTest::TearDown();
  }
  // The button goes down (or up) at the point and the table sees the frame.
  void Button(int32_t button, bool down, int32_t x, int32_t y) {
    Display().QueueMouseButton(button, down, x, y);
    Frame();
    ASSERT_EQ(m_Table->BetClick(), 1);
  }
  void ClickAt(int32_t button, int32_t x, int32_t y) {
    Button(button, true, x, y);
    Button(button, false, x, y);
  }
  // Frames with the mouse standing where it is.
  void Idle(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      Frame();
      ASSERT_EQ(m_Table->BetClick(), 1);
    }
  }
  CClickTable& T() { return *m_Table; }
  static CBetTable::TMoney M(const char* text) { return CBetTable::TMoney(text); }
  std::unique_ptr<CClickTable> m_Table;
};

TEST_F(CBetClickTest, ALeftClickPlacesTheSelectedChipOnce) {
  Button(XMOUSE_LEFT, true, SpotX(1), kSpotY);
  Idle(5);  // held down: still one chip
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{1, 0, M("25")}}));
  Button(XMOUSE_LEFT, false, SpotX(1), kSpotY);
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{1, 0, M("25")}, {1, 0, M("50")}}));
  EXPECT_EQ(T().Rec(1).GetBet(1), M("50"));
  EXPECT_EQ(T().GetSpotAmount(1, 4), 50);
}

TEST_F(CBetClickTest, ARightClickTakesOffByTheBetsLargestDivisor) {
  struct SCase {
    const char* Bet;
    const char* After;  // null: nothing sent
  };
  const SCase cases[] = {{"130", "125"}, {"125", "100"}, {"0", nullptr}, {"1000", "500"}, {"3", "2"}};
  for (const SCase& c : cases) {
    T().Rec(1).SetBet(1, M(c.Bet));
    T().Sent.clear();
    ClickAt(XMOUSE_RIGHT, SpotX(1), kSpotY);
    if (c.After)
      EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{1, 0, M(c.After)}})) << c.Bet;
    else
      EXPECT_TRUE(T().Sent.empty()) << c.Bet;
  }
}

TEST_F(CBetClickTest, PointsOffTheSpotsOrTheMapOrUnderAnotherWindowAreIgnored) {
  const int32_t points[][2] = {
      {10, 10},                  // map value 0
      {2 * 30, 2 * 150},         // the side-bet spot: value 6
      {799, 599},                // the map's last pixel is 0
  };
  for (const auto& p : points) ClickAt(XMOUSE_LEFT, p[0], p[1]);
  EXPECT_TRUE(T().Sent.empty());
  // Beyond a narrow map's edge: seat 4's spot is not on it.
  {
    CClickTable narrow(300);
    ASSERT_TRUE(narrow.Build());
    narrow.Sit(4, CBetTable::kMe, "1000");
    narrow.SetCurrentChip(25);
    for (int32_t x : {SpotX(4), 2 * 300, 2 * 300 + 1}) {
      Display().QueueMouseButton(XMOUSE_LEFT, true, x, kSpotY);
      Frame();
      ASSERT_EQ(narrow.BetClick(), 1);
      Display().QueueMouseButton(XMOUSE_LEFT, false, x, kSpotY);
      Frame();
      ASSERT_EQ(narrow.BetClick(), 1);
    }
    EXPECT_TRUE(narrow.Sent.empty());
    narrow.GetPanel()->Exit();
  }
  // A window in front of the table covers the spot.
  CDialog* area = T().GetPanel()->GetDialog(PANEL_SECTION_BETAREA);
  ASSERT_NE(area, nullptr);
  const CRect r = area->GetRect();
  area->SetPos(SpotX(1) - 10, kSpotY - 10);
  Frame();
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  EXPECT_TRUE(T().Sent.empty());
  area->SetPos(r.left, r.top);
  Frame();
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  EXPECT_EQ(T().Sent.size(), 1u);
}

TEST_F(CBetClickTest, AFreeSeatIsAskedForWithTheChipUpToTheMostSeats) {
  T().SetMaxHands(2);
  ClickAt(XMOUSE_LEFT, SpotX(3), kSpotY);
  EXPECT_EQ(T().GetSeatRequest(), 3);
  EXPECT_EQ(T().GetPendingBet(3), 25);
  EXPECT_TRUE(T().Sent.empty());
  // No second request while one is pending.
  ClickAt(XMOUSE_LEFT, SpotX(4), kSpotY);
  EXPECT_EQ(T().GetPendingBet(4), 0);
  // Granted: the seat's bet is placed.
  T().Sit(3, CBetTable::kMe, "1000");
  ASSERT_EQ(T().SeatAllocated(3, CBetTable::kMe, 1), 1);
  EXPECT_EQ(T().Sent, (std::vector<SSentBet>{{3, 0, M("25")}}));
  // Two seats of two: a free seat's spot does nothing.
  ClickAt(XMOUSE_LEFT, SpotX(4), kSpotY);
  EXPECT_EQ(T().GetSeatRequest(), -1);
  EXPECT_EQ(T().GetPendingBet(4), 0);
}

// The framework hands bet clicks only to a player with a seat: one without takes his first seat
// by betting on it through the table's own frame, and the seat's cash he does not have yet does
// not refuse the chip.
TEST_F(CBetClickTest, APlayerWithoutASeatTakesOneByBettingOnIt) {
  CClickTable seatless;
  ASSERT_TRUE(seatless.Build());
  seatless.SetLimits("1", "1000");
  seatless.SetCurrentChip(25);
  auto click = [&](int32_t x) {
    for (bool down : {true, false}) {
      Display().QueueMouseButton(XMOUSE_LEFT, down, x, kSpotY);
      Frame();
      seatless.TimerHandler(0);
    }
  };
  // Not yet in at the table: the click asks for nothing.
  click(SpotX(2));
  EXPECT_EQ(seatless.GetSeatRequest(), -1);
  seatless.WatchJoined();
  ASSERT_EQ(seatless.IsAllowedToBet(), 0);
  click(SpotX(2));
  EXPECT_EQ(seatless.GetSeatRequest(), 2);
  EXPECT_EQ(seatless.GetPendingBet(2), 25);
  EXPECT_TRUE(seatless.Sent.empty());
  // Granted: the seat comes with its cash and the chip is placed and sent.
  seatless.Sit(2, CBetTable::kMe, "1000");
  ASSERT_EQ(seatless.SeatAllocated(2, CBetTable::kMe, 1), 1);
  EXPECT_EQ(seatless.Sent, (std::vector<SSentBet>{{2, 0, M("25")}}));
  EXPECT_EQ(seatless.GetPendingBet(2), 0);
  // Seated, his clicks are the framework's: the table's frame leaves them alone.
  click(SpotX(2));
  EXPECT_EQ(seatless.Sent.size(), 1u);
  // Above the table's maximum the chip asks for no seat.
  CClickTable high;
  ASSERT_TRUE(high.Build());
  high.SetLimits("1", "20");
  high.SetCurrentChip(25);
  high.WatchJoined();
  for (bool down : {true, false}) {
    Display().QueueMouseButton(XMOUSE_LEFT, down, SpotX(3), kSpotY);
    Frame();
    high.TimerHandler(0);
  }
  EXPECT_EQ(high.GetSeatRequest(), -1);
  EXPECT_EQ(high.GetPendingBet(3), 0);
  high.GetPanel()->Exit();
  seatless.GetPanel()->Exit();
}

TEST_F(CBetClickTest, AtTheOneDeckTableAnotherPlayersSeatAndASecondSeatAreIgnored) {
  T().SetOneDeck(1);
  T().SetMaxHands(5);
  T().Sit(2, 8, "1000");
  ClickAt(XMOUSE_LEFT, SpotX(2), kSpotY);
  ClickAt(XMOUSE_LEFT, SpotX(4), kSpotY);
  EXPECT_EQ(T().GetSeatRequest(), -1);
  EXPECT_EQ(T().GetPendingBet(4), 0);
  EXPECT_TRUE(T().Sent.empty());
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  EXPECT_EQ(T().Sent.size(), 1u);
}

TEST_F(CBetClickTest, TheHandPointerShowsOverASpotOnly) {
  CMouse* mouse = glb->m_pMouse;
  ASSERT_NE(mouse, nullptr);
  mouse->ClearSetCursorCalled();
  Display().QueueMouseMove(10, 10);
  Idle(1);
  EXPECT_EQ(mouse->SetCursorCalled(), 0);
  Display().QueueMouseMove(SpotX(0), kSpotY);
  Idle(1);
  EXPECT_EQ(mouse->SetCursorCalled(), 1);
}

TEST_F(CBetClickTest, NothingMovesOnceBettingIsClosed) {
  T().CloseBetting();
  T().Sent.clear();
  ClickAt(XMOUSE_LEFT, SpotX(1), kSpotY);
  EXPECT_TRUE(T().Sent.empty());
}

}  // namespace
