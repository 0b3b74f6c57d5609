// The part every pixel worker shares: clipping, locating the first row of each side, and the
// row walk that keeps the load-data callback going during long conversions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/graphics/blit.h"
#include "ostrel/system/frameloop.h"

struct SBltRows {
  const uint8_t* Src;
  uint8_t* Dst;
  int32_t SrcPitch, DstPitch;
  int32_t Width, Height;
};

// Clips the copy and finds its first rows; 0 when nothing is left.
inline int32_t xBltRows(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                        int32_t height, int32_t srcBytes, const TPixelBuffer& dst, int32_t dstX,
                        int32_t dstY, int32_t dstBytes, SBltRows& rows) {
  if (!src.Pixels || !dst.Pixels || !src.Clip || !dst.Clip) return 0;
  if (!ClipBlitRects(srcX, srcY, width, height, src.Clip, dstX, dstY, dst.Clip)) return 0;
  rows.Src = src.Pixels + static_cast<ptrdiff_t>(srcY) * src.Pitch +
             static_cast<ptrdiff_t>(srcX) * srcBytes;
  rows.Dst = dst.Pixels + static_cast<ptrdiff_t>(dstY) * dst.Pitch +
             static_cast<ptrdiff_t>(dstX) * dstBytes;
  rows.SrcPitch = src.Pitch;
  rows.DstPitch = dst.Pitch;
  rows.Width = width;
  rows.Height = height;
  return 1;
}

// Calls row(source row, destination row) for each row, the load-data callback before each row
// whose index is a multiple of 32.
template <class RowFn>
inline void xForEachRow(const SBltRows& rows, RowFn&& row) {
  const uint8_t* s = rows.Src;
  uint8_t* d = rows.Dst;
  for (int32_t y = 0; y < rows.Height; ++y, s += rows.SrcPitch, d += rows.DstPitch) {
    if ((y & 31) == 0) xCallLoadDataCallback();
    row(s, d);
  }
}

// The three bytes of a 24-bit pixel as one value, first byte lowest.
inline uint32_t xLoad24(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16;
}
