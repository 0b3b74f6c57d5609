// The card conventions: which side a camera above sees, the turn-over, and turns in the table
// plane.
#include <gtest/gtest.h>

#include <cmath>

#include "fennictest.h"
#include "fennic/quad.h"

namespace {

// Looking straight down from 1.5 m above the table's centre.
class CardPose : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Camera.SetPosition(0, 1.5, 0);
    m_Camera.SetRotate(-90, 0, 0);
    m_Card.SetSize(0.063, 0.088);
  }
  TProjectedQuad Seen() const {
    TVec3 corners[4];
    for (int32_t k = 0; k < 4; ++k) corners[k] = m_Card.GetCorner(k);
    return xProjectQuad(m_Camera, corners);
  }
  CCamera m_Camera;
  CObject m_Card;
};

TEST_F(CardPose, MinusNinetyShowsTheFaceAndPlusNinetyTheBack) {
  struct {
    double rx, ry, rz;
    bool face;
  } const kCases[] = {{-90, 0, 0, true}, {-90, 0, 35, true}, {90, 0, 0, false}, {90, 0, -60, false},
                      {90, -180, 0, true}, {90, -180, 20, true}, {-90, -180, 0, false}};
  for (const auto& c : kCases) {
    m_Card.SetRotate(c.rx, c.ry, c.rz);
    const TProjectedQuad q = Seen();
    ASSERT_TRUE(q.Valid);
    EXPECT_EQ(q.TwiceArea() > 0, c.face) << c.rx << " " << c.ry << " " << c.rz;
    EXPECT_NEAR(std::fabs(m_Card.GetFaceNormal().y), 1.0, 1e-12) << "flat on the table";
  }
}

TEST_F(CardPose, FaceUpCardReadsFromTheSeatAtPlusZ) {
  // Its top points away from a player at +z: up on the screen of a camera above turned that way.
  m_Card.SetRotate(-90, 0, 0);
  const TProjectedQuad q = Seen();
  EXPECT_LT(q.Y[0], q.Y[3]) << "top left above bottom left";
  EXPECT_LT(q.X[0], q.X[1]) << "top left left of top right";
}

TEST_F(CardPose, TurnOverEndsFaceUpWhereItLay) {
  m_Card.SetPosition(0.2, 0, -0.1);
  for (double rz : {0.0, 20.0, -75.0, 180.0}) {
    m_Card.SetRotate(90, 0, rz);
    TVec3 before[4];
    for (int32_t k = 0; k < 4; ++k) before[k] = m_Card.GetCorner(k);
    m_Card.SetRotate(90, -180, rz);
    EXPECT_GT(m_Card.GetFaceNormal().y, 0.999) << "face up at rz " << rz;
    // The same outline on the table, its corners swapped across the long axis.
    const int32_t swapped[4] = {1, 0, 3, 2};
    for (int32_t k = 0; k < 4; ++k) {
      const TVec3 after = m_Card.GetCorner(swapped[k]);
      EXPECT_NEAR(after.x, before[k].x, 1e-12);
      EXPECT_NEAR(after.y, before[k].y, 1e-12);
      EXPECT_NEAR(after.z, before[k].z, 1e-12);
    }
  }
}

TEST_F(CardPose, RotationZTurnsTheCardInTheTablePlaneAboutItsCentre) {
  const TVec3 centre{0.3, 0.02, -0.2};
  m_Card.SetPosition(centre.x, centre.y, centre.z);
  m_Card.SetRotate(-90, 0, 0);
  TVec3 flat[4];
  for (int32_t k = 0; k < 4; ++k) flat[k] = m_Card.GetCorner(k);
  for (double rz : {30.0, 90.0, -45.0, 200.0}) {
    m_Card.SetRotate(-90, 0, rz);
    const TMat3 turn = xRotY(rz);  // counter-clockwise seen from above
    for (int32_t k = 0; k < 4; ++k) {
      const TVec3 want = turn * (flat[k] - centre) + centre, got = m_Card.GetCorner(k);
      EXPECT_NEAR(got.x, want.x, 1e-12) << rz;
      EXPECT_NEAR(got.y, centre.y, 1e-12) << "stays on the table";
      EXPECT_NEAR(got.z, want.z, 1e-12) << rz;
    }
  }
}

TEST(Geometry, QuarterTurnsAreExact) {
  double s, c;
  for (double a : {0.0, 90.0, -90.0, 180.0, -180.0, 270.0, 360.0, -720.0}) {
    xSinCosDeg(a, &s, &c);
    EXPECT_EQ(s, std::round(std::sin(a * M_PI / 180)));
    EXPECT_EQ(c, std::round(std::cos(a * M_PI / 180)));
  }
  xSinCosDeg(30, &s, &c);
  EXPECT_NEAR(s, 0.5, 1e-15);
}

}  // namespace
