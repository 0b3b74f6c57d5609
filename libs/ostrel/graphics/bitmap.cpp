#include "ostrel/graphics/bitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/graphics/pictype.h"
#include "ostrel/system/globals.h"

namespace {
constexpr int32_t kMaxBitmapBytes = INT32_MAX;

uint8_t* AllocPixels(int32_t pitch, int32_t height, uint8_t fill) {
  const size_t n = static_cast<size_t>(pitch) * static_cast<size_t>(height);
  auto* p = new (std::nothrow) uint8_t[n];
  if (p) std::memset(p, fill, n);
  return p;
}

// The channel rule of 16-bit pixels: only the channel's own field is replaced.
void PutChannel16(uint32_t& pixel, uint8_t value, int32_t shift, int32_t width) {
  if (width <= 0) return;
  const uint32_t mask = xChannelMask(shift, width);
  pixel = (pixel & ~mask) | (xPackChannel(value, shift, width) & mask);
}
}  // namespace

int32_t xBitmapPitch(int32_t width, int32_t height, int32_t bytesPerPixel) {
  if (width < 0 || height < 0 || bytesPerPixel <= 0) return -1;
  const int64_t pitch = (static_cast<int64_t>(width) * bytesPerPixel + 3) & ~int64_t{3};
  if (pitch > kMaxBitmapBytes || pitch * height > kMaxBitmapBytes) return -1;
  return static_cast<int32_t>(pitch);
}

CBitmapBase::~CBitmapBase() = default;

TPixelBuffer CBitmapBase::Buffer(CRect* clipInside) const {
  clipInside->Set(std::max(m_ClipRect.left, 0), std::max(m_ClipRect.top, 0),
                  std::min(m_ClipRect.right, m_Width - 1), std::min(m_ClipRect.bottom, m_Height - 1));
  return {m_pData, m_Pitch, m_pPalette, Format(), clipInside};
}

CBitmap::~CBitmap() { Free(); }

int32_t CBitmap::Free() {
  delete[] m_pData;
  m_pData = nullptr;
  delete m_pPalette;
  m_pPalette = nullptr;
  // No pixels, no size: a freed bitmap can never be read or written beside its buffer.
  m_Width = m_Height = m_Pitch = 0;
  m_ClipRect.Set(0, 0, -1, -1);
  return 1;
}

void CBitmap::AdoptPixels(uint8_t* data, int32_t pitch) {
  delete[] m_pData;
  m_pData = data;
  m_Pitch = pitch;
  m_ClipRect.Set(0, 0, m_Width - 1, m_Height - 1);
  m_ScreenSurface = 0;
  m_Changed = 1;
}

int32_t CBitmap::Make(int32_t width, int32_t height, int32_t bits, int32_t bytes) {
  const int32_t pitch = xBitmapPitch(width, height, bytes);
  if (pitch < 0) return 0;
  uint8_t* data = AllocPixels(pitch, height, 0);
  if (!data) return 0;
  Free();
  m_Width = width;
  m_Height = height;
  m_BitsPerPixel = bits;
  m_BytesPerPixel = bytes;
  AdoptPixels(data, pitch);
  return 1;
}

const CPalette& CBitmap::PaletteOrGrey() const {
  return m_pPalette ? *m_pPalette : xGreyPalette();
}

int32_t CBitmap::CopyPalette(const CPalette& from) {
  if (&from == m_pPalette) return 1;
  CPalette* own = m_pPalette ? m_pPalette : new (std::nothrow) CPalette;
  if (!own || !own->Clone(&from)) {
    if (own != m_pPalette) delete own;
    return 0;
  }
  m_pPalette = own;
  return 1;
}

int32_t CBitmap::CreateIndex(int32_t width, int32_t height, int32_t bits, const CPalette* palette,
                             int32_t) {
  if (bits < 1 || bits > 8 || xBitmapPitch(width, height, 1) < 0) return 0;
  // Copied before Free: the palette given may be this bitmap's own.
  std::unique_ptr<CPalette> copy;
  if (palette) {
    copy.reset(new (std::nothrow) CPalette);
    if (!copy || !copy->Clone(palette)) return 0;
  }
  if (!Make(width, height, bits, 1)) return 0;
  m_RGBFlag = 0;
  m_pPalette = copy.release();
  return 1;
}

int32_t CBitmap::CreateRGB(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                           int32_t greenBits, int32_t blueBits, int32_t redShift,
                           int32_t greenShift, int32_t blueShift, int32_t flags) {
  return CreateRGBA(width, height, bits, redBits, greenBits, blueBits, 0, redShift, greenShift,
                    blueShift, 0, flags);
}

int32_t CBitmap::CreateRGBA(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                            int32_t greenBits, int32_t blueBits, int32_t alphaBits,
                            int32_t redShift, int32_t greenShift, int32_t blueShift,
                            int32_t alphaShift, int32_t) {
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return 0;
  const TPixelFormat f = {redBits, greenBits, blueBits, redShift, greenShift, blueShift};
  if (!xIsValidPixelFormat(bits, f) || !xIsValidChannel(bits, alphaBits, alphaShift)) return 0;
  const int32_t bytes = bits / 8;
  if (!Make(width, height, bits, bytes)) return 0;
  SetFormat(f);
  m_AlphaBits = alphaBits;
  m_AlphaShift = alphaShift;
  m_RGBFlag = 1;
  return 1;
}

int32_t CBitmap::Load(const char* fileName, int32_t) {
  CPicTypeList* types = glb ? glb->m_pPicTypeList : nullptr;
  CPicType* type = types ? types->GetType(fileName) : nullptr;
  if (!type) return 0;
  Free();
  if (!type->Load(fileName, this, nullptr)) return 0;
  m_ClipRect.Set(0, 0, m_Width - 1, m_Height - 1);
  m_ScreenSurface = 0;
  m_Changed = 1;
  return 1;
}

int32_t CBitmap::Blt(CBitmapBase* src, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                     int32_t width, int32_t height, int32_t mode, int32_t flags, int32_t) {
  m_Changed = 1;
  if (!src) return 1;
  if (width == -1) width = src->m_Width;
  if (height == -1) height = src->m_Height;
  const int32_t from = src->m_BitsPerPixel, to = m_BitsPerPixel;
  if ((to == 8 && from != 8) || (to != 8 && to != 16 && to != 24)) return 1;
  const TBltWorker worker = xGetBltWorker(from, to);
  if (!worker) return 1;
  CRect srcClip, dstClip;
  const TPixelBuffer s = src->Buffer(&srcClip), d = Buffer(&dstClip);
  worker(s, srcX, srcY, width, height, mode, flags, d, dstX, dstY);
  return 1;
}

int32_t CBitmap::BltScale(CBitmapBase*, const CRect*, const CRect*, int32_t) {
  m_Changed = 1;
  return 1;
}

int32_t CBitmap::Fill(const TRGBA* c) {
  if (!m_pData || !c) return 0;
  const size_t all = static_cast<size_t>(m_Pitch) * static_cast<size_t>(m_Height);
  if (m_BitsPerPixel == 8) {
    xMemset(m_pData, PaletteOrGrey().FindMatch(c), all);
    return 1;
  }
  if (m_BitsPerPixel == 24 && c->r == c->g && c->g == c->b) {
    xMemset(m_pData, c->r, all);
    return 1;
  }
  if (m_BitsPerPixel != 16 && m_BitsPerPixel != 24 && m_BitsPerPixel != 32) return 0;
  uint8_t p[4];
  MakePixel(*c, p);
  for (int32_t y = 0; y < m_Height; ++y) {
    uint8_t* row = m_pData + static_cast<size_t>(y) * m_Pitch;
    if (m_BitsPerPixel == 16) {
      xMemset16(row, static_cast<uint16_t>(p[0] | p[1] << 8), m_Width);
    } else if (m_BitsPerPixel == 24) {
      xMemset24(row, static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2], m_Width);
    } else {
      for (int32_t x = 0; x < m_Width; ++x) std::memcpy(row + 4 * x, p, 4);
    }
  }
  return 1;
}

void CBitmap::MakePixel(const TRGBA& c, uint8_t* out) const {
  std::memset(out, 0, 4);
  if (m_BitsPerPixel == 16) {
    const uint32_t v = xPack16(Format(), c.r, c.g, c.b);
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    return;
  }
  const int32_t n = m_BytesPerPixel;
  out[xChannelByte(m_RedShift, n)] = c.r;
  out[xChannelByte(m_GreenShift, n)] = c.g;
  out[xChannelByte(m_BlueShift, n)] = c.b;
  if (n == 4 && m_AlphaBits) out[xChannelByte(m_AlphaShift, n)] = c.a;
}

uint8_t* CBitmap::PixelAt(int64_t offset) const {
  if (!m_pData || offset < 0 ||
      offset + m_BytesPerPixel > static_cast<int64_t>(m_Pitch) * m_Height)
    return nullptr;
  return m_pData + offset;
}

int32_t CBitmap::PutPixel(int32_t offset, const TRGBA* c) {
  uint8_t* p = PixelAt(offset);
  if (!p || !c) return 0;
  switch (m_BitsPerPixel) {
    case 8:
      *p = static_cast<uint8_t>(PaletteOrGrey().FindMatch(c));
      return 1;
    case 16: {
      uint32_t v = p[0] | p[1] << 8;
      PutChannel16(v, c->r, m_RedShift, m_RedBits);
      PutChannel16(v, c->g, m_GreenShift, m_GreenBits);
      PutChannel16(v, c->b, m_BlueShift, m_BlueBits);
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
      return 1;
    }
    case 24:
    case 32: {
      // Alpha only where the layout has one: its shift would otherwise land on a colour byte.
      const int32_t n = m_BytesPerPixel;
      p[xChannelByte(m_RedShift, n)] = c->r;
      p[xChannelByte(m_GreenShift, n)] = c->g;
      p[xChannelByte(m_BlueShift, n)] = c->b;
      if (n == 4 && m_AlphaBits) p[xChannelByte(m_AlphaShift, n)] = c->a;
      return 1;
    }
    default:
      return 0;
  }
}

int32_t CBitmap::GetPixel(int32_t offset, TRGBA* c) const {
  const uint8_t* p = PixelAt(offset);
  if (!p || !c) return 0;
  switch (m_BitsPerPixel) {
    case 8:
      return PaletteOrGrey().GetIndex(c, *p);
    case 16: {
      const uint32_t v = p[0] | p[1] << 8;
      c->r = xUnpackChannel(v, m_RedShift, m_RedBits);
      c->g = xUnpackChannel(v, m_GreenShift, m_GreenBits);
      c->b = xUnpackChannel(v, m_BlueShift, m_BlueBits);
      return 1;
    }
    case 24:
    case 32: {
      const int32_t n = m_BytesPerPixel;
      c->r = p[xChannelByte(m_RedShift, n)];
      c->g = p[xChannelByte(m_GreenShift, n)];
      c->b = p[xChannelByte(m_BlueShift, n)];
      if (n == 4 && m_AlphaBits) c->a = p[xChannelByte(m_AlphaShift, n)];
      return 1;
    }
    default:
      return 0;
  }
}

int32_t CBitmap::PutPixel(int32_t x, int32_t y, const TRGBA* c) {
  if (x < 0 || y < 0 || x >= m_Width || y >= m_Height) return 0;
  return PutPixel(static_cast<int32_t>(static_cast<int64_t>(y) * m_Pitch + x * m_BytesPerPixel), c);
}

int32_t CBitmap::GetPixel(int32_t x, int32_t y, TRGBA* c) const {
  if (x < 0 || y < 0 || x >= m_Width || y >= m_Height) return 0;
  return GetPixel(static_cast<int32_t>(static_cast<int64_t>(y) * m_Pitch + x * m_BytesPerPixel), c);
}
