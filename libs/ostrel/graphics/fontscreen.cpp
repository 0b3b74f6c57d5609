#include "ostrel/graphics/fontscreen.h"

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

CScreenBase* xFontScreen() {
  CScreenBase* s = glb ? glb->m_pCurrentScreen : nullptr;
  return s && s->GetActiveMode() ? s : nullptr;
}

int32_t xFontMakeScreenFormat(CBitmap* bitmap) {
  CScreenBase* s = xFontScreen();
  return s ? s->MakeScreenFormat(bitmap, 0) : 1;
}

int32_t xFontMakeColorForScreen(CBitmap* bitmap) {
  CScreenBase* s = xFontScreen();
  if (!s) return 1;
  if (s->GetActiveMode()->Indexed) return bitmap->ConvertIndex(-1, -1, 8, s->GetPalette(), 0);
  return s->MakeScreenBitmap(bitmap, 0) || s->MakeScreenFormat(bitmap, 0) ? 1 : 0;
}
