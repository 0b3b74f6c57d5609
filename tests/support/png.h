// Small golden images: 8-bit RGB pictures as PNG files, which a person can open directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TRgbImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel, no padding
};

// 8-bit RGB, no interlace, every row with filter 0. False when the file cannot be written.
bool WritePng(const std::string& path, const TRgbImage& image);
// 8-bit RGB without interlace, any filters. False when the file is missing or not of that kind.
bool ReadPng(const std::string& path, TRgbImage* image);
