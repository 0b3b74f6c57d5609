#include "ostrel/input/cursorsprite.h"

namespace {
const TCursorPictures* g_pPictures = nullptr;
}  // namespace

void xSetCursorPictures(const TCursorPictures* pictures) { g_pPictures = pictures; }

const TCursorPictures* xGetCursorPictures() { return g_pPictures; }
