#include "fennic/pocket.h"

#include "fennic/cardtable.h"

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
  m_Cards.push_back({code, std::move(object)});
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
