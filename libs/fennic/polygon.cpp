#include "fennic/polygon.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "fennic/quaddraw.h"
#include "ostrel/graphics/bitmap.h"

int32_t CPolygon::Set3D(double x0, double y0, double z0, double x1, double y1, double z1, double x2, double y2,
                        double z2, double x3, double y3, double z3) {
  const TVec3 given[4] = {{x0, y0, z0}, {x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}};
  for (const TVec3& v : given)
    if (!xIsFinite(v)) return 0;
  std::copy(std::begin(given), std::end(given), m_Given);
  ResetCoords();
  return 1;
}

int32_t CPolygon::SetTexture(CBitmap* bitmap, double u0, double v0, double u1, double v1) {
  for (double v : {u0, v0, u1, v1})
    if (!std::isfinite(v)) return 0;
  m_pTexture = bitmap;
  m_U0 = std::clamp(u0, 0.0, 1.0);
  m_V0 = std::clamp(v0, 0.0, 1.0);
  m_U1 = std::clamp(u1, 0.0, 1.0);
  m_V1 = std::clamp(v1, 0.0, 1.0);
  return 1;
}

void CPolygon::ResetCoords() {
  std::copy(std::begin(m_Given), std::end(m_Given), m_Current);
  m_Projected.Valid = false;
}

int32_t CPolygon::SetPosition(double x, double y, double z) {
  const TVec3 p{x, y, z};
  if (!xIsFinite(p)) return 0;
  m_Position = p;
  return 1;
}

int32_t CPolygon::SetRotate(double rx, double ry, double rz) {
  if (!std::isfinite(rx) || !std::isfinite(ry) || !std::isfinite(rz)) return 0;
  m_Rx = rx;
  m_Ry = ry;
  m_Rz = rz;
  return 1;
}

void CPolygon::RotatePolygon() {
  const TMat3 r = xPoseRotation(m_Rx, m_Ry, m_Rz);
  for (TVec3& v : m_Current) v = r * v + m_Position;
  m_Projected.Valid = false;
}

int32_t CPolygon::Project(CCamera* camera) {
  m_Projected = camera ? xProjectQuad(*camera, m_Current) : TProjectedQuad{};
  return m_Projected.Valid;
}

bool xCastShadow(const CLight& light, const TVec3 (&corners)[4], TVec3 (&out)[4]) {
  for (int32_t k = 0; k < 4; ++k)
    if (!light.CastOnPlane(corners[k], &out[k])) return false;
  return true;
}

int32_t shadow::Calc(CPolygon* polygon, CLight* light, CCamera* camera) {
  m_Projected = TProjectedQuad{};
  if (!polygon || !light || !camera || !xCastShadow(*light, polygon->GetCorners(), m_Corners)) return 0;
  m_Projected = xProjectQuad(*camera, m_Corners);
  return m_Projected.Valid;
}

int32_t CPolygon::Draw(int32_t target, CRect* area) {
  if (!m_pTexture || !m_Projected.Valid) return 0;
  const double w = m_pTexture->m_Width, h = m_pTexture->m_Height;
  const TQuadTexture texture{m_pTexture,
                             xFirstPixelKey(*m_pTexture),
                             {m_U0 * w, m_U1 * w, m_U1 * w, m_U0 * w},
                             {m_V0 * h, m_V0 * h, m_V1 * h, m_V1 * h}};
  return xDrawTexturedQuad(m_Projected, texture, static_cast<EQuadTarget>(target), area);
}

int32_t CPolygon::DrawScreen() { return Draw(QUAD_SCREEN, nullptr); }

int32_t CPolygon::DrawPersistent(CRect* area) { return Draw(QUAD_PERSISTENT, area); }

int32_t shadow::DrawScreen() { return xDrawShadowQuad(m_Projected, QUAD_SCREEN, nullptr); }
