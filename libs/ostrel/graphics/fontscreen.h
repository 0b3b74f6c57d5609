// The current screen as text sees it: the target when Text is given no bitmap, and the format
// that colour copies are made in. Without a current screen with an active mode there is none:
// copies stay 24-bit and text needs a bitmap.
#pragma once

#include <cstdint>

class CBitmap;
class CScreenBase;

// The current screen when it has an active mode, else null.
CScreenBase* xFontScreen();
// The default copy: converted to the screen's format (1 without a screen).
int32_t xFontMakeScreenFormat(CBitmap* bitmap);
// A colour copy: to the screen's palette on an 8-bit screen, else made a screen bitmap or, failing
// that, converted to the screen's format (1 without a screen).
int32_t xFontMakeColorForScreen(CBitmap* bitmap);
