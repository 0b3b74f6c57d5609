// A dealt round with its bets as the table shows them: the stacks on their spots, drawn by the
// table's own chip-stack code on the headless screen after its set-up. With VORRIN_KAVO_SHOTS=<folder>
// the picture is kept there (docs/kavo/ keeps it for people).
#include <cstdlib>

#include "client/playerdata.h"
#include "fennic/fennic.h"
#include "kavotablefixture.h"
#include "ostrel/controls/static.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/resources/resflags.h"
#include "support/png.h"

namespace {

using TMoney = CBlackJackClientTable::TMoney;

class BetPictures : public CKavoTableFixture {
 protected:
  // Where the card lands, at once.
  void Deal(int32_t seat, int32_t code) {
    CBlackJackPlayerData* record = Table().GetPlayerRecord(seat);
    ASSERT_EQ(record->AddCard(code), 1);
    CPocket* pocket = Table().GetCardTable().GetPocket(record->GetCurrentPocket());
    CObject* card = nullptr;
    pocket->GetCard(card, pocket->GetNumCards() - 1);
    ASSERT_EQ(Table().GetCardTable().DrawLastFrame(pocket->GetMove(pocket->GetNumCards() - 1), card), 1);
  }
  // Pixels of the control's rectangle on the shot that differ from the table picture.
  int32_t OffPicture(const TRgbImage& shot, CControlBase* control) {
    const CRect r = control->ScreenRect();
    const CBitmap* picture = Table().GetTablePicture();
    int32_t off = 0;
    for (int32_t y = std::max(r.top, 0); y <= std::min(r.bottom, 599); ++y)
      for (int32_t x = std::max(r.left, 0); x <= std::min(r.right, 799); ++x) {
        const uint8_t* s = &shot.rgb[static_cast<size_t>((y * 800 + x) * 3)];
        const uint8_t* p = picture->m_pData + static_cast<int64_t>(y) * picture->m_Pitch + 3 * x;
        off += s[0] != p[2] || s[1] != p[1] || s[2] != p[0];
      }
    return off;
  }
};

TEST_F(BetPictures, TheDealtRoundShowsEachBetAsStacksOnItsSpots) {
  ASSERT_EQ(StartTable(nullptr, KAVO_TEST_TABLE_ID, 2), 1);
  CBlackJackClientTable& table = Table();
  ASSERT_EQ(table.SetRoundActive(1), 1);
  Frames(table.GetLayout().PanelAnimFrames + 2);

  // Seat 0 doubled 25 on ten-seven; seat 2 split its eights, 50 on each hand; seat 4 bet 130 on
  // king-ace and took insurance against the dealer's ace.
  Deal(0, 9);
  Deal(0, 45);
  Deal(0, 3);
  Deal(2, 7);
  Deal(2, 33);
  Deal(4, 25);
  Deal(4, 39);
  Deal(5, 13);
  CBlackJackPlayerData* doubled = table.GetPlayerRecord(0);
  doubled->SetBet(1, TMoney(50));
  doubled->MarkDoubled();
  // The pair leaves its place for the two split hands.
  CBlackJackPlayerData* split = table.GetPlayerRecord(2);
  CRect pair;
  ASSERT_EQ(table.GetCardTable().GetPocket(2)->GetTotalClip(&pair), 1);
  ASSERT_EQ(split->DoSplit(), 0);
  pair.Inflate(2, 2);
  Screen()->DrawBitmapPersistent(table.GetTablePicture(), pair.left, pair.top, pair.left, pair.top, pair.Width() + 1,
                                 pair.Height() + 1, 0, 0);
  for (int32_t pocket : {split->GetPocketHand1(), split->GetPocketHand2()}) {
    CPocket* p = table.GetCardTable().GetPocket(pocket);
    CObject* card = nullptr;
    p->GetCard(card, 0);
    ASSERT_EQ(table.GetCardTable().DrawLastFrame(p->GetMove(0), card), 1);
  }
  split->SetCurrentHand(1);
  Deal(2, 16);
  split->SetCurrentHand(2);
  Deal(2, 48);
  split->SetBet(1, TMoney(50));
  split->SetBet(2, TMoney(50));
  table.GetPlayerRecord(4)->SetBet(1, TMoney(130));
  table.RedrawAllHands(nullptr);
  table.MarkBetsChanged();
  ASSERT_EQ(table.UpdateChipStacks(-1, 0), 1);
  table.ShowInsuranceChips(4, TMoney(65));
  const TRgbImage shot = ShotBetweenTurns();
  if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS")) {
    ASSERT_TRUE(WritePng(std::string(folder) + "/client_dealt_round_bets.png", shot));
  }

  struct SSpot {
    int32_t Seat, Spot, Amount;
  };
  const SSpot shown[] = {{0, 3, 25}, {0, 5, 25}, {2, 1, 50}, {2, 7, 50}, {4, 4, 130}};
  for (const SSpot& s : shown) {
    CStatic* control = table.GetSpotChipStatic(s.Seat, s.Spot);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(table.GetSpotAmount(s.Seat, s.Spot), s.Amount);
    EXPECT_NE(control->GetState(), XGUI_HIDDEN) << s.Seat << "/" << s.Spot;
    int32_t w = 0, h = 0;
    control->GetSize(w, h);
    EXPECT_GT(OffPicture(shot, control), w * h / 3) << s.Seat << "/" << s.Spot;
  }
  // The doubled seat's middle spot and the split seat's unsplit spot stay empty.
  for (const SSpot& s : {SSpot{0, 4, 0}, SSpot{2, 4, 0}, SSpot{1, 4, 0}}) {
    EXPECT_EQ(table.GetSpotChipStatic(s.Seat, s.Spot)->GetState(), XGUI_HIDDEN) << s.Seat << "/" << s.Spot;
  }
  CStatic* insurance = table.GetInsuranceChipStatic(4, 0);
  ASSERT_NE(insurance, nullptr);
  EXPECT_NE(insurance->GetState(), XGUI_HIDDEN);
  EXPECT_GT(OffPicture(shot, insurance), 0);

  // Hidden again, the spots show the table.
  table.HideSeatChips(0);
  table.HideInsuranceChips(4);
  const TRgbImage cleared = ShotBetweenTurns();
  EXPECT_EQ(OffPicture(cleared, table.GetSpotChipStatic(0, 3)), 0);
  EXPECT_EQ(OffPicture(cleared, insurance), 0);
}

}  // namespace
