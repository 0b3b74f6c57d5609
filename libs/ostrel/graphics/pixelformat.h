// Channel layouts of RGB pixels and the rule that reads and writes one channel.
//
// 16 bits: one little-endian word; a channel of width w and shift s takes bits s .. s + w - 1.
// 24 and 32 bits: the channel whose shift is s is the byte at index (bytes - 1) - s / 8, so
// shifts 16, 8, 0 store the channels in that byte order.
#pragma once

#include <cstdint>

struct TPixelFormat {
  int32_t RedBits, GreenBits, BlueBits;
  int32_t RedShift, GreenShift, BlueShift;

  int32_t operator==(const TPixelFormat& o) const {
    return RedBits == o.RedBits && GreenBits == o.GreenBits && BlueBits == o.BlueBits &&
           RedShift == o.RedShift && GreenShift == o.GreenShift && BlueShift == o.BlueShift;
  }
  // 24 and 32 bits place whole bytes: the widths take no part.
  int32_t SameBytePlaces(const TPixelFormat& o) const {
    return RedShift == o.RedShift && GreenShift == o.GreenShift && BlueShift == o.BlueShift;
  }
};

inline constexpr TPixelFormat PIXELFORMAT_565 = {5, 6, 5, 11, 5, 0};
inline constexpr TPixelFormat PIXELFORMAT_555 = {5, 5, 5, 10, 5, 0};
// Red, green, blue in memory order.
inline constexpr TPixelFormat PIXELFORMAT_RGB24 = {8, 8, 8, 16, 8, 0};
// Blue, green, red in memory order, as picture files store them.
inline constexpr TPixelFormat PIXELFORMAT_BGR24 = {8, 8, 8, 0, 8, 16};

// The 8-bit value of a 16-bit channel: the low byte of ((pixel >> shift) << (8 - width)).
inline uint8_t xUnpackChannel(uint32_t pixel, int32_t shift, int32_t width) {
  return static_cast<uint8_t>((pixel >> shift) << (8 - width));
}
// An 8-bit value placed into a 16-bit channel: (value >> (8 - width)) << shift.
inline uint32_t xPackChannel(uint32_t value, int32_t shift, int32_t width) {
  return (value >> (8 - width)) << shift;
}
inline uint32_t xChannelMask(int32_t shift, int32_t width) {
  return ((1u << width) - 1u) << shift;
}
inline uint32_t xPack16(const TPixelFormat& f, uint32_t r, uint32_t g, uint32_t b) {
  return xPackChannel(r, f.RedShift, f.RedBits) | xPackChannel(g, f.GreenShift, f.GreenBits) |
         xPackChannel(b, f.BlueShift, f.BlueBits);
}
// Byte index of a channel inside a pixel of bytesPerPixel bytes.
inline int32_t xChannelByte(int32_t shift, int32_t bytesPerPixel) {
  return bytesPerPixel - 1 - shift / 8;
}

// 1 when every channel of width > 0 fits the pixel: widths 0 to 8, 16-bit fields inside the word,
// byte channels inside the pixel. Layouts outside this would read or write beside the pixel.
int32_t xIsValidChannel(int32_t bits, int32_t width, int32_t shift);
int32_t xIsValidPixelFormat(int32_t bits, const TPixelFormat& f);

// The grey copy of a 16-bit pixel: the channels at five bits summed and divided by 6 (grey at
// about half brightness), then scaled to each channel's own width, so a 6-bit green field gets
// six bits like the others.
inline uint16_t xGreyPixel16(uint32_t pixel, const TPixelFormat& f) {
  const uint32_t sum = (xUnpackChannel(pixel, f.RedShift, f.RedBits) >> 3) +
                       (xUnpackChannel(pixel, f.GreenShift, f.GreenBits) >> 3) +
                       (xUnpackChannel(pixel, f.BlueShift, f.BlueBits) >> 3);
  const uint32_t grey = (sum / 6) << 3;
  return static_cast<uint16_t>(xPack16(f, grey, grey, grey));
}
