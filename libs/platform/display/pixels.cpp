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

namespace {
// The client span [first, last) that shows framebuffer cells [from, to) of size cells stretched
// over length client pixels starting at origin: pixel p shows cell (p - origin) * size / length.
void StretchSpan(int64_t from, int64_t to, int64_t size, int64_t origin, int64_t length, int64_t& first,
                 int64_t& last) {
  first = origin + (from * length + size - 1) / size;
  last = origin + (to * length + size - 1) / size;
}

int64_t SourceCell(int64_t pixel, int64_t origin, int64_t size, int64_t length) {
  return (pixel - origin) * size / length;
}
}  // namespace

bool PlatformScaleRect(const TDisplayFramebuffer& fb, const TDisplayRect& rect, const TDisplayRect& target,
                       int32_t clientWidth, int32_t clientHeight, TDisplayRect& out) {
  if (rect.width < 1 || rect.height < 1 || target.width < 1 || target.height < 1 || fb.width < 1 || fb.height < 1)
    return false;
  const int64_t x0 = std::max<int64_t>(rect.x, 0), y0 = std::max<int64_t>(rect.y, 0);
  const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, fb.width);
  const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, fb.height);
  if (x0 >= x1 || y0 >= y1) return false;
  int64_t left, right, top, bottom;
  StretchSpan(x0, x1, fb.width, target.x, target.width, left, right);
  StretchSpan(y0, y1, fb.height, target.y, target.height, top, bottom);
  left = std::max<int64_t>({left, 0, target.x});
  top = std::max<int64_t>({top, 0, target.y});
  right = std::min<int64_t>({right, clientWidth, static_cast<int64_t>(target.x) + target.width});
  bottom = std::min<int64_t>({bottom, clientHeight, static_cast<int64_t>(target.y) + target.height});
  if (left >= right || top >= bottom) return false;
  out = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
         static_cast<int32_t>(bottom - top)};
  return true;
}

void PlatformStretchToXrgb(const TDisplayFramebuffer& fb, const TDisplayColour* palette, const TDisplayRect& target,
                           const TDisplayRect& out, std::vector<uint32_t>& pixels) {
  const auto width = static_cast<size_t>(out.width);
  pixels.resize(width * static_cast<size_t>(out.height));
  if (width == 0) return;
  std::vector<int32_t> column(width);
  for (size_t i = 0; i < width; ++i)
    column[i] = static_cast<int32_t>(SourceCell(out.x + static_cast<int64_t>(i), target.x, fb.width, target.width));
  const int32_t firstColumn = column.front();
  const int32_t bpp = PlatformBytesPerPixel(fb.format);
  std::vector<uint32_t> line(static_cast<size_t>(column.back() - firstColumn + 1));
  int64_t converted = -1;
  for (int32_t row = 0; row < out.height; ++row) {
    const int64_t sy = SourceCell(static_cast<int64_t>(out.y) + row, target.y, fb.height, target.height);
    if (sy != converted) {
      PlatformPixelsToXrgb(fb.pixels + sy * fb.pitch + static_cast<int64_t>(firstColumn) * bpp, fb.format, palette,
                           static_cast<int32_t>(line.size()), line.data());
      converted = sy;
    }
    uint32_t* dst = pixels.data() + static_cast<size_t>(row) * width;
    for (size_t i = 0; i < width; ++i) dst[i] = line[static_cast<size_t>(column[i] - firstColumn)];
  }
}
