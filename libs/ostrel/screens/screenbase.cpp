#include "ostrel/screens/screenbase.h"

#include <algorithm>
#include <new>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/graphics/inversetable.h"
#include "ostrel/screens/screenlist.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/runtimeobjects.h"

CScreenBase::CScreenBase() {
  for (int32_t i = 0; i < PALETTE_SIZE; ++i) {
    const auto v = static_cast<uint8_t>(i);
    const TRGBA grey(v, v, v, 255);
    m_GreyPalette.m_Entries[i] = grey;
  }
  // Unnamed, so that no inverse-table cache file is ever written for it.
  m_GreyPalette.SetName("");
  m_Palette.Clone(&m_GreyPalette);
  if (glb && glb->m_pScreenList) glb->m_pScreenList->Register(this);
}

CScreenBase::~CScreenBase() {
  if (glb) {
    if (glb->m_pScreenList) glb->m_pScreenList->Unregister(this);
    if (glb->m_pCurrentScreen == this) glb->m_pCurrentScreen = nullptr;
  }
  BaseExitMode();
}

// ---- modes ----

int32_t CScreenBase::AppendMode(const SVmode& mode) {
  auto* copy = new (std::nothrow) SVmode(mode);
  if (!copy) return 0;
  if (!m_Modes.InsertLast(copy)) {
    delete copy;
    return 0;
  }
  return 1;
}

void CScreenBase::RemoveLastMode() {
  if (!m_Modes.Last()) return;
  delete static_cast<SVmode*>(m_Modes.Get());
  m_Modes.Delete(1);
}

void CScreenBase::SetActiveMode(const SVmode* mode) {
  delete m_pActiveMode;
  m_pActiveMode = mode ? new (std::nothrow) SVmode(*mode) : nullptr;
}

int32_t CScreenBase::InitModeRez(int32_t width, int32_t height, int32_t bits, int32_t windowKind) {
  for (int16_t more = m_Modes.First(); more; more = m_Modes.Next()) {
    const auto* m = static_cast<const SVmode*>(m_Modes.Get());
    if (m->Width != width || m->Height != height || m->BitsPerPixel != bits) continue;
    if (windowKind != -1 && m->WindowKind != windowKind) continue;
    if (!InitMode()) return 0;
    SetPalette(&m_GreyPalette);
    return 1;
  }
  return 0;
}

int32_t CScreenBase::InitModeMode(const SVmode* mode) {
  if (!mode) return 0;
  for (int16_t more = m_Modes.First(); more; more = m_Modes.Next()) {
    const auto* m = static_cast<const SVmode*>(m_Modes.Get());
    if (m->Width == mode->Width && m->Height == mode->Height && m->BitsPerPixel == mode->BitsPerPixel)
      return InitMode();
  }
  return 0;
}

const SVmode* CScreenBase::GetActiveMode() const { return m_pActiveMode; }
int32_t CScreenBase::ModeFirst() { return m_Modes.First(); }
int32_t CScreenBase::ModeExists() { return m_Modes.Exists(); }
int32_t CScreenBase::ModeNext() { return m_Modes.Next(); }
SVmode* CScreenBase::ModeGet() { return static_cast<SVmode*>(m_Modes.Get()); }

CRect CScreenBase::WholeScreen() const {
  if (!m_pActiveMode) return CRect(0, 0, -1, -1);
  return CRect(0, 0, m_pActiveMode->Width - 1, m_pActiveMode->Height - 1);
}

void CScreenBase::BaseExitMode() {
  SetActiveMode(nullptr);
  SetPersistent(0);
  SetBackground(0);
  SetAlphaBuffer(0);
  m_Page = 0;
  m_ClearAreas.ClearAll();
  m_GuiAreas.ClearAll();
  m_PersistentAreas.ClearAll();
  m_ShadowAreas.ClearAll();
  m_ClipDepth = 0;
  for (int16_t more = m_Modes.First(); more; more = m_Modes.Next()) delete static_cast<SVmode*>(m_Modes.Get());
  m_Modes.KillAll();
}

int32_t CScreenBase::StartActiveMode(const SVmode& mode) {
  struct SKept {
    EBuffer which;
    bool had;
    int32_t mode;
  } kept[] = {{BUFFER_PERSISTENT, m_pPersistent != nullptr, m_PersistentMode},
              {BUFFER_BACKGROUND, m_pBackground != nullptr, m_BackgroundMode},
              {BUFFER_ALPHA, m_pAlpha != nullptr, m_AlphaMode}};
  for (const SKept& k : kept) SetBuffer(k.which, 0);
  SetActiveMode(&mode);
  if (!m_pActiveMode) return 0;
  for (const SKept& k : kept)
    if (k.had && SetBuffer(k.which, 1)) BufferModeField(k.which) = k.mode;
  return 1;
}

// ---- the frame ----

void CScreenBase::RestoreArea(const CRect& r) {
  ASA(r.left, r.top, r.right, r.bottom);
  NoteScreenChange(r);
  RestoreFromPersistent(r);
}

void CScreenBase::RestoreClearAreas() {
  auto restore = [&](const CRect& r) { RestoreArea(r); };
  m_PersistentAreas.ForEach(m_Page, restore);
  m_GuiAreas.ForEach(m_Page, restore);
  m_ClearAreas.ForEach(m_Page, restore);
  m_PersistentAreas.Clear(m_Page);
  m_GuiAreas.Clear(m_Page);
  m_ClearAreas.Clear(m_Page);
}

void CScreenBase::OfferShadowAreas() {
  // The windows' own areas go back before they draw: restored after they drew (at the clear),
  // they would take the new drawing with them and leave the old one on show for a frame.
  m_GuiAreas.ForEach(m_Page, [&](const CRect& r) { RestoreArea(r); });
  m_GuiAreas.Clear(m_Page);
  m_ClearAreas.ForEach(m_Page, [&](const CRect& r) { ASA(r.left, r.top, r.right, r.bottom); });
  for (int32_t i = 0; i < m_ShadowAreas.Count(m_Page); ++i) {
    CRect area = m_ShadowAreas.Get(m_Page, i);
    if (CAreaList::IsKilled(area)) continue;
    if (xWindowManagerValidateArea(&area, i)) NoteScreenChange(area);
  }
  m_ShadowAreas.Clear(m_Page);
}

// ---- flags ----

int32_t CScreenBase::Activate() {
  m_Active = 1;
  const CRect whole = WholeScreen();
  if (m_PersistentMode == 1) {
    AddClearAreaPersistent(whole.left, whole.top, whole.right, whole.bottom);
  } else {
    AddClearArea(whole.left, whole.top, whole.right, whole.bottom);
  }
  return 1;
}

int32_t CScreenBase::DeActivate() {
  m_Active = 0;
  return 1;
}

int32_t CScreenBase::GetActive() { return m_Active; }

int32_t CScreenBase::IsFullScreen() { return m_pActiveMode && m_pActiveMode->WindowKind == VMODE_FULLSCREEN; }

int32_t CScreenBase::MakeScreenFormat(CBitmap* bitmap, int32_t flag) {
  if (!bitmap || !m_pActiveMode) return 0;
  const SVmode& m = *m_pActiveMode;
  const int32_t ok = m.Indexed ? bitmap->ConvertIndex(-1, -1, 8, &m_Palette, flag)
                               : bitmap->ConvertRGB(-1, -1, m.BitsPerPixel, m.RedBits, m.GreenBits, m.BlueBits,
                                                    m.RedShift, m.GreenShift, m.BlueShift, flag);
  return ok ? 1 : 0;
}

int32_t CScreenBase::MakeScreenBitmap(CBitmap* bitmap, int32_t flag) {
  if (!bitmap) return 0;
  MakeScreenFormat(bitmap, flag);
  bitmap->m_ScreenSurface = 1;
  return 1;
}

// ---- polygon state ----

int32_t CScreenBase::SetTexture(CBitmap* texture) {
  m_pTexture = texture;
  return 1;
}

int32_t CScreenBase::SetTextureCoords(int32_t u0, int32_t v0, int32_t u1, int32_t v1, int32_t u2, int32_t v2,
                                      int32_t u3, int32_t v3) {
  const int32_t u[4] = {u0, u1, u2, u3}, v[4] = {v0, v1, v2, v3};
  std::copy(u, u + 4, m_TexU);
  std::copy(v, v + 4, m_TexV);
  return 1;
}

int32_t CScreenBase::SetPolygon(int32_t x0, int32_t y0, float z0, int32_t x1, int32_t y1, float z1, int32_t x2,
                                int32_t y2, float z2, int32_t x3, int32_t y3, float z3) {
  const int32_t x[4] = {x0, x1, x2, x3}, y[4] = {y0, y1, y2, y3};
  const float z[4] = {z0, z1, z2, z3};
  std::copy(x, x + 4, m_PolyX);
  std::copy(y, y + 4, m_PolyY);
  std::copy(z, z + 4, m_PolyZ);
  return 1;
}

int32_t CScreenBase::SetPolygonMode(int32_t mode, int32_t filter) {
  m_PolygonMode = mode;
  m_PolygonFilter = filter;
  return 1;
}

// ---- buffers ----

CBitmap*& CScreenBase::BufferField(EBuffer which) {
  return which == BUFFER_PERSISTENT ? m_pPersistent : which == BUFFER_BACKGROUND ? m_pBackground : m_pAlpha;
}

int32_t& CScreenBase::BufferModeField(EBuffer which) {
  return which == BUFFER_PERSISTENT ? m_PersistentMode : which == BUFFER_BACKGROUND ? m_BackgroundMode : m_AlphaMode;
}

int32_t CScreenBase::SetBuffer(EBuffer which, int32_t on) {
  CBitmap*& buffer = BufferField(which);
  if (on != 1) {
    if (buffer) {
      buffer->Free();
      delete buffer;
      buffer = nullptr;
      BufferModeField(which) = 0;
    }
    return 1;
  }
  if (buffer) return 1;
  if (!m_pActiveMode) return 0;
  const SVmode& m = *m_pActiveMode;
  auto* made = new (std::nothrow) CBitmap;
  if (!made) return 0;
  int32_t ok;
  if (which == BUFFER_ALPHA) {
    ok = made->CreateIndex(m.Width, m.Height, 8, &m_Palette, 0);
  } else if (m.Indexed) {
    ok = made->CreateIndex(m.Width, m.Height, m.BitsPerPixel, &m_Palette, 0);
  } else {
    ok = made->CreateRGB(m.Width, m.Height, m.BitsPerPixel, m.RedBits, m.GreenBits, m.BlueBits, m.RedShift,
                         m.GreenShift, m.BlueShift, 0);
  }
  if (!ok) {
    delete made;
    return 0;
  }
  buffer = made;
  return 1;
}

int32_t CScreenBase::SetBufferMode(EBuffer which, int32_t mode) {
  int32_t& field = BufferModeField(which);
  field = mode;
  if (mode == 1 && !BufferField(which) && !SetBuffer(which, 1)) {
    field = 0;
    return 0;
  }
  return 1;
}

int32_t CScreenBase::SetPersistent(int32_t on) { return SetBuffer(BUFFER_PERSISTENT, on); }
int32_t CScreenBase::SetPersistentMode(int32_t mode) { return SetBufferMode(BUFFER_PERSISTENT, mode); }
int32_t CScreenBase::SetBackground(int32_t on) { return SetBuffer(BUFFER_BACKGROUND, on); }
int32_t CScreenBase::SetBackgroundMode(int32_t mode) { return SetBufferMode(BUFFER_BACKGROUND, mode); }
int32_t CScreenBase::SetAlphaBuffer(int32_t on) { return SetBuffer(BUFFER_ALPHA, on); }
int32_t CScreenBase::SetAlphaBufferMode(int32_t mode) { return SetBufferMode(BUFFER_ALPHA, mode); }

int32_t CScreenBase::SetPersistentToBackground() {
  if (m_PersistentMode == 1 && m_BackgroundMode == 1 && m_pPersistent && m_pBackground && m_pActiveMode)
    m_pBackground->Blt(m_pPersistent, 0, 0, 0, 0, m_pActiveMode->Width, m_pActiveMode->Height, 0, 0, 0);
  return 1;
}

int32_t CScreenBase::CachePersistentBitmap() { return m_pPersistent ? MakeScreenBitmap(m_pPersistent, 1) : 0; }

int32_t CScreenBase::ClearAlpha(int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }

// ---- areas ----

int32_t CScreenBase::AddClearArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (m_PersistentMode == 1) m_ClearAreas.Add(m_Page, CRect(x1, y1, x2, y2), WholeScreen(), true);
  return 1;
}

int32_t CScreenBase::AddClearAreaGui(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (m_PersistentMode != 1) return 1;
  for (int32_t page = 0; page < SCREEN_PAGES; ++page) m_GuiAreas.Add(page, CRect(x1, y1, x2, y2), WholeScreen(), true);
  return 1;
}

int32_t CScreenBase::AddClearAreaPersistent(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  bool duplicate = false;
  const CRect merged = m_PersistentAreas.Merge(m_Page, CRect(x1, y1, x2, y2), false, duplicate);
  const CRect whole = WholeScreen();
  for (int32_t page = 0; page < std::min(m_NumPages, SCREEN_PAGES); ++page) m_PersistentAreas.Store(page, merged, whole);
  return 1;
}

int32_t CScreenBase::AddShadowArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  CRect r(x1, y1, x2, y2), clip(m_Clip), part;
  if (m_ClipEmpty || !part.Intersect(&r, &clip)) return 1;
  for (int32_t page = 0; page < SCREEN_PAGES; ++page) m_ShadowAreas.Add(page, part, WholeScreen(), true);
  return 1;
}

int32_t CScreenBase::ASA(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  m_ShadowAreas.Add(m_Page, CRect(x1, y1, x2, y2), WholeScreen(), true);
  return 1;
}

// ---- clip ----

int32_t CScreenBase::SetClip(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const CRect whole = WholeScreen();
  if (whole.right < 0 || whole.bottom < 0) {
    m_Clip.SetEmpty();
    m_ClipEmpty = 1;
    return 1;
  }
  m_Clip = whole;
  m_ClipEmpty = 0;
  return SetSubClip(x1, y1, x2, y2);
}

int32_t CScreenBase::SetSubClip(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  CRect r(x1, y1, x2, y2), clip(m_Clip);
  if (m_ClipEmpty || !m_Clip.Intersect(&r, &clip)) {
    m_Clip.SetEmpty();
    m_ClipEmpty = 1;
  }
  return 1;
}

int32_t CScreenBase::PushClip() {
  if (m_ClipDepth >= SCREEN_CLIP_STACK_SIZE) return 0;
  m_ClipStack[m_ClipDepth] = m_Clip;
  m_ClipEmptyStack[m_ClipDepth] = m_ClipEmpty;
  ++m_ClipDepth;
  return 1;
}

int32_t CScreenBase::PopClip() {
  if (m_ClipDepth <= 0) return 0;
  --m_ClipDepth;
  m_Clip = m_ClipStack[m_ClipDepth];
  m_ClipEmpty = m_ClipEmptyStack[m_ClipDepth];
  return 1;
}

// ---- palette and window ----

int32_t CScreenBase::SetPalette(const CPalette* palette) {
  if (!palette) return 0;
  if (!m_pActiveMode || !m_pActiveMode->Indexed) return 1;
  if (palette != &m_Palette) m_Palette.Clone(palette);
  m_Palette.m_FirstIndex = 0;
  m_Palette.m_LastIndex = 255;
  xDiscardInverseTable();
  xWindowManagerRemapDefaults();
  return 1;
}

CPalette* CScreenBase::GetPalette() { return &m_Palette; }

int32_t CScreenBase::GetScreenPos(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  if (x) *x = 0;
  if (y) *y = 0;
  if (width) *width = m_pActiveMode ? m_pActiveMode->Width : 0;
  if (height) *height = m_pActiveMode ? m_pActiveMode->Height : 0;
  return 1;
}

int32_t CScreenBase::SetScreenPos(int32_t, int32_t) { return 1; }
int32_t CScreenBase::SetScreenSize(int32_t, int32_t) { return 1; }
int32_t CScreenBase::SetSystemPalette() { return 1; }
