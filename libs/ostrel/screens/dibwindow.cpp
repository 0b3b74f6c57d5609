// The windowed screen's window: style, size and place, where the picture sits in the client area
// (and where the mouse finds it), and the window messages the screen answers.
#include <algorithm>

#include "ostrel/graphics/dib.h"
#include "ostrel/input/mouse.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/system/appname.h"
#include "ostrel/system/globals.h"
#include "platform/display/display.h"

namespace {
constexpr uint32_t kFramed = XWS_CAPTION | XWS_SIZEFRAME;

// Where the client area starts inside the window's outer rectangle.
void FrameInsets(const CDisplayBackend& display, uint32_t style, int32_t& left, int32_t& top) {
  left = top = 0;
  if (display.GetFullScreen() != EFullScreen::Off || !(style & kFramed)) return;
  const TFrameMetrics m = display.GetFrameMetrics();
  const bool sizing = (style & XWS_SIZEFRAME) != 0;
  left = sizing ? m.sizingFrameWidth : m.fixedFrameWidth;
  top = (sizing ? m.sizingFrameHeight : m.fixedFrameHeight) + ((style & XWS_CAPTION) ? m.captionHeight : 0);
}
}  // namespace

void CDibScreen::TellMouseOffsets() {
  if (!glb || !glb->m_pMouse) return;
  int32_t left = 0, top = 0;
  FrameInsets(*PlatformDisplay(), m_Style, left, top);
  // The frame and the centring together: the picture's corner seen from the window's corner.
  glb->m_pMouse->SetMouseAdd(left + m_OffsetX, top + m_OffsetY);
}

void CDibScreen::RecomputeOffsets(int32_t clientWidth, int32_t clientHeight) {
  if (!m_pActiveMode) return;
  m_OffsetX = std::max(0, (clientWidth - m_pActiveMode->Width) / 2);
  m_OffsetY = std::max(0, (clientHeight - m_pActiveMode->Height) / 2);
  TellMouseOffsets();
  // The picture may have moved in the window: show all of it again.
  AddLayerArea(WholeScreen());
}

int32_t CDibScreen::SetScreenWindowProperties(uint32_t flags, int32_t width, int32_t height) {
  if (!m_pActiveMode) return 0;
  const SVmode mode = *m_pActiveMode;
  if (width == -1) width = mode.Width;
  if (height == -1) height = mode.Height;
  CDisplayBackend* display = PlatformDisplay();
  int32_t desktopWidth = 0, desktopHeight = 0;
  display->GetDesktopSize(desktopWidth, desktopHeight);
  const TFrameMetrics m = display->GetFrameMetrics();
  m_WindowFlags = flags;
  uint32_t style = 0;
  int32_t outerWidth = width, outerHeight = height;
  if (desktopHeight <= height) {
    if (desktopWidth < mode.Width || desktopHeight < mode.Height) return 0;
  } else if ((flags & (SCREENWIN_CAPTION | SCREENWIN_FRAME)) == (SCREENWIN_CAPTION | SCREENWIN_FRAME)) {
    style = XWS_OVERLAPPEDWINDOW;
    outerWidth += 2 * m.sizingFrameWidth;
    outerHeight += m.captionHeight + 2 * m.sizingFrameHeight;
  } else if (flags & SCREENWIN_FRAME) {
    style = XWS_SYSMENU | XWS_SIZEFRAME | XWS_MINIMIZEBOX | XWS_MAXIMIZEBOX;
    outerWidth += 2 * m.sizingFrameWidth;
    outerHeight += 2 * m.sizingFrameHeight;
  } else if (flags & SCREENWIN_CAPTION) {
    style = XWS_CAPTION | XWS_SYSMENU | XWS_MINIMIZEBOX;
    outerWidth += 2 * m.fixedFrameWidth;
    outerHeight += m.captionHeight + 2 * m.fixedFrameHeight;
  }
  m_OffsetX = m_OffsetY = 0;
  m_Style = style;
  display->SetWindowStyle(style);
  if (mode.WindowKind == VMODE_WINDOW) {
    display->SetFullScreen(EFullScreen::Off);
    display->SetWindowSize(outerWidth, outerHeight);
    display->SetWindowPos((desktopWidth - outerWidth) / 2, (desktopHeight - outerHeight) / 2);
  } else {
    display->SetFullScreen(EFullScreen::Desktop);
    m_OffsetX = (desktopWidth - mode.Width) / 2;
    m_OffsetY = (desktopHeight - mode.Height) / 2;
  }
  TellMouseOffsets();
  const CRect whole = WholeScreen();
  SetClip(whole.left, whole.top, whole.right, whole.bottom);
  m_NumPages = 2;
  m_Page = 0;
  display->SetSystemCursor(EDisplayCursor::Arrow);
  display->ShowWindow(true);
  // What the window shows once it appears.
  AddLayerArea(whole);
  return 1;
}

int32_t CDibScreen::GetScreenPos(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  int32_t wx = 0, wy = 0, ww = 0, wh = 0;
  PlatformDisplay()->GetWindowRect(wx, wy, ww, wh);
  if (x) *x = wx;
  if (y) *y = wy;
  if (width) *width = ww;
  if (height) *height = wh;
  return 1;
}

int32_t CDibScreen::SetScreenPos(int32_t x, int32_t y) {
  PlatformDisplay()->SetWindowPos(x, y);
  return 1;
}

int32_t CDibScreen::SetScreenSize(int32_t width, int32_t height) {
  PlatformDisplay()->SetWindowSize(width, height);
  return 1;
}

void CDibScreen::OnSize(uintptr_t kind, intptr_t size) {
  CDisplayBackend* display = PlatformDisplay();
  const auto packed = static_cast<uint32_t>(size);
  if (kind == XSIZE_MINIMIZED) {
    DeActivate();
    if (!(m_Style & kFramed)) display->MinimizeWindow();
    return;
  }
  if (kind == XSIZE_RESTORED || kind == XSIZE_MAXIMIZED) {
    Activate();
    if (m_Style == 0) display->RestoreWindow();
  }
  RecomputeOffsets(static_cast<int32_t>(packed & 0xFFFFu), static_cast<int32_t>(packed >> 16));
}

intptr_t CDibScreen::WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  CDisplayBackend* display = PlatformDisplay();
  switch (message) {
    case XMSG_SIZE:
      OnSize(wParam, lParam);
      return 0;
    case XMSG_PAINT:
      if (m_Flip) PresentAll();
      return 0;
    case XMSG_ACTIVATEAPP:
      if (wParam) {
        Activate();
        if (m_Style == 0) display->RestoreWindow();
      } else {
        DeActivate();
      }
      return 0;
    case XMSG_SYSCOMMAND:
      // The key-menu command would take the keyboard away from the program: swallowed.
      return 0;
    case XMSG_QUERYNEWPALETTE:
      if (m_pDibPal && sglb && sglb->m_hDC) {
        SetSystemPalette();
        PresentAll();
        return 1;
      }
      return 0;
    case XMSG_PALETTECHANGED:
      if (sglb && reinterpret_cast<TWindowHandle>(wParam) != sglb->m_hMainWnd && m_pDibPal && sglb->m_hDC)
        SetSystemPalette();
      return 0;
    default:
      return 0;
  }
}

void ShowScreenWindow() {
  if (!sglb) return;
  CDisplayBackend* display = PlatformDisplay();
  if (sglb->m_hMainWnd && sglb->m_hDC) display->CloseWindow();
  sglb->m_hMainWnd = nullptr;
  sglb->m_hDC = nullptr;
  if (!display->OpenWindow(GetApplicationName(), 0, 0, 1, 1)) return;
  display->ShowWindow(true);
  sglb->m_hMainWnd = display;
  sglb->m_hDC = display;
  display->SetSystemCursor(EDisplayCursor::Arrow);
}
