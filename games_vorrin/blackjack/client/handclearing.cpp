// The end of a round on the felt: the cards gathered hand by hand onto the next hand and into the
// discard tray, one card per call, and the redraws that keep the table picture whole around them.
#include "client/clienttable.h"

#include <algorithm>

#include "client/playerdata.h"
#include "fennic/move.h"
#include "fennic/object.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kDealer = KAVO_NUM_SEATS;
// A seat's hands in the order they are cleared: the second split hand, the first, the seat's own.
constexpr int32_t kHandsPerSeat = 3;
constexpr int32_t kRedrawMargin = 2;
constexpr double kArcY = 0.015, kArcRotY = 0.5;

CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }

// Draws with the screen clipped to the rectangle grown by the margin (or unclipped).
template <class Draw>
void Clipped(const CRect* rect, Draw draw) {
  CScreenBase* screen = Screen();
  if (!rect || !screen || !screen->PushClip()) {
    draw();
    return;
  }
  screen->SetClip(rect->left - kRedrawMargin, rect->top - kRedrawMargin, rect->right + kRedrawMargin,
                  rect->bottom + kRedrawMargin);
  draw();
  screen->PopClip();
}
// The card below the top one of a pocket, face up at its place on the felt.
void OntoCardBelow(CPocket* pocket, double tableY, double rotZ, double (&to)[6]) {
  CObject* below = nullptr;
  pocket->GetCard(below, pocket->GetNumCards() - 2);
  const double(&at)[POSE_AXES] = below->GetPose();
  const double pose[POSE_AXES] = {at[POSE_X], tableY, at[POSE_Z], -90, 0, rotZ};
  std::copy(std::begin(pose), std::end(pose), to);
}
}  // namespace

// ---- redrawing ----

void CBlackJackClientTable::DrawRecordHand(int32_t seat) {
  CBlackJackPlayerData* record = GetPlayerRecord(seat);
  if (!record) return;
  record->DrawHand();
  // The hole card lies tucked under the up card until it is turned.
  CPocket* dealer = seat == kDealer ? m_CardTable.GetPocket(kDealer) : nullptr;
  if (!dealer || dealer->GetNumCards() < 2) return;
  CObject* hole = nullptr;
  dealer->GetCard(hole, 1);
  if (hole && hole->GetFaceNormal().y < 0) m_CardTable.DrawCard(kDealer, 0, nullptr);
}

void CBlackJackClientTable::RedrawAllHands(const CRect* rect) { RedrawOtherHands(-1, rect); }

void CBlackJackClientTable::RedrawOtherHands(int32_t seat, const CRect* rect) {
  Clipped(rect, [&] {
    for (int32_t s = kDealer; s >= 0; --s)
      if (s != seat) DrawRecordHand(s);
  });
}

void CBlackJackClientTable::RedrawHandsInRect(int32_t seat, const CRect* rect) {
  // The seat's own hand last, so that it stays on top of the neighbours it overlaps.
  Clipped(rect, [&] {
    for (int32_t s = kDealer; s >= 0; --s)
      if (s != seat) DrawRecordHand(s);
    DrawRecordHand(seat);
  });
}

void CBlackJackClientTable::DrawPictureOver(const CRect& area) {
  CScreenBase* screen = Screen();
  if (!screen || !m_pTablePicture) return;
  const int32_t left = std::max(area.left, 0), top = std::max(area.top, 0);
  const int32_t right = std::min(area.right, m_pTablePicture->m_Width - 1);
  const int32_t bottom = std::min(area.bottom, m_pTablePicture->m_Height - 1);
  if (right < left || bottom < top) return;
  screen->DrawBitmapPersistent(m_pTablePicture, left, top, left, top, right - left + 1, bottom - top + 1,
                               BLT_MODE_COPY, 0);
}

void CBlackJackClientTable::RestoreClearAreas() {
  for (const CRect& area : m_ClearAreas) DrawPictureOver(area);
  UpdatePlayerIcons();
}

void CBlackJackClientTable::EraseDealerPlaceholder() {
  CPocket* dealer = m_CardTable.GetPocket(kDealer);
  if (!dealer || !dealer->AddCard(0)) return;
  // Measured, not drawn: where a card of the dealer's would lie next.
  const int32_t persistent = m_CardTable.m_DrawPersistent, screen = m_CardTable.m_DrawScreen,
                pixels = m_CardTable.m_DrawPixels;
  m_CardTable.m_DrawPersistent = 0;
  m_CardTable.m_DrawScreen = 1;
  m_CardTable.m_DrawPixels = 0;
  // The placeholder's place alone: the up card beside it stays, and is drawn again where the
  // two overlap.
  CRect area;
  const int32_t measured = m_CardTable.DrawCard(kDealer, dealer->GetNumCards() - 1, &area);
  m_CardTable.m_DrawPersistent = persistent;
  m_CardTable.m_DrawScreen = screen;
  m_CardTable.m_DrawPixels = pixels;
  dealer->RemoveCard();
  if (!measured) return;
  area.Inflate(kRedrawMargin, kRedrawMargin);
  DrawPictureOver(area);
  RedrawAllHands(&area);
}

void CBlackJackClientTable::CloseTableInfoPopup() {
  if (!m_pTableInfoPopup) return;
  m_pTableInfoPopup->Destroy();
  delete m_pTableInfoPopup;
  m_pTableInfoPopup = nullptr;
}

// ---- clearing ----

bool CBlackJackClientTable::ClearHandAt(int32_t seat, int32_t which, SClearHand& hand) const {
  if (seat < 0 || seat >= KAVO_NUM_SEATS || which < 0 || which >= kHandsPerSeat) return false;
  switch (which) {
    case 0: hand = {KAVO_NUM_SEATS + 2 * seat + 2, 2 * KAVO_NUM_SEATS + 1 + seat}; break;
    case 1: hand = {KAVO_NUM_SEATS + 2 * seat + 1, KAVO_NUM_SEATS + 1 + seat}; break;
    default: hand = {seat, seat}; break;
  }
  return true;
}

bool CBlackJackClientTable::NextHandWithCards(int32_t seat, int32_t which, SClearHand& hand) {
  for (int32_t w = which + 1, s = seat; s >= 0; w = 0, --s)
    for (; w < kHandsPerSeat; ++w) {
      CPocket* pocket = ClearHandAt(s, w, hand) ? m_CardTable.GetPocket(hand.Pocket) : nullptr;
      if (pocket && pocket->GetNumCards() > 0) return true;
    }
  return false;
}

void CBlackJackClientTable::ClearCard(int32_t seat, int32_t pocketIndex, const double (&to)[6], double frames, bool arc) {
  CPocket* pocket = m_CardTable.GetPocket(pocketIndex);
  CObject* card = nullptr;
  const int32_t top = pocket ? pocket->GetNumCards() - 1 : -1;
  if (top < 0) return;
  pocket->GetCard(card, top);
  if (!card) return;
  auto clone = std::make_unique<CObject>();
  clone->Clone(card);
  CRect area;
  const int32_t shown = pocket->GetClip(top, &area);
  if (shown) {
    CRect grown = area;
    grown.Inflate(kRedrawMargin, kRedrawMargin);
    DrawPictureOver(grown);
  }
  pocket->RemoveCard();
  if (shown) RedrawHandsInRect(seat, &area);

  auto move = std::make_unique<C3DMove>();
  const double span = frames >= 0 && frames < 1e6 ? frames : 0;
  move->Init(clone.get(), static_cast<int32_t>(span));
  const double(&from)[POSE_AXES] = clone->GetPose();
  for (int32_t a = 0; a < POSE_AXES; ++a) move->SetAxis(a, from[a], 0, to[a], 0);
  if (arc) {
    move->SetY(from[POSE_Y], kArcY, to[POSE_Y], kArcY);
    move->SetRotY(from[POSE_RY], kArcRotY, to[POSE_RY], kArcRotY);
  }
  auto list = std::make_unique<C3DMoveList>();
  list->Init(1, 1);
  list->AddMove(move.get());
  list->First();
  if (IsReconnecting()) {
    m_CardTable.DrawLastFrame(list.get(), clone.get());
  } else {
    m_CardTable.StartAnim(list.get(), clone.get());
    m_Animation = 1;  // the card step plays it, then the clearing goes on
  }
  m_ClearClones.push_back(std::move(clone));
  m_ClearMoves.push_back(std::move(move));
  m_ClearLists.push_back(std::move(list));
}

int32_t CBlackJackClientTable::ClearHandsStep(int32_t& done) {
  done = 0;
  for (; m_ClearSeat >= 0; NextClearHand()) {
    SClearHand hand{};
    ClearHandAt(m_ClearSeat, m_ClearWhich, hand);
    CPocket* pocket = m_CardTable.GetPocket(hand.Pocket);
    const int32_t n = pocket ? pocket->GetNumCards() : 0;
    if (n == 0) continue;
    double to[POSE_AXES];
    if (n > 1) {
      OntoCardBelow(pocket, m_Layout.TableY, m_Layout.DeckRotZ[hand.Position], to);
      ClearCard(m_ClearSeat, hand.Pocket, to, m_Layout.ClearSpeedSmall, false);
      return 1;
    }
    SClearHand next{};
    if (NextHandWithCards(m_ClearSeat, m_ClearWhich, next)) {
      CPocket* onto = m_CardTable.GetPocket(next.Pocket);
      CObject* topCard = nullptr;
      onto->GetCard(topCard, onto->GetNumCards() - 1);
      const double(&at)[POSE_AXES] = topCard->GetPose();
      std::copy(std::begin(at), std::end(at), to);
      ClearCard(m_ClearSeat, hand.Pocket, to, m_Layout.ClearSpeedBig, true);
    } else {
      std::copy(std::begin(m_Layout.Discard), std::end(m_Layout.Discard), to);
      ClearCard(m_ClearSeat, hand.Pocket, to, m_Layout.ClearSpeedBig, false);
    }
    return 1;
  }
  FreeClearing();
  done = 1;
  return 1;
}

int32_t CBlackJackClientTable::ClearDealerCard(int32_t& done) {
  done = 0;
  CPocket* pocket = m_CardTable.GetPocket(kDealer);
  const int32_t n = pocket ? pocket->GetNumCards() : 0;
  if (n == 0) {
    FreeClearing();
    done = 1;
    return 1;
  }
  double to[POSE_AXES];
  if (n > 1) {
    OntoCardBelow(pocket, m_Layout.TableY, m_Layout.DeckRotZ[kDealer], to);
    ClearCard(kDealer, kDealer, to, m_Layout.ClearSpeedSmall, false);
  } else {
    std::copy(std::begin(m_Layout.Discard), std::end(m_Layout.Discard), to);
    ClearCard(kDealer, kDealer, to, m_Layout.ClearSpeedBig, false);
  }
  return 1;
}

void CBlackJackClientTable::NextClearHand() {
  if (++m_ClearWhich < kHandsPerSeat) return;
  m_ClearWhich = 0;
  --m_ClearSeat;
}

void CBlackJackClientTable::FreeClearing() {
  m_ClearLists.clear();
  m_ClearMoves.clear();
  m_ClearClones.clear();
  m_ClearSeat = KAVO_NUM_SEATS - 1;
  m_ClearWhich = 0;
}
