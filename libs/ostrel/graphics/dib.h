// Device-independent bitmaps: a header with its colour table and top-down pixel bits, and a
// palette made from them. On this platform nothing draws through system palettes, so both are
// plain memory; the operations that served palette displays do nothing.
#pragma once

#include <cstdint>

#include "ostrel/graphics/rgba.h"

class CPalette;

// The 40-byte information header of device-independent bitmaps (and of BMP files).
struct TDibHeader {
  uint32_t Size;
  int32_t Width;
  int32_t Height;  // negative: rows top to bottom
  uint16_t Planes;
  uint16_t BitCount;
  uint32_t Compression;
  uint32_t SizeImage;
  int32_t XPelsPerMeter;
  int32_t YPelsPerMeter;
  uint32_t ClrUsed;
  uint32_t ClrImportant;
};
static_assert(sizeof(TDibHeader) == 40);

// One colour table entry, in its stored order.
struct TDibColour {
  uint8_t Blue, Green, Red, Reserved;
};

inline constexpr uint32_t DIB_HEADER_SIZE = 40;
inline constexpr uint32_t DIB_RGB = 0;  // no compression

class CDib {
 public:
  CDib() = default;
  ~CDib() { Exit(); }
  CDib(const CDib&) = delete;
  CDib& operator=(const CDib&) = delete;

  // Zeroed top-down bits of 1, 4, 8, 16, 24 or 32 bits with rows padded to 4 bytes, and a header
  // with a colour table of 2^bits entries below 24 bits; 0 when it cannot be made.
  int32_t Create(int32_t width, int32_t height, int32_t bits);
  // Copies the header (40 to 124 bytes) and its colour table, and uses the given bits without
  // owning them. 0 with "Out of memory" as the last error when the copy cannot be made.
  int32_t Create(const TDibHeader* info, uint8_t* bits);
  void Exit();

  int32_t GetWidth() const;
  // Rows, whichever way they run.
  int32_t GetHeight() const;
  // Colour table entries: 2, 16 or 256 for 1, 4 or 8 bits, else 0; a non-zero colours-used
  // field of a 40-byte header wins.
  int32_t GetNumColorEntries() const;
  TDibColour* GetColTabAddress() const;
  TDibHeader* GetInfo() const { return m_pInfo; }
  uint8_t* GetBits() const { return m_pBits; }
  // Bytes from one row to the next.
  int32_t GetPitch() const;
  const char* GetLastError() const { return m_pLastError; }

 private:
  TDibHeader* m_pInfo = nullptr;  // header and colour table in one block
  uint8_t* m_pBits = nullptr;
  bool m_OwnsBits = false;
  const char* m_pLastError = "";
};

inline constexpr int32_t DIBPAL_MAX_ENTRIES = 256;

class CDIBPal {
 public:
  // From the colour table of a bitmap; 0 when it has none.
  int32_t Create(const CDib* dib);
  int32_t Create(const CPalette* palette);
  // No display here has a system palette to take colours from: 0.
  int32_t SetSysPalColors(void* deviceContext);
  void Exit() { m_NumEntries = 0; }

  int32_t GetNumEntries() const { return m_NumEntries; }
  const TRGBA* GetEntries() const { return m_Entries; }

 private:
  TRGBA m_Entries[DIBPAL_MAX_ENTRIES] = {};
  int32_t m_NumEntries = 0;
};
