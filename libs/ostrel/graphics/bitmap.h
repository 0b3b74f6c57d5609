// Pictures in memory: 8-bit indexed (with their own palette) or 16-, 24- or 32-bit RGB with a
// free channel layout (see pixelformat.h), a pitch and a clip rectangle.
#pragma once

#include <cstdint>

#include "ostrel/containers/rect.h"
#include "ostrel/graphics/blit.h"
#include "ostrel/graphics/rgba.h"

class CPalette;

class CBitmapBase {
 public:
  CBitmapBase() = default;
  virtual ~CBitmapBase();
  CBitmapBase(const CBitmapBase&) = delete;
  CBitmapBase& operator=(const CBitmapBase&) = delete;

  virtual int32_t CreateIndex(int32_t width, int32_t height, int32_t bits,
                              const CPalette* palette, int32_t flags) = 0;
  virtual int32_t CreateRGB(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                            int32_t greenBits, int32_t blueBits, int32_t redShift,
                            int32_t greenShift, int32_t blueShift, int32_t flags) = 0;
  virtual int32_t CreateRGBA(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                             int32_t greenBits, int32_t blueBits, int32_t alphaBits,
                             int32_t redShift, int32_t greenShift, int32_t blueShift,
                             int32_t alphaShift, int32_t flags) = 0;
  virtual int32_t Load(const char* fileName, int32_t flags) = 0;
  virtual int32_t ConvertIndex(int32_t width, int32_t height, int32_t bits,
                               const CPalette* palette, int32_t flags) = 0;
  virtual int32_t ConvertRGB(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                             int32_t greenBits, int32_t blueBits, int32_t redShift,
                             int32_t greenShift, int32_t blueShift, int32_t flags) = 0;
  virtual int32_t Blt(CBitmapBase* src, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
                      int32_t width, int32_t height, int32_t mode, int32_t flags,
                      int32_t unused) = 0;
  virtual int32_t BltScale(CBitmapBase* src, const CRect* srcRect, const CRect* dstRect,
                           int32_t flags) = 0;
  virtual int32_t Free() = 0;
  virtual int32_t LockBitmapData() = 0;
  virtual int32_t ReleaseBitmapData() = 0;

  // The red, green and blue layout as the pixel workers take it.
  TPixelFormat Format() const {
    return {m_RedBits, m_GreenBits, m_BlueBits, m_RedShift, m_GreenShift, m_BlueShift};
  }
  void SetFormat(const TPixelFormat& f) {
    m_RedBits = f.RedBits;
    m_GreenBits = f.GreenBits;
    m_BlueBits = f.BlueBits;
    m_RedShift = f.RedShift;
    m_GreenShift = f.GreenShift;
    m_BlueShift = f.BlueShift;
  }
  // The pixels as the pixel workers take them, with the clip rectangle cut to the pixels.
  TPixelBuffer Buffer(CRect* clipInside) const;

  int32_t m_Width = 0;
  int32_t m_Height = 0;
  int32_t m_BitsPerPixel = 0;
  int32_t m_Pitch = 0;
  int32_t m_BytesPerPixel = 0;
  int32_t m_RedBits = 0, m_GreenBits = 0, m_BlueBits = 0, m_AlphaBits = 0;
  int32_t m_RedShift = 0, m_GreenShift = 0, m_BlueShift = 0, m_AlphaShift = 0;
  // Rows top to bottom, m_Pitch bytes apart; from new[] (nothrow), freed with delete[].
  uint8_t* m_pData = nullptr;
  int32_t m_RGBFlag = 1;  // 0 indexed, 1 RGB
  // Set whenever the pixels may have changed; the screens clear it when they have taken them.
  int32_t m_Changed = 1;
  CPalette* m_pPalette = nullptr;  // owned; indexed bitmaps only
  CRect m_ClipRect;
  uint8_t m_ScreenSurface = 0;  // a screen made a surface for these pixels

 protected:
  friend class CScreenBase;
  virtual int32_t ScreenLockBitmapData() = 0;
  virtual int32_t ScreenReleaseBitmapData() = 0;
};

class CBitmap : public CBitmapBase {
 public:
  CBitmap() = default;
  ~CBitmap() override;

  // Zeroed pixels of 1 to 8 bits, each in one byte; an owned copy of the palette when one is
  // given. The flags take no part.
  int32_t CreateIndex(int32_t width, int32_t height, int32_t bits, const CPalette* palette,
                      int32_t flags) override;
  int32_t CreateRGB(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                    int32_t greenBits, int32_t blueBits, int32_t redShift, int32_t greenShift,
                    int32_t blueShift, int32_t flags) override;
  // Zeroed pixels of 8, 16, 24 or 32 bits; 0 for other depths and for layouts whose channels
  // leave the pixel. The flags take no part.
  int32_t CreateRGBA(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                     int32_t greenBits, int32_t blueBits, int32_t alphaBits, int32_t redShift,
                     int32_t greenShift, int32_t blueShift, int32_t alphaShift,
                     int32_t flags) override;
  // Through the picture type that accepts the name; the bitmap is emptied first.
  int32_t Load(const char* fileName, int32_t flags) override;
  // To indexed pixels against palette (the size arguments take no part). An 8-bit source is
  // mapped entry by entry, a 24-bit one through a 5-5-5 image (dithered when flags is non-zero)
  // and the inverse colour table. Unless flags has BLT_NO_KEY_FIXUP, pixels of the old first
  // pixel's value keep the key's best match to themselves.
  int32_t ConvertIndex(int32_t width, int32_t height, int32_t bits, const CPalette* palette,
                       int32_t flags) override;
  // To an RGB layout of 16, 24 or 32 bits (the size arguments take no part). From 24 to 16 bits
  // flags dither, and unless flags has BLT_NO_KEY_FIXUP only key pixels keep the packed key.
  int32_t ConvertRGB(int32_t width, int32_t height, int32_t bits, int32_t redBits,
                     int32_t greenBits, int32_t blueBits, int32_t redShift, int32_t greenShift,
                     int32_t blueShift, int32_t flags) override;
  // Copies a rectangle of src inside both clip rectangles; -1 as width or height takes the
  // source's. Into 8 bits only from 8; into 16 and 24 bits from 8, 16 and 24. Always 1.
  int32_t Blt(CBitmapBase* src, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY,
              int32_t width, int32_t height, int32_t mode, int32_t flags,
              int32_t unused) override;
  // Scaled drawing belongs to the screens: draws nothing, marks the pixels changed.
  int32_t BltScale(CBitmapBase* src, const CRect* srcRect, const CRect* dstRect,
                   int32_t flags) override;
  int32_t Free() override;
  int32_t LockBitmapData() override { return 1; }
  int32_t ReleaseBitmapData() override {
    m_Changed = 1;
    return 1;
  }

  // Every pixel set to the colour; 0 for depths other than 8, 16, 24 and 32.
  int32_t Fill(const TRGBA* colour);
  // The pixel at a byte offset into the pixels, or at (x, y). 8 bits store the palette's nearest
  // entry and read the entry's colour; 16 and 24 bits red, green and blue; 32 bits all four
  // channels that have a width. 0 outside the pixels.
  int32_t PutPixel(int32_t offset, const TRGBA* colour);
  int32_t GetPixel(int32_t offset, TRGBA* colour) const;
  int32_t PutPixel(int32_t x, int32_t y, const TRGBA* colour);
  int32_t GetPixel(int32_t x, int32_t y, TRGBA* colour) const;

 protected:
  int32_t ScreenLockBitmapData() override { return 1; }
  int32_t ScreenReleaseBitmapData() override {
    m_Changed = 0;
    return 1;
  }

 private:
  // New pixels replace the old ones: clip reset, surface flag cleared, marked changed.
  void AdoptPixels(uint8_t* data, int32_t pitch);
  // Zeroed pixels of a new size in place of everything held; 0 (nothing changed) without memory.
  int32_t Make(int32_t width, int32_t height, int32_t bits, int32_t bytes);
  const CPalette& PaletteOrGrey() const;
  // Makes the own palette a copy of another; 0 (own palette as it was) when it cannot.
  int32_t CopyPalette(const CPalette& from);
  // The raw bytes of a colour by the channel rule, bytes no channel covers 0.
  void MakePixel(const TRGBA& c, uint8_t* out) const;
  // The pixel at a byte offset; null when it is not wholly inside the pixels.
  uint8_t* PixelAt(int64_t offset) const;
};

// Bytes of one row of width pixels of bytesPerPixel, rounded up to 4; -1 when the bitmap of
// height rows would not fit the 32-bit sizes.
int32_t xBitmapPitch(int32_t width, int32_t height, int32_t bytesPerPixel);
