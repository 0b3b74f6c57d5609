// The layout keys against fennic's projection, view by view: the bet spots fall on their seat's
// spot-map pixels, the seat spots hold them, the hands land on the picture off other seats'
// spots, and the seat controls, sized as the table's dialogs make them, lie on the screen without
// two that show together overlapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fennic/fennic.h"
#include "kavotest.h"
#include "ostrel/graphics/bitmap.h"

namespace {
struct SBox {
  int32_t x, y, w, h;
  std::string Name;
  bool Overlaps(const SBox& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
  bool OnScreen() const { return x >= 0 && y >= 0 && x + w <= 800 && y + h <= 600; }
  bool Holds(int32_t px, int32_t py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

class Layout : public CKavoTest, public ::testing::WithParamInterface<SKavoTable> {
 protected:
  void SetUp() override {
    CKavoTest::SetUp();
    ASSERT_EQ(m_Script.Load((std::string("xrs/") + GetParam().Script).c_str()), 1);
    ASSERT_EQ(m_Script.EnterDataChunk(), 1);
    m_TableY = Double(m_Script, "TABLEY");
    ASSERT_EQ(m_Scene.SetCameraFOV(Double(m_Script, "HFOV"), Double(m_Script, "VFOV")), 1);
  }
  void TearDown() override {
    m_Dialogs.clear();
    m_Script.Free();
    CKavoTest::TearDown();
  }
  // The camera of a view, from its keys, as the client sets it.
  void View(int32_t v) {
    const std::string n = std::to_string(v);
    CCamera* c = m_Scene.GetActiveCamera();
    ASSERT_EQ(c->SetPosition(Double(m_Script, ("CAMERAX" + n).c_str()), Double(m_Script, ("CAMERAY" + n).c_str()),
                             Double(m_Script, ("CAMERAZ" + n).c_str())), 1);
    ASSERT_EQ(c->SetRotate(Double(m_Script, ("CAMERAROTX" + n).c_str()), Double(m_Script, ("CAMERAROTY" + n).c_str()),
                           Double(m_Script, ("CAMERAROTZ" + n).c_str())), 1);
    const std::string map = "pictures/kavo/" + std::string(GetParam().Name) + "_spots" + n + ".bmp";
    ASSERT_EQ(m_Map.Load(map.c_str(), 0), 1) << map;
    ASSERT_EQ(m_Map.m_BitsPerPixel, 8);
    ASSERT_EQ(m_Map.m_Width, 400);
    ASSERT_EQ(m_Map.m_Height, 300);
  }
  // A table point in screen pixels, as the client has it (the half pixels halved).
  void Project(double x, double z, int32_t* px, int32_t* py) {
    int32_t sx = 0, sy = 0;
    ASSERT_EQ(m_Scene.ProjectPoint2Screen(x, m_TableY, z, sx, sy), 1);
    *px = sx / 2;
    *py = sy / 2;
  }
  // The spot map's value under a screen pixel, as the bet click reads it.
  int32_t MapAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x / 2 >= m_Map.m_Width || y / 2 >= m_Map.m_Height) return -1;
    return m_Map.m_pData[static_cast<int64_t>(y / 2) * m_Map.m_Pitch + x / 2];
  }

  CResData m_Script;
  CSceneHandler m_Scene;
  CBitmap m_Map;
  double m_TableY = 0;
};

TEST_P(Layout, EveryBetSpotFallsOnItsSeatsSpotMapPixelsAndInsideItsSpotRectangle) {
  const int32_t perSeat = GetParam().SideBet ? 10 : 9;
  const std::vector<double> chips = [&] {
    int32_t n = 0;
    return Values(m_Script, "CHIP3DCOORDS", &n);
  }();
  ASSERT_EQ(chips.size(), static_cast<size_t>(perSeat * 2 * 5));
  const std::vector<int32_t> spots = Longs(m_Script, "SPOTCOORDS");
  ASSERT_EQ(spots.size(), 100u);
  for (int32_t v = 0; v < 5; ++v) {
    View(v);
    for (int32_t seat = 0; seat < 5; ++seat) {
      const int32_t* r = &spots[static_cast<size_t>((v * 5 + seat) * 4)];
      const SBox spot{r[0], r[1], r[2], r[3], "spot"};
      EXPECT_TRUE(spot.OnScreen()) << "view " << v << " seat " << seat;
      for (int32_t k = 0; k < perSeat; ++k) {
        SCOPED_TRACE("view " + std::to_string(v) + " seat " + std::to_string(seat) + " spot " + std::to_string(k));
        int32_t x = 0, y = 0;
        Project(chips[static_cast<size_t>((seat * perSeat + k) * 2)], chips[static_cast<size_t>((seat * perSeat + k) * 2 + 1)], &x, &y);
        // The tenth place of the side-bet table is the side-bet spot, numbered 6 to 10.
        EXPECT_EQ(MapAt(x, y), k == 9 ? seat + 6 : seat + 1);
        EXPECT_TRUE(spot.Holds(x, y)) << x << "," << y;
      }
      // Every map pixel of the seat lies inside the rectangle that lights it.
      for (int32_t my = 0; my < 300; ++my)
        for (int32_t mx = 0; mx < 400; ++mx) {
          const int32_t value = m_Map.m_pData[static_cast<int64_t>(my) * m_Map.m_Pitch + mx];
          if (value == seat + 1 || value == seat + 6) {
            ASSERT_TRUE(spot.Holds(2 * mx, 2 * my) && spot.Holds(2 * mx + 1, 2 * my + 1))
                << "view " << v << " seat " << seat << " map " << mx << "," << my;
          }
        }
    }
    // Nothing but seats and their side-bet spots on the map.
    for (int32_t my = 0; my < 300; ++my)
      for (int32_t mx = 0; mx < 400; ++mx) {
        const int32_t value = m_Map.m_pData[static_cast<int64_t>(my) * m_Map.m_Pitch + mx];
        ASSERT_TRUE(value <= (GetParam().SideBet ? 10 : 5)) << value;
      }
  }
}

TEST_P(Layout, EveryHandLandsOnThePictureOffOtherSeatsSpots) {
  int32_t n = 0;
  const std::vector<double> deck = Values(m_Script, "DECKPOS", &n);
  ASSERT_EQ(deck.size(), 32u);
  for (int32_t v = 0; v < 5; ++v) {
    View(v);
    for (int32_t hand = 0; hand < 16; ++hand) {
      int32_t x = 0, y = 0;
      Project(deck[static_cast<size_t>(2 * hand)], deck[static_cast<size_t>(2 * hand + 1)], &x, &y);
      EXPECT_TRUE(x >= 0 && y >= 0 && x < 800 && y < 600) << "view " << v << " hand " << hand;
      const int32_t seat = hand == 5 ? -1 : hand < 5 ? hand : hand < 11 ? hand - 6 : hand - 11;
      const int32_t value = MapAt(x, y);
      EXPECT_TRUE(value == 0 || value == seat + 1 || value == seat + 6) << "view " << v << " hand " << hand << " on " << value;
    }
  }
}

TEST_P(Layout, SeatControlsLieOnTheScreenAndThoseShownTogetherDoNotOverlap) {
  CDialog* table = Dialog(&m_Script, 110);
  ASSERT_NE(table, nullptr);
  CDialog* insurance = Dialog(&m_Script, 203);
  ASSERT_NE(insurance, nullptr);
  auto size = [&](int32_t id, int32_t* w, int32_t* h) {
    int32_t b[4];
    ASSERT_TRUE(ControlBox(table, id, b)) << id;
    *w = b[2];
    *h = b[3];
  };
  int32_t insW = 0, insH = 0;
  insurance->GetSize(insW, insH);
  // Creating the dialogs walked the script: back into its data chunk for the keys.
  ASSERT_EQ(m_Script.EnterDataChunk(), 1);
  const std::vector<int32_t> icons = Longs(m_Script, "PLAYERICON_COORDS"), bubbles = Longs(m_Script, "THINKBUBBLE_COORDS"),
                             values = Longs(m_Script, "CARDVALUE_COORDS"), windows = Longs(m_Script, "INSURANCEWINDOWS_COORDS"),
                             meters = Longs(m_Script, "TIMEOUTMETER_POS"), info = Longs(m_Script, "TableInfoBtn"),
                             spots = Longs(m_Script, "SPOTCOORDS");
  std::vector<int32_t> tag = Longs(m_Script, "TAG_OFFSET"), name = Longs(m_Script, "NAMETAG_OFFSET"),
                       cash = Longs(m_Script, "CASHTAG_OFFSET");
  // As the table reads them: the tag offset is added to the name and cash offsets.
  for (int32_t i = 0; i < 2; ++i) {
    name[i] += tag[i];
    cash[i] += tag[i];
  }
  // The hand values in the order of the key: per seat its hand, first and second split hand.
  const int32_t valueIds[16] = {159, 165, 170, 160, 166, 171, 161, 167, 172, 162, 168, 173, 163, 169, 174, 164};
  int32_t w = 0, h = 0;
  for (int32_t v = 0; v < 5; ++v) {
    std::vector<SBox> groups, texts, others, insure;
    for (int32_t seat = 0; seat < 5; ++seat) {
      const int32_t x = icons[(v * 5 + seat) * 2], y = icons[(v * 5 + seat) * 2 + 1];
      std::vector<SBox> parts;
      size(140 + seat, &w, &h);
      parts.push_back({x, y, w, h, "icon"});
      size(145 + seat, &w, &h);
      parts.push_back({bubbles[(v * 5 + seat) * 2], bubbles[(v * 5 + seat) * 2 + 1], w, h, "bubble"});
      size(180 + seat, &w, &h);
      parts.push_back({x + tag[0], y + tag[1], w, h, "tag"});
      size(122 + seat, &w, &h);
      parts.push_back({x + tag[0], y + tag[1], w, h, "sit-down button"});
      size(127 + seat, &w, &h);
      parts.push_back({x + name[0], y + name[1], w, h, "name"});
      size(175 + seat, &w, &h);
      parts.push_back({x + cash[0], y + cash[1], w, h, "cash"});
      SBox group = parts[0];
      for (const SBox& p : parts) {
        EXPECT_TRUE(p.OnScreen()) << "view " << v << " seat " << seat << " " << p.Name;
        const int32_t x0 = std::min(group.x, p.x), y0 = std::min(group.y, p.y);
        group = {x0, y0, std::max(group.x + group.w, p.x + p.w) - x0, std::max(group.y + group.h, p.y + p.h) - y0,
                 "seat " + std::to_string(seat + 1)};
      }
      groups.push_back(group);
      insure.push_back({windows[(v * 5 + seat) * 2], windows[(v * 5 + seat) * 2 + 1], insW, insH,
                        "insurance window " + std::to_string(seat + 1)});
    }
    for (int32_t i = 0; i < 16; ++i) {
      size(valueIds[i], &w, &h);
      texts.push_back({values[(v * 16 + i) * 2], values[(v * 16 + i) * 2 + 1], w, h, "value " + std::to_string(valueIds[i])});
    }
    size(132, &w, &h);
    others.push_back({meters[v * 2], meters[v * 2 + 1], w, h, "time-out meter"});
    others.push_back({info[v * 4], info[v * 4 + 1], info[v * 4 + 2], info[v * 4 + 3], "table information"});
    int32_t close[4];
    ASSERT_TRUE(ControlBox(table, 1002, close));
    others.push_back({close[0], close[1], close[2], close[3], "close box"});

    std::vector<SBox> all;
    for (const auto* list : {&groups, &texts, &others, &insure}) all.insert(all.end(), list->begin(), list->end());
    for (const SBox& b : all) EXPECT_TRUE(b.OnScreen()) << "view " << v << " " << b.Name;
    for (size_t i = 0; i < all.size(); ++i)
      for (size_t j = i + 1; j < all.size(); ++j) {
        const SBox &a = all[i], &b = all[j];
        // A split seat empties its hand's value: that text never shows beside its split ones.
        const bool ai = a.Name.rfind("value ", 0) == 0, bi = b.Name.rfind("value ", 0) == 0;
        if (ai && bi) {
          const int32_t ia = std::stoi(a.Name.substr(6)), ib = std::stoi(b.Name.substr(6));
          auto seatOf = [](int32_t id) { return id == 164 ? -1 : id < 164 ? id - 159 : id < 170 ? id - 165 : id - 170; };
          auto unsplit = [](int32_t id) { return id < 164; };
          if (seatOf(ia) == seatOf(ib) && seatOf(ia) >= 0 && unsplit(ia) != unsplit(ib)) continue;
        }
        EXPECT_FALSE(a.Overlaps(b)) << "view " << v << ": " << a.Name << " and " << b.Name;
      }
    // No bet spot hides under a control that shows while bets are placed.
    for (int32_t seat = 0; seat < 5; ++seat) {
      const int32_t* r = &spots[static_cast<size_t>((v * 5 + seat) * 4)];
      const SBox spot{r[0], r[1], r[2], r[3], "spot"};
      for (const auto* list : {&groups, &texts, &others})
        for (const SBox& b : *list) EXPECT_FALSE(spot.Overlaps(b)) << "view " << v << " seat " << seat << " under " << b.Name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, Layout, ::testing::ValuesIn(kKavoTables), KavoTableName);
}  // namespace
