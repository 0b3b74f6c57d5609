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

TMat3 xRotX(double degrees) {
  double s, c;
  xSinCosDeg(degrees, &s, &c);
  TMat3 r;
  r.m[1][1] = c;
  r.m[1][2] = -s;
  r.m[2][1] = s;
  r.m[2][2] = c;
  return r;
}

TMat3 xRotY(double degrees) {
  double s, c;
  xSinCosDeg(degrees, &s, &c);
  TMat3 r;
  r.m[0][0] = c;
  r.m[0][2] = s;
  r.m[2][0] = -s;
  r.m[2][2] = c;
  return r;
}

TMat3 xRotZ(double degrees) {
  double s, c;
  xSinCosDeg(degrees, &s, &c);
  TMat3 r;
  r.m[0][0] = c;
  r.m[0][1] = -s;
  r.m[1][0] = s;
  r.m[1][1] = c;
  return r;
}

TMat3 xPoseRotation(double rx, double ry, double rz) { return xRotX(rx) * xRotZ(rz) * xRotY(ry); }
