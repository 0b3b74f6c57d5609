#include "ostrel/screens/arealist.h"

#include <algorithm>

namespace {
int64_t Span(int32_t a, int32_t b) {
  const int64_t d = static_cast<int64_t>(b) - a;
  return d < 0 ? -d : d;
}

// |right - left| * |bottom - top| in 64 bits: rectangles come from callers and may be large.
int64_t Area(int32_t l, int32_t t, int32_t r, int32_t b) { return Span(l, r) * Span(t, b); }
}  // namespace

CRect CAreaList::Merge(int32_t page, const CRect& r, bool equalityTest, bool& duplicate) {
  duplicate = false;
  CRect added(r);
  added.Normalize();
  if (!ValidPage(page)) return added;
  // The walk runs over every add of every frame: plain fields, no calls.
  int32_t l = added.left, t = added.top, rt = added.right, b = added.bottom;
  int64_t area = Area(l, t, rt, b);
  for (int32_t i = 0; i < m_Count[page]; ++i) {
    CRect& entry = m_Areas[page][i];
    if (equalityTest && entry.left == l && entry.top == t && entry.right == rt && entry.bottom == b) {
      duplicate = true;
      break;
    }
    // The stored entry stays as it is (a killed one is not normalised).
    const int32_t ul = std::min(entry.left, l), ut = std::min(entry.top, t), ur = std::max(entry.right, rt),
                  ub = std::max(entry.bottom, b);
    const int64_t unionArea = Area(ul, ut, ur, ub);
    if (unionArea - Area(entry.left, entry.top, entry.right, entry.bottom) - area < 0) {
      entry.Set(AREA_KILLED_LEFT, AREA_KILLED_TOP, AREA_KILLED_RIGHT, AREA_KILLED_BOTTOM);
      l = ul;
      t = ut;
      rt = ur;
      b = ub;
      area = unionArea;
    }
  }
  added.Set(l, t, rt, b);
  return added;
}

void CAreaList::Store(int32_t page, const CRect& r, const CRect& whole) {
  if (!ValidPage(page)) return;
  if (m_Count[page] >= SCREEN_AREAS_PER_PAGE) {
    m_Count[page] = 0;
    m_Areas[page][0] = whole;
  } else {
    m_Areas[page][m_Count[page]] = r;
  }
  ++m_Count[page];
}

void CAreaList::Add(int32_t page, const CRect& r, const CRect& whole, bool equalityTest) {
  bool duplicate = false;
  const CRect merged = Merge(page, r, equalityTest, duplicate);
  if (!duplicate) Store(page, merged, whole);
}
