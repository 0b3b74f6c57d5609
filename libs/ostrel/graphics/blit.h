// The pixel workers: rectangle copies and format conversions between raw pixel buffers, one
// function per pair of source and destination depths. Each clips first (ClipBlitRects), then
// walks the rectangle row by row, calling the load-data callback before every 32nd row.
//
// Mode BLT_MODE_KEY makes the source's colour key transparent: the key is the first pixel of the
// whole source buffer (not of the rectangle), and source pixels equal to it are not written.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"
#include "ostrel/graphics/pixelformat.h"

class CPalette;

// One pixel buffer as the workers see it.
struct TPixelBuffer {
  uint8_t* Pixels;
  int32_t Pitch;             // bytes from one row to the next
  const CPalette* Palette;   // 8-bit buffers; null reads as the grey ramp
  TPixelFormat Format;       // 16- and 24-bit buffers
  const CRect* Clip;         // inclusive; the caller keeps it inside the buffer
};

inline constexpr int32_t BLT_MODE_COPY = 0;
inline constexpr int32_t BLT_MODE_KEY = 1;
// Conversion flags: any non-zero value dithers 24 to 16 bits; this bit also skips the colour-key
// fix-up that keeps the key's value for key pixels alone.
inline constexpr int32_t BLT_NO_KEY_FIXUP = 2;

// Clips a copy so that it reads only inside srcClip and writes only inside dstClip, moving the
// other side's start when one side's start is cut. 1 when something is left, else 0.
int32_t ClipBlitRects(int32_t& srcX, int32_t& srcY, int32_t& width, int32_t& height,
                      const CRect* srcClip, int32_t& dstX, int32_t& dstY, const CRect* dstClip);

// Every worker: 1 when something was drawn, 0 when nothing was left after clipping.
using TBltWorker = int32_t (*)(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                               int32_t height, int32_t mode, int32_t flags,
                               const TPixelBuffer& dst, int32_t dstX, int32_t dstY);

// Whole rows copied; with the key, the key index skipped.
int32_t xBlt8to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                 int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                 int32_t dstX, int32_t dstY);
// Through the source palette packed into the destination layout.
int32_t xBlt8to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                  int32_t dstX, int32_t dstY);
int32_t xBlt8to24(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                  int32_t dstX, int32_t dstY);
// Rows copied when the layouts are equal, else each channel unpacked and packed again.
int32_t xBlt16to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                   int32_t dstX, int32_t dstY);
int32_t xBlt16to24(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                   int32_t dstX, int32_t dstY);
// The destination palette's nearest entry; with the key, pixels whose match is the key's match
// are skipped.
int32_t xBlt24to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                  int32_t dstX, int32_t dstY);
// Channels packed; non-zero flags dither along each row (not with the key).
int32_t xBlt24to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                   int32_t dstX, int32_t dstY);
// Rows copied when the byte places agree, else bytes moved to the destination places.
int32_t xBlt24to24(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                   int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                   int32_t dstX, int32_t dstY);
// A 5-5-5 source mapped to indices through the process's inverse colour table (made from the
// destination palette on first use, see inversetable.h). Mode and flags take no part. 0 also when
// the table's cache file could not be written; the pixels are converted all the same.
int32_t xBlt16to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                  int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                  int32_t dstX, int32_t dstY);

// After a 24-to-16 conversion: pixels whose source is the key get the key packed (K); any other
// pixel that came out as K is moved one step along its blue field, so only key pixels carry K.
int32_t xKeyFix24to16(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                      int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                      int32_t dstX, int32_t dstY);
// After a 24-to-8 conversion: key pixels get the key's best match, any other pixel on that index
// gets the key's second best.
int32_t xKeyFix24to8(const TPixelBuffer& src, int32_t srcX, int32_t srcY, int32_t width,
                     int32_t height, int32_t mode, int32_t flags, const TPixelBuffer& dst,
                     int32_t dstX, int32_t dstY);

// The worker for a depth pair among 8, 16 and 24 bits (16 to 8 excepted); null for other pairs.
TBltWorker xGetBltWorker(int32_t srcBits, int32_t dstBits);
