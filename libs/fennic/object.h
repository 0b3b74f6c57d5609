// A card of the scene: a rectangle with a face and a back, and its pose.
#pragma once

#include <cstdint>

#include "fennic/geometry.h"

class CSceneHandler;

// The six numbers that place an object: x, y, z, then the rotations rx, ry, rz in degrees.
enum EPoseAxis { POSE_X, POSE_Y, POSE_Z, POSE_RX, POSE_RY, POSE_RZ, POSE_AXES };

// What a card shows: a face cell (row, column) of the face sheet on its front and the back
// picture behind, or the back on both sides (row -1), with the part u0 .. u1, v0 .. v1 (fractions
// of the cell, 0 .. 1) stretched over the card.
struct TCardLook {
  int32_t Row = -1, Column = 0;
  double U0 = 0, V0 = 0, U1 = 1, V1 = 1;
};

// The card is Width x Height in its local x-y plane, centred on its origin, the face toward local
// +z and the top of the picture toward local +y; the pose places it by translate · Rx · Rz · Ry.
// Objects belong to whoever made them; one that is deleted while a list plays on it leaves the
// scene first.
class CObject {
 public:
  CObject() = default;
  ~CObject();
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;

  // This object becomes an independent copy of from (size, look and pose); it is not playing any
  // list afterwards. 0 for a null source.
  int32_t Clone(const CObject* from);

  // Non-finite values are refused (0) and change nothing.
  int32_t SetPosition(double x, double y, double z);
  int32_t SetRotate(double rx, double ry, double rz);
  int32_t SetPose(const double (&pose)[POSE_AXES]);
  int32_t SetSize(double width, double height);
  void GetPosition(double* x, double* y, double* z) const;
  void GetRotate(double* rx, double* ry, double* rz) const;
  const double (&GetPose() const)[POSE_AXES] { return m_Pose; }
  double GetWidth() const { return m_Width; }
  double GetHeight() const { return m_Height; }

  void SetLook(const TCardLook& look) { m_Look = look; }
  const TCardLook& GetLook() const { return m_Look; }

  // Corner k (0 top left, 1 top right, 2 bottom right, 3 bottom left of the face) in the world.
  TVec3 GetCorner(int32_t k) const;
  // The world direction the face looks to.
  TVec3 GetFaceNormal() const;

 private:
  friend class CSceneHandler;
  CSceneHandler* m_pPlayer = nullptr;  // the scene that plays a list on this object
  double m_Pose[POSE_AXES] = {};
  double m_Width = 0, m_Height = 0;
  TCardLook m_Look;
};
