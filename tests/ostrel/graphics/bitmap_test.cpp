#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/graphics/pictype.h"
#include "support/runtimefixture.h"

namespace {

class Bitmaps : public CRuntimeTest {};

std::vector<uint8_t> Bytes(const CBitmap& b) {
  return {b.m_pData, b.m_pData + b.m_Pitch * b.m_Height};
}

uint16_t Pixel16(const CBitmap& b, int x, int y) {
  const uint8_t* p = b.m_pData + y * b.m_Pitch + 2 * x;
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

int32_t Create(CBitmap& b, int32_t w, int32_t h, int32_t bits, const TPixelFormat& f) {
  return b.CreateRGB(w, h, bits, f.RedBits, f.GreenBits, f.BlueBits, f.RedShift, f.GreenShift,
                     f.BlueShift, 0);
}

int32_t Convert(CBitmap& b, int32_t bits, const TPixelFormat& f, int32_t flags = 0) {
  return b.ConvertRGB(-1, -1, bits, f.RedBits, f.GreenBits, f.BlueBits, f.RedShift, f.GreenShift,
                      f.BlueShift, flags);
}

void ExpectClipIsWhole(const CBitmap& b) {
  EXPECT_EQ(b.m_ClipRect.left, 0);
  EXPECT_EQ(b.m_ClipRect.top, 0);
  EXPECT_EQ(b.m_ClipRect.right, b.m_Width - 1);
  EXPECT_EQ(b.m_ClipRect.bottom, b.m_Height - 1);
}

// A picture type for "*.fake" names: a 2 x 3 24-bit bitmap, or a failure for names with "bad".
class CFakePic : public CPicType {
 public:
  int32_t Load(CBitmapBase*, void*) override { return 0; }
  int32_t Load(CFile*, CBitmapBase*, void*) override { return 0; }
  int32_t Load(const char* name, CBitmapBase* b, void*) override {
    arrivedEmpty = b->m_pData == nullptr && b->m_pPalette == nullptr;
    if (std::string(name).find("bad") != std::string::npos) return 0;
    if (!b->CreateRGB(2, 3, 24, 8, 8, 8, 0, 8, 16, 0)) return 0;
    b->m_ClipRect.Set(0, 0, 0, 0);  // a loader need not leave the clip right
    b->m_ScreenSurface = 1;
    return 1;
  }
  int32_t IsType(const char*, const char* ext) override {
    return ext && (std::string(ext) == "fake" || std::string(ext) == "FAKE");
  }
  int32_t GetDesc(const char** ext, const char** desc) override {
    *ext = "fake";
    *desc = "Fake";
    return 1;
  }
  bool arrivedEmpty = false;
};

}  // namespace

TEST_F(Bitmaps, CreateMakesZeroedRowsOfFourByteMultiples) {
  struct {
    int32_t bits;
    TPixelFormat format;
    int32_t width, pitch;
  } cases[] = {{8, {}, 5, 8},
               {16, PIXELFORMAT_565, 3, 8},
               {24, PIXELFORMAT_RGB24, 3, 12},
               {24, PIXELFORMAT_RGB24, 4, 12},
               {32, PIXELFORMAT_RGB24, 3, 12}};
  for (const auto& c : cases) {
    CBitmap b;
    ASSERT_EQ(Create(b, c.width, 2, c.bits, c.format), 1) << c.bits;
    EXPECT_EQ(b.m_Pitch, c.pitch) << c.bits;
    EXPECT_EQ(b.m_BytesPerPixel, c.bits / 8);
    EXPECT_EQ(b.m_RGBFlag, 1);
    EXPECT_EQ(b.m_Changed, 1);
    ExpectClipIsWhole(b);
    EXPECT_EQ(Bytes(b), std::vector<uint8_t>(c.pitch * 2, 0));
  }
  CBitmap b;
  EXPECT_EQ(b.CreateRGBA(4, 4, 12, 4, 4, 4, 0, 8, 4, 0, 0, 0), 0);       // 12 bits
  EXPECT_EQ(b.CreateRGB(4, 4, 16, 5, 6, 5, 12, 5, 0, 0), 0);             // red past bit 15
  EXPECT_EQ(b.CreateRGB(4, 4, 24, 8, 8, 8, 24, 8, 0, 0), 0);             // red beside the pixel
  EXPECT_EQ(b.CreateRGB(4, 4, 16, 9, 6, 5, 7, 5, 0, 0), 0);              // wider than a byte
  EXPECT_EQ(b.CreateRGBA(4, 4, 32, 8, 8, 8, 8, 16, 8, 0, 32, 0), 0);     // alpha beside it
  EXPECT_EQ(b.CreateRGB(100000, 100000, 24, 8, 8, 8, 16, 8, 0, 0), 0);  // beyond 2 GiB
  EXPECT_EQ(b.CreateRGB(-1, 4, 24, 8, 8, 8, 16, 8, 0, 0), 0);
  EXPECT_EQ(b.CreateIndex(4, 4, 16, nullptr, 0), 0);
  EXPECT_EQ(b.m_pData, nullptr);
}

TEST_F(Bitmaps, CreateIndexKeepsItsOwnCopyOfThePalette) {
  CPalette pal;
  const TRGBA red(255, 0, 0), black(0, 0, 0);
  pal.SetIndex(&red, 7);
  CBitmap b;
  ASSERT_EQ(b.CreateIndex(3, 2, 8, &pal, 0), 1);
  EXPECT_EQ(b.m_RGBFlag, 0);
  EXPECT_EQ(b.m_Pitch, 4);
  ASSERT_NE(b.m_pPalette, nullptr);
  pal.SetIndex(&black, 7);
  EXPECT_EQ(b.m_pPalette->m_Entries[7].r, 255);
  ASSERT_EQ(b.CreateIndex(3, 2, 8, nullptr, 0), 1);
  EXPECT_EQ(b.m_pPalette, nullptr);
}

TEST_F(Bitmaps, FillPacksTheColourByTheChannelRule) {
  const TRGBA grey(128, 128, 128);
  CBitmap b24;
  ASSERT_EQ(Create(b24, 3, 2, 24, PIXELFORMAT_RGB24), 1);
  ASSERT_EQ(b24.Fill(&grey), 1);
  EXPECT_EQ(Bytes(b24), std::vector<uint8_t>(24, 128));  // padding included

  CBitmap b16;
  ASSERT_EQ(Create(b16, 3, 2, 16, PIXELFORMAT_565), 1);
  ASSERT_EQ(b16.Fill(&grey), 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Pixel16(b16, i % 3, i / 3), 16 << 11 | 32 << 5 | 16);

  const TRGBA c(10, 20, 30, 40);
  ASSERT_EQ(b24.Fill(&c), 1);
  EXPECT_EQ(std::vector<uint8_t>(b24.m_pData, b24.m_pData + 9),
            std::vector<uint8_t>({10, 20, 30, 10, 20, 30, 10, 20, 30}));
  EXPECT_EQ(b24.m_pData[9], 128);  // padding of the non-grey fill is left alone

  CBitmap b32, a32;
  ASSERT_EQ(b32.CreateRGB(2, 1, 32, 8, 8, 8, 16, 8, 0, 0), 1);
  ASSERT_EQ(b32.Fill(&c), 1);
  // No alpha channel: the alpha value must not land on blue (whose shift it shares).
  EXPECT_EQ(Bytes(b32), std::vector<uint8_t>({0, 10, 20, 30, 0, 10, 20, 30}));
  ASSERT_EQ(a32.CreateRGBA(2, 1, 32, 8, 8, 8, 8, 16, 8, 0, 24, 0), 1);
  ASSERT_EQ(a32.Fill(&c), 1);
  EXPECT_EQ(Bytes(a32), std::vector<uint8_t>({40, 10, 20, 30, 40, 10, 20, 30}));

  CPalette pal;
  CBitmap b8;
  ASSERT_EQ(b8.CreateIndex(3, 2, 8, &pal, 0), 1);
  ASSERT_EQ(b8.Fill(&c), 1);
  EXPECT_EQ(Bytes(b8), std::vector<uint8_t>(8, 20));  // grey 20 is the nearest
}

TEST_F(Bitmaps, PixelAccessByDepth) {
  const TRGBA c(200, 100, 50, 77);
  struct {
    int32_t bits;
    TPixelFormat format;
    TRGBA back;  // what GetPixel gives (alpha stays as the caller's 9)
  } cases[] = {
      {16, PIXELFORMAT_565, TRGBA(200, 100, 48, 9)},
      {16, PIXELFORMAT_555, TRGBA(200, 96, 48, 9)},
      {24, PIXELFORMAT_BGR24, TRGBA(200, 100, 50, 9)},
  };
  for (const auto& k : cases) {
    CBitmap b;
    ASSERT_EQ(Create(b, 4, 3, k.bits, k.format), 1);
    ASSERT_EQ(b.PutPixel(3, 2, &c), 1);
    TRGBA out(0, 0, 0, 9);
    ASSERT_EQ(b.GetPixel(3, 2, &out), 1);
    EXPECT_TRUE(out == k.back) << k.bits << ": " << int(out.r) << "," << int(out.g) << "," << int(out.b);
    ASSERT_EQ(b.GetPixel(2 * b.m_Pitch + 3 * b.m_BytesPerPixel, &out), 1);
    EXPECT_TRUE(out == k.back);
    EXPECT_EQ(b.PutPixel(4, 0, &c), 0);  // outside: refused, nothing written beside the row
    EXPECT_EQ(b.GetPixel(0, -1, &out), 0);
    EXPECT_EQ(b.PutPixel(b.m_Pitch * 3 - 1, &c), 0);
  }
  // A 16-bit put replaces the three channels' fields only.
  CBitmap b;
  ASSERT_EQ(Create(b, 1, 1, 16, PIXELFORMAT_555), 1);
  b.m_pData[1] = 0x80;
  ASSERT_EQ(b.PutPixel(0, 0, &c), 1);
  EXPECT_EQ(Pixel16(b, 0, 0), 0x8000 | 25 << 10 | 12 << 5 | 6);
  // 8 bits: the nearest entry in, the entry's colour out.
  CPalette pal;
  ASSERT_EQ(b.CreateIndex(2, 2, 8, &pal, 0), 1);
  ASSERT_EQ(b.PutPixel(1, 1, &c), 1);
  EXPECT_EQ(b.m_pData[b.m_Pitch + 1], 117);  // (200 + 100 + 50) / 3, rounded to the nearest
  TRGBA out(0, 0, 0, 9);
  ASSERT_EQ(b.GetPixel(1, 1, &out), 1);
  EXPECT_TRUE(out == TRGBA(117, 117, 117, 9));
}

TEST_F(Bitmaps, BltWholeSourceInsideBothClips) {
  CBitmap src, dst;
  ASSERT_EQ(Create(src, 4, 3, 24, PIXELFORMAT_RGB24), 1);
  for (int i = 0; i < 3 * 4 * 3; ++i) src.m_pData[(i / 12) * src.m_Pitch + i % 12] = static_cast<uint8_t>(i + 1);
  src.m_ClipRect.Set(1, 0, 3, 2);
  ASSERT_EQ(Create(dst, 5, 4, 24, PIXELFORMAT_RGB24), 1);
  dst.m_ClipRect.Set(0, 1, 4, 2);
  dst.m_Changed = 0;
  ASSERT_EQ(dst.Blt(&src, 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 0, 0), 1);
  EXPECT_EQ(dst.m_Changed, 1);
  // Source columns 1-3 (the first is outside its clip) and rows 1-2 (the destination clip's).
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      TRGBA got, want(0, 0, 0);
      dst.GetPixel(x, y, &got);
      if (y >= 1 && y <= 2 && x >= 1 && x <= 3) src.GetPixel(x, y, &want);
      EXPECT_TRUE(got.r == want.r && got.g == want.g && got.b == want.b) << x << "," << y;
    }
}

TEST_F(Bitmaps, BltStaysInsideThePixelsWhateverTheClip) {
  CBitmap src, dst;
  ASSERT_EQ(Create(src, 8, 8, 16, PIXELFORMAT_565), 1);
  ASSERT_EQ(Create(dst, 4, 4, 16, PIXELFORMAT_565), 1);
  const TRGBA white(255, 255, 255);
  src.Fill(&white);
  src.m_ClipRect.Set(-100, -100, 100, 100);
  dst.m_ClipRect.Set(-100, -100, 100, 100);
  ASSERT_EQ(dst.Blt(&src, -2, -2, -2, -2, 20, 20, BLT_MODE_COPY, 0, 0), 1);
  EXPECT_EQ(Bytes(dst), std::vector<uint8_t>(32, 0xFF));  // ASan would see a write beside it
}

TEST_F(Bitmaps, BltDrawsOnlyTheListedPairs) {
  CPalette pal;
  CBitmap b8, b16, b32;
  ASSERT_EQ(b8.CreateIndex(2, 2, 8, &pal, 0), 1);
  ASSERT_EQ(Create(b16, 2, 2, 16, PIXELFORMAT_565), 1);
  ASSERT_EQ(Create(b32, 2, 2, 32, PIXELFORMAT_RGB24), 1);
  const TRGBA white(255, 255, 255);
  b16.Fill(&white);
  b32.Fill(&white);
  EXPECT_EQ(b8.Blt(&b16, 0, 0, 0, 0, -1, -1, 0, 0, 0), 1);   // into 8 bits only from 8
  EXPECT_EQ(b16.Blt(&b32, 0, 0, 0, 0, -1, -1, 0, 0, 0), 1);  // no 32-bit worker
  EXPECT_EQ(b32.Blt(&b16, 0, 0, 0, 0, -1, -1, 0, 0, 0), 1);
  EXPECT_EQ(b8.Blt(nullptr, 0, 0, 0, 0, -1, -1, 0, 0, 0), 1);
  EXPECT_EQ(Bytes(b8), std::vector<uint8_t>(8, 0));
  EXPECT_EQ(Bytes(b16), std::vector<uint8_t>(8, 0xFF));
  EXPECT_EQ(b8.BltScale(&b16, nullptr, nullptr, 0), 1);
}

TEST_F(Bitmaps, ConvertRGBRoundTripsWhereNoBitsAreLost) {
  // 16 to 24 and back restores every 16-bit value of either layout.
  for (const TPixelFormat& f : {PIXELFORMAT_565, PIXELFORMAT_555}) {
    CBitmap b;
    const uint32_t top = f.GreenBits == 6 ? 0x10000 : 0x8000;
    ASSERT_EQ(Create(b, 256, top / 256, 16, f), 1);
    for (uint32_t v = 1; v < top; ++v) {  // pixel 0 stays 0: the key, which no other pixel shares
      b.m_pData[2 * v] = static_cast<uint8_t>(v);
      b.m_pData[2 * v + 1] = static_cast<uint8_t>(v >> 8);
    }
    const std::vector<uint8_t> before = Bytes(b);
    ASSERT_EQ(Convert(b, 24, PIXELFORMAT_BGR24), 1);
    EXPECT_EQ(b.m_BitsPerPixel, 24);
    EXPECT_EQ(b.m_Pitch, 768);
    ASSERT_EQ(Convert(b, 16, f), 1);
    EXPECT_EQ(Bytes(b), before);
  }
  // 8 to 24 gives the palette's colours.
  CPalette pal;
  const TRGBA c(1, 2, 3);
  pal.SetIndex(&c, 9);
  CBitmap b;
  ASSERT_EQ(b.CreateIndex(2, 1, 8, &pal, 0), 1);
  b.m_pData[1] = 9;
  ASSERT_EQ(Convert(b, 24, PIXELFORMAT_RGB24), 1);
  EXPECT_EQ(b.m_RGBFlag, 1);
  EXPECT_EQ(std::vector<uint8_t>(b.m_pData, b.m_pData + 6), std::vector<uint8_t>({0, 0, 0, 1, 2, 3}));
}

TEST_F(Bitmaps, ConvertRGBEdges) {
  CBitmap b;
  ASSERT_EQ(Create(b, 3, 3, 24, PIXELFORMAT_RGB24), 1);
  b.m_ClipRect.Set(1, 1, 1, 1);
  uint8_t* const same = b.m_pData;
  EXPECT_EQ(Convert(b, 24, PIXELFORMAT_RGB24), 1);  // already so: nothing moves
  EXPECT_EQ(b.m_pData, same);
  ExpectClipIsWhole(b);
  EXPECT_EQ(Convert(b, 16, {5, 6, 5, 12, 5, 0}), 0);  // a layout that leaves the word
  EXPECT_EQ(Convert(b, 8, PIXELFORMAT_RGB24), 0);
  EXPECT_EQ(b.m_pData, same);
  ASSERT_EQ(Convert(b, 32, PIXELFORMAT_RGB24), 1);  // no defined picture: the fill value
  EXPECT_EQ(Bytes(b), std::vector<uint8_t>(36, 255));
  ASSERT_EQ(Create(b, 3, 3, 32, PIXELFORMAT_RGB24), 1);
  EXPECT_EQ(Convert(b, 24, PIXELFORMAT_RGB24), 0);  // no 32-bit source
  EXPECT_EQ(b.m_BitsPerPixel, 32);
  b.m_RGBFlag = 2;
  EXPECT_EQ(Convert(b, 24, PIXELFORMAT_RGB24), 1);  // left as it is
  EXPECT_EQ(b.m_BitsPerPixel, 32);
}

TEST_F(Bitmaps, ConvertIndexFrom8KeepsTheKeyOnAnIndexOfItsOwn) {
  // The key colour (50, 60, 70) has no exact match in the grey target; its nearest grey, 60,
  // is also the nearest of another colour. After the conversion only key pixels use 60.
  CPalette from, to;
  const TRGBA key(50, 60, 70), other(61, 59, 60), white(255, 255, 255);
  from.SetIndex(&key, 0);
  from.SetIndex(&other, 1);
  from.SetIndex(&white, 2);
  CBitmap b;
  ASSERT_EQ(b.CreateIndex(5, 1, 8, &from, 0), 1);
  const uint8_t pixels[5] = {0, 1, 2, 0, 1};
  for (int i = 0; i < 5; ++i) b.m_pData[i] = pixels[i];
  ASSERT_EQ(b.ConvertIndex(-1, -1, 8, &to, 0), 1);
  EXPECT_EQ(std::vector<uint8_t>(b.m_pData, b.m_pData + 5),
            std::vector<uint8_t>({60, 59, 254, 60, 59}));
  EXPECT_EQ(b.m_pPalette->m_Entries[60].r, 60);  // the target palette now
  // Without the fix-up the other colour shares the key's index.
  ASSERT_EQ(b.CreateIndex(5, 1, 8, &from, 0), 1);
  for (int i = 0; i < 5; ++i) b.m_pData[i] = pixels[i];
  ASSERT_EQ(b.ConvertIndex(-1, -1, 8, &to, BLT_NO_KEY_FIXUP), 1);
  EXPECT_EQ(std::vector<uint8_t>(b.m_pData, b.m_pData + 5),
            std::vector<uint8_t>({60, 60, 254, 60, 60}));
}

TEST_F(Bitmaps, ConvertIndexFrom24GoesThroughTheInverseTable) {
  // A palette on the 5-bit grid: 8 to 24 to 8 gives every index back.
  CPalette pal;
  ASSERT_EQ(pal.SetName(""), 1);  // no cache file
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    const TRGBA c(static_cast<uint8_t>((i & 7) << 5), static_cast<uint8_t>(((i >> 3) & 7) << 5),
                  static_cast<uint8_t>((i >> 6) << 6));
    pal.SetIndex(&c, i);
  }
  pal.m_LastIndex = 255;
  CBitmap b;
  ASSERT_EQ(b.CreateIndex(16, 16, 8, &pal, 0), 1);
  for (int i = 0; i < 256; ++i) b.m_pData[i] = static_cast<uint8_t>(i == 255 ? 254 : i);
  const std::vector<uint8_t> before = Bytes(b);
  ASSERT_EQ(Convert(b, 24, PIXELFORMAT_BGR24), 1);
  ASSERT_EQ(b.ConvertIndex(-1, -1, 8, &pal, 0), 1);
  EXPECT_EQ(b.m_RGBFlag, 0);
  EXPECT_EQ(b.m_BitsPerPixel, 8);
  EXPECT_EQ(b.m_Pitch, 16);
  EXPECT_EQ(Bytes(b), before);
}

TEST_F(Bitmaps, ConvertIndexFrom24FixesUpTheKey) {
  CPalette pal;  // grey ramp
  ASSERT_EQ(pal.SetName(""), 1);
  CBitmap b;
  ASSERT_EQ(Create(b, 3, 1, 24, PIXELFORMAT_RGB24), 1);
  const TRGBA key(96, 96, 96), lookalike(98, 100, 102), dark(8, 8, 8);
  b.PutPixel(0, 0, &key);
  b.PutPixel(1, 0, &lookalike);
  b.PutPixel(2, 0, &dark);
  ASSERT_EQ(b.ConvertIndex(-1, -1, 8, &pal, 0), 1);
  // Through 5-5-5 the lookalike is (96, 96, 96) too; it moves to the key's second best (95 and
  // 97 tie, the lower wins).
  EXPECT_EQ(b.m_pData[0], 96);
  EXPECT_EQ(b.m_pData[1], 95);
  EXPECT_EQ(b.m_pData[2], 8);
}

TEST_F(Bitmaps, ConvertIndexOfOtherDepthsKeepsTheFill) {
  CBitmap b;
  ASSERT_EQ(Create(b, 3, 2, 16, PIXELFORMAT_565), 1);
  CPalette pal;
  ASSERT_EQ(b.ConvertIndex(-1, -1, 8, &pal, 0), 1);
  EXPECT_EQ(Bytes(b), std::vector<uint8_t>(8, 127));
  ASSERT_NE(b.m_pPalette, nullptr);
  EXPECT_NE(b.m_pPalette, &pal);
  EXPECT_EQ(b.ConvertIndex(-1, -1, 16, &pal, 0), 0);
}

TEST_F(Bitmaps, LoadThroughThePictureType) {
  ASSERT_NE(glb->m_pPicTypeList, nullptr);
  CFakePic fake;  // registers itself behind the JPEG and BMP types
  CBitmap b;
  ASSERT_EQ(b.CreateIndex(9, 9, 8, nullptr, 0), 1);
  EXPECT_EQ(b.Load("pics/card.FAKE", 0), 1);
  EXPECT_TRUE(fake.arrivedEmpty);
  EXPECT_EQ(b.m_Width, 2);
  EXPECT_EQ(b.m_BitsPerPixel, 24);
  ExpectClipIsWhole(b);
  EXPECT_EQ(b.m_ScreenSurface, 0);
  EXPECT_EQ(b.Load("pics/bad.fake", 0), 0);
  EXPECT_EQ(b.Load("pics/card.bmp", 0), 0);
  EXPECT_EQ(b.Load("pics.fake/card", 0), 0);  // no "." in the last part: no extension
  EXPECT_EQ(b.Load("card", 0), 0);
  EXPECT_EQ(glb->m_pPicTypeList->GetType("x.fake"), &fake);
  EXPECT_EQ(glb->m_pPicTypeList->GetType("x"), nullptr);
  glb->m_pPicTypeList->Last();
  const char *ext = nullptr, *desc = nullptr;
  EXPECT_EQ(glb->m_pPicTypeList->GetDesc(&ext, &desc), &fake);
  EXPECT_STREQ(desc, "Fake");
  EXPECT_EQ(glb->m_pPicTypeList->NumTypes(), 3);
  glb->m_pPicTypeList->UnregisterAll();
  EXPECT_EQ(glb->m_pPicTypeList->NumTypes(), 0);
}

TEST_F(Bitmaps, FreeLeavesNothingToReadOrWrite) {
  CPalette pal;
  CBitmap b, src;
  ASSERT_EQ(b.CreateIndex(4, 4, 8, &pal, 0), 1);
  ASSERT_EQ(b.Free(), 1);
  EXPECT_EQ(b.m_pData, nullptr);
  EXPECT_EQ(b.m_pPalette, nullptr);
  ASSERT_EQ(src.CreateIndex(4, 4, 8, &pal, 0), 1);
  EXPECT_EQ(b.Blt(&src, 0, 0, 0, 0, -1, -1, 0, 0, 0), 1);
  EXPECT_EQ(src.Blt(&b, 0, 0, 0, 0, 4, 4, 0, 0, 0), 1);
  const TRGBA c(1, 2, 3);
  EXPECT_EQ(b.Fill(&c), 0);
  EXPECT_EQ(b.PutPixel(0, 0, &c), 0);
  b.ReleaseBitmapData();
  EXPECT_EQ(b.m_Changed, 1);
}
