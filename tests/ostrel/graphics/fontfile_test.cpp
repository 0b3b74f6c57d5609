// XBF font files: small ones written here byte by byte (good and broken), the fonts the build
// generates, and a golden picture of text drawn with two of them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/bitmapfont.h"
#include "ostrel/graphics/bmppic.h"
#include "ostrel/graphics/font.h"
#include "ostrel/graphics/pictype.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/globals.h"
#include "support/png.h"
#include "support/runtimefixture.h"
#include "support/tempdir.h"

namespace {

void Put16(std::string& s, uint32_t v, bool big) {
  if (big) s.push_back(static_cast<char>(v >> 8));
  s.push_back(static_cast<char>(v));
  if (!big) s.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& s, uint32_t v, bool big = false) {
  Put16(s, big ? v >> 16 : v & 0xFFFF, big);
  Put16(s, big ? v & 0xFFFF : v >> 16, big);
}
std::string Chunk(const char* name, const std::string& data, bool big) {
  std::string s(name, std::char_traits<char>::length(name) + 1);
  Put32(s, static_cast<uint32_t>(data.size()), big);
  return s + data;
}

// An 8-bit grey BMP, rows bottom-up, padded to 4 bytes.
std::string Bmp(int w, int h, const std::vector<uint8_t>& pixels) {
  const uint32_t row = (w + 3) & ~3u, offset = 14 + 40 + 1024;
  std::string s = "BM";
  Put32(s, offset + row * h);
  Put32(s, 0);
  Put32(s, offset);
  for (uint32_t v : {40u, static_cast<uint32_t>(w), static_cast<uint32_t>(h)}) Put32(s, v);
  Put16(s, 1, false);
  Put16(s, 8, false);
  for (uint32_t v : {0u, row * h, 0u, 0u, 256u, 0u}) Put32(s, v);
  for (int i = 0; i < 256; ++i) s += std::string(3, static_cast<char>(i)) + '\0';
  for (int y = h - 1; y >= 0; --y) {
    s.append(reinterpret_cast<const char*>(&pixels[y * w]), w);
    s.append(row - w, '\0');
  }
  return s;
}

// A 16 x 6 picture with 'A' a solid 3 x 4 cell at (1, 1) and 'B' a 2 x 4 cell at (5, 1) of grey 128.
struct SXbf {
  uint8_t version = 1;
  uint16_t height = 4, spacing = 1, advance = 6;
  TFontChar records[FONT_CODES] = {};
  uint32_t letterBytes = FONT_CODES * 8;
  int pictureW = 16, pictureH = 6;
  bool header = true, letters = true, picture = true, big = false;
  std::string bmp;

  SXbf() {
    records['A'] = {1, 1, 3, FONT_CHAR, 0};
    records['B'] = {5, 1, 2, FONT_CHAR, 0};
    records[' '] = {0, 0, 0, FONT_RIGHT, 2};
    records[0] = {0, 0, 0, FONT_END, 0};
  }
  std::string Bytes() {
    if (bmp.empty()) {
      std::vector<uint8_t> px(pictureW * pictureH, 0);
      for (int y = 1; y < 5; ++y) {
        for (int x = 1; x < 4; ++x) px[y * pictureW + x] = 255;
        for (int x = 5; x < 7; ++x) px[y * pictureW + x] = 128;
      }
      bmp = Bmp(pictureW, pictureH, px);
    }
    std::string h(1, static_cast<char>(version)), l, xbf;
    for (uint16_t v : {height, spacing, advance}) Put16(h, v, big);
    for (const TFontChar& r : records) {
      for (uint16_t v : {r.x, r.y, r.width}) Put16(l, v, big);
      l += static_cast<char>(r.type);
      l += static_cast<char>(r.amount);
    }
    l.resize(letterBytes);
    if (header) xbf += Chunk("HEADER", h, big);
    if (letters) xbf += Chunk("LETTER DATA", l, big);
    if (picture) xbf += Chunk("FONT BITMAP", bmp, big);
    return Chunk("XIFF", Chunk("XBF", xbf, big), big);
  }
};

class FontFile : public CRuntimeTest {
 protected:
  std::string Write(SXbf& x) {
    const std::string path = m_Dir.File("font.xbf");
    WriteWholeFile(path, x.Bytes());
    return path;
  }
  CTempDir m_Dir;
};

TEST_F(FontFile, LoadsAndDraws) {
  SXbf x;
  CFont font;
  ASSERT_EQ(font.Load(Write(x).c_str()), 1);
  EXPECT_EQ(font.IsLoaded(), 1);
  EXPECT_EQ(font.GetHeight(), 4);
  EXPECT_EQ(font.GetSpacing(), 1);
  EXPECT_EQ(font.GetLineAdvance(), 6);
  EXPECT_EQ(font.GetChar('A').width, 3);
  EXPECT_EQ(font.GetChar(' ').type, FONT_RIGHT);
  ASSERT_NE(font.GetPicture(), nullptr);
  EXPECT_EQ(font.GetPicture()->m_Width, 16);
  EXPECT_EQ(font.GetPicture()->m_ClipRect.right, 15);
  EXPECT_EQ(font.GetPicture()->m_ClipRect.bottom, 5);

  CBitmap target;
  ASSERT_TRUE(target.CreateRGB(20, 8, 24, 8, 8, 8, 16, 8, 0, 0));
  const TRGBA green(0, 200, 0);
  // "A B": A at 0..2, pen 4, space 2, B at 6..7.
  EXPECT_EQ(font.Text(&target, "A B", 0, 0, 20, 8, &green, nullptr, 0), 4 << 16 | 9);
  const char* rows[] = {"GGG...bb", "GGG...bb", "GGG...bb", "GGG...bb", "........"};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 8; ++x) {
      TRGBA p;
      target.GetPixel(x, y, &p);
      const char want = rows[y][x];
      EXPECT_EQ(p.g, want == 'G' ? 200 : want == 'b' ? 200 * 128 / 255 : 0) << x << "," << y;
    }
  // Without a colour the picture's own grey is drawn.
  ASSERT_TRUE(target.CreateRGB(20, 8, 24, 8, 8, 8, 16, 8, 0, 0));
  font.Text(&target, "B", 0, 0, 20, 8, nullptr, nullptr, 0);
  TRGBA p;
  target.GetPixel(1, 3, &p);
  EXPECT_EQ(p.r, 128);
  EXPECT_EQ(p.b, 128);
}

struct SBroken {
  const char* what;
  void (*spoil)(SXbf&);
};

const SBroken kBroken[] = {
    {"version 2", [](SXbf& x) { x.version = 2; }},
    {"height 0", [](SXbf& x) { x.height = 0; }},
    {"short letter records", [](SXbf& x) { x.letterBytes = FONT_CODES * 8 - 1; }},
    {"no header", [](SXbf& x) { x.header = false; }},
    {"no letter records", [](SXbf& x) { x.letters = false; }},
    {"no picture", [](SXbf& x) { x.picture = false; }},
    {"cell right of the picture", [](SXbf& x) { x.records['A'].x = 14; }},
    {"cell below the picture", [](SXbf& x) { x.records['A'].y = 3; }},
    {"empty cell beside the picture", [](SXbf& x) { x.records[200].x = 17; }},
    {"height beyond the picture", [](SXbf& x) { x.height = 6; }},
    {"numbers big-endian", [](SXbf& x) { x.big = true; }},
    {"picture not a BMP", [](SXbf& x) { x.bmp = std::string(200, 'x'); }},
    {"picture cut short", [](SXbf& x) { x.Bytes(), x.bmp.resize(x.bmp.size() - 10); }},
};

TEST_F(FontFile, BrokenFilesDoNotLoad) {
  for (const SBroken& b : kBroken) {
    SCOPED_TRACE(b.what);
    SXbf x;
    b.spoil(x);
    CFont font;
    SXbf good;
    ASSERT_EQ(font.Load(Write(good).c_str()), 1);
    // A failed load leaves nothing of the font before it.
    EXPECT_EQ(font.Load(Write(x).c_str()), 0);
    EXPECT_EQ(font.GetPicture(), nullptr);
    EXPECT_EQ(font.IsLoaded(), 0);
    EXPECT_EQ(font.GetChar('A').width, 0);
    CBitmap target;
    ASSERT_TRUE(target.CreateRGB(8, 8, 24, 8, 8, 8, 16, 8, 0, 0));
    EXPECT_EQ(font.Text(&target, "A", 0, 0, 8, 8, nullptr, nullptr, 0), -1);
  }
  CFont font;
  EXPECT_EQ(font.Load(m_Dir.File("missing.xbf").c_str()), 0);
}

TEST_F(FontFile, NeedsTheBmpType) {
  SXbf x;
  const std::string path = Write(x);
  CFont font;
  ASSERT_EQ(glb->m_pPicTypeList->Unregister(sglb->m_pBMPPic), 1);
  EXPECT_EQ(font.Load(path.c_str()), 0);
  glb->m_pPicTypeList->Register(sglb->m_pBMPPic);
  EXPECT_EQ(font.Load(path.c_str()), 1);
}

// The fuzz target's seeds, made by tests/tools/make_xbf_seeds.py: pictures of 8 bits, plain and
// run-length coded, and of 24 bits (grey read from blue) load; the broken ones do not.
TEST_F(FontFile, FuzzSeeds) {
  const std::string dir = std::string(VORRIN_TEST_DATA_DIR) + "/../../fuzz/corpus/xbf_load/";
  const struct {
    const char* name;
    int32_t loads;
  } seeds[] = {{"valid.xbf", 1},        {"rle_picture.xbf", 1},   {"rgb_picture.xbf", 1},
               {"version2.xbf", 0},     {"short_letters.xbf", 0}, {"cell_outside.xbf", 0},
               {"big_endian.xbf", 0},   {"picture_cut.xbf", 0}};
  CBitmap first;
  for (const auto& seed : seeds) {
    SCOPED_TRACE(seed.name);
    CFont font;
    EXPECT_EQ(font.Load((dir + seed.name).c_str()), seed.loads);
    if (!seed.loads) continue;
    // Every picture kind gives the same drawing.
    CBitmap target;
    ASSERT_TRUE(target.CreateRGB(40, 8, 24, 8, 8, 8, 16, 8, 0, 0));
    const TRGBA colour(90, 180, 255);
    EXPECT_EQ(font.Text(&target, "AB\x01\x03" "CD", 0, 0, 40, 8, &colour, nullptr, 0), 5 << 16 | 23);
    if (!first.m_pData) {
      ASSERT_TRUE(first.CreateRGB(40, 8, 24, 8, 8, 8, 16, 8, 0, 0));
      first.Blt(&target, 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 0, 0);
      continue;
    }
    EXPECT_EQ(std::memcmp(first.m_pData, target.m_pData, size_t(first.m_Pitch) * first.m_Height), 0);
  }
}

// The generated fonts -------------------------------------------------------------------------

std::string Stock(const std::string& name) { return std::string(VORRIN_DIST_DIR) + "/fonts/" + name; }

TEST_F(FontFile, GeneratedFontsLoad) {
  for (const char* style : {"sans", "sansbold"})
    for (int height : {11, 13, 16}) {
      const std::string name = style + std::to_string(height) + ".xbf";
      SCOPED_TRACE(name);
      CFont font;
      ASSERT_EQ(font.Load(Stock(name).c_str()), 1);
      // The cell holds the ink of the whole set: the nominal height and the few pixels that
      // accents on capitals and the ends of '|' and '_' pass it by.
      EXPECT_GE(font.GetHeight(), height);
      EXPECT_LE(font.GetHeight(), height + height / 4);
      EXPECT_EQ(font.GetChar(0).type, FONT_END);
      EXPECT_EQ(font.GetChar(10).type, FONT_NEWLINE);
      EXPECT_EQ(font.GetChar(10).amount, font.GetLineAdvance());
      EXPECT_EQ(font.GetChar(' ').type, FONT_RIGHT);
      EXPECT_GT(font.GetChar(' ').amount, 0);
      for (int c : {0x41 /* A */, 0x67 /* g */, 0x30 /* 0 */, 0x80 /* euro */, 0xE9 /* e acute */, 0xFE /* thorn */}) {
        EXPECT_EQ(font.GetChar(static_cast<uint8_t>(c)).type, FONT_CHAR) << c;
        EXPECT_GT(font.GetChar(static_cast<uint8_t>(c)).width, 0) << c;
      }
      // The colour key is the picture's first pixel: background.
      TRGBA first;
      font.GetPicture()->GetPixel(0, 0, &first);
      EXPECT_EQ(first.b, 0);
      // Measuring and drawing agree on a long wrapped text in every alignment.
      const char* text = "The quick brown fox jumps over the lazy dog.\nPack my box with five dozen"
                         " liquor jugs; \x80 12,50 \x97 \xc9t\xe9 \xe0 la plage!";
      for (int flags : {0, TEXT_CENTER, TEXT_RIGHT, TEXT_VCENTER | TEXT_CENTER}) {
        CBitmap target;
        ASSERT_TRUE(target.CreateRGB(200, 200, 24, 8, 8, 8, 16, 8, 0, 0));
        const TRGBA colour(250, 220, 90);
        const int32_t drawn = font.Text(&target, text, 4, 4, 150, 190, &colour, nullptr, flags);
        EXPECT_EQ(drawn, font.GetTextSize(text, 150, 190, flags));
        EXPECT_GT(drawn >> 16, 2 * height);
        EXPECT_LE(drawn & 0xFFFF, 150);
      }
    }
}

// The golden picture ---------------------------------------------------------------------------

// Text drawn with the generated fonts depends on FreeType's rendering: after an upgrade of
// FreeType or the DejaVu fonts, look at the new picture and, when it is right, store it with
// VORRIN_UPDATE_GOLDEN=1 in the environment.
TEST_F(FontFile, GoldenParagraph) {
  CFont heading, body;
  ASSERT_EQ(heading.Load(Stock("sansbold16.xbf").c_str()), 1);
  ASSERT_EQ(body.Load(Stock("sans13.xbf").c_str()), 1);
  CBitmap b;
  ASSERT_TRUE(b.CreateRGB(240, 128, 24, 8, 8, 8, 16, 8, 0, 0));
  const TRGBA felt(0, 80, 45), gold(255, 204, 51), white(240, 240, 235), red(255, 96, 96);
  b.Fill(&felt);
  heading.Text(&b, "Welcome to the table", 8, 6, 224, 20, &gold, nullptr, TEXT_CENTER);
  body.Text(&b,
            "Place your chips on the felt and press Deal. Blackjack pays 3 to 2, insurance "
            "2 to 1.\nMinimum \x80 5 \x97 maximum \x80 500.",
            8, 30, 224, 70, &white, nullptr, TEXT_CENTER | TEXT_VCENTER);
  body.Text(&b, "Dealer stands on all 17s", 8, 104, 224, 20, &red, nullptr, TEXT_RIGHT);

  TRgbImage actual{b.m_Width, b.m_Height, {}};
  for (int y = 0; y < b.m_Height; ++y)
    actual.rgb.insert(actual.rgb.end(), b.m_pData + y * b.m_Pitch,
                      b.m_pData + y * b.m_Pitch + 3 * b.m_Width);
  const std::string golden = std::string(VORRIN_TEST_DATA_DIR) + "/fonts/golden_paragraph.png";
  if (std::getenv("VORRIN_UPDATE_GOLDEN")) {
    ASSERT_TRUE(WritePng(golden, actual));
  }
  TRgbImage expected;
  ASSERT_TRUE(ReadPng(golden, &expected)) << golden;
  EXPECT_EQ(expected.width, actual.width);
  EXPECT_EQ(expected.height, actual.height);
  if (expected.rgb != actual.rgb) {
    const std::string out = std::string(VORRIN_DIST_DIR) + "/../tests/golden_paragraph_actual.png";
    WritePng(out, actual);
    ADD_FAILURE() << "the text differs from " << golden << "; this run drew " << out;
  }
}

}  // namespace

// Bitmap fonts of resource scripts --------------------------------------------------------------

namespace {

// Digits 0-9 in 4 x 5 cells at x = 4k, grey 10 (k + 1), their last column background; "+" and
// "-" in 3 x 5 cells at x = 40 and 43, grey 200 and 210.
std::string DigitsBmp() {
  const int w = 46, h = 5;
  std::vector<uint8_t> px(w * h, 0);
  for (int y = 0; y < h; ++y) {
    for (int k = 0; k < 10; ++k)
      for (int x = 0; x < 3; ++x) px[y * w + 4 * k + x] = static_cast<uint8_t>(10 * (k + 1));
    for (int x = 0; x < 3; ++x) {
      px[y * w + 40 + x] = 200;
      px[y * w + 43 + x] = 210;
    }
  }
  px[0] = 0;  // the colour key
  return Bmp(w, h, px);
}

class BitmapFont : public FontFile {
 protected:
  int32_t Create(CBitmapFont& font, const std::string& item) {
    WriteWholeFile(m_Dir.File("digits.bmp"), DigitsBmp());
    const std::string script = "{ = Other\n    Digits = nothing\n}\n{ = Data\n" + item + "\n}\n";
    EXPECT_EQ(m_Script.Import(script.c_str(), -1), 1);
    m_Script.MainChunk();
    return font.Create("Digits", &m_Script, 7);
  }
  std::string Picture() { return "\"" + m_Dir.File("digits.bmp") + "\""; }
  CKCBL m_Script;
};

TEST_F(BitmapFont, PrintsFromItsSets) {
  CBitmapFont font;
  ASSERT_EQ(Create(font, "Digits = " + Picture() + ", 1, 3, 0123456789, -1, 0, 4, \"+-\", 40, 0, 3"), 1);
  EXPECT_EQ(font.NumSets(), 2);
  EXPECT_EQ(font.GetPrintOrientation(), 7u);
  CBitmap target;
  ASSERT_TRUE(target.CreateRGB(30, 20, 24, 8, 8, 8, 16, 8, 0, 0));
  // "1" at x 2, "x" skipped, "2" at 2 + 4 + 1, new line 3 + 1 lower, "-" at 2.
  EXPECT_EQ(font.Print(&target, {2, 3}, 1, "1x2\n-"), 1);
  const struct {
    int x, y, grey;
  } probes[] = {{2, 3, 20}, {4, 6, 20}, {5, 3, 0}, {6, 3, 0}, {7, 3, 30}, {9, 7, 30},
                {10, 3, 0}, {2, 8, 210}, {4, 11, 210}, {5, 8, 0}, {2, 12, 0}, {1, 3, 0}};
  for (const auto& p : probes) {
    TRGBA c;
    target.GetPixel(p.x, p.y, &c);
    EXPECT_EQ(c.r, p.grey) << p.x << "," << p.y;
  }
  font.SetPrintOrientation(2);
  EXPECT_EQ(font.GetPrintOrientation(), 2u);
  EXPECT_EQ(font.Destroy(), 1);
  EXPECT_EQ(font.NumSets(), 0);
  EXPECT_EQ(font.Print(&target, {0, 0}, 0, "1"), 0);
}

TEST_F(BitmapFont, IncompleteItemsFail) {
  const std::string cases[] = {
      "Other = " + Picture() + ", 1, 3",                  // no item of that name
      "Digits = " + Picture() + ", 1",                    // no line spacing
      "Digits = " + Picture() + ", 1, 3, 01, x, 0, 4",    // x not a number
      "Digits = \"missing.bmp\", 1, 3, 01, -1, 0, 4",     // no picture
  };
  for (const std::string& item : cases) {
    SCOPED_TRACE(item);
    CBitmapFont font;
    EXPECT_EQ(Create(font, item), 0);
    EXPECT_EQ(font.NumSets(), 0);
  }
  CBitmapFont font;
  EXPECT_EQ(font.Create("Digits", nullptr, 0), 0);
  CKCBL noData;
  ASSERT_EQ(noData.Import("Digits = a, 1, 2\n", -1), 1);
  EXPECT_EQ(font.Create("Digits", &noData, 0), 0);
}

// Fonts come with downloaded scripts: spacings and cells that no picture of 46 x 5 can hold are
// refused when the font is read.
TEST_F(BitmapFont, HostileMeasuresAreRefusedOnReading) {
  const std::string cases[] = {
      "1, 3, 0123456789, -1, 0, 2147483647",  // cells far past the picture
      "1, 3, 0123456789, -1, 0, 5",           // ten cells of 5 pass the right edge (46)
      "1, 3, \"+-\", 41, 0, 3",                // the second cell ends at 47
      "1, 3, 01, -2, 0, 4",                   // left of the picture
      "1, 3, 01, 0, 5, 4",                    // below it
      "1, 3, 01, 0, -1, 4",                   // above it
      "2147483647, 3, 01, -1, 0, 4",          // character spacing
      "-40000, 3, 01, -1, 0, 4",
      "1, -2147483648, 01, -1, 0, 4",         // line spacing
      "1, 32768, 01, -1, 0, 4",
  };
  for (const std::string& values : cases) {
    SCOPED_TRACE(values);
    CBitmapFont font;
    EXPECT_EQ(Create(font, "Digits = " + Picture() + ", " + values), 0);
    EXPECT_EQ(font.NumSets(), 0);
  }
  CBitmapFont edge;
  EXPECT_EQ(Create(edge, "Digits = " + Picture() + ", -32767, 32767, 0123456789, -1, 0, 4, \"+-\", 40, 4, 3"), 1);
}

// The pen runs in 64 bits: a caller's line spacing that would wrap a 32-bit position back into
// the target (and overflow, which UBSan reports) draws nothing there.
TEST_F(BitmapFont, PositionsDoNotOverflow) {
  CBitmapFont font;
  ASSERT_EQ(Create(font, "Digits = " + Picture() + ", 32767, 3, 0123456789, -1, 0, 4"), 1);
  CBitmap target;
  ASSERT_TRUE(target.CreateRGB(30, 20, 24, 8, 8, 8, 16, 8, 0, 0));
  // Two lines of 3 + (2^31 - 4) from y 3 land on 2^32 + 1, which 32 bits would read as 1.
  EXPECT_EQ(font.Print(&target, {2, 3}, INT32_MAX - 3, "\n\n1"), 1);
  EXPECT_EQ(font.Print(&target, {INT32_MAX - 2, 1}, 0, "1111"), 1);
  EXPECT_EQ(font.Print(&target, {INT32_MIN, INT32_MIN}, INT32_MIN, "1\n1\n1"), 1);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      TRGBA c;
      target.GetPixel(x, y, &c);
      ASSERT_EQ(c.r, 0) << x << "," << y;
    }
}

}  // namespace
