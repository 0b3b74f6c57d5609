// The bevels drawn around controls, at (x, y) with the control's size.
#pragma once

#include <cstdint>

struct TCntrlColor;
struct TRGBA;

// Raised (buttons, title bars, frames): top and left in entry 1, bottom and right in entry 3,
// corner diagonals top-left 4, bottom-right 6, the other two 5; with outline a one-pixel ring
// in entry 0 just outside.
void xDrawRaisedBevel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bevel, const TCntrlColor* set,
                      bool outline);
// A one-pixel ring: top and left in one colour, bottom and right in the other.
void xDrawFlatFrame(int32_t x, int32_t y, int32_t width, int32_t height, const TRGBA& topLeft,
                    const TRGBA& bottomRight);
// Sunken (statics, progress bars, edits): top and left in entry 3, bottom and right in entry 1,
// corner diagonals top-left 6, bottom-right 4, the other two 5.
void xDrawSunkenBevel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bevel, const TCntrlColor* set);
// Any other choice of entries: the edges top and left, bottom and right, then the diagonals
// top-left, bottom-right and the other two.
void xDrawBevel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bevel, const TCntrlColor* set,
                int32_t edgeTopLeft, int32_t edgeBottomRight, int32_t diagTopLeft, int32_t diagBottomRight,
                int32_t diagOther);
