// The 3-D widgets' tests: an 800 x 600 24-bit headless screen (fennic's whole view), a camera and
// a light fixed for the test, textures written as BMP files made in code, and the independent
// geometry the pictures are checked against: the pose rotation as fennic's conventions state it,
// and shadows cast from the light by similar triangles.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fennic/fennictest.h"
#include "ostrel/graphics/rgba.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"
#include "support/png.h"
#include "support/tempdir.h"
#include "widgetfixture.h"

class CPolyWidgetTest : public CWidgetTest {
 protected:
  static constexpr int32_t kW = 800, kH = 600;

  void SetUp() override {
    CWidgetTest::SetUp();
    StartScreen(kW, kH, 24);
    // A seat's view of the table from 75 cm away and 45 cm up, looking down.
    m_Camera.SetPosition(0, 0.45, 0.75);
    m_Camera.SetRotate(-30, 0, 0);
    ASSERT_EQ(m_Light.SetPosition(0.6, 1.2, 0.4, 0.0), 1);
  }

  static CScreenBase& Screen() { return *glb->m_pCurrentScreen; }
  static uint32_t Rgb(const TRGBA& c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

  // A 24-bit BMP in the test's folder; its path.
  std::string Texture(const std::string& name, int32_t width, int32_t height,
                      const std::function<TRGBA(int32_t, int32_t)>& colour) {
    const std::string path = m_Dir.File(name);
    EXPECT_TRUE(WriteBmp24(path, width, height, colour));
    return path;
  }

  // Where the camera shows a world point, in pixels (fennic gives half pixels).
  bool OnScreen(const TVec3& p, double* x, double* y) const {
    double sx = 0, sy = 0;
    if (!m_Camera.Project(p, &sx, &sy, nullptr)) return false;
    *x = sx / 2;
    *y = sy / 2;
    return true;
  }

  // Rx · Rz · Ry applied to v, each turn counter-clockwise seen from the positive end of its axis.
  static TVec3 Turn(const TVec3& v, double rx, double ry, double rz) {
    const double d = M_PI / 180;
    TVec3 a{v.x * std::cos(ry * d) + v.z * std::sin(ry * d), v.y, -v.x * std::sin(ry * d) + v.z * std::cos(ry * d)};
    TVec3 b{a.x * std::cos(rz * d) - a.y * std::sin(rz * d), a.x * std::sin(rz * d) + a.y * std::cos(rz * d), a.z};
    return {b.x, b.y * std::cos(rx * d) - b.z * std::sin(rx * d), b.y * std::sin(rx * d) + b.z * std::cos(rx * d)};
  }

  // Where the ray from the light through p meets the light's plane.
  TVec3 Cast(const TVec3& p) const {
    double lx, ly, lz, plane;
    m_Light.GetPosition(&lx, &ly, &lz, &plane);
    const double k = (ly - plane) / (ly - p.y);
    return {lx + (p.x - lx) * k, plane, lz + (p.z - lz) * k};
  }

  // The pixels of a 24-bit buffer (rows pitch bytes apart) whose colour passes the test.
  static std::vector<std::pair<int32_t, int32_t>> PixelsWhere(const std::function<bool(uint32_t)>& wanted,
                                                               const uint8_t* pixels, int32_t pitch) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const uint8_t* p = pixels + static_cast<int64_t>(y) * pitch + 3 * x;
        if (wanted(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0])) out.emplace_back(x, y);
      }
    return out;
  }
  static std::vector<std::pair<int32_t, int32_t>> ScreenPixelsWhere(const std::function<bool(uint32_t)>& wanted) {
    return PixelsWhere(wanted, Screen().LockScreenBuffer(), Screen().GetActiveMode()->Pitch);
  }

  // The screen as a PNG in the build's tests folder, to look at when a picture test fails.
  static void SaveScreen(const std::string& name) {
    TRgbImage shot{kW, kH, {}};
    const uint8_t* pixels = Screen().LockScreenBuffer();
    for (int32_t y = 0; y < kH; ++y)
      for (int32_t x = 0; x < kW; ++x) {
        const uint8_t* p = pixels + static_cast<int64_t>(y) * Screen().GetActiveMode()->Pitch + 3 * x;
        shot.rgb.insert(shot.rgb.end(), {p[2], p[1], p[0]});
      }
    WritePng(std::string(VORRIN_DIST_DIR) + "/../tests/" + name + "_actual.png", shot);
  }

  CTempDir m_Dir;
  CCamera m_Camera;
  CLight m_Light;
};
