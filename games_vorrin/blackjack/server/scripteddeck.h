// A shoe that deals a fixed sequence of card codes, for tests that must know every card.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "common/cards/deck.h"

class CKavoScriptedDeck : public CDeck {
 public:
  CKavoScriptedDeck(std::initializer_list<int32_t> cards) : m_Cards(cards) { CDeck::Init(1, 52); }
  explicit CKavoScriptedDeck(const std::vector<int32_t>& cards) : m_Cards(cards.begin(), cards.end()) {
    CDeck::Init(1, 52);
  }
  // Refilling keeps the script where it stands.
  int32_t Shuffle() override { return 1; }
  // The next scripted card; -1 once the script is used up.
  int32_t GetCard() override;
  // A card given back is dealt next.
  int32_t AddCard(int32_t value) override;
  size_t CardsLeft() const { return m_Cards.size(); }

 private:
  std::deque<int32_t> m_Cards;
};
