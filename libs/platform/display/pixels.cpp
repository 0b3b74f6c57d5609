#include "platform/display/pixels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {
inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }
inline uint32_t Xrgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
}  // namespace

int32_t PlatformBytesPerPixel(EPixelFormat format) {
  switch (format) {
    case EPixelFormat::Indexed8: return 1;
    case EPixelFormat::Rgb555:
    case EPixelFormat::Rgb565: return 2;
    case EPixelFormat::Bgr24: return 3;
  }
  return 0;
}

bool PlatformFramebufferUsable(const TDisplayFramebuffer& fb) {
  const int32_t bpp = PlatformBytesPerPixel(fb.format);
  return fb.pixels && bpp > 0 && fb.width > 0 && fb.height > 0 &&
         static_cast<int64_t>(fb.pitch) >= static_cast<int64_t>(fb.width) * bpp;
}

void PlatformPixelsToXrgb(const uint8_t* src, EPixelFormat format, const TDisplayColour* palette, int32_t count,
                          uint32_t* dst) {
  switch (format) {
    case EPixelFormat::Indexed8:
      for (int32_t i = 0; i < count; ++i) {
        const TDisplayColour& c = palette[src[i]];
        dst[i] = Xrgb(c.red, c.green, c.blue);
      }
      break;
    case EPixelFormat::Rgb555:
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = src[2 * i] | (src[2 * i + 1] << 8);
        dst[i] = Xrgb(Expand5((p >> 10) & 31), Expand5((p >> 5) & 31), Expand5(p & 31));
      }
      break;
    case EPixelFormat::Rgb565:
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = src[2 * i] | (src[2 * i + 1] << 8);
        dst[i] = Xrgb(Expand5((p >> 11) & 31), Expand6((p >> 5) & 63), Expand5(p & 31));
      }
      break;
    case EPixelFormat::Bgr24: {
      int32_t i = 0;
      if constexpr (std::endian::native == std::endian::little) {
        // Blue, green, red read as one word are already 0x00RRGGBB once the next pixel's byte is
        // masked off; the last pixel has no next byte to read.
        for (; i + 1 < count; ++i) {
          uint32_t v;
          std::memcpy(&v, src + 3 * i, sizeof v);
          dst[i] = v & 0xFFFFFFu;
        }
      }
      for (; i < count; ++i) dst[i] = Xrgb(src[3 * i + 2], src[3 * i + 1], src[3 * i]);
      break;
    }
  }
}

bool PlatformClipPresentRect(const TDisplayFramebuffer& fb, const TDisplayRect& rect, int32_t dstX, int32_t dstY,
                             int32_t targetWidth, int32_t targetHeight, TDisplayRect& out) {
  // 64 bits: rectangles and offsets come from callers and may sit anywhere.
  int64_t x0 = std::max<int64_t>({rect.x, 0, -static_cast<int64_t>(dstX)});
  int64_t y0 = std::max<int64_t>({rect.y, 0, -static_cast<int64_t>(dstY)});
  int64_t x1 = std::min<int64_t>({static_cast<int64_t>(rect.x) + rect.width, fb.width,
                                  static_cast<int64_t>(targetWidth) - dstX});
  int64_t y1 = std::min<int64_t>({static_cast<int64_t>(rect.y) + rect.height, fb.height,
                                  static_cast<int64_t>(targetHeight) - dstY});
  if (rect.width < 1 || rect.height < 1 || x0 >= x1 || y0 >= y1) return false;
  out = {static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - x0),
         static_cast<int32_t>(y1 - y0)};
  return true;
}
