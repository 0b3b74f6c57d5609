#include "spothighlight.h"

#include <algorithm>
#include <new>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

namespace {
CScreenBase* Screen() {
  CScreenBase* screen = glb ? glb->m_pCurrentScreen : nullptr;
  return screen && screen->GetActiveMode() ? screen : nullptr;
}

bool ValidSeat(int32_t seat) { return seat >= 0 && seat < SPOT_SEATS; }

// The light's strength at a sample: its first colour byte, as the picture lies in memory.
int32_t LightByte(const CBitmap& light, int32_t x, int32_t y) {
  if (light.m_BytesPerPixel >= 3)
    return light.m_pData[static_cast<int64_t>(y) * light.m_Pitch + static_cast<int64_t>(x) * light.m_BytesPerPixel];
  TRGBA c;
  return light.GetPixel(x, y, &c) ? c.b : 0;
}
}  // namespace

CSpotHighlight::CSpotHighlight() = default;
CSpotHighlight::~CSpotHighlight() = default;

void CSpotHighlight::Init() {
  m_Selected = -1;
  m_pLight.reset();
  m_pBackground = nullptr;
  FreeLit();
}

int32_t CSpotHighlight::LoadLight(const char* fileName) {
  m_pLight.reset(new (std::nothrow) CBitmap);
  if (!m_pLight || !fileName || !m_pLight->Load(fileName, 0) || m_pLight->m_Width < 1 || m_pLight->m_Height < 1) {
    m_pLight.reset();
    return 0;
  }
  return 1;
}

void CSpotHighlight::SetSpotCoords(const int32_t* coords) {
  for (int32_t v = 0; v < SPOT_VIEWS; ++v)
    for (int32_t s = 0; s < SPOT_SEATS; ++s) {
      const int32_t* c = coords + (v * SPOT_SEATS + s) * 4;
      m_Spots[v][s] = {c[0], c[1], c[2], c[3]};
    }
}

int32_t CSpotHighlight::GetSpot(int32_t view, int32_t seat, CRect* spot) const {
  if (view < 0 || view >= SPOT_VIEWS || !ValidSeat(seat) || !spot) return 0;
  const SSpot& s = m_Spots[view][seat];
  spot->SetXYWH(s.x, s.y, s.w, s.h);
  return 1;
}

void CSpotHighlight::FreeLit() {
  for (int32_t s = 0; s < SPOT_SEATS; ++s) {
    m_pLit[s].reset();
    m_LitArea[s].SetEmpty();
  }
}

std::unique_ptr<CBitmap> CSpotHighlight::MakeLit(const SSpot& spot, const CRect& area) const {
  const int32_t w = area.right - area.left + 1, h = area.bottom - area.top + 1;
  std::unique_ptr<CBitmap> lit(new (std::nothrow) CBitmap);
  if (!lit || !lit->CreateRGB(w, h, 24, 8, 8, 8, 16, 8, 0, 0)) return nullptr;
  const CBitmap& light = *m_pLight;
  // The light is stretched over the whole spot, so a spot cut at the picture's edge keeps the
  // part of the glow that falls on the picture.
  for (int32_t j = 0; j < h; ++j) {
    const int64_t sj = area.top + j - spot.y;
    const int32_t ly = static_cast<int32_t>(sj * light.m_Height / spot.h);
    for (int32_t i = 0; i < w; ++i) {
      const int64_t si = area.left + i - spot.x;
      const int32_t add = LightByte(light, static_cast<int32_t>(si * light.m_Width / spot.w), ly) >> 2;
      TRGBA c;
      m_pBackground->GetPixel(area.left + i, area.top + j, &c);
      c.r = static_cast<uint8_t>(std::min(255, c.r + add));
      c.g = static_cast<uint8_t>(std::min(255, c.g + add));
      c.b = static_cast<uint8_t>(std::min(255, c.b + add));
      lit->PutPixel(i, j, &c);
    }
  }
  return lit;
}

int32_t CSpotHighlight::Build(int32_t view, CBitmap* background) {
  FreeLit();
  if (!m_pLight || !background || view < 0 || view >= SPOT_VIEWS) return 0;
  m_View = view;
  m_pBackground = background;
  const CRect picture(0, 0, background->m_Width - 1, background->m_Height - 1);
  for (int32_t s = 0; s < SPOT_SEATS; ++s) {
    const SSpot& spot = m_Spots[view][s];
    if (spot.w < 1 || spot.h < 1) continue;
    CRect area, given, whole(picture);
    given.SetXYWH(spot.x, spot.y, spot.w, spot.h);
    // A spot past the 32-bit range is as good as off the picture.
    if (given.right < given.left || given.bottom < given.top || !area.Intersect(&given, &whole)) continue;
    m_pLit[s] = MakeLit(spot, area);
    if (!m_pLit[s]) {
      FreeLit();
      return 0;
    }
    if (CScreenBase* screen = Screen()) screen->MakeScreenFormat(m_pLit[s].get(), BLT_NO_KEY_FIXUP);
    m_LitArea[s] = area;
  }
  return 1;
}

int32_t CSpotHighlight::Show(int32_t seat, CRect* out) {
  CScreenBase* screen = Screen();
  if (!ValidSeat(seat) || !m_pLit[seat] || !screen) return 0;
  const CRect& area = m_LitArea[seat];
  screen->DrawBitmapPersistent(m_pLit[seat].get(), 0, 0, area.left, area.top, -1, -1, 0, 0);
  m_Selected = seat;
  if (out) *out = area;
  return 1;
}

int32_t CSpotHighlight::Hide(int32_t seat, CRect* out) {
  CScreenBase* screen = Screen();
  if (!ValidSeat(seat) || !m_pLit[seat] || !m_pBackground || !screen) return 0;
  const CRect& area = m_LitArea[seat];
  screen->PushClip();
  screen->SetClip(0, 0, 800, 600);
  screen->DrawBitmapPersistent(m_pBackground, area.left, area.top, area.left, area.top, area.right - area.left + 1,
                               area.bottom - area.top + 1, 0, 0);
  screen->PopClip();
  if (out) *out = area;
  return 1;
}

void CSpotHighlight::Free() {
  m_pLight.reset();
  FreeLit();
}
