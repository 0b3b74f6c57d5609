#include <gtest/gtest.h>

#include <string>

#include "ostrel/controls/button.h"
#include "ostrel/controls/checkbox.h"
#include "ostrel/controls/groupbox.h"
#include "ostrel/controls/radiobutton.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "support/guiharness.h"

namespace {
// The built-in colour sets of the window manager.
constexpr uint32_t kFrameFill = 0xC0C0C0;   // set 5, entry 2
constexpr uint32_t kBar = 0x0000A0;         // set 8, entry 0
constexpr uint32_t kBarBack = 0x8C8C8C;     // set 8, entry 2
constexpr uint32_t kSunkenTop = 0x000000;   // set 8, entry 3
constexpr uint32_t kSunkenBottom = 0xCDCDCD;  // set 8, entry 1

class Drawing : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    StartScreen(320, 240);
    m_Window.Create(1, "", 20, 20, 200, 120, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
  }
  void Show() {
    m_Window.ShowWindow();
    Frame();
  }
  CWindow m_Window;
};
}  // namespace

TEST_F(Drawing, ProgressFillsHalfItsInnerWidthAtHalfItsRange) {
  CProgress p;
  p.Create(3, 10, 10, 102, 12, 0);  // inner width 98
  p.SetValue(50);
  m_Window.AddCntrl(&p, ADDCNTRL_LAST);
  Show();
  EXPECT_EQ(ScreenPixel(25, 25), kFrameFill);
  // The bar starts inside the bevel and one pixel more: 49 pixels of bar.
  EXPECT_EQ(ScreenPixel(32, 32), kBar);
  EXPECT_EQ(ScreenPixel(32 + 48, 32 + 7), kBar);
  EXPECT_EQ(ScreenPixel(40, 32 + 8), kBarBack);
  EXPECT_EQ(ScreenPixel(32 + 49, 32), kBarBack);
  EXPECT_EQ(ScreenPixel(31, 31), kBarBack);
  // The sunken bevel around it.
  EXPECT_EQ(ScreenPixel(60, 30), kSunkenTop);
  EXPECT_EQ(ScreenPixel(30, 35), kSunkenTop);
  EXPECT_EQ(ScreenPixel(60, 30 + 11), kSunkenBottom);
  EXPECT_EQ(ScreenPixel(30 + 101, 35), kSunkenBottom);
  // A full bar after a redraw; an empty range draws none.
  p.SetValue(100);
  p.Validate();
  Frame();
  EXPECT_EQ(ScreenPixel(32 + 97, 35), kBar);
  EXPECT_EQ(ScreenPixel(32 + 98, 35), kBarBack);
  p.SetRange(5, 5);
  p.Validate();
  Frame();
  EXPECT_EQ(ScreenPixel(32, 32), kBarBack);
}

TEST_F(Drawing, ButtonsShowTheColourSetOfTheirState) {
  CButton b;
  b.Create(101, nullptr, 10, 40, 40, 20, 0, CNTRL_EXTRUDED);
  m_Window.AddCntrl(&b, ADDCNTRL_LAST);
  Show();
  // Normal: fill 190, top and left 250, bottom and right 32, corner diagonals 255 and 0.
  EXPECT_EQ(ScreenPixel(45, 65), 0xBEBEBEu);
  EXPECT_EQ(ScreenPixel(30, 60), 0xFFFFFFu);
  EXPECT_EQ(ScreenPixel(45, 60), 0xFAFAFAu);
  EXPECT_EQ(ScreenPixel(30, 65), 0xFAFAFAu);
  EXPECT_EQ(ScreenPixel(45, 79), 0x202020u);
  EXPECT_EQ(ScreenPixel(69, 65), 0x202020u);
  EXPECT_EQ(ScreenPixel(69, 79), 0x000000u);
  // Highlighted under the mouse: fill 210.
  MoveTo(45, 65);
  Frame();
  EXPECT_EQ(b.GetState(), XGUI_HIGHLIGHT);
  EXPECT_EQ(ScreenPixel(45, 65), 0xD2D2D2u);
  // Pressed: the set's bevel turns over.
  Press(45, 65);
  Frame();
  EXPECT_EQ(ScreenPixel(45, 60), 0x202020u);
  EXPECT_EQ(ScreenPixel(45, 79), 0xFAFAFAu);
  Release(45, 65);
  // Hidden: the frame shows again where the button was.
  b.SetState(XGUI_HIDDEN);
  Frame();
  Frame();
  EXPECT_EQ(ScreenPixel(45, 65), kFrameFill);
}

TEST_F(Drawing, AMovedWindowIsDrawnAtItsNewPlace) {
  m_Window.SetFlag(XWIN_DRAG);
  CStatic s;
  s.Create(nullptr, 5, 5, 30, 30, CNTRL_EXTRUDED);
  m_Window.AddCntrl(&s, ADDCNTRL_LAST);
  Show();
  EXPECT_EQ(ScreenPixel(40, 40), 0xBEBEBEu);  // the static's fill: button set 1, entry 2
  m_Window.SetPos(100, 100);
  Frame();
  EXPECT_EQ(ScreenPixel(120, 120), 0xBEBEBEu);
  EXPECT_EQ(ScreenPixel(110, 105), 0x202020u);  // sunken: the top ring in entry 3
  EXPECT_EQ(ScreenPixel(110, 105 + 29), 0xFAFAFAu);
}

TEST_F(Drawing, TextIsDrawnWithTheFontAndItsColour) {
  CFont* font = xGuiLoadFont((std::string(VORRIN_TEST_DATA_DIR) + "/resources/test.xbf").c_str());
  ASSERT_NE(font, nullptr);
  // The test font's characters are solid cells 6 wide and 10 high, 1 pixel apart.
  CStatic label;
  label.Create("AB", 10, 10, 60, 20, 0);
  label.SetFont(font, nullptr);
  label.SetTextColor(TRGBA(10, 200, 30, 0));
  CButton button;
  button.Create(101, "OK", 10, 40, 40, 20, 0, CNTRL_EXTRUDED | CNTRL_CENTERH | CNTRL_CENTERV);
  button.SetFont(font, nullptr);
  m_Window.AddCntrl(&label, ADDCNTRL_LAST);
  m_Window.AddCntrl(&button, ADDCNTRL_LAST);
  Show();
  // The static's text starts one pixel inside it and one further right: at (32, 31).
  EXPECT_EQ(ScreenPixel(31, 33), 0xBEBEBEu);
  EXPECT_EQ(ScreenPixel(32, 31), 0x0AC81Eu);
  EXPECT_EQ(ScreenPixel(37, 40), 0x0AC81Eu);
  EXPECT_EQ(ScreenPixel(38, 35), 0xBEBEBEu);  // between the two cells
  EXPECT_EQ(ScreenPixel(39, 35), 0x0AC81Eu);
  // The button's "OK" (13 wide with the gap, 10 high) centred inside its bevel, in white.
  const int32_t left = 30 + 1 + (38 - 14) / 2, top = 60 + 1 + (18 - 10) / 2;
  EXPECT_EQ(ScreenPixel(left + 1, top + 1), 0xFFFFFFu);
  EXPECT_EQ(ScreenPixel(left + 1, top - 1), 0xBEBEBEu);
  // Pressed, the text moves one pixel right and down.
  MoveTo(45, 65);
  Press(45, 65);
  Frame();
  EXPECT_EQ(button.GetState(), XGUI_PRESSED);
  EXPECT_EQ(ScreenPixel(left + 1, top + 10), 0xFFFFFFu);
  Release(45, 65);
  label.SetFont(nullptr, nullptr);
  button.SetFont(nullptr, nullptr);
  xGuiDeleteFont(font);
}

namespace {
// Colour sets whose entries 0 to 2 and 4 tell the slot and the entry apart.
TCntrlColor Set(uint8_t slot) {
  TCntrlColor c{};
  for (uint8_t i = 0; i < 8; ++i) c.m_Col[i] = TRGBA(slot, i, 0x40);
  return c;
}
uint32_t Colour(uint32_t slot, uint32_t entry) { return slot << 16 | entry << 8 | 0x40; }
}  // namespace

TEST_F(Drawing, ACheckBoxFillsItsBoxByStateAndShowsTheCheckMarkWhenCheckedHasNoBitmap) {
  TCntrlColor sets[4] = {Set(1), Set(2), Set(3), Set(4)};
  CBitmap mark;
  mark.CreateRGB(4, 4, 24, 8, 8, 8, 16, 8, 0, 0);
  const TRGBA ink(250, 0, 250);
  mark.Fill(&ink);
  WC().SetDefaultCheck(&mark);
  CCheckbox box, look;
  box.Create(5, "Sound", 10, 10, 100, 12, 12, 0, CNTRL_EXTRUDED | CNTRL_HASBITMAP);
  look.Create(6, "", 10, 40, 40, 20, 0, 0, 0);
  for (CCheckbox* c : {&box, &look}) {
    c->SetColors(&sets[0], &sets[1], &sets[2], &sets[3]);
    m_Window.AddCntrl(c, ADDCNTRL_LAST);
  }
  Show();
  // Not checked: the normal set; the edge is the normal set's entries 1 (left, top) and 0.
  EXPECT_EQ(ScreenPixel(35, 35), Colour(1, 2));
  EXPECT_EQ(ScreenPixel(30, 35), Colour(1, 1));
  EXPECT_EQ(ScreenPixel(35, 30), Colour(1, 1));
  EXPECT_EQ(ScreenPixel(41, 35), Colour(1, 0));
  EXPECT_EQ(ScreenPixel(35, 41), Colour(1, 0));
  EXPECT_EQ(ScreenPixel(45, 65), Colour(1, 2));
  // Checked: the pressed set, and the check mark inside the edge.
  box.SetState(XGUI_CHECKED);
  look.SetState(XGUI_CHECKED);
  Frame();
  EXPECT_EQ(ScreenPixel(32, 32), 0xFA00FAu);
  EXPECT_EQ(ScreenPixel(34, 34), 0xFA00FAu);
  EXPECT_EQ(ScreenPixel(36, 36), Colour(2, 2));
  EXPECT_EQ(ScreenPixel(41, 35), Colour(1, 0));
  EXPECT_EQ(ScreenPixel(45, 65), Colour(2, 2));
  // Disabled: the disabled set.
  box.SetState(XGUI_DISABLED);
  Frame();
  EXPECT_EQ(ScreenPixel(36, 36), Colour(4, 2));
  WC().SetDefaultCheck(nullptr);
}

TEST_F(Drawing, AGroupBoxFillsWithEntryFourAndDrawsItsButtons) {
  TCntrlColor sets[4] = {Set(1), Set(2), Set(3), Set(4)};
  CGroupbox g;
  g.Create(20, "Bet", 10, 10, 100, 60, CNTRL_EXTRUDED);
  g.SetColors(&sets[0], &sets[1], &sets[2], &sets[3]);
  CRadiobutton r;
  r.Create(11, "", 5, 5, 20, 20, 0, 0, 0);
  r.SetColors(&sets[0], &sets[1], &sets[2], &sets[3]);
  m_Window.AddCntrl(&g, ADDCNTRL_LAST);
  g.Add(&r);
  Show();
  EXPECT_EQ(ScreenPixel(80, 60), Colour(1, 4));
  EXPECT_EQ(ScreenPixel(30, 30), Colour(1, 1));
  EXPECT_EQ(ScreenPixel(129, 50), Colour(1, 0));
  EXPECT_EQ(ScreenPixel(40, 40), Colour(2, 2));  // the first button, checked
}
