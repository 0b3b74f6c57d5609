// The polygon deck: a shoe drawn into the persistent layer of a headless screen, its top coming
// down in the steps the card count gives, the top card's place following it, and what lay under
// it put back byte for byte.
#include "common/widgets/polydeck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "polyfixture.h"

namespace {

const TRGBA kKey(255, 0, 255);
const TRGBA kEdgeLight(236, 234, 226), kEdgeDark(204, 200, 190);
const TRGBA kBack(30, 60, 160), kBackBorder(245, 245, 245);
constexpr int32_t kSideLines = 40;
// The shoe: 10 cm wide, 16 cm long, 12 cm high.
constexpr double kBoxW = 0.05, kBoxL = 0.08, kBoxD = -0.12;
// Where it stands: its bottom on the table, a little to the right and back, turned by 20 degrees.
constexpr double kAt[3] = {0.05, -kBoxD, -0.1};
constexpr double kTurnY = 20;

using TQuads = CPolyDeck::TQuad[CPolyDeck::NUM_QUADS];

// The box from x0 to x1 and z0 to z1: back, left, right and front sides with their top corners
// first, at y = 0, then the top face at the depth.
void MakeBox(TQuads& q, double x0, double x1, double z0, double z1, double depth) {
  const double box[CPolyDeck::NUM_QUADS][4][3] = {
      {{x0, 0, z0}, {x1, 0, z0}, {x1, depth, z0}, {x0, depth, z0}},
      {{x0, 0, z0}, {x0, 0, z1}, {x0, depth, z1}, {x0, depth, z0}},
      {{x1, 0, z1}, {x1, 0, z0}, {x1, depth, z0}, {x1, depth, z1}},
      {{x0, 0, z1}, {x1, 0, z1}, {x1, depth, z1}, {x0, depth, z1}},
      {{x0, depth, z0}, {x1, depth, z0}, {x1, depth, z1}, {x0, depth, z1}},
  };
  std::memcpy(q, box, sizeof box);
}

class PolyDeckTest : public CPolyWidgetTest {
 protected:
  void SetUp() override {
    CPolyWidgetTest::SetUp();
    ASSERT_EQ(Screen().SetPersistentMode(1), 1);
    // Felt with a weave, so that a pixel put back in the wrong place shows.
    CBitmap felt;
    ASSERT_EQ(felt.CreateRGB(kW, kH, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const TRGBA c(20, static_cast<uint8_t>(100 + (x * 7 + y * 3) % 40), static_cast<uint8_t>(40 + (x ^ y) % 16));
        felt.PutPixel(x, y, &c);
      }
    ASSERT_EQ(Screen().MakeScreenFormat(&felt, 0), 1);
    ASSERT_EQ(Screen().DrawBitmapPersistent(&felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    Frame();
    m_Felt = Persistent();

    m_Sides = Texture("shoe.bmp", 24, kSideLines, [](int32_t x, int32_t y) {
      return x == 0 && y == 0 ? kKey : y % 2 ? kEdgeDark : kEdgeLight;
    });
    ASSERT_EQ(m_Top.CreateRGB(32, 48, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    for (int32_t y = 0; y < 48; ++y)
      for (int32_t x = 0; x < 32; ++x) {
        const bool border = x < 3 || y < 3 || x >= 29 || y >= 45;
        const TRGBA& c = x == 0 && y == 0 ? kKey : border ? kBackBorder : kBack;
        m_Top.PutPixel(x, y, &c);
      }
    ASSERT_EQ(Screen().MakeScreenFormat(&m_Top, 0), 1);
    MakeBox(m_Quads, -kBoxW, kBoxW, -kBoxL, kBoxL, kBoxD);
  }

  void InitDeck(CPolyDeck& deck) {
    ASSERT_EQ(deck.Init(m_Sides.c_str(), &m_Top, &m_Camera, m_Quads), 1);
    deck.SetPosition(kAt[0], kAt[1], kAt[2], 0, kTurnY, 0);
  }

  static std::vector<uint8_t> Persistent() {
    const CBitmap* p = Screen().GetPersistentBitmap();
    return std::vector<uint8_t>(p->m_pData, p->m_pData + static_cast<size_t>(p->m_Pitch) * p->m_Height);
  }
  static std::vector<uint8_t> ScreenBytes() {
    const uint8_t* s = Screen().LockScreenBuffer();
    return std::vector<uint8_t>(s, s + static_cast<size_t>(Screen().GetActiveMode()->Pitch) * kH);
  }
  // The persistent pixels that differ from the felt.
  std::vector<std::pair<int32_t, int32_t>> Changed() const {
    const CBitmap* p = Screen().GetPersistentBitmap();
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const size_t i = static_cast<size_t>(y) * p->m_Pitch + 3 * static_cast<size_t>(x);
        if (std::memcmp(p->m_pData + i, m_Felt.data() + i, 3) != 0) out.emplace_back(x, y);
      }
    return out;
  }
  static uint32_t PersistentPixel(int32_t x, int32_t y) {
    const CBitmap* p = Screen().GetPersistentBitmap();
    const uint8_t* b = p->m_pData + static_cast<int64_t>(y) * p->m_Pitch + 3 * x;
    return uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
  }
  // A point of the shoe's own frame in the world.
  static TVec3 World(const TVec3& local) { return TVec3{kAt[0], kAt[1], kAt[2]} + Turn(local, 0, kTurnY, 0); }

  std::vector<uint8_t> m_Felt;
  std::string m_Sides;
  CBitmap m_Top;
  TQuads m_Quads;
};

// ---- the count and the shape --------------------------------------------------------------------

// The top and every side's top corners come down by the share of the cards gone; only heights
// move, and the bottom stays where it is.
TEST_F(PolyDeckTest, CardsLeftBringTheTopDownByTheirShareOfTheDepth) {
  CPolyDeck deck;
  InitDeck(deck);
  for (int32_t cards : {52, 39, 26, 13, 1, 0}) {
    deck.SetNumCardsLeft(cards);
    ASSERT_EQ(deck.GetNumCardsLeft(), cards);
    const double top = (1 - cards / 52.0) * kBoxD;
    for (int32_t k = 0; k < CPolyDeck::NUM_QUADS; ++k)
      for (int32_t i = 0; i < 4; ++i) {
        const TVec3 c = deck.GetPolygon(k)->GetCorner(i);
        const double* given = m_Quads[k][i];
        EXPECT_EQ(c.x, given[0]);
        EXPECT_EQ(c.z, given[2]);
        const bool topCorner = k == CPolyDeck::TOP_QUAD || given[1] == 0;
        EXPECT_DOUBLE_EQ(c.y, topCorner ? top : kBoxD) << cards << " cards, quad " << k << " corner " << i;
      }
  }
}

// Sides that touch the shoe's own x = 0 or z = 0 keep their shape: only their heights move.
TEST_F(PolyDeckTest, OnlyTheHeightsOfTheSidesMove) {
  MakeBox(m_Quads, 0, 2 * kBoxW, 0, 2 * kBoxL, kBoxD);
  CPolyDeck deck;
  InitDeck(deck);
  deck.SetNumCardsLeft(13);
  for (int32_t k = 0; k < CPolyDeck::TOP_QUAD; ++k)
    for (int32_t i = 0; i < 4; ++i) {
      const TVec3 c = deck.GetPolygon(k)->GetCorner(i);
      EXPECT_EQ(c.x, m_Quads[k][i][0]) << "side " << k << " corner " << i;
      EXPECT_EQ(c.z, m_Quads[k][i][2]) << "side " << k << " corner " << i;
      EXPECT_DOUBLE_EQ(c.y, m_Quads[k][i][1] == 0 ? 0.75 * kBoxD : kBoxD);
    }
}

// The sides show the texture's top lines, as many as the cards' share of its height, at least one.
TEST_F(PolyDeckTest, SidesShowTheTextureCutToTheCardsLeft) {
  CPolyDeck deck;
  InitDeck(deck);
  CBitmap whole;
  ASSERT_EQ(whole.Load(m_Sides.c_str(), 0), 1);
  ASSERT_EQ(Screen().MakeScreenFormat(&whole, 0), 1);
  const struct {
    int32_t cards, lines;
  } kCases[] = {{52, 40}, {26, 20}, {13, 10}, {3, 2}, {1, 1}, {0, 1}};
  for (const auto& c : kCases) {
    deck.SetNumCardsLeft(c.cards);
    const CBitmap* cut = deck.GetSideTexture();
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->m_Height, c.lines) << c.cards;
    EXPECT_EQ(cut->m_Width, whole.m_Width);
    for (int32_t y = 0; y < cut->m_Height; ++y)
      ASSERT_EQ(std::memcmp(cut->m_pData + y * cut->m_Pitch, whole.m_pData + y * whole.m_Pitch, 3 * whole.m_Width), 0)
          << c.cards << " cards, line " << y;
    for (int32_t k = 0; k < CPolyDeck::TOP_QUAD; ++k) EXPECT_EQ(deck.GetPolygon(k)->GetTexture(), cut);
    EXPECT_EQ(deck.GetPolygon(CPolyDeck::TOP_QUAD)->GetTexture(), &m_Top);
  }
}

TEST_F(PolyDeckTest, CountsOutsideTheDeckAreIgnored) {
  CPolyDeck deck;
  deck.SetNumCardsLeft(10);
  EXPECT_EQ(deck.GetNumCardsLeft(), 52) << "before Init";
  InitDeck(deck);
  deck.SetNumCardsLeft(20);
  const CBitmap* cut = deck.GetSideTexture();
  double y0;
  deck.GetTopCardPos(nullptr, &y0, nullptr, nullptr, nullptr, nullptr);
  for (int32_t cards : {53, -1, 1000, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    deck.SetNumCardsLeft(cards);
    EXPECT_EQ(deck.GetNumCardsLeft(), 20) << cards;
    EXPECT_EQ(deck.GetSideTexture(), cut) << cards;
    double y;
    deck.GetTopCardPos(nullptr, &y, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(y, y0) << cards;
  }
}

TEST_F(PolyDeckTest, TopCardPosIsThePositionLoweredWithTheTopAndTheTurn) {
  CPolyDeck deck;
  InitDeck(deck);
  deck.SetPosition(0.25, 0.5, -0.75, 5, 10, 15);
  for (int32_t cards : {52, 26, 1, 0}) {
    deck.SetNumCardsLeft(cards);
    double v[6];
    deck.GetTopCardPos(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    const double want[6] = {0.25, 0.5 + (1 - cards / 52.0) * kBoxD, -0.75, 5, 10, 15};
    for (int32_t i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(v[i], want[i]) << cards << " cards, value " << i;
  }
  // Null outputs are skipped, the others still filled.
  double rz = 0;
  deck.GetTopCardPos(nullptr, nullptr, nullptr, nullptr, nullptr, &rz);
  EXPECT_EQ(rz, 15);
}

// ---- drawing ------------------------------------------------------------------------------------

// The drawn top edge is where the camera shows the top face, and it comes down step by step; the
// top card's place lands on the top face, at its middle.
TEST_F(PolyDeckTest, TopEdgeComesDownAsCardsLeaveAndTheTopCardFollows) {
  CPolyDeck deck;
  InitDeck(deck);
  int32_t lastTop = -1;
  for (int32_t cards : {52, 26, 1, 0}) {
    deck.SetNumCardsLeft(cards);
    ASSERT_EQ(deck.DrawDeck(), 1) << cards;
    const auto changed = Changed();
    ASSERT_FALSE(changed.empty()) << cards;
    int32_t top = kH;
    for (const auto& p : changed) top = std::min(top, p.second);

    const double height = (1 - cards / 52.0) * kBoxD;
    double fx[4], fy[4];
    for (int32_t i = 0; i < 4; ++i) {
      const double* corner = m_Quads[CPolyDeck::TOP_QUAD][i];
      ASSERT_TRUE(OnScreen(World({corner[0], height, corner[2]}), &fx[i], &fy[i]));
    }
    // No pixel centre above the top face's highest corner, and the corner's pixels a little below
    // it (a corner is thinner than a pixel for its last pixels).
    const double highest = *std::min_element(fy, fy + 4);
    EXPECT_GE(top + 0.5, highest - 0.5) << cards << " cards";
    EXPECT_LE(top + 0.5, highest + 2.0) << cards << " cards";
    EXPECT_GT(top, lastTop) << cards << " cards: the top comes down";
    lastTop = top;

    // The drawn top face is the one projected: the centre of its pixels is the centre of the
    // projected quad's area.
    double area = 0, cx = 0, cy = 0;
    for (int32_t i = 0; i < 4; ++i) {
      const int32_t j = (i + 1) % 4;
      const double cross = fx[i] * fy[j] - fx[j] * fy[i];
      area += cross / 2;
      cx += (fx[i] + fx[j]) * cross / 6;
      cy += (fy[i] + fy[j]) * cross / 6;
    }
    double sumX = 0, sumY = 0;
    int32_t n = 0;
    for (const auto& [x, y] : changed) {
      const uint32_t c = PersistentPixel(x, y);
      if (c != Rgb(kBack) && c != Rgb(kBackBorder)) continue;
      sumX += x + 0.5;
      sumY += y + 0.5;
      ++n;
    }
    ASSERT_GT(n, 500);
    EXPECT_NEAR(sumX / n, cx / area, 0.5) << cards;
    EXPECT_NEAR(sumY / n, cy / area, 0.5) << cards;

    // The top card lies in the middle of the top face: where its diagonals cross on the screen,
    // on a pixel of the card back.
    double tx, ty, tz;
    deck.GetTopCardPos(&tx, &ty, &tz, nullptr, nullptr, nullptr);
    double px, py;
    ASSERT_TRUE(OnScreen({tx, ty, tz}, &px, &py));
    const double d1x = fx[2] - fx[0], d1y = fy[2] - fy[0], d2x = fx[3] - fx[1], d2y = fy[3] - fy[1];
    const double t = ((fx[1] - fx[0]) * d2y - (fy[1] - fy[0]) * d2x) / (d1x * d2y - d1y * d2x);
    EXPECT_NEAR(px, fx[0] + t * d1x, 1e-6) << cards;
    EXPECT_NEAR(py, fy[0] + t * d1y, 1e-6) << cards;
    EXPECT_EQ(PersistentPixel(static_cast<int32_t>(px), static_cast<int32_t>(py)), Rgb(kBack)) << cards;
  }
  if (HasFailure()) SaveScreen("polydeck_steps");
}

// Drawing again first takes the last box away: a shoe drawn full and then half empty leaves the
// same pixels as one drawn half empty at once, and after a frame the screen shows them.
TEST_F(PolyDeckTest, DrawDeckTakesTheLastBoxAwayFirst) {
  std::vector<uint8_t> once;
  {
    CPolyDeck deck;
    InitDeck(deck);
    deck.SetNumCardsLeft(26);
    ASSERT_EQ(deck.DrawDeck(), 1);
    once = Persistent();
    deck.ClearDeck();
  }
  ASSERT_EQ(Persistent(), m_Felt);
  CPolyDeck deck;
  InitDeck(deck);
  ASSERT_EQ(deck.DrawDeck(), 1);
  ASSERT_EQ(deck.DrawDeck(), 1);
  deck.SetNumCardsLeft(26);
  ASSERT_EQ(deck.DrawDeck(), 1);
  EXPECT_EQ(Persistent(), once);
  Frame();
  EXPECT_EQ(ScreenBytes(), once);
  CRect drawn;
  ASSERT_TRUE(deck.GetDrawnRect(&drawn));
  for (const auto& [x, y] : Changed()) EXPECT_TRUE(drawn.IsPntInRect(x, y)) << x << ", " << y;
}

TEST_F(PolyDeckTest, ClearDeckPutsBackTheFeltExactly) {
  CPolyDeck deck;
  InitDeck(deck);
  for (int32_t cards : {52, 26, 1, 0}) {
    deck.SetNumCardsLeft(cards);
    ASSERT_EQ(deck.DrawDeck(), 1);
  }
  Frame();
  ASSERT_NE(ScreenBytes(), m_Felt);
  deck.ClearDeck();
  EXPECT_EQ(Persistent(), m_Felt);
  EXPECT_FALSE(deck.GetDrawnRect(nullptr));
  Frame();
  EXPECT_EQ(ScreenBytes(), m_Felt) << "the screen shows the felt again after a frame";
  // Twice is once.
  deck.ClearDeck();
  EXPECT_EQ(Persistent(), m_Felt);
}

// What others stamp beside the shoe stays when it is taken away.
TEST_F(PolyDeckTest, ClearDeckKeepsWhatLiesBesideTheShoe) {
  CPolyDeck deck;
  InitDeck(deck);
  ASSERT_EQ(deck.DrawDeck(), 1);
  CRect drawn;
  ASSERT_TRUE(deck.GetDrawnRect(&drawn));
  CBitmap chip;
  ASSERT_EQ(chip.CreateRGB(10, 10, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  const TRGBA red(200, 20, 20);
  chip.Fill(&red);
  ASSERT_EQ(Screen().MakeScreenFormat(&chip, 0), 1);
  ASSERT_EQ(Screen().DrawBitmapPersistent(&chip, 0, 0, drawn.right + 5, drawn.top, -1, -1, 0, 0), 1);
  deck.ClearDeck();
  EXPECT_EQ(PersistentPixel(drawn.right + 9, drawn.top + 4), Rgb(red));
  for (const auto& [x, y] : Changed()) EXPECT_FALSE(drawn.IsPntInRect(x, y)) << x << ", " << y;
}

TEST_F(PolyDeckTest, NothingHappensBeforeInit) {
  CPolyDeck deck;
  EXPECT_EQ(deck.DrawDeck(), 0);
  deck.ClearDeck();
  double v[6] = {1, 1, 1, 1, 1, 1};
  deck.GetTopCardPos(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
  for (double x : v) EXPECT_EQ(x, 0);
  EXPECT_EQ(Persistent(), m_Felt);

  // Nor after Exit, which leaves what is drawn.
  InitDeck(deck);
  ASSERT_EQ(deck.DrawDeck(), 1);
  const std::vector<uint8_t> drawn = Persistent();
  deck.Exit();
  EXPECT_EQ(deck.DrawDeck(), 0);
  deck.ClearDeck();
  EXPECT_EQ(Persistent(), drawn);
}

TEST_F(PolyDeckTest, InitFailsWithoutItsTexturesOrWithBadQuads) {
  WriteWholeFile(m_Dir.File("broken.bmp"), "BM not a picture");
  TQuads bad;
  MakeBox(bad, -kBoxW, kBoxW, -kBoxL, kBoxL, kBoxD);
  bad[2][1][0] = std::numeric_limits<double>::quiet_NaN();
  struct {
    const char* what;
    std::string texture;
    CBitmap* top;
    const CPolyDeck::TQuad* quads;
  } const kCases[] = {
      {"missing texture", m_Dir.File("none.bmp"), &m_Top, m_Quads},
      {"broken texture", m_Dir.File("broken.bmp"), &m_Top, m_Quads},
      {"no top", m_Sides, nullptr, m_Quads},
      {"no quads", m_Sides, &m_Top, nullptr},
      {"a corner not a number", m_Sides, &m_Top, bad},
  };
  for (const auto& c : kCases) {
    CPolyDeck deck;
    EXPECT_EQ(deck.Init(c.texture.c_str(), c.top, &m_Camera, c.quads), 0) << c.what;
    EXPECT_EQ(deck.DrawDeck(), 0) << c.what;
  }
  CPolyDeck deck;
  EXPECT_EQ(deck.Init(nullptr, &m_Top, &m_Camera, m_Quads), 0);
  EXPECT_EQ(Persistent(), m_Felt);
  // A failed Init after a good one leaves no deck behind.
  InitDeck(deck);
  EXPECT_EQ(deck.Init(m_Dir.File("none.bmp").c_str(), &m_Top, &m_Camera, m_Quads), 0);
  EXPECT_EQ(deck.DrawDeck(), 0);
}

// Without the persistent layer there is nothing to draw into, and nothing is kept to put back.
TEST_F(PolyDeckTest, NoPersistentLayerNoDeck) {
  CPolyDeck deck;
  InitDeck(deck);
  ASSERT_EQ(Screen().SetPersistentMode(0), 1);
  EXPECT_EQ(deck.DrawDeck(), 0);
  EXPECT_FALSE(deck.GetDrawnRect(nullptr));
  ASSERT_EQ(Screen().SetPersistentMode(1), 1);
  EXPECT_EQ(Persistent(), m_Felt);
}

}  // namespace
