// Helpers of the 3-D card library's tests: small BMP files made in code, and comparisons of poses.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "fennic/fennic.h"
#include "ostrel/graphics/rgba.h"

// A 24-bit BMP file (rows bottom up, as most files have them) of a picture given pixel by pixel.
inline bool WriteBmp24(const std::string& path, int32_t width, int32_t height,
                       const std::function<TRGBA(int32_t, int32_t)>& colour) {
  const int32_t pitch = (width * 3 + 3) & ~3;
  std::string s(54, '\0');
  auto put32 = [&s](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
  };
  s[0] = 'B';
  s[1] = 'M';
  put32(2, static_cast<uint32_t>(54 + pitch * height));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  s[26] = 1;
  s[28] = 24;
  for (int32_t y = height - 1; y >= 0; --y) {
    std::string row(static_cast<size_t>(pitch), '\0');
    for (int32_t x = 0; x < width; ++x) {
      const TRGBA c = colour(x, y);
      row[3 * x] = static_cast<char>(c.b);
      row[3 * x + 1] = static_cast<char>(c.g);
      row[3 * x + 2] = static_cast<char>(c.r);
    }
    s += row;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
  return std::fclose(f) == 0 && ok;
}

// The pose of an object as one array.
struct TPose {
  double v[POSE_AXES];
};
inline TPose PoseOf(const CObject& o) {
  TPose p;
  for (int32_t i = 0; i < POSE_AXES; ++i) p.v[i] = o.GetPose()[i];
  return p;
}
// Equal to the last bit: the moves promise their exact starts and ends.
inline void ExpectSamePose(const TPose& a, const TPose& b, const char* what = "") {
  for (int32_t i = 0; i < POSE_AXES; ++i) EXPECT_EQ(a.v[i], b.v[i]) << what << " axis " << i;
}

// A move of the object over frames with every axis given as (start, end) and no shaping.
inline void SetAllAxes(C3DMove& m, const double (&start)[POSE_AXES], const double (&end)[POSE_AXES]) {
  for (int32_t i = 0; i < POSE_AXES; ++i) m.SetAxis(i, start[i], 0, end[i], 0);
}
