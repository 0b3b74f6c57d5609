// The seat spot highlight on the runtime's 800 x 600 24-bit headless screen: the lit pictures it
// makes from a light and a table picture, and what Show and Hide leave in the persistent layer.
#include "spothighlight.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "fennic/fennictest.h"
#include "ostrel/screens/screentest.h"
#include "support/tempdir.h"

namespace {
constexpr int32_t kW = 800, kH = 600;

class SpotHighlightTest : public CScreenTest {
 protected:
  void SetUp() override {
    CScreenTest::SetUp();
    Start(kW, kH, 24);
    ASSERT_EQ(S().SetPersistentMode(1), 1);
    // A table picture whose every pixel differs from its neighbours, with a band of 200s.
    m_Table.CreateRGB(kW, kH, 24, 8, 8, 8, 16, 8, 0, 0);
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const TRGBA c = y >= 100 && y < 120 ? TRGBA(200, 200, 200)
                                            : TRGBA(static_cast<uint8_t>(x % 97), static_cast<uint8_t>(y % 89 + 20),
                                                    static_cast<uint8_t>((x + y) % 61 + 40));
        m_Table.PutPixel(x, y, &c);
      }
    ASSERT_EQ(S().DrawBitmapPersistent(&m_Table, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    m_Spot.Init();
  }

  // A light picture whose first colour byte at column x is value(x) (the other two bytes 0).
  void Light(int32_t width, int32_t height, const std::function<uint8_t(int32_t, int32_t)>& value) {
    const std::string file = m_Dir.File("light.bmp");
    ASSERT_TRUE(WriteBmp24(file, width, height, [&](int32_t x, int32_t y) { return TRGBA(0, 0, value(x, y)); }));
    ASSERT_EQ(m_Spot.LoadLight(file.c_str()), 1);
  }
  // Every view's seat s at the same rectangle.
  void Spots(const std::vector<std::array<int32_t, 4>>& seats) {
    int32_t coords[SPOT_COORDS] = {};
    for (int32_t v = 0; v < SPOT_VIEWS; ++v)
      for (size_t s = 0; s < seats.size(); ++s)
        for (int32_t k = 0; k < 4; ++k) coords[(v * SPOT_SEATS + static_cast<int32_t>(s)) * 4 + k] = seats[s][k];
    m_Spot.SetSpotCoords(coords);
  }
  static TRGBA TableAt(const CBitmap& b, int32_t x, int32_t y) {
    TRGBA c;
    b.GetPixel(x, y, &c);
    return c;
  }
  static uint32_t Rgb(const TRGBA& c) { return static_cast<uint32_t>(c.r) << 16 | c.g << 8 | c.b; }
  static uint32_t LitAt(const CSpotHighlight& spot, int32_t seat, int32_t i, int32_t j) {
    return Rgb(TableAt(*spot.GetLit(seat), i, j));
  }
  std::vector<uint32_t> Persistent() const {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) out.push_back(PersistentPixel(x, y));
    return out;
  }

  CTempDir m_Dir;
  CBitmap m_Table;
  CSpotHighlight m_Spot;
};

TEST_F(SpotHighlightTest, LightAddsAQuarterOfItsFirstByteClippedAt255) {
  Light(16, 16, [](int32_t, int32_t) { return 255; });
  // Seat 0 over ordinary pixels, seat 1 over the band of 200s.
  Spots({{40, 300, 30, 20}, {100, 100, 20, 20}});
  ASSERT_EQ(m_Spot.Build(2, &m_Table), 1);
  for (int32_t j = 0; j < 20; ++j)
    for (int32_t i = 0; i < 30; ++i) {
      const TRGBA t = TableAt(m_Table, 40 + i, 300 + j);
      const TRGBA want(static_cast<uint8_t>(t.r + 63), static_cast<uint8_t>(t.g + 63), static_cast<uint8_t>(t.b + 63));
      ASSERT_EQ(LitAt(m_Spot, 0, i, j), Rgb(want)) << i << "," << j;
    }
  EXPECT_EQ(LitAt(m_Spot, 1, 0, 0), Rgb(TRGBA(255, 255, 255)));
  EXPECT_EQ(LitAt(m_Spot, 1, 19, 19), Rgb(TRGBA(255, 255, 255)));
}

TEST_F(SpotHighlightTest, LightIsStretchedByTheNearestSampleTruncated) {
  // Columns of 0, 40, 80, 160 (adding 0, 10, 20, 40), rows of the light alike doubled.
  const uint8_t columns[4] = {0, 40, 80, 160};
  Light(4, 2, [&](int32_t x, int32_t y) { return static_cast<uint8_t>(columns[x] / (y + 1)); });
  struct SCase {
    int32_t width, height;
  } cases[] = {{8, 4}, {3, 3}, {5, 1}, {1, 2}, {13, 7}};
  for (const SCase& c : cases) {
    Spots({{200, 400, c.width, c.height}});
    ASSERT_EQ(m_Spot.Build(0, &m_Table), 1);
    for (int32_t j = 0; j < c.height; ++j)
      for (int32_t i = 0; i < c.width; ++i) {
        const int32_t add = columns[i * 4 / c.width] / (j * 2 / c.height + 1) >> 2;
        const TRGBA t = TableAt(m_Table, 200 + i, 400 + j);
        const TRGBA want(static_cast<uint8_t>(t.r + add), static_cast<uint8_t>(t.g + add),
                         static_cast<uint8_t>(t.b + add));
        ASSERT_EQ(LitAt(m_Spot, 0, i, j), Rgb(want)) << c.width << "x" << c.height << " at " << i << "," << j;
      }
  }
}

TEST_F(SpotHighlightTest, ShowDrawsTheLitSpotAndHideGivesTheTableBack) {
  Light(8, 8, [](int32_t x, int32_t y) { return static_cast<uint8_t>(30 * (x + y)); });
  Spots({{10, 10, 40, 30}, {300, 200, 90, 50}, {500, 90, 60, 40}});
  const std::vector<uint32_t> before = Persistent();
  ASSERT_EQ(m_Spot.Build(3, &m_Table), 1);
  CRect shown;
  ASSERT_EQ(m_Spot.Show(1, &shown), 1);
  EXPECT_EQ(m_Spot.GetSelected(), 1);
  EXPECT_EQ(shown.left, 300);
  EXPECT_EQ(shown.top, 200);
  EXPECT_EQ(shown.right, 389);
  EXPECT_EQ(shown.bottom, 249);
  const std::vector<uint32_t> lit = Persistent();
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) {
      const size_t i = static_cast<size_t>(y) * kW + x;
      if (shown.IsPntInRect(x, y))
        ASSERT_EQ(lit[i], LitAt(m_Spot, 1, x - 300, y - 200)) << x << "," << y;
      else
        ASSERT_EQ(lit[i], before[i]) << x << "," << y;
    }
  CRect hidden;
  ASSERT_EQ(m_Spot.Hide(1, &hidden), 1);
  EXPECT_TRUE(hidden.IsEqual(&shown));
  EXPECT_EQ(Persistent(), before);
  // The selection stays until the caller clears it.
  EXPECT_EQ(m_Spot.GetSelected(), 1);
  m_Spot.SetSelected(-1);
  EXPECT_EQ(m_Spot.GetSelected(), -1);
}

TEST_F(SpotHighlightTest, SpotsReachingPastThePictureAreCut) {
  Light(10, 10, [](int32_t x, int32_t) { return static_cast<uint8_t>(25 * x); });
  // Past the right and bottom edges, past the top-left corner, and wholly off the picture.
  Spots({{760, 580, 80, 40}, {-20, -10, 40, 20}, {800, 0, 10, 10}, {10, 600, 10, 10}});
  ASSERT_EQ(m_Spot.Build(4, &m_Table), 1);
  const CRect& a = m_Spot.GetLitArea(0);
  EXPECT_EQ(a.left, 760);
  EXPECT_EQ(a.top, 580);
  EXPECT_EQ(a.right, 799);
  EXPECT_EQ(a.bottom, 599);
  ASSERT_NE(m_Spot.GetLit(0), nullptr);
  EXPECT_EQ(m_Spot.GetLit(0)->m_Width, 40);
  EXPECT_EQ(m_Spot.GetLit(0)->m_Height, 20);
  // The glow keeps its place over the whole spot: column i of the spot samples light i * 10 / 80.
  for (int32_t i = 0; i < 40; ++i) {
    const int32_t add = 25 * (i * 10 / 80) >> 2;
    const TRGBA t = TableAt(m_Table, 760 + i, 590);
    EXPECT_EQ(LitAt(m_Spot, 0, i, 10),
              Rgb(TRGBA(static_cast<uint8_t>(std::min(255, t.r + add)), static_cast<uint8_t>(std::min(255, t.g + add)),
                        static_cast<uint8_t>(std::min(255, t.b + add)))));
  }
  const CRect& b = m_Spot.GetLitArea(1);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.right, 19);
  EXPECT_EQ(b.bottom, 9);
  for (int32_t i = 0; i < 20; ++i) {
    const int32_t add = 25 * ((i + 20) * 10 / 40) >> 2;
    const TRGBA t = TableAt(m_Table, i, 0);
    EXPECT_EQ(LitAt(m_Spot, 1, i, 0), Rgb(TRGBA(static_cast<uint8_t>(t.r + add), static_cast<uint8_t>(t.g + add),
                                                 static_cast<uint8_t>(t.b + add))));
  }
  EXPECT_EQ(m_Spot.GetLit(2), nullptr);
  EXPECT_EQ(m_Spot.GetLit(3), nullptr);
  EXPECT_EQ(m_Spot.Show(2, nullptr), 0);
  EXPECT_EQ(m_Spot.GetSelected(), -1);

  const std::vector<uint32_t> before = Persistent();
  ASSERT_EQ(m_Spot.Show(0, nullptr), 1);
  ASSERT_EQ(m_Spot.Hide(0, nullptr), 1);
  EXPECT_EQ(Persistent(), before);
}

TEST_F(SpotHighlightTest, NothingIsLitWithoutALightAndHideOfNoSeatDoesNothing) {
  Spots({{10, 10, 40, 30}});
  EXPECT_EQ(m_Spot.Build(2, &m_Table), 0);
  EXPECT_EQ(m_Spot.GetLit(0), nullptr);
  EXPECT_EQ(m_Spot.Show(0, nullptr), 0);
  EXPECT_EQ(m_Spot.LoadLight(m_Dir.File("missing.bmp").c_str()), 0);
  EXPECT_EQ(m_Spot.Build(2, &m_Table), 0);

  Light(4, 4, [](int32_t, int32_t) { return 200; });
  EXPECT_EQ(m_Spot.Build(5, &m_Table), 0);
  EXPECT_EQ(m_Spot.Build(-1, &m_Table), 0);
  EXPECT_EQ(m_Spot.Build(2, nullptr), 0);
  ASSERT_EQ(m_Spot.Build(2, &m_Table), 1);
  ASSERT_EQ(m_Spot.Show(0, nullptr), 1);
  const std::vector<uint32_t> lit = Persistent();
  CRect untouched(1, 2, 3, 4);
  EXPECT_EQ(m_Spot.Hide(-1, &untouched), 0);
  EXPECT_EQ(untouched.left, 1);
  EXPECT_EQ(untouched.bottom, 4);
  EXPECT_EQ(Persistent(), lit);

  // Free takes the light too: the next view has nothing to light.
  m_Spot.Free();
  EXPECT_EQ(m_Spot.GetLit(0), nullptr);
  EXPECT_EQ(m_Spot.Build(2, &m_Table), 0);
}
}  // namespace
