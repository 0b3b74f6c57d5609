// The table as a player sees it, drawn by the table's own code on the headless screen: each view
// after its switch, and a dealt round whose cards flew along the deal table's lists. The tests
// check what a player would look for; with VORRIN_KAVO_SHOTS=<folder> they also leave the
// pictures there (docs/kavo/ keeps them for people).
#include <cstdlib>

#include "common/widgets/chipstack.h"
#include "kavoviewtable.h"
#include "support/png.h"

namespace {

class Pictures : public CKavoViews {
 protected:
  // The screen as the player sees it after a frame of the loop.
  TRgbImage Shot() {
    // Nobody is thinking: the bubbles stay hidden, as the table shows them between turns.
    for (int32_t seat = 0; seat < 5; ++seat)
      if (CControlBase* bubble = m_Table->MainDialog().GetCtrl(145 + seat)) bubble->SetState(5);
    CGuiTest::Frame();
    CGuiTest::Frame();
    TRgbImage image{800, 600, {}};
    image.rgb.reserve(800 * 600 * 3);
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x) {
        const uint32_t p = ScreenPixel(x, y);
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
      }
    return image;
  }
  static void Keep(const TRgbImage& image, const std::string& name) {
    if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS")) ASSERT_TRUE(WritePng(std::string(folder) + "/" + name, image));
  }
  static uint32_t At(const TRgbImage& i, int32_t x, int32_t y) {
    const uint8_t* p = &i.rgb[static_cast<size_t>((y * 800 + x) * 3)];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
  // Pixels of a rectangle of the shot that are not the table picture.
  int32_t OffPicture(const TRgbImage& shot, const CRect& r) {
    const CBitmap* picture = m_Table->GetTablePicture();
    int32_t off = 0;
    for (int32_t y = std::max(r.top, 0); y <= std::min(r.bottom, 599); ++y)
      for (int32_t x = std::max(r.left, 0); x <= std::min(r.right, 799); ++x) off += At(shot, x, y) != Pixel(*picture, x, y);
    return off;
  }

  // The card flies along its pocket's list until it lands, one frame a step, as the card step does.
  void Fly(int32_t pocket, int32_t list) {
    CCardTable& scene = m_Table->GetCardTable();
    CPocket* p = scene.GetPocket(pocket);
    CObject* card = nullptr;
    p->GetCard(card, p->GetNumCards() - 1);
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(scene.StartAnim(p->GetMove(list), card), 1);
    for (int32_t frame = 0; frame < 200 && scene.IsAnyPolyAnim(); ++frame) {
      scene.Handler();
      CGuiTest::Frame();
    }
    ASSERT_EQ(scene.IsAnyPolyAnim(), 0);
    scene.RemoveAllPolygons();
  }
  // The bets on the spots the view projected: one stack a hand, the split seat's on its two
  // rows (as the chip stacks are rebuilt for a view).
  void StampBets() {
    CChipStack chips;
    ASSERT_EQ(chips.Init(), 1);
    int32_t w = 0, h = 0;
    chips.SetChipBitmap(m_Table->GetMainScript().GetBm("smallChipBm1", &w, &h));
    chips.SetDimension(m_Table->GetLayout().ChipXSize, m_Table->GetLayout().ChipYSize);
    const struct {
      int32_t Seat, Spot;
      double Amount;
    } bets[] = {{0, 4, 25}, {4, 4, 130}, {2, 1, 50}, {2, 7, 50}};
    for (const auto& bet : bets) {
      int32_t x = 0, y = 0;
      ASSERT_TRUE(m_Table->GetChipSpot(bet.Seat, bet.Spot, x, y));
      EXPECT_EQ(chips.Stamp(bet.Amount, x, y), 1);
    }
    chips.Exit();
  }
  void Deal(int32_t seat, int32_t code) {
    CBlackJackPlayerData* record = m_Table->GetPlayerRecord(seat);
    ASSERT_EQ(record->AddCard(code), 1);
    Fly(record->GetCurrentPocket(), record->GetNumCards() - 1);
  }
};

TEST_F(Pictures, EachViewShowsItsTableWithTheSeatControlsPlaced) {
  for (int32_t v = 0; v < 5; ++v) {
    ASSERT_EQ(m_Table->SetCameraView(v), 1);
    const TRgbImage shot = Shot();
    // The sit-down buttons stand over the picture where the view puts them.
    for (int32_t seat = 0; seat < 5; ++seat) {
      int32_t x = 0, y = 0, w = 0, h = 0;
      CControlBase* sit = m_Table->MainDialog().GetCtrl(122 + seat);
      sit->GetPos(x, y);
      sit->GetSize(w, h);
      CRect box(x, y, x + w - 1, y + h - 1);
      EXPECT_GT(OffPicture(shot, box), w * h / 4) << "view " << v << " seat " << seat;
    }
    Keep(shot, "client_view" + std::to_string(v) + ".png");
  }
}

TEST_F(Pictures, ADealtRoundLaysEachCardWhereItsPocketHoldsItAndTheUpCardShowsOverTheHoleCard) {
  ASSERT_EQ(m_Table->SetCameraView(2), 1);
  const int32_t most = m_Table->GetMaxCardsInPocket();
  // First cards round the table and the dealer's up card, then the second cards and the hole card.
  Deal(0, 9);    // ten of clubs
  Deal(2, 7);    // eight of clubs
  Deal(4, 25);   // king of diamonds
  Deal(5, 22);   // the dealer: ten of diamonds
  Deal(0, 45);   // seven of spades
  Deal(2, 33);   // eight of hearts
  Deal(4, 39);   // ace of spades
  CPocket* dealer = m_Table->GetCardTable().GetPocket(5);
  ASSERT_EQ(dealer->AddCard(0), 1);
  Fly(5, most);  // face down under the up card
  CRect tucked;
  ASSERT_EQ(dealer->GetTotalClip(&tucked), 1);
  m_Table->RedrawAllHands(&tucked);
  // Seat 2 splits its eights and draws to each hand.
  CBlackJackPlayerData* split = m_Table->GetPlayerRecord(2);
  // The seat's pair leaves its place as the split moves begin.
  CRect pair;
  ASSERT_EQ(m_Table->GetCardTable().GetPocket(2)->GetTotalClip(&pair), 1);
  ASSERT_EQ(split->DoSplit(), 0);
  pair.Inflate(2, 2);
  S()->DrawBitmapPersistent(m_Table->GetTablePicture(), pair.left, pair.top, pair.left, pair.top, pair.Width() + 1,
                            pair.Height() + 1, 0, 0);
  m_Table->RedrawAllHands(&pair);
  Fly(split->GetPocketHand1(), 0);
  Fly(split->GetPocketHand2(), 0);
  split->SetCurrentHand(1);
  Deal(2, 16);   // four of diamonds
  split->SetCurrentHand(2);
  Deal(2, 48);   // ten of spades
  StampBets();
  // The three players in their seats, as the seat display names them.
  const struct {
    int32_t Seat;
    const char *Name, *Cash;
  } players[] = {{0, "Marta", "$1,215.00"}, {2, "You", "$2,400.00"}, {4, "Jonas", "$95.00"}};
  for (const auto& player : players) {
    m_Table->MainDialog().GetCtrl(122 + player.Seat)->SetState(5);
    m_Table->MainDialog().SetText(127 + player.Seat, player.Name);
    m_Table->MainDialog().SetText(175 + player.Seat, player.Cash);
  }
  const TRgbImage shot = Shot();
  Keep(shot, "client_dealt_round.png");

  // Each hand shows where its pocket lays it.
  CCardTable& scene = m_Table->GetCardTable();
  for (int32_t p : {0, 4, 5, split->GetPocketHand1(), split->GetPocketHand2()}) {
    CRect r;
    ASSERT_EQ(scene.GetPocket(p)->GetTotalClip(&r), 1) << p;
    EXPECT_GT(OffPicture(shot, r), (r.Width() * r.Height()) / 3) << "pocket " << p;
  }
  EXPECT_EQ(scene.GetPocket(2)->GetNumCards(), 0) << "the split seat's cards lie in its two hands";
  // The dealer's up card is seen: its face is not all hidden under the back.
  CRect up, hole;
  ASSERT_EQ(dealer->GetClip(0, &up), 1);
  ASSERT_EQ(dealer->GetClip(1, &hole), 1);
  EXPECT_FALSE(up.IsEqual(&hole)) << "the hole card does not cover the up card";

  // Seen from the last seat: the switch draws every hand again from there.
  ASSERT_EQ(m_Table->SetCameraView(4), 1);
  StampBets();
  const TRgbImage side = Shot();
  Keep(side, "client_dealt_round_view4.png");
  for (int32_t p : {0, 4, 5, split->GetPocketHand1(), split->GetPocketHand2()}) {
    CRect r;
    ASSERT_EQ(scene.GetPocket(p)->GetTotalClip(&r), 1) << p;
    EXPECT_GT(OffPicture(side, r), (r.Width() * r.Height()) / 3) << "pocket " << p << " from view 4";
  }
}

}  // namespace
