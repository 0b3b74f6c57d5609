// The windowed screen: draws into a device-independent bitmap and presents the changed parts to
// the program's window through the display backend. It works on every machine.
#pragma once

#include <cstdint>

#include "ostrel/graphics/dib.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/msgsys.h"
#include "ostrel/system/winmsg.h"

class CDIBPal;

inline constexpr int32_t DIBSCREEN_FIRST_AUTO_ID = 1024;
inline constexpr uint32_t DIBSCREEN_DEFAULT_FLAGS = 3;
// SetScreenWindowProperties flags.
inline constexpr uint32_t SCREENWIN_CAPTION = 1;
inline constexpr uint32_t SCREENWIN_FRAME = 2;

// Window messages the screen takes besides those of the display layer.
inline constexpr uint32_t XMSG_QUERYNEWPALETTE = 783;
inline constexpr uint32_t XMSG_PALETTECHANGED = 785;
inline constexpr uint32_t XMSG_SYSCOMMAND = 274;

// The DIB's header with no used colours, then the 256 palette indexes 0 .. 255.
struct TColourIndexBlock {
  TDibHeader Header;
  uint16_t Indexes[256];
};

class CDibScreen : public CScreenBase, public CWinMsg, public CMsgSys {
 public:
  CDibScreen();
  ~CDibScreen() override;

  // Fails when the mode is larger than the desktop or its bitmap cannot be made.
  int32_t InitMode() override;
  int32_t ExitMode() override;
  // The eighteen window modes (640*480, 800*600, 1024*768 at 8, 16 and 24 bits; each as a window
  // and as a window over the whole desktop).
  int32_t GetVideoModes() override;
  // A window mode and its whole-desktop twin; id -1 takes the next automatic ids.
  int32_t AddWindowVideoMode(int32_t width, int32_t height, int32_t bits, int32_t id) override;
  // Flags: 1 caption, 2 sizing frame; width and height -1 take the mode's. 0 when the desktop is
  // smaller than the mode.
  int32_t SetScreenWindowProperties(uint32_t flags, int32_t width, int32_t height) override;
  int32_t SetDefaultScreenWindowProperties(uint32_t flags) override;
  int32_t ModeAvailable() override { return 1; }
  int32_t ScreenAvailable() override { return 1; }
  int32_t GetDepth() override;
  int32_t SetFlipScreen(int32_t on) override;
  int32_t SetPalette(const CPalette* palette) override;
  int32_t SetSystemPalette() override;
  int32_t MakeScreenBitmap(CBitmap* bitmap, int32_t flag) override;
  int32_t MakeScreenTexture(CBitmap*, int32_t) override { return 0; }

  int32_t DrawBitmapScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                           int32_t height, int32_t mode, int32_t alpha) override;
  int32_t DrawBitmapScreenGui(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                              int32_t height, int32_t mode, int32_t alpha) override;
  int32_t DrawSpriteScreen(CBitmap* bitmap, int32_t srcX, int32_t srcY, int32_t dstX, int32_t dstY, int32_t width,
                           int32_t height, int32_t mode, int32_t alpha) override;
  int32_t RestoreSpriteScreen(CBitmap* bitmap, int32_t x, int32_t y, int32_t width, int32_t height) override;
  int32_t UpdateSpriteRestore(int32_t x, int32_t y, int32_t width, int32_t height, int32_t spare, int32_t flag,
                              CBitmap* bitmap) override;
  int32_t DrawPolygonScreen(CRect*& out) override;
  int32_t DrawShadowPolygonScreen(CRect*& out) override;

  // The background buffer is not copied back on this screen.
  int32_t UpdateFromBackgroundToPersistent(int32_t, int32_t, int32_t, int32_t) override { return 0; }
  CBitmap* LockPersistentBitmap(int32_t, int32_t, int32_t, int32_t) override { return m_pPersistent; }
  int32_t UnlockPersistentBitmap() override { return 1; }
  CBitmap* LockBackgroundBitmap(int32_t, int32_t, int32_t, int32_t) override { return m_pBackground; }
  int32_t UnlockBackgroundBitmap() override { return 1; }
  uint8_t* LockScreenBuffer() override { return m_Dib.GetBits(); }
  int32_t ReleaseScreenBuffer() override { return 1; }

  int32_t AddClearAreaGui(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  int32_t FlipPage() override;
  int32_t ClearBuffer() override;
  int32_t Validate() override;
  // The program window's rectangle on the desktop, and moving or sizing it.
  int32_t GetScreenPos(int32_t* x, int32_t* y, int32_t* width, int32_t* height) override;
  int32_t SetScreenPos(int32_t x, int32_t y) override;
  int32_t SetScreenSize(int32_t width, int32_t height) override;

  intptr_t WinMsgHandler(TWindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // Bus message 2: the pending grey copy.
  int32_t MsgHandler(uint32_t message, TMsgParam a, TMsgParam b) override;

  // The rectangles waiting to be presented, and where the picture starts in the client area.
  const CAreaList& LayerAreas() const { return m_LayerAreas; }
  int32_t GetOffsetX() const { return m_OffsetX; }
  int32_t GetOffsetY() const { return m_OffsetY; }
  uint32_t GetDefaultWindowFlags() const { return m_DefaultFlags; }
  const TColourIndexBlock* GetColourIndexBlock() const { return m_pColourIndex; }
  const CDib& GetDib() const { return m_Dib; }

 private:
  void AddLayerArea(const CRect& r) { m_LayerAreas.Add(m_Page, r, WholeScreen(), true); }
  // Presents the page's layer areas; false when the display refused.
  bool PresentLayerAreas();
  bool PresentAll();
  // Client offsets from the client size, and the mouse offset that goes with them.
  void RecomputeOffsets(int32_t clientWidth, int32_t clientHeight);
  void TellMouseOffsets();
  void OnSize(uintptr_t kind, intptr_t size);
  void ReleaseModeObjects();

  CDib m_Dib;
  TColourIndexBlock* m_pColourIndex = nullptr;
  CDIBPal* m_pDibPal = nullptr;
  CAreaList m_LayerAreas;
  int32_t m_OffsetX = 0;
  int32_t m_OffsetY = 0;
  uint32_t m_WindowFlags = 0;
  uint32_t m_DefaultFlags = DIBSCREEN_DEFAULT_FLAGS;
  uint32_t m_Style = 0;
  int32_t m_NextModeId = DIBSCREEN_FIRST_AUTO_ID;
};

// A new main window in place of the old one: a 1 by 1 pop-up at (0, 0), shown, with the arrow.
void ShowScreenWindow();
