// Textured four-corner polygons in the scene (arrows, the card shoe) and their shadows.
#pragma once

#include <cstdint>

#include "fennic/camera.h"
#include "fennic/quad.h"
#include "ostrel/containers/rect.h"

class CBitmap;

// Corner k of the polygon takes texture corner k of (u0, v0), (u1, v0), (u1, v1), (u0, v1); a
// triangle repeats one corner. Both sides are drawn. Placing it: ResetCoords takes the corners
// given to Set3D, RotatePolygon turns them by the rotation (Rx · Rz · Ry, as cards) and moves
// them by the position, Project sees them with a camera. The texture must be in the screen's
// pixel format; its first pixel is its transparent colour.
class CPolygon {
 public:
  // Twelve values: x, y, z of each corner. Non-finite values are refused (0). The corners
  // become the current ones.
  int32_t Set3D(double x0, double y0, double z0, double x1, double y1, double z1, double x2, double y2, double z2,
                double x3, double y3, double z3);
  // The texture (not owned) and the part of it shown, in fractions of its size.
  int32_t SetTexture(CBitmap* bitmap, double u0, double v0, double u1, double v1);
  void ResetCoords();
  int32_t SetPosition(double x, double y, double z);
  int32_t SetRotate(double rx, double ry, double rz);
  void RotatePolygon();
  // 1 when every corner lies in front of the camera; otherwise nothing is drawn.
  int32_t Project(CCamera* camera);
  // As projected, through the current screen: onto the screen layer, or into the persistent
  // layer with the rectangle drawn in area. 0 when nothing was drawn (not projected, edge-on,
  // no texture, off the clip).
  int32_t DrawScreen();
  int32_t DrawPersistent(CRect* area);

  TVec3 GetCorner(int32_t k) const { return m_Current[k & 3]; }
  const TVec3 (&GetCorners() const)[4] { return m_Current; }
  const TProjectedQuad& GetProjected() const { return m_Projected; }
  CBitmap* GetTexture() const { return m_pTexture; }

 private:
  TVec3 m_Given[4], m_Current[4];
  TVec3 m_Position;
  double m_Rx = 0, m_Ry = 0, m_Rz = 0;
  CBitmap* m_pTexture = nullptr;
  double m_U0 = 0, m_V0 = 0, m_U1 = 1, m_V1 = 1;
  TProjectedQuad m_Projected;

  int32_t Draw(int32_t target, CRect* area);
};

// The shadow of a polygon on the light's plane.
class shadow {
 public:
  // Each current corner of the polygon is sent from the light onto the plane, then projected. 0
  // (no shadow) when a corner's ray never reaches the plane or a shadow corner is not in front
  // of the camera.
  int32_t Calc(CPolygon* polygon, CLight* light, CCamera* camera);
  // The shadow as calculated darkens the screen layer; 0 when there is none.
  int32_t DrawScreen();
  const TVec3 (&GetCorners() const)[4] { return m_Corners; }
  const TProjectedQuad& GetProjected() const { return m_Projected; }

 private:
  TVec3 m_Corners[4];
  TProjectedQuad m_Projected;
};

// The corners cast from the light onto its plane; false when one does not reach it.
bool xCastShadow(const CLight& light, const TVec3 (&corners)[4], TVec3 (&out)[4]);
