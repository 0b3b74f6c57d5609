// The toolkit's calls on the current screen and on fonts. Controls, windows and resource scripts
// exist before a program has chosen its screen (and in tests without one), so each call does
// nothing, or answers 0, while there is no current screen, no active mode or no font.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"
#include "ostrel/graphics/rgba.h"

class CBitmap;
class CFont;
class CPalette;

// Areas.
void xGuiAddShadowArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void xGuiAddClearAreaGui(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void xGuiAddClearArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
inline void xGuiAddShadowArea(const CRect& r) { xGuiAddShadowArea(r.left, r.top, r.right, r.bottom); }
inline void xGuiAddClearAreaGui(const CRect& r) { xGuiAddClearAreaGui(r.left, r.top, r.right, r.bottom); }

// Clip.
int32_t xGuiPushClip();
int32_t xGuiPopClip();
void xGuiSetClip(const CRect& r);
void xGuiSetSubClip(const CRect& r);

// Drawing into the screen buffer.
void xGuiDrawBitmap(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                    int32_t height, int32_t mode);
void xGuiFillRect(int32_t x, int32_t y, int32_t width, int32_t height, const TRGBA& colour);
void xGuiFillRectAlpha(int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent);
void xGuiDrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const TRGBA& colour);

// The screen.
// Width and height of the active mode; 0 without one.
int32_t xGuiScreenSize(int32_t* width, int32_t* height);
// 1 for a palette mode.
int32_t xGuiScreenIndexed();
const CPalette* xGuiScreenPalette();
void xGuiSetPalette(const CPalette* palette);
// The page being drawn (0 to 2), the drawing mode of the windows.
int32_t xGuiDrawMode();
// Hands the screen's redraw areas to the window manager.
void xGuiScreenValidate();
int32_t xGuiMakeScreenBitmap(CBitmap* bitmap);
int32_t xGuiMakeScreenFormat(CBitmap* bitmap, int32_t flag);
// The program window's place on the desktop.
int32_t xGuiGetScreenPos(int32_t* x, int32_t* y);
void xGuiSetScreenPos(int32_t x, int32_t y);

// Fonts.
CFont* xGuiLoadFont(const char* fileName);
void xGuiDeleteFont(CFont* font);
// (height << 16) | width of the text laid out in the box (65535: unbounded); flags as the
// font's (TEXT_ of graphics/font.h).
int32_t xGuiTextSize(CFont* font, const char* text, int32_t width, int32_t height, int32_t flags);
// Draws onto the screen as the windows draw (no clear area); the result as xGuiTextSize, -1 on
// failure.
int32_t xGuiDrawText(CFont* font, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                     const TRGBA* colour, int32_t flags);
// Makes the font's copy for the colour.
int32_t xGuiFontColor(CFont* font, const TRGBA& colour);
