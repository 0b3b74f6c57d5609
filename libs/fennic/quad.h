// Four corners seen by the camera: their places in half pixels of the view and their depths.
#pragma once

#include <cstdint>

#include "fennic/camera.h"

struct TProjectedQuad {
  double X[4] = {}, Y[4] = {};  // half pixels
  double Depth[4] = {};
  bool Valid = false;  // every corner lies in front of the camera

  // Twice the signed area in half pixels squared; positive when the corners run clockwise on the
  // screen (y down), as the face of a card seen from the front.
  double TwiceArea() const;
};

// Projects the corners; Valid only when all four are in front of the camera.
TProjectedQuad xProjectQuad(const CCamera& camera, const TVec3 (&corners)[4]);
