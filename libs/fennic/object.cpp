#include "fennic/object.h"

#include <cmath>

#include "fennic/scene.h"

CObject::~CObject() {
  if (m_pPlayer) m_pPlayer->ForgetObject(this);
}

int32_t CObject::Clone(const CObject* from) {
  if (!from) return 0;
  if (from == this) return 1;
  if (m_pPlayer) m_pPlayer->ForgetObject(this);
  for (int32_t i = 0; i < POSE_AXES; ++i) m_Pose[i] = from->m_Pose[i];
  m_Width = from->m_Width;
  m_Height = from->m_Height;
  m_Look = from->m_Look;
  return 1;
}

int32_t CObject::SetPosition(double x, double y, double z) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return 0;
  m_Pose[POSE_X] = x;
  m_Pose[POSE_Y] = y;
  m_Pose[POSE_Z] = z;
  return 1;
}

int32_t CObject::SetRotate(double rx, double ry, double rz) {
  if (!std::isfinite(rx) || !std::isfinite(ry) || !std::isfinite(rz)) return 0;
  m_Pose[POSE_RX] = rx;
  m_Pose[POSE_RY] = ry;
  m_Pose[POSE_RZ] = rz;
  return 1;
}

int32_t CObject::SetPose(const double (&pose)[POSE_AXES]) {
  for (double v : pose)
    if (!std::isfinite(v)) return 0;
  for (int32_t i = 0; i < POSE_AXES; ++i) m_Pose[i] = pose[i];
  return 1;
}

int32_t CObject::SetSize(double width, double height) {
  if (!std::isfinite(width) || !std::isfinite(height) || width < 0 || height < 0) return 0;
  m_Width = width;
  m_Height = height;
  return 1;
}

void CObject::GetPosition(double* x, double* y, double* z) const {
  if (x) *x = m_Pose[POSE_X];
  if (y) *y = m_Pose[POSE_Y];
  if (z) *z = m_Pose[POSE_Z];
}

void CObject::GetRotate(double* rx, double* ry, double* rz) const {
  if (rx) *rx = m_Pose[POSE_RX];
  if (ry) *ry = m_Pose[POSE_RY];
  if (rz) *rz = m_Pose[POSE_RZ];
}

TVec3 CObject::GetCorner(int32_t k) const {
  const double hx = m_Width / 2, hy = m_Height / 2;
  static constexpr double kSignX[4] = {-1, 1, 1, -1}, kSignY[4] = {1, 1, -1, -1};
  const TVec3 local{kSignX[k & 3] * hx, kSignY[k & 3] * hy, 0};
  return xPoseRotation(m_Pose[POSE_RX], m_Pose[POSE_RY], m_Pose[POSE_RZ]) * local +
         TVec3{m_Pose[POSE_X], m_Pose[POSE_Y], m_Pose[POSE_Z]};
}

TVec3 CObject::GetFaceNormal() const {
  return xPoseRotation(m_Pose[POSE_RX], m_Pose[POSE_RY], m_Pose[POSE_RZ]) * TVec3{0, 0, 1};
}
