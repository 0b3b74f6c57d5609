// The per-page lists of dirty rectangles that drive the redraw of a screen: 128 per page for 3
// pages. A new rectangle swallows the entries whose union with it costs less area than the two
// apart; a full page becomes one rectangle over the whole screen.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"

inline constexpr int32_t SCREEN_PAGES = 3;
inline constexpr int32_t SCREEN_AREAS_PER_PAGE = 128;

// What a swallowed entry becomes; it stays in its slot and is never drawn or copied.
inline constexpr int32_t AREA_KILLED_LEFT = -100;
inline constexpr int32_t AREA_KILLED_TOP = -100;
inline constexpr int32_t AREA_KILLED_RIGHT = -101;
inline constexpr int32_t AREA_KILLED_BOTTOM = -101;

class CAreaList {
 public:
  // Normalises r, walks the page's entries merging as it goes and stores the result. With the
  // equality test an entry equal to the (merged) rectangle ends the walk and nothing is stored.
  void Add(int32_t page, const CRect& r, const CRect& whole, bool equalityTest);
  // The merge walk alone: swallowed entries of the page are killed; the merged rectangle is the
  // result. Sets duplicate (and stops) when the equality test finds an equal entry.
  CRect Merge(int32_t page, const CRect& r, bool equalityTest, bool& duplicate);
  // Stores at the page's end, or turns a full page into the one rectangle whole.
  void Store(int32_t page, const CRect& r, const CRect& whole);

  int32_t Count(int32_t page) const { return ValidPage(page) ? m_Count[page] : 0; }
  const CRect& Get(int32_t page, int32_t index) const { return m_Areas[page][index]; }
  void Clear(int32_t page) {
    if (ValidPage(page)) m_Count[page] = 0;
  }
  void ClearAll() {
    for (int32_t& c : m_Count) c = 0;
  }

  static bool IsKilled(const CRect& r) {
    return r.left == AREA_KILLED_LEFT && r.top == AREA_KILLED_TOP && r.right == AREA_KILLED_RIGHT &&
           r.bottom == AREA_KILLED_BOTTOM;
  }
  static bool ValidPage(int32_t page) { return page >= 0 && page < SCREEN_PAGES; }

  // Calls fn(rect) for each live entry of the page, in order.
  template <class Fn>
  void ForEach(int32_t page, Fn&& fn) const {
    for (int32_t i = 0; i < Count(page); ++i)
      if (!IsKilled(m_Areas[page][i])) fn(m_Areas[page][i]);
  }

 private:
  CRect m_Areas[SCREEN_PAGES][SCREEN_AREAS_PER_PAGE];
  int32_t m_Count[SCREEN_PAGES] = {};
};
