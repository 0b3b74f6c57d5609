// The deal table: every pocket's lists in the order the cards need them, and each move type's
// stages, frames, start and end poses and shaping against the layout's formulas, computed here
// from the script's keys.
#include <cmath>

#include "kavoviewtable.h"

namespace {

struct SAxisWant {
  double Start, A, End, B;
};
struct SStageWant {
  int32_t Frames;
  SAxisWant Axes[POSE_AXES];
};

class Moves : public CKavoViews {
 protected:
  double At(const char* key, int32_t i) { return Keys(key)[static_cast<size_t>(i)]; }

  // The stages a move type must have, from the keys (the card's tilt as given).
  std::vector<SStageWant> Want(int32_t type, int32_t card, double tilt) {
    const double h = Key("TABLEY"), s = Key("TABLEYSTRENGTH");
    // The dealer's card of that index: the hole card lies at his second place, beside the up card.
    const double p = At("DECKPOS", 10) + card * At("DECKOFFSET", 10), q = At("DECKPOS", 11) + card * At("DECKOFFSET", 11);
    const double dealerRot = At("DECKROTZ", 5);
    const double r = dealerRot + tilt, sx = p + Key("SCANXOFFSET"), sy = h + Key("SCANYOFFSET"), scan = Key("SCANXROT");
    const int32_t scanFrames = static_cast<int32_t>(Key("SCANSPEED")), turnFrames = static_cast<int32_t>(Key("DECK5TURNSPEED"));
    const double o[6] = {Key("DEALORGX"), Key("DEALORGY"), Key("DEALORGZ"), Key("DEALORGROTX"), Key("DEALORGROTY"), Key("DEALORGROTZ")};
    const double house[6] = {Key("CARDHOUSEX"), Key("CARDHOUSEY"), Key("CARDHOUSEZ"), Key("CARDHOUSEROTX"), Key("CARDHOUSEROTY"), Key("CARDHOUSEROTZ")};
    SStageWant leadIn{4, {}};
    for (int32_t a = 0; a < 6; ++a) leadIn.Axes[a] = {house[a], 0, o[a], 0};
    auto deal = [&](int32_t i, int32_t seat) {
      const double x = At("DECKPOS", 2 * i) + card * At("DECKOFFSET", 2 * i);
      const double z = At("DECKPOS", 2 * i + 1) + card * At("DECKOFFSET", 2 * i + 1);
      return std::vector<SStageWant>{leadIn, {static_cast<int32_t>(At("DECKSPEED", seat)),
                                              {{o[0], -0.04, x, 0}, {o[1], s, h, s}, {o[2], -0.04, z, 0.02},
                                               {o[3], 0, -90, 0}, {o[4], 0, 0, 0}, {o[5], 0, At("DECKROTZ", i), 0}}}};
    };
    auto dealer = [&](int32_t frames, SAxisWant x, SAxisWant y, SAxisWant rx, SAxisWant ry, double rz) {
      return SStageWant{frames, {x, y, {q, 0, q, 0}, rx, ry, {rz, 0, rz, 0}}};
    };
    if (type >= 0 && type <= 5) return deal(type, type);
    if (type >= 18 && type <= 27) {
      const int32_t seat = (type - 18) / 2;
      return deal((type % 2 == 0 ? 6 : 11) + seat, seat);
    }
    if (type >= 8 && type <= 17) {
      const int32_t k = (type - 8) / 2, to = (type % 2 == 0 ? 6 : 11) + k;
      return {{static_cast<int32_t>(Key("SPLITSPEED")),
               {{At("DECKPOS", 2 * k), 0, At("DECKPOS", 2 * to), 0}, {h, 0, h, 0},
                {At("DECKPOS", 2 * k + 1), 0, At("DECKPOS", 2 * to + 1), 0}, {-90, 0, -90, 0}, {0, 0, 0, 0},
                {At("DECKROTZ", k), 0, At("DECKROTZ", to), 0}}}};
    }
    switch (type) {
      case 6:
        return {leadIn, {static_cast<int32_t>(At("DECKSPEED", 5)),
                         {{o[0], -0.05, p, 0}, {o[1], s - 0.005, h, s - 0.005}, {o[2], -0.05, q, 0.02},
                          {o[3], 0, 90, 0}, {o[4], 0, 0, 0}, {o[5], 0, r, 0}}}};
      case 7: return {dealer(turnFrames, {p, 0.035, p, 0}, {h, s, h, s}, {90, 0, 90, 0}, {0, 0, -180, 0}, r)};
      case 28: return {dealer(scanFrames, {p, 0, sx, 0}, {h, 0, h, 0}, {90, 0, 90, 0}, {0, 0, 0, 0}, r)};
      case 29: return {dealer(scanFrames, {sx, 0, sx, 0}, {h, 0, sy, 0}, {90, 0, scan, 0}, {0, 0, 0, 0}, r)};
      case 30:
        return {dealer(scanFrames, {sx, 0, sx, 0}, {sy, 0, h, 0}, {scan, 0, 90, 0}, {0, 0, 0, 0}, dealerRot - tilt),
                dealer(turnFrames, {sx, 0.035, p, 0}, {h, s, h, s}, {90, 0, 90, 0}, {0, 0, -180, 0}, r)};
      case 31:
        return {dealer(scanFrames, {sx, 0, sx, 0}, {sy, 0, h, 0}, {scan, 0, 90, 0}, {0, 0, 0, 0}, r),
                dealer(scanFrames, {sx, 0, p, 0}, {h, 0, h, 0}, {90, 0, 90, 0}, {0, 0, 0, 0}, r)};
      default: return {};
    }
  }

  // The list plays the stages: frames, and each axis's start, end and shaping at its middle.
  void ExpectList(C3DMoveList* list, const std::vector<SStageWant>& want, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->GetNumMoves(), static_cast<int32_t>(want.size()));
    for (size_t m = 0; m < want.size(); ++m) {
      const C3DMove* move = list->GetMove(static_cast<int32_t>(m));
      EXPECT_EQ(move->GetFrames(), want[m].Frames) << "move " << m;
      const int32_t steps = move->GetSteps(), mid = steps / 2;
      double start[POSE_AXES] = {}, end[POSE_AXES] = {}, middle[POSE_AXES] = {};
      move->Apply(0, start);
      move->Apply(steps, end);
      move->Apply(mid, middle);
      for (int32_t a = 0; a < POSE_AXES; ++a) {
        const SAxisWant& w = want[m].Axes[a];
        ASSERT_TRUE(move->HasAxis(a)) << "move " << m << " axis " << a;
        EXPECT_NEAR(start[a], w.Start, 1e-9) << "move " << m << " axis " << a;
        EXPECT_NEAR(end[a], w.End, 1e-9) << "move " << m << " axis " << a;
        EXPECT_NEAR(middle[a], xMoveValue(w.Start, w.A, w.End, w.B, mid, steps), 1e-9) << "move " << m << " axis " << a;
      }
    }
  }
};

TEST_F(Moves, EveryPocketHoldsItsDealsInTheOrderItsCardsComeAndEachPlaysTheLayoutsPath) {
  const int32_t most = static_cast<int32_t>(Key("MAXCARDSINPOCKET"));
  ASSERT_EQ(most, 20);
  CCardTable& scene = m_Table->GetCardTable();
  const double tilt = Key("CARDROTANGLE");
  int32_t lists = 0;
  for (int32_t p = 0; p < 16; ++p) {
    CPocket* pocket = scene.GetPocket(p);
    ASSERT_NE(pocket, nullptr);
    // Seats: card c; the dealer: card c, then the hole card, its turn and the four peek stages;
    // split hands: the split, then card c from 1.
    std::vector<std::pair<int32_t, int32_t>> want;  // (type, card)
    if (p < 6) {
      for (int32_t c = 0; c < most; ++c) want.emplace_back(p, c);
      if (p == 5)
        for (int32_t type : {6, 7, 28, 29, 31, 30}) want.emplace_back(type, 1);
    } else {
      want.emplace_back(p + 2, 0);
      for (int32_t c = 1; c < most; ++c) want.emplace_back(p + 12, c);
    }
    ASSERT_EQ(pocket->GetNumMoves(), static_cast<int32_t>(want.size())) << "pocket " << p;
    for (size_t k = 0; k < want.size(); ++k, ++lists)
      ExpectList(pocket->GetMove(static_cast<int32_t>(k)), Want(want[k].first, want[k].second, tilt),
                 "pocket " + std::to_string(p) + " list " + std::to_string(k) + " type " + std::to_string(want[k].first));
  }
  EXPECT_EQ(lists, 6 * 20 + 6 + 10 * 20);
}

TEST_F(Moves, EachTypeAndCardPlaysItsStagesWithTheTiltAddedSaveInTheTurningLowering) {
  // A tilted hole card shows the one row that takes the tilt off.
  m_Table->Layout().CardRotAngle = 7.5;
  CObject card;
  const struct {
    int32_t Type, Card;
  } cases[] = {{0, 0}, {0, 3}, {2, 1}, {4, 19}, {5, 0}, {5, 2}, {6, 1}, {7, 1},  {8, 0},  {9, 0},  {12, 0}, {17, 0},
               {18, 1}, {19, 1}, {22, 2}, {25, 4}, {27, 19}, {28, 1}, {29, 1}, {30, 1}, {31, 1}};
  for (const auto& c : cases) {
    C3DMoveList* list = m_Table->CreateMoveList(c.Type, c.Card, &card);
    ExpectList(list, Want(c.Type, c.Card, 7.5), "type " + std::to_string(c.Type) + " card " + std::to_string(c.Card));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Get(), list->GetMove(0)) << "positioned at its first move";
    for (int32_t m = 0; m < list->GetNumMoves(); ++m) EXPECT_EQ(list->GetMove(m)->GetObject(), &card);
  }
}

TEST_F(Moves, OnlyCardsComingFromTheShoeTakeTheLeadInAndThePeekEndsInTwoStages) {
  CObject card;
  for (int32_t type = 0; type < 32; ++type) {
    SCOPED_TRACE("type " + std::to_string(type));
    C3DMoveList* list = m_Table->CreateMoveList(type, 1, &card);
    ASSERT_NE(list, nullptr);
    const bool fromShoe = type <= 6 || (type >= 18 && type <= 27);
    const bool twoStages = type == 30 || type == 31;
    ASSERT_EQ(list->GetNumMoves(), fromShoe || twoStages ? 2 : 1);
    double start[POSE_AXES] = {}, end[POSE_AXES] = {};
    list->GetMove(0)->Apply(0, start);
    list->GetMove(0)->Apply(list->GetMove(0)->GetSteps(), end);
    const bool leadIn = list->GetMove(0)->GetFrames() == 4 && start[POSE_X] == Key("CARDHOUSEX") &&
                        end[POSE_X] == Key("DEALORGX") && end[POSE_RZ] == Key("DEALORGROTZ");
    EXPECT_EQ(leadIn, fromShoe);
  }
  EXPECT_EQ(m_Table->CreateMoveList(-1, 0, &card), nullptr);
  EXPECT_EQ(m_Table->CreateMoveList(32, 0, &card), nullptr);
}

TEST_F(Moves, TheHoleCardRestsBesideTheUpCardNotOnIt) {
  CCardTable& scene = m_Table->GetCardTable();
  ASSERT_EQ(m_Table->SetCameraView(2), 1);
  CPocket* dealer = scene.GetPocket(5);
  ASSERT_EQ(dealer->AddCard(22), 1);
  ASSERT_EQ(dealer->AddCard(0), 1);
  CObject* hole = nullptr;
  dealer->GetCard(hole, 1);
  const int32_t most = m_Table->GetMaxCardsInPocket();
  // Dealt face down, turned, peeked at and put back, or turned at the end of the peek.
  for (int32_t list : {most, most + 1, most + 4, most + 5}) {
    ASSERT_EQ(scene.DrawLastFrame(dealer->GetMove(list), hole), 1);
    CRect up, down;
    ASSERT_EQ(dealer->GetClip(0, &up), 1);
    ASSERT_EQ(dealer->GetClip(1, &down), 1);
    EXPECT_GT(down.left, up.left + up.Width() / 3) << "list " << list << ": the up card's index shows";
    EXPECT_LT(down.left, up.right) << "list " << list << ": tucked against it";
  }
}

TEST_F(Moves, ATableWithoutCardsBuildsNoDeals) {
  CViewTable bare;
  EXPECT_EQ(bare.BuildMoveTable(), 0);
  bare.FreeMoveTable();
  // Freed and built again on the standing table: the same lists' worth.
  m_Table->FreeMoveTable();
  ASSERT_EQ(m_Table->GetCardTable().Init(16, 4, 13, 13), 1);
  ASSERT_EQ(m_Table->GetCardTable().LoadTextures(), 1);
  ASSERT_EQ(m_Table->BuildMoveTable(), 1);
  EXPECT_EQ(m_Table->GetCardTable().GetPocket(5)->GetNumMoves(), 26);
  // Frame counts that are not counts refuse the move.
  CObject card;
  m_Table->Layout().DeckSpeed[0] = std::nan("");
  EXPECT_EQ(m_Table->CreateMoveList(0, 0, &card), nullptr);
  m_Table->Layout().DeckSpeed[0] = -3;
  EXPECT_EQ(m_Table->CreateMoveList(0, 0, &card), nullptr);
}

}  // namespace
