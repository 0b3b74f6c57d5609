// Layout, measuring and drawing of CFont over a small font made in memory (SetFont), where every
// width and pixel is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"

namespace {

constexpr int kH = 10;        // character height
constexpr int kSpacing = 1;   // letter spacing
constexpr int kAdvance = 12;  // line advance: height + 2
constexpr int kSpace = 4;     // the default word space

// Cells in a 24-bit picture, black around them. 'A' (7) and 'B' (8) are solid; 'x' (5) and 'y'
// (6) carry a pattern with background holes; code 200 (9) is solid.
struct SCell {
  uint8_t code;
  uint16_t x, width;
  bool pattern;
};
const SCell kCells[] = {{'A', 1, 7, false}, {'B', 9, 8, false},    {'x', 18, 5, true},
                        {'y', 24, 6, true}, {200, 31, 9, false}};

uint8_t PatternLevel(int x, int y) { return (x * 7 + y * 3) % 5 == 0 ? 0 : 255 - (x + y) % 3 * 70; }

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_Picture.CreateRGB(48, kH + 2, 24, 8, 8, 8, 16, 8, 0, 0));
    for (const SCell& c : kCells)
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < c.width; ++x) {
          const uint8_t v = c.pattern ? PatternLevel(x, y) : 255;
          const TRGBA grey(v, v, v);
          m_Picture.PutPixel(c.x + x, 1 + y, &grey);
        }
    // Records for codes 1..254; the rest stay empty characters.
    std::vector<TCharData> list(FONT_CODES - 1, TCharData{0, 0, 0});
    for (const SCell& c : kCells) list[c.code - 1] = {c.x, 1, c.width};
    list.push_back({0, 0, 0xFFFF});
    ASSERT_EQ(m_Font.SetFont(&m_Picture, list.data(), 1, kH, kSpacing), 1);
  }

  int32_t Size(const char* text, int w = -1, int h = -1, int flags = 0) {
    return m_Font.GetTextSize(text, static_cast<int16_t>(w), static_cast<int16_t>(h), flags);
  }

  CBitmap m_Picture;
  CFont m_Font;
};

int32_t Packed(int w, int h) { return h << 16 | w; }

TEST_F(FontTest, SetFontDefaults) {
  EXPECT_EQ(m_Font.GetHeight(), kH);
  EXPECT_EQ(m_Font.GetSpacing(), kSpacing);
  EXPECT_EQ(m_Font.GetLineAdvance(), kAdvance);
  EXPECT_EQ(m_Font.IsLoaded(), 0);
  EXPECT_EQ(m_Font.GetChar(10).type, FONT_NEWLINE);
  EXPECT_EQ(m_Font.GetChar(10).amount, kAdvance);
  EXPECT_EQ(m_Font.GetChar(32).type, FONT_RIGHT);
  EXPECT_EQ(m_Font.GetChar(32).amount, kSpace);
  EXPECT_EQ(m_Font.GetChar(0).type, FONT_END);
  EXPECT_EQ(m_Font.GetChar('B').width, 8);
  EXPECT_EQ(m_Font.GetChar('C').width, 0);
  // The caller keeps the picture.
  m_Font.Free();
  EXPECT_NE(m_Picture.m_pData, nullptr);
}

TEST_F(FontTest, SetFontListEndsAtTerminatorOrLastCode) {
  const TCharData list[] = {{1, 1, 7}, {9, 1, 8}, {0, 0, 0xFFFF}, {18, 1, 5}};
  ASSERT_EQ(m_Font.SetFont(&m_Picture, list, 'A', kH, 0), 1);
  EXPECT_EQ(m_Font.GetChar('A').width, 7);
  EXPECT_EQ(m_Font.GetChar('B').width, 8);
  EXPECT_EQ(m_Font.GetChar('C').width, 0);
  // From code 253 on only 253 and 254 are taken.
  const TCharData tail[] = {{1, 1, 7}, {9, 1, 8}, {18, 1, 5}};
  ASSERT_EQ(m_Font.SetFont(&m_Picture, tail, 253, kH, 0), 1);
  EXPECT_EQ(m_Font.GetChar(253).width, 7);
  EXPECT_EQ(m_Font.GetChar(254).width, 8);
  EXPECT_EQ(m_Font.SetFont(nullptr, tail, 0, kH, 0), 0);
  EXPECT_EQ(m_Font.SetFont(&m_Picture, tail, 0, 0, 0), 0);
}

TEST_F(FontTest, TallFontKeepsNewLineAmountAByte) {
  CBitmap tall;
  ASSERT_TRUE(tall.CreateRGB(8, 300, 24, 8, 8, 8, 16, 8, 0, 0));
  const TCharData list[] = {{0, 0, 0xFFFF}};
  ASSERT_EQ(m_Font.SetFont(&tall, list, 0, 260, 0), 1);
  // 262 does not fit the amount byte, and 255 would mean "the next character".
  EXPECT_EQ(m_Font.GetChar(10).amount, 254);
  EXPECT_EQ(m_Font.GetLineAdvance(), 254);
}

TEST_F(FontTest, SetBasicAndSetCtrlCode) {
  EXPECT_EQ(m_Font.SetBasic(255, FONT_RIGHT, 3), 0);
  EXPECT_EQ(m_Font.SetBasic(7, FONT_RIGHT, 255), 0);
  EXPECT_EQ(m_Font.SetBasic(7, FONT_RIGHT, 254), 1);
  EXPECT_EQ(m_Font.GetChar(7).amount, 254);
  EXPECT_EQ(m_Font.SetBasic(13, FONT_NEWLINE, 20), 1);
  EXPECT_EQ(m_Font.GetLineAdvance(), 20);
  EXPECT_EQ(m_Font.SetCtrlCode(255, FONT_RIGHT), 0);
  EXPECT_EQ(m_Font.SetCtrlCode(1, FONT_RIGHT), 1);
  EXPECT_EQ(m_Font.GetChar(1).type, FONT_RIGHT);
  EXPECT_EQ(m_Font.GetChar(1).amount, FONT_AMOUNT_NEXT);
}

struct SSizeCase {
  const char* text;
  int width, height, flags;
  int expectW, expectH;
};

// "AB" is 17 wide (7 + 1 + 8 + 1), a space 4, so "AB AB" is 38.
const SSizeCase kSizes[] = {
    {"AB", -1, -1, 0, 17, kH},
    {"A", -1, -1, 0, 8, kH},
    {"", -1, -1, 0, 0, kH},
    {"AB ", -1, -1, 0, 21, kH},                            // trailing blanks count
    {"AB AB AB", 40, -1, 0, 38, kH + kAdvance},            // wraps at the last space that fits
    {"AB AB AB", 59, -1, 0, 59, kH},                       // fits exactly
    {"AB AB AB", 58, -1, 0, 38, kH + kAdvance},
    {"AB AB AB", 17, -1, 0, 17, kH + 2 * kAdvance},
    {"AB AB AB", 40, -1, TEXT_SINGLELINE, 38, kH},         // ends at the word that does not fit
    {"AB\nAB AB", -1, -1, TEXT_SINGLELINE, 17, kH},        // only the first line
    {"AB\nAB AB", -1, -1, 0, 38, kH + kAdvance},
    {"AB\n\nA", -1, -1, 0, 17, kH + 2 * kAdvance},
    {"AB\n", -1, -1, 0, 17, kH + kAdvance},
    {"ABABABAB", 40, -1, 0, 40, kH},                       // too wide alone: cut at the edge
    {"ABABABAB AB", 40, -1, 0, 40, kH + kAdvance},
    {"ABABABAB AB", 40, -1, TEXT_SINGLELINE, 40, kH},
    {"AB AB AB", 40, kH, 0, 38, kH},                       // the second line starts below the box
    {"AB AB AB", 40, kAdvance + 1, 0, 38, kAdvance + 1},   // drawn, cut at the bottom
    {"AB AB AB", 40, -1, TEXT_CENTER | TEXT_RIGHT, 38, kH + kAdvance},
    {"A\xff" "B", -1, -1, 0, 17, kH},                      // 255 has no record: nothing
    {"\xc8", -1, -1, 0, 10, kH},                           // 200 is a character of its own
    {"A\x01" "B", -1, -1, 0, 18, kH},                      // 1 is empty: spacing only
};

TEST_F(FontTest, TextSizes) {
  for (const SSizeCase& c : kSizes) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\" width " + std::to_string(c.width) +
                 " height " + std::to_string(c.height) + " flags " + std::to_string(c.flags));
    const int32_t size = Size(c.text, c.width, c.height, c.flags);
    EXPECT_EQ(size & 0xFFFF, c.expectW);
    EXPECT_EQ(size >> 16, c.expectH);
    EXPECT_EQ(m_Font.GetTextWidth(c.text, c.width, c.height, c.flags), c.expectW);
    EXPECT_EQ(m_Font.GetTextHeight(c.text, c.width, c.height, c.flags), c.expectH);
  }
}

TEST_F(FontTest, MovementCodes) {
  ASSERT_EQ(m_Font.SetCtrlCode(1, FONT_RIGHT), 1);
  EXPECT_EQ(Size("A\x01\x14" "B"), Packed(8 + 20 + 9, kH));
  ASSERT_EQ(m_Font.SetBasic(2, FONT_LEFT, 3), 1);
  EXPECT_EQ(Size("A\x02" "B"), Packed(8 - 3 + 9, kH));
  ASSERT_EQ(m_Font.SetBasic(3, FONT_DOWN, 5), 1);
  EXPECT_EQ(Size("A\x03" "B"), Packed(17, kH + 5));
  ASSERT_EQ(m_Font.SetBasic(4, FONT_UP, 5), 1);
  EXPECT_EQ(Size("A\x03\x04" "B"), Packed(17, kH));
  ASSERT_EQ(m_Font.SetBasic(5, FONT_END, 0), 1);
  EXPECT_EQ(Size("AB\x05" "AB"), Packed(17, kH));
  // A new line whose amount comes from the text.
  ASSERT_EQ(m_Font.SetCtrlCode(6, FONT_NEWLINE), 1);
  EXPECT_EQ(Size("A\x06\x1e" "B"), Packed(9, kH + 30));
  // A movement code with amount from the text is no word space: the word is not broken there.
  ASSERT_EQ(m_Font.SetCtrlCode(7, FONT_LEFT), 1);
  EXPECT_EQ(Size("AB\x07\x01" "AB", 20), Packed(20, kH));
}

TEST_F(FontTest, ControlCodeAtTheEndStopsThere) {
  ASSERT_EQ(m_Font.SetCtrlCode(1, FONT_RIGHT), 1);
  // Exactly the text and its terminator on the heap, so reading past it is caught.
  const std::string text = "AB\x01";
  std::vector<char> heap(text.begin(), text.end());
  heap.push_back(0);
  EXPECT_EQ(Size(heap.data()), Packed(17, kH));
  TTextInfo info;
  EXPECT_EQ(m_Font.GetLineIndex(heap.data(), -1, -1, 1, &info, 0), 1);
  EXPECT_EQ(info.lastIndex, 2);
}

TEST_F(FontTest, TerminatorEndsTheTextWhateverItsRecord) {
  ASSERT_EQ(m_Font.SetBasic(0, FONT_CHAR, 0), 1);
  const std::string text = "AB";
  std::vector<char> heap(text.begin(), text.end());
  heap.push_back(0);
  EXPECT_EQ(Size(heap.data()), Packed(17, kH));
  CBitmap target;
  ASSERT_TRUE(target.CreateRGB(40, 20, 24, 8, 8, 8, 16, 8, 0, 0));
  EXPECT_EQ(m_Font.Text(&target, heap.data(), 0, 0, 40, 20, nullptr, nullptr, 0), Packed(17, kH));
}

struct SLineCase {
  const char* text;
  int width, flags, line;
  int found, first, last;
};

const SLineCase kLines[] = {
    {"AB AB AB", 40, 0, 1, 1, 0, 5},   // ends at the space before the wrapped word
    {"AB AB AB", 40, 0, 2, 1, 6, 8},   // ends at the end of the text
    {"AB AB AB", 40, 0, 3, 0, 0, 0},
    {"AB AB AB", 40, TEXT_SINGLELINE, 2, 0, 0, 0},
    {"AB\nAB", -1, 0, 1, 1, 0, 2},     // ends at its new-line code
    {"AB\nAB", -1, 0, 2, 1, 3, 5},
    {"AB\n", -1, 0, 2, 1, 3, 3},       // an empty last line
    {"AB  AB", 20, 0, 1, 1, 0, 3},     // the space right before the word
    {"AB  AB", 20, 0, 2, 1, 4, 6},
    {"", -1, 0, 1, 1, 0, 0},
    {"AB", -1, 0, 0, 0, 0, 0},
};

TEST_F(FontTest, LineIndexes) {
  for (const SLineCase& c : kLines) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\" width " + std::to_string(c.width) +
                 " line " + std::to_string(c.line));
    TTextInfo info;
    std::memset(&info, 0x55, sizeof info);
    EXPECT_EQ(m_Font.GetLineIndex(c.text, static_cast<int16_t>(c.width), -1, c.line, &info,
                                  c.flags),
              c.found);
    EXPECT_EQ(info.firstIndex, c.first);
    EXPECT_EQ(info.lastIndex, c.last);
  }
}

// Drawing -----------------------------------------------------------------------------------

int32_t MakeTarget(CBitmap& b, int w, int h, const TPixelFormat& f = PIXELFORMAT_RGB24) {
  return b.CreateRGB(w, h, 24, 8, 8, 8, f.RedShift, f.GreenShift, f.BlueShift, 0);
}

// Columns and rows holding any non-black pixel: left, top, right, bottom (-1 when none).
CRect Ink(const CBitmap& b) {
  CRect r(-1, -1, -1, -1);
  for (int y = 0; y < b.m_Height; ++y)
    for (int x = 0; x < b.m_Width; ++x) {
      TRGBA c;
      b.GetPixel(x, y, &c);
      if (c.r == 0 && c.g == 0 && c.b == 0) continue;
      if (r.left < 0 || x < r.left) r.left = x;
      if (r.top < 0) r.top = y;
      r.right = std::max(r.right, x);
      r.bottom = y;
    }
  return r;
}

struct SInkCase {
  const char* text;
  int x, y, width, height, flags;
  CRect ink;
};

const SInkCase kInk[] = {
    {"AB", 3, 2, 40, 30, 0, {3, 2, 3 + 15, 2 + kH - 1}},
    {"AB", 0, 0, 40, 30, TEXT_CENTER, {11, 0, 11 + 15, kH - 1}},        // (40 - 17) / 2
    {"AB", 0, 0, 40, 30, TEXT_RIGHT, {23, 0, 23 + 15, kH - 1}},         // 40 - 17
    {"AB", 0, 0, 40, 30, TEXT_VCENTER, {0, 10, 15, 10 + kH - 1}},       // (30 - 10) / 2
    {"AB\nA", 0, 0, 40, 30, TEXT_RIGHT, {23, 0, 38, kAdvance + kH - 1}},
    {"AB AB AB", 0, 0, 40, 60, TEXT_CENTER, {1, 0, 37, kAdvance + kH - 1}},
    {"ABABABAB", 0, 0, 40, 30, 0, {0, 0, 39, kH - 1}},                 // cut at the right edge
    {"AB AB", 0, 0, 40, 6, 0, {0, 0, 36, 5}},                          // cut at the bottom
    {"AB AB AB", 0, 0, 40, kH + 3, 0, {0, 0, 36, kH + 2}},             // second line cut to 1 row
};

TEST_F(FontTest, DrawnInk) {
  for (const SInkCase& c : kInk) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\" flags " + std::to_string(c.flags));
    CBitmap target;
    ASSERT_TRUE(MakeTarget(target, 64, 64));
    const int32_t r = m_Font.Text(&target, c.text, static_cast<int16_t>(c.x),
                                  static_cast<int16_t>(c.y), static_cast<int16_t>(c.width),
                                  static_cast<int16_t>(c.height), nullptr, nullptr, c.flags);
    EXPECT_GT(r, 1);
    const CRect ink = Ink(target);
    EXPECT_EQ(ink.left, c.ink.left);
    EXPECT_EQ(ink.top, c.ink.top);
    EXPECT_EQ(ink.right, c.ink.right);
    EXPECT_EQ(ink.bottom, c.ink.bottom);
  }
}

TEST_F(FontTest, TextResultEqualsMeasuredSize) {
  const char* texts[] = {"AB", "AB AB AB", "xy yx AB\nBA", "ABABABAB AB", "AB\n\nAB  ", "\xc8 A"};
  const int flagSets[] = {0, TEXT_SINGLELINE, TEXT_CENTER, TEXT_RIGHT, TEXT_VCENTER,
                          TEXT_CENTER | TEXT_VCENTER};
  const int widths[] = {17, 40, 70};
  for (const char* text : texts)
    for (int flags : flagSets)
      for (int w : widths) {
        SCOPED_TRACE(std::string("text \"") + text + "\" flags " + std::to_string(flags) +
                     " width " + std::to_string(w));
        CBitmap target;
        ASSERT_TRUE(MakeTarget(target, 80, 80));
        TTextInfo info;
        const TRGBA red(255, 0, 0);
        const int32_t drawn = m_Font.Text(&target, text, 2, 3, static_cast<int16_t>(w), 70, &red,
                                          &info, flags);
        EXPECT_EQ(drawn, m_Font.GetTextSize(text, static_cast<int16_t>(w), 70, flags));
        EXPECT_EQ(info.width, drawn & 0xFFFF);
        EXPECT_EQ(info.height, drawn >> 16);
        EXPECT_EQ(info.firstIndex, 0);
        EXPECT_EQ(info.lastIndex, 0);
      }
}

TEST_F(FontTest, TextWithTargetSizes) {
  CBitmap target;
  ASSERT_TRUE(MakeTarget(target, 40, 30));
  // Width -1: the target's width, and one line.
  EXPECT_EQ(m_Font.Text(&target, "AB AB AB", 0, 0, -1, -1, nullptr, nullptr, 0), Packed(38, kH));
  // Height -1: the target's height, which cuts the third line.
  EXPECT_EQ(m_Font.Text(&target, "AB AB AB", 0, 0, 17, -1, nullptr, nullptr, 0),
            Packed(17, 30));
  TTextInfo info;
  EXPECT_EQ(m_Font.Text(&target, "", 5, 6, -1, -1, nullptr, &info, 0), 1);
  EXPECT_EQ(info.x, 5);
  EXPECT_EQ(info.y, 6);
  EXPECT_EQ(info.width, 0);
  // No target and no screen: nothing to draw on.
  EXPECT_EQ(m_Font.Text(nullptr, "AB", 0, 0, 40, 30, nullptr, nullptr, 0), -1);
  CFont empty;
  EXPECT_EQ(empty.Text(&target, "AB", 0, 0, 40, 30, nullptr, nullptr, 0), -1);
}

TEST_F(FontTest, InfoOfTheLayout) {
  TTextInfo info;
  CBitmap target;
  ASSERT_TRUE(MakeTarget(target, 64, 64));
  ASSERT_EQ(m_Font.Text(&target, "AB AB AB", 4, 5, 40, 60, nullptr, &info, 0),
            Packed(38, kH + kAdvance));
  EXPECT_EQ(info.x, 4 + 17);
  EXPECT_EQ(info.y, 5 + kAdvance);
  EXPECT_EQ(info.lastLineWidth, 17);
}

TEST_F(FontTest, ColourCopies) {
  const TRGBA red(200, 100, 50, 0), redAgain(200, 100, 50, 9), blue(0, 0, 255);
  EXPECT_EQ(m_Font.CreateColor(&red), 1);
  EXPECT_EQ(m_Font.CreateColor(&redAgain), 1);
  EXPECT_EQ(m_Font.NumColors(), 1);
  EXPECT_EQ(m_Font.CreateColor(&blue), 1);
  EXPECT_EQ(m_Font.NumColors(), 2);
  EXPECT_EQ(m_Font.CreateColor(nullptr), 0);

  // Each channel times the grey level, divided by 255 and truncated; background stays.
  CBitmap target;
  ASSERT_TRUE(MakeTarget(target, 32, 16));
  m_Font.Text(&target, "x", 0, 0, 32, 16, &red, nullptr, 0);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint8_t v = PatternLevel(x, y);
      TRGBA got;
      target.GetPixel(x, y, &got);
      EXPECT_EQ(got.r, 200 * v / 255) << x << "," << y;
      EXPECT_EQ(got.g, 100 * v / 255) << x << "," << y;
      EXPECT_EQ(got.b, 50 * v / 255) << x << "," << y;
    }
}

TEST_F(FontTest, KeyPixelsLeaveTheTargetAlone) {
  CBitmap target;
  ASSERT_TRUE(MakeTarget(target, 32, 16));
  const TRGBA grey(9, 9, 9), white(255, 255, 255);
  target.Fill(&grey);
  m_Font.Text(&target, "y", 0, 0, 32, 16, &white, nullptr, 0);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < 6; ++x) {
      TRGBA got;
      target.GetPixel(x, y, &got);
      EXPECT_EQ(got.r, PatternLevel(x, y) == 0 ? 9 : PatternLevel(x, y)) << x << "," << y;
    }
}

// Targets in the copy's own layout draw from runs; others through keyed blits. Both must put
// the same colours in the same places, clip rectangle included.
TEST_F(FontTest, RunsDrawWhatKeyedBlitsDraw) {
  const char* text = "xy AByx\n\xc8yx BAxy yx";
  const TRGBA colours[] = {TRGBA(255, 255, 255), TRGBA(10, 200, 90)};
  const CRect clips[] = {{0, 0, 79, 39}, {7, 3, 50, 20}, {-5, -5, 3, 100}};
  for (const TRGBA& colour : colours)
    for (const CRect& clip : clips)
      for (int flags : {0, TEXT_CENTER}) {
        CBitmap rgb, bgr;
        ASSERT_TRUE(MakeTarget(rgb, 80, 40, PIXELFORMAT_RGB24));
        ASSERT_TRUE(MakeTarget(bgr, 80, 40, PIXELFORMAT_BGR24));
        rgb.m_ClipRect = clip;
        bgr.m_ClipRect = clip;
        const int32_t a = m_Font.Text(&rgb, text, -3, 1, 70, 36, &colour, nullptr, flags);
        const int32_t b = m_Font.Text(&bgr, text, -3, 1, 70, 36, &colour, nullptr, flags);
        EXPECT_EQ(a, b);
        int differences = 0, inked = 0;
        for (int y = 0; y < 40; ++y)
          for (int x = 0; x < 80; ++x) {
            TRGBA p, q;
            rgb.GetPixel(x, y, &p);
            bgr.GetPixel(x, y, &q);
            differences += p.r != q.r || p.g != q.g || p.b != q.b;
            inked += p.r || p.g || p.b;
          }
        EXPECT_EQ(differences, 0);
        EXPECT_GT(inked, 0);
      }
}

}  // namespace
