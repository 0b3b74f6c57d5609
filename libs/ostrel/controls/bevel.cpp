#include "ostrel/controls/bevel.h"

#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/guitypes.h"

namespace {
struct SBevelColours {
  int32_t m_TopLeft, m_BottomRight, m_DiagTopLeft, m_DiagBottomRight, m_DiagOther;
};

void DrawBevel(int32_t x, int32_t y, int32_t w, int32_t h, int32_t bevel, const TCntrlColor& set, const SBevelColours& c) {
  if (w <= 0 || h <= 0) return;
  const int32_t right = x + w - 1;
  const int32_t bottom = y + h - 1;
  for (int32_t i = 0; i < bevel; ++i)
    xDrawFlatFrame(x + i, y + i, w - 2 * i, h - 2 * i, set.m_Col[c.m_TopLeft], set.m_Col[c.m_BottomRight]);
  if (bevel <= 0) return;
  const int32_t d = bevel - 1;
  xGuiDrawLine(x, y, x + d, y + d, set.m_Col[c.m_DiagTopLeft]);
  xGuiDrawLine(right, bottom, right - d, bottom - d, set.m_Col[c.m_DiagBottomRight]);
  xGuiDrawLine(right, y, right - d, y + d, set.m_Col[c.m_DiagOther]);
  xGuiDrawLine(x, bottom, x + d, bottom - d, set.m_Col[c.m_DiagOther]);
}
}  // namespace

void xDrawFlatFrame(int32_t x, int32_t y, int32_t width, int32_t height, const TRGBA& topLeft,
                    const TRGBA& bottomRight) {
  const int32_t right = x + width - 1;
  const int32_t bottom = y + height - 1;
  xGuiDrawLine(x, y, right, y, topLeft);
  xGuiDrawLine(x, y, x, bottom, topLeft);
  xGuiDrawLine(x, bottom, right, bottom, bottomRight);
  xGuiDrawLine(right, y, right, bottom, bottomRight);
}

void xDrawRaisedBevel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bevel, const TCntrlColor* set,
                      bool outline) {
  if (!set) return;
  if (outline) {
    const int32_t right = x + width;
    const int32_t bottom = y + height;
    xGuiDrawLine(x - 1, y - 1, right, y - 1, set->m_Col[0]);
    xGuiDrawLine(x - 1, bottom, right, bottom, set->m_Col[0]);
    xGuiDrawLine(x - 1, y - 1, x - 1, bottom, set->m_Col[0]);
    xGuiDrawLine(right, y - 1, right, bottom, set->m_Col[0]);
  }
  DrawBevel(x, y, width, height, bevel, *set, {1, 3, 4, 6, 5});
}

void xDrawSunkenBevel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bevel, const TCntrlColor* set) {
  if (!set) return;
  DrawBevel(x, y, width, height, bevel, *set, {3, 1, 6, 4, 5});
}

void xDrawBevel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bevel, const TCntrlColor* set,
                int32_t edgeTopLeft, int32_t edgeBottomRight, int32_t diagTopLeft, int32_t diagBottomRight,
                int32_t diagOther) {
  const auto entry = [](int32_t e) { return e >= 0 && e < 8; };
  if (!set || !entry(edgeTopLeft) || !entry(edgeBottomRight) || !entry(diagTopLeft) || !entry(diagBottomRight) ||
      !entry(diagOther))
    return;
  DrawBevel(x, y, width, height, bevel, *set, {edgeTopLeft, edgeBottomRight, diagTopLeft, diagBottomRight, diagOther});
}
