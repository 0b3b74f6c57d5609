// The full-screen screen on the headless display: whether it is offered, its modes, the picture's
// place on the desktop, the two pages and their area lists, and leaving and coming back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/shade.h"
#include "ostrel/graphics/sprite.h"
#include "ostrel/input/mouse.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/screens/dxscreen.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/screens/screenpresent.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/msgsys.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/headless.h"
#include "platform/display/pixels.h"
#include "support/runtimefixture.h"

namespace {
constexpr int32_t kDesktopW = 1280, kDesktopH = 1024;

class FullScreen : public CRuntimeTest {
 protected:
  void ConfigureDisplay(CHeadlessDisplay& d) override {
    d.SetFullScreenVideo(true);
    d.SetDesktop(kDesktopW, kDesktopH, 32);
  }
  void SetUp() override {
    CRuntimeTest::SetUp();
    ASSERT_NE(sglb->m_pDxScreen, nullptr);
  }

  static CDxScreen& S() { return *sglb->m_pDxScreen; }
  static CHeadlessDisplay& D() { return *PlatformHeadless(); }
  static const SVmode& Mode() { return *S().GetActiveMode(); }

  // The program chooses the screen, then starts a mode on it.
  static void Start(int32_t width, int32_t height, int32_t bits) {
    glb->m_pCurrentScreen = &S();
    ASSERT_EQ(S().InitModeRez(width, height, bits, VMODE_FULLSCREEN), 1);
    Pump();
  }
  static void Pump() {
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  }
  static void Frame() {
    S().FlipPage();
    S().ClearBuffer();
  }

  static uint32_t Xrgb(const uint8_t* pixels, int32_t pitch, int32_t x, int32_t y) {
    TDisplayColour palette[256];
    for (int32_t i = 0; i < 256; ++i) {
      const TRGBA& c = S().GetPalette()->m_Entries[i];
      palette[i] = {c.r, c.g, c.b};
    }
    uint32_t out = 0;
    PlatformPixelsToXrgb(pixels + static_cast<int64_t>(y) * pitch + static_cast<int64_t>(x) * Mode().BytesPerPixel,
                         xDisplayFormat(Mode()), palette, 1, &out);
    return out;
  }
  static uint32_t PagePixel(int32_t page, int32_t x, int32_t y) {
    return Xrgb(S().GetPagePixels(page), Mode().Pitch, x, y);
  }
  static uint32_t PersistentPixel(int32_t x, int32_t y) {
    const CBitmap* p = S().GetPersistentBitmap();
    return Xrgb(p->m_pData, p->m_Pitch, x, y);
  }
  // What the window shows at the first desktop pixel that shows picture pixel (x, y).
  static uint32_t Shown(int32_t x, int32_t y) {
    const TDisplayRect& t = S().GetTarget();
    return D().Pixel(t.x + (x * t.width + Mode().Width - 1) / Mode().Width,
                     t.y + (y * t.height + Mode().Height - 1) / Mode().Height);
  }
  // Where the mouse says it is after a move to that client position.
  static std::pair<int32_t, int32_t> MouseAt(int32_t clientX, int32_t clientY) {
    D().QueueMouseMove(0, 0);  // the first move after start only wakes the mouse
    D().QueueMouseMove(clientX, clientY);
    Pump();
    int32_t x = 0, y = 0;
    glb->m_pMouse->GetState(&x, &y, nullptr);
    return {x, y};
  }
  static void Solid(CBitmap& b, int32_t width, int32_t height, const TRGBA& colour) {
    ASSERT_EQ(b.CreateRGB(width, height, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    b.Fill(&colour);
  }
};

TEST_F(FullScreen, OfferedBesideTheWindowedScreenWithItsModes) {
  ASSERT_EQ(glb->m_pScreenList->NumTypes(), 2);
  glb->m_pScreenList->First();
  EXPECT_EQ(glb->m_pScreenList->Get(), sglb->m_pDibScreen);
  glb->m_pScreenList->Next();
  EXPECT_EQ(glb->m_pScreenList->Get(), &S());
  EXPECT_EQ(S().ScreenAvailable(), 1);
  EXPECT_EQ(S().GetDepth(), 0);
  EXPECT_EQ(S().AddWindowVideoMode(320, 200, 8, -1), 0);

  struct SWant {
    int32_t width, height, bits;
  };
  std::vector<SWant> want;
  for (const SWant& size : {SWant{640, 480, 0}, SWant{800, 600, 0}, SWant{1024, 768, 0}, SWant{1280, 1024, 0}})
    for (int32_t bits : {8, 16, 24}) want.push_back({size.width, size.height, bits});
  size_t i = 0;
  for (S().ModeFirst(); S().ModeExists(); S().ModeNext(), ++i) {
    ASSERT_LT(i, want.size());
    const SVmode& m = *S().ModeGet();
    SCOPED_TRACE(i);
    EXPECT_EQ(m.Width, want[i].width);
    EXPECT_EQ(m.Height, want[i].height);
    EXPECT_EQ(m.BitsPerPixel, want[i].bits);
    EXPECT_EQ(m.WindowKind, VMODE_FULLSCREEN);
    EXPECT_EQ(m.ModeId, -1);
    EXPECT_EQ(m.Pitch, want[i].width * want[i].bits / 8);
    const char* name = want[i].bits == 8    ? "Direct X fullscreen (8 bit colour, 256 colours)"
                       : want[i].bits == 16 ? "Direct X fullscreen (16 bit colour, 32K or 64K colours)"
                                            : "Direct X fullscreen (24 bit colour, 16M colours)";
    EXPECT_EQ(std::string(m.Name), name);
    if (want[i].bits == 16) {
      EXPECT_TRUE(m.Format() == (TPixelFormat{5, 6, 5, 11, 5, 0}));
    } else if (want[i].bits == 24) {
      EXPECT_TRUE(m.Format() == PIXELFORMAT_BGR24);
    }
  }
  EXPECT_EQ(i, want.size());

  // Other desktops: the desktop's size once, never a mode larger than the desktop.
  struct SDesktop {
    int32_t width, height;
    size_t modes;
  } const desktops[] = {{1024, 768, 9}, {800, 600, 6}, {1366, 768, 12}, {700, 500, 6}, {600, 400, 3}};
  for (const SDesktop& d : desktops) {
    SCOPED_TRACE(d.width);
    S().ExitMode();  // empties the mode list
    D().SetDesktop(d.width, d.height, 32);
    ASSERT_EQ(S().GetVideoModes(), 1);
    size_t n = 0;
    bool own = false;
    for (S().ModeFirst(); S().ModeExists(); S().ModeNext(), ++n) {
      EXPECT_LE(S().ModeGet()->Width, d.width);
      EXPECT_LE(S().ModeGet()->Height, d.height);
      own = own || (S().ModeGet()->Width == d.width && S().ModeGet()->Height == d.height);
    }
    EXPECT_EQ(n, d.modes);
    EXPECT_TRUE(own);
  }
}

class FullScreenOffer : public CRuntimeTest {};

TEST_F(FullScreenOffer, NotOfferedWithoutFullScreenVideo) {
  EXPECT_EQ(sglb->m_pDxScreen, nullptr);
  EXPECT_EQ(glb->m_pScreenList->NumTypes(), 1);
  // Made by hand, it never enters the list and offers nothing.
  CDxScreen screen;
  EXPECT_EQ(glb->m_pScreenList->NumTypes(), 1);
  EXPECT_EQ(screen.ScreenAvailable(), 0);
  EXPECT_EQ(screen.GetVideoModes(), 0);
  EXPECT_EQ(screen.ModeFirst(), 0);
  EXPECT_EQ(screen.InitMode(), 0);
}

TEST(FullScreenFormats, DisplayFormatsBecomeModesOrAreSkipped) {
  struct SCase {
    int32_t bits;
    uint32_t red, green, blue;
    int32_t ok;
    TPixelFormat format;
  } const cases[] = {
      {8, 0, 0, 0, 1, {0, 0, 0, 0, 0, 0}},
      {16, 0xF800, 0x07E0, 0x001F, 1, {5, 6, 5, 11, 5, 0}},
      {16, 0x7C00, 0x03E0, 0x001F, 1, {5, 5, 5, 10, 5, 0}},
      {24, 0xFF0000, 0x00FF00, 0x0000FF, 1, {8, 8, 8, 0, 8, 16}},
      {24, 0x0000FF, 0x00FF00, 0xFF0000, 1, {8, 8, 8, 16, 8, 0}},
      {24, 0xFFF000, 0x000F00, 0x0000FF, 0, {}},  // not 8-8-8
      {24, 0x7F8000, 0x007F80, 0x00007F, 0, {}},  // not on byte boundaries
      {32, 0xFF0000, 0x00FF00, 0x0000FF, 0, {}},
      {15, 0x7C00, 0x03E0, 0x001F, 0, {}},
  };
  for (const SCase& c : cases) {
    SCOPED_TRACE(c.bits * 0x1000000u + c.red);
    SVmode m{};
    ASSERT_EQ(CDxScreen::ModeFromFormat(320, 200, c.bits, c.red, c.green, c.blue, m), c.ok);
    if (!c.ok) continue;
    EXPECT_TRUE(m.Format() == c.format);
    EXPECT_EQ(m.Indexed, c.bits == 8 ? 1 : 0);
    EXPECT_EQ(m.BytesPerPixel, c.bits / 8);
    EXPECT_EQ(m.Pitch, 320 * c.bits / 8);
  }
}

TEST_F(FullScreen, ModeFillsTheDesktopWindowWithBlackAround) {
  Start(640, 480, 16);
  EXPECT_EQ(S().IsFullScreen(), 1);
  EXPECT_EQ(Mode().Pitch, 1280);
  EXPECT_EQ(S().GetNumPages(), 2);
  EXPECT_EQ(S().GetCurrentPage(), 0);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(0, 0, 639, 479))));
  EXPECT_EQ(D().GetFullScreen(), EFullScreen::Desktop);
  EXPECT_TRUE(D().IsWindowVisible());
  EXPECT_EQ(D().GetWindowStyle(), 0u);
  EXPECT_FALSE(D().IsPointerShown());
  // As large as fits: 1280 by 960, 32 black lines above and below.
  const TDisplayRect& t = S().GetTarget();
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.y, 32);
  EXPECT_EQ(t.width, 1280);
  EXPECT_EQ(t.height, 960);

  CBitmap white;
  Solid(white, 640, 480, TRGBA(255, 255, 255));
  S().DrawBitmapScreen(&white, 0, 0, 0, 0, -1, -1, 0, 0);
  S().FlipPage();
  EXPECT_EQ(D().Pixel(0, 31), 0u);
  EXPECT_EQ(D().Pixel(0, 32), 0xFFFFFFu);
  EXPECT_EQ(D().Pixel(1279, 991), 0xFFFFFFu);
  EXPECT_EQ(D().Pixel(1279, 992), 0u);

  // Pixel for pixel in the middle.
  S().SetPlacement(DXPLACE_CENTRED);
  EXPECT_EQ(t.x, 320);
  EXPECT_EQ(t.y, 272);
  EXPECT_EQ(t.width, 640);
  EXPECT_EQ(t.height, 480);
  EXPECT_EQ(D().Pixel(319, 500), 0u);
  EXPECT_EQ(D().Pixel(320, 500), 0xFFFFFFu);  // the shown page again
  EXPECT_EQ(D().Pixel(959, 751), 0xFFFFFFu);
  EXPECT_EQ(D().Pixel(960, 751), 0u);
  EXPECT_EQ(D().Pixel(700, 100), 0u);

  // The mouse reads the picture's coordinates.
  EXPECT_EQ(MouseAt(330, 300), (std::pair<int32_t, int32_t>{10, 28}));
  EXPECT_NE(glb->m_pMouse->GetFlags() & XMOUSE_OWNCURSOR, 0u);
}

TEST_F(FullScreen, AModeLargerThanTheDesktopIsScaledDownEvenCentred) {
  D().SetDesktop(800, 600, 32);  // the mode list was made on the larger desktop
  S().SetPlacement(DXPLACE_CENTRED);
  Start(1024, 768, 24);
  const TDisplayRect& t = S().GetTarget();
  EXPECT_EQ(t.x, 0);
  EXPECT_EQ(t.y, 0);
  EXPECT_EQ(t.width, 800);
  EXPECT_EQ(t.height, 600);
}

// Each frame draws a square of its own colour at its own place; the pages alternate and each
// frame's clear areas come back from the persistent buffer two frames later, on the same page.
TEST_F(FullScreen, PagesFlipAndEachPageRestoresItsOwnAreas) {
  Start(640, 480, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  CBitmap back;
  Solid(back, 640, 480, TRGBA(0, 0, 80));
  ASSERT_EQ(S().DrawBitmapPersistent(&back, 0, 0, 0, 0, -1, -1, 0, 0), 1);
  EXPECT_EQ(S().PersistentClearAreas().Count(0), 1);
  EXPECT_EQ(S().PersistentClearAreas().Count(1), 1);
  Frame();  // page 0 gets the persistent picture
  Frame();  // page 1 too
  ASSERT_EQ(S().GetCurrentPage(), 0);
  EXPECT_EQ(PagePixel(0, 5, 5), 0x000050u);
  EXPECT_EQ(PagePixel(1, 5, 5), 0x000050u);

  struct SStep {
    int32_t x;
    uint8_t red;
    int32_t pageDrawn;
  } const steps[] = {{0, 10, 0}, {100, 20, 1}, {200, 30, 0}, {300, 40, 1}};
  for (const SStep& step : steps) {
    SCOPED_TRACE(step.x);
    ASSERT_EQ(S().GetCurrentPage(), step.pageDrawn);
    CBitmap square;
    Solid(square, 10, 10, TRGBA(step.red, 0, 0));
    S().DrawBitmapScreen(&square, 0, 0, step.x, 0, -1, -1, 0, 0);
    // This frame's area on this page; the last frame's still waits on the other one.
    const bool earlier = step.x > 0;
    EXPECT_EQ(S().ClearAreas().Count(step.pageDrawn), 1);
    EXPECT_EQ(S().ClearAreas().Count(1 - step.pageDrawn), earlier ? 1 : 0);
    EXPECT_EQ(PagePixel(step.pageDrawn, step.x + 5, 5), static_cast<uint32_t>(step.red) << 16);
    S().FlipPage();
    EXPECT_EQ(Shown(step.x + 5, 5), static_cast<uint32_t>(step.red) << 16);
    EXPECT_EQ(S().GetCurrentPage(), 1 - step.pageDrawn);
    // The page shown holds nothing of the last frame; the new back page holds its square until
    // the clear puts the persistent picture back there.
    if (earlier) {
      EXPECT_EQ(Shown(step.x - 95, 5), 0x000050u);
      EXPECT_EQ(PagePixel(1 - step.pageDrawn, step.x - 95, 5), static_cast<uint32_t>(step.red - 10) << 16);
    }
    S().ClearBuffer();
    EXPECT_EQ(S().ClearAreas().Count(1 - step.pageDrawn), 0);
    EXPECT_EQ(PagePixel(1 - step.pageDrawn, step.x - 95 < 0 ? 5 : step.x - 95, 5), 0x000050u);
    EXPECT_EQ(PagePixel(step.pageDrawn, step.x + 5, 5), static_cast<uint32_t>(step.red) << 16);
  }
  // Two more frames clear the last two squares from their pages.
  Frame();
  Frame();
  for (int32_t page = 0; page < 2; ++page)
    for (int32_t x : {5, 105, 205, 305}) EXPECT_EQ(PagePixel(page, x, 5), 0x000050u) << page << " " << x;
}

TEST_F(FullScreen, EachPageGetsAWindowAreaBackBeforeItIsDrawnOn) {
  Start(640, 480, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  CBitmap back, square;
  Solid(back, 640, 480, TRGBA(0, 0, 80));
  Solid(square, 10, 10, TRGBA(255, 255, 255));
  ASSERT_EQ(S().DrawBitmapPersistent(&back, 0, 0, 0, 0, -1, -1, 0, 0), 1);
  Frame();
  Frame();
  for (int32_t page = 0; page < 2; ++page) {
    S().DrawBitmapScreenGui(&square, 0, 0, 20, 20, -1, -1, 0, 0);
    Frame();
  }
  ASSERT_EQ(S().GetCurrentPage(), 0);
  S().AddClearAreaGui(20, 20, 29, 29);
  for (int32_t page = 0; page < SCREEN_PAGES; ++page) EXPECT_EQ(S().GuiClearAreas().Count(page), 1);
  EXPECT_EQ(S().Validate(), 1);
  EXPECT_EQ(PagePixel(0, 25, 25), 0x000050u);
  EXPECT_EQ(PagePixel(1, 25, 25), 0xFFFFFFu);
  S().FlipPage();
  EXPECT_EQ(Shown(25, 25), 0x000050u);
  S().ClearBuffer();  // the new back page
  EXPECT_EQ(PagePixel(1, 25, 25), 0x000050u);
  EXPECT_EQ(S().GuiClearAreas().Count(0), 0);
  EXPECT_EQ(S().GuiClearAreas().Count(1), 0);
}

TEST_F(FullScreen, ASpriteLeavesNoTrailOnEitherPage) {
  Start(640, 480, 16);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  CBitmap back, pic;
  Solid(back, 640, 480, TRGBA(0, 64, 0));
  Solid(pic, 8, 8, TRGBA(255, 255, 0));
  S().DrawBitmapPersistent(&back, 0, 0, 0, 0, -1, -1, 0, 0);
  Frame();
  Frame();
  const uint32_t green = PersistentPixel(0, 0);
  {
    CSprite sprite;
    ASSERT_EQ(sprite.Create(&pic, nullptr, 8, 8, 10, 10, 0, 0, 0), 1);
    for (int32_t i = 0; i < 6; ++i) {
      sprite.SetPosition(10 + 20 * i, 10);
      Frame();
    }
    EXPECT_NE(Shown(12 + 20 * 5, 12), green);  // drawn at its last place
  }
  Frame();
  Frame();
  for (int32_t page = 0; page < 2; ++page)
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(PagePixel(page, 12 + 20 * i, 12), green) << page << " " << i;
}

TEST_F(FullScreen, FlipOffShowsNothingAndKeepsThePage) {
  Start(640, 480, 24);
  int32_t draws = 0;
  class CCounter : public CMsgSys {
   public:
    explicit CCounter(int32_t& n) : m_N(n) { xRegisterMsgHandler(this, XMSG_BUS_DRAW, 0); }
    int32_t MsgHandler(uint32_t, TMsgParam, TMsgParam) override { return ++m_N; }
    int32_t& m_N;
  } counter(draws);
  D().ClearPresented();
  EXPECT_EQ(S().SetFlipScreen(0), 1);
  EXPECT_EQ(S().FlipPage(), 1);
  EXPECT_EQ(draws, 1);
  EXPECT_EQ(D().PresentCount(), 0);
  EXPECT_EQ(S().GetCurrentPage(), 0);
  EXPECT_EQ(S().SetFlipScreen(1), 1);
  EXPECT_EQ(S().FlipPage(), 1);
  EXPECT_EQ(D().PresentCount(), 1);
  EXPECT_EQ(S().GetCurrentPage(), 1);
  // A refused picture is reported; the pages flip all the same.
  D().SetPresentFails(true);
  EXPECT_EQ(S().FlipPage(), 0);
  EXPECT_EQ(S().GetCurrentPage(), 0);
}

TEST_F(FullScreen, SwitchingAwayAndBackBringsThePersistentPictureBackOnBothPages) {
  Start(800, 600, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  CBitmap back;
  Solid(back, 800, 600, TRGBA(90, 20, 20));
  S().DrawBitmapPersistent(&back, 0, 0, 0, 0, -1, -1, 0, 0);
  Frame();
  Frame();

  Post(XMSG_ACTIVATEAPP, 0);
  Pump();
  EXPECT_EQ(S().GetActive(), 0);
  EXPECT_EQ(S().IsFrontLost(), 1);
  EXPECT_EQ(S().IsBackLost(), 1);
  EXPECT_TRUE(D().IsWindowMinimized());
  EXPECT_EQ(S().FlipPage(), 0);
  EXPECT_EQ(S().LockScreenBuffer(), nullptr);
  // Whatever the pages held is gone.
  for (int32_t page = 0; page < 2; ++page)
    std::memset(const_cast<uint8_t*>(S().GetPagePixels(page)), 0x33, static_cast<size_t>(Mode().Pitch) * 600);
  D().FillClient({0, 0, kDesktopW, kDesktopH}, {7, 7, 7});

  Post(XMSG_ACTIVATEAPP, 1);
  Pump();
  EXPECT_EQ(S().GetActive(), 1);
  EXPECT_FALSE(D().IsWindowMinimized());
  EXPECT_EQ(S().IsFrontLost(), 0);
  EXPECT_EQ(S().IsBackLost(), 0);
  for (int32_t page = 0; page < 2; ++page) {
    EXPECT_EQ(PagePixel(page, 0, 0), 0x5A1414u);
    EXPECT_EQ(PagePixel(page, 799, 599), 0x5A1414u);
  }
  EXPECT_EQ(Shown(400, 300), 0x5A1414u);
  EXPECT_EQ(D().Pixel(0, 0), 0u);  // black around it again
  EXPECT_EQ(S().FlipPage(), 1);
}

TEST_F(FullScreen, APageThatCannotComeBackKeepsTheFlipFailing) {
  Start(640, 480, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  CBitmap back;
  Solid(back, 640, 480, TRGBA(0, 90, 90));
  S().DrawBitmapPersistent(&back, 0, 0, 0, 0, -1, -1, 0, 0);
  Post(XMSG_ACTIVATEAPP, 0);
  Pump();
  // Active again while the window is still down: nothing can be drawn or shown.
  S().Activate();
  EXPECT_EQ(S().FlipPage(), 0);
  EXPECT_EQ(S().IsBackLost(), 1);
  EXPECT_EQ(S().LockScreenBuffer(), nullptr);
  S().ClearBuffer();  // restores nothing, harms nothing
  D().RestoreWindow();
  Pump();  // the window's return repaints it: the shown page comes back first
  EXPECT_EQ(S().IsFrontLost(), 0);
  EXPECT_EQ(S().IsBackLost(), 1);
  EXPECT_EQ(Shown(1, 1), 0x005A5Au);
  EXPECT_EQ(S().FlipPage(), 1);  // retried at each flip: the back page is back too
  EXPECT_EQ(S().IsFrontLost(), 0);
  EXPECT_EQ(S().IsBackLost(), 0);
  EXPECT_NE(S().LockScreenBuffer(), nullptr);
}

TEST_F(FullScreen, TheWholeBackgroundOfAnyModeReachesThePersistentBuffer) {
  Start(1024, 768, 16);
  CBitmap fill;
  Solid(fill, 1024, 768, TRGBA(248, 0, 0));
  EXPECT_EQ(S().UpdateFromBackgroundToPersistent(0, 0, 0, 0), 1);  // no buffers: nothing
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  ASSERT_EQ(S().SetBackgroundMode(1), 1);
  S().GetBackgroundBitmap()->Blt(&fill, 0, 0, 0, 0, -1, -1, 0, 0, 0);
  EXPECT_EQ(S().UpdateFromBackgroundToPersistent(5, 5, 6, 6), 1);
  EXPECT_EQ(PersistentPixel(0, 0), 0xFF0000u);
  EXPECT_EQ(PersistentPixel(1023, 767), 0xFF0000u);  // beyond 640 by 480
  ASSERT_EQ(S().PersistentClearAreas().Count(0), 1);
  EXPECT_TRUE(S().PersistentClearAreas().Get(0, 0).IsEqual(&static_cast<const CRect&>(CRect(0, 0, 1023, 767))));
}

TEST_F(FullScreen, KeyColouredPixelsStayTransparent) {
  Start(640, 480, 16);
  S().FillRect(0, 0, 640, 480, TRGBA(0, 0, 255));
  CBitmap pic;
  Solid(pic, 3, 1, TRGBA(0, 255, 0));
  const TRGBA red(255, 0, 0);
  pic.PutPixel(1, 0, &red);
  ASSERT_EQ(S().MakeScreenBitmap(&pic, 0), 1);
  EXPECT_EQ(pic.m_BitsPerPixel, 16);
  S().DrawBitmapScreen(&pic, 0, 0, 10, 10, -1, -1, BLT_MODE_KEY, 0);
  EXPECT_EQ(PagePixel(0, 10, 10), 0x0000FFu);
  EXPECT_EQ(PagePixel(0, 11, 10), 0xFF0000u);
  EXPECT_EQ(PagePixel(0, 12, 10), 0x0000FFu);
}

TEST_F(FullScreen, IndexedModesShowThroughTheScreenPalette) {
  Start(640, 480, 8);
  CPalette palette;
  palette.m_Entries[0] = TRGBA(0, 0, 0);
  palette.m_Entries[7] = TRGBA(10, 200, 30);
  ASSERT_EQ(S().SetPalette(&palette), 1);
  EXPECT_EQ(S().GetPalette()->m_FirstIndex, 0);
  EXPECT_EQ(S().GetPalette()->m_LastIndex, 255);
  EXPECT_EQ(S().SetSystemPalette(), 1);
  S().FillRect(0, 0, 4, 4, TRGBA(10, 200, 30));
  S().FlipPage();
  EXPECT_EQ(Shown(1, 1), 0x0AC81Eu);
}

TEST_F(FullScreen, GreyRequestIsMadeAtTheFlip) {
  Start(640, 480, 24);
  ASSERT_EQ(S().SetPersistentMode(1), 1);
  Set16Bit(11, 3, 5, 2, 0, 3);
  PreCalcShade();
  PreCalcShade24();
  S().FillRect(0, 0, 640, 480, TRGBA(60, 60, 60));
  S().SetScreenToPersistentGrey();
  S().FlipPage();
  EXPECT_EQ(S().GetGreyRequest(), 0);
  EXPECT_EQ(PersistentPixel(3, 3), 0x1E1E1Eu);
  DeleteShade();
}

TEST_F(FullScreen, EndingTheModeGivesTheDesktopBack) {
  Start(640, 480, 24);
  EXPECT_EQ(S().ExitMode(), 1);
  EXPECT_EQ(S().GetActiveMode(), nullptr);
  EXPECT_EQ(S().ModeFirst(), 0);
  EXPECT_EQ(D().GetFullScreen(), EFullScreen::Off);
  EXPECT_TRUE(D().IsPointerShown());
  EXPECT_EQ(S().GetPagePixels(0), nullptr);
  // No window message reaches it any more.
  Post(XMSG_ACTIVATEAPP, 0);
  Pump();
  EXPECT_EQ(S().GetActive(), 1);
  EXPECT_EQ(S().FlipPage(), 0);
  // The mouse reads window coordinates again.
  EXPECT_EQ(MouseAt(330, 300), (std::pair<int32_t, int32_t>{330, 300}));
}

TEST_F(FullScreen, InitFailsWithoutAModeOrAWindow) {
  S().ExitMode();
  EXPECT_EQ(S().InitMode(), 0);  // no mode listed
  S().GetVideoModes();
  S().ModeFirst();
  D().CloseWindow();
  EXPECT_EQ(S().InitMode(), 0);  // the display refuses full screen
  EXPECT_EQ(S().GetActiveMode(), nullptr);
  EXPECT_EQ(S().ModeFirst(), 0);  // the failure ended the mode, list and all
}

TEST_F(FullScreen, AStartThatFailsHalfWayGivesTheDesktopBack) {
  S().ExitMode();
  D().SetDesktop(30000, 30000, 32);  // pages of this size cannot be had
  ASSERT_EQ(S().GetVideoModes(), 1);
  EXPECT_EQ(S().InitModeRez(30000, 30000, 24, VMODE_FULLSCREEN), 0);
  EXPECT_EQ(D().GetFullScreen(), EFullScreen::Off);
  EXPECT_TRUE(D().IsPointerShown());
  EXPECT_EQ(S().GetActiveMode(), nullptr);
}
}  // namespace
