#include "ostrel/graphics/bmppic.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/graphics/pixelformat.h"
#include "ostrel/system/frameloop.h"

namespace {
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kRGB = 0;
constexpr uint32_t kRLE8 = 1;

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The bitmap's row r counted from the top.
uint8_t* Row(CBitmapBase* b, int32_t r) {
  return b->m_pData + static_cast<size_t>(r) * static_cast<size_t>(b->m_Pitch);
}
}  // namespace

int32_t CBMPPic::IsType(const char*, const char* extension) {
  return extension && xStricmp(extension, "bmp") == 0 ? 1 : 0;
}

int32_t CBMPPic::GetDesc(const char** extension, const char** description) {
  if (extension) *extension = "bmp";
  if (description) *description = "Windows Bitmap";
  return 1;
}

int32_t CBMPPic::Load(CBitmapBase* bitmap, void*) {
  xCallLoadDataCallback();
  uint8_t fh[kFileHeaderSize], ih[kInfoHeaderSize];
  if (!bitmap || !Read(fh, sizeof fh) || !Read(ih, sizeof ih)) return 0;
  if (fh[0] != 'B' || fh[1] != 'M' || Le32(ih) != kInfoHeaderSize) return 0;
  const uint32_t pixelOffset = Le32(fh + 10);
  const auto width = static_cast<int32_t>(Le32(ih + 4));
  const auto height = static_cast<int32_t>(Le32(ih + 8));
  const int32_t bits = Le16(ih + 14);
  const uint32_t compression = Le32(ih + 16);
  const uint32_t coloursUsed = Le32(ih + 32);
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
  if (compression != kRGB && !(compression == kRLE8 && bits == 8)) return 0;
  // Top-down files (negative height) and empty pictures are not ours to guess at. A run-length
  // stream may end long before the last row (the rest stays colour 0), so a few bytes can declare
  // any area: the pixel limit is all that bounds it.
  if (!SizeAllowed(width, height) || coloursUsed > PALETTE_SIZE) return 0;
  const int32_t fileBytes = bits / 8;
  const int32_t bytes = bits == 32 ? 3 : fileBytes;
  const int64_t rowLength = static_cast<int64_t>(width) * bytes;
  if (rowLength * height > INT32_MAX) return 0;
  if (pixelOffset > m_Size) return 0;
  if (compression == kRGB) {
    // Every row with its padding must be in the file before anything is allocated for it.
    const int64_t fileRow = (static_cast<int64_t>(width) * fileBytes + 3) & ~int64_t{3};
    if (fileRow * height > static_cast<int64_t>(m_Size - pixelOffset)) return 0;
  }

  bitmap->Free();
  if (bits == 8) {
    bitmap->m_pPalette = new (std::nothrow) CPalette;
    if (!bitmap->m_pPalette || !ReadPalette(bitmap, coloursUsed ? coloursUsed : PALETTE_SIZE))
      return 0;
    bitmap->m_RGBFlag = 0;
  } else {
    bitmap->m_RGBFlag = 1;
  }
  if (!Seek(pixelOffset, PIC_SEEK_SET)) return 0;
  const size_t total = static_cast<size_t>(rowLength) * static_cast<size_t>(height);
  bitmap->m_pData = new (std::nothrow) uint8_t[total];
  if (!bitmap->m_pData) return 0;
  std::memset(bitmap->m_pData, 0, total);
  bitmap->m_Width = width;
  bitmap->m_Height = height;
  bitmap->m_BitsPerPixel = bytes * 8;
  bitmap->m_BytesPerPixel = bytes;
  bitmap->m_Pitch = static_cast<int32_t>(rowLength);
  // 16-bit files hold 5-5-5 words; the others blue, green, red bytes.
  bitmap->SetFormat(bits == 16 ? PIXELFORMAT_555 : PIXELFORMAT_BGR24);
  bitmap->m_ClipRect.Set(0, 0, width - 1, height - 1);
  bitmap->m_Changed = 1;
  return compression == kRLE8 ? ReadRLE8(bitmap) : ReadPlain(bitmap, fileBytes);
}

int32_t CBMPPic::ReadPalette(CBitmapBase* bitmap, uint32_t colours) {
  for (uint32_t i = 0; i < colours; ++i) {
    uint8_t q[4];
    if (!Read(q, sizeof q)) return 0;
    bitmap->m_pPalette->m_Entries[i].Set(q[2], q[1], q[0], 255);
  }
  return 1;
}

int32_t CBMPPic::ReadPlain(CBitmapBase* bitmap, int32_t fileBytes) {
  const int32_t width = bitmap->m_Width;
  const uint32_t fileLength = static_cast<uint32_t>(width) * static_cast<uint32_t>(fileBytes);
  const uint32_t padding = (4 - fileLength % 4) % 4;
  for (int32_t r = bitmap->m_Height - 1; r >= 0; --r) {
    uint8_t* dst = Row(bitmap, r);
    if (fileBytes == 4) {
      // Blue, green, red of each pixel; the fourth byte is dropped.
      if (fileLength > Remaining()) return 0;
      const uint8_t* src = m_pImage + m_Pos;
      for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) std::memcpy(dst, src, 3);
      m_Pos += fileLength;
    } else if (!Read(dst, fileLength)) {
      return 0;
    }
    if (!Seek(padding, PIC_SEEK_CUR)) return 0;
  }
  return 1;
}

int32_t CBMPPic::ReadRLE8(CBitmapBase* bitmap) {
  // Writers run rows into their padding and end the top row with an end of line: pixels that
  // fall outside the picture are dropped, never written.
  const int32_t width = bitmap->m_Width;
  int32_t row = bitmap->m_Height - 1, col = 0;  // row -1: above the top
  auto put = [&](int32_t n, const uint8_t* from, uint8_t value) {
    if (row >= 0 && col < width) {
      const int32_t m = std::min(n, width - col);
      uint8_t* to = Row(bitmap, row) + col;
      if (from) std::memcpy(to, from, static_cast<size_t>(m));
      else std::memset(to, value, static_cast<size_t>(m));
    }
    col = std::min(col + n, width);
  };
  for (;;) {
    uint8_t pair[2];
    if (!Read(pair, 2)) return 0;
    if (pair[0]) {
      put(pair[0], nullptr, pair[1]);
      continue;
    }
    switch (pair[1]) {
      case 0:  // end of line
        row = std::max(row - 1, -1);
        col = 0;
        break;
      case 1:  // end of bitmap
        return 1;
      case 2: {  // delta: right and up
        uint8_t d[2];
        if (!Read(d, 2)) return 0;
        col = std::min(col + d[0], width);
        row = std::max(row - d[1], -1);
        break;
      }
      default: {  // absolute run, padded to a word
        const int32_t n = pair[1];
        if (n > static_cast<int32_t>(Remaining())) return 0;
        put(n, m_pImage + m_Pos, 0);
        m_Pos += static_cast<uint32_t>(n);
        if ((n & 1) && !Seek(1, PIC_SEEK_CUR)) return 0;
        break;
      }
    }
  }
}
