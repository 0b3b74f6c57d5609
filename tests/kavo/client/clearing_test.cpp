// The end of a round: cards at seats 4, 2 (split) and 0 and at the dealer gathered one card a step
// in the table's order, each recorded as (pocket, card, where it went); the felt under them given
// back; the redraws clipped to their rectangles; the clear areas and the dealer's placeholder
// restored to the table picture.
#include <cmath>

#include "kavoviewtable.h"

namespace {

struct SCleared {
  int32_t Pocket, Card;
  double Pose[POSE_AXES];
};

class Clearing : public CKavoViews {
 protected:
  void SetUp() override {
    CKavoViews::SetUp();
    ASSERT_EQ(m_Table->SetCameraView(2), 1);
    CCardTable& scene = m_Table->GetCardTable();
    auto put = [&](int32_t p, std::initializer_list<int32_t> codes) {
      for (int32_t code : codes) ASSERT_EQ(scene.GetPocket(p)->AddCard(code), 1);
    };
    put(4, {10, 20});
    put(2, {7, 20});  // eight of clubs, eight of diamonds: split
    ASSERT_EQ(m_Table->GetPlayerRecord(2)->DoSplit(), 0);
    put(10, {3});
    put(11, {30});
    put(0, {1, 2, 3});
    put(5, {22, 9});
    m_Table->RedrawAllHands(nullptr);
    for (int32_t p : {0, 4, 5, 10, 11}) {
      CRect r;
      ASSERT_EQ(scene.GetPocket(p)->GetTotalClip(&r), 1) << p;
      m_Hands.push_back(r);
    }
  }
  // Where card c of hand position i rests, face up on the felt.
  std::vector<double> Place(int32_t i, int32_t c) {
    const std::vector<double> pos = Keys("DECKPOS"), step = Keys("DECKOFFSET"), rot = Keys("DECKROTZ");
    return {pos[static_cast<size_t>(2 * i)] + c * step[static_cast<size_t>(2 * i)], Key("TABLEY"),
            pos[static_cast<size_t>(2 * i + 1)] + c * step[static_cast<size_t>(2 * i + 1)], -90, 0, rot[static_cast<size_t>(i)]};
  }
  std::vector<double> Discard() {
    return {Key("DISCARDXPOS"), Key("DISCARDYPOS"), Key("DISCARDZPOS"), Key("DISCARDROTX"), Key("DISCARDROTY"), Key("DISCARDROTZ")};
  }
  int32_t Cards(int32_t p) { return m_Table->GetCardTable().GetPocket(p)->GetNumCards(); }
  // One step; the card that left and where its copy now stands. False when the step said done.
  template <class Step>
  bool Take(Step step, SCleared* out) {
    int32_t before[16];
    for (int32_t p = 0; p < 16; ++p) before[p] = Cards(p);
    int32_t done = -1;
    EXPECT_EQ(step(done), 1);
    if (done) return false;
    out->Pocket = -1;
    for (int32_t p = 0; p < 16; ++p)
      if (Cards(p) != before[p]) {
        EXPECT_EQ(out->Pocket, -1) << "one card a step";
        EXPECT_EQ(Cards(p), before[p] - 1);
        out->Pocket = p;
        out->Card = Cards(p);
      }
    const CObject* clone = m_Table->LastClearedCard();
    EXPECT_NE(clone, nullptr);
    if (clone) std::copy(std::begin(clone->GetPose()), std::end(clone->GetPose()), out->Pose);
    return true;
  }
  void ExpectSequence(const std::vector<std::tuple<int32_t, int32_t, std::vector<double>>>& want,
                      const std::vector<SCleared>& got) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i));
      EXPECT_EQ(got[i].Pocket, std::get<0>(want[i]));
      EXPECT_EQ(got[i].Card, std::get<1>(want[i]));
      for (int32_t a = 0; a < POSE_AXES; ++a) EXPECT_NEAR(got[i].Pose[a], std::get<2>(want[i])[static_cast<size_t>(a)], 1e-9) << "axis " << a;
    }
  }

  std::vector<CRect> m_Hands;  // pockets 0, 4, 5, 10, 11 as dealt
};

TEST_F(Clearing, HandsGoLastSeatFirstSecondSplitHandFirstTopCardOntoTheOneBelowAndOnToTheNextSeat) {
  m_Table->SetReconnecting(1);  // each card lands at once
  std::vector<SCleared> got;
  SCleared c{};
  while (got.size() < 20 && Take([&](int32_t& d) { return m_Table->ClearHandsStep(d); }, &c)) got.push_back(c);
  ExpectSequence({{4, 1, Place(4, 0)},
                  {4, 0, Place(13, 1)},  // onto the top card of seat 2's second split hand
                  {11, 1, Place(13, 0)},
                  {11, 0, Place(8, 1)},  // onto its first split hand
                  {10, 1, Place(8, 0)},
                  {10, 0, Place(0, 2)},  // onto seat 0's top card
                  {0, 2, Place(0, 1)},
                  {0, 1, Place(0, 0)},
                  {0, 0, Discard()}},
                 got);
  EXPECT_EQ(m_Table->ClearedCards(), 0) << "the copies are freed once the hands are clear";
  EXPECT_EQ(Cards(5), 2) << "the dealer's cards are his own step's";
  // Every hand's place shows the felt again.
  for (size_t i : {0u, 1u, 3u, 4u}) EXPECT_EQ(PixelsOffPicture(m_Hands[i]), 0) << "hand " << i;

  got.clear();
  while (got.size() < 5 && Take([&](int32_t& d) { return m_Table->ClearDealerCard(d); }, &c)) got.push_back(c);
  ExpectSequence({{5, 1, Place(5, 0)}, {5, 0, Discard()}}, got);
  EXPECT_EQ(PixelsOffPicture(m_Hands[2]), 0) << "the dealer's place";

  // A fresh round clears from the last seat again.
  ASSERT_EQ(m_Table->GetCardTable().GetPocket(3)->AddCard(5), 1);
  ASSERT_TRUE(Take([&](int32_t& d) { return m_Table->ClearHandsStep(d); }, &c));
  EXPECT_EQ(c.Pocket, 3);
  for (int32_t a = 0; a < POSE_AXES; ++a) EXPECT_NEAR(c.Pose[a], Discard()[static_cast<size_t>(a)], 1e-9);
}

TEST_F(Clearing, OutsideAReconnectACardFliesUnderTheCardStepAndLandsWhereItGoes) {
  int32_t done = -1;
  m_Table->SetAnimationNumber(13);
  ASSERT_EQ(m_Table->ClearHandsStep(done), 1);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(m_Table->AnimationNumber(), 1) << "the card step plays the flight";
  CCardTable& scene = m_Table->GetCardTable();
  EXPECT_GT(scene.IsAnyPolyAnim(), 0);
  const int32_t frames = static_cast<int32_t>(Key("CLEARSPEEDSMALL"));
  for (int32_t f = 0; f < frames && scene.IsAnyPolyAnim(); ++f) scene.Handler();
  EXPECT_EQ(scene.IsAnyPolyAnim(), 0) << "within CLEARSPEEDSMALL frames";
  const std::vector<double> want = Place(4, 0);
  for (int32_t a = 0; a < POSE_AXES; ++a) EXPECT_NEAR(m_Table->LastClearedCard()->GetPose()[a], want[static_cast<size_t>(a)], 1e-9);
  scene.RemoveAllPolygons();

  // The dealer's empty hand moves nothing.
  m_Table->GetCardTable().GetPocket(5)->RemoveCards();
  m_Table->SetAnimationNumber(14);
  ASSERT_EQ(m_Table->ClearDealerCard(done), 1);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(m_Table->AnimationNumber(), 14);
  EXPECT_EQ(scene.IsAnyPolyAnim(), 0);
}

TEST_F(Clearing, RedrawsStayInsideTheirRectangleGrownByTwoPixels) {
  const CRect& seat0 = m_Hands[0];
  // The felt back, then the hands redrawn inside a part of seat 0's hand.
  S()->DrawBitmapPersistent(m_Table->GetTablePicture(), 0, 0, 0, 0, 800, 600, 0, 0);
  CRect part(seat0.left + 4, seat0.top + 4, seat0.left + 20, seat0.top + 20);
  m_Table->RedrawAllHands(&part);
  CRect grown = part;
  grown.Inflate(2, 2);
  EXPECT_GT(PixelsOffPicture(grown), 0);
  CRect whole(0, 0, 799, 599);
  EXPECT_EQ(PixelsOffPicture(whole), PixelsOffPicture(grown)) << "nothing drawn outside";

  // All but seat 4: its place stays bare where no other hand lies.
  S()->DrawBitmapPersistent(m_Table->GetTablePicture(), 0, 0, 0, 0, 800, 600, 0, 0);
  m_Table->RedrawOtherHands(4, nullptr);
  EXPECT_EQ(PixelsOffPicture(m_Hands[1]), 0);
  EXPECT_GT(PixelsOffPicture(m_Hands[0]), 0);
  EXPECT_GT(PixelsOffPicture(m_Hands[2]), 0) << "the dealer is drawn too";

  // In a rectangle, the seat's own hand among them.
  S()->DrawBitmapPersistent(m_Table->GetTablePicture(), 0, 0, 0, 0, 800, 600, 0, 0);
  m_Table->RedrawHandsInRect(4, &m_Hands[1]);
  EXPECT_GT(PixelsOffPicture(m_Hands[1]), 0);
  EXPECT_EQ(PixelsOffPicture(m_Hands[0]), 0);
}

TEST_F(Clearing, ClearAreasAndTheDealersPlaceholderShowTheTablePictureAgain) {
  ASSERT_FALSE(m_Table->ClearAreas().empty());
  // Something red over every clear area and a little beyond.
  CBitmap red;
  ASSERT_EQ(red.CreateRGB(800, 600, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  for (int32_t i = 0; i < 800 * 600; ++i) red.m_pData[3 * i + 2] = 255;
  ASSERT_EQ(S()->MakeScreenFormat(&red, 0), 1);
  const uint32_t scribble = Pixel(red, 0, 0);
  for (const CRect& area : m_Table->ClearAreas())
    S()->DrawBitmapPersistent(&red, 0, 0, area.left - 3, area.top - 3, area.Width() + 7, area.Height() + 7, 0, 0);
  m_Table->RestoreClearAreas();
  int32_t besideChecked = 0;
  for (const CRect& area : m_Table->ClearAreas()) {
    EXPECT_EQ(PixelsOffPicture(area), 0);
    const int32_t x = area.left - 2, y = area.top - 2;
    bool inAnother = false;
    for (const CRect& other : m_Table->ClearAreas()) inAnother = inAnother || other.IsPntInRect(x, y);
    if (inAnother || x < 0 || y < 0) continue;
    EXPECT_EQ(PersistentPixel(x, y), scribble) << "beside the area stays";
    ++besideChecked;
  }
  EXPECT_GT(besideChecked, 0);

  // The dealer's next card drawn, then erased as a placeholder.
  CCardTable& scene = m_Table->GetCardTable();
  scene.GetPocket(5)->RemoveCards();
  S()->DrawBitmapPersistent(m_Table->GetTablePicture(), 0, 0, 0, 0, 800, 600, 0, 0);
  CPocket* dealer = scene.GetPocket(5);
  ASSERT_EQ(dealer->AddCard(0), 1);
  CRect card;
  ASSERT_EQ(scene.DrawPocket(5, &card), 1);
  ASSERT_EQ(dealer->RemoveCard(), 1);
  ASSERT_GT(PixelsOffPicture(card), 0);
  m_Table->EraseDealerPlaceholder();
  card.Inflate(2, 2);
  EXPECT_EQ(PixelsOffPicture(card), 0);
  EXPECT_EQ(dealer->GetNumCards(), 0);
  EXPECT_EQ(scene.m_DrawPersistent, 1) << "the drawing switches are given back";
  EXPECT_EQ(scene.m_DrawScreen, 0);
  EXPECT_EQ(scene.m_DrawPixels, 1);
}

}  // namespace
