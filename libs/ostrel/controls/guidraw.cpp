// Screens and fonts are not part of the runtime yet: until they are, the toolkit draws nothing
// and measures every text as empty.
#include "ostrel/controls/guidraw.h"

void xGuiAddShadowArea(int32_t, int32_t, int32_t, int32_t) {}
void xGuiAddClearAreaGui(int32_t, int32_t, int32_t, int32_t) {}
void xGuiAddClearArea(int32_t, int32_t, int32_t, int32_t) {}
int32_t xGuiPushClip() { return 0; }
int32_t xGuiPopClip() { return 0; }
void xGuiSetClip(const CRect&) {}
void xGuiSetSubClip(const CRect&) {}
void xGuiDrawBitmap(CBitmap*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void xGuiFillRect(int32_t, int32_t, int32_t, int32_t, const TRGBA&) {}
void xGuiFillRectAlpha(int32_t, int32_t, int32_t, int32_t, int32_t) {}
void xGuiDrawLine(int32_t, int32_t, int32_t, int32_t, const TRGBA&) {}
int32_t xGuiScreenSize(int32_t* width, int32_t* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  return 0;
}
int32_t xGuiScreenIndexed() { return 0; }
const CPalette* xGuiScreenPalette() { return nullptr; }
void xGuiSetPalette(const CPalette*) {}
int32_t xGuiDrawMode() { return 0; }
void xGuiScreenValidate() {}
int32_t xGuiMakeScreenBitmap(CBitmap*) { return 0; }
int32_t xGuiMakeScreenFormat(CBitmap*, int32_t) { return 0; }
int32_t xGuiGetScreenPos(int32_t* x, int32_t* y) {
  if (x) *x = 0;
  if (y) *y = 0;
  return 0;
}
void xGuiSetScreenPos(int32_t, int32_t) {}
CFont* xGuiLoadFont(const char*) { return nullptr; }
void xGuiDeleteFont(CFont*) {}
int32_t xGuiTextSize(CFont*, const char*, int32_t, int32_t, int32_t) { return 0; }
int32_t xGuiDrawText(CFont*, const char*, int32_t, int32_t, int32_t, int32_t, const TRGBA*, int32_t) { return 0; }
int32_t xGuiFontColor(CFont*, const TRGBA&) { return 0; }
