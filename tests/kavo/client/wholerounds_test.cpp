// Whole rounds of blackjack in one process: the headless client table as its set-up builds it,
// the in-process server table on the player database, the test clock and a rigged shoe. The
// player joins, sits, bets, decides and watches every path of the round to the report that the
// presentation is over; the server never has to time the presentation out. After each round the
// cash the table shows for his seat is the database's balance, and once the next round began no
// card or chip of the last one is left on the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "client/playerdata.h"
#include "kavoroundfixture.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "support/png.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

constexpr int32_t kSeat = 2;
constexpr int32_t kCashControl = 175;

// Card codes by rank: ace 0, two 1 ... nine 8, ten-value 9 to 12; suits by 13.
constexpr int32_t Card(int32_t rank, int32_t suit = 0) { return suit * 13 + rank; }
constexpr int32_t kAce = 0, kTwo = 1, kThree = 2, kFive = 4, kSix = 5, kSeven = 6, kEight = 7, kNine = 8,
                  kTen = 9, kKing = 12;

// The server half; it counts the presentations it had to time out.
class CRoundServer : public CBlackJackServerTable {
 public:
  int32_t ClientPresentationTimedOut(int32_t seat) override {
    ++m_PresentationTimeOuts;
    return CBlackJackServerTable::ClientPresentationTimedOut(seat);
  }
  int32_t m_PresentationTimeOuts = 0;
};

// The client half with the player's hand on it: decisions and insurance answers given when the
// table asks for them, and the reports of finished presentations counted.
class CRoundClient : public CBlackJackClientTable {
 public:
  int32_t FinishPresentation() override {
    ++m_Presented;
    return CBlackJackClientTable::FinishPresentation();
  }
  // On the player's own turn, with nothing pending, the next scripted decision.
  void Decide() {
    if (GetGameState() != KAVO_GS_WAITACTION || m_TurnSeat != kSeat || m_PendingAction || m_ActionSent) return;
    if (m_Decisions.empty()) return;
    m_PendingAction = m_Decisions.front();
    m_Decisions.pop_front();
  }
  bool PersistentIsTablePicture() {
    CBitmap* picture = GetCardTable().GetTablePicture();
    const CBitmap* persistent = glb->m_pCurrentScreen->GetPersistentBitmap();
    if (!picture || !persistent || picture->m_Height != persistent->m_Height) return false;
    for (int32_t y = 0; y < picture->m_Height; ++y)
      if (std::memcmp(picture->m_pData + y * picture->m_Pitch, persistent->m_pData + y * persistent->m_Pitch,
                      static_cast<size_t>(std::min(picture->m_Pitch, persistent->m_Pitch))) != 0)
        return false;
    return true;
  }
  // The persistent layer as a picture; with onlyLeftOver, black where it is the table picture.
  TRgbImage PersistentShot(bool onlyLeftOver) {
    const CBitmap* persistent = glb->m_pCurrentScreen->GetPersistentBitmap();
    TRgbImage image{persistent->m_Width, persistent->m_Height, {}};
    for (int32_t y = 0; y < persistent->m_Height; ++y)
      for (int32_t x = 0; x < persistent->m_Width; ++x) {
        const uint8_t* p = persistent->m_pData + y * persistent->m_Pitch + 3 * x;
        if (onlyLeftOver && !LeftOver(x, y)) image.rgb.insert(image.rgb.end(), {0, 0, 0});
        else image.rgb.insert(image.rgb.end(), {p[2], p[1], p[0]});
      }
    return image;
  }
  // The rectangles of the left-over marks (pixels within 3 of each other join), with their sizes.
  std::string LeftOverMarks() {
    const int32_t w = glb->m_pCurrentScreen->GetPersistentBitmap()->m_Width;
    const int32_t h = glb->m_pCurrentScreen->GetPersistentBitmap()->m_Height;
    std::vector<uint8_t> off(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) off[static_cast<size_t>(y) * w + x] = LeftOver(x, y);
    std::string marks;
    for (int32_t i = 0; i < w * h; ++i) {
      if (!off[i]) continue;
      CRect box(w, h, -1, -1);
      int32_t n = 0;
      std::vector<int32_t> todo{i};
      off[i] = 0;
      while (!todo.empty()) {
        const int32_t x = todo.back() % w, y = todo.back() / w;
        todo.pop_back();
        box.left = std::min(box.left, x), box.right = std::max(box.right, x), ++n;
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
        for (int32_t ny = std::max(y - 3, 0); ny <= std::min(y + 3, h - 1); ++ny)
          for (int32_t nx = std::max(x - 3, 0); nx <= std::min(x + 3, w - 1); ++nx)
            if (off[ny * w + nx]) {
              off[ny * w + nx] = 0;
              todo.push_back(ny * w + nx);
            }
      }
      char mark[80];
      std::snprintf(mark, sizeof mark, " (%d,%d)-(%d,%d) %d px", box.left, box.top, box.right, box.bottom, n);
      marks += mark;
    }
    return marks;
  }
  bool LeftOver(int32_t x, int32_t y) {
    const CBitmap* picture = GetCardTable().GetTablePicture();
    const CBitmap* persistent = glb->m_pCurrentScreen->GetPersistentBitmap();
    return std::memcmp(persistent->m_pData + y * persistent->m_Pitch + 3 * x, picture->m_pData + y * picture->m_Pitch + 3 * x,
                       3) != 0;
  }
  const char* CashText() {
    CControlBase* control = m_MainDialog.GetCtrl(kCashControl + kSeat);
    return control ? control->GetTextBuffer(0) : nullptr;
  }

  std::deque<int32_t> m_Decisions;
  int32_t m_Presented = 0;
};

struct SRoundPath {
  const char* What;
  // The seat's two cards, the dealer's up card, his hole card, then the cards drawn.
  std::vector<int32_t> Shoe;
  std::vector<int32_t> Decisions;
  int32_t Insurance;  // -1 not asked, else the answer
};

const SRoundPath kPaths[] = {
    {"win", {Card(kTen), Card(kNine), Card(kNine, 1), Card(kEight)}, {KAVO_ACTION_STAND}, -1},
    {"loss", {Card(kTen), Card(kSeven), Card(kNine, 1), Card(kTen, 1)}, {KAVO_ACTION_STAND}, -1},
    {"push", {Card(kTen), Card(kEight), Card(kNine, 1), Card(kNine, 2)}, {KAVO_ACTION_STAND}, -1},
    {"natural", {Card(kAce), Card(kKing), Card(kNine, 1), Card(kSeven)}, {}, -1},
    {"dealer blackjack by the peek", {Card(kTen), Card(kEight), Card(kTen, 1), Card(kAce, 1)}, {}, -1},
    {"insurance paid", {Card(kTen), Card(kEight), Card(kAce, 1), Card(kKing, 1)}, {}, 1},
    {"insurance lost", {Card(kTen), Card(kNine), Card(kAce, 1), Card(kSeven, 1)}, {KAVO_ACTION_STAND}, 1},
    {"split",
     {Card(kEight), Card(kEight, 1), Card(kNine, 1), Card(kEight, 2), Card(kTen), Card(kKing)},
     {KAVO_ACTION_SPLIT, KAVO_ACTION_STAND, KAVO_ACTION_STAND},
     -1},
    {"split aces", {Card(kAce), Card(kAce, 1), Card(kNine, 1), Card(kEight, 2), Card(kNine), Card(kTen)},
     {KAVO_ACTION_SPLIT}, -1},
    {"double", {Card(kSix), Card(kFive), Card(kNine, 1), Card(kEight), Card(kTen)}, {KAVO_ACTION_DOUBLE}, -1},
    {"bust, and so all bust", {Card(kTen), Card(kSix), Card(kNine, 1), Card(kEight), Card(kKing)},
     {KAVO_ACTION_HIT}, -1},
    {"triple seven", {Card(kSeven), Card(kSeven, 1), Card(kNine, 1), Card(kEight), Card(kSeven, 2)},
     {KAVO_ACTION_HIT}, -1},
    // No decision: the table stands for the player when his time is up.
    {"decision time-out", {Card(kTen), Card(kThree), Card(kNine, 1), Card(kEight)}, {}, -1},
};

// A path's description as a name: its letters.
std::string PathName(const char* what) {
  std::string name;
  for (const char* c = what; *c; ++c)
    if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')) name += *c;
  return name;
}

class KavoWholeRoundPaths : public CKavoRoundFixture, public ::testing::WithParamInterface<SRoundPath> {
 protected:
  CRoundClient& Client() { return TableAs<CRoundClient>(); }
  CRoundServer& Server() { return static_cast<CRoundServer&>(*m_pServer); }
  void BetweenHalves() override { Client().Decide(); }

  // A round from its bet to the end of its presentation on a rigged shoe.
  void PlayRound(const std::vector<int32_t>& shoe, const std::vector<int32_t>& decisions, int32_t insurance) {
    SetShoe(shoe);
    Client().m_Decisions.assign(decisions.begin(), decisions.end());
    const int32_t presented = Client().m_Presented;
    ASSERT_TRUE(RunUntil([&] { return Client().GetClientState() == TABLE_CLIENTSTATE_BETTING; })) << "betting";
    ASSERT_EQ(Client().ChangeBet(25, kSeat, 1), 1);
    bool answered = false;
    ASSERT_TRUE(RunUntil([&] {
      if (insurance >= 0 && !answered && Client().GetGameState() == KAVO_GS_WAITINSURANCE) {
        answered = true;
        Client().SendInsurance(kSeat, insurance);
      }
      return Client().m_Presented > presented;
    })) << "presented";
    EXPECT_EQ(Server().m_PresentationTimeOuts, 0);
  }
};

TEST_P(KavoWholeRoundPaths, PlaysToThePresentationReportWithTheBalanceShownAndAClearTableAfter) {
  const SRoundPath& path = GetParam();
  // Its limits offer the triple-seven bonus.
  Open(std::make_unique<CRoundClient>(), std::make_unique<CRoundServer>(), KAVO_TEST_TABLE_ID, kSeat);
  if (HasFatalFailure()) return;
  PlayRound(path.Shoe, path.Decisions, path.Insurance);
  if (HasFailure()) return;
  // The cash shown for the seat is the balance the server booked.
  const TMoney balance = Balance();
  EXPECT_TRUE(RunUntil([&] { return Client().GetSeatMoney(kSeat) == balance; }, 2000));
  char shown[64] = {};
  TMoney::Print(balance, shown, -1, 2);
  EXPECT_DOUBLE_EQ(CashOf(Client().CashText()), std::atof(shown)) << Client().CashText();
  // The next round begins on a clear table.
  ASSERT_TRUE(RunUntil([&] { return Client().GetClientState() == TABLE_CLIENTSTATE_BETTING; }));
  // To look at: the settled table as the persistent layer holds it, and what of it is left over.
  if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS")) {
    const std::string name = std::string(folder) + "/round-" + PathName(path.What);
    EXPECT_TRUE(WritePng(name + ".png", Client().PersistentShot(false)));
    EXPECT_TRUE(WritePng(name + "-leftover.png", Client().PersistentShot(true)));
  }
  EXPECT_TRUE(Client().PersistentIsTablePicture()) << "left over:" << Client().LeftOverMarks();
  for (int32_t seat = 0; seat <= KAVO_NUM_SEATS; ++seat)
    EXPECT_EQ(Client().GetPlayerRecord(seat)->GetNumCards(), 0) << seat;
}

INSTANTIATE_TEST_SUITE_P(Paths, KavoWholeRoundPaths, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<SRoundPath>& info) { return PathName(info.param.What); });

}  // namespace
