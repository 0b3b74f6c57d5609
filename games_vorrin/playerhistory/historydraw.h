// Drawing of the play-history grid into bitmaps: the look that the window sets once for every
// grid (line, selection and text colours, the font), and lines, fills and blits that never touch
// a pixel outside their target's clip rectangle, wherever the coordinates lie.
#pragma once

#include <cstdint>

#include "ostrel/graphics/rgba.h"

class CBitmap;
class CBitmapBase;
class CFont;

struct SHistoryGridLook {
  TRGBA m_Grid{0, 0, 0, 0};
  TRGBA m_Select{0, 0, 0, 0};
  TRGBA m_Font{255, 255, 255, 0};
  CFont* m_pFont = nullptr;  // borrowed; no text is drawn without one
};

// The look of every grid of the module.
void xSetHistoryGridLook(const TRGBA& grid, const TRGBA& select, const TRGBA& font, CFont* pFont);
const SHistoryGridLook& xHistoryGridLook();

// A line from x1 to x2 at y, both ends included.
void xHistoryHLine(CBitmap* target, int64_t x1, int64_t x2, int64_t y, const TRGBA& colour);
// A line from y1 to y2 at x, both ends included.
void xHistoryVLine(CBitmap* target, int64_t x, int64_t y1, int64_t y2, const TRGBA& colour);
// Columns x1 up to x2 and rows y1 up to y2, neither end included.
void xHistoryFillRect(CBitmap* target, int64_t x1, int64_t y1, int64_t x2, int64_t y2, const TRGBA& colour);
// The whole of source copied with its top left corner at (x, y).
void xHistoryBlit(CBitmap* target, CBitmapBase* source, int64_t x, int64_t y);
