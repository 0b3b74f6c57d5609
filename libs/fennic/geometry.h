// Vectors and rotations of the scene: right-handed, y up, angles in degrees, every rotation
// counter-clockwise seen from the positive end of its axis.
#pragma once

#include <cmath>

struct TVec3 {
  double x = 0, y = 0, z = 0;
};

inline TVec3 operator+(const TVec3& a, const TVec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline TVec3 operator-(const TVec3& a, const TVec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline TVec3 operator*(const TVec3& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double xDot(const TVec3& a, const TVec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline bool xIsFinite(const TVec3& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// A 3 x 3 rotation, rows first.
struct TMat3 {
  double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

  TVec3 operator*(const TVec3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
  TMat3 operator*(const TMat3& o) const {
    TMat3 r;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return r;
  }
  // The inverse of a rotation.
  TMat3 Transposed() const {
    TMat3 r;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) r.m[i][j] = m[j][i];
    return r;
  }
};

// Sine and cosine of an angle in degrees; whole quarter turns come out exact, so a card laid at
// -90 lies truly flat.
void xSinCosDeg(double degrees, double* s, double* c);
TMat3 xRotX(double degrees);
TMat3 xRotY(double degrees);
TMat3 xRotZ(double degrees);
// Rx · Rz · Ry: the orientation of cards and polygons (Ry innermost).
TMat3 xPoseRotation(double rx, double ry, double rz);
