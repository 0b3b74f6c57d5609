// Moves, lists and their playing: exact ends, frame counts, shaping, and lists on several objects.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "fennictest.h"

namespace {

TEST(MoveValue, StartsAndEndsExactlyAndIsLinearWithoutShaping) {
  const double start = 0.1, end = 0.3;  // 0.1 + (0.3 - 0.1) is not 0.3 in binary
  for (int32_t n : {1, 2, 3, 7, 10, 25}) {
    EXPECT_EQ(xMoveValue(start, 0, end, 0, 0, n), start);
    EXPECT_EQ(xMoveValue(start, 0.7, end, -0.2, n, n), end);
    for (int32_t f = 0; f <= n; ++f)
      EXPECT_NEAR(xMoveValue(start, 0, end, 0, f, n), start + (end - start) * f / n, 1e-15) << f << "/" << n;
  }
  EXPECT_EQ(xMoveValue(start, 0.5, end, 0.5, 0, 0), end) << "no frames: the end at once";
}

TEST(MoveValue, EqualShapingIsAnArcAboveThePathGrowingWithItsStrength) {
  const double start = 0.05, end = 0.0;
  const int32_t n = 20;
  for (int32_t f = 1; f < n; ++f) {
    const double path = xMoveValue(start, 0, end, 0, f, n);
    const double t = static_cast<double>(f) / n;
    double lower = path;
    for (double s : {0.0, 0.01, 0.02, 0.1}) {
      const double v = xMoveValue(start, s, end, s, f, n);
      EXPECT_NEAR(v - path, s * t * (1 - t), 1e-15);
      EXPECT_GE(v, lower) << "higher for a larger strength";
      lower = v;
    }
  }
  // The peak is half way, a quarter of the strength above the path.
  EXPECT_NEAR(xMoveValue(0, 0.08, 0, 0.08, 10, 20), 0.02, 1e-15);
}

TEST(Move, RefusesWhatIsNotFiniteAndNegativeFrames) {
  C3DMove m;
  EXPECT_EQ(m.Init(nullptr, -1), 0);
  EXPECT_EQ(m.Init(nullptr, 0), 1);
  EXPECT_EQ(m.SetX(NAN, 0, 1, 0), 0);
  EXPECT_EQ(m.SetY(0, INFINITY, 1, 0), 0);
  EXPECT_EQ(m.SetRotZ(0, 0, -INFINITY, 0), 0);
  EXPECT_EQ(m.SetRotX(0, 0, 1, NAN), 0);
  EXPECT_FALSE(m.HasAxis(POSE_X));
  EXPECT_EQ(m.SetAxis(POSE_AXES, 0, 0, 1, 0), 0);
  EXPECT_EQ(m.SetAxis(-1, 0, 0, 1, 0), 0);
}

TEST(MoveList, CursorDeleteWalksTheListAsTheTableFreesIt) {
  C3DMoveList list;
  ASSERT_EQ(list.Init(1, 1), 1);
  EXPECT_EQ(list.First(), 0);
  EXPECT_EQ(list.Delete(), 0);
  EXPECT_EQ(list.AddMove(nullptr), 0);
  std::vector<C3DMove*> moves;
  for (int i = 0; i < 3; ++i) {
    moves.push_back(new C3DMove);
    ASSERT_EQ(list.AddMove(moves.back()), 1);
  }
  ASSERT_EQ(list.First(), 1);
  EXPECT_EQ(list.Get(), moves[0]);
  ASSERT_EQ(list.Next(), 1);
  ASSERT_EQ(list.Delete(), 1);
  EXPECT_EQ(list.Get(), moves[2]) << "the cursor stands on the one that followed";
  EXPECT_EQ(list.GetNumMoves(), 2);
  delete moves[1];
  // The table's tear-down: delete each move, then its entry.
  int32_t deleted = 0;
  for (list.First(); list.Exists();) {
    delete list.Get();
    list.Delete();
    ++deleted;
  }
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(list.GetNumMoves(), 0);
  EXPECT_EQ(list.GetMove(0), nullptr);
}

// A scene playing lists on plain objects.
class Playing : public ::testing::Test {
 protected:
  // A table only to drive Handler.
  void SetUp() override { ASSERT_EQ(m_Table.Init(2, 4, 13, 13), 1); }
  C3DMove* NewMove(CObject* object, int32_t frames) {
    m_Moves.push_back(std::make_unique<C3DMove>());
    m_Moves.back()->Init(object, frames);
    return m_Moves.back().get();
  }
  C3DMoveList* NewList(std::initializer_list<C3DMove*> moves) {
    m_Lists.push_back(std::make_unique<C3DMoveList>());
    m_Lists.back()->Init(1, 1);
    for (C3DMove* m : moves) m_Lists.back()->AddMove(m);
    return m_Lists.back().get();
  }
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) m_Table.Handler();
  }

  CCardTable m_Table;
  std::vector<std::unique_ptr<C3DMove>> m_Moves;
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;
};

constexpr double kStart[POSE_AXES] = {0.1, 0.7, -0.3, 12.5, -33.0, 91.0};
constexpr double kEnd[POSE_AXES] = {0.3, 0.02, 0.45, -90.0, -180.0, 20.0};

TEST_F(Playing, EveryAxisStartsAndEndsExactlyAfterExactlyItsFrames) {
  for (int32_t frames : {1, 2, 7, 30}) {
    CObject card;
    C3DMove* m = NewMove(&card, frames);
    SetAllAxes(*m, kStart, kEnd);
    ASSERT_EQ(m_Table.StartAnim(NewList({m}), &card), 1);
    ExpectSamePose(PoseOf(card), TPose{{kStart[0], kStart[1], kStart[2], kStart[3], kStart[4], kStart[5]}},
                   "at the start");
    EXPECT_EQ(m_Table.IsAnyPolyAnim(), 1);
    for (int32_t f = 1; f < frames; ++f) {
      m_Table.Handler();
      EXPECT_EQ(m_Table.IsAnyPolyAnim(), 1) << f << " of " << frames;
      EXPECT_NE(card.GetPose()[POSE_X], kEnd[POSE_X]);
    }
    m_Table.Handler();
    ExpectSamePose(PoseOf(card), TPose{{kEnd[0], kEnd[1], kEnd[2], kEnd[3], kEnd[4], kEnd[5]}}, "at the end");
    EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0);
    Frames(3);
    ExpectSamePose(PoseOf(card), TPose{{kEnd[0], kEnd[1], kEnd[2], kEnd[3], kEnd[4], kEnd[5]}}, "stays");
    m_Table.RemoveAllPolygons();
  }
}

TEST_F(Playing, WithoutShapingEveryFrameLiesOnTheStraightPath) {
  CObject card;
  const int32_t n = 9;
  C3DMove* m = NewMove(&card, n);
  SetAllAxes(*m, kStart, kEnd);
  m_Table.StartAnim(NewList({m}), &card);
  for (int32_t f = 1; f <= n; ++f) {
    m_Table.Handler();
    for (int32_t i = 0; i < POSE_AXES; ++i)
      EXPECT_NEAR(card.GetPose()[i], kStart[i] + (kEnd[i] - kStart[i]) * f / n, 1e-12) << "frame " << f;
  }
}

TEST_F(Playing, MovesPlayBackToBackAndUnsetAxesStay) {
  CObject card;
  card.SetRotate(5, 6, 7);
  C3DMove* lead = NewMove(&card, 3);
  lead->SetX(0, 0, 1, 0);
  C3DMove* main = NewMove(&card, 4);
  main->SetX(1, 0, 2, 0);
  main->SetY(0, 0, 4, 0);
  ASSERT_EQ(m_Table.StartAnim(NewList({lead, main}), &card), 1);
  Frames(3);
  EXPECT_EQ(card.GetPose()[POSE_X], 1.0);
  EXPECT_EQ(card.GetPose()[POSE_Y], 0.0) << "the second move has not begun";
  m_Table.Handler();
  EXPECT_EQ(card.GetPose()[POSE_X], 1.25);
  EXPECT_EQ(card.GetPose()[POSE_Y], 1.0);
  Frames(2);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 1);
  m_Table.Handler();
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0) << "3 + 4 frames";
  EXPECT_EQ(card.GetPose()[POSE_X], 2.0);
  EXPECT_EQ(card.GetPose()[POSE_Y], 4.0);
  EXPECT_EQ(card.GetPose()[POSE_RX], 5.0);
  EXPECT_EQ(card.GetPose()[POSE_RZ], 7.0);
}

TEST_F(Playing, ZeroFramesTakeOneStepAndAnEmptyListEndsAtOnce) {
  CObject card;
  C3DMove* jump = NewMove(&card, 0);
  jump->SetZ(1, 0, 5, 0);
  ASSERT_EQ(m_Table.StartAnim(NewList({jump}), &card), 1);
  EXPECT_EQ(card.GetPose()[POSE_Z], 1.0);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 1);
  m_Table.Handler();
  EXPECT_EQ(card.GetPose()[POSE_Z], 5.0);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0);

  CObject other;
  other.SetPosition(3, 4, 5);
  ASSERT_EQ(m_Table.StartAnim(NewList({}), &other), 1);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0);
  EXPECT_EQ(other.GetPose()[POSE_X], 3.0);
}

TEST_F(Playing, AnArcOnHeightNeverDipsBelowThePathAndPeaksHigherWhenStronger) {
  double peaks[2] = {};
  const double strengths[2] = {0.05, 0.12};
  for (int32_t s = 0; s < 2; ++s) {
    CObject card;
    C3DMove* m = NewMove(&card, 16);
    m->SetY(0.3, strengths[s], 0.0, strengths[s]);
    m_Table.StartAnim(NewList({m}), &card);
    for (int32_t f = 1; f <= 16; ++f) {
      m_Table.Handler();
      const double path = 0.3 * (1 - f / 16.0), over = card.GetPose()[POSE_Y] - path;
      EXPECT_GE(over, -1e-15) << "frame " << f;
      peaks[s] = std::max(peaks[s], over);
    }
  }
  EXPECT_GT(peaks[0], 0.0);
  EXPECT_GT(peaks[1], peaks[0]);
}

TEST_F(Playing, TurnOverInPlaceKeepsTheOutlineOnTheTable) {
  CObject card;
  card.SetSize(0.063, 0.088);
  const double x = 0.25, y = 0.0, z = -0.4, rz = 20;
  C3DMove* turn = NewMove(&card, 12);
  turn->SetX(x, 0, x, 0);
  turn->SetY(y, 0, y, 0);
  turn->SetZ(z, 0, z, 0);
  turn->SetRotX(90, 0, 90, 0);
  turn->SetRotY(0, 0, -180, 0);
  turn->SetRotZ(rz, 0, rz, 0);
  m_Table.StartAnim(NewList({turn}), &card);
  TVec3 outline[4];
  for (int32_t k = 0; k < 4; ++k) outline[k] = card.GetCorner(k);
  // Inside the starting outline (a convex quad on the table), seen from above.
  auto cross = [](const TVec3& a, const TVec3& b, const TVec3& p) {
    return (b.x - a.x) * (p.z - a.z) - (b.z - a.z) * (p.x - a.x);
  };
  const double winding = cross(outline[0], outline[1], outline[2]) > 0 ? 1 : -1;
  auto inside = [&](const TVec3& p) {
    for (int32_t k = 0; k < 4; ++k)
      if (winding * cross(outline[k], outline[(k + 1) % 4], p) < -1e-12) return false;
    return true;
  };
  for (int32_t f = 1; f <= 12; ++f) {
    m_Table.Handler();
    for (int32_t k = 0; k < 4; ++k) EXPECT_TRUE(inside(card.GetCorner(k))) << "frame " << f << " corner " << k;
  }
  // Face up over the same outline, corners swapped across the long axis.
  EXPECT_GT(card.GetFaceNormal().y, 0.999);
  const int32_t swapped[4] = {1, 0, 3, 2};
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_NEAR(card.GetCorner(swapped[k]).x, outline[k].x, 1e-12);
    EXPECT_NEAR(card.GetCorner(swapped[k]).z, outline[k].z, 1e-12);
  }
}

TEST_F(Playing, TwoListsOnTwoObjectsAdvanceIndependently) {
  CObject a, b;
  C3DMove* ma = NewMove(&a, 4);
  ma->SetX(0, 0, 4, 0);
  C3DMove* mb = NewMove(&b, 10);
  mb->SetX(0, 0, 10, 0);
  m_Table.StartAnim(NewList({ma}), &a);
  Frames(2);
  m_Table.StartAnim(NewList({mb}), &b);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 2);
  Frames(2);
  EXPECT_EQ(a.GetPose()[POSE_X], 4.0);
  EXPECT_EQ(b.GetPose()[POSE_X], 2.0);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 1);
  EXPECT_FALSE(m_Table.IsMoving(&a));
  EXPECT_TRUE(m_Table.IsMoving(&b));
  Frames(8);
  EXPECT_EQ(b.GetPose()[POSE_X], 10.0);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0);
  EXPECT_EQ(m_Table.GetNumAnims(), 2);
  m_Table.RemoveAllPolygons();
  EXPECT_EQ(m_Table.GetNumAnims(), 0);
}

TEST_F(Playing, PlayingToTheEndEqualsTheLastFrameForRandomLists) {
  std::mt19937 random(77);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  for (int32_t trial = 0; trial < 50; ++trial) {
    CObject played, placed;
    const double from[6] = {uniform(-1, 1), uniform(0, 1), uniform(-1, 1), uniform(-180, 180), 0, uniform(-90, 90)};
    played.SetPose(from);
    placed.SetPose(from);
    std::vector<C3DMove*> moves;
    int32_t frames = 0;
    for (int32_t k = 0, n = 1 + trial % 3; k < n; ++k) {
      C3DMove* m = NewMove(&played, trial % 5 == 0 ? 0 : 1 + static_cast<int32_t>(uniform(0, 12)));
      frames += m->GetSteps();
      for (int32_t axis = 0; axis < POSE_AXES; ++axis)
        if (uniform(0, 1) < 0.8) m->SetAxis(axis, uniform(-2, 2), uniform(-0.1, 0.1), uniform(-2, 2), uniform(-0.1, 0.1));
      moves.push_back(m);
    }
    C3DMoveList* list = NewList({});
    for (C3DMove* m : moves) list->AddMove(m);
    ASSERT_EQ(m_Table.StartAnim(list, &played), 1);
    Frames(frames);
    EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0) << trial;
    ASSERT_EQ(m_Table.DrawLastFrame(list, &placed), 1);
    ExpectSamePose(PoseOf(played), PoseOf(placed), "played against placed");
    m_Table.RemoveAllPolygons();
    EXPECT_EQ(m_Table.GetNumAnims(), 0);
  }
}

TEST_F(Playing, ObjectsComeFromTheCallOrTheFirstMove) {
  CObject card;
  C3DMove* m = NewMove(&card, 2);
  m->SetX(0, 0, 1, 0);
  EXPECT_EQ(m_Table.StartAnim(nullptr, &card), 0);
  EXPECT_EQ(m_Table.DrawLastFrame(nullptr, &card), 0);
  ASSERT_EQ(m_Table.StartAnim(NewList({m}), nullptr), 1);
  EXPECT_TRUE(m_Table.IsMoving(&card));
  C3DMove* orphan = NewMove(nullptr, 2);
  EXPECT_EQ(m_Table.StartAnim(NewList({orphan}), nullptr), 0);
  EXPECT_EQ(m_Table.StartAnim(NewList({}), nullptr), 0);
}

TEST_F(Playing, ANewListOnAnObjectReplacesTheOldAndTheLastFrameEndsIt) {
  CObject card;
  C3DMove* slow = NewMove(&card, 50);
  slow->SetX(0, 0, 50, 0);
  C3DMove* fast = NewMove(&card, 2);
  fast->SetX(10, 0, 12, 0);
  m_Table.StartAnim(NewList({slow}), &card);
  Frames(3);
  m_Table.StartAnim(NewList({fast}), &card);
  EXPECT_EQ(m_Table.GetNumAnims(), 1);
  Frames(2);
  EXPECT_EQ(card.GetPose()[POSE_X], 12.0);
  m_Table.StartAnim(NewList({slow}), &card);
  ASSERT_EQ(m_Table.DrawLastFrame(NewList({slow}), &card), 1);
  EXPECT_EQ(card.GetPose()[POSE_X], 50.0);
  EXPECT_EQ(m_Table.GetNumAnims(), 0);
  EXPECT_FALSE(m_Table.IsMoving(&card));
}

// The caller may change or delete its lists, moves and objects while they play.
TEST_F(Playing, ListsMovesAndObjectsDeletedWhilePlaying) {
  auto* card = new CObject;
  auto* other = new CObject;
  auto* move = new C3DMove;
  move->Init(card, 5);
  move->SetX(0, 0, 5, 0);
  auto* list = new C3DMoveList;
  list->Init(1, 1);
  list->AddMove(move);
  m_Table.StartAnim(list, card);
  m_Table.StartAnim(list, other);
  delete move;
  delete list;
  Frames(2);
  EXPECT_EQ(card->GetPose()[POSE_X], 2.0) << "the scene plays its own copy";
  delete card;
  EXPECT_EQ(m_Table.GetNumAnims(), 1);
  Frames(3);
  EXPECT_EQ(other->GetPose()[POSE_X], 5.0);
  m_Table.RemoveAllPolygons();
  delete other;
}

TEST_F(Playing, NonFinitePosesNeverReachTheObject) {
  CObject card;
  card.SetPosition(1, 2, 3);
  C3DMove* m = NewMove(&card, 2);
  // Finite ends whose shaped middle overflows.
  m->SetX(1.7e308, 1.7e308, 1.7e308, 1.7e308);
  m_Table.StartAnim(NewList({m}), &card);
  m_Table.Handler();
  EXPECT_TRUE(std::isfinite(card.GetPose()[POSE_X]));
  double bad[POSE_AXES] = {0, 0, 0, NAN, 0, 0};
  EXPECT_EQ(card.SetPose(bad), 0);
  EXPECT_EQ(card.SetPosition(INFINITY, 0, 0), 0);
  EXPECT_EQ(card.SetRotate(0, NAN, 0), 0);
}

}  // namespace
