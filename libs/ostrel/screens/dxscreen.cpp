#include "ostrel/screens/dxscreen.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "ostrel/input/mouse.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/screens/screenpresent.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/runtimeobjects.h"

namespace {
struct SSize {
  int32_t width, height;
};
constexpr SSize kFixedSizes[] = {{640, 480}, {800, 600}, {1024, 768}};

// The formats offered at every size: indexed, 5-6-5 and 8-8-8 with red highest.
struct SFormat {
  int32_t bits;
  uint32_t red, green, blue;
};
constexpr SFormat kFormats[] = {{8, 0, 0, 0}, {16, 0xF800, 0x07E0, 0x001F}, {24, 0xFF0000, 0x00FF00, 0x0000FF}};

constexpr TDisplayColour kBlack{0, 0, 0};

void MaskBits(uint32_t mask, int32_t& bits, int32_t& shift) {
  shift = mask ? std::countr_zero(mask) : 0;
  bits = mask ? std::countr_one(mask >> shift) : 0;
}

CMouse* Mouse() { return glb ? glb->m_pMouse : nullptr; }
}  // namespace

CDxScreen::CDxScreen() {
  m_Available = PlatformDisplay()->HasFullScreenVideo() ? 1 : 0;
  if (!m_Available && glb && glb->m_pScreenList) glb->m_pScreenList->Unregister(this);
}

CDxScreen::~CDxScreen() { ExitMode(); }

int32_t CDxScreen::ScreenAvailable() { return m_Available && PlatformDisplay()->HasFullScreenVideo() ? 1 : 0; }

// ---- modes ----

int32_t CDxScreen::ModeFromFormat(int32_t width, int32_t height, int32_t bits, uint32_t redMask, uint32_t greenMask,
                                  uint32_t blueMask, SVmode& out) {
  SVmode m{};
  m.Width = width;
  m.Height = height;
  m.BitsPerPixel = bits;
  m.WindowKind = VMODE_FULLSCREEN;
  m.ModeId = -1;
  const char* name = nullptr;
  if (bits == 8) {
    m.Indexed = 1;
    name = "Direct X fullscreen (8 bit colour, 256 colours)";
  } else if (bits == 16) {
    MaskBits(redMask, m.RedBits, m.RedShift);
    MaskBits(greenMask, m.GreenBits, m.GreenShift);
    MaskBits(blueMask, m.BlueBits, m.BlueShift);
    name = "Direct X fullscreen (16 bit colour, 32K or 64K colours)";
  } else if (bits == 24) {
    int32_t shifts[3];
    const uint32_t masks[3] = {redMask, greenMask, blueMask};
    for (int32_t i = 0; i < 3; ++i) {
      int32_t width8 = 0;
      MaskBits(masks[i], width8, shifts[i]);
      if (width8 != 8 || (shifts[i] != 0 && shifts[i] != 8 && shifts[i] != 16) ||
          masks[i] != (0xFFu << shifts[i]))
        return 0;
    }
    m.RedBits = m.GreenBits = m.BlueBits = 8;
    m.RedShift = 16 - shifts[0];
    m.GreenShift = 16 - shifts[1];
    m.BlueShift = 16 - shifts[2];
    name = "Direct X fullscreen (24 bit colour, 16M colours)";
  } else {
    return 0;
  }
  m.BytesPerPixel = bits / 8;
  m.Pitch = width * m.BytesPerPixel;
  std::snprintf(m.Name, sizeof m.Name, "%s", name);
  out = m;
  return 1;
}

int32_t CDxScreen::GetVideoModes() {
  if (!ScreenAvailable()) return 0;
  int32_t desktopWidth = 0, desktopHeight = 0;
  PlatformDisplay()->GetDesktopSize(desktopWidth, desktopHeight);
  SSize sizes[std::size(kFixedSizes) + 1];
  int32_t count = 0;
  for (const SSize& s : kFixedSizes) sizes[count++] = s;
  const bool ownSize = std::none_of(std::begin(kFixedSizes), std::end(kFixedSizes), [&](const SSize& s) {
    return s.width == desktopWidth && s.height == desktopHeight;
  });
  if (ownSize) sizes[count++] = {desktopWidth, desktopHeight};
  for (int32_t i = 0; i < count; ++i) {
    // A display shows no mode larger than itself.
    if (sizes[i].width < 1 || sizes[i].height < 1 || sizes[i].width > desktopWidth || sizes[i].height > desktopHeight)
      continue;
    for (const SFormat& f : kFormats) {
      SVmode m;
      if (ModeFromFormat(sizes[i].width, sizes[i].height, f.bits, f.red, f.green, f.blue, m)) AppendMode(m);
    }
  }
  return 1;
}

int32_t CDxScreen::InitMode() {
  const SVmode* selected = ModeGet();
  if (!ScreenAvailable() || !selected || !sglb || !sglb->m_hMainWnd) return 0;
  const SVmode wanted = *selected;
  CDisplayBackend* display = PlatformDisplay();
  display->ShowWindow(true);
  display->SetWindowStyle(0);
  bool ok = display->SetFullScreen(EFullScreen::Desktop);
  m_HoldsDisplay = ok;
  for (CBitmap& page : m_Pages) {
    if (!ok) break;
    ok = wanted.Indexed ? page.CreateIndex(wanted.Width, wanted.Height, 8, &m_Palette, 0)
                        : page.CreateRGB(wanted.Width, wanted.Height, wanted.BitsPerPixel, wanted.RedBits,
                                         wanted.GreenBits, wanted.BlueBits, wanted.RedShift, wanted.GreenShift,
                                         wanted.BlueShift, 0);
  }
  SVmode active = wanted;
  active.Pitch = m_Pages[0].m_Pitch;
  if (!ok || !StartActiveMode(active)) {
    ExitMode();
    return 0;
  }
  const CRect whole = WholeScreen();
  SetClip(whole.left, whole.top, whole.right, whole.bottom);
  m_NumPages = 2;
  m_Page = 0;
  m_FrontLost = m_BackLost = 0;
  display->ShowPointer(false);
  static constexpr uint32_t kMessages[] = {XMSG_ACTIVATEAPP, XMSG_ERASEBKGND, XMSG_PAINT, XMSG_SIZE};
  for (uint32_t m : kMessages) RegisterWinMsg(this, m);
  xRegisterMsgHandler(this, XMSG_BUS_DRAW, BUSPRI_SCREEN_GREY);
  PlacePicture();
  FillBorders();
  if (CMouse* mouse = Mouse()) mouse->Init();
  return 1;
}

void CDxScreen::ReleasePages() {
  for (CBitmap& page : m_Pages) page.Free();
  m_FrontLost = m_BackLost = 0;
  m_Target = {0, 0, 0, 0};
}

int32_t CDxScreen::ExitMode() {
  // Every registration: no message may reach a screen without a mode.
  UnRegisterWinMsgAll(this);
  xRemoveMsgHandlers(this);
  // Also after a start that failed half way: the desktop gets its display back either way.
  if (m_HoldsDisplay) {
    CDisplayBackend* display = PlatformDisplay();
    display->SetFullScreen(EFullScreen::Off);
    display->ShowPointer(true);
    if (CMouse* mouse = Mouse()) {
      mouse->SetMouseScale(0, 0, 0, 0);
      mouse->SetMouseAdd(0, 0);
    }
    m_HoldsDisplay = false;
  }
  ReleasePages();
  BaseExitMode();
  return 1;
}

void CDxScreen::SetPlacement(EDxPlacement placement) {
  m_Placement = placement;
  if (!m_pActiveMode) return;
  PlacePicture();
  RepaintFront();
}

void CDxScreen::RepaintFront() {
  // A lost page is shown once it is back, not before.
  if (m_FrontLost) {
    ValidateFrontBuffer();
    return;
  }
  FillBorders();
  ShowPage(FrontPage());
}

void CDxScreen::PlacePicture() {
  if (!m_pActiveMode) return;
  PlatformDisplay()->GetClientSize(m_ClientWidth, m_ClientHeight);
  const int64_t w = m_pActiveMode->Width, h = m_pActiveMode->Height;
  const int64_t cw = std::max(m_ClientWidth, 1), ch = std::max(m_ClientHeight, 1);
  int64_t tw = w, th = h;
  if (m_Placement == DXPLACE_SCALED || w > cw || h > ch) {
    // The side that reaches the window's edge first decides.
    if (cw * h <= ch * w) {
      tw = cw;
      th = std::max<int64_t>(1, h * cw / w);
    } else {
      th = ch;
      tw = std::max<int64_t>(1, w * ch / h);
    }
  }
  m_Target = {static_cast<int32_t>((cw - tw) / 2), static_cast<int32_t>((ch - th) / 2), static_cast<int32_t>(tw),
              static_cast<int32_t>(th)};
  if (CMouse* mouse = Mouse()) {
    mouse->SetMouseAdd(m_Target.x, m_Target.y);
    mouse->SetMouseScale(m_pActiveMode->Width, m_pActiveMode->Height, m_Target.width, m_Target.height);
  }
}

bool CDxScreen::FillBorders() {
  const TDisplayRect& t = m_Target;
  const int32_t below = t.y + t.height, right = t.x + t.width;
  const TDisplayRect bands[] = {{0, 0, m_ClientWidth, t.y},
                                {0, below, m_ClientWidth, m_ClientHeight - below},
                                {0, t.y, t.x, t.height},
                                {right, t.y, m_ClientWidth - right, t.height}};
  bool ok = true;
  CDisplayBackend* display = PlatformDisplay();
  for (const TDisplayRect& band : bands)
    if (band.width > 0 && band.height > 0) ok = display->FillClient(band, kBlack) && ok;
  return ok;
}

bool CDxScreen::ShowPage(CBitmap& page) {
  if (!m_pActiveMode || !page.m_pData) return false;
  const TDisplayRect all = xDisplayRect(WholeScreen());
  return PlatformDisplay()->PresentScaled(xDisplayFramebuffer(page.m_pData, *m_pActiveMode), &all, 1, m_Target);
}

int32_t CDxScreen::SetFlipScreen(int32_t on) {
  on = on ? 1 : 0;
  if (on == m_Flip) return 1;
  m_Flip = on;
  if (on) xWindowManagerValidateAll();
  return 1;
}

int32_t CDxScreen::SetPalette(const CPalette* palette) {
  const int32_t done = CScreenBase::SetPalette(palette);
  if (done && m_pActiveMode && m_pActiveMode->Indexed) {
    for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
      const TRGBA& c = m_Palette.m_Entries[i];
      m_Colours[i] = {c.r, c.g, c.b};
    }
  }
  return done;
}

int32_t CDxScreen::SetSystemPalette() {
  if (m_pActiveMode && m_pActiveMode->Indexed) PlatformDisplay()->SetPalette(0, PALETTE_SIZE, m_Colours);
  return 1;
}

int32_t CDxScreen::UpdateFromBackgroundToPersistent(int32_t, int32_t, int32_t, int32_t) {
  if (m_PersistentMode != 1 || m_BackgroundMode != 1 || !m_pPersistent || !m_pBackground || !m_pActiveMode)
    return 1;
  // The whole mode, whatever its size, cut to both buffers.
  const int32_t width = std::min({m_pActiveMode->Width, m_pPersistent->m_Width, m_pBackground->m_Width});
  const int32_t height = std::min({m_pActiveMode->Height, m_pPersistent->m_Height, m_pBackground->m_Height});
  if (width < 1 || height < 1) return 1;
  m_pPersistent->Blt(m_pBackground, 0, 0, 0, 0, width, height, 0, 0, 0);
  AddClearAreaPersistent(0, 0, width - 1, height - 1);
  return 1;
}

const uint8_t* CDxScreen::GetPagePixels(int32_t page) const {
  return m_pActiveMode && (page == 0 || page == 1) ? m_Pages[page].m_pData : nullptr;
}

// ---- lost pages ----

bool CDxScreen::RestoreDisplay() {
  CDisplayBackend* display = PlatformDisplay();
  if (!display->IsWindowOpen() || display->IsWindowMinimized()) return false;
  if (display->GetFullScreen() != EFullScreen::Desktop) {
    if (!display->SetFullScreen(EFullScreen::Desktop)) return false;
    PlacePicture();
  }
  return true;
}

bool CDxScreen::ValidatePage(CBitmap& page, int32_t& lost) {
  if (!m_pActiveMode || !page.m_pData) return false;
  const CDisplayBackend* display = PlatformDisplay();
  if (!display->IsWindowOpen() || display->IsWindowMinimized()) lost = 1;
  if (!lost) return true;
  // Nothing is gained by waiting here: the display only comes back through the window messages.
  if (!RestoreDisplay()) return false;
  if (m_pPersistent && m_pPersistent->m_pData) {
    const int32_t width = std::min(page.m_Width, m_pPersistent->m_Width);
    const int32_t height = std::min(page.m_Height, m_pPersistent->m_Height);
    page.Blt(m_pPersistent, 0, 0, 0, 0, width, height, 0, 0, 0);
  }
  lost = 0;
  return true;
}

bool CDxScreen::ValidateFrontBuffer() {
  const bool wasLost = m_FrontLost != 0;
  if (!ValidatePage(FrontPage(), m_FrontLost)) return false;
  if (wasLost) {
    FillBorders();
    ShowPage(FrontPage());
  }
  return true;
}

uint8_t* CDxScreen::LockScreenBuffer() {
  if (!m_pActiveMode || !ValidateBackBuffer()) return nullptr;
  return BackPage().m_pData;
}

// ---- the frame ----

int32_t CDxScreen::FlipPage() {
  if (!m_Active || !m_pActiveMode) return 0;
  // A page lost while the window could not take it back is retried here, every frame.
  const bool front = ValidateFrontBuffer();
  if (!ValidateBackBuffer() || !front) return 0;
  xSendMsg(XMSG_BUS_DRAW, 0, 0);
  bool shown = true;
  if (m_Flip) {
    shown = ShowPage(BackPage());
    m_Page = (m_Page + 1) % 2;
  }
  ValidateBackBuffer();
  return shown ? 1 : 0;
}

int32_t CDxScreen::ClearBuffer() {
  if (!m_Active || !m_pActiveMode) return 1;
  xSendMsg(XMSG_BUS_CLEAR, 0, 0);
  RestoreClearAreas();
  return 1;
}

int32_t CDxScreen::Validate() {
  OfferShadowAreas();
  return 1;
}

intptr_t CDxScreen::WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t) {
  if (!m_pActiveMode) return 0;
  CDisplayBackend* display = PlatformDisplay();
  switch (message) {
    case XMSG_ACTIVATEAPP:
      if (wParam) {
        display->RestoreWindow();
        Activate();
        ValidateFrontBuffer();
        ValidateBackBuffer();
        if (CMouse* mouse = Mouse()) mouse->Init();
      } else {
        // The desktop takes the display back: both pages count as lost until the return.
        DeActivate();
        m_FrontLost = m_BackLost = 1;
        display->MinimizeWindow();
      }
      return 0;
    case XMSG_SIZE:
      if (wParam == XSIZE_MINIMIZED) return 0;
      PlacePicture();
      RepaintFront();
      return 0;
    case XMSG_PAINT:
    case XMSG_ERASEBKGND:
      // The desktop drew over the window: the shown page again, black around it.
      RepaintFront();
      return message == XMSG_ERASEBKGND ? 1 : 0;
    default:
      return 0;
  }
}

int32_t CDxScreen::MsgHandler(uint32_t message, TMsgParam, TMsgParam) {
  if (message == XMSG_BUS_DRAW) MakePendingGrey();
  return 1;
}
