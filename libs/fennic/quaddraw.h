// A projected quad drawn through the current screen's polygon drawer: textured (with the
// texture's transparent colour), as a shadow, or only measured.
#pragma once

#include <cstdint>

#include "fennic/quad.h"
#include "ostrel/containers/rect.h"

class CBitmap;

enum EQuadTarget {
  QUAD_SCREEN,      // the screen layer (restored from the persistent layer at the next frame)
  QUAD_PERSISTENT,  // the persistent layer
  QUAD_MEASURE,     // nothing drawn: the rectangle a screen draw would report
};

// A texture and the texel coordinates of the quad's four corners.
struct TQuadTexture {
  CBitmap* Bitmap = nullptr;
  uint32_t Key = 0;  // the transparent texel value
  double U[4] = {}, V[4] = {};
};

// The value of a bitmap's first pixel, its bytes low first: the transparent colour of textures,
// as of keyed bitmaps everywhere. 0 for an empty bitmap.
uint32_t xFirstPixelKey(const CBitmap& bitmap);

// Thinner than half a pixel (a card seen edge-on): nothing to draw.
bool xIsEdgeOn(const TProjectedQuad& q);

// Through the current screen; 1 when drawn (or, measured, when it would be), with the rectangle
// in area. 0 for an invalid or edge-on quad, no texture, no screen, or a quad the screen's
// polygon drawer refuses (a texture not in the screen's format).
int32_t xDrawTexturedQuad(const TProjectedQuad& q, const TQuadTexture& texture, EQuadTarget target, CRect* area);
// The quad's area darkened on the screen layer (or, persistent, in that layer).
int32_t xDrawShadowQuad(const TProjectedQuad& q, EQuadTarget target, CRect* area);
