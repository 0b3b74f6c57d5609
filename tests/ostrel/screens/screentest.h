// The windowed screen of the runtime, started in a small window mode on the headless display,
// with helpers that read the screen buffer, the persistent buffer and what the window shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/shade.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/headless.h"
#include "platform/display/pixels.h"
#include "support/runtimefixture.h"

class CScreenTest : public CRuntimeTest {
 protected:
  void SetUp() override {
    CRuntimeTest::SetUp();
    ASSERT_NE(sglb->m_pDibScreen, nullptr);
    Set16Bit(10, 3, 5, 3, 0, 3);
    PreCalcShade();
    PreCalcShade24();
  }
  void TearDown() override {
    DeleteShade();
    CRuntimeTest::TearDown();
  }

  static CDibScreen& S() { return *sglb->m_pDibScreen; }
  static CHeadlessDisplay& D() { return *PlatformHeadless(); }

  // A window mode of that size and depth as the current screen, its window shown and the
  // resulting window messages delivered.
  static void Start(int32_t width, int32_t height, int32_t bits, uint32_t flags = 0) {
    ASSERT_EQ(S().AddWindowVideoMode(width, height, bits, -1), 1);
    ASSERT_EQ(S().InitModeRez(width, height, bits, VMODE_WINDOW), 1);
    glb->m_pCurrentScreen = &S();
    ASSERT_EQ(S().SetScreenWindowProperties(flags, -1, -1), 1);
    Pump();
  }
  static void Pump() {
    TPlatformMessage m;
    while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  }
  static const SVmode& Mode() { return *S().GetActiveMode(); }

  static EPixelFormat Format() {
    const SVmode& m = Mode();
    return m.BytesPerPixel == 1 ? EPixelFormat::Indexed8 : m.BytesPerPixel == 2 ? EPixelFormat::Rgb555 : EPixelFormat::Bgr24;
  }
  struct SPalette {
    TDisplayColour colours[256];
  };
  static SPalette ScreenPalette() {
    SPalette p;
    for (int i = 0; i < 256; ++i) {
      const TRGBA& c = S().GetPalette()->m_Entries[i];
      p.colours[i] = {c.r, c.g, c.b};
    }
    return p;
  }
  // 0x00RRGGBB of a pixel of a buffer in the screen's format, through the palette.
  static uint32_t Xrgb(const uint8_t* pixels, int32_t pitch, int32_t x, int32_t y, const SPalette& palette) {
    uint32_t out = 0;
    PlatformPixelsToXrgb(pixels + static_cast<int64_t>(y) * pitch + static_cast<int64_t>(x) * Mode().BytesPerPixel,
                         Format(), palette.colours, 1, &out);
    return out;
  }
  static uint32_t ScreenPixel(int32_t x, int32_t y, const SPalette& palette = ScreenPalette()) {
    return Xrgb(S().LockScreenBuffer(), Mode().Pitch, x, y, palette);
  }
  static uint32_t PersistentPixel(int32_t x, int32_t y, const SPalette& palette = ScreenPalette()) {
    const CBitmap* p = S().GetPersistentBitmap();
    return Xrgb(p->m_pData, p->m_Pitch, x, y, palette);
  }
  // The raw bytes of a screen pixel, low byte first.
  static uint32_t RawScreen(int32_t x, int32_t y) {
    const uint8_t* p = S().LockScreenBuffer() + static_cast<int64_t>(y) * Mode().Pitch + x * Mode().BytesPerPixel;
    uint32_t v = 0;
    for (int32_t i = Mode().BytesPerPixel - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
  }

  // The first pixel where the window shows something else than the screen buffer; -1 when none.
  static int64_t FirstPresentedMismatch() {
    const SPalette palette = ScreenPalette();
    for (int32_t y = 0; y < Mode().Height; ++y)
      for (int32_t x = 0; x < Mode().Width; ++x)
        if (D().Pixel(x + S().GetOffsetX(), y + S().GetOffsetY()) != ScreenPixel(x, y, palette))
          return static_cast<int64_t>(y) * Mode().Width + x;
    return -1;
  }
  // The first pixel where the screen buffer and the persistent buffer differ; -1 when none.
  static int64_t FirstPersistentMismatch() {
    const SPalette palette = ScreenPalette();
    for (int32_t y = 0; y < Mode().Height; ++y)
      for (int32_t x = 0; x < Mode().Width; ++x)
        if (PersistentPixel(x, y, palette) != ScreenPixel(x, y, palette)) return static_cast<int64_t>(y) * Mode().Width + x;
    return -1;
  }

  // A 24-bit bitmap (red, green, blue in memory) filled by a function of x and y.
  template <class Fn>
  static void Paint(CBitmap& b, int32_t width, int32_t height, Fn&& colour) {
    ASSERT_EQ(b.CreateRGB(width, height, 24, 8, 8, 8, 16, 8, 0, 0), 1);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const TRGBA c = colour(x, y);
        b.PutPixel(x, y, &c);
      }
  }
};
