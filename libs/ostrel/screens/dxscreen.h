// The full-screen screen: a few fixed modes in 8, 16 and 24 bits, drawn into two pages that flip
// every frame, the shown page stretched (or centred) onto a window over the whole desktop with
// black around it. It is offered only where the display can show a full-screen picture; when the
// program is switched away from, the picture counts as lost and comes back from the persistent
// buffer on return.
#pragma once

#include <cstdint>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/msgsys.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/display.h"

// Where the picture goes on the desktop.
enum EDxPlacement : int32_t {
  DXPLACE_SCALED = 0,   // as large as fits, the mode's proportions kept
  DXPLACE_CENTRED = 1,  // pixel for pixel in the middle; scaled down only when it does not fit
};

// The window message a screen answers when the desktop wants the window's background erased.
inline constexpr uint32_t XMSG_ERASEBKGND = 20;

class CDxScreen : public CScreenBase, public CWinMsg, public CMsgSys {
 public:
  // Leaves the screen list at once when the display has no full-screen video.
  CDxScreen();
  ~CDxScreen() override;

  // The mode under the mode-list cursor on a full-screen window. Any failure ends the mode (the
  // mode list goes with it) and gives 0.
  int32_t InitMode() override;
  // Leaves full screen and shows the pointer again when a mode was running.
  int32_t ExitMode() override;
  // 640*480, 800*600, 1024*768 and the desktop's own size (each only when the desktop holds it),
  // each in 8, 16 and 24 bits.
  int32_t GetVideoModes() override;
  int32_t AddWindowVideoMode(int32_t, int32_t, int32_t, int32_t) override { return 0; }
  int32_t SetScreenWindowProperties(uint32_t, int32_t, int32_t) override { return 1; }
  int32_t SetDefaultScreenWindowProperties(uint32_t) override { return 1; }
  int32_t ModeAvailable() override { return 1; }
  int32_t ScreenAvailable() override;
  int32_t GetDepth() override { return 0; }
  // Switched on, the windows are all drawn again.
  int32_t SetFlipScreen(int32_t on) override;
  int32_t SetPalette(const CPalette* palette) override;
  // Indexed modes: the screen palette becomes the display's.
  int32_t SetSystemPalette() override;
  int32_t MakeScreenTexture(CBitmap*, int32_t) override { return 0; }

  // With both buffers in mode 1: the whole background buffer into the persistent one (both cut to
  // the mode), marked as a persistent clear area. The rectangle given is not used.
  int32_t UpdateFromBackgroundToPersistent(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  CBitmap* LockPersistentBitmap(int32_t, int32_t, int32_t, int32_t) override { return m_pPersistent; }
  int32_t UnlockPersistentBitmap() override { return 1; }
  CBitmap* LockBackgroundBitmap(int32_t, int32_t, int32_t, int32_t) override { return m_pBackground; }
  int32_t UnlockBackgroundBitmap() override { return 1; }
  // The back page, brought back first when it was lost; null while it cannot be.
  uint8_t* LockScreenBuffer() override;
  int32_t ReleaseScreenBuffer() override { return 1; }

  // 0 while inactive or while a lost page cannot be brought back. Sends bus message 2, shows the
  // back page and makes the other page the back one.
  int32_t FlipPage() override;
  int32_t ClearBuffer() override;
  int32_t Validate() override;

  intptr_t WinMsgHandler(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Bus message 2: the pending grey copy.
  int32_t MsgHandler(uint32_t message, TMsgParam a, TMsgParam b) override;

  // Takes effect at once while a mode runs.
  void SetPlacement(EDxPlacement placement);
  EDxPlacement GetPlacement() const { return m_Placement; }
  // Where the picture lies in the window (empty without a mode).
  const TDisplayRect& GetTarget() const { return m_Target; }
  // The pixels of page 0 or 1 (rows the active mode's pitch apart); null without a mode.
  const uint8_t* GetPagePixels(int32_t page) const;
  int32_t IsFrontLost() const { return m_FrontLost; }
  int32_t IsBackLost() const { return m_BackLost; }

  // One display format as a mode: 8 bits indexed; 16 bits with each channel's bits and shift
  // read from its mask; 24 bits only as 8-8-8 on byte boundaries, each shift stored as 16 minus
  // the mask's (blue in the first byte). 0 for any other format.
  static int32_t ModeFromFormat(int32_t width, int32_t height, int32_t bits, uint32_t redMask, uint32_t greenMask,
                                uint32_t blueMask, SVmode& out);

 private:
  CBitmap& BackPage() { return m_Pages[m_Page & 1]; }
  CBitmap& FrontPage() { return m_Pages[(m_Page + 1) & 1]; }
  // The display can take the picture again (full screen restored when it had gone); false while
  // the window is closed or minimised.
  bool RestoreDisplay();
  // A lost page is brought back and refilled from the persistent buffer; false while it cannot be.
  bool ValidatePage(CBitmap& page, int32_t& lost);
  bool ValidateBackBuffer() { return ValidatePage(BackPage(), m_BackLost); }
  // The front page brought back and shown again, black around it.
  bool ValidateFrontBuffer();
  // Where the picture goes for the window's present size; tells the mouse.
  void PlacePicture();
  bool FillBorders();
  // The shown page and the black around it again (brought back first when lost).
  void RepaintFront();
  bool ShowPage(CBitmap& page);
  void ReleasePages();

  int32_t m_Available = 0;
  bool m_HoldsDisplay = false;  // the window was made full screen by this screen
  EDxPlacement m_Placement = DXPLACE_SCALED;
  CBitmap m_Pages[2];
  int32_t m_FrontLost = 0;
  int32_t m_BackLost = 0;
  TDisplayColour m_Colours[PALETTE_SIZE] = {};
  TDisplayRect m_Target{0, 0, 0, 0};
  int32_t m_ClientWidth = 0;
  int32_t m_ClientHeight = 0;
};
