#include "ostrel/screens/arealist.h"

#include <algorithm>

namespace {
// |right - left| * |bottom - top| in 64 bits: rectangles come from callers and may be large.
int64_t Area(const CRect& r) {
  return (static_cast<int64_t>(r.right) - r.left < 0 ? static_cast<int64_t>(r.left) - r.right
                                                      : static_cast<int64_t>(r.right) - r.left) *
         (static_cast<int64_t>(r.bottom) - r.top < 0 ? static_cast<int64_t>(r.top) - r.bottom
                                                      : static_cast<int64_t>(r.bottom) - r.top);
}

CRect Normalised(const CRect& r) {
  CRect n(r);
  n.Normalize();
  return n;
}
}  // namespace

CRect CAreaList::Merge(int32_t page, const CRect& r, bool equalityTest, bool& duplicate) {
  duplicate = false;
  CRect added = Normalised(r);
  if (!ValidPage(page)) return added;
  for (int32_t i = 0; i < m_Count[page]; ++i) {
    CRect& entry = m_Areas[page][i];
    if (equalityTest && entry.IsEqual(&added)) {
      duplicate = true;
      return added;
    }
    // Computed by hand: the stored entry must stay as it is (a killed one is not normalised).
    const CRect u(std::min(entry.left, added.left), std::min(entry.top, added.top), std::max(entry.right, added.right),
                  std::max(entry.bottom, added.bottom));
    if (Area(u) - Area(entry) - Area(added) < 0) {
      entry.Set(AREA_KILLED_LEFT, AREA_KILLED_TOP, AREA_KILLED_RIGHT, AREA_KILLED_BOTTOM);
      added = u;
    }
  }
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
