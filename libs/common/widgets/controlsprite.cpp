#include "common/widgets/controlsprite.h"

#include <cstddef>

#include "ostrel/controls/guidraw.h"
#include "ostrel/graphics/bitmap.h"

namespace {
constexpr uint32_t kSpriteStaticFlags = 262;  // see-through on the strip's first pixel, with a bitmap
}  // namespace

int32_t CControlSprite::Create(CBitmap* strip, const TPoint* frames, int32_t width, int32_t height, int32_t x,
                               int32_t y, int32_t flags, int32_t delay, int32_t mode) {
  m_Frames.clear();
  m_CurrentFrame = 0;
  if (!strip || width < 1 || height < 1) return 0;
  if (frames) {
    for (int32_t k = 0; k < CONTROLSPRITE_MAX_FRAMES && frames[k].x != -1 && frames[k].y != -1; ++k)
      m_Frames.push_back(frames[k]);
  } else {
    for (int32_t k = 0; k < strip->m_Width / width; ++k) m_Frames.push_back(TPoint{k * width, 0});
  }
  if (m_Frames.empty()) return 0;
  m_SpriteFlags = flags;
  m_Delay = delay;
  m_Mode = mode;
  CStatic::Create("", x, y, width, height, kSpriteStaticFlags);
  SetBitmap(strip, strip, strip, strip);
  SetCurrentFrame(0);
  return 1;
}

void CControlSprite::SetCurrentFrame(int32_t k) {
  if (k < 0 || k >= GetNumFrames()) return;
  m_CurrentFrame = k;
  const TPoint& f = m_Frames[static_cast<size_t>(k)];
  CRect clip(f.x, f.y, f.x + m_Width - 1, f.y + m_Height - 1);
  SetBkgClip(&clip);
  Validate();
}

void CControlSprite::SetPosition(int32_t x, int32_t y) {
  xGuiAddClearAreaGui(ScreenRect());
  SetPos(x, y);
  Validate();
}

void CControlSprite::SetBaseFlag(int32_t bits) {
  if (!(bits & CONTROLSPRITE_VISIBLE)) return;
  SetState(XGUI_RELEASED);
  Validate();
}

void CControlSprite::ClearBaseFlag(int32_t bits) {
  if (!(bits & CONTROLSPRITE_VISIBLE)) return;
  SetState(XGUI_HIDDEN);
  Validate();
}
