// The card table drawn on the runtime's 800 x 600 24-bit headless screen, seen from a seat: a
// felt table picture in the persistent layer, the generated test textures, a light, and helpers
// that read, compare and crop the screen and persistent pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fennictest.h"
#include "ostrel/screens/screentest.h"
#include "support/png.h"

class CTableScreen : public CScreenTest {
 protected:
  static constexpr int32_t kW = 800, kH = 600;

  void SetUp() override {
    CScreenTest::SetUp();
    Start(kW, kH, 24);
    ASSERT_EQ(S().SetPersistentMode(1), 1);
    // Deep green felt, lighter towards the middle, with a faint weave so shifts show.
    Paint(m_Felt, kW, kH, [](int32_t x, int32_t y) {
      const int32_t dx = x - 400, dy = y - 300, fall = (dx * dx + dy * dy) / 5000;
      const int32_t g = std::max(60, 140 - fall) + ((x + y) % 4 == 0 ? 6 : 0);
      return TRGBA(10, static_cast<uint8_t>(g), static_cast<uint8_t>(g / 3 + 10));
    });
    ASSERT_EQ(S().MakeScreenFormat(&m_Felt, 0), 1);
    ASSERT_EQ(S().DrawBitmapPersistent(&m_Felt, 0, 0, 0, 0, -1, -1, 0, 0), 1);
    Frame();

    ASSERT_EQ(m_Table.Init(16, 4, 13, 13), 1);
    ASSERT_EQ(m_Table.SetCardSize(40, 56), 1);
    ASSERT_EQ(m_Table.SetCardDimension(0.063, 0.088), 1);
    ASSERT_EQ(m_Table.SetTextureNames(Data("faces.bmp").c_str(), Data("back.bmp").c_str()), 1);
    ASSERT_EQ(m_Table.LoadTextures(), 1);
    // The middle seat's view: 62 cm back from the table's centre, 42 cm above it.
    CCamera* camera = m_Table.GetActiveCamera();
    camera->SetPosition(0, 0.42, 0.62);
    camera->SetRotate(-34, 0, 0);
    ASSERT_EQ(m_Table.SetCameraFOV(50, 38.5), 1);
    ASSERT_EQ(m_Table.GetLight()->SetPosition(-0.4, 1.4, 0.3, 0.0), 1);
    m_Table.SetPersistent(&m_Felt);
  }

  static std::string Data(const std::string& name) { return std::string(VORRIN_TEST_DATA_DIR) + "/fennic/" + name; }

  // One frame of the loop: present, then restore the screen layer from the persistent one.
  static void Frame() {
    S().FlipPage();
    S().ClearBuffer();
  }

  // A one-move list (owned by the fixture) from one pose to another over frames.
  C3DMoveList* List(const double (&from)[POSE_AXES], const double (&to)[POSE_AXES], int32_t frames,
                    double lift = 0) {
    m_Moves.push_back(std::make_unique<C3DMove>());
    C3DMove& m = *m_Moves.back();
    m.Init(nullptr, frames);
    SetAllAxes(m, from, to);
    if (lift != 0) m.SetY(from[POSE_Y], lift, to[POSE_Y], lift);
    m_Lists.push_back(std::make_unique<C3DMoveList>());
    m_Lists.back()->Init(1, 1);
    m_Lists.back()->AddMove(&m);
    return m_Lists.back().get();
  }
  // A pocket whose cards rest at the given poses, one list each.
  CPocket* PocketAt(int32_t p, const std::vector<TPose>& rests) {
    CPocket* pocket = m_Table.GetPocket(p);
    for (const TPose& r : rests) {
      double at[POSE_AXES];
      std::copy(std::begin(r.v), std::end(r.v), at);
      pocket->AddMove(List(at, at, 1));
    }
    return pocket;
  }

  // The raw bytes of the screen buffer and of the persistent buffer, row by row.
  static std::vector<uint8_t> ScreenBytes() { return Bytes(S().LockScreenBuffer(), Mode().Pitch); }
  static std::vector<uint8_t> PersistentBytes() {
    const CBitmap* p = S().GetPersistentBitmap();
    return Bytes(p->m_pData, p->m_Pitch);
  }
  static std::vector<uint8_t> Bytes(const uint8_t* pixels, int32_t pitch) {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < kH; ++y) out.insert(out.end(), pixels + y * pitch, pixels + y * pitch + 3 * kW);
    return out;
  }
  // The pixels that differ; each inside the rectangle (an empty list when none).
  static std::vector<std::pair<int32_t, int32_t>> Changed(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (size_t i = 0; i + 2 < a.size(); i += 3)
      if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2])
        out.emplace_back(static_cast<int32_t>(i / 3 % kW), static_cast<int32_t>(i / 3 / kW));
    return out;
  }
  // The colour (red, green, blue) of a pixel of such bytes; the screen keeps blue in the low byte.
  static TRGBA At(const std::vector<uint8_t>& bytes, int32_t x, int32_t y) {
    const size_t i = (static_cast<size_t>(y) * kW + static_cast<size_t>(x)) * 3;
    return TRGBA(bytes[i + 2], bytes[i + 1], bytes[i]);
  }

  // A crop of the screen compared with tests/data/fennic/golden_<name>.png: a few pixels may
  // differ by more than 8 levels. VORRIN_UPDATE_GOLDEN=1 stores this run's picture; a failing
  // run leaves it in the build's tests folder.
  static void ExpectGolden(const std::string& name, const CRect& crop) {
    const std::vector<uint8_t> screen = ScreenBytes();
    TRgbImage actual{crop.right - crop.left + 1, crop.bottom - crop.top + 1, {}};
    for (int32_t y = crop.top; y <= crop.bottom; ++y)
      for (int32_t x = crop.left; x <= crop.right; ++x) {
        const TRGBA c = At(screen, x, y);
        actual.rgb.insert(actual.rgb.end(), {c.r, c.g, c.b});
      }
    const std::string golden = Data("golden_" + name + ".png");
    if (std::getenv("VORRIN_UPDATE_GOLDEN")) {
      ASSERT_TRUE(WritePng(golden, actual));
    }
    TRgbImage expected;
    ASSERT_TRUE(ReadPng(golden, &expected)) << golden;
    int32_t differing = 0;
    if (expected.width == actual.width && expected.height == actual.height) {
      for (size_t i = 0; i < actual.rgb.size(); i += 3) {
        bool off = false;
        for (size_t c = 0; c < 3; ++c) off = off || std::abs(actual.rgb[i + c] - expected.rgb[i + c]) > 8;
        differing += off;
      }
    } else {
      differing = actual.width * actual.height;
    }
    if (differing > 4) {
      const std::string out = std::string(VORRIN_DIST_DIR) + "/../tests/golden_" + name + "_actual.png";
      WritePng(out, actual);
      ADD_FAILURE() << differing << " pixels differ from " << golden << "; this run drew " << out;
    }
  }

  CBitmap m_Felt;
  CCardTable m_Table;
  std::vector<std::unique_ptr<C3DMove>> m_Moves;
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;
};
