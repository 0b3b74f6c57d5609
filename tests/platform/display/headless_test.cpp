#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display/headless.h"

namespace {
std::vector<TPlatformMessage> Drain(CDisplayBackend& d) {
  std::vector<TPlatformMessage> out;
  TPlatformMessage m;
  while (d.PeekMessage(m)) out.push_back(m);
  return out;
}

// A 4 by 2 framebuffer of the format whose pixels are given as bytes, row by row (pitch padded
// by 3 bytes to catch row arithmetic).
struct SFramebuffer {
  SFramebuffer(EPixelFormat format, std::vector<uint8_t> rowBytes0, std::vector<uint8_t> rowBytes1) {
    pitch = static_cast<int32_t>(rowBytes0.size()) + 3;
    bytes.assign(static_cast<size_t>(pitch) * 2, 0xEE);
    std::copy(rowBytes0.begin(), rowBytes0.end(), bytes.begin());
    std::copy(rowBytes1.begin(), rowBytes1.end(), bytes.begin() + pitch);
    fb = {bytes.data(), pitch, 4, 2, format};
  }
  std::vector<uint8_t> bytes;
  int32_t pitch;
  TDisplayFramebuffer fb;
};

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    d.OpenWindow("t", 0, 0, 8, 4);
    d.ShowWindow(true);
  }
  std::vector<uint32_t> Row(int32_t y, int32_t x0 = 0, int32_t n = 4) const {
    std::vector<uint32_t> v;
    for (int32_t x = x0; x < x0 + n; ++x) v.push_back(d.Pixel(x, y));
    return v;
  }
  CHeadlessDisplay d;
};

const TDisplayRect kWhole{0, 0, 4, 2};
}  // namespace

TEST_F(Headless, EachPixelFormatIsShownInItsColours) {
  // 5-bit 31 -> 255, 16 -> 132, 1 -> 8; 6-bit 63 -> 255, 32 -> 130.
  struct {
    EPixelFormat format;
    std::vector<uint8_t> row0, row1;
    std::vector<uint32_t> want0, want1;
  } cases[] = {
      {EPixelFormat::Rgb555,
       {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F},  // red, green, blue, white
       {0x00, 0x00, 0x10, 0x42, 0x21, 0x04, 0x00, 0x80},  // black, (16,16,16), (1,1,1), top bit ignored
       {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
       {0x000000, 0x848484, 0x080808, 0x000000}},
      {EPixelFormat::Rgb565,
       {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF},
       {0x10, 0x84, 0x21, 0x08, 0x00, 0x00, 0x00, 0x00},  // (16,32,16), (1,1,1)
       {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
       {0x848284, 0x080408, 0x000000, 0x000000}},
      {EPixelFormat::Bgr24,
       {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x01, 0x02, 0x03},
       {0x10, 0x20, 0x30, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF},
       {0xFF0000, 0x00FF00, 0x0000FF, 0x030201},
       {0x302010, 0, 0, 0xFFFFFF}},
  };
  for (const auto& c : cases) {
    SFramebuffer f(c.format, c.row0, c.row1);
    ASSERT_TRUE(d.Present(f.fb, &kWhole, 1, 0, 0));
    EXPECT_EQ(Row(0), c.want0) << static_cast<int>(c.format);
    EXPECT_EQ(Row(1), c.want1) << static_cast<int>(c.format);
  }
}

TEST_F(Headless, IndexedPixelsGoThroughThePalette) {
  SFramebuffer f(EPixelFormat::Indexed8, {0, 1, 200, 255}, {7, 7, 7, 7});
  // The palette starts as a grey ramp.
  ASSERT_TRUE(d.Present(f.fb, &kWhole, 1, 0, 0));
  EXPECT_EQ(Row(0), (std::vector<uint32_t>{0x000000, 0x010101, 0xC8C8C8, 0xFFFFFF}));
  const TDisplayColour colours[2] = {{10, 20, 30}, {255, 0, 128}};
  d.SetPalette(200, 2, colours);
  d.SetPalette(255, 5, colours);  // cut at the end of the palette
  d.SetPalette(-1, 1, colours);   // ignored
  ASSERT_TRUE(d.Present(f.fb, &kWhole, 1, 0, 0));
  EXPECT_EQ(Row(0), (std::vector<uint32_t>{0x000000, 0x010101, 0x0A141E, 0x0A141E}));
}

TEST_F(Headless, RectanglesAreClippedToFramebufferAndWindowAndPlacedAtTheOffset) {
  SFramebuffer f(EPixelFormat::Bgr24, std::vector<uint8_t>(12, 0xFF), std::vector<uint8_t>(12, 0x80));
  const TDisplayRect rects[] = {{-5, 1, 7, 9}, {3, 0, 1, 1}, {2, 0, 0, 5}, {100, 0, 5, 5}};
  ASSERT_TRUE(d.Present(f.fb, rects, 4, 6, 2));
  // (-5,1,7,9) leaves (0,1,2,1) shown at (6,3); (3,0) lands beyond the window's 8 columns.
  ASSERT_EQ(d.Presented().size(), 1u);
  EXPECT_EQ(d.Presented()[0].x, 6);
  EXPECT_EQ(d.Presented()[0].y, 3);
  EXPECT_EQ(d.Presented()[0].width, 2);
  EXPECT_EQ(d.Presented()[0].height, 1);
  EXPECT_EQ(Row(3, 4, 4), (std::vector<uint32_t>{0, 0, 0x808080, 0x808080}));
  EXPECT_EQ(Row(2, 4, 4), (std::vector<uint32_t>{0, 0, 0, 0}));
  // Offsets that push everything off the window show nothing and still succeed.
  ASSERT_TRUE(d.Present(f.fb, &kWhole, 1, -100, 0));
  ASSERT_TRUE(d.Present(f.fb, &kWhole, 1, 0x7FFFFFF0, 0x7FFFFFF0));
  EXPECT_EQ(d.Presented().size(), 1u);
  EXPECT_EQ(d.PresentCount(), 3);
}

TEST_F(Headless, UnusableFramebuffersAndFailingWindowsPresentNothing) {
  SFramebuffer f(EPixelFormat::Rgb565, std::vector<uint8_t>(8, 0xFF), std::vector<uint8_t>(8, 0xFF));
  TDisplayFramebuffer bad = f.fb;
  bad.pitch = 7;  // shorter than a row
  EXPECT_FALSE(d.Present(bad, &kWhole, 1, 0, 0));
  bad = f.fb;
  bad.pixels = nullptr;
  EXPECT_FALSE(d.Present(bad, &kWhole, 1, 0, 0));
  bad = f.fb;
  bad.format = static_cast<EPixelFormat>(9);
  EXPECT_FALSE(d.Present(bad, &kWhole, 1, 0, 0));
  EXPECT_FALSE(d.Present(f.fb, nullptr, 1, 0, 0));
  d.SetPresentFails(true);
  EXPECT_FALSE(d.Present(f.fb, &kWhole, 1, 0, 0));
  d.SetPresentFails(false);
  d.CloseWindow();
  EXPECT_FALSE(d.Present(f.fb, &kWhole, 1, 0, 0));
  EXPECT_EQ(d.Pixel(0, 0), 0u);
}

TEST_F(Headless, StylesFramesSizesAndFullScreen) {
  d.SetFrameMetrics({20, 4, 4, 3, 3});
  d.SetWindowPos(10, 10);
  d.SetWindowSize(200, 100);
  int32_t w = 0, h = 0;
  struct {
    uint32_t style;
    int32_t clientW, clientH, pointerX, pointerY;
  } cases[] = {
      {0, 200, 100, 10, 10},
      {XWS_OVERLAPPEDWINDOW, 192, 72, 14, 34},
      {XWS_SIZEFRAME | XWS_SYSMENU, 192, 92, 14, 14},
      {XWS_CAPTION | XWS_SYSMENU, 194, 74, 13, 33},
  };
  for (const auto& c : cases) {
    d.SetWindowStyle(c.style);
    EXPECT_EQ(d.GetWindowStyle(), c.style);
    d.GetClientSize(w, h);
    EXPECT_EQ(w, c.clientW);
    EXPECT_EQ(h, c.clientH);
    EXPECT_EQ(d.SurfaceWidth(), c.clientW);
    // The client area's corner on the desktop.
    d.QueueMouseMove(0, 0);
    Drain(d);
    int32_t x = 0, y = 0;
    d.GetPointerPos(x, y);
    EXPECT_EQ(x, c.pointerX);
    EXPECT_EQ(y, c.pointerY);
  }
  d.SetWindowStyle(0);
  Drain(d);
  d.SetWindowSize(300, 200);
  auto m = Drain(d);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, XMSG_SIZE);
  EXPECT_EQ(m[0].wParam, XSIZE_RESTORED);
  EXPECT_EQ(m[0].lParam, XMakePointParam(300, 200));

  d.SetDesktop(800, 600, 16);
  ASSERT_TRUE(d.SetFullScreen(EFullScreen::Desktop));
  int32_t x, y;
  d.GetWindowRect(x, y, w, h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_EQ(d.GetDesktopDepth(), 16);
  ASSERT_TRUE(d.SetFullScreen(EFullScreen::Exclusive));
  d.GetDesktopSize(w, h);
  EXPECT_EQ(w, 300);  // the display took the window's size
  ASSERT_TRUE(d.SetFullScreen(EFullScreen::Off));
  d.GetDesktopSize(w, h);
  EXPECT_EQ(w, 800);
  d.GetWindowRect(x, y, w, h);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(d.GetFullScreen(), EFullScreen::Off);

  Drain(d);
  d.MinimizeWindow();
  EXPECT_TRUE(d.IsWindowMinimized());
  d.RestoreWindow();
  m = Drain(d);
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].wParam, XSIZE_MINIMIZED);
  EXPECT_EQ(m[1].wParam, XSIZE_RESTORED);
}

TEST_F(Headless, WarpingQueuesAMoveOnlyInsideTheClientArea) {
  d.SetWindowPos(100, 100);
  d.WarpPointer(103, 102);
  int32_t x = 0, y = 0;
  d.GetPointerPos(x, y);
  EXPECT_EQ(x, 103);
  auto m = Drain(d);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, XMSG_MOUSEMOVE);
  EXPECT_EQ(m[0].lParam, XMakePointParam(3, 2));
  d.WarpPointer(5, 5);
  EXPECT_TRUE(Drain(d).empty());
  d.GetPointerPos(x, y);
  EXPECT_EQ(x, 5);
}

TEST_F(Headless, ClipboardCursorsTitleAndReset) {
  std::string text = "x";
  EXPECT_FALSE(d.GetClipboardText(text));
  EXPECT_TRUE(d.SetClipboardText("Caf\xE9"));
  EXPECT_FALSE(d.SetClipboardText(nullptr));
  ASSERT_TRUE(d.GetClipboardText(text));
  EXPECT_EQ(text, "Caf\xE9");
  EXPECT_TRUE(d.HasSystemCursor(EDisplayCursor::Hand));
  d.SetCursorAvailable(EDisplayCursor::Hand, false);
  EXPECT_FALSE(d.HasSystemCursor(EDisplayCursor::Hand));
  d.SetSystemCursor(EDisplayCursor::TextBeam);
  EXPECT_EQ(d.GetSystemCursor(), EDisplayCursor::TextBeam);
  d.ShowPointer(false);
  EXPECT_FALSE(d.IsPointerShown());
  d.SetTitle("Vorrin Casino");
  EXPECT_EQ(d.Title(), "Vorrin Casino");
  d.QueueKey(XVK_LSHIFT, true);
  Drain(d);
  d.QueueClose();
  d.Reset();
  EXPECT_FALSE(d.IsWindowOpen());
  EXPECT_FALSE(d.GetClipboardText(text));
  EXPECT_TRUE(d.HasSystemCursor(EDisplayCursor::Hand));
  EXPECT_TRUE(d.IsPointerShown());
  EXPECT_FALSE(d.IsKeyDown(XVK_SHIFT));
  EXPECT_EQ(d.Pending(), 0u);
  int32_t w = 0, h = 0;
  d.GetDesktopSize(w, h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 1024);
  EXPECT_EQ(d.GetDesktopDepth(), 32);
}

TEST_F(Headless, MaximiseFillsTheDesktopAndRestoreGivesThePlaceBack) {
  d.SetWindowPos(30, 40);
  d.SetWindowSize(200, 100);
  Drain(d);
  d.MaximizeWindow();
  EXPECT_TRUE(d.IsWindowMaximized());
  int32_t x = -1, y = -1, w = 0, h = 0;
  d.GetWindowRect(x, y, w, h);
  EXPECT_EQ((std::vector<int32_t>{x, y, w, h}), (std::vector<int32_t>{0, 0, 1280, 1024}));
  std::vector<TPlatformMessage> seen = Drain(d);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, static_cast<uint32_t>(XMSG_SIZE));
  EXPECT_EQ(seen[0].wParam, static_cast<uintptr_t>(XSIZE_MAXIMIZED));
  d.RestoreWindow();
  EXPECT_FALSE(d.IsWindowMaximized());
  d.GetWindowRect(x, y, w, h);
  EXPECT_EQ((std::vector<int32_t>{x, y, w, h}), (std::vector<int32_t>{30, 40, 200, 100}));
  // Full screen is not maximised; a closed window neither.
  ASSERT_TRUE(d.SetFullScreen(EFullScreen::Desktop));
  d.MaximizeWindow();
  EXPECT_FALSE(d.IsWindowMaximized());
}

TEST_F(Headless, IconSystemMessagesAndARefusedFullScreenAreKeptForTheTests) {
  const uint32_t pixels[] = {0, 0xFF112233, 0xFF445566, 0};
  d.SetWindowIcon({pixels, 2, 2});
  EXPECT_EQ(d.IconPixels(), std::vector<uint32_t>(pixels, pixels + 4));
  EXPECT_EQ(d.IconWidth(), 2);
  d.SetWindowIcon({nullptr, 2, 2});
  EXPECT_TRUE(d.IconPixels().empty());
  testing::internal::CaptureStderr();
  d.ShowSystemMessage("Error: Display", "Couldn't set screenmode!");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Display: Couldn't set screenmode!\n");
  EXPECT_EQ(d.SystemMessages(), std::vector<std::string>{"Error: Display|Couldn't set screenmode!"});
  // A picture makes a missing cursor available; null takes it back.
  d.SetCursorAvailable(EDisplayCursor::Hand, false);
  const TDisplayImage hand{pixels, 2, 2};
  d.SetCursorPicture(EDisplayCursor::Hand, &hand, 1, 0);
  EXPECT_TRUE(d.HasSystemCursor(EDisplayCursor::Hand));
  EXPECT_EQ(d.CursorPictureWidth(EDisplayCursor::Hand), 2);
  d.SetCursorPicture(EDisplayCursor::Hand, nullptr, 0, 0);
  EXPECT_FALSE(d.HasSystemCursor(EDisplayCursor::Hand));
  d.SetFullScreenFails(true);
  EXPECT_FALSE(d.SetFullScreen(EFullScreen::Desktop));
  EXPECT_TRUE(d.SetFullScreen(EFullScreen::Off));
  d.Reset();
  EXPECT_TRUE(d.SystemMessages().empty());
  d.OpenWindow("t", 0, 0, 8, 4);
  EXPECT_TRUE(d.SetFullScreen(EFullScreen::Desktop));
}

TEST(DisplayChoice, HeadlessWhenAskedOrWithoutADisplay) {
  const std::pair<const char*, const char*> setups[][4] = {
      {{"VORRIN_DISPLAY", "headless"}, {"DISPLAY", ":99"}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", "dummy"}},
      {{"VORRIN_DISPLAY", nullptr}, {"DISPLAY", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"SDL_VIDEODRIVER", nullptr}},
  };
  for (const auto& setup : setups) {
    for (const auto& [name, value] : setup) {
      if (value) {
        setenv(name, value, 1);
      } else {
        unsetenv(name);
      }
    }
    PlatformSetDisplay(nullptr);
    CDisplayBackend* chosen = PlatformChooseDisplay();
    EXPECT_EQ(chosen, PlatformHeadlessDisplay());
    EXPECT_EQ(PlatformChooseDisplay(), chosen);  // chosen once
    PlatformReleaseDisplay();
    EXPECT_EQ(PlatformDisplay(), PlatformHeadlessDisplay());
  }
  // An installed backend is kept.
  CHeadlessDisplay mine;
  PlatformSetDisplay(&mine);
  EXPECT_EQ(PlatformChooseDisplay(), &mine);
  PlatformReleaseDisplay();
  EXPECT_EQ(PlatformDisplay(), &mine);
  PlatformSetDisplay(nullptr);
}
