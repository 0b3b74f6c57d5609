// The screens arrive with their own component; until then no screen is ever current.
#include "ostrel/graphics/fontscreen.h"

int32_t xFontHasScreen() { return 0; }
int32_t xFontScreenSize(int32_t*, int32_t*) { return 0; }
int32_t xFontMakeScreenFormat(CBitmap*) { return 1; }
int32_t xFontMakeColorForScreen(CBitmap*) { return 1; }
int32_t xFontDrawOnScreen(CBitmap*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return 0; }
