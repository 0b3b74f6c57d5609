#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/container.h"
#include "ostrel/controls/progress.h"
#include "ostrel/controls/static.h"
#include "ostrel/controls/url.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/keycodes.h"
#include "platform/display/keys.h"
#include "platform/shell/launchrecorder.h"
#include "support/guiharness.h"
#include "controlwindow.h"

namespace {
class Controls : public CControlWindowTest {};
}  // namespace

TEST_F(Controls, ALinkOpensItsAddressThroughTheLauncher) {
  CLaunchRecorder recorder;
  CURL mail, web;
  ASSERT_EQ(mail.Create(5, "Mail us", "help@example.com", 10, 10, 80, 20, XKEY_F1, 0), 1);
  ASSERT_EQ(web.Create(6, "Site", "https://example.com/a b", 10, 50, 80, 20, 0, 0), 1);
  m_Window.AddCntrl(&mail, ADDCNTRL_LAST);
  m_Window.AddCntrl(&web, ADDCNTRL_LAST);
  Click(120, 115);
  Click(120, 155);
  ASSERT_EQ(recorder.m_Started.size(), 2u);
  EXPECT_EQ(recorder.m_Started[0], (std::vector<std::string>{"xdg-open", "mailto:help@example.com"}));
  EXPECT_EQ(recorder.m_Started[1], (std::vector<std::string>{"xdg-open", "https://example.com/a b"}));
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{1, 5}, {1, 6}}));
  // A press that ends outside opens nothing; the hot key's release does.
  MoveTo(120, 115);
  Press(120, 115);
  MoveTo(10, 10);
  Release(10, 10);
  EXPECT_EQ(recorder.m_Started.size(), 2u);
  Click(300, 250);  // the release on the desktop left the window inactive
  Key(XVK_F1);
  ASSERT_EQ(recorder.m_Started.size(), 3u);
  EXPECT_EQ(recorder.m_Started[2][1], "mailto:help@example.com");
  EXPECT_EQ(mail.SetURL(nullptr), 0);
  EXPECT_STREQ(mail.GetURL(), "help@example.com");
  CURL none;
  EXPECT_EQ(none.Create(7, "x", nullptr, 0, 0, 1, 1, 0, 0), 0);
}

TEST_F(Controls, AColourKeyedButtonIgnoresClicksOnItsTransparentPixels) {
  CBitmap picture;
  picture.CreateRGB(20, 20, 24, 8, 8, 8, 16, 8, 0, 0);
  const TRGBA key(255, 0, 255, 0), ink(10, 20, 30, 0);
  picture.Fill(&key);
  for (int y = 5; y < 15; ++y)
    for (int x = 5; x < 15; ++x) picture.PutPixel(x, y, &ink);
  CButton b;
  b.Create(9, nullptr, 10, 10, 20, 20, 0, CNTRL_TRANSPARENT | CNTRL_HASBITMAP | CNTRL_BMTRANS);
  b.SetBitmap(&picture, &picture, &picture, &picture);
  m_Window.AddCntrl(&b, ADDCNTRL_LAST);
  Click(112, 112);  // a key pixel
  EXPECT_TRUE(EventsOf(GUIMSG_COMMAND).empty());
  Click(120, 120);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND).size(), 1u);
  b.SetFlag(CNTRL_BTNTRANSCLICK);
  Click(112, 112);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND).size(), 2u);
  // An extruded button is hit on its whole rectangle too.
  b.RemoveFlag(CNTRL_BTNTRANSCLICK);
  b.SetFlag(CNTRL_EXTRUDED);
  Click(112, 112);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND).size(), 3u);
}

TEST_F(Controls, AButtonHeldByItsHotKeyIsReleasedWhenItsWindowHides) {
  CButton b;
  b.Create(4, "Hold", 10, 10, 40, 20, XKEY_SPACE, 0);
  m_Window.AddCntrl(&b, ADDCNTRL_LAST);
  KeyDown(XVK_SPACE);
  EXPECT_EQ(b.GetPress(), 2);
  EXPECT_EQ(b.GetState(), XGUI_PRESSED);
  m_Window.HideWindow();
  EXPECT_EQ(b.GetPress(), 0);
  EXPECT_EQ(b.GetState(), XGUI_RELEASED);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{1, 4}}));
  KeyUp(XVK_SPACE);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND).size(), 1u);
}

TEST_F(Controls, ADragButtonStaysHeldOutsideWhileTheMouseButtonIsDown) {
  CDragbutton d;
  d.Create(8, nullptr, 10, 10, 20, 20, 0, 0);
  m_Window.AddCntrl(&d, ADDCNTRL_LAST);
  MoveTo(115, 115);
  EXPECT_TRUE(Events().empty());  // no highlight message
  Press(115, 115);
  EXPECT_EQ(d.GetState(), XGUI_PRESSED);
  MoveTo(200, 200);
  EXPECT_EQ(d.GetPress(), 1);
  EXPECT_EQ(d.GetState(), XGUI_HIGHLIGHT);
  const size_t held = EventsOf(GUIMSG_HELD).size();
  MoveTo(116, 116);
  EXPECT_EQ(d.GetState(), XGUI_PRESSED);
  EXPECT_GT(EventsOf(GUIMSG_HELD).size(), held);
  Release(116, 116);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{1, 8}}));
  EXPECT_TRUE(EventsOf(GUIMSG_LEAVE).empty());
  EXPECT_TRUE(EventsOf(GUIMSG_HIGHLIGHT).empty());
}

TEST_F(Controls, StaticsTakeTheMouseAndBaseControlsReportEnterAndLeave) {
  CControlBase base;
  base.Create(2);
  base.SetPos(10, 10);
  base.SetSize(50, 50);
  CStatic label;
  label.Create("Label", 20, 20, 10, 10, 0);
  EXPECT_EQ(label.GetID(), XCNTRL_STATIC);
  m_Window.AddCntrl(&base, ADDCNTRL_LAST);
  m_Window.AddCntrl(&label, ADDCNTRL_LAST);
  MoveTo(125, 125);
  EXPECT_EQ(m_Window.GetCntrlUnderMouse(), &label);
  EXPECT_EQ(EventsOf(GUIMSG_MOUSEENTER), (std::vector<std::pair<int32_t, int32_t>>{{1, 2}}));
  MoveTo(115, 115);
  EXPECT_EQ(m_Window.GetCntrlUnderMouse(), &base);
  MoveTo(250, 250);
  EXPECT_EQ(EventsOf(GUIMSG_MOUSELEAVE), (std::vector<std::pair<int32_t, int32_t>>{{1, 2}}));
  // A disabled static takes nothing.
  label.SetState(XGUI_DISABLED);
  EXPECT_EQ(label.GuiMsgHandler(GUIMSG_MOUSE, 25, 25, 0, nullptr), 0);
  // With a message target the notices go to the parent control, not the callback.
  Events().clear();
  base.SetCntrlMessagingSystem(label.GetID());
  MoveTo(115, 115);
  EXPECT_TRUE(Events().empty());
}

TEST_F(Controls, ProgressFillsItsShareOfTheRange) {
  CProgress p;
  p.Create(3, 0, 0, 102, 10, 0);  // inner width 102 - (2 * 1 + 2) = 98
  struct SCase {
    int32_t first, second, value, width;
  };
  for (SCase t : {SCase{0, 100, 50, 49}, SCase{0, 100, 0, 0}, SCase{0, 100, 100, 98}, SCase{0, 100, 33, 32},
                  SCase{50, 50, 50, 0}, SCase{0, 100, 150, 98}, SCase{0, 100, -5, 0}, SCase{10, 110, 60, 49},
                  SCase{100, 0, 25, 73}}) {
    p.SetRange(t.first, t.second);
    p.SetValue(t.value);
    EXPECT_EQ(p.BarWidth(), t.width) << t.first << ".." << t.second << " at " << t.value;
  }
  // Hidden progress bars still take input; disabled ones do not.
  p.SetState(XGUI_HIDDEN);
  EXPECT_EQ(p.GuiMsgHandler(GUIMSG_MOUSE, 5, 5, 0, nullptr), 1);
  p.SetState(XGUI_DISABLED);
  EXPECT_EQ(p.GuiMsgHandler(GUIMSG_MOUSE, 5, 5, 0, nullptr), 0);
}

TEST_F(Controls, AContainerMovesAndChangesStateWithItsChildren) {
  CControlContainer box;
  box.Create(20, "ignored", 100, 40, 80, 60, 0, 0);
  EXPECT_EQ(box.GetTextBuffer(0), nullptr);
  CButton child;
  child.Create(21, "c", 5, 5, 20, 10, 0, 0);
  box.Add(&child);
  int32_t x = 0, y = 0;
  child.GetPos(x, y);
  EXPECT_EQ(x, 105);
  EXPECT_EQ(y, 45);
  box.SetPos(110, 40);
  child.GetPos(x, y);
  EXPECT_EQ(x, 115);
  EXPECT_EQ(y, 45);
  box.SetState(XGUI_DISABLED);
  EXPECT_EQ(child.GetState(), XGUI_DISABLED);
  box.SetState(XGUI_RELEASED);
  EXPECT_EQ(child.GetState(), XGUI_RELEASED);
  // In a window with a title bar both stand in the client area, after the container.
  CWindow titled;
  titled.Create(2, "T", 0, 0, 300, 200, XWIN_TITLEBAR);
  titled.AddCntrl(&box, ADDCNTRL_LAST);
  child.GetPos(x, y);
  EXPECT_EQ(y, 45 + TITLEBAR_HEIGHT);
  titled.CntrlFirst();
  EXPECT_EQ(titled.GetCntrl(), &box);
  titled.CntrlNext();
  EXPECT_EQ(titled.GetCntrl(), &child);
  // A child added later, and a change of id, keep the places.
  CButton late;
  late.Create(22, "l", 1, 2, 5, 5, 0, 0);
  box.Add(&late);
  late.GetPos(x, y);
  EXPECT_EQ(x, 111);
  EXPECT_EQ(y, 42 + TITLEBAR_HEIGHT);
  titled.SetID(3);
  child.GetPos(x, y);
  EXPECT_EQ(y, 45 + TITLEBAR_HEIGHT);
  EXPECT_EQ(titled.NumCntrls(), 3);
  EXPECT_EQ(box.Remove(&late), 1);
  EXPECT_EQ(titled.NumCntrls(), 2);
  EXPECT_EQ(box.Remove(&late), 0);
  // Parented before it is added (a dialog's "State" key does so): the same places.
  CControlContainer early;
  early.Create(30, nullptr, 10, 10, 50, 50, 0, 0);
  CButton inner;
  inner.Create(31, "i", 3, 4, 5, 5, 0, 0);
  early.Add(&inner);
  early.SetParent(3, &titled);
  titled.AddCntrl(&early, ADDCNTRL_LAST);
  inner.GetPos(x, y);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(y, 14 + TITLEBAR_HEIGHT);
}
