#include "ostrel/controls/guidraw.h"

#include <algorithm>
#include <new>

#include "ostrel/graphics/font.h"

#include "ostrel/screens/screenbase.h"
#include "ostrel/screens/vmode.h"
#include "ostrel/system/globals.h"

namespace {
CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }
// The screen, when it has a mode to draw in.
CScreenBase* Drawing() {
  CScreenBase* s = Screen();
  return s && s->GetActiveMode() ? s : nullptr;
}
}  // namespace

void xGuiAddShadowArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (CScreenBase* s = Drawing()) s->AddShadowArea(x1, y1, x2, y2);
}
void xGuiAddClearAreaGui(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (CScreenBase* s = Drawing()) s->AddClearAreaGui(x1, y1, x2, y2);
}
void xGuiAddClearArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (CScreenBase* s = Drawing()) s->AddClearArea(x1, y1, x2, y2);
}

int32_t xGuiPushClip() {
  CScreenBase* s = Drawing();
  return s ? s->PushClip() : 0;
}
int32_t xGuiPopClip() {
  CScreenBase* s = Drawing();
  return s ? s->PopClip() : 0;
}
void xGuiSetClip(const CRect& r) {
  if (CScreenBase* s = Drawing()) s->SetClip(r.left, r.top, r.right, r.bottom);
}
void xGuiSetSubClip(const CRect& r) {
  if (CScreenBase* s = Drawing()) s->SetSubClip(r.left, r.top, r.right, r.bottom);
}

void xGuiDrawBitmap(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                    int32_t height, int32_t mode) {
  CScreenBase* s = Drawing();
  if (s && bitmap) s->DrawBitmapScreenGui(bitmap, srcX, srcY, dstX, dstY, width, height, mode, 0);
}
void xGuiFillRect(int32_t x, int32_t y, int32_t width, int32_t height, const TRGBA& colour) {
  if (CScreenBase* s = Drawing()) s->FillRect(x, y, width, height, colour);
}
void xGuiFillRectAlpha(int32_t x, int32_t y, int32_t width, int32_t height, int32_t percent) {
  if (CScreenBase* s = Drawing()) s->FillRectAlpha(x, y, width, height, percent);
}
void xGuiDrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const TRGBA& colour) {
  if (CScreenBase* s = Drawing()) s->DrawLine(x1, y1, x2, y2, colour);
}

int32_t xGuiScreenSize(int32_t* width, int32_t* height) {
  const CScreenBase* s = Drawing();
  const SVmode* mode = s ? s->GetActiveMode() : nullptr;
  if (width) *width = mode ? mode->Width : 0;
  if (height) *height = mode ? mode->Height : 0;
  return mode ? 1 : 0;
}
int32_t xGuiScreenIndexed() {
  const CScreenBase* s = Drawing();
  return s && s->GetActiveMode()->Indexed ? 1 : 0;
}
const CPalette* xGuiScreenPalette() {
  CScreenBase* s = Screen();
  return s ? s->GetPalette() : nullptr;
}
void xGuiSetPalette(const CPalette* palette) {
  if (CScreenBase* s = Screen(); s && palette) s->SetPalette(palette);
}
int32_t xGuiDrawMode() {
  const CScreenBase* s = Screen();
  return s ? s->GetCurrentPage() : 0;
}
void xGuiScreenValidate() {
  if (CScreenBase* s = Drawing()) s->Validate();
}
int32_t xGuiMakeScreenBitmap(CBitmap* bitmap) {
  CScreenBase* s = Drawing();
  return s && bitmap ? s->MakeScreenBitmap(bitmap, 1) : 0;
}
int32_t xGuiMakeScreenFormat(CBitmap* bitmap, int32_t flag) {
  CScreenBase* s = Drawing();
  return s && bitmap ? s->MakeScreenFormat(bitmap, flag) : 0;
}
int32_t xGuiGetScreenPos(int32_t* x, int32_t* y) {
  CScreenBase* s = Screen();
  if (!s) {
    if (x) *x = 0;
    if (y) *y = 0;
    return 0;
  }
  return s->GetScreenPos(x, y, nullptr, nullptr);
}
void xGuiSetScreenPos(int32_t x, int32_t y) {
  if (CScreenBase* s = Screen()) s->SetScreenPos(x, y);
}

namespace {
int16_t Short(int32_t v) { return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767)); }
}  // namespace

CFont* xGuiLoadFont(const char* fileName) {
  auto* font = new (std::nothrow) CFont;
  if (font && !font->Load(fileName)) {
    delete font;
    return nullptr;
  }
  return font;
}

void xGuiDeleteFont(CFont* font) { delete font; }

int32_t xGuiTextSize(CFont* font, const char* text, int32_t width, int32_t height, int32_t flags) {
  if (!font || !text) return 0;
  return font->GetTextSize(text, static_cast<int16_t>(width), static_cast<int16_t>(height), flags);
}

int32_t xGuiDrawText(CFont* font, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                     const TRGBA* colour, int32_t flags) {
  if (!font || !text || !Drawing()) return 0;
  if (colour) font->CreateColor(colour);
  return font->Text(nullptr, text, Short(x), Short(y), Short(width), Short(height), colour, nullptr, flags | TEXT_GUI);
}

int32_t xGuiFontColor(CFont* font, const TRGBA& colour) { return font ? font->CreateColor(&colour) : 0; }
