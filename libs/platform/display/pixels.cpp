#include "platform/display/pixels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {
inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }
inline uint32_t Xrgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

inline uint32_t LoadLittle32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels per byte shuffle: their bytes already stand in 0x00RRGGBB's order, each only lacks
// its zero byte. About four times the plain loop's speed; processors without the instruction
// take the plain loop. Returns the pixels done.
__attribute__((target("ssse3"))) int32_t Bgr24ToXrgbShuffled(const uint8_t* src, int32_t count, uint32_t* dst) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  int32_t i = 0;
  // 16 bytes read for 12 used: only while 6 pixels or more are left, so no read passes the row.
  for (; i + 6 <= count; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_shuffle_epi8(v, spread));
  }
  return i;
}

int32_t Bgr24ToXrgbFast(const uint8_t* src, int32_t count, uint32_t* dst) {
  static const bool shuffle = __builtin_cpu_supports("ssse3");
  return shuffle ? Bgr24ToXrgbShuffled(src, count, dst) : 0;
}
#else
int32_t Bgr24ToXrgbFast(const uint8_t*, int32_t, uint32_t*) { return 0; }
#endif

void Bgr24ToXrgb(const uint8_t* src, int32_t count, uint32_t* dst) {
  int32_t i = Bgr24ToXrgbFast(src, count, dst);
  src += static_cast<ptrdiff_t>(i) * 3;
  // Four pixels are three little-endian words: blue, green, red of each pixel in turn, so each
  // 0x00RRGGBB is a shifted piece of one word or two. No byte past the row's end is read.
  for (; i + 4 <= count; i += 4, src += 12) {
    const uint32_t a = LoadLittle32(src), b = LoadLittle32(src + 4), c = LoadLittle32(src + 8);
    dst[i] = a & 0xFFFFFFu;
    dst[i + 1] = (a >> 24) | ((b & 0xFFFFu) << 8);
    dst[i + 2] = (b >> 16) | ((c & 0xFFu) << 16);
    dst[i + 3] = c >> 8;
  }
  for (; i < count; ++i, src += 3) dst[i] = Xrgb(src[2], src[1], src[0]);
}
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
    case EPixelFormat::Bgr24:
      Bgr24ToXrgb(src, count, dst);
      break;
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

namespace {
// The framebuffer columns a stretched rectangle shows, one per client column, counted from the
// first of them.
struct SStretchColumns {
  int32_t first = 0;
  std::vector<int32_t> offset;  // in framebuffer bytes for 24 bits, in pixels otherwise
  size_t wordSafe = 0;          // 24 bits: the client columns before this one may read 4 bytes
};

SStretchColumns StretchColumns(const TDisplayFramebuffer& fb, const TDisplayRect& target, const TDisplayRect& out) {
  SStretchColumns c;
  const auto width = static_cast<size_t>(out.width);
  c.offset.resize(width);
  for (size_t i = 0; i < width; ++i)
    c.offset[i] = static_cast<int32_t>(SourceCell(out.x + static_cast<int64_t>(i), target.x, fb.width, target.width));
  c.first = c.offset.front();
  const bool bytes = fb.format == EPixelFormat::Bgr24;
  for (size_t i = 0; i < width; ++i) {
    // Only the framebuffer's last column has no fourth byte after its three.
    if (c.offset[i] < fb.width - 1) c.wordSafe = i + 1;
    c.offset[i] = (c.offset[i] - c.first) * (bytes ? 3 : 1);
  }
  return c;
}

// A 24-bit row picked straight from the framebuffer: no converted copy of the row in between.
void StretchBgr24Row(const uint8_t* src, const SStretchColumns& c, uint32_t orBits, uint32_t* words) {
  const size_t width = c.offset.size();
  size_t i = 0;
  for (; i < c.wordSafe; ++i) words[i] = (LoadLittle32(src + c.offset[i]) & 0xFFFFFFu) | orBits;
  for (; i < width; ++i) {
    const uint8_t* p = src + c.offset[i];
    words[i] = Xrgb(p[2], p[1], p[0]) | orBits;
  }
}
}  // namespace

void PlatformStretchToXrgb(const TDisplayFramebuffer& fb, const TDisplayColour* palette, const TDisplayRect& target,
                           const TDisplayRect& out, uint32_t* dst, int64_t dstPitch, uint32_t orBits) {
  const auto width = static_cast<size_t>(out.width);
  if (width == 0 || out.height < 1) return;
  const SStretchColumns columns = StretchColumns(fb, target, out);
  const int32_t bpp = PlatformBytesPerPixel(fb.format);
  const bool bgr24 = fb.format == EPixelFormat::Bgr24;
  std::vector<uint32_t> line(bgr24 ? 0 : static_cast<size_t>(columns.offset.back() + 1));
  uint8_t* previous = nullptr;
  int64_t shown = -1;
  for (int32_t row = 0; row < out.height; ++row) {
    auto* rowStart = reinterpret_cast<uint8_t*>(dst) + row * dstPitch;
    const int64_t sy = SourceCell(static_cast<int64_t>(out.y) + row, target.y, fb.height, target.height);
    if (sy == shown) {
      // Enlarged: the row above shows the same framebuffer row.
      std::memcpy(rowStart, previous, width * sizeof(uint32_t));
      continue;
    }
    const uint8_t* src = fb.pixels + sy * fb.pitch + static_cast<int64_t>(columns.first) * bpp;
    auto* words = reinterpret_cast<uint32_t*>(rowStart);
    if (bgr24) {
      StretchBgr24Row(src, columns, orBits, words);
    } else {
      PlatformPixelsToXrgb(src, fb.format, palette, static_cast<int32_t>(line.size()), line.data());
      for (size_t i = 0; i < width; ++i) words[i] = line[static_cast<size_t>(columns.offset[i])] | orBits;
    }
    shown = sy;
    previous = rowStart;
  }
}
