// The windowed screen's frame (flip, clear, validate, presenting only what changed) and its
// window (style, size, centring, offsets, the window messages it answers).
#include <gtest/gtest.h>

#include <vector>

#include "ostrel/input/mouse.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/msgsys.h"
#include "ostrel/system/runtimeobjects.h"
#include "screentest.h"

namespace {
constexpr int32_t kW = 64, kH = 48;

// Notes each bus message with the number of presents made when it arrived.
class CRecorder : public CMsgSys {
 public:
  CRecorder() {
    xRegisterMsgHandler(this, XMSG_BUS_DRAW, 0);
    xRegisterMsgHandler(this, XMSG_BUS_CLEAR, 0);
  }
  int32_t MsgHandler(uint32_t message, TMsgParam, TMsgParam) override {
    seen.push_back({message, PlatformHeadless()->PresentCount(), S()->ClearAreas().Count(0)});
    return 1;
  }
  static CDibScreen* S() { return sglb->m_pDibScreen; }
  struct SSeen {
    uint32_t message;
    int32_t presents;
    int32_t clearAreas;
  };
  std::vector<SSeen> seen;
};

class Frame : public CScreenTest {
 protected:
  void SetUp() override {
    CScreenTest::SetUp();
    Start(kW, kH, 24);
    ASSERT_EQ(S().SetPersistentMode(1), 1);
    S().FlipPage();
    S().ClearBuffer();
    S().FlipPage();
    D().ClearPresented();
  }
  static int32_t PresentedPixels() {
    int32_t n = 0;
    for (const TDisplayRect& r : D().Presented()) n += r.width * r.height;
    return n;
  }
};

TEST_F(Frame, FlipSendsDrawThenPresentsClearSendsClearThenRestores) {
  CRecorder rec;
  CBitmap pic;
  Paint(pic, 4, 4, [](int32_t, int32_t) { return TRGBA(255, 255, 255); });
  S().DrawBitmapScreen(&pic, 0, 0, 10, 10, -1, -1, 0, 0);
  ASSERT_EQ(S().ClearAreas().Count(0), 1);
  EXPECT_EQ(S().FlipPage(), 1);
  ASSERT_EQ(rec.seen.size(), 1u);
  EXPECT_EQ(rec.seen[0].message, XMSG_BUS_DRAW);
  EXPECT_EQ(rec.seen[0].presents, 0);  // before presenting
  EXPECT_EQ(D().PresentCount(), 1);
  ASSERT_EQ(D().Presented().size(), 1u);
  EXPECT_EQ(D().Presented()[0].x, 10);
  EXPECT_EQ(D().Presented()[0].width, 4);
  EXPECT_EQ(D().Pixel(11, 11), 0xFFFFFFu);
  EXPECT_EQ(S().ClearBuffer(), 1);
  ASSERT_EQ(rec.seen.size(), 2u);
  EXPECT_EQ(rec.seen[1].message, XMSG_BUS_CLEAR);
  EXPECT_EQ(rec.seen[1].clearAreas, 1);  // before restoring
  EXPECT_EQ(S().ClearAreas().Count(0), 0);
  EXPECT_EQ(ScreenPixel(11, 11), 0u);  // back from the persistent buffer
  EXPECT_EQ(S().ShadowAreas().Count(0), 1);  // handed to the windows
  EXPECT_EQ(D().Pixel(11, 11), 0xFFFFFFu);  // shown at the next flip
  S().FlipPage();
  EXPECT_EQ(D().Pixel(11, 11), 0u);
  EXPECT_EQ(FirstPresentedMismatch(), -1);
}

TEST_F(Frame, OnlyChangedAreasArePresented) {
  S().FlipPage();
  EXPECT_EQ(D().PresentCount(), 0);  // nothing changed: no call at all
  CBitmap pic;
  Paint(pic, 3, 2, [](int32_t, int32_t) { return TRGBA(1, 2, 3); });
  S().DrawBitmapScreen(&pic, 0, 0, 62, 47, -1, -1, 0, 0);  // cut at the corner
  S().DrawBitmapScreen(&pic, 0, 0, 0, 0, -1, -1, 0, 0);
  S().FlipPage();
  EXPECT_EQ(PresentedPixels(), 2 + 6);
}

TEST_F(Frame, FlipOffPresentsNothingAndOnPresentsAll) {
  EXPECT_EQ(S().SetFlipScreen(0), 1);
  S().FillRect(0, 0, kW, kH, TRGBA(9, 9, 9));
  S().AddClearArea(0, 0, 5, 5);
  for (int i = 0; i < 3; ++i) {
    S().FlipPage();
    S().ClearBuffer();
  }
  EXPECT_EQ(D().PresentCount(), 0);
  EXPECT_EQ(S().LayerAreas().Count(0), 0);
  S().FillRect(0, 0, kW, kH, TRGBA(9, 9, 9));
  EXPECT_EQ(S().SetFlipScreen(1), 1);
  S().FlipPage();
  EXPECT_EQ(PresentedPixels(), kW * kH);
  EXPECT_EQ(FirstPresentedMismatch(), -1);
}

TEST_F(Frame, RefusedPresentKeepsTheAreasForTheNextFlip) {
  S().FillRect(0, 0, kW, kH, TRGBA(7, 7, 7));
  S().AddClearArea(0, 0, kW - 1, kH - 1);
  D().SetPresentFails(true);
  EXPECT_EQ(S().FlipPage(), 0);
  EXPECT_GT(S().LayerAreas().Count(0), 0);
  D().SetPresentFails(false);
  EXPECT_EQ(S().FlipPage(), 1);
  EXPECT_EQ(D().Pixel(0, 0), 0x070707u);
  EXPECT_EQ(S().LayerAreas().Count(0), 0);
}

TEST_F(Frame, ValidateHandsShadowAreasOnAndEmptiesThem) {
  S().AddClearArea(1, 1, 3, 3);
  S().AddShadowArea(20, 20, 30, 30);
  EXPECT_EQ(S().Validate(), 1);
  EXPECT_EQ(S().ShadowAreas().Count(0), 0);
  EXPECT_EQ(S().ShadowAreas().Count(1), 1);  // other pages keep theirs
  EXPECT_EQ(S().LayerAreas().Count(0), 0);   // no window manager drew anything
  EXPECT_EQ(S().ClearAreas().Count(0), 1);
}

// What the windows drew stays until they give its area back; that area comes back from the
// persistent buffer when the windows are validated, before they draw again, or at the clear when
// it is given back after they drew. Either way it is shown.
TEST_F(Frame, WindowAreasComeBackBeforeTheWindowsDraw) {
  CBitmap pic;
  Paint(pic, 4, 4, [](int32_t, int32_t) { return TRGBA(255, 255, 255); });
  S().DrawBitmapScreenGui(&pic, 0, 0, 10, 10, -1, -1, 0, 0);
  S().FlipPage();
  S().ClearBuffer();
  EXPECT_EQ(ScreenPixel(11, 11), 0xFFFFFFu);  // no area: it stays
  S().AddClearAreaGui(10, 10, 13, 13);
  EXPECT_EQ(S().ClearAreas().Count(0), 0);
  EXPECT_EQ(S().Validate(), 1);
  EXPECT_EQ(ScreenPixel(11, 11), 0u);
  EXPECT_EQ(S().GuiClearAreas().Count(0), 0);
  ASSERT_EQ(S().LayerAreas().Count(0), 1);  // to be shown
  EXPECT_EQ(S().LayerAreas().Get(0, 0).right, 13);
  S().DrawBitmapScreenGui(&pic, 0, 0, 10, 10, -1, -1, 0, 0);  // drawn again in the same frame
  S().FlipPage();
  S().ClearBuffer();
  EXPECT_EQ(ScreenPixel(11, 11), 0xFFFFFFu);
  EXPECT_EQ(FirstPresentedMismatch(), -1);
  // Given back after the draw: the clear restores it and hands it to the windows.
  S().AddClearAreaGui(10, 10, 13, 13);
  S().ClearBuffer();
  EXPECT_EQ(ScreenPixel(11, 11), 0u);
  EXPECT_EQ(S().GuiClearAreas().Count(0), 0);
  EXPECT_EQ(S().ShadowAreas().Count(0), 1);
  S().FlipPage();
  EXPECT_EQ(FirstPresentedMismatch(), -1);
}

TEST_F(Frame, KilledEntriesReachNoCopy) {
  S().AddClearArea(0, 0, 10, 10);
  S().AddClearArea(3, 0, 10, 10);  // swallows the first: one live entry, one killed
  ASSERT_EQ(S().ClearAreas().Count(0), 2);
  S().ClearBuffer();
  ASSERT_EQ(S().ShadowAreas().Count(0), 1);
  EXPECT_TRUE(S().ShadowAreas().Get(0, 0).IsEqual(&static_cast<const CRect&>(CRect(0, 0, 10, 10))));
}

TEST_F(Frame, NarrowClipAtTheFlipStillPresentsAllChanges) {
  CBitmap pic;
  Paint(pic, 8, 8, [](int32_t, int32_t) { return TRGBA(200, 0, 0); });
  S().DrawBitmapScreen(&pic, 0, 0, 30, 30, -1, -1, 0, 0);
  S().SetClip(0, 0, 5, 5);  // left behind by some drawing
  S().FlipPage();
  EXPECT_EQ(FirstPresentedMismatch(), -1);
  S().ClearBuffer();
  S().FlipPage();
  EXPECT_EQ(FirstPresentedMismatch(), -1);
}

TEST_F(Frame, PersistentAreasWithoutABufferRestoreNothing) {
  S().SetPersistent(0);
  S().FillRect(0, 0, kW, kH, TRGBA(5, 5, 5));
  S().AddClearAreaPersistent(0, 0, 10, 10);
  S().FlipPage();
  S().ClearBuffer();
  EXPECT_EQ(ScreenPixel(5, 5), 0x050505u);
}

TEST_F(Frame, GreyRequestRunsOnTheFlipAfterSprites) {
  S().FillRect(0, 0, kW, kH, TRGBA(60, 60, 60));
  EXPECT_EQ(S().SetScreenToPersistentGrey(), 1);
  xHandler();
  EXPECT_EQ(S().GetGreyRequest(), 0);
  EXPECT_EQ(PersistentPixel(3, 3), 0x1E1E1Eu);
  EXPECT_EQ(ScreenPixel(3, 3), 0x1E1E1Eu);  // the whole screen restored at the clear
}

TEST_F(Frame, LoopDrivesTheCurrentScreen) {
  CRecorder rec;
  xHandler();
  ASSERT_EQ(rec.seen.size(), 2u);
  EXPECT_EQ(rec.seen[0].message, XMSG_BUS_DRAW);
  EXPECT_EQ(rec.seen[1].message, XMSG_BUS_CLEAR);
  EXPECT_EQ(xCurrentScreenWindowKind(), VMODE_WINDOW);
  EXPECT_EQ(xCurrentScreenActive(), 1);
  S().DeActivate();
  EXPECT_EQ(xCurrentScreenActive(), 0);
  glb->m_pCurrentScreen = nullptr;
  EXPECT_EQ(xCurrentScreenWindowKind(), -1);
  EXPECT_EQ(xCurrentScreenActive(), 1);
}

class Window : public CScreenTest {
 protected:
  void SetUp() override {
    CScreenTest::SetUp();
    D().SetFrameMetrics({20, 4, 5, 2, 3});  // caption, sizing frame, fixed frame
    D().SetDesktop(800, 600, 32);
    ASSERT_EQ(S().AddWindowVideoMode(kW, kH, 24, -1), 1);
    ASSERT_EQ(S().InitModeRez(kW, kH, 24, VMODE_WINDOW), 1);
    glb->m_pCurrentScreen = &S();
  }
  // The picture coordinates the mouse reports for a pointer at that client position.
  static void MouseAt(int32_t clientX, int32_t clientY, int32_t& x, int32_t& y) {
    D().QueueMouseMove(0, 0);  // the first move only wakes the mouse
    D().QueueMouseMove(clientX, clientY);
    Pump();
    glb->m_pMouse->GetState(&x, &y, nullptr);
  }
};

TEST_F(Window, StylesSizesAndOffsetsByFlags) {
  struct SCase {
    uint32_t flags;
    uint32_t style;
    int32_t width, height;  // outer size
  };
  const SCase cases[] = {
      {3, XWS_OVERLAPPEDWINDOW, kW + 8, kH + 20 + 10},
      {2, XWS_SYSMENU | XWS_SIZEFRAME | XWS_MINIMIZEBOX | XWS_MAXIMIZEBOX, kW + 8, kH + 10},
      {1, XWS_CAPTION | XWS_SYSMENU | XWS_MINIMIZEBOX, kW + 4, kH + 20 + 6},
      {0, 0, kW, kH},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.flags);
    ASSERT_EQ(S().SetScreenWindowProperties(c.flags, -1, -1), 1);
    Pump();
    EXPECT_EQ(D().GetWindowStyle(), c.style);
    int32_t x = 0, y = 0, w = 0, h = 0;
    D().GetWindowRect(x, y, w, h);
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    EXPECT_EQ(x, (800 - c.width) / 2);
    EXPECT_EQ(y, (600 - c.height) / 2);
    D().GetClientSize(w, h);
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
    EXPECT_EQ(S().GetOffsetX(), 0);
    int32_t mx = 0, my = 0;
    MouseAt(7, 9, mx, my);
    EXPECT_EQ(mx, 7);
    EXPECT_EQ(my, 9);
    EXPECT_TRUE(D().IsWindowVisible());
    EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(0, 0, kW - 1, kH - 1))));
  }
}

TEST_F(Window, DesktopTooSmall) {
  D().SetDesktop(kW + 10, kH, 32);  // no taller than the window: frameless
  ASSERT_EQ(S().SetScreenWindowProperties(3, -1, -1), 1);
  EXPECT_EQ(D().GetWindowStyle(), 0u);
  D().SetDesktop(kW - 1, kH, 32);
  EXPECT_EQ(S().SetScreenWindowProperties(3, -1, -1), 0);
}

TEST_F(Window, LargerClientCentresThePicture) {
  ASSERT_EQ(S().SetScreenWindowProperties(0, kW + 40, kH + 20), 1);
  Pump();
  EXPECT_EQ(S().GetOffsetX(), 20);
  EXPECT_EQ(S().GetOffsetY(), 10);
  S().FillRect(0, 0, kW, kH, TRGBA(1, 1, 1));
  S().FlipPage();
  EXPECT_EQ(D().Pixel(20, 10), 0x010101u);
  EXPECT_EQ(D().Pixel(19, 10), 0u);
  EXPECT_EQ(FirstPresentedMismatch(), -1);
  int32_t mx = 0, my = 0;
  MouseAt(25, 15, mx, my);
  EXPECT_EQ(mx, 5);
  EXPECT_EQ(my, 5);
}

TEST_F(Window, WholeDesktopKindCentresOnTheDesktop) {
  ASSERT_EQ(S().AddWindowVideoMode(kW, kH, 16, -1), 1);
  ASSERT_EQ(S().InitModeRez(kW, kH, 16, VMODE_DESKTOP), 1);
  ASSERT_EQ(S().SetScreenWindowProperties(0, -1, -1), 1);
  Pump();
  EXPECT_EQ(D().GetFullScreen(), EFullScreen::Desktop);
  EXPECT_EQ(S().GetOffsetX(), (800 - kW) / 2);
  EXPECT_EQ(S().GetOffsetY(), (600 - kH) / 2);
  S().FillRect(0, 0, kW, kH, TRGBA(255, 0, 0));
  S().FlipPage();
  EXPECT_EQ(FirstPresentedMismatch(), -1);
  int32_t mx = 0, my = 0;
  MouseAt(S().GetOffsetX() + 3, S().GetOffsetY() + 4, mx, my);
  EXPECT_EQ(mx, 3);
  EXPECT_EQ(my, 4);
}

TEST_F(Window, SizeAndActivationMessages) {
  ASSERT_EQ(S().SetScreenWindowProperties(0, -1, -1), 1);
  S().SetPersistentMode(1);
  Pump();
  D().MinimizeWindow();
  Pump();
  EXPECT_EQ(S().GetActive(), 0);
  D().RestoreWindow();
  Pump();
  EXPECT_EQ(S().GetActive(), 1);
  // Becoming active marks the whole screen for restoring.
  const CAreaList& areas = S().PersistentClearAreas();
  ASSERT_GT(areas.Count(0), 0);
  EXPECT_TRUE(areas.Get(0, areas.Count(0) - 1).IsEqual(&static_cast<const CRect&>(CRect(0, 0, kW - 1, kH - 1))));
  D().QueueActivate(false);
  Pump();
  EXPECT_EQ(S().GetActive(), 0);
  D().QueueActivate(true);
  Pump();
  EXPECT_EQ(S().GetActive(), 1);
  // Painting shows the whole picture.
  S().FillRect(0, 0, kW, kH, TRGBA(3, 4, 5));
  D().ClearPresented();
  D().QueueExpose();
  Pump();
  EXPECT_EQ(FirstPresentedMismatch(), -1);
  EXPECT_EQ(S().WinMsgHandler(nullptr, XMSG_SYSCOMMAND, 61696, 0), 0);
}

TEST_F(Window, ExitModeStopsTheWindowMessages) {
  ASSERT_EQ(S().SetScreenWindowProperties(0, -1, -1), 1);
  S().ExitMode();
  D().SetWindowSize(300, 300);  // queues a size message
  D().QueueExpose();
  Pump();
  EXPECT_EQ(S().GetActiveMode(), nullptr);
  EXPECT_EQ(S().FlipPage(), 1);
  EXPECT_EQ(S().ClearBuffer(), 1);
}
}  // namespace
