// The base of the card games' round views: the cards cut from the texture that the history
// script names ("STR_CARDSLOCATION"; 13 columns by rank, 4 rows by suit, a fifth row whose first
// picture is the joker with "DECKHAVEJOKER"), and cards laid out side by side ("CARDSPACING").
#pragma once

#include <cstdint>

#include "gamehistorydisplay.h"

inline constexpr int32_t HISTORY_CARDS = 53;  // suit x 13 + rank; 52 the joker
inline constexpr int32_t HISTORY_JOKER = 52;
inline constexpr int32_t HISTORY_CARD_SPACING = 14;

class CCardGameHistoryDisplay : public CGameHistoryDisplay {
 public:
  CCardGameHistoryDisplay(CResData* res, GamestxtCFVModule* game);
  ~CCardGameHistoryDisplay() override;

  // Cuts the cards from the texture; 1 on success.
  int32_t LoadCardList();
  // Card index's picture; null outside 0 .. 52 or when it was not cut.
  CBitmap* GetCardBitmap(int32_t index) const;
  // list holds a count, then that many card indices (size: the values list holds, so the count
  // is never read past it). Card i of the list is drawn at (spacing x i, 0), cut to the spacing
  // in width except the last, which is drawn whole; indices outside 0 .. 52 are skipped.
  void DrawCards(const int32_t* list, int32_t size, CBitmap* target) const;

  int32_t GetCardWidth() const { return m_CardWidth; }
  int32_t GetCardHeight() const { return m_CardHeight; }
  int32_t GetCardSpacing() const { return m_CardSpacing; }

 private:
  CBitmap* m_pCards[HISTORY_CARDS] = {};
  int32_t m_CardWidth = 0;
  int32_t m_CardHeight = 0;
  int32_t m_CardSpacing = HISTORY_CARD_SPACING;
};
