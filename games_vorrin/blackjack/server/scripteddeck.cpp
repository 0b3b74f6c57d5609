#include "scripteddeck.h"

int32_t CKavoScriptedDeck::GetCard() {
  if (m_Cards.empty()) return -1;
  const int32_t card = m_Cards.front();
  m_Cards.pop_front();
  return card;
}

int32_t CKavoScriptedDeck::AddCard(int32_t value) {
  m_Cards.push_front(value);
  return 1;
}
