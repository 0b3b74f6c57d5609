// The pinhole projection: worked cases, the fields of view, and random poses against a script
// that implements the written conventions with Python's standard library alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include "fennictest.h"
#include "fennic/quad.h"
#include "support/pyoracle.h"

namespace {

struct TCase {
  const char* what;
  double camera[6];  // x, y, z, rx, ry, rz
  double fov[2];
  double point[3];
  bool seen;
  int32_t sx, sy;
};

const TCase kCases[] = {
    {"camera axis", {0, 0, 0, 0, 0, 0}, {90, 90}, {0, 0, -5}, true, 800, 600},
    {"right edge of the view", {0, 0, 0, 0, 0, 0}, {90, 90}, {5, 0, -5}, true, 1600, 600},
    {"left edge", {0, 0, 0, 0, 0, 0}, {90, 90}, {-5, 0, -5}, true, 0, 600},
    {"top edge", {0, 0, 0, 0, 0, 0}, {90, 90}, {0, 5, -5}, true, 800, 0},
    {"bottom edge", {0, 0, 0, 0, 0, 0}, {90, 90}, {0, -5, -5}, true, 800, 1200},
    {"60 by 40 degrees, corner", {0, 0, 0, 0, 0, 0}, {60, 40}, {2 * 0.57735026918962573, 2 * 0.36397023426620234, -2},
     true, 1600, 0},
    {"half way to the edge", {1, 2, 3, 0, 0, 0}, {90, 90}, {1 + 2.5, 2 - 1.25, 3 - 5}, true, 1200, 750},
    // Yawed a quarter turn left: the camera looks along -x, its right is -z.
    {"yawed camera, axis", {1, 0, 0, 0, 90, 0}, {90, 90}, {-2, 0, 0}, true, 800, 600},
    {"yawed camera, right edge", {1, 0, 0, 0, 90, 0}, {90, 90}, {-2, 0, -3}, true, 1600, 600},
    // Pitched straight down from 2 m: the top of the picture is -z.
    {"pitched camera, under it", {0, 2, 0, -90, 0, 0}, {90, 90}, {0, 0, 0}, true, 800, 600},
    {"pitched camera, top edge", {0, 2, 0, -90, 0, 0}, {90, 90}, {0, 0, -2}, true, 800, 0},
    {"pitched camera, right edge", {0, 2, 0, -90, 0, 0}, {90, 90}, {2, 0, 0}, true, 1600, 600},
    // Over the table at 45 degrees, looking at the table's centre from a seat.
    {"seat view, table centre", {0, 1, 1, -45, 0, 0}, {90, 90}, {0, 0, 0}, true, 800, 600},
    {"seat view, yawed seat", {1, 1, 0, -45, 90, 0}, {90, 90}, {0, 0, 0}, true, 800, 600},
    {"rolled camera", {0, 0, 0, 0, 0, 90}, {90, 90}, {0, 5, -5}, true, 1600, 600},
    {"behind the camera", {0, 0, 0, 0, 0, 0}, {90, 90}, {0, 0, 5}, false, 0, 0},
    {"on the camera plane", {0, 0, 0, 0, 0, 0}, {90, 90}, {3, 1, 0}, false, 0, 0},
    {"behind a pitched camera", {0, 2, 0, -90, 0, 0}, {90, 90}, {0, 3, 0}, false, 0, 0},
    {"not a number", {0, 0, 0, 0, 0, 0}, {90, 90}, {NAN, 0, -1}, false, 0, 0},
    {"infinite", {0, 0, 0, 0, 0, 0}, {90, 90}, {0, INFINITY, -1}, false, 0, 0},
    {"beyond 32 bits", {0, 0, 0, 0, 0, 0}, {90, 90}, {1e300, 0, -1}, false, 0, 0},
};

TEST(Projection, WorkedCasesInHalfPixels) {
  for (const TCase& c : kCases) {
    CSceneHandler scene;
    CCamera* camera = scene.GetActiveCamera();
    ASSERT_EQ(camera->SetPosition(c.camera[0], c.camera[1], c.camera[2]), 1);
    ASSERT_EQ(camera->SetRotate(c.camera[3], c.camera[4], c.camera[5]), 1);
    ASSERT_EQ(scene.SetCameraFOV(c.fov[0], c.fov[1]), 1);
    int32_t sx = -7, sy = -9;
    EXPECT_EQ(scene.ProjectPoint2Screen(c.point[0], c.point[1], c.point[2], sx, sy), c.seen ? 1 : 0) << c.what;
    if (c.seen) {
      EXPECT_EQ(sx, c.sx) << c.what;
      EXPECT_EQ(sy, c.sy) << c.what;
    } else {
      EXPECT_EQ(sx, -7) << c.what << ": left as it was";
      EXPECT_EQ(sy, -9) << c.what;
    }
  }
}

TEST(Projection, FieldsOfViewAreKeptAcrossInitAndBadOnesRefused) {
  CCardTable table;
  int32_t sx = 0, sy = 0;
  // Before Init, as the table set-up orders it.
  ASSERT_EQ(table.SetCameraFOV(90, 90), 1);
  ASSERT_EQ(table.Init(16, 4, 13, 13), 1);
  ASSERT_EQ(table.ProjectPoint2Screen(1, 0, -1, sx, sy), 1);
  EXPECT_EQ(sx, 1600);
  // After Init, as the library's own order has it: used from the next projection on.
  ASSERT_EQ(table.SetCameraFOV(2 * 63.434948822922010, 90), 1);  // tan(half) = 2
  ASSERT_EQ(table.ProjectPoint2Screen(1, 0, -1, sx, sy), 1);
  EXPECT_EQ(sx, 1200);
  for (double bad : {0.0, -10.0, 180.0, 200.0, double(NAN), double(INFINITY)}) {
    EXPECT_EQ(table.SetCameraFOV(bad, 90), 0) << bad;
    EXPECT_EQ(table.SetCameraFOV(90, bad), 0) << bad;
  }
  ASSERT_EQ(table.ProjectPoint2Screen(1, 0, -1, sx, sy), 1);
  EXPECT_EQ(sx, 1200) << "a refused field of view changes nothing";
  // A second Init keeps them too.
  ASSERT_EQ(table.Init(4, 4, 13, 13), 1);
  ASSERT_EQ(table.ProjectPoint2Screen(1, 0, -1, sx, sy), 1);
  EXPECT_EQ(sx, 1200);
}

TEST(Projection, CameraRefusesPosesThatAreNotFinite) {
  CCamera camera;
  ASSERT_EQ(camera.SetPosition(1, 2, 3), 1);
  EXPECT_EQ(camera.SetPosition(NAN, 0, 0), 0);
  EXPECT_EQ(camera.SetRotate(0, INFINITY, 0), 0);
  double x, y, z;
  camera.GetPosition(&x, &y, &z);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(z, 3);
}

// Random cameras over a table, points around it and cards in every pose: each projected by the
// library and by the script, within half a half pixel of each other after rounding.
TEST(Projection, RandomPosesAgreeWithTheIndependentScript) {
  std::mt19937 random(20240611);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  struct TRun {
    double camera[6], fov[2], point[3];
    double card[6], size[2];
    bool isCard;
  };
  std::vector<TRun> runs;
  std::ostringstream input;
  input.precision(17);
  for (int i = 0; i < 400; ++i) {
    TRun r{};
    r.isCard = i % 2 == 1;
    const double camera[6] = {uniform(-2, 2), uniform(0.2, 2), uniform(-2, 2),
                              uniform(-80, 10), uniform(-180, 180), uniform(-15, 15)};
    std::copy(std::begin(camera), std::end(camera), r.camera);
    r.fov[0] = uniform(30, 100);
    r.fov[1] = uniform(25, 80);
    // Points and cards about the table, some of them behind the camera.
    for (double& p : r.point) p = uniform(-1.5, 1.5);
    r.point[1] = uniform(-0.2, 1.5);
    const double card[6] = {uniform(-1, 1), uniform(0, 0.5), uniform(-1, 1),
                            uniform(-180, 180), uniform(-180, 180), uniform(-180, 180)};
    std::copy(std::begin(card), std::end(card), r.card);
    r.size[0] = uniform(0.03, 0.1);
    r.size[1] = uniform(0.05, 0.15);
    input << (r.isCard ? "card" : "point");
    for (double v : r.camera) input << ' ' << v;
    input << ' ' << r.fov[0] << ' ' << r.fov[1];
    if (r.isCard) {
      for (double v : r.card) input << ' ' << v;
      input << ' ' << r.size[0] << ' ' << r.size[1];
    } else {
      for (double v : r.point) input << ' ' << v;
    }
    input << '\n';
    runs.push_back(r);
  }
  const std::vector<std::string> expected = RunPythonTool("fennic_projection.py", input.str());
  ASSERT_EQ(expected.size(), runs.size());

  int32_t seen = 0, unseen = 0;
  for (size_t i = 0; i < runs.size(); ++i) {
    const TRun& r = runs[i];
    CSceneHandler scene;
    scene.GetActiveCamera()->SetPosition(r.camera[0], r.camera[1], r.camera[2]);
    scene.GetActiveCamera()->SetRotate(r.camera[3], r.camera[4], r.camera[5]);
    ASSERT_EQ(scene.SetCameraFOV(r.fov[0], r.fov[1]), 1);
    std::vector<TVec3> points;
    if (r.isCard) {
      CObject card;
      card.SetSize(r.size[0], r.size[1]);
      card.SetPosition(r.card[0], r.card[1], r.card[2]);
      card.SetRotate(r.card[3], r.card[4], r.card[5]);
      for (int32_t k = 0; k < 4; ++k) points.push_back(card.GetCorner(k));
    } else {
      points.push_back({r.point[0], r.point[1], r.point[2]});
    }
    std::vector<int32_t> ours;
    bool all = true;
    for (const TVec3& p : points) {
      int32_t sx = 0, sy = 0;
      all = all && scene.ProjectPoint2Screen(p.x, p.y, p.z, sx, sy);
      ours.push_back(sx);
      ours.push_back(sy);
    }
    if (expected[i] == "none") {
      EXPECT_FALSE(all) << "case " << i << ": the script sees a corner behind the camera";
      ++unseen;
      continue;
    }
    ASSERT_TRUE(all) << "case " << i << ": " << expected[i];
    std::istringstream want(expected[i]);
    for (int32_t v : ours) {
      double w = 0;
      want >> w;
      EXPECT_LE(std::fabs(v - w), 0.5 + 1e-6) << "case " << i << ": " << expected[i];
    }
    ++seen;
  }
  // The table holds both kinds in earnest.
  EXPECT_GT(seen, 100);
  EXPECT_GT(unseen, 20);
}

}  // namespace
