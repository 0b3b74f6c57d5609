#include <gtest/gtest.h>

#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "support/guiharness.h"

namespace {
// A window at (100, 100) without title bar, so control coordinates are window coordinates.
class Sliders : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    CSlider::ms_lTimeWhenPressed = -1;
    m_Window.Create(1, "", 100, 100, 300, 300, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    Events().clear();
  }
  // A vertical slider at (10, 10), 10 wide and 100 high: buttons of 10, a track of 80.
  void MakeVertical(CSlider& s, int32_t minimum, int32_t maximum, int32_t page) {
    ASSERT_EQ(s.Create(7, 10, 10, 10, 100, minimum, maximum, minimum, page, 0), 1);
    m_Window.AddCntrl(&s, ADDCNTRL_LAST);
  }
  // Frames 20 ms apart.
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      m_Clock.Advance(20);
      Frame();
    }
  }
  size_t Changes() { return EventsOf(GUIMSG_SLIDER).size(); }
  CWindow m_Window;
};

struct SRangeRow {
  int32_t min, max, page, set, largest, value;
};

TEST_F(Sliders, RangeAndValueStayInsideMinimumAndLargestValue) {
  const SRangeRow rows[] = {
      {1, 10, 3, 20, 8, 8},  {1, 10, 3, 0, 8, 1},        {1, 10, 3, 5, 8, 5},
      {0, 99, 10, 95, 90, 90}, {-50, 50, 1, -60, 50, -50}, {0, 9, 10, 5, 0, 0},
      // A page wider than the range: the minimum wins.
      {0, 9, 20, 5, -10, 0},
  };
  for (const SRangeRow& r : rows) {
    CSlider s;
    s.Create(3, 0, 0, 10, 100, 0, 100, 0, 1, 0);
    EXPECT_EQ(s.SetRange(r.min, r.max, r.page), 1);
    EXPECT_EQ(s.GetLargestValue(), r.largest) << r.min << ".." << r.max << " page " << r.page;
    EXPECT_EQ(s.SetValue(r.set), 1);
    EXPECT_EQ(s.GetValue(), r.value) << r.min << ".." << r.max << " page " << r.page << " set " << r.set;
    int32_t a = 0, b = 0, p = 0;
    EXPECT_EQ(s.GetRange(a, b, p), 1);
    EXPECT_EQ(a, r.min);
    EXPECT_EQ(b, r.max);
    EXPECT_EQ(p, r.page);
  }
  // SetRange clamps the value it already has.
  CSlider s;
  s.Create(3, 0, 0, 10, 100, 0, 100, 80, 1, 0);
  EXPECT_EQ(s.GetValue(), 80);
  s.SetRange(0, 50, 11);
  EXPECT_EQ(s.GetValue(), 40);
}

struct SThumbRow {
  int32_t width, height, min, max, page;
  uint32_t flags;
  int32_t button, thumb;
};

TEST_F(Sliders, ThumbLengthFollowsThePageAndNeverDropsBelowSix) {
  const SThumbRow rows[] = {
      {10, 100, 0, 99, 10, 0, 10, 8},             // 80 * 10 / 100
      {10, 100, 0, 9, 5, 0, 10, 40},              // half the track
      {10, 100, 0, 99999, 1, 0, 10, 6},           // far too short: 6
      {10, 100, 0, 1999999999, 1000, 0, 10, 6},   // products beyond 32 bits
      {120, 20, 0, 49, 25, CNTRL_HSLIDER, 20, 40},  // horizontal: track 80
      {10, 100, 5, 4, 2, 0, 10, 80},              // no value in the range: no division, kept to the track
      {10, 100, 0, 9, 30, 0, 10, 80},             // page beyond the range: the whole track
  };
  for (const SThumbRow& r : rows) {
    CSlider s;
    ASSERT_EQ(s.Create(3, 0, 0, r.width, r.height, r.min, r.max, r.min, r.page, r.flags), 1);
    EXPECT_EQ(s.GetButtonSize(), r.button);
    EXPECT_EQ(s.GetThumbLength(), r.thumb) << r.min << ".." << r.max << " page " << r.page;
    int32_t w = 0, h = 0;
    s.GetThumb()->GetSize(w, h);
    EXPECT_EQ(r.flags ? w : h, r.thumb);
  }
}

TEST_F(Sliders, ChildrenSitAtTheEndsWithTheirIdsAndFollowTheSlider) {
  CSlider v, hz;
  v.Create(40, 10, 20, 12, 100, 0, 10, 0, 1, 0);
  hz.Create(50, 30, 5, 90, 15, 0, 10, 0, 1, CNTRL_HSLIDER);
  struct SChild {
    CControlBase* c;
    int32_t id, x, y, w, h;
    uint32_t flags;
    int32_t target;
  };
  const SChild children[] = {
      {v.GetUpButton(), 10040, 10, 20, 12, 12, 0x105, 40},   {v.GetDownButton(), 10041, 10, 108, 12, 12, 0x105, 40},
      {v.GetThumb(), 10042, 10, 32, 12, 6, 1, 40},           {hz.GetUpButton(), 10050, 30, 5, 15, 15, 1, 50},
      {hz.GetDownButton(), 10051, 105, 5, 15, 15, 1, 50},    {hz.GetThumb(), 10052, 45, 5, 6, 15, 1, 50},
  };
  for (const SChild& c : children) {
    int32_t x = 0, y = 0, w = 0, h = 0;
    c.c->GetPos(x, y);
    c.c->GetSize(w, h);
    EXPECT_EQ(c.c->GetID(), c.id);
    EXPECT_EQ(x, c.x) << c.id;
    EXPECT_EQ(y, c.y) << c.id;
    EXPECT_EQ(w, c.w) << c.id;
    EXPECT_EQ(h, c.h) << c.id;
    EXPECT_EQ(c.c->GetFlags(), c.flags) << c.id;
    EXPECT_EQ(c.c->GetMessageTarget(), c.target) << c.id;
  }
  // Moving moves the children by the same distance; growing moves only the far button.
  v.SetPos(20, 30);
  int32_t x = 0, y = 0;
  v.GetDownButton()->GetPos(x, y);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 118);
  v.SetSize(12, 150);
  v.GetDownButton()->GetPos(x, y);
  EXPECT_EQ(y, 168);
  v.GetUpButton()->GetPos(x, y);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(v.GetThumbLength(), 6);
  hz.SetSize(100, 15);
  hz.GetDownButton()->GetPos(x, y);
  EXPECT_EQ(x, 115);
  // Disabling disables the children.
  v.SetState(XGUI_DISABLED);
  EXPECT_EQ(v.GetThumb()->GetState(), XGUI_DISABLED);
  EXPECT_EQ(v.GetUpButton()->GetState(), XGUI_DISABLED);
  EXPECT_EQ(v.Destroy(), 1);
  EXPECT_EQ(v.GetThumb(), nullptr);
  EXPECT_EQ(v.GetID(), 0);
}

struct SPosRow {
  int32_t min, max, page, value, offset;
};

TEST_F(Sliders, ThumbPositionIsCountedFromTheMinimum) {
  // Track 80, thumb 80 * page / count.
  const SPosRow rows[] = {
      {0, 99, 10, 0, 10},  {0, 99, 10, 90, 82}, {0, 99, 10, 45, 46},
      {5, 104, 10, 5, 10}, {5, 104, 10, 95, 82}, {5, 104, 10, 50, 46},
      {0, 9, 10, 0, 10},   // one page shows all: the thumb stays at the top
  };
  for (const SPosRow& r : rows) {
    CSlider s;
    s.Create(3, 0, 0, 10, 100, r.min, r.max, r.value, r.page, 0);
    s.UpdateThumbPos();
    EXPECT_EQ(s.GetThumbY(), r.offset) << r.min << " " << r.value;
    EXPECT_EQ(s.GetThumbX(), 0);
    int32_t x = 0, y = 0;
    s.GetThumb()->GetPos(x, y);
    EXPECT_EQ(y, r.offset);
  }
}

struct SDragRow {
  int32_t min, max, page, pointerY, value;
};

TEST_F(Sliders, DraggingPlacesTheValueUnderThePointer) {
  // Window-relative: the slider's top at 10, the track from 20; room = 80 - thumb.
  const SDragRow rows[] = {
      {0, 99, 10, 56, 45},   // (56 - 10 - 10) * 90 / 72
      {5, 104, 10, 56, 50},  // the same place with the range moved by five
      {5, 104, 10, 15, 5},   // over the up arrow: the minimum, and the arrow stays up
      {5, 104, 10, 200, 95},  // below it: the largest value
      {0, 9, 10, 60, 0},     // the page shows the whole range: the value cannot leave the minimum
  };
  for (const SDragRow& r : rows) {
    CSlider s;
    MakeVertical(s, r.min, r.max, r.page);
    int32_t tx = 0, ty = 0;
    s.GetThumb()->GetPos(tx, ty);
    MoveTo(100 + tx + 2, 100 + ty + 2);
    Press(100 + tx + 2, 100 + ty + 2);
    EXPECT_EQ(s.IsDragging(), 1);
    MoveTo(115, 100 + r.pointerY);
    EXPECT_EQ(s.GetValue(), r.value) << r.min << " at " << r.pointerY;
    EXPECT_NE(s.GetUpButton()->GetState(), XGUI_PRESSED);
    // The drag goes on outside the slider.
    MoveTo(200, 100 + r.pointerY);
    EXPECT_EQ(s.GetValue(), r.value);
    Release(200, 100 + r.pointerY);
    EXPECT_EQ(s.IsDragging(), 0);
    EXPECT_EQ(s.GetState(), XGUI_RELEASED);
    m_Window.RemoveCntrl(&s);
  }
}

TEST_F(Sliders, HeldArrowStepsOncePerStepWait) {
  CSlider s;
  MakeVertical(s, 0, 99, 10);
  // The down arrow covers window rows 100 to 109 of the slider.
  MoveTo(115, 205);
  Press(115, 205);
  // The first press only starts the timing.
  EXPECT_EQ(s.GetValue(), 0);
  EXPECT_GE(CSlider::ms_lTimeWhenPressed, 0);
  Release(115, 205);
  EXPECT_EQ(CSlider::ms_lTimeWhenPressed, -1);

  struct SRow {
    uint32_t wait, hold;
    int32_t steps;
  } rows[] = {
      {100, 1000, 8},  // frames 20 ms apart: a step each 120 ms
      {50, 600, 10},   // each 60 ms
      {0, 200, 10},    // each frame
  };
  for (const SRow& r : rows) {
    s.SetValue(0);
    s.SetScrollWaitTime(r.wait);
    MoveTo(115, 205);
    Press(115, 205);
    const int32_t before = s.GetValue();
    EXPECT_EQ(before, 0);
    Frames(static_cast<int32_t>(r.hold / 20));
    EXPECT_EQ(s.GetValue(), r.steps) << "wait " << r.wait;
    Release(115, 205);
  }
  // Up steps toward the minimum and stops there.
  s.SetScrollWaitTime(0);
  s.SetValue(2);
  MoveTo(115, 115);
  Press(115, 115);
  Frames(6);
  EXPECT_EQ(s.GetValue(), 0);
  Release(115, 115);
}

TEST_F(Sliders, PagingMovesTowardThePointerAtLeastOneValue) {
  struct SRow {
    int32_t page, firstStep;
  } rows[] = {{10, 9}, {1, 1}, {2, 1}};
  for (const SRow& r : rows) {
    CSlider s;
    s.Create(7, 10, 10, 10, 100, 0, 99, 0, r.page, 0);
    m_Window.AddCntrl(&s, ADDCNTRL_LAST);
    MoveTo(115, 190);  // a release inside arms the slider
    Events().clear();
    Press(115, 190);  // the first paging call only starts the timing
    EXPECT_EQ(s.GetValue(), 0);
    EXPECT_EQ(s.GetState(), XGUI_PRESSED);
    m_Clock.Advance(60);
    Frame();
    EXPECT_EQ(s.GetValue(), 0);
    m_Clock.Advance(60);
    Frame();
    EXPECT_EQ(s.GetValue(), r.firstStep) << "page " << r.page;
    EXPECT_EQ(Changes(), 1u);
    // The timing starts again: the next call records, the one after 100 ms steps.
    m_Clock.Advance(20);
    Frame();
    EXPECT_EQ(s.GetValue(), r.firstStep);
    Release(115, 190);
    EXPECT_EQ(s.GetState(), XGUI_RELEASED);
    m_Window.RemoveCntrl(&s);
  }
  // Close to the pointer the value goes straight to it.
  CSlider s;
  s.Create(7, 10, 10, 10, 100, 0, 99, 0, 10, 0);
  m_Window.AddCntrl(&s, ADDCNTRL_LAST);
  MoveTo(115, 130);
  Release(115, 130);
  Press(115, 130);  // offset 10: value 10 * 90 / 72 = 12, more than 9 away
  for (int i = 0; i < 3; ++i) {
    m_Clock.Advance(110);
    Frame();
  }
  EXPECT_EQ(s.GetValue(), 12);
  Release(115, 130);
}

TEST_F(Sliders, ValueChangesAreReportedOnceAsMessage14) {
  CSlider s;
  MakeVertical(s, 0, 99, 10);
  s.SetScrollWaitTime(0);
  MoveTo(115, 205);
  Press(115, 205);
  Frames(3);
  Release(115, 205);
  EXPECT_EQ(s.GetValue(), 3);
  EXPECT_EQ(EventsOf(GUIMSG_SLIDER), (std::vector<std::pair<int32_t, int32_t>>{{1, 7}, {1, 7}, {1, 7}}));
  // SetValue and SetRange change quietly.
  s.SetValue(50);
  s.SetRange(0, 20, 5);
  EXPECT_EQ(Changes(), 3u);
  // Disabled and hidden sliders take nothing.
  s.SetState(XGUI_DISABLED);
  EXPECT_EQ(s.GuiMsgHandler(GUIMSG_MOUSE, 15, 15, 0, nullptr), 0);
  s.SetState(XGUI_RELEASED);
  s.SetState(XGUI_HIDDEN);
  EXPECT_EQ(s.GuiMsgHandler(GUIMSG_MOUSE, 15, 15, 0, nullptr), 0);
}

TEST_F(Sliders, TimingIsSharedByAllSliders) {
  CSlider a, b;
  a.Create(7, 10, 10, 10, 100, 0, 99, 0, 10, 0);
  b.Create(8, 40, 10, 10, 100, 0, 99, 0, 10, 0);
  m_Window.AddCntrl(&a, ADDCNTRL_LAST);
  m_Window.AddCntrl(&b, ADDCNTRL_LAST);
  MoveTo(115, 205);
  Press(115, 205);  // a's down arrow starts the timing
  m_Clock.Advance(150);
  // A press message of b's arrow in the same frames finds the timing due.
  b.GuiMsgHandler(GUIMSG_HELD, 1, 8 + SLIDER_DOWN_ID, 8, nullptr);
  EXPECT_EQ(b.GetValue(), 1);
  Frame();
  EXPECT_EQ(a.GetValue(), 0);
  Release(115, 205);
}
}  // namespace

namespace {
TEST_F(Sliders, DrawsTrackButtonsAndThumbWhereTheValueIs) {
  StartScreen(320, 240);
  TCntrlColor track{}, face{};
  track.m_Col[3] = TRGBA(10, 200, 30, 0);
  track.m_Col[0] = TRGBA(1, 2, 3, 0);
  track.m_Col[1] = TRGBA(4, 5, 6, 0);
  face.m_Col[2] = TRGBA(200, 40, 40, 0);
  face.m_Col[1] = TRGBA(40, 40, 200, 0);
  CSlider s;
  MakeVertical(s, 0, 99, 10);
  s.SetColors(&track, &track, &track, &track);
  s.SetFlag(CNTRL_EXTRUDED);
  for (CControlBase* c : {static_cast<CControlBase*>(s.GetUpButton()), static_cast<CControlBase*>(s.GetDownButton()),
                          static_cast<CControlBase*>(s.GetThumb())})
    c->SetColors(&face, &face, &face, &face);
  s.SetValue(45);  // thumb rows 46 to 53 of the slider
  s.Validate();
  Frame();
  Frame();
  // The window's client origin is (100, 100); the slider stands at (10, 10).
  EXPECT_EQ(ScreenPixel(115, 135), 0x0AC81Eu);  // the track
  EXPECT_EQ(ScreenPixel(115, 156), 0x2828C8u);  // the thumb's raised top edge
  EXPECT_EQ(ScreenPixel(115, 155), 0x0AC81Eu);
  EXPECT_EQ(ScreenPixel(115, 115), 0xC82828u);  // the up button's face
  EXPECT_EQ(ScreenPixel(110, 135), 0x010203u);  // the raised edge: left in entry 0
  EXPECT_EQ(ScreenPixel(119, 135), 0x040506u);  // right in entry 1
  // Disabled, the thumb is not drawn.
  s.SetState(XGUI_DISABLED);
  s.Validate();
  Frame();
  Frame();
  EXPECT_EQ(ScreenPixel(115, 156), 0x0AC81Eu);
  m_Window.RemoveCntrl(&s);
}
}  // namespace
