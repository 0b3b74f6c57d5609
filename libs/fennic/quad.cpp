#include "fennic/quad.h"

double TProjectedQuad::TwiceArea() const {
  double sum = 0;
  for (int32_t i = 0; i < 4; ++i) {
    const int32_t j = (i + 1) % 4;
    sum += X[i] * Y[j] - X[j] * Y[i];
  }
  return sum;
}

TProjectedQuad xProjectQuad(const CCamera& camera, const TVec3 (&corners)[4]) {
  TProjectedQuad q;
  q.Valid = true;
  for (int32_t k = 0; k < 4; ++k)
    q.Valid = q.Valid && camera.Project(corners[k], &q.X[k], &q.Y[k], &q.Depth[k]);
  return q;
}
