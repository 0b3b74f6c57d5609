// Polygons placed in the scene and their shadows on the light's plane.
#include <gtest/gtest.h>

#include <cmath>

#include "fennictest.h"

namespace {

void ExpectNear(const TVec3& a, const TVec3& b, const char* what) {
  EXPECT_NEAR(a.x, b.x, 1e-12) << what;
  EXPECT_NEAR(a.y, b.y, 1e-12) << what;
  EXPECT_NEAR(a.z, b.z, 1e-12) << what;
}

TEST(Polygon, ResetPositionRotateAndProject) {
  CPolygon p;
  ASSERT_EQ(p.Set3D(0, -1, 0, 0, -1, 0, 0.5, 1, 0, -0.5, 1, 0), 1);  // the arrow's triangle
  EXPECT_EQ(p.Set3D(0, 0, NAN, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(p.SetPosition(1, 2, 3), 1);
  ASSERT_EQ(p.SetRotate(0, 90, 0), 1);
  EXPECT_EQ(p.SetRotate(0, INFINITY, 0), 0);
  p.RotatePolygon();
  // A quarter turn about y takes x to -z.
  ExpectNear(p.GetCorner(0), {1, 1, 3}, "tip");
  ExpectNear(p.GetCorner(2), {1, 3, 2.5}, "right of the base");
  p.ResetCoords();
  ExpectNear(p.GetCorner(2), {0.5, 1, 0}, "reset");

  CCamera camera;
  camera.SetPosition(0, 0, 5);
  EXPECT_EQ(p.Project(&camera), 1);
  EXPECT_TRUE(p.GetProjected().Valid);
  EXPECT_EQ(p.Project(nullptr), 0);
  camera.SetPosition(0, 0, -5);  // the polygon behind it
  EXPECT_EQ(p.Project(&camera), 0);
  EXPECT_FALSE(p.GetProjected().Valid);
}

// A square 1 m below a light 2 m over the plane casts the square twice as large, about the point
// under the light, as the rays predict.
TEST(Shadow, PointLightCastsTheSimilarSquareTheRaysPredict) {
  const double side = 0.5;
  const TVec3 centre{0.2, 1.0, -0.3}, light{0.05, 2.0, 0.1};
  CPolygon square;
  square.Set3D(-side / 2, 0, -side / 2, side / 2, 0, -side / 2, side / 2, 0, side / 2, -side / 2, 0, side / 2);
  square.SetPosition(centre.x, centre.y, centre.z);
  square.RotatePolygon();
  CLight lamp;
  ASSERT_EQ(lamp.SetPosition(light.x, light.y, light.z, 0.0), 1);
  CCamera camera;
  camera.SetPosition(0, 3, 3);
  camera.SetRotate(-45, 0, 0);
  shadow s;
  ASSERT_EQ(s.Calc(&square, &lamp, &camera), 1);
  for (int32_t k = 0; k < 4; ++k) {
    const TVec3 c = square.GetCorner(k);
    const TVec3 want = light + (c - light) * 2.0;  // similar triangles: 2 m down over 1 m down
    ExpectNear(s.GetCorners()[k], {want.x, 0.0, want.z}, "shadow corner");
    double sx, sy;
    ASSERT_TRUE(camera.Project(want, &sx, &sy, nullptr));
    EXPECT_NEAR(s.GetProjected().X[k], sx, 1e-9);
    EXPECT_NEAR(s.GetProjected().Y[k], sy, 1e-9);
  }
  // Twice the side.
  const TVec3 a = s.GetCorners()[0], b = s.GetCorners()[1];
  EXPECT_NEAR(std::hypot(b.x - a.x, b.z - a.z), 2 * side, 1e-12);
}

TEST(Shadow, NoShadowWhereTheRaysNeverReachThePlane) {
  CPolygon square;
  square.Set3D(0, 1, 0, 1, 1, 0, 1, 1, 1, 0, 1, 1);
  CCamera camera;
  camera.SetPosition(0, 3, 3);
  camera.SetRotate(-45, 0, 0);
  struct {
    const char* what;
    double light[4];
  } const kCases[] = {
      {"light below the plane", {0, -1, 0, 0}},
      {"light on the plane", {0, 0.5, 0, 0.5}},
      {"corners above the light", {0, 0.8, 0, 0}},
      {"corners level with the light", {0, 1, 0, 0}},
  };
  for (const auto& c : kCases) {
    CLight lamp;
    ASSERT_EQ(lamp.SetPosition(c.light[0], c.light[1], c.light[2], c.light[3]), 1);
    shadow s;
    EXPECT_EQ(s.Calc(&square, &lamp, &camera), 0) << c.what;
    EXPECT_FALSE(s.GetProjected().Valid) << c.what;
  }
  CLight lamp;
  EXPECT_EQ(lamp.SetPosition(0, NAN, 0, 0), 0);
  shadow s;
  EXPECT_EQ(s.Calc(nullptr, &lamp, &camera), 0);
  EXPECT_EQ(s.Calc(&square, nullptr, &camera), 0);
}

}  // namespace
