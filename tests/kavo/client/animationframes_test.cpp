// The animations on the table as its set-up builds it, driven by the framework's frames: the end
// of a round from the collection of the lost hands to the report that the presentation is over,
// with the layout's own places and chip stack.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "kavotablefixture.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

class CRoundEndRecord : public CBlackJackPlayerData {
 public:
  void SetResult(int32_t condition, const TMoney& bet, const TMoney& win) {
    m_WinCondition1 = condition;
    SetBet(KAVO_HAND_1, bet);
    SetReportedBet(KAVO_HAND_1, bet);
    SetWin(KAVO_HAND_1, win);
  }
};

class CRoundEndTable : public CBlackJackClientTable {
 public:
  void Begin(int32_t number) { m_Animation = number; }
  int32_t FinishPresentation() override {
    ++m_Presented;
    return CBlackJackClientTable::FinishPresentation();
  }
  CRoundEndRecord& Record(int32_t seat) { return static_cast<CRoundEndRecord&>(*GetPlayerRecord(seat)); }
  int32_t m_Presented = 0;

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override { return new CRoundEndRecord; }
};

class KavoAnimationFrames : public CKavoTableFixture {};

TEST_F(KavoAnimationFrames, TheRoundsEndPlaysThroughTheFramesToThePresentationReport) {
  ASSERT_EQ(StartTable(std::make_unique<CRoundEndTable>()), 1);
  auto& table = TableAs<CRoundEndTable>();
  ASSERT_NE(table.GetChipStack(), nullptr);
  table.Record(0).SetResult(KAVO_WIN_WON, TMoney(25), TMoney(25));
  table.Record(2).SetResult(KAVO_WIN_LOST, TMoney(10), TMoney());
  table.Record(4).SetResult(KAVO_WIN_PUSH, TMoney(100), TMoney());
  table.GetChipStack()->SetSpeed(5);
  table.Begin(CBlackJackClientTable::KAVO_ANIM_COLLECT);
  std::vector<int32_t> chain{table.GetAnimationNumber()};
  for (int32_t n = 0; n < 500 && table.GetAnimationNumber() != 0; ++n) {
    Frames(1);
    const int32_t now = table.GetAnimationNumber();
    if (now != 0 && now != chain.back()) chain.push_back(now);
  }
  // The card clearings are the views' own frames; between them the chain goes on.
  std::vector<int32_t> mine;
  for (int32_t a : chain)
    if (a != CBlackJackClientTable::KAVO_ANIM_CARD) mine.push_back(a);
  EXPECT_EQ(mine.front(), 2);
  EXPECT_EQ(mine.back(), 20);
  EXPECT_EQ(table.GetAnimationNumber(), 0);
  EXPECT_EQ(table.m_Presented, 1);
  for (int32_t seat = 0; seat < KAVO_NUM_SEATS; ++seat) {
    EXPECT_EQ(table.Record(seat).GetBet(KAVO_HAND_1), TMoney()) << seat;
    EXPECT_EQ(table.Record(seat).GetWin(KAVO_HAND_1), TMoney()) << seat;
  }
  for (int32_t run = 0; run < 5; ++run) EXPECT_EQ(table.GetChipRunSeat(run), 0) << run;
}

}  // namespace
