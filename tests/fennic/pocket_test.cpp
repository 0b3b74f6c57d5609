// Pockets: where their cards rest, the guards on every index a server's value may reach, and
// clones that keep flying while their pocket changes.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "fennictest.h"

namespace {

class Pockets : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_Table.Init(16, 4, 13, 13), 1);
    ASSERT_EQ(m_Table.SetCardDimension(0.063, 0.088), 1);
    m_Pocket = m_Table.GetPocket(3);
    ASSERT_NE(m_Pocket, nullptr);
    // Deal lists for three places: each ends at its own pose, shifted along x.
    for (int32_t i = 0; i < 3; ++i) {
      auto move = std::make_unique<C3DMove>();
      move->Init(nullptr, 5);
      const double start[POSE_AXES] = {0, 0.4, -0.5, 0, 0, 0};
      const double end[POSE_AXES] = {0.1 + 0.02 * i, 0.0, 0.3, -90, 0, 15.0 + i};
      SetAllAxes(*move, start, end);
      auto list = std::make_unique<C3DMoveList>();
      list->Init(1, 1);
      list->AddMove(move.get());
      ASSERT_EQ(m_Pocket->AddMove(list.get()), 1);
      m_Moves.push_back(std::move(move));
      m_Lists.push_back(std::move(list));
    }
  }
  TPose EndOf(int32_t i) {
    CObject probe;
    m_Table.DrawLastFrame(m_Lists[static_cast<size_t>(i)].get(), &probe);
    return PoseOf(probe);
  }

  CCardTable m_Table;
  CPocket* m_Pocket = nullptr;
  std::vector<std::unique_ptr<C3DMove>> m_Moves;
  std::vector<std::unique_ptr<C3DMoveList>> m_Lists;
};

TEST_F(Pockets, CardIRestsWhereListIEnds) {
  for (int32_t code : {0, 51, 25}) ASSERT_EQ(m_Pocket->AddCard(code), 1);
  for (int32_t i = 0; i < 3; ++i) {
    CObject* card = nullptr;
    m_Pocket->GetCard(card, i);
    ASSERT_NE(card, nullptr);
    ExpectSamePose(PoseOf(*card), EndOf(i), "added");
    EXPECT_DOUBLE_EQ(card->GetWidth(), 0.063);
    EXPECT_DOUBLE_EQ(card->GetHeight(), 0.088);
  }
  // Dealt: flying from the shoe, then at rest where its list ends.
  CObject* top = nullptr;
  m_Pocket->GetCard(top, 2);
  ASSERT_EQ(m_Table.StartAnim(m_Pocket->GetMove(2), top), 1);
  EXPECT_TRUE(m_Table.IsMoving(top));
  for (int32_t f = 0; f < 5; ++f) m_Table.Handler();
  EXPECT_FALSE(m_Table.IsMoving(top));
  ExpectSamePose(PoseOf(*top), EndOf(2), "dealt");
  // Beyond the lists a card stays at the origin.
  ASSERT_EQ(m_Pocket->AddCard(7), 1);
  CObject* extra = nullptr;
  m_Pocket->GetCard(extra, 3);
  ExpectSamePose(PoseOf(*extra), TPose{}, "no list");
}

TEST_F(Pockets, CardCodesAndFaces) {
  ASSERT_EQ(m_Pocket->AddCard(27), 1);  // the two of the third suit
  CObject* card = nullptr;
  EXPECT_EQ(m_Pocket->GetCard(card, 0), 27);
  EXPECT_EQ(card->GetLook().Row, 2);
  EXPECT_EQ(card->GetLook().Column, 1);
  ASSERT_EQ(m_Pocket->AddCard(-1), 1);
  m_Pocket->GetCard(card, 1);
  EXPECT_EQ(card->GetLook().Row, -1) << "a hidden card shows its back on both sides";
  EXPECT_EQ(m_Pocket->GetCard(), -1);
  for (int32_t bad : {52, -2, INT_MAX, INT_MIN}) EXPECT_EQ(m_Pocket->AddCard(bad), 0) << bad;
  EXPECT_EQ(m_Pocket->GetNumCards(), 2);
  while (m_Pocket->GetNumCards() < FENNIC_POCKET_CARDS) ASSERT_EQ(m_Pocket->AddCard(3), 1);
  EXPECT_EQ(m_Pocket->AddCard(3), 0) << "a full pocket";
}

TEST_F(Pockets, IndexGuardsAnswerNullOrMinusOne) {
  for (int32_t i : {-1, 16, INT_MAX, INT_MIN}) EXPECT_EQ(m_Table.GetPocket(i), nullptr) << i;
  EXPECT_NE(m_Table.GetPocket(15), nullptr);
  for (int32_t k : {-1, 3, INT_MAX, INT_MIN}) EXPECT_EQ(m_Pocket->GetMove(k), nullptr) << k;
  EXPECT_EQ(m_Pocket->GetMove(2), m_Lists[2].get());
  EXPECT_EQ(m_Pocket->GetCard(), -1) << "empty";
  ASSERT_EQ(m_Pocket->AddCard(10), 1);
  EXPECT_EQ(m_Pocket->GetCard(), 10);
  for (int32_t i : {-1, 1, INT_MAX, INT_MIN}) {
    EXPECT_EQ(m_Pocket->GetCard(i), -1) << i;
    CObject* object = reinterpret_cast<CObject*>(&m_Table);  // anything but null
    EXPECT_EQ(m_Pocket->GetCard(object, i), -1) << i;
    EXPECT_EQ(object, nullptr) << i;
  }
  struct {
    int32_t row, column;
  } const kOff[] = {{4, 0}, {0, 13}, {-1, 1}, {-2, 0}, {0, -1}, {INT_MIN, 0}, {0, INT_MAX}};
  for (const auto& c : kOff) EXPECT_EQ(m_Table.GetCardObj(c.row, c.column, 0, 0, 1, 1), nullptr) << c.row << "," << c.column;
  EXPECT_EQ(m_Table.GetCardObj(2, 8, NAN, 0, 1, 1), nullptr);
  EXPECT_EQ(m_Table.GetCardObj(2, 8, 0, 0, INFINITY, 1), nullptr);
  std::unique_ptr<CObject> back(m_Table.GetCardObj(-1, 0, 0, 0, 1, 1)), face(m_Table.GetCardObj(3, 12, -1, 0, 2, 0.5));
  ASSERT_NE(back, nullptr);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(back->GetLook().Row, -1);
  EXPECT_EQ(face->GetLook().Row, 3);
  EXPECT_EQ(face->GetLook().Column, 12);
  EXPECT_EQ(face->GetLook().U0, 0.0) << "clamped";
  EXPECT_EQ(face->GetLook().U1, 1.0);
  EXPECT_EQ(face->GetLook().V1, 0.5);
}

TEST_F(Pockets, RemovingCardsTakesTheTopOnesAway) {
  EXPECT_EQ(m_Pocket->RemoveCard(), 0);
  EXPECT_EQ(m_Pocket->RemoveCards(), 0);
  for (int32_t code : {4, 5, 6}) m_Pocket->AddCard(code);
  ASSERT_EQ(m_Pocket->RemoveCard(), 1);
  EXPECT_EQ(m_Pocket->GetNumCards(), 2);
  EXPECT_EQ(m_Pocket->GetCard(), 5);
  ASSERT_EQ(m_Pocket->RemoveCards(), 1);
  EXPECT_EQ(m_Pocket->GetNumCards(), 0);
}

TEST_F(Pockets, ACloneKeepsFlyingAfterItsPocketWasEmptied) {
  m_Pocket->AddCard(12);
  CObject* original = nullptr;
  m_Pocket->GetCard(original, 0);
  auto clone = std::make_unique<CObject>();
  ASSERT_EQ(clone->Clone(original), 1);
  ExpectSamePose(PoseOf(*clone), PoseOf(*original), "cloned");
  EXPECT_EQ(clone->GetLook().Column, 12);
  EXPECT_EQ(clone->Clone(nullptr), 0);

  C3DMove away;
  away.Init(clone.get(), 6);
  away.SetX(0.12, 0, 0.9, 0);
  C3DMoveList list;
  list.Init(1, 1);
  list.AddMove(&away);
  ASSERT_EQ(m_Table.StartAnim(&list, clone.get()), 1);
  m_Table.Handler();
  ASSERT_EQ(m_Pocket->RemoveCards(), 1);  // the original dies
  for (int32_t f = 0; f < 5; ++f) m_Table.Handler();
  EXPECT_EQ(clone->GetPose()[POSE_X], 0.9);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0);
  m_Table.RemoveAllPolygons();
}

TEST_F(Pockets, ACardRemovedInFlightLeavesTheScene) {
  m_Pocket->AddCard(1);
  CObject* card = nullptr;
  m_Pocket->GetCard(card, 0);
  m_Table.StartAnim(m_Pocket->GetMove(0), card);
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 1);
  m_Pocket->RemoveCard();
  EXPECT_EQ(m_Table.IsAnyPolyAnim(), 0);
  EXPECT_EQ(m_Table.GetNumAnims(), 0);
  m_Table.Handler();
}

// The module's tear-down: its lists and moves go first, then the table ends with lists still
// playing, twice; objects it owns die after the table ended.
TEST(TableExit, WithListsStillPlayingFreesOnlyWhatTheTableMade) {
  auto table = std::make_unique<CCardTable>();
  ASSERT_EQ(table->Init(16, 4, 13, 13), 1);
  CObject* shoe = table->GetCardObj(-1, 0, 0, 0, 1, 1);
  CObject* clone = new CObject;
  auto* move = new C3DMove;
  move->Init(nullptr, 30);
  move->SetY(0, 0.1, 0, 0.1);
  auto* list = new C3DMoveList;
  list->Init(1, 1);
  list->AddMove(move);
  table->GetPocket(5)->AddMove(list);
  table->GetPocket(5)->AddCard(9);
  CObject* card = nullptr;
  table->GetPocket(5)->GetCard(card, 0);
  clone->Clone(card);
  table->StartAnim(list, card);
  table->StartAnim(list, clone);
  table->StartAnim(list, shoe);
  table->Handler();
  delete move;  // FreeMoveTable
  delete list;
  ASSERT_EQ(table->IsAnyPolyAnim(), 3);
  EXPECT_EQ(table->Exit(), 1);
  EXPECT_EQ(table->Exit(), 1);
  EXPECT_EQ(table->GetPocket(5), nullptr);
  EXPECT_EQ(table->IsAnyPolyAnim(), 0);
  table->Handler();
  delete shoe;
  table.reset();
  delete clone;  // after the table is gone
}

}  // namespace
