// The table as a player sees it, drawn by the table's own code on the headless screen after its
// set-up: each view the table can open in, and a dealt round whose cards flew along the deal
// table's lists. The tests check what a player would look for; with VORRIN_KAVO_SHOTS=<folder>
// they also leave the pictures there (docs/kavo/ keeps them for people).
#include <malloc.h>

#include <cstdlib>

#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "fennic/fennic.h"
#include "kavotablefixture.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/graphics/bitmap.h"
#include "support/png.h"

namespace {

class Pictures : public CKavoTableFixture {
 protected:
  // The table of the seat's view, set up and shown as the framework shows it.
  void Open(int32_t view) {
    ASSERT_EQ(StartTable(nullptr, KAVO_TEST_TABLE_ID, view), 1);
    ASSERT_EQ(Table().SetRoundActive(1), 1);
    Frames(Table().GetLayout().PanelAnimFrames + 2);
  }
  static void Keep(const TRgbImage& image, const std::string& name) {
    if (const char* folder = std::getenv("VORRIN_KAVO_SHOTS")) ASSERT_TRUE(WritePng(std::string(folder) + "/" + name, image));
  }
  static uint32_t At(const TRgbImage& i, int32_t x, int32_t y) {
    const uint8_t* p = &i.rgb[static_cast<size_t>((y * 800 + x) * 3)];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
  static uint32_t Pixel(const CBitmap& b, int32_t x, int32_t y) {
    const uint8_t* p = b.m_pData + static_cast<int64_t>(y) * b.m_Pitch + 3 * x;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
  }
  // Pixels of a rectangle of the shot that are not the table picture.
  int32_t OffPicture(const TRgbImage& shot, const CRect& r) {
    const CBitmap* picture = Table().GetTablePicture();
    int32_t off = 0;
    for (int32_t y = std::max(r.top, 0); y <= std::min(r.bottom, 599); ++y)
      for (int32_t x = std::max(r.left, 0); x <= std::min(r.right, 799); ++x) off += At(shot, x, y) != Pixel(*picture, x, y);
    return off;
  }

  // The card flies along its pocket's list until it lands, one frame a step, as the card step does.
  void Fly(int32_t pocket, int32_t list) {
    CCardTable& scene = Table().GetCardTable();
    CPocket* p = scene.GetPocket(pocket);
    CObject* card = nullptr;
    p->GetCard(card, p->GetNumCards() - 1);
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(scene.StartAnim(p->GetMove(list), card), 1);
    for (int32_t frame = 0; frame < 200 && scene.IsAnyPolyAnim(); ++frame) {
      scene.Handler();
      Frame();
    }
    ASSERT_EQ(scene.IsAnyPolyAnim(), 0);
    scene.RemoveAllPolygons();
  }
  void Deal(int32_t seat, int32_t code) {
    CBlackJackPlayerData* record = Table().GetPlayerRecord(seat);
    ASSERT_EQ(record->AddCard(code), 1);
    Fly(record->GetCurrentPocket(), record->GetNumCards() - 1);
  }
  // The bets on the spots the view projected, stamped by the table's chip stack: one stack a
  // hand, the split seat's on its two rows.
  void StampBets() {
    CChipStack* chips = Table().GetChipStack();
    ASSERT_NE(chips, nullptr);
    const struct {
      int32_t Seat, Spot;
      double Amount;
    } bets[] = {{0, 4, 25}, {4, 4, 130}, {2, 1, 50}, {2, 7, 50}};
    for (const auto& bet : bets) {
      int32_t x = 0, y = 0;
      ASSERT_TRUE(Table().GetChipSpot(bet.Seat, bet.Spot, x, y));
      EXPECT_EQ(chips->Stamp(bet.Amount, x, y), 1);
    }
  }
  // The three players in their seats, as the seat display names them.
  void SeatPlayers() {
    const struct {
      int32_t Seat;
      const char *Name, *Cash;
    } players[] = {{0, "Marta", "$1,215.00"}, {2, "You", "$2,400.00"}, {4, "Jonas", "$95.00"}};
    CDialog& dialog = Table().GetMainDialog();
    for (const auto& player : players) {
      dialog.GetCtrl(122 + player.Seat)->SetState(5);
      dialog.SetText(127 + player.Seat, player.Name);
      dialog.SetText(175 + player.Seat, player.Cash);
    }
  }
  void ExpectHandsShown(const TRgbImage& shot, const std::vector<int32_t>& pockets, const std::string& what) {
    for (int32_t p : pockets) {
      CRect r;
      ASSERT_EQ(Table().GetCardTable().GetPocket(p)->GetTotalClip(&r), 1) << p;
      EXPECT_GT(OffPicture(shot, r), (r.Width() * r.Height()) / 3) << "pocket " << p << " " << what;
    }
  }
};

TEST_F(Pictures, EachViewAfterSetUpShowsItsTableWithTheSeatControlsPlaced) {
  for (int32_t v = 0; v < 5; ++v) {
    SCOPED_TRACE("view " + std::to_string(v));
    Open(v);
    ASSERT_EQ(Table().GetViewIndex(), v);
    // Offered as the joined table offers its empty seats (a disabled one draws nothing).
    for (int32_t seat = 0; seat < 5; ++seat) Table().GetMainDialog().GetCtrl(122 + seat)->SetState(XGUI_RELEASED);
    const TRgbImage shot = ShotBetweenTurns();
    // The sit-down buttons stand over the picture where the view puts them.
    for (int32_t seat = 0; seat < 5; ++seat) {
      int32_t x = 0, y = 0, w = 0, h = 0;
      CControlBase* sit = Table().GetMainDialog().GetCtrl(122 + seat);
      sit->GetPos(x, y);
      sit->GetSize(w, h);
      CRect box(x, y, x + w - 1, y + h - 1);
      EXPECT_GT(OffPicture(shot, box), w * h / 4) << "seat " << seat;
    }
    Keep(shot, "client_view" + std::to_string(v) + ".png");
    ASSERT_EQ(EndTable(), 1);
  }
}

TEST_F(Pictures, ADealtRoundLaysEachCardWhereItsPocketHoldsItAndTheUpCardShowsOverTheHoleCard) {
  Open(2);
  CBlackJackClientTable& table = Table();
  const int32_t most = table.GetMaxCardsInPocket();
  // First cards round the table and the dealer's up card, then the second cards and the hole card.
  Deal(0, 9);    // ten of clubs
  Deal(2, 7);    // eight of clubs
  Deal(4, 25);   // king of diamonds
  Deal(5, 22);   // the dealer: ten of diamonds
  Deal(0, 45);   // seven of spades
  Deal(2, 33);   // eight of hearts
  Deal(4, 39);   // ace of spades
  CPocket* dealer = table.GetCardTable().GetPocket(5);
  ASSERT_EQ(dealer->AddCard(0), 1);
  Fly(5, most);  // face down under the up card
  CRect tucked;
  ASSERT_EQ(dealer->GetTotalClip(&tucked), 1);
  table.RedrawAllHands(&tucked);
  // Seat 2 splits its eights and draws to each hand; its pair leaves its place first.
  CBlackJackPlayerData* split = table.GetPlayerRecord(2);
  CRect pair;
  ASSERT_EQ(table.GetCardTable().GetPocket(2)->GetTotalClip(&pair), 1);
  ASSERT_EQ(split->DoSplit(), 0);
  pair.Inflate(2, 2);
  Screen()->DrawBitmapPersistent(table.GetTablePicture(), pair.left, pair.top, pair.left, pair.top, pair.Width() + 1,
                                 pair.Height() + 1, 0, 0);
  table.RedrawAllHands(&pair);
  Fly(split->GetPocketHand1(), 0);
  Fly(split->GetPocketHand2(), 0);
  split->SetCurrentHand(1);
  Deal(2, 16);   // four of diamonds
  split->SetCurrentHand(2);
  Deal(2, 48);   // ten of spades
  StampBets();
  SeatPlayers();
  const TRgbImage shot = ShotBetweenTurns();
  Keep(shot, "client_dealt_round.png");

  const std::vector<int32_t> hands = {0, 4, 5, split->GetPocketHand1(), split->GetPocketHand2()};
  ExpectHandsShown(shot, hands, "from view 2");
  EXPECT_EQ(table.GetCardTable().GetPocket(2)->GetNumCards(), 0) << "the split seat's cards lie in its two hands";
  // The dealer's up card is seen: the hole card lies beside it, under it.
  CRect up, hole;
  ASSERT_EQ(dealer->GetClip(0, &up), 1);
  ASSERT_EQ(dealer->GetClip(1, &hole), 1);
  EXPECT_GT(hole.left, up.left + up.Width() / 3);
  const CBitmap* back = table.GetCardTable().GetBack();
  ASSERT_NE(back, nullptr);
  const int32_t upMiddleX = (up.left + up.right) / 2, upMiddleY = (up.top + up.bottom) / 2;
  EXPECT_NE(At(shot, upMiddleX + up.Width() / 4, upMiddleY), At(shot, hole.right - 4, upMiddleY))
      << "the up card's right half is its own face, not the hole card's back";

  // Seen from the last seat: the switch draws every hand again from there.
  ASSERT_EQ(table.SetCameraView(4), 1);
  StampBets();
  const TRgbImage side = ShotBetweenTurns();
  Keep(side, "client_dealt_round_view4.png");
  ExpectHandsShown(side, hands, "from view 4");
}

}  // namespace

namespace {

class SetUpViews : public CKavoTableFixture {};

TEST_F(SetUpViews, TheSetUpTableOpensInTheStartSeatsViewAndSwitchesAHundredTimesLeavingNothing) {
  for (int32_t seat : {-1, 0, 3}) {
    ASSERT_EQ(StartTable(nullptr, KAVO_TEST_TABLE_ID, seat), 1);
    const int32_t view = seat < 0 ? 2 : seat;
    EXPECT_EQ(Table().GetViewIndex(), view);
    double x = 0, y = 0, z = 0;
    Table().GetCardTable().GetActiveCamera()->GetPosition(&x, &y, &z);
    EXPECT_EQ(x, Table().GetLayout().Camera[view][0]);
    EXPECT_EQ(z, Table().GetLayout().Camera[view][2]);
    ASSERT_EQ(EndTable(), 1);
  }
  ASSERT_EQ(StartTable(), 1);
  for (int32_t v : {0, 4, 2}) ASSERT_EQ(Table().SetCameraView(v), 1);
  const size_t before = mallinfo2().uordblks;
  for (int32_t i = 0; i < 100; ++i)
    for (int32_t v : {0, 4, 2}) ASSERT_EQ(Table().SetCameraView(v), 1);
  const size_t after = mallinfo2().uordblks;
  EXPECT_LT(after > before ? after - before : 0, 4096u) << "bytes kept after 300 switches";
  ASSERT_EQ(EndTable(), 1);
  EXPECT_EQ(Leftovers(), Before());
}

}  // namespace
