// The current screen as text sees it: the target when Text is given no bitmap, and the format
// that colour copies are made in. Without a current screen with an active mode there is none:
// copies stay 24-bit and text needs a bitmap.
#pragma once

#include <cstdint>

class CBitmap;

// 1 when there is a current screen with an active mode.
int32_t xFontHasScreen();
// The active mode's size; 0 without a screen.
int32_t xFontScreenSize(int32_t* width, int32_t* height);
// The default copy: converted to the screen's format (1 without a screen).
int32_t xFontMakeScreenFormat(CBitmap* bitmap);
// A colour copy: to the screen's palette on an 8-bit screen, else made a screen bitmap or, failing
// that, converted to the screen's format (1 without a screen).
int32_t xFontMakeColorForScreen(CBitmap* bitmap);
// Draws a keyed rectangle of bitmap onto the screen; 0 without a screen.
int32_t xFontDrawOnScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                          int32_t width, int32_t height);
