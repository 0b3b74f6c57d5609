// What the 3-D widgets (arrows, the polygon deck) share about drawing through fennic: their
// textures, loaded in the current screen's format, and the screen's polygon mode they draw in.
#pragma once

#include <memory>

class CBitmap;
class CScreenBase;

// The current screen while it has a mode; null otherwise.
CScreenBase* xPolygonScreen();
// A picture file in the current screen's pixel format, its first pixel the see-through colour of
// the polygons it textures; null when it cannot be loaded or converted, or no screen has a mode.
std::unique_ptr<CBitmap> xLoadPolygonTexture(const char* fileName);
// The polygon mode the widgets draw in.
void xSetPolygonDrawMode(CScreenBase* screen);
