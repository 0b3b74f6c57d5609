#include "ostrel/graphics/sprite.h"

#include <algorithm>
#include <new>

#include "ostrel/graphics/bitmap.h"
#include "ostrel/screens/screenbase.h"
#include "ostrel/system/globals.h"

CSprite::~CSprite() { Free(); }

CScreenBase* CSprite::Screen() { return glb ? glb->m_pCurrentScreen : nullptr; }

CSprite::SPage& CSprite::CurrentPage() {
  const CScreenBase* screen = Screen();
  const int32_t page = screen ? std::clamp(screen->GetCurrentPage(), 0, SCREEN_PAGES - 1) : 0;
  return m_Pages[page];
}

int32_t CSprite::DrawWidth() const { return std::max(0, std::min(m_Width, m_FrameWidth)); }
int32_t CSprite::DrawHeight() const { return std::max(0, std::min(m_Height, m_FrameHeight)); }

int32_t CSprite::Create(CBitmap* bitmap, const TPoint* frames, int32_t frameWidth, int32_t frameHeight, int32_t x,
                        int32_t y, int32_t flags, int32_t delay, int32_t mode) {
  Free();
  if (!bitmap) return 0;
  if (frameWidth < 1) frameWidth = bitmap->m_Width;
  if (frameHeight < 1) frameHeight = bitmap->m_Height;
  if (frameWidth < 1 || frameHeight < 1) return 0;
  m_pBitmap = bitmap;
  m_FrameWidth = m_Width = frameWidth;
  m_FrameHeight = m_Height = frameHeight;
  m_X = x;
  m_Y = y;
  m_Flags = flags | SPRITE_VISIBLE;
  m_Mode = mode;
  m_Frame = 0;
  m_Status = SPRITE_FORWARD;
  if (delay > 0) {
    m_Delay = delay;
    m_Countdown = 0;
  }

  CScreenBase* screen = Screen();
  const SVmode* screenMode = screen ? screen->GetActiveMode() : nullptr;
  for (SPage& page : m_Pages) {
    auto* saved = new (std::nothrow) CBitmap;
    page = SPage{};
    if (!saved) {
      Free();
      return 0;
    }
    page.m_pSaved = saved;
    int32_t ok;
    if (screenMode && screenMode->Indexed) {
      ok = saved->CreateIndex(frameWidth, frameHeight, 8, screen->GetPalette(), 0);
    } else {
      ok = saved->CreateRGB(frameWidth, frameHeight, 24, 8, 8, 8, 16, 8, 0, 0);
      if (ok && screenMode) ok = screen->MakeScreenFormat(saved, 1);
    }
    if (!ok) {
      Free();
      return 0;
    }
  }

  int32_t count = 0;
  if (frames) {
    while (frames[count].x != -1 && frames[count].y != -1) ++count;
  } else {
    count = bitmap->m_Width / frameWidth;
  }
  if (count > 0) {
    m_pFrames = new (std::nothrow) TPoint[static_cast<size_t>(count)];
    if (!m_pFrames) {
      Free();
      return 0;
    }
    for (int32_t i = 0; i < count; ++i) m_pFrames[i] = frames ? frames[i] : TPoint{i * frameWidth, 0};
  }
  m_NumFrames = count;

  xRegisterMsgHandler(this, XMSG_BUS_DRAW, (m_Flags & SPRITE_LATE) ? BUSPRI_SPRITE_DRAW_LATE : BUSPRI_SPRITE_DRAW);
  xRegisterMsgHandler(this, XMSG_BUS_DRAW, BUSPRI_SPRITE_SAVE);
  xRegisterMsgHandler(this, XMSG_BUS_CLEAR, BUSPRI_SPRITE_RESTORE);
  m_OnBus = true;
  return 1;
}

void CSprite::Free() {
  if (m_OnBus) {
    // A frame drawn and not yet put back would stay on the screen for good.
    if (Screen()) Restore(CurrentPage());
    // Every entry, whatever flag 64 says now: it may have changed since the registration.
    xRemoveMsgHandlers(this);
    m_OnBus = false;
  }
  delete[] m_pFrames;
  m_pFrames = nullptr;
  m_NumFrames = 0;
  for (SPage& page : m_Pages) {
    delete page.m_pSaved;
    page = SPage{};
  }
  m_pBitmap = nullptr;
}

void CSprite::SetCurrentFrame(int32_t frame) {
  if (frame >= 0 && frame < m_NumFrames) m_Frame = frame;
}

void CSprite::SetFrameDelay(int32_t delay) {
  if (delay > 0) m_Delay = delay;
}

void CSprite::SetAnimationStatus(int32_t status) {
  if (status == SPRITE_STOPPED || status == SPRITE_FORWARD || status == SPRITE_BACKWARD) m_Status = status;
}

void CSprite::Restore(SPage& page) {
  if (!page.m_Drawn) return;
  if (CScreenBase* screen = Screen())
    screen->RestoreSpriteScreen(page.m_pSaved, page.m_DrawnRect.left, page.m_DrawnRect.top, page.m_DrawnRect.right,
                                page.m_DrawnRect.bottom);
  // Once only: a second restore would put back what may since have changed underneath.
  page.m_Drawn = 0;
}

int32_t CSprite::MsgHandler(uint32_t message, TMsgParam, TMsgParam) {
  CScreenBase* screen = Screen();
  if (!screen || !m_OnBus) return 1;
  SPage& page = CurrentPage();
  if (message == XMSG_BUS_DRAW) {
    if (!(m_Flags & SPRITE_VISIBLE)) {
      Restore(page);
      page.m_Saved = 0;
    } else if (!page.m_Saved) {
      // A frame still up from a flip without a clear goes first, or it would be saved as background.
      Restore(page);
      screen->UpdateSpriteRestore(m_X, m_Y, DrawWidth(), DrawHeight(), 0, 0, page.m_pSaved);
      page.m_Saved = 1;
    } else {
      Draw();
    }
  } else if (message == XMSG_BUS_CLEAR) {
    Restore(page);
  }
  return 1;
}

void CSprite::Draw() {
  CScreenBase* screen = Screen();
  SPage& page = CurrentPage();
  // The next flip saves afresh, whatever happens here.
  page.m_Saved = 0;
  if (m_Frame < 0 || m_Frame >= m_NumFrames || !screen || !m_pFrames) return;
  const TPoint& corner = m_pFrames[m_Frame];
  const int32_t w = DrawWidth(), h = DrawHeight();
  if (m_Flags & SPRITE_CLIP) {
    if (screen->PushClip()) {
      screen->SetClip(m_Clip.left, m_Clip.top, m_Clip.right, m_Clip.bottom);
      screen->DrawSpriteScreen(m_pBitmap, corner.x, corner.y, m_X, m_Y, w, h, m_Mode, 0);
      screen->PopClip();
    }
  } else {
    screen->DrawSpriteScreen(m_pBitmap, corner.x, corner.y, m_X, m_Y, w, h, m_Mode, 0);
  }
  page.m_DrawnRect.Set(m_X, m_Y, w, h);
  page.m_Drawn = 1;
  if (m_Status != SPRITE_STOPPED && (m_Delay == 0 || m_Countdown == 0)) Animate();
  if (m_Countdown < 1) {
    m_Countdown = m_Delay;
  } else {
    --m_Countdown;
  }
}

void CSprite::Animate() {
  const int32_t last = m_NumFrames - 1;
  switch (m_Flags & SPRITE_ANIM_MASK) {
    case SPRITE_ANIM_LOOP:
      m_Frame = m_Frame >= last ? 0 : m_Frame + 1;
      break;
    case SPRITE_ANIM_ONCE:
      if (m_Frame >= last) {
        m_Status = SPRITE_STOPPED;
      } else {
        ++m_Frame;
      }
      break;
    case SPRITE_ANIM_ONCE_RESET:
      if (m_Frame >= last) {
        m_Status = SPRITE_STOPPED;
        m_Frame = 0;
      } else {
        ++m_Frame;
      }
      break;
    case SPRITE_ANIM_PINGPONG:
    case SPRITE_ANIM_PINGPONG_ONCE: {
      const bool once = (m_Flags & SPRITE_ANIM_MASK) == SPRITE_ANIM_PINGPONG_ONCE;
      if (m_Status == SPRITE_FORWARD) {
        if (m_Frame < last) {
          ++m_Frame;
        } else {
          m_Status = SPRITE_BACKWARD;
          if (m_Frame > 0) --m_Frame;
        }
      } else if (m_Frame >= 1) {
        --m_Frame;
      } else if (!once) {
        m_Status = SPRITE_FORWARD;
        if (last > 0) ++m_Frame;
      }
      if (once && m_Status == SPRITE_BACKWARD && m_Frame == 0) m_Status = SPRITE_STOPPED;
      break;
    }
    default:
      break;
  }
}
