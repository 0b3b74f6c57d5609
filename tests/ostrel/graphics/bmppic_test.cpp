// Picture types and the BMP loader. Pictures of every accepted depth are written by ImageMagick
// from a picture of at most 256 colours and must come back as that picture; 16-bit files,
// run-length escapes and hostile headers are built here byte by byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ostrel/files/scramble.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/bmppic.h"
#include "ostrel/graphics/jpgpic.h"
#include "ostrel/graphics/palette.h"
#include "ostrel/graphics/pictype.h"
#include "ostrel/system/globals.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {

class BmpPictures : public CRuntimeTest {
 protected:
  // Loads bytes written to a file of that name; the bitmap is emptied first.
  int32_t LoadBytes(CBitmap& b, const std::string& bytes, const std::string& name = "p.bmp") {
    WriteWholeFile(m_Dir.File(name), bytes);
    return b.Load(m_Dir.File(name).c_str(), 0);
  }
  CTempDir m_Dir;
};

void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A file with the 40-byte header; the colour table and the pixel data follow it.
std::string Bmp(int32_t width, int32_t height, int bits, uint32_t compression,
                const std::string& colours, const std::string& pixels, uint32_t coloursUsed = 0) {
  std::string s(54, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<uint32_t>(54 + colours.size() + pixels.size()));
  Put32(s, 10, static_cast<uint32_t>(54 + colours.size()));
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(width));
  Put32(s, 22, static_cast<uint32_t>(height));
  s[26] = 1;
  s[28] = static_cast<char>(bits);
  Put32(s, 30, compression);
  Put32(s, 46, coloursUsed);
  return s + colours + pixels;
}

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s += static_cast<char>(b);
  return s;
}

// Four colours: entry i is (i * 10 + 1, i * 10 + 2, i * 10 + 3), stored blue first.
std::string FourColours() {
  std::string s;
  for (int i = 0; i < 4; ++i) s += Bytes({i * 10 + 3, i * 10 + 2, i * 10 + 1, 0});
  return s;
}

// The rows of an 8-bit bitmap, top first, without the pitch.
std::vector<std::string> Rows(const CBitmap& b) {
  std::vector<std::string> rows;
  for (int y = 0; y < b.m_Height; ++y)
    rows.emplace_back(reinterpret_cast<const char*>(b.m_pData + y * b.m_Pitch),
                      static_cast<size_t>(b.m_Width * b.m_BytesPerPixel));
  return rows;
}

// Red, green, blue of every pixel, top row first.
std::string Rgb(const CBitmap& b) {
  std::string out;
  for (int y = 0; y < b.m_Height; ++y)
    for (int x = 0; x < b.m_Width; ++x) {
      TRGBA c(0, 0, 0);
      b.GetPixel(x, y, &c);
      out += Bytes({c.r, c.g, c.b});
    }
  return out;
}

// A picture of more than 16 colours (so that a palette file needs 8 bits) with runs on top.
std::string Pattern(int width, int height) {
  std::string s = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      s += y < 2 ? Bytes({10, 20, 30})
                 : Bytes({(x * 40 + y * 7) & 255, (y * 12) & 255, (x * 90 + 5) & 255});
  return s;
}

}  // namespace

TEST_F(BmpPictures, EveryDepthAndWidthDecodesLikeImageMagick) {
  struct {
    const char* kind;
    const char* options;
    int bits, compression;
  } kinds[] = {{"palette", "-type Palette -compress None", 8, 0},
               {"rle8", "-type Palette -compress RLE", 8, 1},
               {"rgb24", "-type TrueColor", 24, 0},
               {"rgb32", "-alpha set -define bmp3:alpha=true", 32, 0}};
  for (const auto& k : kinds)
    for (int width = 1; width <= 5; ++width) {
      const std::string base = m_Dir.File(std::string(k.kind) + std::to_string(width));
      WriteWholeFile(base + ".ppm", Pattern(width, 20));
      const std::string cmd =
          "/usr/bin/convert '" + base + ".ppm' " + k.options + " 'BMP3:" + base + ".bmp'";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << "needs ImageMagick (setup-deps)";
      const std::string file = ReadWholeFile(base + ".bmp");
      ASSERT_EQ(file[28], k.bits) << k.kind;
      ASSERT_EQ(file[30], k.compression) << k.kind;
      CBitmap b;
      ASSERT_EQ(b.Load((base + ".bmp").c_str(), 0), 1) << k.kind << " " << width;
      const int bytes = k.bits == 8 ? 1 : 3;
      EXPECT_EQ(b.m_BitsPerPixel, bytes * 8);
      EXPECT_EQ(b.m_Pitch, width * bytes) << "rows without padding";
      EXPECT_EQ(b.m_RGBFlag, k.bits == 8 ? 0 : 1);
      const std::string ppm = Pattern(width, 20);
      EXPECT_EQ(Rgb(b), ppm.substr(ppm.size() - 60 * width)) << k.kind << " " << width;
    }
}

TEST_F(BmpPictures, SixteenBitFilesKeepTheirFiveFiveFiveWords) {
  // 2 x 2: bottom row first, each row 4 bytes; red 31, green 31, blue 31 and 1, 2, 3.
  const std::string pixels = Bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x43, 0x04});
  CBitmap b;
  ASSERT_EQ(LoadBytes(b, Bmp(2, 2, 16, 0, "", pixels)), 1);
  EXPECT_EQ(b.m_BitsPerPixel, 16);
  EXPECT_EQ(b.m_RedShift, 10);
  EXPECT_EQ(b.m_GreenBits, 5);
  EXPECT_EQ(Rgb(b), Bytes({0, 0, 248, 8, 16, 24, 248, 0, 0, 0, 248, 0}));
}

TEST_F(BmpPictures, ColourTableAndRowPadding) {
  // 3 wide, 24 bits: 9 bytes a row and 3 of padding in the file.
  std::string pixels;
  for (int y = 0; y < 2; ++y) pixels += std::string(9, static_cast<char>(y + 1)) + Bytes({9, 9, 9});
  CBitmap b;
  ASSERT_EQ(LoadBytes(b, Bmp(3, 2, 24, 0, "", pixels)), 1);
  EXPECT_EQ(b.m_Pitch, 9);
  EXPECT_EQ(Rows(b), (std::vector<std::string>{std::string(9, 2), std::string(9, 1)}));
  EXPECT_EQ(b.m_ClipRect.right, 2);

  // Colours used 4: entries 4 to 255 keep the grey ramp; the file's entries get alpha 255.
  ASSERT_EQ(LoadBytes(b, Bmp(2, 1, 8, 0, FourColours(), Bytes({3, 200, 0, 0}), 4)), 1);
  ASSERT_NE(b.m_pPalette, nullptr);
  EXPECT_EQ(b.m_pPalette->m_Entries[3], TRGBA(31, 32, 33, 255));
  EXPECT_EQ(b.m_pPalette->m_Entries[200].r, 200);
  EXPECT_EQ(b.m_pPalette->m_Entries[200].g, 200);
  EXPECT_EQ(Rows(b), std::vector<std::string>{Bytes({3, 200})});
}

TEST_F(BmpPictures, RunLengthEscapes) {
  const std::string colours = FourColours();
  struct {
    const char* what;
    std::string data;
    std::vector<std::string> rows;  // top first; empty when the file must fail
  } cases[] = {
      {"runs, end of line, absolute run with its pad byte, end",
       Bytes({3, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 1}),
       {Bytes({2, 3, 2, 0}), Bytes({1, 1, 1, 0})}},
      {"delta right 2 and up 1", Bytes({1, 3, 0, 2, 2, 1, 1, 2, 0, 1}),
       {Bytes({0, 0, 0, 2}), Bytes({3, 0, 0, 0})}},
      {"end of line after the top row", Bytes({4, 1, 0, 0, 4, 2, 0, 0, 0, 1}),
       {Bytes({2, 2, 2, 2}), Bytes({1, 1, 1, 1})}},
      {"absolute run of 4, no pad", Bytes({0, 4, 1, 2, 3, 1, 0, 1}),
       {Bytes({0, 0, 0, 0}), Bytes({1, 2, 3, 1})}},
      // Pixels outside the picture are dropped: writers run rows into their padding.
      {"run past the row", Bytes({5, 1, 0, 1}), {Bytes({0, 0, 0, 0}), Bytes({1, 1, 1, 1})}},
      {"absolute run past the row", Bytes({1, 1, 0, 4, 1, 2, 3, 1, 0, 1}),
       {Bytes({0, 0, 0, 0}), Bytes({1, 1, 2, 3})}},
      {"delta past the right edge", Bytes({0, 2, 5, 0, 1, 3, 0, 1}),
       {Bytes({0, 0, 0, 0}), Bytes({0, 0, 0, 0})}},
      {"delta above the top", Bytes({0, 2, 0, 2, 1, 3, 0, 0, 1, 3, 0, 1}),
       {Bytes({0, 0, 0, 0}), Bytes({0, 0, 0, 0})}},
      {"lines above the top", Bytes({0, 0, 0, 0, 0, 0, 1, 1, 0, 1}),
       {Bytes({0, 0, 0, 0}), Bytes({0, 0, 0, 0})}},
      {"no end of bitmap", Bytes({4, 1, 0, 0}), {}},
      {"absolute run cut short", Bytes({0, 4, 1, 2}), {}},
      {"delta cut short", Bytes({0, 2, 1}), {}},
  };
  for (const auto& c : cases) {
    CBitmap b;
    const int32_t ok = LoadBytes(b, Bmp(4, 2, 8, 1, colours, c.data, 4));
    EXPECT_EQ(ok, c.rows.empty() ? 0 : 1) << c.what;
    if (ok) {
      EXPECT_EQ(Rows(b), c.rows) << c.what;
    }
  }
}

// A run-length stream may stop long before the last row, so a file of a few bytes can declare
// any area: the pixel limit bounds what is allocated, and within it the stream is drawn as far as
// it goes.
TEST_F(BmpPictures, RunLengthBombsStopAtThePixelLimit) {
  const std::string palette(256 * 4, '\x40');
  // 1,082 bytes declaring 40000 x 40000 (1.6 GB): one run of 4 pixels, then the end.
  const std::string bomb = Bmp(40000, 40000, 8, 1, palette, Bytes({4, 9, 0, 1}));
  EXPECT_EQ(bomb.size(), 1082u);
  CBitmap b;
  EXPECT_EQ(LoadBytes(b, bomb), 0);
  EXPECT_EQ(b.m_pData, nullptr);

  // 4096 x 4096 is within the default limit: drawn as far as the stream goes, zero above.
  ASSERT_EQ(LoadBytes(b, Bmp(4096, 4096, 8, 1, palette, Bytes({4, 9, 0, 1}))), 1);
  EXPECT_EQ(b.m_pData[4095 * b.m_Pitch + 3], 9);
  EXPECT_EQ(b.m_pData[4095 * b.m_Pitch + 4], 0);
  EXPECT_EQ(b.m_pData[0], 0);

  // The caller may lower the limit for every type at once, and it holds for plain files too.
  glb->m_pPicTypeList->SetMaxPixels(4095 * 4096);
  EXPECT_EQ(LoadBytes(b, Bmp(4096, 4096, 8, 1, palette, Bytes({4, 9, 0, 1}))), 0);
  glb->m_pPicTypeList->SetMaxPixels(6);
  EXPECT_EQ(LoadBytes(b, Bmp(2, 3, 24, 0, "", std::string(24, '\x11'))), 1);
  EXPECT_EQ(LoadBytes(b, Bmp(3, 3, 24, 0, "", std::string(36, '\x11'))), 0);
}

TEST_F(BmpPictures, HostileAndUnsupportedHeadersAreRefused) {
  const std::string good = Bmp(2, 2, 24, 0, "", std::string(16, '\x11'));
  auto with = [&](size_t at, std::initializer_list<int> v) {
    std::string s = good;
    for (int b : v) s[at++] = static_cast<char>(b);
    return s;
  };
  CBitmap b;
  ASSERT_EQ(LoadBytes(b, good), 1);
  struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"signature", with(0, {'B', 'A'})},
      {"12-byte header", with(14, {12})},
      {"4-bit pixels", with(28, {4})},
      {"12-bit pixels", with(28, {12})},
      {"bit fields", with(30, {3})},
      {"run length with 24 bits", with(30, {1})},
      {"negative height (top-down)", with(22, {0xFE, 0xFF, 0xFF, 0xFF})},
      {"zero width", with(18, {0, 0, 0, 0})},
      {"rows beyond the 2 GiB bitmap", with(18, {0, 0, 1, 0})},
      {"rows the file does not hold", with(22, {3})},
      {"pixel offset beyond the file", with(10, {0xFF, 0xFF, 0, 0})},
      {"truncated header", good.substr(0, 50)},
      {"last row's padding missing", good.substr(0, good.size() - 1)},
      {"colours used 257", Bmp(1, 1, 8, 0, std::string(257 * 4, '\0'), std::string(4, '\0'), 257)},
      {"colour table beyond the file", Bmp(1, 1, 8, 0, "", "", 200)},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadBytes(b, c.file), 0) << c.what;
  EXPECT_EQ(b.Load(m_Dir.File("missing.bmp").c_str(), 0), 0);
}

TEST_F(BmpPictures, ThirtyTwoBitPixelsBecomeTwentyFourBit) {
  CBitmap b;
  ASSERT_EQ(LoadBytes(b, Bmp(1, 2, 32, 0, "", Bytes({1, 2, 3, 99, 4, 5, 6, 99}))), 1);
  EXPECT_EQ(b.m_BitsPerPixel, 24);
  EXPECT_EQ(b.m_Pitch, 3);
  EXPECT_EQ(Rows(b), (std::vector<std::string>{Bytes({4, 5, 6}), Bytes({1, 2, 3})}));
  EXPECT_EQ(Rgb(b), Bytes({6, 5, 4, 3, 2, 1}));
}

TEST_F(BmpPictures, ScrambledFilesLoadLikeTheirPlainForm) {
  const std::string plain = Bmp(3, 1, 8, 0, FourColours(), Bytes({1, 2, 3, 0}), 4);
  std::string scrambled = plain + "XICRYPTEDFILE";
  xDecrypt(scrambled.data(), static_cast<uint32_t>(scrambled.size()));
  CBitmap a, b;
  ASSERT_EQ(LoadBytes(a, plain), 1);
  ASSERT_EQ(LoadBytes(b, scrambled, "s.BMP"), 1);
  EXPECT_EQ(Rows(a), Rows(b));
  EXPECT_EQ(Rgb(a), Rgb(b));
  // The marker is not picture data: a scrambled file whose plain part is one byte short fails.
  std::string cut = plain.substr(0, plain.size() - 1) + "XICRYPTEDFILE";
  xDecrypt(cut.data(), static_cast<uint32_t>(cut.size()));
  EXPECT_EQ(LoadBytes(b, cut), 0);
}

TEST_F(BmpPictures, TypesAreChosenByExtension) {
  CPicTypeList* list = glb->m_pPicTypeList;
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->NumTypes(), 2);
  EXPECT_EQ(list->GetType("a.JPG"), static_cast<CPicType*>(sglb->m_pJPGPic));
  EXPECT_EQ(list->GetType("dir.x/a.jpg"), static_cast<CPicType*>(sglb->m_pJPGPic));
  EXPECT_EQ(list->GetType("a.Bmp"), static_cast<CPicType*>(sglb->m_pBMPPic));
  EXPECT_EQ(list->GetType("a.jpeg"), nullptr);
  EXPECT_EQ(list->GetType("jpg"), nullptr);
  const char *ext = nullptr, *desc = nullptr;
  list->First();
  EXPECT_EQ(list->GetDesc(&ext, &desc), static_cast<CPicType*>(sglb->m_pJPGPic));
  EXPECT_STREQ(desc, "JPEG");
  list->Next();
  EXPECT_EQ(list->GetDesc(&ext, &desc), static_cast<CPicType*>(sglb->m_pBMPPic));
  EXPECT_STREQ(ext, "bmp");
  EXPECT_STREQ(desc, "Windows Bitmap");
  EXPECT_EQ(sglb->m_pBMPPic->IsType("x", nullptr), 0);
  EXPECT_EQ(sglb->m_pJPGPic->IsType("x", nullptr), 0);
  {
    CBMPPic another;  // registers itself, and leaves when deleted
    EXPECT_EQ(list->NumTypes(), 3);
  }
  EXPECT_EQ(list->NumTypes(), 2);
  // A BMP under a ".jpg" name goes to the JPEG type, which refuses it.
  CBitmap b;
  EXPECT_EQ(LoadBytes(b, Bmp(1, 1, 24, 0, "", std::string(4, '\0')), "p.jpg"), 0);
  EXPECT_EQ(LoadBytes(b, Bmp(1, 1, 24, 0, "", std::string(4, '\0')), "p"), 0);
}
