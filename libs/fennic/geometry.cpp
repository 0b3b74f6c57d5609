#include "fennic/geometry.h"

void xSinCosDeg(double degrees, double* s, double* c) {
  const double turns = degrees / 90.0;
  if (turns == std::round(turns) && std::fabs(turns) < 1e15) {
    // Quarter turns: the table's -90, 90 and -180 stay exact.
    static constexpr double kSin[4] = {0, 1, 0, -1}, kCos[4] = {1, 0, -1, 0};
    const auto q = static_cast<int64_t>(std::fmod(turns, 4.0) + 4) % 4;
    *s = kSin[q];
    *c = kCos[q];
    return;
  }
  const double r = degrees * (M_PI / 180.0);
  *s = std::sin(r);
  *c = std::cos(r);
}

namespace {
// A turn about one axis: the plane of the two others (i to j) turns counter-clockwise.
TMat3 Turn(int i, int j, double degrees) {
  double s, c;
  xSinCosDeg(degrees, &s, &c);
  TMat3 r;
  r.m[i][i] = c;
  r.m[i][j] = -s;
  r.m[j][i] = s;
  r.m[j][j] = c;
  return r;
}
}  // namespace

TMat3 xRotX(double degrees) { return Turn(1, 2, degrees); }
TMat3 xRotY(double degrees) { return Turn(2, 0, degrees); }
TMat3 xRotZ(double degrees) { return Turn(0, 1, degrees); }

TMat3 xPoseRotation(double rx, double ry, double rz) { return xRotX(rx) * xRotZ(rz) * xRotY(ry); }
