// The screen list, the windowed screen's modes, mode selection, buffers and formats.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/screens/screenlist.h"
#include "screentest.h"

namespace {
class Modes : public CScreenTest {};

TEST_F(Modes, RuntimeRegistersTheWindowedScreenWithItsModes) {
  ASSERT_NE(glb->m_pScreenList, nullptr);
  EXPECT_EQ(glb->m_pScreenList->NumTypes(), 1);
  ASSERT_EQ(glb->m_pScreenList->First(), 1);
  EXPECT_EQ(glb->m_pScreenList->Get(), &S());
  EXPECT_EQ(sglb->m_pDxScreen, nullptr);
  EXPECT_EQ(S().GetActive(), 1);
  EXPECT_EQ(S().GetFlipScreen(), 1);
  EXPECT_EQ(S().GetDefaultWindowFlags(), 3u);

  struct SWant {
    int32_t id, width, height, bits, kind;
    const char* name;
  };
  const SWant want[] = {
      {13, 640, 480, 24, 1, "Windows 640*480 24bit"},  {18, 640, 480, 24, 2, "Windows 640*480 24bit"},
      {14, 640, 480, 16, 1, "Windows 640*480 16bit"},  {17, 640, 480, 16, 2, "Windows 640*480 16bit"},
      {15, 640, 480, 8, 1, "Windows 640*480 8bit"},    {16, 640, 480, 8, 2, "Windows 640*480 8bit"},
      {19, 800, 600, 8, 1, "Windows 800*600 8bit"},    {20, 800, 600, 8, 2, "Windows 800*600 8bit"},
      {21, 800, 600, 16, 1, "Windows 800*600 16bit"},  {22, 800, 600, 16, 2, "Windows 800*600 16bit"},
      {23, 800, 600, 24, 1, "Windows 800*600 24bit"},  {24, 800, 600, 24, 2, "Windows 800*600 24bit"},
      {25, 1024, 768, 8, 1, "Windows 1024*768 8bit"},  {26, 1024, 768, 8, 2, "Windows 1024*768 8bit"},
      {27, 1024, 768, 16, 1, "Windows 1024*768 16bit"}, {28, 1024, 768, 16, 2, "Windows 1024*768 16bit"},
      {29, 1024, 768, 24, 1, "Windows 1024*768 24bit"}, {30, 1024, 768, 24, 2, "Windows 1024*768 24bit"},
  };
  size_t i = 0;
  for (S().ModeFirst(); S().ModeExists(); S().ModeNext(), ++i) {
    ASSERT_LT(i, std::size(want));
    const SVmode& m = *S().ModeGet();
    SCOPED_TRACE(want[i].id);
    EXPECT_EQ(m.ModeId, want[i].id);
    EXPECT_EQ(m.Width, want[i].width);
    EXPECT_EQ(m.Height, want[i].height);
    EXPECT_EQ(m.BitsPerPixel, want[i].bits);
    EXPECT_EQ(m.BytesPerPixel, want[i].bits / 8);
    EXPECT_EQ(m.Pitch, want[i].width * want[i].bits / 8);
    EXPECT_EQ(m.WindowKind, want[i].kind);
    EXPECT_EQ(std::string(m.Name), want[i].name);
    EXPECT_EQ(m.Indexed, want[i].bits == 8 ? 1 : 0);
    if (want[i].bits == 16) {
      EXPECT_TRUE(m.Format() == PIXELFORMAT_555);
    } else if (want[i].bits == 24) {
      EXPECT_TRUE(m.Format() == PIXELFORMAT_BGR24);
    }
  }
  EXPECT_EQ(i, std::size(want));
}

TEST_F(Modes, AddedModesTakeAutomaticOrGivenIds) {
  S().ExitMode();
  EXPECT_EQ(S().AddWindowVideoMode(1280, 1024, 16, -1), 1);
  EXPECT_EQ(S().AddWindowVideoMode(1280, 1024, 16, -1), 1);
  EXPECT_EQ(S().AddWindowVideoMode(640, 480, 32, 5), 0);
  EXPECT_EQ(S().AddWindowVideoMode(0, 480, 8, 5), 0);
  EXPECT_EQ(S().AddWindowVideoMode(320, 200, 8, 70), 1);
  const std::vector<std::pair<int32_t, int32_t>> want = {{1024, 1}, {1025, 2}, {1026, 1}, {1027, 2}, {70, 1}, {71, 2}};
  std::vector<std::pair<int32_t, int32_t>> got;
  for (S().ModeFirst(); S().ModeExists(); S().ModeNext()) got.emplace_back(S().ModeGet()->ModeId, S().ModeGet()->WindowKind);
  EXPECT_EQ(got, want);
  S().ModeFirst();
  EXPECT_EQ(std::string(S().ModeGet()->Name), "Windows 16bit");
}

TEST_F(Modes, InitModeRezTakesTheFirstMatchInListOrder) {
  // Desktop kind first in the list for this size, window kind after it.
  S().ExitMode();
  S().AddWindowVideoMode(64, 48, 16, 100);  // 100 window, 101 desktop
  S().AddWindowVideoMode(64, 48, 24, 200);
  EXPECT_EQ(S().InitModeRez(64, 48, 16, -1), 1);
  EXPECT_EQ(S().GetActiveMode()->ModeId, 100);
  EXPECT_EQ(S().InitModeRez(64, 48, 16, VMODE_DESKTOP), 1);
  EXPECT_EQ(S().GetActiveMode()->ModeId, 101);
  EXPECT_EQ(S().InitModeRez(64, 48, 8, -1), 0);  // none: the active mode stays
  EXPECT_EQ(S().GetActiveMode()->ModeId, 101);
  SVmode want{};
  want.Width = 64;
  want.Height = 48;
  want.BitsPerPixel = 24;
  EXPECT_EQ(S().InitModeMode(&want), 1);
  EXPECT_EQ(S().GetActiveMode()->ModeId, 200);
  EXPECT_EQ(S().IsFullScreen(), 0);
}

TEST_F(Modes, ModeLargerThanTheDesktopFails) {
  D().SetDesktop(800, 600, 32);
  EXPECT_EQ(S().InitModeRez(1024, 768, 16, -1), 0);
  EXPECT_EQ(S().GetActiveMode(), nullptr);
  EXPECT_EQ(S().InitModeRez(800, 600, 16, -1), 1);
  EXPECT_EQ(S().GetDepth(), 32);
}

TEST_F(Modes, ModeStartsWithItsBitmapClipPagesAndMessages) {
  Start(64, 48, 24);
  EXPECT_EQ(Mode().Width, 64);
  EXPECT_NE(S().LockScreenBuffer(), nullptr);
  EXPECT_EQ(S().GetDib().GetPitch(), Mode().Pitch);
  EXPECT_TRUE(S().GetClip().IsEqual(&static_cast<const CRect&>(CRect(0, 0, 63, 47))));
  EXPECT_EQ(S().GetNumPages(), 2);
  EXPECT_EQ(S().GetCurrentPage(), 0);
  ASSERT_NE(S().GetColourIndexBlock(), nullptr);
  EXPECT_EQ(S().GetColourIndexBlock()->Header.ClrUsed, 0u);
  EXPECT_EQ(S().GetColourIndexBlock()->Header.Width, 64);
  EXPECT_EQ(S().GetColourIndexBlock()->Indexes[200], 200);
  EXPECT_TRUE(D().IsWindowVisible());
}

TEST_F(Modes, OddWidthsUseTheBitmapsPaddedPitch) {
  Start(33, 10, 24);
  EXPECT_EQ(Mode().Pitch, 100);  // 99 bytes padded to 4
  S().FillRect(0, 0, 33, 10, TRGBA(1, 2, 3));
  EXPECT_EQ(ScreenPixel(32, 9), 0x010203u);
}

TEST_F(Modes, BuffersFollowTheirSetters) {
  EXPECT_EQ(S().SetPersistent(1), 0);  // no mode yet
  Start(64, 48, 16);
  EXPECT_EQ(S().SetPersistent(1), 1);
  ASSERT_NE(S().GetPersistentBitmap(), nullptr);
  EXPECT_EQ(S().GetPersistentBitmap()->m_BitsPerPixel, 16);
  EXPECT_TRUE(S().GetPersistentBitmap()->Format() == PIXELFORMAT_555);
  EXPECT_EQ(S().GetPersistentMode(), 0);
  CBitmap* p = S().GetPersistentBitmap();
  EXPECT_EQ(S().SetPersistent(1), 1);
  EXPECT_EQ(S().GetPersistentBitmap(), p);
  EXPECT_EQ(S().SetPersistentMode(1), 1);
  EXPECT_EQ(S().SetPersistent(0), 1);
  EXPECT_EQ(S().GetPersistentBitmap(), nullptr);
  EXPECT_EQ(S().GetPersistentMode(), 0);
  EXPECT_EQ(S().SetBackgroundMode(1), 1);  // makes the missing buffer
  ASSERT_NE(S().GetBackgroundBitmap(), nullptr);
  EXPECT_EQ(S().SetAlphaBufferMode(1), 1);
  ASSERT_NE(S().GetAlphaBitmap(), nullptr);
  EXPECT_EQ(S().GetAlphaBitmap()->m_BitsPerPixel, 8);
  EXPECT_EQ(S().SetAlphaBuffer(7), 1);
  EXPECT_EQ(S().GetAlphaBitmap(), nullptr);
  EXPECT_EQ(S().GetAlphaBufferMode(), 0);
  EXPECT_EQ(S().CachePersistentBitmap(), 0);
  S().SetPersistentMode(1);
  EXPECT_EQ(S().CachePersistentBitmap(), 1);
  EXPECT_EQ(S().GetPersistentBitmap()->m_ScreenSurface, 1);
}

TEST_F(Modes, PersistentCopiesToBackgroundWhenBothModesAreOn) {
  Start(64, 48, 24);
  S().SetPersistentMode(1);
  S().SetBackgroundMode(1);
  const TRGBA c(9, 8, 7);
  S().GetPersistentBitmap()->Fill(&c);
  EXPECT_EQ(S().SetPersistentToBackground(), 1);
  TRGBA got;
  S().GetBackgroundBitmap()->GetPixel(63, 47, &got);
  EXPECT_EQ(got, TRGBA(9, 8, 7, got.a));
  EXPECT_EQ(S().UpdateFromBackgroundToPersistent(0, 0, 10, 10), 0);
}

TEST_F(Modes, NewModeRemakesTheBuffersAtItsSize) {
  Start(64, 48, 24);
  S().SetPersistentMode(1);
  S().AddWindowVideoMode(80, 40, 16, -1);
  ASSERT_EQ(S().InitModeRez(80, 40, 16, VMODE_WINDOW), 1);
  ASSERT_NE(S().GetPersistentBitmap(), nullptr);
  EXPECT_EQ(S().GetPersistentBitmap()->m_Width, 80);
  EXPECT_EQ(S().GetPersistentBitmap()->m_BitsPerPixel, 16);
  EXPECT_EQ(S().GetPersistentMode(), 1);
}

TEST_F(Modes, MakeScreenFormatConvertsToTheMode) {
  CBitmap b;
  EXPECT_EQ(S().MakeScreenFormat(&b, 0), 0);  // no mode
  Start(64, 48, 16);
  Paint(b, 4, 4, [](int32_t, int32_t) { return TRGBA(255, 0, 0); });
  EXPECT_EQ(S().MakeScreenBitmap(&b, 0), 1);
  EXPECT_EQ(b.m_BitsPerPixel, 16);
  EXPECT_EQ(b.m_pData[0] | b.m_pData[1] << 8, 0x7C00);
  EXPECT_EQ(b.m_ScreenSurface, 1);
  EXPECT_EQ(S().MakeScreenTexture(&b, 0), 0);
}

TEST_F(Modes, PaletteIsTheScreensOnlyInIndexedModes) {
  CPalette red;
  for (int i = 0; i < 256; ++i) red.m_Entries[i] = TRGBA(static_cast<uint8_t>(i), 0, 0);
  red.m_FirstIndex = 5;
  red.m_LastIndex = 9;
  Start(64, 48, 24);
  EXPECT_EQ(S().SetPalette(&red), 1);
  EXPECT_EQ(S().GetPalette()->m_Entries[100], TRGBA(100, 100, 100, 255));  // the grey ramp stays
  Start(64, 48, 8);
  EXPECT_EQ(S().SetPalette(&red), 1);
  EXPECT_EQ(S().GetPalette()->m_Entries[100], TRGBA(100, 0, 0, 0));
  EXPECT_EQ(S().GetPalette()->m_FirstIndex, 0);
  EXPECT_EQ(S().GetPalette()->m_LastIndex, 255);
  // The display shows the palette once the program asks for the system palette.
  S().FillRect(0, 0, 64, 48, TRGBA(100, 0, 0));
  EXPECT_EQ(S().SetSystemPalette(), 1);
  S().FlipPage();
  S().WinMsgHandler(nullptr, XMSG_PAINT, 0, 0);
  EXPECT_EQ(D().Pixel(3, 3), 0x640000u);
  EXPECT_EQ(S().GetDib().GetColTabAddress()[100].Red, 100);
  EXPECT_EQ(S().WinMsgHandler(nullptr, XMSG_QUERYNEWPALETTE, 0, 0), 1);
}

TEST_F(Modes, ScreenPositionIsTheWindows) {
  Start(64, 48, 24);
  int32_t x = 0, y = 0, w = 0, h = 0;
  S().SetScreenPos(30, 40);
  S().SetScreenSize(100, 90);
  S().GetScreenPos(&x, &y, &w, &h);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 90);
  EXPECT_EQ(S().GetScreenPos(nullptr, nullptr, nullptr, nullptr), 1);
}

TEST_F(Modes, DeletedScreenLeavesListAndCurrentScreen) {
  Start(64, 48, 24);
  ASSERT_EQ(glb->m_pCurrentScreen, &S());
  delete sglb->m_pDibScreen;
  sglb->m_pDibScreen = nullptr;
  EXPECT_EQ(glb->m_pCurrentScreen, nullptr);
  EXPECT_EQ(glb->m_pScreenList->NumTypes(), 0);
}

TEST_F(Modes, ShowScreenWindowMakesAFreshWindow) {
  Start(64, 48, 24);
  ShowScreenWindow();
  EXPECT_TRUE(D().IsWindowOpen());
  EXPECT_TRUE(D().IsWindowVisible());
  int32_t x = 0, y = 0, w = 0, h = 0;
  D().GetWindowRect(x, y, w, h);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(sglb->m_hMainWnd, PlatformDisplay());
}
}  // namespace
