// The camera that looks at the scene and the light that casts its shadows.
#pragma once

#include <cstdint>

#include "fennic/geometry.h"

// The view the scene is projected onto, in pixels; projected points are given in half pixels.
inline constexpr int32_t FENNIC_VIEW_WIDTH = 800;
inline constexpr int32_t FENNIC_VIEW_HEIGHT = 600;
// Points nearer to the camera plane than this (world units) are not projected.
inline constexpr double FENNIC_NEAR = 1e-3;

// A pinhole camera. At rest it stands at the origin looking along -z, x to the right of the
// picture and y up; its pose is translate · Ry · Rx · Rz (yaw about the world's y, then pitch
// about its own x, then roll), so a negative rx looks down on the table.
class CCamera {
 public:
  // Non-finite values are refused (0) and change nothing.
  int32_t SetPosition(double x, double y, double z);
  int32_t SetRotate(double rx, double ry, double rz);
  // Full horizontal and vertical angles in degrees, each above 0 and below 180.
  int32_t SetFOV(double hfov, double vfov);
  void GetPosition(double* x, double* y, double* z) const;
  void GetRotate(double* rx, double* ry, double* rz) const;
  void GetFOV(double* hfov, double* vfov) const;

  // A world point in half pixels of the 800 x 600 view (the camera axis at (800, 600)) and its
  // depth in front of the camera. 0 for points not in front of the camera plane or not finite.
  int32_t Project(const TVec3& world, double* sx, double* sy, double* depth) const;
  // The point in the camera's frame (x right, y up, depth along -z).
  TVec3 ToCamera(const TVec3& world) const;
  TVec3 Position() const { return m_Position; }

 private:
  void Update() const;

  TVec3 m_Position;
  double m_Rx = 0, m_Ry = 0, m_Rz = 0;
  // 60 degrees across, and the vertical angle of the same lens on a 4:3 view.
  double m_HFov = 60.0, m_VFov = 46.826342071802348;
  mutable bool m_Dirty = true;
  mutable TMat3 m_WorldToCamera;
  mutable double m_ScaleX = 0, m_ScaleY = 0;
};

// A point light and the horizontal plane (y = height) its shadows fall on.
class CLight {
 public:
  // Non-finite values are refused (0) and change nothing.
  int32_t SetPosition(double x, double y, double z, double planeY);
  void GetPosition(double* x, double* y, double* z, double* planeY) const;
  // Where the ray from the light through the point meets the plane; 0 when the light is not above
  // the plane or the point is not below the light (the ray never comes down to the plane).
  int32_t CastOnPlane(const TVec3& point, TVec3* out) const;

 private:
  TVec3 m_Position{0, 10, 0};
  double m_PlaneY = 0;
};
