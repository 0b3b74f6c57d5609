// Text on the current screen: colour copies in the screen's format, glyphs in the screen buffer
// inside the screen's clip, one clear area per line; checked against the same text drawn into a
// bitmap through keyed blits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "ostrel/screens/screentest.h"

namespace {

const char kText[] = "Dealer stands on 17.\nBlackjack pays 3 to 2, insurance 2 to 1.";
constexpr int kW = 160, kH = 90;

class FontScreen : public CScreenTest {
 protected:
  void LoadFont() {
    ASSERT_EQ(m_Font.Load((std::string(VORRIN_DIST_DIR) + "/fonts/sans13.xbf").c_str()), 1);
  }
  // A screen pixel read by the channel rule, as a keyed blit into 24 bits reads it.
  static TRGBA Decoded(int x, int y) {
    const SVmode& m = Mode();
    const uint32_t v = RawScreen(x, y);
    if (m.Indexed) return S().GetPalette()->Entry(static_cast<int32_t>(v));
    if (m.BytesPerPixel == 2)
      return TRGBA(xUnpackChannel(v, m.RedShift, m.RedBits), xUnpackChannel(v, m.GreenShift, m.GreenBits),
                   xUnpackChannel(v, m.BlueShift, m.BlueBits));
    const auto byte = [v](int32_t shift) { return static_cast<uint8_t>(v >> (8 * (2 - shift / 8))); };
    return TRGBA(byte(m.RedShift), byte(m.GreenShift), byte(m.BlueShift));
  }
  // Pixels where the screen holds something else than the reference.
  static int Differences(const CBitmap& reference) {
    int n = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        TRGBA want, got = Decoded(x, y);
        reference.GetPixel(x, y, &want);
        n += want.r != got.r || want.g != got.g || want.b != got.b;
      }
    return n;
  }
  void CheckDepth(int32_t bits) {
    Start(kW, kH, bits);
    LoadFont();  // the copies take the screen's format
    const TRGBA gold(255, 204, 51);
    for (int flags : {0, TEXT_CENTER | TEXT_VCENTER}) {
      CBitmap reference;
      ASSERT_EQ(reference.CreateRGB(kW, kH, 24, 8, 8, 8, 16, 8, 0, 0), 1);
      // The screen's own background, under the text as under the reference.
      reference.Blt(&Screen(), 0, 0, 0, 0, -1, -1, BLT_MODE_COPY, 0, 0);
      m_Font.Text(&reference, kText, 4, 5, 150, 80, &gold, nullptr, flags);
      const int32_t drawn = m_Font.Text(nullptr, kText, 4, 5, 150, 80, &gold, nullptr, flags);
      EXPECT_EQ(drawn, m_Font.GetTextSize(kText, 150, 80, flags));
      EXPECT_EQ(Differences(reference), 0);
      int inked = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const TRGBA c = Decoded(x, y);
          inked += (c.r | c.g | c.b) != 0;
        }
      EXPECT_GT(inked, 100);
    }
  }
  // The screen buffer as a bitmap of the screen's format.
  CBitmap& Screen() {
    const SVmode& m = Mode();
    if (m.Indexed)
      m_Screen.CreateIndex(kW, kH, 8, S().GetPalette(), 0);
    else
      m_Screen.CreateRGB(kW, kH, m.BitsPerPixel, m.RedBits, m.GreenBits, m.BlueBits, m.RedShift, m.GreenShift,
                         m.BlueShift, 0);
    for (int y = 0; y < kH; ++y)
      std::memcpy(m_Screen.m_pData + y * m_Screen.m_Pitch, S().LockScreenBuffer() + y * m.Pitch,
                  static_cast<size_t>(kW) * m.BytesPerPixel);
    return m_Screen;
  }
  CBitmap m_Screen;
  CFont m_Font;
};

TEST_F(FontScreen, DrawsWhatKeyedBlitsDrawIn24Bits) { CheckDepth(24); }
TEST_F(FontScreen, DrawsWhatKeyedBlitsDrawIn16Bits) { CheckDepth(16); }
TEST_F(FontScreen, DrawsWhatKeyedBlitsDrawIn8Bits) { CheckDepth(8); }

TEST_F(FontScreen, ScreenClipAndOneClearAreaPerLine) {
  Start(kW, kH, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  LoadFont();
  ASSERT_EQ(S().ClearAreas().Count(S().GetCurrentPage()), 0);
  S().SetClip(0, 0, 79, kH - 1);
  const TRGBA white(255, 255, 255);
  m_Font.Text(nullptr, kText, 4, 5, 150, 80, &white, nullptr, 0);
  // Nothing right of the clip.
  for (int y = 0; y < kH; ++y)
    for (int x = 80; x < kW; ++x) ASSERT_EQ(ScreenPixel(x, y), 0u) << x << "," << y;
  // One area per line, none past the clip, and every drawn pixel inside one of them.
  int lines = 0;
  TTextInfo info;
  while (m_Font.GetLineIndex(kText, 150, 80, lines + 1, &info, 0)) ++lines;
  std::vector<CRect> areas;
  S().ClearAreas().ForEach(S().GetCurrentPage(), [&](const CRect& r) { areas.push_back(r); });
  EXPECT_EQ(static_cast<int>(areas.size()), lines);
  EXPECT_GE(lines, 3);
  int inked = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < 80; ++x) {
      if (!ScreenPixel(x, y)) continue;
      ++inked;
      bool inside = false;
      for (const CRect& a : areas) inside |= a.IsPntInRect(x, y) != 0;
      EXPECT_TRUE(inside) << x << "," << y;
    }
  EXPECT_GT(inked, 100);
  for (const CRect& a : areas) EXPECT_LE(a.right, 79);
  // An empty clip draws nothing at all.
  const TRGBA black(0, 0, 0);
  S().FillRect(0, 0, kW, kH, black);
  S().SetClip(500, 500, 600, 600);
  m_Font.Text(nullptr, kText, 4, 5, 150, 80, &white, nullptr, 0);
  S().SetClip(0, 0, kW - 1, kH - 1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(ScreenPixel(x, y), 0u) << x << "," << y;
}

TEST_F(FontScreen, WindowTextDrawsTheSameWithoutAClearArea) {
  Start(kW, kH, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  LoadFont();
  const TRGBA white(255, 255, 255);
  m_Font.Text(nullptr, kText, 4, 5, 150, 80, &white, nullptr, TEXT_CENTER);
  std::vector<uint32_t> plain;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) plain.push_back(ScreenPixel(x, y));
  ASSERT_GT(S().ClearAreas().Count(S().GetCurrentPage()), 0);
  S().ClearBuffer();
  ASSERT_EQ(S().ClearAreas().Count(S().GetCurrentPage()), 0);
  m_Font.Text(nullptr, kText, 4, 5, 150, 80, &white, nullptr, TEXT_CENTER | TEXT_GUI);
  std::vector<uint32_t> gui;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) gui.push_back(ScreenPixel(x, y));
  EXPECT_TRUE(gui == plain);
  EXPECT_EQ(S().ClearAreas().Count(S().GetCurrentPage()), 0);
}

TEST_F(FontScreen, WholeScreenSizes) {
  Start(kW, kH, 24);
  LoadFont();
  // Width -1: the screen's width on one line; height -1: the screen's height.
  EXPECT_EQ(m_Font.Text(nullptr, kText, 0, 0, -1, -1, nullptr, nullptr, 0),
            m_Font.GetTextSize(kText, kW, kH, TEXT_SINGLELINE));
}

}  // namespace
