// Golden pictures of the card table at known poses, crops of the 800 x 600 screen drawn with the
// generated test textures (tests/tools/make_fennic_textures.py).
#include <gtest/gtest.h>

#include "tablescreen.h"

namespace {

class Golden : public CTableScreen {
 protected:
  // 240 x 180 about the point's place on the screen.
  CRect CropAbout(double x, double y, double z) {
    int32_t sx = 0, sy = 0;
    EXPECT_EQ(m_Table.ProjectPoint2Screen(x, y, z, sx, sy), 1);
    return CRect(sx / 2 - 120, sy / 2 - 90, sx / 2 + 119, sy / 2 + 89);
  }
  // One card of code at rest at the pose, drawn as the table draws its hands.
  int32_t CardAtRest(int32_t code, const TPose& pose) {
    CPocket* pocket = PocketAt(0, {pose});
    EXPECT_EQ(pocket->AddCard(code), 1);
    const int32_t drawn = m_Table.DrawPocket(0, nullptr);
    Frame();
    return drawn;
  }
};

TEST_F(Golden, FaceUpCardSeenFromASeat) {
  ASSERT_EQ(CardAtRest(27, {{0, 0, 0, -90, 0, 0}}), 1);
  ExpectGolden("faceup", CropAbout(0, 0, 0));
}

TEST_F(Golden, FaceUpCardTurnedThirtyDegrees) {
  ASSERT_EQ(CardAtRest(27, {{0, 0, 0, -90, 0, 30}}), 1);
  ExpectGolden("turned30", CropAbout(0, 0, 0));
}

TEST_F(Golden, FaceDownCard) {
  ASSERT_EQ(CardAtRest(27, {{0, 0, 0, 90, 0, 0}}), 1);
  ExpectGolden("facedown", CropAbout(0, 0, 0));
}

TEST_F(Golden, HalfWayThroughTheTurnOverNothingIsDrawn) {
  // Standing on its long edge in the plane through the camera: seen edge-on.
  const std::vector<uint8_t> before = PersistentBytes();
  EXPECT_EQ(CardAtRest(27, {{0, 0, 0, 90, -90, 0}}), 0);
  EXPECT_TRUE(Changed(before, PersistentBytes()).empty());
  CRect clip(1, 2, 3, 4);
  EXPECT_EQ(m_Table.GetPocket(0)->GetClip(0, &clip), 0);
  EXPECT_TRUE(clip.IsNull()) << "an empty rectangle";
  ExpectGolden("halfturn", CropAbout(0, 0, 0));
}

TEST_F(Golden, CardInFlightWithItsShadow) {
  CPocket* pocket = m_Table.GetPocket(2);
  pocket->AddMove(List({-0.35, 0.25, -0.3, -40, 0, 60}, {0.05, 0, 0.02, -90, 0, 15}, 10, 0.2));
  pocket->AddCard(51);
  CObject* card = nullptr;
  pocket->GetCard(card, 0);
  ASSERT_EQ(m_Table.StartAnim(pocket->GetMove(0), card), 1);
  for (int32_t f = 0; f < 6; ++f) {
    Frame();
    m_Table.Handler();
  }
  double x, y, z;
  card->GetPosition(&x, &y, &z);
  EXPECT_GT(y, 0.02) << "lifted";
  // The card and its shadow on the table, between them.
  TVec3 below;
  ASSERT_EQ(m_Table.GetLight()->CastOnPlane({x, y, z}, &below), 1);
  const CRect a = CropAbout(x, y, z), b = CropAbout(below.x, below.y, below.z);
  ExpectGolden("inflight", CRect((a.left + b.left) / 2, (a.top + b.top) / 2, (a.left + b.left) / 2 + 239,
                                 (a.top + b.top) / 2 + 179));
}

TEST_F(Golden, ThreeOverlappingCardsOfAPocket) {
  std::vector<TPose> rests;
  for (int32_t i = 0; i < 3; ++i) rests.push_back({{-0.02 + 0.018 * i, 0, 0.01 * i, -90, 0, -10}});
  CPocket* pocket = PocketAt(4, rests);
  for (int32_t code : {0, 22, 51}) ASSERT_EQ(pocket->AddCard(code), 1);
  CRect area;
  ASSERT_EQ(m_Table.DrawPocket(4, &area), 1);
  Frame();
  ExpectGolden("threecards", CropAbout(0.0, 0, 0.01));
}

TEST_F(Golden, ArrowTriangleWithItsShadow) {
  CBitmap texture;
  ASSERT_EQ(texture.Load(Data("arrow.bmp").c_str(), 0), 1);
  ASSERT_EQ(S().MakeScreenFormat(&texture, 0), 1);
  // The arrow's triangle as the seat arrows make it, 3 cm wide, pointing down at a bet spot.
  const double w = 0.015, h = 0.03;
  CPolygon arrow;
  ASSERT_EQ(arrow.Set3D(0, -h, 0, 0, -h, 0, w, h, 0, -w, h, 0), 1);
  ASSERT_EQ(arrow.SetTexture(&texture, 0, 0, 1, 1), 1);
  arrow.ResetCoords();
  arrow.SetPosition(0.02, 0.07, 0.05);
  arrow.SetRotate(-40, 25, 0);
  arrow.RotatePolygon();
  ASSERT_EQ(arrow.Project(m_Table.GetActiveCamera()), 1);
  shadow s;
  ASSERT_EQ(s.Calc(&arrow, m_Table.GetLight(), m_Table.GetActiveCamera()), 1);
  ASSERT_EQ(s.DrawScreen(), 1);
  ASSERT_EQ(arrow.DrawScreen(), 1);
  ExpectGolden("arrow", CropAbout(0.02, 0.04, 0.05));
}

}  // namespace
