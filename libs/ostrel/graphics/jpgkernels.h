// The JPEG decoder's inner loops: the integer inverse DCT, the full-range YCbCr to blue, green,
// red conversion and horizontal sample replication. Each has a plain form and, where the
// processor has SSE2, a vector form that gives the same bytes for every input.
#pragma once

#include <cstdint>

// The 8x8 inverse DCT of dequantised coefficients (natural order) into 8 rows of 8 samples,
// stride bytes apart: columns first keeping 2 fraction bits in 16-bit work values, rows second
// descaled by 18 bits, 128 added and clamped to 0..255. Arithmetic wraps in 16 and 32 bits, so
// hostile coefficients give wrong samples and nothing else.
void xJpegIdct(const int16_t* coef, uint8_t* out, int32_t stride);
void xJpegIdctPlain(const int16_t* coef, uint8_t* out, int32_t stride);
// The sample of a block whose only non-zero coefficient is the dequantised DC value.
uint8_t xJpegIdctDC(int16_t dc);

// The 16.16 products of the JFIF conversion for each byte value.
struct SJpegColourTables {
  int32_t CrR[256];  // (1.40200 x (v - 128)) rounded
  int32_t CbB[256];  // (1.77200 x (v - 128)) rounded
  int32_t CrG[256];  // -0.71414 x (v - 128), 16.16
  int32_t CbG[256];  // -0.34414 x (v - 128) + one half, 16.16
};
void xJpegBuildColourTables(SJpegColourTables* t);

// count pixels from three sample rows to blue, green, red bytes.
void xJpegYCbCrToBGR(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                     int32_t count, const SJpegColourTables& t);
void xJpegYCbCrToBGRPlain(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                          int32_t count, const SJpegColourTables& t);
// Grey samples to blue, green, red bytes.
void xJpegGreyToBGR(const uint8_t* y, uint8_t* out, int32_t count);

// out[x] = in[x / factor] for x below count.
void xJpegReplicate(const uint8_t* in, uint8_t* out, int32_t count, int32_t factor);
