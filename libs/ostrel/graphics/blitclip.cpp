#include <algorithm>

#include "ostrel/graphics/blit.h"

namespace {
// One axis against one clip span; a cut start moves the other side's start by as much.
bool ClipAxis(int64_t& pos, int64_t& size, int64_t lo, int64_t hi, int64_t& other) {
  const int64_t end = pos + size - 1;
  if (end < lo || pos > hi) return false;
  if (pos < lo) {
    other += lo - pos;
    pos = lo;
  }
  size = std::min(end, hi) - pos + 1;
  return true;
}
}  // namespace

int32_t ClipBlitRects(int32_t& srcX, int32_t& srcY, int32_t& width, int32_t& height,
                      const CRect* srcClip, int32_t& dstX, int32_t& dstY, const CRect* dstClip) {
  if (!srcClip || !dstClip) return 0;
  // 64 bits, so that far-off positions cannot wrap back into a clip.
  int64_t sx = srcX, sy = srcY, w = width, h = height, dx = dstX, dy = dstY;
  if (!ClipAxis(sx, w, srcClip->left, srcClip->right, dx) ||
      !ClipAxis(sy, h, srcClip->top, srcClip->bottom, dy) ||
      !ClipAxis(dx, w, dstClip->left, dstClip->right, sx) ||
      !ClipAxis(dy, h, dstClip->top, dstClip->bottom, sy) || w <= 0 || h <= 0)
    return 0;
  // Both starts now lie inside their clips, so every value fits again.
  srcX = static_cast<int32_t>(sx);
  srcY = static_cast<int32_t>(sy);
  dstX = static_cast<int32_t>(dx);
  dstY = static_cast<int32_t>(dy);
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return 1;
}

TBltWorker xGetBltWorker(int32_t srcBits, int32_t dstBits) {
  struct SPair {
    int32_t src, dst;
    TBltWorker worker;
  };
  static constexpr SPair kPairs[] = {
      {8, 8, xBlt8to8},     {8, 16, xBlt8to16},   {8, 24, xBlt8to24},
      {16, 16, xBlt16to16}, {16, 24, xBlt16to24}, {24, 8, xBlt24to8},
      {24, 16, xBlt24to16}, {24, 24, xBlt24to24},
  };
  for (const SPair& p : kPairs)
    if (p.src == srcBits && p.dst == dstBits) return p.worker;
  return nullptr;
}
