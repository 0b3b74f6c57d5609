// Where controls put their text, drawn with a stock font on the screen: a one-line edit field
// beside its label shares the label's baseline, and right-aligned text keeps the inner margin
// that left-aligned text has.
#include <gtest/gtest.h>

#include <string>

#include "ostrel/controls/edit.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/font.h"
#include "support/guiharness.h"

namespace {
const TRGBA kWhite(255, 255, 255, 0);

bool Bright(uint32_t rgb) { return (rgb >> 16) > 240 && ((rgb >> 8) & 0xFF) > 240 && (rgb & 0xFF) > 240; }

// A window at (100, 100) without title bar over a 640 x 480 screen; ink is the text's white.
class TextPlacement : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(640, 480);
    m_pFont = xGuiLoadFont((std::string(VORRIN_DIST_DIR) + "/fonts/sans13.xbf").c_str());
    ASSERT_NE(m_pFont, nullptr);
    m_Window.Create(1, "", 100, 100, 400, 200, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    m_Window.ShowWindow();
  }
  void TearDown() override {
    WC().RemoveWindow(&m_Window);
    xGuiDeleteFont(m_pFont);
    CGuiTest::TearDown();
  }
  void Add(CControlBase& c) {
    c.SetFont(m_pFont, nullptr);
    c.SetTextColor(kWhite);
    m_Window.AddCntrl(&c, ADDCNTRL_LAST);
  }
  // The box of the text's brightest pixels (every channel above 240, brighter than the built-in
  // look's frames) inside the control's rectangle (window coordinates), less the rows and columns
  // that a bevel takes; as left, top, right, bottom on the screen.
  static CRect Ink(int32_t x, int32_t y, int32_t w, int32_t h) {
    CRect r;
    r.Set(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    for (int32_t j = 100 + y + 4; j < 100 + y + h - 4; ++j)
      for (int32_t i = 100 + x + 2; i < 100 + x + w - 2; ++i)
        if (Bright(ScreenPixel(i, j))) {
          r.left = std::min(r.left, i);
          r.top = std::min(r.top, j);
          r.right = std::max(r.right, i);
          r.bottom = std::max(r.bottom, j);
        }
    return r;
  }
  CWindow m_Window;
  CFont* m_pFont = nullptr;
};

TEST_F(TextPlacement, OneLineEditsShareTheBaselineOfTheirLabels) {
  // Each pair on its own row of the window: 22, 24 and 30 pixels high.
  const int32_t heights[3] = {22, 24, 30}, rows[3] = {10, 42, 76};
  CStatic labels[3];
  CEdit fields[3];
  for (int32_t k = 0; k < 3; ++k) {
    labels[k].Create("Hx", 10, rows[k], 90, heights[k], CNTRL_TRANSPARENT | CNTRL_CENTERV);
    fields[k].Create(k + 1, "Hx", 110, rows[k], 150, heights[k], 20, CNTRL_EXTRUDED | CNTRL_CENTERV);
    Add(labels[k]);
    Add(fields[k]);
  }
  Frame();
  Frame();
  for (int32_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(heights[k]);
    const CRect a = Ink(10, rows[k], 90, heights[k]), b = Ink(110, rows[k], 150, heights[k]);
    ASSERT_LE(a.top, a.bottom);
    ASSERT_LE(b.top, b.bottom);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.bottom, b.bottom);
  }
  for (int32_t k = 0; k < 3; ++k) {
    m_Window.RemoveCntrl(&labels[k]);
    m_Window.RemoveCntrl(&fields[k]);
  }
}

TEST_F(TextPlacement, RightAlignedTextKeepsTheLeftMargin) {
  // Where the glyphs' ink lies in their cells, from the text drawn alone.
  CBitmap alone;
  ASSERT_TRUE(alone.CreateRGB(60, 20, 24, 8, 8, 8, 16, 8, 0, 0));
  m_pFont->Text(&alone, "50", 0, 0, 60, 20, const_cast<TRGBA*>(&kWhite), nullptr, 0);
  const int32_t width = m_pFont->GetTextWidth("50", 60, 20, 0);
  int32_t first = 60, last = -1;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 60; ++x) {
      TRGBA c;
      alone.GetPixel(x, y, &c);
      if (c.r > 240 && c.g > 240 && c.b > 240) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
  ASSERT_LE(first, last);
  const int32_t leftBearing = first, rightBearing = width - 1 - last;

  for (const uint32_t frame : {0u, static_cast<uint32_t>(CNTRL_EXTRUDED)}) {
    SCOPED_TRACE(frame);
    CStatic left, right;
    left.Create("50", 10, 50, 100, 22, frame | CNTRL_CENTERV);
    right.Create("50", 130, 50, 100, 22, frame | CNTRL_CENTERV | CNTRL_RIGHTJUSTIFIED);
    Add(left);
    Add(right);
    Frame();
    Frame();
    const CRect a = Ink(10, 50, 100, 22), b = Ink(130, 50, 100, 22);
    const int32_t leftMargin = a.left - (100 + 10) - leftBearing;
    const int32_t rightMargin = (100 + 130 + 99) - b.right - rightBearing;
    EXPECT_GT(leftMargin, 0);
    EXPECT_EQ(rightMargin, leftMargin);
    m_Window.RemoveCntrl(&left);
    m_Window.RemoveCntrl(&right);
  }
}
}  // namespace
