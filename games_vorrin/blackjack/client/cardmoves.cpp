// The scripted card moves of the table: every deal, split, hole card, turn-over and the dealer's
// peek, built once at set-up and hung on the pockets the cards land in.
#include "client/clienttable.h"

#include "fennic/move.h"
#include "fennic/object.h"

namespace {
enum : int32_t {
  KAVOMOVE_DEAL_SEAT = 0,      // 0-5: into seat hands 0-4 and the dealer's
  KAVOMOVE_DEAL_DEALER = 5,
  KAVOMOVE_HOLE_CARD = 6,
  KAVOMOVE_TURN_HOLE = 7,
  KAVOMOVE_SPLIT_FIRST = 8,    // 8-17: a seat's second card into its split hands
  KAVOMOVE_SPLIT_LAST = 17,
  KAVOMOVE_DEAL_SPLIT = 18,    // 18-27: into the split hands
  KAVOMOVE_DEAL_SPLIT_LAST = 27,
  KAVOMOVE_PEEK_OUT = 28,
  KAVOMOVE_PEEK_LIFT = 29,
  KAVOMOVE_PEEK_BACK_TURN = 30,
  KAVOMOVE_PEEK_BACK = 31,
};
constexpr int32_t kDealerPosition = KAVO_NUM_SEATS;
constexpr int32_t kLeadInFrames = 4;
// Frame counts come from the script: beyond this (or not a number) the move is refused.
constexpr double kMostFrames = 100000;
constexpr double kFaceUp = -90, kFaceDown = 90;
// The pockets of the split hands and where their positions start.
constexpr int32_t kFirstSplitPocket = KAVO_NUM_SEATS + 1;
constexpr int32_t kFirstSplitPosition = KAVO_NUM_SEATS + 1, kSecondSplitPosition = 2 * KAVO_NUM_SEATS + 1;

// One axis of a move: start, shaping, end, shaping.
struct SAxis {
  double Start, A, End, B;
};
struct SStage {
  double Frames;
  SAxis Axes[POSE_AXES];
};
}  // namespace

C3DMoveList* CBlackJackClientTable::CreateMoveList(int32_t type, int32_t card, CObject* object) {
  const SKavoLayout& l = m_Layout;
  const double h = l.TableY, s = l.TableYStrength;
  // The dealer's card at this index: the hole card (index 1) rests at the dealer's second place,
  // beside his up card, not on it, where it would hide the card the players decide by.
  const double p = l.DeckPos[2 * kDealerPosition] + card * l.DeckOffset[2 * kDealerPosition];
  const double q = l.DeckPos[2 * kDealerPosition + 1] + card * l.DeckOffset[2 * kDealerPosition + 1];
  const double r = l.DeckRotZ[kDealerPosition] + l.CardRotAngle;
  const double sx = p + l.ScanXOffset, sy = h + l.ScanYOffset;
  const double* org = l.DealOrg;

  // The deal into position i with the frames of seat f.
  auto deal = [&](int32_t i, int32_t f) {
    const double x = l.DeckPos[2 * i] + card * l.DeckOffset[2 * i], z = l.DeckPos[2 * i + 1] + card * l.DeckOffset[2 * i + 1];
    return SStage{l.DeckSpeed[f],
                  {{org[0], -0.04, x, 0}, {org[1], s, h, s}, {org[2], -0.04, z, 0.02},
                   {org[3], 0, kFaceUp, 0}, {org[4], 0, 0, 0}, {org[5], 0, l.DeckRotZ[i], 0}}};
  };
  // The dealer's card lying still at (x, q) and angle rz (y and the turn as given).
  auto still = [&](double frames, SAxis x, SAxis y, SAxis rotX, SAxis rotY, double rz) {
    return SStage{frames, {x, y, {q, 0, q, 0}, rotX, rotY, {rz, 0, rz, 0}}};
  };

  std::vector<SStage> stages;
  bool leadIn = false;
  if (type >= KAVOMOVE_DEAL_SEAT && type <= KAVOMOVE_DEAL_DEALER) {
    leadIn = true;
    stages.push_back(deal(type, type));
  } else if (type >= KAVOMOVE_DEAL_SPLIT && type <= KAVOMOVE_DEAL_SPLIT_LAST) {
    leadIn = true;
    const int32_t seat = (type - KAVOMOVE_DEAL_SPLIT) / 2;
    const bool second = (type - KAVOMOVE_DEAL_SPLIT) % 2 == 1;
    stages.push_back(deal((second ? kSecondSplitPosition : kFirstSplitPosition) + seat, seat));
  } else if (type == KAVOMOVE_HOLE_CARD) {
    leadIn = true;
    stages.push_back({l.DeckSpeed[kDealerPosition],
                      {{org[0], -0.05, p, 0}, {org[1], s - 0.005, h, s - 0.005}, {org[2], -0.05, q, 0.02},
                       {org[3], 0, kFaceDown, 0}, {org[4], 0, 0, 0}, {org[5], 0, r, 0}}});
  } else if (type == KAVOMOVE_TURN_HOLE) {
    stages.push_back(still(l.Deck5TurnSpeed, {p, 0.035, p, 0}, {h, s, h, s}, {kFaceDown, 0, kFaceDown, 0},
                           {0, 0, -180, 0}, r));
  } else if (type >= KAVOMOVE_SPLIT_FIRST && type <= KAVOMOVE_SPLIT_LAST) {
    const int32_t seat = (type - KAVOMOVE_SPLIT_FIRST) / 2;
    const int32_t to = ((type - KAVOMOVE_SPLIT_FIRST) % 2 ? kSecondSplitPosition : kFirstSplitPosition) + seat;
    stages.push_back({l.SplitSpeed,
                      {{l.DeckPos[2 * seat], 0, l.DeckPos[2 * to], 0}, {h, 0, h, 0},
                       {l.DeckPos[2 * seat + 1], 0, l.DeckPos[2 * to + 1], 0}, {kFaceUp, 0, kFaceUp, 0}, {0, 0, 0, 0},
                       {l.DeckRotZ[seat], 0, l.DeckRotZ[to], 0}}});
  } else if (type == KAVOMOVE_PEEK_OUT) {
    stages.push_back(still(l.ScanSpeed, {p, 0, sx, 0}, {h, 0, h, 0}, {kFaceDown, 0, kFaceDown, 0}, {0, 0, 0, 0}, r));
  } else if (type == KAVOMOVE_PEEK_LIFT) {
    stages.push_back(still(l.ScanSpeed, {sx, 0, sx, 0}, {h, 0, sy, 0}, {kFaceDown, 0, l.ScanXRot, 0}, {0, 0, 0, 0}, r));
  } else if (type == KAVOMOVE_PEEK_BACK_TURN || type == KAVOMOVE_PEEK_BACK) {
    // The lowering of the turn-over takes the angle less the card's tilt where the others add it.
    const double lowered = type == KAVOMOVE_PEEK_BACK_TURN ? l.DeckRotZ[kDealerPosition] - l.CardRotAngle : r;
    stages.push_back(still(l.ScanSpeed, {sx, 0, sx, 0}, {sy, 0, h, 0}, {l.ScanXRot, 0, kFaceDown, 0}, {0, 0, 0, 0}, lowered));
    if (type == KAVOMOVE_PEEK_BACK_TURN)
      stages.push_back(still(l.Deck5TurnSpeed, {sx, 0.035, p, 0}, {h, s, h, s}, {kFaceDown, 0, kFaceDown, 0},
                             {0, 0, -180, 0}, r));
    else
      stages.push_back(still(l.ScanSpeed, {sx, 0, p, 0}, {h, 0, h, 0}, {kFaceDown, 0, kFaceDown, 0}, {0, 0, 0, 0}, r));
  } else {
    return nullptr;
  }
  if (leadIn) {
    SStage in{kLeadInFrames, {}};
    for (int32_t a = 0; a < POSE_AXES; ++a) in.Axes[a] = {l.CardHouse[a], 0, l.DealOrg[a], 0};
    stages.insert(stages.begin(), in);
  }

  auto list = std::make_unique<C3DMoveList>();
  list->Init(1, 1);
  for (const SStage& stage : stages) {
    if (!(stage.Frames >= 0 && stage.Frames <= kMostFrames)) return nullptr;
    auto move = std::make_unique<C3DMove>();
    if (!move->Init(object, static_cast<int32_t>(stage.Frames))) return nullptr;
    for (int32_t a = 0; a < POSE_AXES; ++a) {
      const SAxis& v = stage.Axes[a];
      if (!move->SetAxis(a, v.Start, v.A, v.End, v.B)) return nullptr;
    }
    list->AddMove(move.get());
    m_DealMoves.push_back(std::move(move));
  }
  list->First();
  m_DealLists.push_back(std::move(list));
  return m_DealLists.back().get();
}

int32_t CBlackJackClientTable::BuildMoveTable() {
  m_pMoveTemplate.reset(m_CardTable.GetCardObj(2, 8, 0, 0, 1, 1));
  if (!m_pMoveTemplate) return 0;
  CObject* object = m_pMoveTemplate.get();
  auto add = [&](int32_t pocket, int32_t type, int32_t card) {
    CPocket* into = m_CardTable.GetPocket(pocket);
    C3DMoveList* list = into ? CreateMoveList(type, card, object) : nullptr;
    return list && into->AddMove(list);
  };
  const int32_t pockets = KAVO_HAND_POSITIONS;
  // List 0 of a split pocket: the seat's second card moving over.
  for (int32_t p = kFirstSplitPocket; p < pockets; ++p)
    if (!add(p, p + KAVOMOVE_SPLIT_FIRST - kFirstSplitPocket, 0)) return 0;
  // List c: card c of the hand.
  for (int32_t c = 0; c < m_Layout.MaxCardsInPocket; ++c) {
    for (int32_t p = 0; p < kFirstSplitPocket; ++p)
      if (!add(p, KAVOMOVE_DEAL_SEAT + p, c)) return 0;
    if (c == 0) continue;
    for (int32_t p = kFirstSplitPocket; p < pockets; ++p)
      if (!add(p, p + KAVOMOVE_DEAL_SPLIT - kFirstSplitPocket, c)) return 0;
  }
  // After the dealer's deals: the hole card, its turn and the four stages of the peek.
  for (int32_t type : {KAVOMOVE_HOLE_CARD, KAVOMOVE_TURN_HOLE, KAVOMOVE_PEEK_OUT, KAVOMOVE_PEEK_LIFT, KAVOMOVE_PEEK_BACK,
                       KAVOMOVE_PEEK_BACK_TURN})
    if (!add(kDealerPosition, type, 1)) return 0;
  return 1;
}

void CBlackJackClientTable::FreeMoveTable() {
  FreeClearing();
  m_DealLists.clear();
  m_DealMoves.clear();
  m_pMoveTemplate.reset();
}
