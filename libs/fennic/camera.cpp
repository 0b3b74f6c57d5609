#include "fennic/camera.h"

#include <cmath>

namespace {
bool Finite(double a, double b, double c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }
bool GoodFov(double f) { return std::isfinite(f) && f > 0 && f < 180; }
}  // namespace

int32_t CCamera::SetPosition(double x, double y, double z) {
  if (!Finite(x, y, z)) return 0;
  m_Position = {x, y, z};
  return 1;
}

int32_t CCamera::SetRotate(double rx, double ry, double rz) {
  if (!Finite(rx, ry, rz)) return 0;
  m_Rx = rx;
  m_Ry = ry;
  m_Rz = rz;
  m_Dirty = true;
  return 1;
}

int32_t CCamera::SetFOV(double hfov, double vfov) {
  if (!GoodFov(hfov) || !GoodFov(vfov)) return 0;
  m_HFov = hfov;
  m_VFov = vfov;
  m_Dirty = true;
  return 1;
}

void CCamera::GetPosition(double* x, double* y, double* z) const {
  if (x) *x = m_Position.x;
  if (y) *y = m_Position.y;
  if (z) *z = m_Position.z;
}

void CCamera::GetRotate(double* rx, double* ry, double* rz) const {
  if (rx) *rx = m_Rx;
  if (ry) *ry = m_Ry;
  if (rz) *rz = m_Rz;
}

void CCamera::GetFOV(double* hfov, double* vfov) const {
  if (hfov) *hfov = m_HFov;
  if (vfov) *vfov = m_VFov;
}

void CCamera::Update() const {
  if (!m_Dirty) return;
  m_WorldToCamera = (xRotY(m_Ry) * xRotX(m_Rx) * xRotZ(m_Rz)).Transposed();
  // Half pixels per unit of x / depth: the edge of the field of view lands on 0 and 1600.
  m_ScaleX = FENNIC_VIEW_WIDTH / std::tan(m_HFov * (M_PI / 360.0));
  m_ScaleY = FENNIC_VIEW_HEIGHT / std::tan(m_VFov * (M_PI / 360.0));
  m_Dirty = false;
}

TVec3 CCamera::ToCamera(const TVec3& world) const {
  Update();
  return m_WorldToCamera * (world - m_Position);
}

int32_t CCamera::Project(const TVec3& world, double* sx, double* sy, double* depth) const {
  if (!xIsFinite(world)) return 0;
  const TVec3 c = ToCamera(world);
  const double d = -c.z;
  if (!(d > FENNIC_NEAR)) return 0;
  const double x = FENNIC_VIEW_WIDTH + m_ScaleX * c.x / d, y = FENNIC_VIEW_HEIGHT - m_ScaleY * c.y / d;
  if (!std::isfinite(x) || !std::isfinite(y)) return 0;
  if (sx) *sx = x;
  if (sy) *sy = y;
  if (depth) *depth = d;
  return 1;
}

int32_t CLight::SetPosition(double x, double y, double z, double planeY) {
  if (!Finite(x, y, z) || !std::isfinite(planeY)) return 0;
  m_Position = {x, y, z};
  m_PlaneY = planeY;
  return 1;
}

void CLight::GetPosition(double* x, double* y, double* z, double* planeY) const {
  if (x) *x = m_Position.x;
  if (y) *y = m_Position.y;
  if (z) *z = m_Position.z;
  if (planeY) *planeY = m_PlaneY;
}

int32_t CLight::CastOnPlane(const TVec3& point, TVec3* out) const {
  const double above = m_Position.y - m_PlaneY, drop = m_Position.y - point.y;
  if (!(above > 0) || !(drop > 0) || !xIsFinite(point)) return 0;
  const TVec3 p = m_Position + (point - m_Position) * (above / drop);
  if (!xIsFinite(p)) return 0;
  *out = {p.x, m_PlaneY, p.z};
  return 1;
}
