#include "ostrel/input/mouse.h"

#include <algorithm>

#include "ostrel/input/cursorsprite.h"
#include "ostrel/system/runtimeobjects.h"

namespace {
// Relative mode keeps the pointer at this point of the window.
constexpr int32_t kCentreX = 320;
constexpr int32_t kCentreY = 240;
constexpr uint32_t kFollowPeriodMs = 20;
constexpr int32_t kWindowMode = 1;
}  // namespace

CMouseBase::CMouseBase() = default;

CMouseBase::~CMouseBase() { Exit(); }

TMouseCursor* CMouseBase::FindCursor(uint32_t id) {
  for (TMouseCursor& c : m_Cursors) {
    if (c.m_Id == id) return &c;
  }
  return nullptr;
}

void CMouseBase::FreeCursorRecord(TMouseCursor& c) {
  delete c.m_pSprite;
  c.m_pSprite = nullptr;
  if (c.m_pOwnedBitmap) {
    if (const TCursorPictures* pictures = xGetCursorPictures(); pictures && pictures->m_pDelete) {
      pictures->m_pDelete(c.m_pOwnedBitmap);
    }
    c.m_pOwnedBitmap = nullptr;
  }
}

uint32_t CMouseBase::AllocCursor(CBitmap* bitmap, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int16_t a,
                                 int16_t b) {
  const TCursorPictures* pictures = xGetCursorPictures();
  if (!bitmap || !pictures || !pictures->m_pCreate) return 0;
  CCursorSprite* sprite = pictures->m_pCreate(bitmap, frames, frameWidth, frameHeight, m_X, m_Y);
  if (!sprite) return 0;
  const uint32_t id = m_NextCursorId++;
  m_Cursors.push_back({id, sprite, nullptr, a, b});
  if (!m_CurrentCursor) m_CurrentCursor = id;
  // A sprite is made visible; without own cursors none may show.
  if (!(m_Flags & XMOUSE_OWNCURSOR)) sprite->Show(0);
  return id;
}

uint32_t CMouseBase::AllocCursor(const char* file, TPoint* frames, int32_t frameWidth, int32_t frameHeight, int16_t a,
                                 int16_t b) {
  const TCursorPictures* pictures = xGetCursorPictures();
  if (!file || !pictures || !pictures->m_pLoad) return 0;
  CBitmap* bitmap = pictures->m_pLoad(file);
  if (!bitmap) return 0;
  const uint32_t id = AllocCursor(bitmap, frames, frameWidth, frameHeight, a, b);
  if (!id) {
    if (pictures->m_pDelete) pictures->m_pDelete(bitmap);
    return 0;
  }
  FindCursor(id)->m_pOwnedBitmap = bitmap;
  return id;
}

int32_t CMouseBase::FreeCursor(uint32_t id) {
  for (auto it = m_Cursors.begin(); it != m_Cursors.end(); ++it) {
    if (it->m_Id != id) continue;
    FreeCursorRecord(*it);
    m_Cursors.erase(it);
    if (m_CurrentCursor == id) m_CurrentCursor = 0;
    return 1;
  }
  return 0;
}

void CMouseBase::FreeAllCursors() {
  for (TMouseCursor& c : m_Cursors) FreeCursorRecord(c);
  m_Cursors.clear();
  m_CurrentCursor = 0;
}

void CMouseBase::Exit() {
  FreeAllCursors();
  m_DeltaHandlers.clear();
}

void CMouseBase::SetCursor(uint32_t id, int32_t frame) {
  if (m_Flags & XMOUSE_OWNCURSOR) {
    for (TMouseCursor& c : m_Cursors) {
      if (c.m_Id != id) {
        c.m_pSprite->Show(0);
        continue;
      }
      c.m_pSprite->Show(1);
      m_CurrentCursor = id;
      if (frame != 0) c.m_pSprite->SetFrame(frame);
      c.m_pSprite->StopAnim();
    }
  } else {
    for (TMouseCursor& c : m_Cursors) c.m_pSprite->Show(0);
  }
  m_CursorSet = 1;
}

void CMouseBase::StartAnim(uint32_t id, int32_t flags, float delay) {
  if (id != 0) SetCursor(id, 0);
  if (TMouseCursor* c = FindCursor(m_CurrentCursor)) c->m_pSprite->StartAnim(flags, delay);
}

void CMouseBase::StopAnim() {
  if (TMouseCursor* c = FindCursor(m_CurrentCursor)) c->m_pSprite->StopAnim();
}

void CMouseBase::SetPos(int32_t x, int32_t y) {
  m_X = x;
  m_Y = y;
  m_DX = 0;
  m_DY = 0;
}

void CMouseBase::GetState(int32_t* x, int32_t* y, uint8_t* buttons) const {
  if (x) *x = m_X;
  if (y) *y = m_Y;
  if (buttons) *buttons = static_cast<uint8_t>(m_Buttons & 0xFF);
}

void CMouseBase::GetBtnState(int32_t* buttons) {
  if (buttons) *buttons = static_cast<int32_t>(m_Buttons);
  m_Buttons &= ~XMOUSE_EVENT_BITS;
}

void CMouseBase::GetDelta(int32_t* dx, int32_t* dy, uint8_t* buttons) {
  if (dx) *dx = m_DX;
  if (dy) *dy = m_DY;
  if (buttons) *buttons = static_cast<uint8_t>(m_Buttons & 0xFF);
  m_DX = 0;
  m_DY = 0;
}

int32_t CMouseBase::GetDeltaHandler(int32_t* id) {
  if (!id) return 0;
  const int32_t newId = m_NextDeltaId++;
  m_DeltaHandlers.push_back({newId, 0, 0});
  *id = newId;
  return newId;
}

void CMouseBase::SetMouseScale(int32_t pictureWidth, int32_t pictureHeight, int32_t shownWidth,
                               int32_t shownHeight) {
  const bool on = pictureWidth > 0 && pictureHeight > 0 && shownWidth > 0 && shownHeight > 0;
  m_PictureWidth = on ? pictureWidth : 0;
  m_PictureHeight = on ? pictureHeight : 0;
  m_ShownWidth = on ? shownWidth : 0;
  m_ShownHeight = on ? shownHeight : 0;
}

void CMouseBase::WindowToPicture(int32_t wx, int32_t wy, int32_t& x, int32_t& y) const {
  x = wx - m_AddX;
  y = wy - m_AddY;
  if (m_PictureWidth == 0) return;
  // The pointer may stand on the border around the picture; the picture's edge is nearest.
  const int64_t sx = static_cast<int64_t>(x) * m_PictureWidth / m_ShownWidth;
  const int64_t sy = static_cast<int64_t>(y) * m_PictureHeight / m_ShownHeight;
  x = static_cast<int32_t>(std::clamp<int64_t>(sx, 0, m_PictureWidth - 1));
  y = static_cast<int32_t>(std::clamp<int64_t>(sy, 0, m_PictureHeight - 1));
}

CMouse::CMouse() {
  static constexpr uint32_t kMessages[] = {XMSG_MOUSEMOVE, XMSG_LBUTTONDOWN, XMSG_LBUTTONUP,  XMSG_RBUTTONDOWN,
                                           XMSG_RBUTTONUP, XMSG_ACTIVATEAPP, XMSG_SETCURSOR};
  for (uint32_t m : kMessages) RegisterWinMsg(this, m);
  const CDisplayBackend* display = PlatformDisplay();
  if (display->HasSystemCursor(EDisplayCursor::Hand)) m_Finger = EDisplayCursor::Hand;
  if (display->HasSystemCursor(EDisplayCursor::TextBeam)) m_Beam = EDisplayCursor::TextBeam;
}

CMouse::~CMouse() { Exit(); }

int32_t CMouse::Init() {
  CDisplayBackend* display = PlatformDisplay();
  if (!display->HasMouse()) return 0;
  const int32_t kind = xCurrentScreenWindowKind();
  // Without a screen mode yet the window is an ordinary one.
  if (kind >= 0 && kind != kWindowMode) {
    SetFlag(XMOUSE_OWNCURSOR, 1);
    display->ShowPointer(false);
    AddTimer(kFollowPeriodMs);
  } else {
    SetFlag(XMOUSE_OWNCURSOR, 0);
    display->ShowPointer(true);
    RemoveTimer(kFollowPeriodMs);
  }
  return 1;
}

void CMouse::SetCursor(uint32_t id, int32_t frame) {
  CMouseBase::SetCursor(id, frame);
  if (m_Flags & XMOUSE_OWNCURSOR) return;
  const EDisplayCursor cursor = id == XCURSOR_TEXTBEAM ? m_Beam : id == XCURSOR_FINGER ? m_Finger : m_Arrow;
  PlatformDisplay()->SetSystemCursor(cursor);
}

void CMouse::SetFingerResourceId(uint16_t) {
  // The program may have put its own finger picture in place of a hand cursor the desktop lacks.
  if (PlatformDisplay()->HasSystemCursor(EDisplayCursor::Hand)) m_Finger = EDisplayCursor::Hand;
}

intptr_t CMouse::WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t) {
  switch (message) {
    case XMSG_ACTIVATEAPP:
      if (wParam && (m_Flags & (XMOUSE_NEEDDELTA | XMOUSE_OWNCURSOR))) WarpToCentre();
      break;
    case XMSG_MOUSEMOVE:
      if (!m_SeenFirstMove) {
        m_SeenFirstMove = true;
        break;
      }
      OnPointer(wParam);
      break;
    case XMSG_LBUTTONDOWN:
    case XMSG_LBUTTONUP:
    case XMSG_RBUTTONDOWN:
    case XMSG_RBUTTONUP:
      OnPointer(wParam);
      break;
    default:
      break;
  }
  return 0;
}

void CMouse::WarpToCentre() {
  // The centre of the window, where relative mode holds the pointer (the desktop's (320, 240) in
  // full screen): a window elsewhere must not see the warp as a move.
  CDisplayBackend* display = PlatformDisplay();
  int32_t wx = 0, wy = 0, ww = 0, wh = 0;
  display->GetWindowRect(wx, wy, ww, wh);
  display->WarpPointer(wx + kCentreX, wy + kCentreY);
}

void CMouse::OnPointer(uintptr_t keyFlags) {
  CDisplayBackend* display = PlatformDisplay();
  int32_t cx = 0, cy = 0, wx = 0, wy = 0, ww = 0, wh = 0;
  display->GetPointerPos(cx, cy);
  display->GetWindowRect(wx, wy, ww, wh);
  if (m_Flags & XMOUSE_NEEDDELTA) {
    // The pointer is held at the centre; the move the warp itself causes lands there and counts
    // for nothing.
    const int32_t dx = cx - (wx + kCentreX);
    const int32_t dy = cy - (wy + kCentreY);
    if (dx != 0 || dy != 0) {
      m_X += dx;
      m_Y += dy;
      m_DX += dx;
      m_DY += dy;
      display->WarpPointer(wx + kCentreX, wy + kCentreY);
    }
  } else {
    WindowToPicture(cx - wx, cy - wy, m_X, m_Y);
  }

  static constexpr uintptr_t kKeyFlag[3] = {XMK_LBUTTON, XMK_RBUTTON, XMK_MBUTTON};
  uint32_t word = m_Buttons & XMOUSE_EVENT_BITS;
  for (int i = 0; i < 3; ++i) {
    const bool down = (keyFlags & kKeyFlag[i]) != 0;
    const uint32_t bit = 1u << i;
    if (down) word |= bit;
    if (down && !m_Down[i]) word |= bit << XMOUSE_PRESSED_SHIFT;
    if (!down && m_Down[i]) word |= bit << XMOUSE_RELEASED_SHIFT;
    m_Down[i] = down ? 1 : 0;
  }
  m_Buttons = word;
  m_PrevButtons = word;
  if (m_pUpdate) m_pUpdate(m_X, m_Y, static_cast<int32_t>(word));
}

void CMouse::TimerHandler(uint32_t) {
  if (!(m_Flags & XMOUSE_OWNCURSOR)) return;
  // Where the pointer stands on the picture, as the mouse messages see it.
  const CDisplayBackend* display = PlatformDisplay();
  int32_t cx = 0, cy = 0, wx = 0, wy = 0, ww = 0, wh = 0;
  display->GetPointerPos(cx, cy);
  display->GetWindowRect(wx, wy, ww, wh);
  WindowToPicture(cx - wx, cy - wy, m_X, m_Y);
  if (TMouseCursor* c = FindCursor(m_CurrentCursor)) c->m_pSprite->SetPosition(m_X, m_Y);
  if (m_pUpdate) m_pUpdate(m_X, m_Y, static_cast<int32_t>(m_Buttons));
}
