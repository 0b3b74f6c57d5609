// Drawing the card table: which layer gets what, the reported rectangles, the perspective, the
// texture cells, and what a frame leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "support/tempdir.h"
#include "tablescreen.h"

namespace {

class Drawing : public CTableScreen {
 protected:
  // A random pose of a card somewhere over the table in front of the seat.
  TPose RandomPose(std::mt19937& random) {
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    return {{uniform(-0.4, 0.4), uniform(0, 0.2), uniform(-0.4, 0.3), uniform(-180, 180), uniform(-180, 180),
             uniform(-180, 180)}};
  }
  CObject* Card(int32_t p, int32_t i) {
    CObject* card = nullptr;
    m_Table.GetPocket(p)->GetCard(card, i);
    return card;
  }
  void Switches(int32_t persistent, int32_t screen, int32_t pixels) {
    m_Table.m_DrawPersistent = persistent;
    m_Table.m_DrawScreen = screen;
    m_Table.m_DrawPixels = pixels;
  }
  static bool Inside(const std::vector<std::pair<int32_t, int32_t>>& pixels, const CRect& r) {
    for (const auto& [x, y] : pixels)
      if (!r.IsPntInRect(x, y)) return false;
    return true;
  }
};

TEST_F(Drawing, EveryChangedPixelLiesInsideTheReportedRectangle) {
  std::mt19937 random(5150);
  int32_t drawn = 0;
  for (int32_t trial = 0; trial < 60; ++trial) {
    CPocket* pocket = m_Table.GetPocket(trial % 16);
    pocket->RemoveCards();
    ASSERT_EQ(pocket->AddCard(trial % 52), 1);
    Card(trial % 16, 0)->SetPose(RandomPose(random).v);
    for (int32_t layer = 0; layer < 2; ++layer) {
      Switches(layer == 0, layer == 1, 1);
      const std::vector<uint8_t> screen = ScreenBytes(), persistent = PersistentBytes();
      CRect area, clip;
      const int32_t done = m_Table.DrawCard(trial % 16, 0, &area);
      const auto changed = Changed(layer == 0 ? persistent : screen, layer == 0 ? PersistentBytes() : ScreenBytes());
      EXPECT_TRUE(Changed(layer == 0 ? screen : persistent, layer == 0 ? ScreenBytes() : PersistentBytes()).empty())
          << "the other layer is left alone";
      if (!done) {
        EXPECT_TRUE(changed.empty()) << trial;
        continue;
      }
      ++drawn;
      EXPECT_TRUE(Inside(changed, area)) << trial << " layer " << layer;
      EXPECT_EQ(pocket->GetClip(0, &clip), 1);
      EXPECT_TRUE(clip.IsEqual(&area)) << "the clip is what is drawn";
      Frame();
      ASSERT_EQ(S().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
      Frame();
    }
  }
  EXPECT_GT(drawn, 60);
}

TEST_F(Drawing, MeasuringWritesNothingAndReportsWhatADrawReports) {
  std::mt19937 random(31337);
  int32_t measured = 0;
  for (int32_t trial = 0; trial < 40; ++trial) {
    CObject* card = m_Table.GetCardObj(trial % 4, trial % 13, 0, 0, 1, 1);
    const TPose pose = RandomPose(random);
    card->SetPose(pose.v);
    CPocket* pocket = m_Table.GetPocket(5);
    pocket->RemoveCards();
    pocket->AddCard(trial % 52);
    Card(5, 0)->SetPose(pose.v);
    delete card;

    Switches(0, 1, 0);
    const std::vector<uint8_t> screen = ScreenBytes(), persistent = PersistentBytes();
    CRect measure, real;
    const int32_t would = m_Table.DrawPocket(5, &measure);
    EXPECT_TRUE(Changed(screen, ScreenBytes()).empty());
    EXPECT_TRUE(Changed(persistent, PersistentBytes()).empty());
    Switches(0, 1, 1);
    ASSERT_EQ(m_Table.DrawPocket(5, &real), would) << trial;
    if (would) {
      EXPECT_TRUE(measure.IsEqual(&real)) << trial;
      ++measured;
    }
    Frame();
  }
  EXPECT_GT(measured, 20);
}

TEST_F(Drawing, PlayingAListLeavesThePersistentLayerAsTheLastFrameDoes) {
  std::mt19937 random(8);
  for (int32_t trial = 0; trial < 12; ++trial) {
    const TPose from = RandomPose(random), to = {{std::uniform_real_distribution<double>(-0.3, 0.3)(random), 0,
                                                  std::uniform_real_distribution<double>(-0.3, 0.2)(random),
                                                  trial % 2 ? 90.0 : -90.0, 0, 10.0 * trial}};
    double a[POSE_AXES], b[POSE_AXES];
    std::copy(std::begin(from.v), std::end(from.v), a);
    std::copy(std::begin(to.v), std::end(to.v), b);
    C3DMoveList* list = List(a, b, 3 + trial % 5, 0.1);
    CPocket* pocket = m_Table.GetPocket(1);
    pocket->RemoveCards();
    pocket->AddCard(trial);

    ASSERT_EQ(m_Table.StartAnim(list, Card(1, 0)), 1);
    while (m_Table.IsAnyPolyAnim()) {
      m_Table.Handler();
      Frame();
    }
    m_Table.RemoveAllPolygons();
    const std::vector<uint8_t> played = PersistentBytes();
    EXPECT_FALSE(Changed(played, Bytes(m_Felt.m_pData, m_Felt.m_Pitch)).empty()) << "the card landed";

    ASSERT_EQ(S().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    m_Table.SetPersistent(&m_Felt);
    pocket->RemoveCards();
    pocket->AddCard(trial);
    ASSERT_EQ(m_Table.DrawLastFrame(list, Card(1, 0)), 1);
    const auto differ = Changed(played, PersistentBytes());
    EXPECT_TRUE(differ.empty()) << trial << ": " << differ.size() << " pixels differ";
    Frame();
    ASSERT_EQ(S().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    m_Table.SetPersistent(&m_Felt);
    Frame();
  }
}

TEST_F(Drawing, WithEveryCardAtRestTheScreenEqualsThePersistentLayer) {
  // A deal of three cards at once, then a frame after they landed: no trails anywhere.
  std::mt19937 random(4);
  for (int32_t p = 0; p < 3; ++p) {
    CPocket* pocket = m_Table.GetPocket(p);
    double from[POSE_AXES] = {0.4, 0.3, -0.4, -20, 0, 0}, to[POSE_AXES] = {-0.2 + 0.2 * p, 0, 0.05 * p, -90, 0, 5.0 * p};
    pocket->AddMove(List(from, to, 8 + 2 * p, 0.15));
    pocket->AddCard(10 * p + 3);
    ASSERT_EQ(m_Table.StartAnim(pocket->GetMove(0), Card(p, 0)), 1);
  }
  int32_t frames = 0;
  while (m_Table.IsAnyPolyAnim()) {
    m_Table.Handler();
    // The screen shows the flying cards: it differs from the persistent layer.
    if (m_Table.IsAnyPolyAnim()) {
      EXPECT_NE(FirstPersistentMismatch(), -1);
    }
    Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 12);
  Frame();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
  EXPECT_FALSE(Changed(PersistentBytes(), Bytes(m_Felt.m_pData, m_Felt.m_Pitch)).empty());
}

TEST_F(Drawing, TheLandingFrameShowsTheCardAtRest) {
  CPocket* pocket = m_Table.GetPocket(0);
  double from[POSE_AXES] = {0.3, 0.2, -0.3, -90, 0, 0}, to[POSE_AXES] = {0, 0, 0, -90, 0, 0};
  pocket->AddMove(List(from, to, 4));
  pocket->AddCard(5);
  m_Table.StartAnim(pocket->GetMove(0), Card(0, 0));
  for (int32_t f = 0; f < 4; ++f) {
    Frame();
    m_Table.Handler();
  }
  // Before the frame restores the screen from the persistent layer, the screen already shows it.
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

TEST_F(Drawing, DrawPocketDuringAFlightLeavesTheFlyingCardOut) {
  CPocket* pocket = PocketAt(3, {{{-0.05, 0, 0, -90, 0, 0}}, {{0.05, 0, 0, -90, 0, 0}}});
  pocket->AddCard(1);
  pocket->AddCard(2);
  CRect restOfSecond;
  ASSERT_EQ(pocket->GetClip(1, &restOfSecond), 1);
  double from[POSE_AXES] = {0.2, 0.1, -0.1, -90, 0, 0}, to[POSE_AXES] = {0.05, 0, 0, -90, 0, 0};
  ASSERT_EQ(m_Table.StartAnim(List(from, to, 10), Card(3, 1)), 1);
  m_Table.Handler();
  CRect area;
  ASSERT_EQ(m_Table.DrawPocket(3, &area), 1);
  CRect first;
  ASSERT_EQ(pocket->GetClip(0, &first), 1);
  EXPECT_TRUE(area.IsEqual(&first)) << "only the card at rest";
  // The right edge of the second card's place shows the felt.
  const std::vector<uint8_t> persistent = PersistentBytes(), felt = Bytes(m_Felt.m_pData, m_Felt.m_Pitch);
  const int32_t y = (restOfSecond.top + restOfSecond.bottom) / 2;
  for (int32_t x = first.right + 1; x <= restOfSecond.right; ++x) {
    const TRGBA a = At(persistent, x, y), b = At(felt, x, y);
    ASSERT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b) << x;
  }
  EXPECT_EQ(m_Table.DrawCard(3, 1, &area), 0) << "in flight";
  // The pocket's whole rectangle holds both cards where they stand, the flying one included.
  CRect total, joined, flying;
  ASSERT_EQ(pocket->GetClip(1, &flying), 1);
  EXPECT_FALSE(flying.IsEqual(&restOfSecond));
  ASSERT_EQ(pocket->GetTotalClip(&total), 1);
  joined.Union(&first, &flying);
  EXPECT_TRUE(total.IsEqual(&joined));
  CRect none(1, 1, 2, 2);
  EXPECT_EQ(m_Table.GetPocket(9)->GetTotalClip(&none), 0);
  EXPECT_TRUE(none.IsNull());
}

TEST_F(Drawing, TurningOverTakesTheRestingPictureAway) {
  CPocket* pocket = PocketAt(5, {{{0.02, 0, -0.05, 90, 0, 20}}});
  pocket->AddCard(40);
  ASSERT_EQ(m_Table.DrawPocket(5, nullptr), 1);
  Frame();
  const std::vector<uint8_t> faceDown = PersistentBytes();
  C3DMoveList* turn = List({0.02, 0, -0.05, 90, 0, 20}, {0.02, 0, -0.05, 90, -180, 20}, 10);
  ASSERT_EQ(m_Table.StartAnim(turn, Card(5, 0)), 1);
  EXPECT_TRUE(Changed(PersistentBytes(), Bytes(m_Felt.m_pData, m_Felt.m_Pitch)).empty())
      << "the face-down picture left the persistent layer";
  for (int32_t f = 0; f < 10; ++f) {
    m_Table.Handler();
    Frame();
  }
  const std::vector<uint8_t> faceUp = PersistentBytes();
  EXPECT_FALSE(Changed(faceDown, faceUp).empty());
  // Face up: the back's blue lattice has gone from the card's place.
  CRect r;
  ASSERT_EQ(pocket->GetClip(0, &r), 1);
  auto lattice = [&](const std::vector<uint8_t>& bytes) {
    int32_t n = 0;
    for (int32_t y = r.top; y <= r.bottom; ++y)
      for (int32_t x = r.left; x <= r.right; ++x) {
        const TRGBA c = At(bytes, x, y);
        n += c.r == 30 && c.g == 50 && c.b == 150;
      }
    return n;
  };
  EXPECT_GT(lattice(faceDown), 200);
  EXPECT_EQ(lattice(faceUp), 0);
  Frame();
  EXPECT_EQ(FirstPersistentMismatch(), -1);
}

TEST_F(Drawing, NothingOutsideTheClipNothingBehindTheCamera) {
  PocketAt(0, {{{0, 0, 0, -90, 0, 0}}})->AddCard(7);
  CRect whole;
  ASSERT_EQ(m_Table.GetPocket(0)->GetClip(0, &whole), 1);
  const CRect clip(whole.left + 10, whole.top + 5, whole.right - 12, whole.bottom - 6);
  S().SetClip(clip.left, clip.top, clip.right, clip.bottom);
  const std::vector<uint8_t> before = PersistentBytes();
  CRect area;
  ASSERT_EQ(m_Table.DrawPocket(0, &area), 1);
  EXPECT_TRUE(area.IsEqual(&clip));
  const auto changed = Changed(before, PersistentBytes());
  EXPECT_FALSE(changed.empty());
  EXPECT_TRUE(Inside(changed, clip));
  S().SetClip(0, 0, kW - 1, kH - 1);

  // A card reaching behind the camera (it stands at z 0.62) is left out whole.
  CPocket* near = PocketAt(1, {{{0, 0.42, 0.60, 0, 0, 0}}});
  near->AddCard(8);
  const std::vector<uint8_t> again = PersistentBytes();
  EXPECT_EQ(m_Table.DrawPocket(1, &area), 0);
  EXPECT_EQ(near->GetClip(0, &area), 0);
  EXPECT_TRUE(Changed(again, PersistentBytes()).empty());
}

TEST_F(Drawing, WithoutTexturesNothingIsDrawn) {
  CCardTable bare;
  ASSERT_EQ(bare.Init(2, 4, 13, 13), 1);
  bare.GetActiveCamera()->SetPosition(0, 0.42, 0.62);
  bare.GetActiveCamera()->SetRotate(-34, 0, 0);
  C3DMove m;
  m.Init(nullptr, 1);
  m.SetRotX(-90, 0, -90, 0);
  C3DMoveList list;
  list.AddMove(&m);
  bare.GetPocket(0)->AddMove(&list);
  bare.GetPocket(0)->AddCard(3);
  const std::vector<uint8_t> before = PersistentBytes();
  CRect area;
  EXPECT_EQ(bare.DrawPocket(0, &area), 0);
  EXPECT_EQ(bare.GetPocket(0)->GetClip(0, &area), 0);
  EXPECT_TRUE(Changed(before, PersistentBytes()).empty());
  CPolygon polygon;
  polygon.Set3D(0, 0, 0, 0.1, 0, 0, 0.1, 0.1, 0, 0, 0.1, 0);
  polygon.Project(bare.GetActiveCamera());
  EXPECT_EQ(polygon.DrawScreen(), 0) << "no texture";
  EXPECT_EQ(polygon.DrawPersistent(&area), 0);
}

// Each cell a solid colour of its own: a card shows its cell's colour and never a neighbour's,
// however its part of the cell is given.
TEST_F(Drawing, TexelsStayInsideTheirCell) {
  CTempDir dir;
  auto cellColour = [](int32_t row, int32_t column) {
    return TRGBA(static_cast<uint8_t>(20 + 15 * column), static_cast<uint8_t>(40 + 50 * row), 200);
  };
  ASSERT_TRUE(WriteBmp24(dir.File("cells.bmp"), 13 * 40, 4 * 56, [&](int32_t x, int32_t y) {
    return x == 0 && y == 0 ? TRGBA(255, 0, 255) : cellColour(y / 56, x / 40);
  }));
  ASSERT_EQ(m_Table.SetTextureNames(dir.File("cells.bmp").c_str(), Data("back.bmp").c_str()), 1);
  ASSERT_EQ(m_Table.LoadTextures(), 1);
  const double parts[][4] = {{0, 0, 1, 1}, {-0.5, -0.5, 1.5, 1.5}, {0.9, 0.9, 1, 1}, {0, 0, 0.05, 0.05}};
  for (const auto& part : parts) {
    std::unique_ptr<CObject> card(m_Table.GetCardObj(1, 6, part[0], part[1], part[2], part[3]));
    card->SetRotate(-90, 0, 10);
    C3DMove m;
    m.Init(nullptr, 1);
    C3DMoveList list;
    list.AddMove(&m);
    const std::vector<uint8_t> before = PersistentBytes();
    ASSERT_EQ(m_Table.DrawLastFrame(&list, card.get()), 1);
    const std::vector<uint8_t> after = PersistentBytes();
    const auto changed = Changed(before, after);
    ASSERT_FALSE(changed.empty());
    const TRGBA want = cellColour(1, 6);
    for (const auto& [x, y] : changed) {
      const TRGBA c = At(after, x, y);
      ASSERT_TRUE(c.r == want.r && c.g == want.g && c.b == want.b) << x << "," << y;
    }
    ASSERT_EQ(S().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
  }
}

// Seen at a steep angle the texel under the card's projected centre is the cell's centre; an
// affine mapping would miss it by several texels.
TEST_F(Drawing, PerspectivePutsTheCellCentreUnderTheProjectedCentre) {
  CTempDir dir;
  // Each texel's place in its colour: red 6 x, green 4 y.
  ASSERT_TRUE(WriteBmp24(dir.File("places.bmp"), 13 * 40, 4 * 56, [](int32_t x, int32_t y) {
    return TRGBA(static_cast<uint8_t>(6 * (x % 40)), static_cast<uint8_t>(4 * (y % 56)), 90);
  }));
  ASSERT_EQ(m_Table.SetTextureNames(dir.File("places.bmp").c_str(), Data("back.bmp").c_str()), 1);
  ASSERT_EQ(m_Table.LoadTextures(), 1);
  // Low over the table: the card's far half shrinks to a third of its near half.
  m_Table.GetActiveCamera()->SetPosition(0, 0.05, 0.12);
  m_Table.GetActiveCamera()->SetRotate(-20, 0, 0);
  ASSERT_EQ(m_Table.SetCameraFOV(90, 75), 1);
  PocketAt(0, {{{0, 0, 0, -90, 0, 0}}})->AddCard(0);
  ASSERT_EQ(m_Table.DrawPocket(0, nullptr), 1);
  int32_t sx = 0, sy = 0;
  ASSERT_EQ(m_Table.ProjectPoint2Screen(0, 0, 0, sx, sy), 1);
  const TRGBA c = At(PersistentBytes(), sx / 2, sy / 2);
  EXPECT_NEAR(c.r / 6.0, 20, 1.0);
  EXPECT_NEAR(c.g / 4.0, 28, 1.0);
  // The far edge and the near edge project unevenly about the centre: the view is steep.
  int32_t farY = 0, nearY = 0, x = 0;
  m_Table.ProjectPoint2Screen(0, 0, -0.044, x, farY);
  m_Table.ProjectPoint2Screen(0, 0, 0.044, x, nearY);
  EXPECT_GT((nearY - sy) / static_cast<double>(sy - farY), 1.5);
}

TEST_F(Drawing, PolygonsDrawIntoBothLayersAndReportTheirArea) {
  CBitmap texture;
  ASSERT_EQ(texture.Load(Data("arrow.bmp").c_str(), 0), 1);
  ASSERT_EQ(S().MakeScreenFormat(&texture, 0), 1);
  CPolygon arrow;
  arrow.Set3D(0, -0.03, 0, 0, -0.03, 0, 0.015, 0.03, 0, -0.015, 0.03, 0);
  arrow.SetTexture(&texture, 0, 0, 1, 1);
  arrow.SetPosition(0, 0.05, 0);
  arrow.RotatePolygon();
  ASSERT_EQ(arrow.Project(m_Table.GetActiveCamera()), 1);
  const std::vector<uint8_t> before = PersistentBytes();
  CRect area;
  ASSERT_EQ(arrow.DrawPersistent(&area), 1);
  const auto changed = Changed(before, PersistentBytes());
  ASSERT_FALSE(changed.empty());
  EXPECT_TRUE(Inside(changed, area));
  // The key colour around the arrow head leaves the felt: fewer pixels than the triangle covers.
  int32_t inTriangle = 0;
  const TProjectedQuad& q = arrow.GetProjected();
  for (int32_t y = area.top; y <= area.bottom; ++y)
    for (int32_t x = area.left; x <= area.right; ++x) {
      const double px = 2 * x + 1, py = 2 * y + 1;
      auto side = [&](int32_t a, int32_t b) {
        return (q.X[b] - q.X[a]) * (py - q.Y[a]) - (q.Y[b] - q.Y[a]) * (px - q.X[a]);
      };
      const double s1 = side(1, 2), s2 = side(2, 3), s3 = side(3, 1);
      inTriangle += (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
    }
  EXPECT_LT(static_cast<int32_t>(changed.size()), inTriangle * 9 / 10);
  EXPECT_GT(static_cast<int32_t>(changed.size()), inTriangle / 3);

  // A shadow far from any light has none to draw.
  shadow s;
  CLight under;
  under.SetPosition(0, -1, 0, 0);
  EXPECT_EQ(s.Calc(&arrow, &under, m_Table.GetActiveCamera()), 0);
  EXPECT_EQ(s.DrawScreen(), 0);
}

}  // namespace

namespace {

// The cards on 8- and 16-bit screens: the textures are converted for them, and the key colour
// of 16 bits (made by the conversion) still leaves the corners out.
class OtherDepths : public CScreenTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(OtherDepths, CardsAreDrawnInTheScreensFormat) {
  Start(800, 600, GetParam());
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  CCardTable table;
  ASSERT_EQ(table.Init(1, 4, 13, 13), 1);
  table.SetCardSize(40, 56);
  table.SetCardDimension(0.063, 0.088);
  const std::string data = std::string(VORRIN_TEST_DATA_DIR) + "/fennic/";
  table.SetTextureNames((data + "faces.bmp").c_str(), (data + "back.bmp").c_str());
  ASSERT_EQ(table.LoadTextures(), 1);
  table.GetActiveCamera()->SetPosition(0, 0.3, 0.3);
  table.GetActiveCamera()->SetRotate(-45, 0, 0);
  C3DMove m;
  m.Init(nullptr, 1);
  m.SetRotX(-90, 0, -90, 0);
  m.SetRotZ(0, 0, 15, 0);
  C3DMoveList list;
  list.AddMove(&m);
  table.GetPocket(0)->AddMove(&list);
  table.GetPocket(0)->AddCard(14);
  const CBitmap* p = S().GetPersistentBitmap();
  const std::vector<uint8_t> before(p->m_pData, p->m_pData + p->m_Pitch * 600);
  CRect area;
  ASSERT_EQ(table.DrawPocket(0, &area), 1);
  int32_t changed = 0, key = 0;
  const uint32_t magenta = GetParam() == 16 ? (31u << 10 | 31u) : 0xFFFFFFFFu;
  for (int32_t y = 0; y < 600; ++y)
    for (int32_t x = 0; x < 800; ++x) {
      const int64_t i = static_cast<int64_t>(y) * p->m_Pitch + x * p->m_BytesPerPixel;
      uint32_t now = 0, was = 0;
      for (int32_t b = p->m_BytesPerPixel - 1; b >= 0; --b) {
        now = (now << 8) | p->m_pData[i + b];
        was = (was << 8) | before[static_cast<size_t>(i + b)];
      }
      if (now == was) continue;
      ++changed;
      key += now == magenta;
      ASSERT_TRUE(area.IsPntInRect(x, y)) << x << "," << y;
    }
  EXPECT_GT(changed, 1000);
  EXPECT_EQ(key, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, OtherDepths, ::testing::Values(8, 16),
                         [](const ::testing::TestParamInfo<int32_t>& i) { return std::to_string(i.param) + "bit"; });

}  // namespace
