#include "fennic/pocket.h"

#include "fennic/cardtable.h"

namespace {
// Widens total by r; the first rectangle becomes total.
void Join(CRect* total, int32_t* any, CRect r) {
  if (*any) {
    CRect before(*total);
    total->Union(&before, &r);
  } else {
    *total = r;
  }
  *any = 1;
}
}  // namespace

CPocket::~CPocket() { RemoveCards(); }

int32_t CPocket::AddCard(int32_t code) {
  if (GetNumCards() >= FENNIC_POCKET_CARDS) return 0;
  TCardLook look;
  if (!m_pTable->CodeLook(code, &look)) return 0;
  auto object = std::make_unique<CObject>();
  object->SetLook(look);
  m_pTable->SizeCard(object.get());
  // Where the list of this place ends (from the resting pose of no list: the origin).
  if (C3DMoveList* list = GetMove(GetNumCards())) m_pTable->PlaceAtEnd(list, object.get());
  m_Cards.push_back({code, std::move(object), false, CRect()});
  return 1;
}

int32_t CPocket::RemoveCard() {
  if (m_Cards.empty()) return 0;
  m_Cards.pop_back();
  return 1;
}

int32_t CPocket::RemoveCards() {
  if (m_Cards.empty()) return 0;
  // Top first, as the cards would leave one by one.
  while (!m_Cards.empty()) m_Cards.pop_back();
  return 1;
}

int32_t CPocket::GetCard() const { return GetCard(GetNumCards() - 1); }

int32_t CPocket::GetCard(int32_t i) const {
  const TCard* c = Card(i);
  return c ? c->Code : -1;
}

int32_t CPocket::GetCard(CObject*& object, int32_t i) const {
  const TCard* c = Card(i);
  object = c ? c->Object.get() : nullptr;
  return c ? c->Code : -1;
}

int32_t CPocket::AddMove(C3DMoveList* list) {
  if (!list) return 0;
  m_Moves.push_back(list);
  return 1;
}

C3DMoveList* CPocket::GetMove(int32_t k) const {
  return k >= 0 && k < GetNumMoves() ? m_Moves[static_cast<size_t>(k)] : nullptr;
}

int32_t CPocket::GetClip(int32_t i, CRect* rect) const {
  const TCard* c = Card(i);
  CRect r;
  const int32_t seen = c && m_pTable->DrawObject(*c->Object, QUAD_MEASURE, &r);
  if (rect) {
    if (seen)
      *rect = r;
    else
      rect->SetEmpty();
  }
  return seen;
}

int32_t CPocket::GetTotalClip(CRect* rect) const {
  CRect total;
  int32_t any = 0;
  for (int32_t i = 0; i < GetNumCards(); ++i) {
    CRect r;
    if (GetClip(i, &r)) Join(&total, &any, r);
  }
  if (rect) {
    if (any)
      *rect = total;
    else
      rect->SetEmpty();
  }
  return any;
}

int32_t CPocket::DrawCard(int32_t i, CRect* area) {
  TCard* c = Card(i);
  if (!c || m_pTable->IsMoving(c->Object.get())) return 0;
  CRect r;
  int32_t done = 0;
  if (!m_pTable->m_DrawPixels) {
    done = m_pTable->DrawObject(*c->Object, QUAD_MEASURE, &r);
  } else {
    if (m_pTable->m_DrawPersistent && m_pTable->DrawObject(*c->Object, QUAD_PERSISTENT, &r)) {
      c->Stamped = true;
      c->StampRect = r;
      done = 1;
    }
    if (m_pTable->m_DrawScreen) done |= m_pTable->DrawObject(*c->Object, QUAD_SCREEN, &r);
  }
  if (done && area) *area = r;
  return done;
}

int32_t CPocket::Draw(CRect* area) {
  CRect total;
  int32_t any = 0;
  for (int32_t i = 0; i < GetNumCards(); ++i) {
    CRect r;
    if (DrawCard(i, &r)) Join(&total, &any, r);
  }
  if (any && area) *area = total;
  return any;
}

int32_t CPocket::FindCard(const CObject* object) const {
  for (int32_t i = 0; i < GetNumCards(); ++i)
    if (m_Cards[static_cast<size_t>(i)].Object.get() == object) return i;
  return -1;
}

void CPocket::SetStamp(int32_t i, const CRect* rect) {
  if (TCard* c = Card(i)) {
    c->Stamped = rect != nullptr;
    if (rect) c->StampRect = *rect;
  }
}

bool CPocket::GetStamp(int32_t i, CRect* rect) const {
  const TCard* c = Card(i);
  if (!c || !c->Stamped) return false;
  *rect = c->StampRect;
  return true;
}

void CPocket::RedrawStamped(const CRect& area) {
  for (TCard& c : m_Cards) {
    CRect a(area), b(c.StampRect), common;
    if (!c.Stamped || m_pTable->IsMoving(c.Object.get()) || !common.Intersect(&a, &b)) continue;
    m_pTable->DrawObject(*c.Object, QUAD_PERSISTENT, nullptr);
  }
}
