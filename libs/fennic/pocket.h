// A numbered place of cards on the table (a hand) and the move lists that deal into it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "fennic/move.h"
#include "fennic/object.h"
#include "ostrel/containers/rect.h"

class CCardTable;

// The most cards one pocket holds; a server cannot grow a hand beyond it.
inline constexpr int32_t FENNIC_POCKET_CARDS = 64;

// Card i (0 at the bottom) rests where list i ends: a card added takes that pose at once, and
// stays wherever the lists played on it later leave it; while a list plays on it, it is in flight
// and not at rest. The pocket owns its cards' objects and only points to its lists.
class CPocket {
 public:
  explicit CPocket(CCardTable* table) : m_pTable(table) {}
  ~CPocket();
  CPocket(const CPocket&) = delete;
  CPocket& operator=(const CPocket&) = delete;

  // A card on top: a code of the face sheet (rank = code % ranks, suit row = code / ranks), or -1
  // for a card that shows its back on both sides. 0 for other codes or a full pocket.
  int32_t AddCard(int32_t code);
  // The top card, or all cards, leave (their objects are deleted). 0 when there was none.
  int32_t RemoveCard();
  int32_t RemoveCards();
  // The top card's code; card i's code; card i's code with its object. -1 (and a null object)
  // when there is no such card.
  int32_t GetCard() const;
  int32_t GetCard(int32_t i) const;
  int32_t GetCard(CObject*& object, int32_t i) const;
  int32_t GetNumCards() const { return static_cast<int32_t>(m_Cards.size()); }

  // Lists in the order added; GetMove(k) is the k-th, null past the end.
  int32_t AddMove(C3DMoveList* list);
  C3DMoveList* GetMove(int32_t k) const;
  int32_t GetNumMoves() const { return static_cast<int32_t>(m_Moves.size()); }

  // The screen rectangle card i covers where it stands, or all cards together, inside the
  // screen's clip. 0 (rect emptied) when nothing would be drawn: no such card, seen edge-on,
  // behind the camera or off the clip.
  int32_t GetClip(int32_t i, CRect* rect) const;
  int32_t GetTotalClip(CRect* rect) const;
  // The cards at rest, bottom to top (or card i), as the table's drawing switches say; area gets
  // what was drawn (or would be). 0 when nothing was.
  int32_t Draw(CRect* area);
  int32_t DrawCard(int32_t i, CRect* area);

  // For the table: the index of a card's object (-1 when not here); card i's picture lies in
  // the persistent layer at rect (or no longer does); what lies there is drawn again inside
  // the screen's clip.
  int32_t FindCard(const CObject* object) const;
  void SetStamp(int32_t i, const CRect* rect);
  bool GetStamp(int32_t i, CRect* rect) const;
  void RedrawStamped(const CRect& area);

 private:
  struct TCard {
    int32_t Code;
    std::unique_ptr<CObject> Object;
    bool Stamped = false;  // its picture lies in the persistent layer at StampRect
    CRect StampRect;
  };
  TCard* Card(int32_t i) {
    return i >= 0 && i < GetNumCards() ? &m_Cards[static_cast<size_t>(i)] : nullptr;
  }
  const TCard* Card(int32_t i) const {
    return i >= 0 && i < GetNumCards() ? &m_Cards[static_cast<size_t>(i)] : nullptr;
  }

  CCardTable* m_pTable;
  std::vector<TCard> m_Cards;
  std::vector<C3DMoveList*> m_Moves;
};
