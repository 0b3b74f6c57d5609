#include "fennic/quaddraw.h"

#include <algorithm>
#include <cmath>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

namespace {
// Corners beyond this many half pixels are not handed to the drawer.
constexpr double kFarthest = 1 << 28;

CScreenBase* Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }

// Half-pixel corners, rounded; false when one lies too far away.
bool Corners(const TProjectedQuad& q, int32_t (&x)[4], int32_t (&y)[4]) {
  for (int32_t k = 0; k < 4; ++k) {
    if (!(std::fabs(q.X[k]) < kFarthest) || !(std::fabs(q.Y[k]) < kFarthest)) return false;
    x[k] = static_cast<int32_t>(std::lround(q.X[k]));
    y[k] = static_cast<int32_t>(std::lround(q.Y[k]));
  }
  return true;
}

int32_t Fixed(double texels) { return static_cast<int32_t>(std::lround(std::clamp(texels, -32767.0, 32767.0) * 65536)); }
}  // namespace

uint32_t xFirstPixelKey(const CBitmap& b) {
  if (!b.m_pData || b.m_Width < 1 || b.m_Height < 1) return 0;
  uint32_t v = 0;
  for (int32_t i = std::min(b.m_BytesPerPixel, 4) - 1; i >= 0; --i) v = (v << 8) | b.m_pData[i];
  return v;
}

bool xIsEdgeOn(const TProjectedQuad& q) {
  double longest = 0;
  for (int32_t k = 0; k < 4; ++k) longest = std::max(longest, std::hypot(q.X[(k + 1) % 4] - q.X[k], q.Y[(k + 1) % 4] - q.Y[k]));
  // In half pixels: the area over the longest side is the quad's thickness.
  return !(longest > 0) || !(std::fabs(q.TwiceArea()) / 2 / longest >= 1.0);
}

int32_t xDrawTexturedQuad(const TProjectedQuad& q, const TQuadTexture& texture, EQuadTarget target, CRect* area) {
  CScreenBase* s = Screen();
  int32_t x[4], y[4];
  if (!s || !q.Valid || !texture.Bitmap || xIsEdgeOn(q) || !Corners(q, x, y)) return 0;
  s->SetTexture(texture.Bitmap);
  s->SetTextureCoords(Fixed(texture.U[0]), Fixed(texture.V[0]), Fixed(texture.U[1]), Fixed(texture.V[1]),
                      Fixed(texture.U[2]), Fixed(texture.V[2]), Fixed(texture.U[3]), Fixed(texture.V[3]));
  s->SetPolygon(x[0], y[0], static_cast<float>(q.Depth[0]), x[1], y[1], static_cast<float>(q.Depth[1]), x[2], y[2],
                static_cast<float>(q.Depth[2]), x[3], y[3], static_cast<float>(q.Depth[3]));
  s->SetTextureKey(1, texture.Key);
  CRect drawn;
  CRect* out = &drawn;
  const int32_t done = target == QUAD_SCREEN       ? s->DrawPolygonScreen(out)
                       : target == QUAD_PERSISTENT ? s->DrawPolygonPersistent(out)
                                                   : s->MeasurePolygon(out);
  s->SetTextureKey(0, 0);
  if (done && area) *area = drawn;
  return done;
}

int32_t xDrawShadowQuad(const TProjectedQuad& q, EQuadTarget target, CRect* area) {
  CScreenBase* s = Screen();
  int32_t x[4], y[4];
  if (!s || !q.Valid || xIsEdgeOn(q) || !Corners(q, x, y) || target == QUAD_MEASURE) return 0;
  s->SetPolygon(x[0], y[0], 0, x[1], y[1], 0, x[2], y[2], 0, x[3], y[3], 0);
  CRect drawn;
  CRect* out = &drawn;
  const int32_t done = target == QUAD_SCREEN ? s->DrawShadowPolygonScreen(out) : s->DrawShadowPolygonPersistent(out);
  if (done && area) *area = drawn;
  return done;
}
