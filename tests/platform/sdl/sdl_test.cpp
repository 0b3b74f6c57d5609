// The SDL backend on SDL's dummy video driver: no display is needed, but SDL's own window,
// surface, event queue and clipboard are real.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/screens/dxscreen.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/sysservices.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/sdl/sdldisplay.h"

namespace {
class CRecorder : public CWinMsg {
 public:
  intptr_t WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    m_Seen.push_back({message, wParam, lParam});
    return 0;
  }
  std::vector<TPlatformMessage> m_Seen;
};

class SdlDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("VORRIN_DISPLAY", "sdl", 1);
    PlatformSetDisplay(nullptr);
    glb = new SGlobals(1);
    sglb = new SSysGlobals;
    ASSERT_EQ(xCreateGlobals(), 1);
    ASSERT_EQ(xInit(), 1);
    ASSERT_STREQ(PlatformDisplay()->Name(), "sdl");
    m_pWindow = PlatformSdlWindow(PlatformDisplay());
    ASSERT_NE(m_pWindow, nullptr);
  }
  void TearDown() override {
    xExit();
    xFreeGlobals();
    delete sglb;
    delete glb;
    sglb = nullptr;
    glb = nullptr;
    // The backend went with xExit, and SDL's video with it.
    EXPECT_STREQ(PlatformDisplay()->Name(), "headless");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  }
  CDisplayBackend& D() { return *PlatformDisplay(); }
  void Push(SDL_Event e) {
    if (e.type == SDL_WINDOWEVENT) e.window.windowID = SDL_GetWindowID(m_pWindow);
    ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
  }
  void Key(SDL_Scancode sc, SDL_Keycode sym, bool down, uint16_t mod = 0, const char* text = nullptr) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.windowID = SDL_GetWindowID(m_pWindow);
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    Push(e);
    if (text) Text(text);
  }
  void Text(const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = SDL_GetWindowID(m_pWindow);
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    Push(e);
  }
  SDL_Window* m_pWindow = nullptr;
};

// 0x00RRGGBB of a pixel of the window's surface.
uint32_t SurfacePixel(SDL_Surface* s, int x, int y) {
  const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
  uint32_t raw = 0;
  std::memcpy(&raw, p, s->format->BytesPerPixel);
  uint8_t r, g, b;
  SDL_GetRGB(raw, s->format, &r, &g, &b);
  return (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
}
}  // namespace

TEST_F(SdlDisplay, OnlyTheVideoIsStarted) {
  EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  int32_t w = 0, h = 0;
  D().GetDesktopSize(w, h);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  EXPECT_EQ(D().GetDesktopDepth(), 32);
  EXPECT_TRUE(D().IsWindowOpen());
  EXPECT_FALSE(D().IsWindowVisible());  // opened hidden, shown by the screen
}

TEST_F(SdlDisplay, PresentsEveryFormatOntoTheWindowSurface) {
  D().SetTitle("Vorrin Caf\xE9");
  EXPECT_STREQ(SDL_GetWindowTitle(m_pWindow), "Vorrin Caf\xC3\xA9");
  D().ShowWindow(true);
  EXPECT_TRUE(D().IsWindowVisible());
  D().SetWindowStyle(XWS_OVERLAPPEDWINDOW);
  EXPECT_EQ(D().GetWindowStyle(), XWS_OVERLAPPEDWINDOW);
  D().SetWindowSize(16, 8);
  int32_t w = 0, h = 0;
  D().GetClientSize(w, h);
  ASSERT_EQ(w, 16);
  ASSERT_EQ(h, 8);

  // Four bands of four rows: indexed, 5-5-5, 5-6-5 and B,G,R, each with red, green, blue, white.
  const TDisplayColour palette[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  D().SetPalette(10, 4, palette);
  const uint8_t indexed[4] = {10, 11, 12, 13};
  const uint8_t rgb555[8] = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F};
  const uint8_t rgb565[8] = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF};
  const uint8_t bgr24[12] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
  const struct {
    const uint8_t* row;
    int32_t bytes;
    EPixelFormat format;
  } bands[4] = {{indexed, 1, EPixelFormat::Indexed8},
                {rgb555, 2, EPixelFormat::Rgb555},
                {rgb565, 2, EPixelFormat::Rgb565},
                {bgr24, 3, EPixelFormat::Bgr24}};
  for (int band = 0; band < 4; ++band) {
    // A 4 by 1 picture, shown as one rectangle per band at its place.
    const TDisplayFramebuffer fb{bands[band].row, 4 * bands[band].bytes, 4, 1, bands[band].format};
    const TDisplayRect whole{0, 0, 4, 1};
    for (int row = 0; row < 2; ++row) ASSERT_TRUE(D().Present(fb, &whole, 1, band * 4, row + band * 2));
  }
  SDL_Surface* s = SDL_GetWindowSurface(m_pWindow);
  ASSERT_NE(s, nullptr);
  const uint32_t want[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  for (int band = 0; band < 4; ++band) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(SurfacePixel(s, band * 4 + x, band * 2), want[x]) << band << " " << x;
      EXPECT_EQ(SurfacePixel(s, band * 4 + x, band * 2 + 1), want[x]) << band << " " << x;
    }
  }
  EXPECT_EQ(SurfacePixel(s, 0, 7), 0u);  // untouched
  const TDisplayFramebuffer bad{nullptr, 4, 4, 1, EPixelFormat::Indexed8};
  const TDisplayRect whole{0, 0, 4, 1};
  EXPECT_FALSE(D().Present(bad, &whole, 1, 0, 0));
}

TEST_F(SdlDisplay, EventsArriveAsWindowMessagesAtTheReceivers) {
  CRecorder r;
  for (uint32_t m : {XMSG_CLOSE, XMSG_ACTIVATEAPP, XMSG_KEYDOWN, XMSG_KEYUP, XMSG_CHAR, XMSG_MOUSEMOVE,
                     XMSG_LBUTTONDOWN, XMSG_LBUTTONUP, XMSG_RBUTTONDOWN, XMSG_MOUSEWHEEL, XMSG_SIZE, XMSG_PAINT}) {
    RegisterWinMsg(&r, m);
  }
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  Push(e);
  e.window.event = SDL_WINDOWEVENT_EXPOSED;
  Push(e);
  Key(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, true, KMOD_LSHIFT);
  Key(SDL_SCANCODE_A, SDLK_a, true, KMOD_LSHIFT, "A");
  Key(SDL_SCANCODE_A, SDLK_a, false, KMOD_LSHIFT);
  Key(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, false);
  SDL_Event m{};
  m.type = SDL_MOUSEMOTION;
  m.motion.windowID = SDL_GetWindowID(m_pWindow);
  m.motion.x = 7;
  m.motion.y = 9;
  Push(m);
  SDL_Event b{};
  b.type = SDL_MOUSEBUTTONDOWN;
  b.button.windowID = m.motion.windowID;
  b.button.button = SDL_BUTTON_LEFT;
  b.button.state = SDL_PRESSED;
  b.button.x = 7;
  b.button.y = 9;
  Push(b);
  b.type = SDL_MOUSEBUTTONUP;
  b.button.state = SDL_RELEASED;
  Push(b);
  b.type = SDL_MOUSEBUTTONDOWN;
  b.button.button = SDL_BUTTON_RIGHT;
  Push(b);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = 1;
  Push(wheel);
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  Push(e);
  xHandler();

  const std::vector<uint32_t> want = {XMSG_ACTIVATEAPP, XMSG_PAINT,       XMSG_KEYDOWN,    XMSG_KEYDOWN,
                                      XMSG_CHAR,        XMSG_KEYUP,       XMSG_KEYUP,      XMSG_MOUSEMOVE,
                                      XMSG_LBUTTONDOWN, XMSG_LBUTTONUP,   XMSG_RBUTTONDOWN, XMSG_MOUSEWHEEL,
                                      XMSG_CLOSE};
  std::vector<uint32_t> seen;
  for (const auto& s : r.m_Seen) {
    if (s.message != XMSG_SIZE) seen.push_back(s.message);  // SDL may report the size on its own
  }
  EXPECT_EQ(seen, want);
  std::vector<TPlatformMessage> msgs;
  for (const auto& s : r.m_Seen) {
    if (s.message != XMSG_SIZE) msgs.push_back(s);
  }
  ASSERT_EQ(msgs.size(), want.size());
  EXPECT_EQ(msgs[0].wParam, 1u);
  EXPECT_EQ(msgs[2].wParam, XVK_SHIFT);
  EXPECT_EQ(msgs[3].wParam, XVK_A);
  EXPECT_EQ(msgs[4].wParam, static_cast<uintptr_t>('A'));
  EXPECT_EQ(msgs[7].lParam, XMakePointParam(7, 9));
  EXPECT_EQ(msgs[8].wParam, XMK_LBUTTON);
  EXPECT_EQ(xDoUserWantToQuit(), 1);  // closing only asks to quit
  EXPECT_TRUE(D().IsWindowOpen());

  // The keyboard took the keys through the hook: the pair, then the character on press and release.
  TQueueChar c;
  std::vector<std::pair<int, int>> keys;
  while (glb->m_pKeyboard->GetNext(&c)) keys.emplace_back(c.m_Code, c.m_Flags);
  EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{
                      {XKEY_SHIFT, 0x21}, {XKEY_LSHIFT, 0x21}, {'A', 0x21}, {'A', 0x20},
                      {XKEY_LSHIFT, 0}, {XKEY_RSHIFT, 0}, {XKEY_SHIFT, 0}}));
}

TEST_F(SdlDisplay, TypedTextIsConvertedAndCharactersOutsideTheCodePageDropped) {
  Text("\xC3\xA9\xE2\x82\xAC\xE6\x97\xA5!");  // é € 日 !
  Key(SDL_SCANCODE_LCTRL, SDLK_LCTRL, true, KMOD_LCTRL);
  Key(SDL_SCANCODE_C, SDLK_c, true, KMOD_LCTRL);
  xHandler();
  TQueueChar c;
  std::vector<int> codes;
  while (glb->m_pKeyboard->GetNext(&c)) {
    if (c.m_Flags & XKEYF_PRESSED) codes.push_back(c.m_Code);
  }
  EXPECT_EQ(codes, (std::vector<int>{0xE9, 0x80, '!', XKEY_CTRL, XKEY_LCTRL, 3}));
}

TEST_F(SdlDisplay, ClipboardRoundTripsInTheCodePage) {
  ASSERT_TRUE(D().SetClipboardText("Caf\xE9 \x80 5"));
  char* utf8 = SDL_GetClipboardText();
  EXPECT_STREQ(utf8, "Caf\xC3\xA9 \xE2\x82\xAC 5");
  SDL_free(utf8);
  std::string text;
  ASSERT_TRUE(D().GetClipboardText(text));
  EXPECT_EQ(text, "Caf\xE9 \x80 5");
  ASSERT_EQ(SDL_SetClipboardText("na\xC3\xAFve \xE6\x97\xA5\xE6\x9C\xAC"), 0);
  ASSERT_TRUE(D().GetClipboardText(text));
  EXPECT_EQ(text, "na\xEFve ");
}

TEST_F(SdlDisplay, WindowPlaceSizeAndFullScreen) {
  D().ShowWindow(true);
  D().SetWindowPos(40, 30);
  D().SetWindowSize(320, 200);
  int32_t x = 0, y = 0, w = 0, h = 0;
  D().GetWindowRect(x, y, w, h);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
  EXPECT_EQ(D().GetFrameMetrics().captionHeight, 0);  // SDL places the client area itself
  int32_t dw = 0, dh = 0;
  D().GetDesktopSize(dw, dh);
  ASSERT_TRUE(D().SetFullScreen(EFullScreen::Desktop));
  EXPECT_EQ(D().GetFullScreen(), EFullScreen::Desktop);
  D().GetClientSize(w, h);
  EXPECT_EQ(w, dw);
  EXPECT_EQ(h, dh);
  ASSERT_TRUE(D().SetFullScreen(EFullScreen::Off));
  D().GetClientSize(w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
  D().MinimizeWindow();
  D().RestoreWindow();
  EXPECT_FALSE(D().IsWindowMinimized());
}

// The dummy driver has no message box, no window manager and no cursors: the message goes to
// stderr, and the icon, maximise and cursor requests are taken without harm.
TEST_F(SdlDisplay, SystemMessagesFallBackToStderrAndIconAndMaximiseAreTaken) {
  testing::internal::CaptureStderr();
  D().ShowSystemMessage("Error: Display", "Couldn't set screenmode! Caf\xE9");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Display: Couldn't set screenmode! Caf\xC3\xA9\n");
  const std::vector<uint32_t> icon(48 * 48, 0xFFC01020);
  D().SetWindowIcon({icon.data(), 48, 48});
  D().SetWindowIcon({nullptr, 0, 0});
  D().MaximizeWindow();
  EXPECT_TRUE(D().IsWindowOpen());
  // The dummy driver makes no cursors at all: the hand stays as unavailable as it was.
  const bool hand = D().HasSystemCursor(EDisplayCursor::Hand);
  const TDisplayImage finger{icon.data(), 48, 48};
  D().SetCursorPicture(EDisplayCursor::Hand, &finger, 16, 2);
  D().SetSystemCursor(EDisplayCursor::Hand);
  D().SetCursorPicture(EDisplayCursor::Hand, nullptr, 0, 0);
  EXPECT_EQ(D().HasSystemCursor(EDisplayCursor::Hand), hand);
  D().SetSystemCursor(EDisplayCursor::Arrow);
}

TEST_F(SdlDisplay, WarpingMovesThePointerAndReportsTheMove) {
  D().ShowWindow(true);
  D().SetWindowSize(640, 480);
  int32_t x = 0, y = 0, w = 0, h = 0;
  D().GetWindowRect(x, y, w, h);
  xHandler();
  CRecorder r;
  RegisterWinMsg(&r, XMSG_MOUSEMOVE);
  D().WarpPointer(x + 20, y + 30);
  int32_t px = 0, py = 0;
  D().GetPointerPos(px, py);
  EXPECT_EQ(px, x + 20);
  EXPECT_EQ(py, y + 30);
  xHandler();
  ASSERT_FALSE(r.m_Seen.empty());
  EXPECT_EQ(r.m_Seen.back().lParam, XMakePointParam(20, 30));
  D().ShowPointer(false);
  EXPECT_FALSE(D().IsPointerShown());
  D().ShowPointer(true);
  D().SetSystemCursor(EDisplayCursor::Hand);
  EXPECT_EQ(D().GetSystemCursor(), EDisplayCursor::Hand);
}

TEST_F(SdlDisplay, StretchedPicturesAndFillsReachTheSurface) {
  D().ShowWindow(true);
  D().SetWindowSize(16, 8);
  // Two pixels, red and blue, shown four times as wide and twice as high from (2, 1) on.
  const uint8_t bgr24[6] = {0, 0, 255, 255, 0, 0};
  const TDisplayFramebuffer fb{bgr24, 6, 2, 1, EPixelFormat::Bgr24};
  const TDisplayRect whole{0, 0, 2, 1};
  ASSERT_TRUE(D().FillClient({0, 0, 16, 8}, {0, 255, 0}));
  ASSERT_TRUE(D().PresentScaled(fb, &whole, 1, {2, 1, 8, 2}));
  SDL_Surface* s = SDL_GetWindowSurface(m_pWindow);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SurfacePixel(s, 1, 1), 0x00FF00u);
  EXPECT_EQ(SurfacePixel(s, 2, 1), 0xFF0000u);
  EXPECT_EQ(SurfacePixel(s, 5, 2), 0xFF0000u);
  EXPECT_EQ(SurfacePixel(s, 6, 2), 0x0000FFu);
  EXPECT_EQ(SurfacePixel(s, 9, 1), 0x0000FFu);
  EXPECT_EQ(SurfacePixel(s, 10, 1), 0x00FF00u);
  EXPECT_EQ(SurfacePixel(s, 6, 3), 0x00FF00u);
}

// The full-screen screen is offered on SDL's video and runs a mode on the dummy driver.
TEST_F(SdlDisplay, FullScreenScreenRunsAMode) {
  CDxScreen* screen = sglb->m_pDxScreen;
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(glb->m_pScreenList->NumTypes(), 2);
  int32_t desktopWidth = 0, desktopHeight = 0, modes = 0;
  bool own = false;
  D().GetDesktopSize(desktopWidth, desktopHeight);
  for (screen->ModeFirst(); screen->ModeExists(); screen->ModeNext(), ++modes)
    own = own || (screen->ModeGet()->Width == desktopWidth && screen->ModeGet()->Height == desktopHeight);
  EXPECT_TRUE(own);
  EXPECT_EQ(modes % 3, 0);

  glb->m_pCurrentScreen = screen;
  screen->SetPlacement(DXPLACE_CENTRED);
  ASSERT_EQ(screen->InitModeRez(640, 480, 24, VMODE_FULLSCREEN), 1);
  EXPECT_NE(SDL_GetWindowFlags(m_pWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
  const TDisplayRect t = screen->GetTarget();
  int32_t clientWidth = 0, clientHeight = 0;
  D().GetClientSize(clientWidth, clientHeight);
  EXPECT_EQ(t.x, (clientWidth - 640) / 2);
  EXPECT_EQ(t.y, (clientHeight - 480) / 2);

  CBitmap pic;
  ASSERT_EQ(pic.CreateRGB(640, 480, 24, 8, 8, 8, 16, 8, 0, 0), 1);
  const TRGBA orange(255, 128, 0);
  pic.Fill(&orange);
  screen->DrawBitmapScreen(&pic, 0, 0, 0, 0, -1, -1, 0, 0);
  ASSERT_EQ(screen->FlipPage(), 1);
  SDL_Surface* s = SDL_GetWindowSurface(m_pWindow);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SurfacePixel(s, t.x, t.y), 0xFF8000u);
  EXPECT_EQ(SurfacePixel(s, t.x + 639, t.y + 479), 0xFF8000u);
  if (t.x > 0) {
    EXPECT_EQ(SurfacePixel(s, t.x - 1, t.y), 0u);  // black around it
  }

  // Switching away and back.
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  Push(e);
  TPlatformMessage m;
  while (D().PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  EXPECT_EQ(screen->GetActive(), 0);
  EXPECT_EQ(screen->FlipPage(), 0);
  e.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  Push(e);
  while (D().PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  EXPECT_EQ(screen->GetActive(), 1);
  EXPECT_EQ(screen->FlipPage(), 1);

  EXPECT_EQ(screen->ExitMode(), 1);
  EXPECT_EQ(SDL_GetWindowFlags(m_pWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
}
