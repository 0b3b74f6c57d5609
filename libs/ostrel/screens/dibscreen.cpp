#include "ostrel/screens/dibscreen.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenpresent.h"
#include "ostrel/system/runtimeobjects.h"
#include "platform/display/display.h"

namespace {
struct SFixedMode {
  int32_t width, height, bits, windowId, desktopId;
};
constexpr SFixedMode kFixedModes[] = {
    {640, 480, 24, 13, 18},  {640, 480, 16, 14, 17},  {640, 480, 8, 15, 16},
    {800, 600, 8, 19, 20},   {800, 600, 16, 21, 22},  {800, 600, 24, 23, 24},
    {1024, 768, 8, 25, 26},  {1024, 768, 16, 27, 28}, {1024, 768, 24, 29, 30},
};

// 8-bit modes are indexed; 16 bits are 5-5-5 with red highest; 24 bits keep blue in the first
// byte, as device-independent bitmaps do.
SVmode MakeMode(int32_t width, int32_t height, int32_t bits, int32_t kind, int32_t id, const char* name) {
  SVmode m{};
  m.Width = width;
  m.Height = height;
  m.BitsPerPixel = bits;
  m.BytesPerPixel = bits / 8;
  m.Pitch = width * m.BytesPerPixel;
  if (bits == 8) {
    m.Indexed = 1;
  } else if (bits == 16) {
    m.RedBits = m.GreenBits = m.BlueBits = 5;
    m.RedShift = 10;
    m.GreenShift = 5;
    m.BlueShift = 0;
  } else {
    m.RedBits = m.GreenBits = m.BlueBits = 8;
    m.RedShift = 0;
    m.GreenShift = 8;
    m.BlueShift = 16;
  }
  m.WindowKind = kind;
  m.ModeId = id;
  std::snprintf(m.Name, sizeof m.Name, "%s", name);
  return m;
}

}  // namespace

CDibScreen::CDibScreen() = default;

CDibScreen::~CDibScreen() { ExitMode(); }

// ---- modes ----

int32_t CDibScreen::GetVideoModes() {
  char name[VMODE_NAME_SIZE];
  for (const SFixedMode& f : kFixedModes) {
    std::snprintf(name, sizeof name, "Windows %d*%d %dbit", f.width, f.height, f.bits);
    AppendMode(MakeMode(f.width, f.height, f.bits, VMODE_WINDOW, f.windowId, name));
    AppendMode(MakeMode(f.width, f.height, f.bits, VMODE_DESKTOP, f.desktopId, name));
  }
  return 1;
}

int32_t CDibScreen::AddWindowVideoMode(int32_t width, int32_t height, int32_t bits, int32_t id) {
  if ((bits != 8 && bits != 16 && bits != 24) || width < 1 || height < 1) return 0;
  char name[VMODE_NAME_SIZE];
  std::snprintf(name, sizeof name, "Windows %dbit", bits);
  const int32_t first = id == -1 ? m_NextModeId++ : id;
  if (!AppendMode(MakeMode(width, height, bits, VMODE_WINDOW, first, name))) return 0;
  const int32_t twin = id == -1 ? m_NextModeId++ : id + 1;
  if (!AppendMode(MakeMode(width, height, bits, VMODE_DESKTOP, twin, name))) {
    RemoveLastMode();
    return 0;
  }
  return 1;
}

int32_t CDibScreen::InitMode() {
  const SVmode* mode = ModeGet();
  if (!mode) return 0;
  CDisplayBackend* display = PlatformDisplay();
  int32_t desktopWidth = 0, desktopHeight = 0;
  display->GetDesktopSize(desktopWidth, desktopHeight);
  if (mode->Width > desktopWidth || mode->Height > desktopHeight) return 0;
  const SVmode wanted = *mode;
  display->ShowWindow(true);
  if (!m_Dib.Create(wanted.Width, wanted.Height, wanted.BitsPerPixel)) return 0;
  auto* block = new (std::nothrow) TColourIndexBlock;
  if (!block) {
    m_Dib.Exit();
    return 0;
  }
  block->Header = *m_Dib.GetInfo();
  block->Header.ClrUsed = 0;
  for (int32_t i = 0; i < 256; ++i) block->Indexes[i] = static_cast<uint16_t>(i);
  delete m_pColourIndex;
  m_pColourIndex = block;

  SVmode active = wanted;
  active.Pitch = m_Dib.GetPitch();
  if (!StartActiveMode(active)) {
    ReleaseModeObjects();
    return 0;
  }

  static constexpr uint32_t kMessages[] = {XMSG_ACTIVATEAPP,     XMSG_PAINT, XMSG_QUERYNEWPALETTE,
                                           XMSG_PALETTECHANGED,  XMSG_SIZE,  XMSG_SYSCOMMAND};
  for (uint32_t m : kMessages) RegisterWinMsg(this, m);
  xRegisterMsgHandler(this, XMSG_BUS_DRAW, BUSPRI_SCREEN_GREY);
  const CRect whole = WholeScreen();
  SetClip(whole.left, whole.top, whole.right, whole.bottom);
  m_NumPages = 2;
  m_Page = 0;
  m_LayerAreas.ClearAll();
  return 1;
}

void CDibScreen::ReleaseModeObjects() {
  m_Dib.Exit();
  delete m_pColourIndex;
  m_pColourIndex = nullptr;
  delete m_pDibPal;
  m_pDibPal = nullptr;
  m_LayerAreas.ClearAll();
}

int32_t CDibScreen::ExitMode() {
  // Every window message, the size message included: none may reach a screen without a mode.
  UnRegisterWinMsgAll(this);
  ReleaseModeObjects();
  BaseExitMode();
  return 1;
}

int32_t CDibScreen::GetDepth() { return PlatformDisplay()->GetDesktopDepth(); }

int32_t CDibScreen::SetDefaultScreenWindowProperties(uint32_t flags) {
  m_DefaultFlags = flags;
  return 1;
}

int32_t CDibScreen::SetFlipScreen(int32_t on) {
  on = on ? 1 : 0;
  if (on == m_Flip) return 1;
  m_Flip = on;
  if (on) {
    xWindowManagerValidateAll();
    if (m_pActiveMode) AddLayerArea(CRect(0, 0, m_pActiveMode->Width, m_pActiveMode->Height));
  }
  return 1;
}

int32_t CDibScreen::SetSystemPalette() {
  if (!m_pActiveMode || !m_pActiveMode->Indexed) return 1;
  delete m_pDibPal;
  m_pDibPal = new (std::nothrow) CDIBPal;
  if (!m_pDibPal) return 0;
  m_pDibPal->Create(&m_Palette);
  m_pDibPal->SetSysPalColors(sglb ? sglb->m_hDC : nullptr);
  TDisplayColour colours[PALETTE_SIZE];
  TDibColour* table = m_Dib.GetColTabAddress();
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    const TRGBA& c = m_Palette.m_Entries[i];
    colours[i] = {c.r, c.g, c.b};
    if (table && i < m_Dib.GetNumColorEntries()) table[i] = {c.b, c.g, c.r, 0};
  }
  PlatformDisplay()->SetPalette(0, PALETTE_SIZE, colours);
  return 1;
}

// ---- drawing ----

int32_t CDibScreen::AddClearAreaGui(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // One page: the current one.
  if (m_PersistentMode == 1) m_GuiAreas.Add(m_Page, CRect(x1, y1, x2, y2), WholeScreen(), true);
  return 1;
}

// ---- the frame ----

bool CDibScreen::PresentLayerAreas() {
  TDisplayRect rects[SCREEN_AREAS_PER_PAGE];
  int32_t count = 0;
  const CRect whole = WholeScreen();
  // Cut to the screen, not to the clip: whatever changed anywhere must reach the window.
  m_LayerAreas.ForEach(m_Page, [&](const CRect& area) {
    CRect r, a(area), w(whole);
    if (r.Intersect(&a, &w)) rects[count++] = xDisplayRect(r);
  });
  if (count == 0) return true;
  const TDisplayFramebuffer fb = xDisplayFramebuffer(m_Dib.GetBits(), *m_pActiveMode);
  return PlatformDisplay()->Present(fb, rects, count, m_OffsetX, m_OffsetY);
}

bool CDibScreen::PresentAll() {
  if (!m_pActiveMode || !m_Dib.GetBits()) return false;
  const TDisplayFramebuffer fb = xDisplayFramebuffer(m_Dib.GetBits(), *m_pActiveMode);
  const TDisplayRect all = xDisplayRect(WholeScreen());
  return PlatformDisplay()->Present(fb, &all, 1, m_OffsetX, m_OffsetY);
}

int32_t CDibScreen::FlipPage() {
  xSendMsg(XMSG_BUS_DRAW, 0, 0);
  if (!m_Flip || !m_pActiveMode || !m_Dib.GetBits()) {
    m_LayerAreas.Clear(m_Page);
    return 1;
  }
  m_PersistentAreas.ForEach(m_Page, [&](const CRect& r) { AddLayerArea(r); });
  m_ClearAreas.ForEach(m_Page, [&](const CRect& r) { AddLayerArea(r); });
  // A refused copy keeps the areas for the next flip.
  if (!PresentLayerAreas()) return 0;
  m_LayerAreas.Clear(m_Page);
  return 1;
}

int32_t CDibScreen::ClearBuffer() {
  xSendMsg(XMSG_BUS_CLEAR, 0, 0);
  RestoreClearAreas();
  return 1;
}

int32_t CDibScreen::Validate() {
  OfferShadowAreas();
  return 1;
}

int32_t CDibScreen::MsgHandler(uint32_t message, TMsgParam, TMsgParam) {
  if (message == XMSG_BUS_DRAW) MakePendingGrey();
  return 1;
}
