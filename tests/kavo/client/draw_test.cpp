// The seat records' pictures on the 800 x 600 headless screen: the hands stamped into the table's
// persistent layer where their pockets put the cards, the chips stamped at the seat's chip places
// from a chip strip made in code, and a dealt card flying along its list or, while a round is
// replayed, landing at once.
#include <gtest/gtest.h>

#include <vector>

#include "../../fennic/tablescreen.h"
#include "client/clienttable.h"
#include "client/playerdata.h"
#include "common/widgets/chipstack.h"
#include "common/widgets/chipstrip.h"
#include "ostrel/graphics/bitmap.h"

namespace {
constexpr int32_t kSeat = 2;

constexpr int32_t kDealer = KAVO_NUM_SEATS;
constexpr int32_t kChipW = kStripChipW, kChipH = kStripChipH;
// The places the records stamp at: the unsplit bet spot and the first insurance spot.
constexpr int32_t kBetSpot = 4, kInsuranceSpot = 0;

class CDrawTable : public CBlackJackClientTable {
 public:
  CDrawTable() {
    m_Layout.MaxCardsInPocket = 12;
    m_RealMoney = 1;
    m_Money.assign(KAVO_NUM_SEATS, TMoney("1000"));
  }
  int32_t Exit() override { return 1; }
};

class CKavoDrawing : public CTableScreen {
 protected:
  void SetUp() override {
    CTableScreen::SetUp();
    CCardTable& scene = m_Client.GetCardTable();
    ASSERT_EQ(scene.Init(KAVO_HAND_POSITIONS, 4, 13, 13), 1);
    ASSERT_EQ(scene.SetCardSize(40, 56), 1);
    ASSERT_EQ(scene.SetCardDimension(0.063, 0.088), 1);
    ASSERT_EQ(scene.SetTextureNames(Data("faces.bmp").c_str(), Data("back.bmp").c_str()), 1);
    ASSERT_EQ(scene.LoadTextures(), 1);
    // The seat's view, as the fixture's own table has it.
    double x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
    m_Table.GetActiveCamera()->GetPosition(&x, &y, &z);
    m_Table.GetActiveCamera()->GetRotate(&rx, &ry, &rz);
    ASSERT_EQ(scene.GetActiveCamera()->SetPosition(x, y, z), 1);
    ASSERT_EQ(scene.GetActiveCamera()->SetRotate(rx, ry, rz), 1);
    ASSERT_EQ(scene.SetCameraFOV(50, 38.5), 1);
    ASSERT_EQ(scene.GetLight()->SetPosition(-0.4, 1.4, 0.3, 0.0), 1);
    scene.SetPersistent(&m_Felt);
    ASSERT_EQ(m_Client.CreatePlayerRecords(), 1);

    MakeChipStrip(m_Strip);
    auto* stack = new CChipStack;
    stack->Init();
    stack->SetChipBitmap(&m_Strip);
    stack->SetDimension(kChipW, kChipH);
    m_Client.SetChipStack(stack);
    // The seat's chip places, beside its cards.
    m_Client.SetChipSpot(kSeat, kBetSpot, kBetAt.X, kBetAt.Y);
    m_Client.SetInsuranceSpot(kSeat, kInsuranceSpot, kInsuranceAt.X, kInsuranceAt.Y);
  }
  CBlackJackPlayerData& Record(int32_t seat = kSeat) { return *m_Client.GetPlayerRecord(seat); }

  // A card dealt to the record's current pocket, coming to rest flat at (x, z) after frames.
  void Deal(int32_t code, double x, double z, int32_t frames = 1, int32_t seat = kSeat) {
    const double from[POSE_AXES] = {0.3, 0.2, -0.3, -90, 0, 0}, to[POSE_AXES] = {x, 0, z, -90, 0, 0};
    CPocket* pocket = m_Client.GetCardTable().GetPocket(Record(seat).GetCurrentPocket());
    ASSERT_EQ(Record(seat).AddCard(code), 1);
    pocket->AddMove(frames == 1 ? List(to, to, 1) : List(from, to, frames, 0.1));
  }
  // The pocket's cards put where their lists end, as a dealt hand rests.
  void Rest(int32_t p) {
    CCardTable& scene = m_Client.GetCardTable();
    CPocket* pocket = scene.GetPocket(p);
    for (int32_t i = 0; i < pocket->GetNumCards(); ++i) {
      CObject* card = nullptr;
      pocket->GetCard(card, i);
      ASSERT_NE(card, nullptr);
      scene.PlaceAtEnd(pocket->GetMove(i), card);
    }
  }
  // Bare felt on both layers again, the cards keeping their places.
  void ClearTable() {
    ASSERT_EQ(S().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    m_Client.GetCardTable().SetPersistent(&m_Felt);
    Frame();
  }
  // The screen pixel a point of the table top is drawn at.
  struct SProbe {
    int32_t X, Y;
  };
  SProbe At(double x, double z) {
    int32_t sx = 0, sy = 0;
    EXPECT_EQ(m_Client.GetCardTable().ProjectPoint2Screen(x, 0, z, sx, sy), 1);
    return {sx / 2, sy / 2};
  }
  bool Differs(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, SProbe p) {
    const TRGBA u = CTableScreen::At(a, p.X, p.Y), v = CTableScreen::At(b, p.X, p.Y);
    return u.r != v.r || u.g != v.g || u.b != v.b;
  }
  std::vector<uint8_t> FeltBytes() { return Bytes(m_Felt.m_pData, m_Felt.m_Pitch); }

  // Where a stack of the amount stamped at (x, y) may colour pixels: a chip wide around x, from
  // the stack's top down to y + chip height / 2.
  CRect ChipPlace(SProbe at, const char* amount) {
    int32_t height = 0;
    EXPECT_EQ(m_Client.GetChipStack()->CreateChipBitmap(CChipStack::TMoney(amount), nullptr, height), 1);
    const int32_t bottom = at.Y + kChipH / 2;
    return CRect(at.X - kChipW / 2 - 1, bottom - height - 1, at.X + kChipW / 2 + 1, bottom + 1);
  }
  static bool Inside(const CRect& r, int32_t x, int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
  }
  static bool Overlap(const CRect& a, const CRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
  }

  static constexpr SProbe kBetAt{170, 470}, kInsuranceAt{630, 470};
  CBitmap m_Strip;
  CDrawTable m_Client;
};

TEST_F(CKavoDrawing, HandsAreDrawnWhereTheirPocketsLayTheCards) {
  // Unsplit: the seat's pocket.
  Deal(9, -0.05, 0.10);
  Deal(22, 0.03, 0.10);
  Rest(kSeat);
  ClearTable();
  const std::vector<uint8_t> before = PersistentBytes();
  ASSERT_NE(Record().DrawHand(), 0);
  const std::vector<uint8_t> after = PersistentBytes();
  EXPECT_TRUE(Differs(before, after, At(-0.05, 0.10)));
  EXPECT_TRUE(Differs(before, after, At(0.03, 0.10)));
  EXPECT_FALSE(Differs(before, after, At(-0.25, 0.10))) << "beside the hand";
  // Every changed pixel lies where the card scene draws that pocket.
  CRect area;
  ASSERT_EQ(m_Client.GetCardTable().DrawPocket(kSeat, &area), 1);
  for (auto [x, y] : Changed(before, after))
    ASSERT_TRUE(x >= area.left && x <= area.right && y >= area.top && y <= area.bottom) << x << "," << y;
  Frame();

  // Split: the two split pockets, each with the card it was given; nothing of the seat's pocket.
  Record().Reset();
  Deal(7, -0.05, 0.10);
  Deal(20, 0.03, 0.10);
  const double left[POSE_AXES] = {-0.15, 0, 0.12, -90, 0, 0}, right[POSE_AXES] = {0.15, 0, 0.12, -90, 0, 0};
  m_Client.GetCardTable().GetPocket(Record().GetPocketHand1())->AddMove(List(left, left, 1));
  m_Client.GetCardTable().GetPocket(Record().GetPocketHand2())->AddMove(List(right, right, 1));
  ASSERT_EQ(Record().DoSplit(), 0);
  Rest(Record().GetPocketHand1());
  Rest(Record().GetPocketHand2());
  ClearTable();
  Record().SetWon(1);
  Record().SetWin(1, CBlackJackPlayerData::TMoney("20"));
  const std::vector<uint8_t> felt = PersistentBytes();
  ASSERT_NE(Record().DrawHand(), 0);
  const std::vector<uint8_t> split = PersistentBytes();
  EXPECT_TRUE(Differs(felt, split, At(-0.15, 0.12)));
  EXPECT_TRUE(Differs(felt, split, At(0.15, 0.12)));
  EXPECT_FALSE(Differs(felt, split, At(0.0, 0.10))) << "the seat's pocket is empty";
}

// A hand on the table and what DrawHand may stamp for it: its pockets and, for a seat, the bet
// and insurance chips and the win.
struct SDrawnHand {
  const char* Name;
  int32_t Seat;
  bool Split, Won, Insured;
  bool ChipsAtBet, ChipsAtInsurance;  // what must show at the two chip places
};
const SDrawnHand kDrawnHands[] = {
    {"a plain hand stamps no chips", kSeat, false, false, false, false, false},
    {"an insured hand: the stake at its spot, half at the insurance spot", kSeat, false, false, true, true, true},
    {"a split hand that won: the win at the bet spot", kSeat, true, true, false, true, false},
    {"a split, insured hand that won", kSeat, true, true, true, true, true},
    {"the dealer, marked won and insured, stamps no chips", kDealer, false, true, true, false, false},
};

TEST_F(CKavoDrawing, DrawHandChangesOnlyItsPocketsAndItsChipPlaces) {
  for (const SDrawnHand& c : kDrawnHands) {
    SCOPED_TRACE(c.Name);
    CBlackJackPlayerData& r = Record(c.Seat);
    r.Reset();
    m_Client.GetCardTable().RemoveAllPolygons();
    Deal(7, -0.05, 0.10, 1, c.Seat);
    Deal(20, 0.03, 0.10, 1, c.Seat);
    std::vector<int32_t> pockets;
    if (c.Split) {
      const double left[POSE_AXES] = {-0.15, 0, 0.12, -90, 0, 0}, right[POSE_AXES] = {0.15, 0, 0.12, -90, 0, 0};
      m_Client.GetCardTable().GetPocket(r.GetPocketHand1())->AddMove(List(left, left, 1));
      m_Client.GetCardTable().GetPocket(r.GetPocketHand2())->AddMove(List(right, right, 1));
      ASSERT_EQ(r.DoSplit(), 0);
      ASSERT_EQ(r.IsSplit(), 1);
      pockets = {r.GetPocketHand1(), r.GetPocketHand2()};
    } else {
      pockets = {r.GetCurrentPocket()};
    }
    for (int32_t p : pockets) Rest(p);
    r.SetBet(1, CBlackJackPlayerData::TMoney("40"));
    if (c.Insured && !r.IsDealer()) {
      ASSERT_EQ(r.SetInsured(1), 1);
    }
    r.SetWon(c.Won ? 1 : 0);
    r.SetWin(1, CBlackJackPlayerData::TMoney("80"));
    ClearTable();

    const std::vector<uint8_t> before = PersistentBytes();
    ASSERT_NE(r.DrawHand(), 0);
    const std::vector<uint8_t> after = PersistentBytes();

    // The clips the card scene draws the pockets in (drawing them again changes nothing more).
    std::vector<CRect> clips;
    for (int32_t p : pockets) {
      CRect area;
      ASSERT_EQ(m_Client.GetCardTable().DrawPocket(p, &area), 1);
      clips.push_back(area);
    }
    ASSERT_EQ(Changed(after, PersistentBytes()).size(), 0u);
    // The tallest stack each place can hold here: the win over the bet, half the bet.
    const CRect bet = ChipPlace(kBetAt, "80"), insurance = ChipPlace(kInsuranceAt, "20");
    for (const CRect& clip : clips) {
      ASSERT_FALSE(Overlap(clip, bet));
      ASSERT_FALSE(Overlap(clip, insurance));
    }

    int32_t inClips = 0, atBet = 0, atInsurance = 0;
    for (auto [x, y] : Changed(before, after)) {
      bool allowed = false;
      for (const CRect& clip : clips) allowed = allowed || Inside(clip, x, y);
      inClips += allowed;
      if (Inside(bet, x, y)) ++atBet, allowed = true;
      if (Inside(insurance, x, y)) ++atInsurance, allowed = true;
      ASSERT_TRUE(allowed) << "a pixel outside the pockets' clips and the chip places: " << x << "," << y;
    }
    EXPECT_GT(inClips, 0);
    EXPECT_EQ(atBet > 0, c.ChipsAtBet) << atBet;
    EXPECT_EQ(atInsurance > 0, c.ChipsAtInsurance) << atInsurance;
    if (c.Split) {
      EXPECT_FALSE(Differs(before, after, At(0.0, 0.10))) << "the seat's own pocket is empty";
    }
    r.Reset();
  }
}

TEST_F(CKavoDrawing, ADealtCardFliesAlongItsListOrLandsAtOnceOnReplay) {
  Deal(3, 0.0, 0.10, 6);
  CCardTable& scene = m_Client.GetCardTable();
  ASSERT_EQ(Record().AnimateCard(0), 1);
  int32_t frames = 0;
  while (scene.IsAnyPolyAnim() && frames < 100) {
    scene.Handler();
    Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 6);
  EXPECT_TRUE(Differs(FeltBytes(), PersistentBytes(), At(0.0, 0.10))) << "the card rests on the table";
  scene.RemoveAllPolygons();

  // Replaying a round: the next card is at its place at once, no flight.
  m_Client.SetReconnecting(1);
  Deal(16, 0.12, 0.10, 6);
  const std::vector<uint8_t> before = PersistentBytes();
  ASSERT_EQ(Record().AnimateCard(0), 1);
  EXPECT_EQ(scene.IsAnyPolyAnim(), 0);
  EXPECT_TRUE(Differs(before, PersistentBytes(), At(0.12, 0.10)));

  // Nothing to fly: an empty pocket.
  EXPECT_EQ(m_Client.GetPlayerRecord(4)->AnimateCard(0), 0);
}

}  // namespace
