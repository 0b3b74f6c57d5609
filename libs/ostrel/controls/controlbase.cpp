#include "ostrel/controls/controlbase.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"
#include "ostrel/containers/llist.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/crypto/md5.h"
#include "ostrel/crypto/random.h"
#include "ostrel/dialogs/frame.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/bitmap.h"
#include "ostrel/system/clock.h"

namespace {
constexpr uint32_t kLineTimer = 20;
constexpr int32_t kMaxLineSteps = 5;
constexpr int32_t kHashSize = CMD5::BASE16_SIZE;
constexpr uint32_t kCaseFlags = CNTRL_INITIALCAPITAL | CNTRL_UPPERCASE | CNTRL_LOWERCASE;

// The look slot of an animation or script slot number (1 pressed, 2 normal, 3 highlighted,
// 4 disabled); -1 for others.
int32_t LookOfSlotNumber(int32_t slot) {
  switch (slot) {
    case 1: return LOOK_PRESSED;
    case 2: return LOOK_NORMAL;
    case 3: return LOOK_HIGHLIGHT;
    case 4: return LOOK_DISABLED;
    default: return -1;
  }
}

bool Overlaps(const CRect& a, const CRect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

void DeleteLines(CLList* lines) {
  if (!lines) return;
  for (int16_t more = lines->First(); more; more = lines->Next()) delete static_cast<TAnimLine*>(lines->Get());
  lines->KillAll();
}
}  // namespace

CControlBase::CControlBase() {
  CWinCtrl* wc = xWinCtrl();
  m_Cursor = wc ? wc->GetDefaultCursor() : GUI_CURSOR_DEFAULT;
}

CControlBase::~CControlBase() {
  CControlBase::Destroy();
  FreeLines();
  delete[] m_pHashedText;
  m_pHashedText = nullptr;
  if (CWinCtrl* wc = xWinCtrl()) wc->ForgetTemplate(this);
  // A control deleted while a window still lists it leaves the list.
  if (m_pParent) m_pParent->RemoveCntrl(this);
}

// --- Identity, place and flags ---

int32_t CControlBase::Create(int32_t id) {
  m_Id = id;
  return 1;
}

int32_t CControlBase::Destroy() {
  RemoveAllTimers();
  m_Id = 0;
  FreeText();
  delete[] m_pHashedText;
  m_pHashedText = nullptr;
  return 1;
}

int32_t CControlBase::Copy(CControlBase* other) {
  if (!other || other == this) return 0;
  CopyLook(other);
  m_Flags = other->m_Flags;
  SetSize(other->m_Width, other->m_Height);
  if (other->m_pText) {
    // A borrowed text is copied with its terminator; an owned one whole.
    const size_t size = other->m_BufferOwned ? static_cast<size_t>(other->m_BufferSize) : std::strlen(other->m_pText) + 1;
    if (size > static_cast<size_t>(CNTRL_MAX_BUFFER)) return 0;
    char* copy = new (std::nothrow) char[size];
    if (!copy) return 0;
    std::memcpy(copy, other->m_pText, size);
    FreeText();
    m_pText = copy;
    m_BufferOwned = 1;
    m_BufferSize = static_cast<int32_t>(size);
  } else {
    FreeText();
  }
  m_State = m_RequestedState = other->m_State;
  const int32_t slot = SlotOfState(m_State);
  if (slot >= 0 && slot < 3 && (m_Flags & AnimFlagOfSlot(slot)) && m_Look.m_pAnims[slot])
    AddTimer(m_Look.m_pAnims[slot]->m_Delay);
  return 1;
}

void CControlBase::CopyLook(const CControlBase* other) {
  if (!other || other == this) return;
  CLList* lines[LOOK_SLOTS];
  TAnimLine* current[LOOK_SLOTS];
  std::copy(std::begin(m_Look.m_pLines), std::end(m_Look.m_pLines), lines);
  std::copy(std::begin(m_Look.m_pCurLine), std::end(m_Look.m_pCurLine), current);
  m_Look = other->m_Look;
  std::copy(std::begin(lines), std::end(lines), m_Look.m_pLines);
  std::copy(std::begin(current), std::end(current), m_Look.m_pCurLine);
}

void CControlBase::TakeDefaultLook(TCntrlColor* const* sets, bool buttonCursor, int32_t templateKind) {
  CWinCtrl* wc = xWinCtrl();
  if (!wc) return;
  if (sets) SetColors(sets[0], sets[1], sets[2], sets[3]);
  m_Look.m_pFont = wc->GetDefaultFont();
  m_Cursor = buttonCursor ? wc->GetButtonCursor() : wc->GetDefaultCursor();
  if (templateKind >= 0) CopyLook(wc->GetTemplate(templateKind));
}

int32_t CControlBase::LoseHotKey() {
  if (m_Press == 2) {
    m_Press = 0;
    m_RequestedState = XGUI_RELEASED;
    Notify(GUIMSG_COMMAND);
    Invalidate();
  }
  return 1;
}

int32_t CControlBase::SetFont(CFont* font, const TRGBA* colour) {
  m_Look.m_pFont = font;
  if (colour) SetTextColor(*colour);
  return 1;
}

int32_t CControlBase::SetTextColor(TRGBA colour) {
  m_Look.m_TextColor = colour;
  if (m_Look.m_pFont) xGuiFontColor(m_Look.m_pFont, colour);
  return 1;
}

int32_t CControlBase::SetBitmap(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled) {
  m_Look.m_pBitmaps[LOOK_NORMAL] = normal;
  m_Look.m_pBitmaps[LOOK_PRESSED] = pressed;
  m_Look.m_pBitmaps[LOOK_HIGHLIGHT] = highlighted;
  m_Look.m_pBitmaps[LOOK_DISABLED] = disabled;
  return 1;
}

int32_t CControlBase::SetColors(TCntrlColor* normal, TCntrlColor* pressed, TCntrlColor* highlighted,
                                TCntrlColor* disabled) {
  m_Look.m_pColors[LOOK_NORMAL] = normal;
  m_Look.m_pColors[LOOK_PRESSED] = pressed;
  m_Look.m_pColors[LOOK_HIGHLIGHT] = highlighted;
  m_Look.m_pColors[LOOK_DISABLED] = disabled;
  return 1;
}

int32_t CControlBase::SetBevelSize(int32_t bevel) {
  m_Look.m_Bevel = bevel;
  return 1;
}

int32_t CControlBase::SetDefault() { return 1; }

int32_t CControlBase::SetID(int32_t id) {
  m_Id = id;
  return 1;
}

int32_t CControlBase::GetID() { return m_Id; }

int32_t CControlBase::GetPos(int32_t& x, int32_t& y) {
  x = m_X;
  y = m_Y;
  return 1;
}

int32_t CControlBase::SetPos(int32_t x, int32_t y) {
  m_X = x;
  m_Y = y;
  m_Rect.SetXYWH(m_X, m_Y, m_Width, m_Height);
  return 1;
}

int32_t CControlBase::GetSize(int32_t& width, int32_t& height) {
  width = m_Width;
  height = m_Height;
  return 1;
}

int32_t CControlBase::SetSize(int32_t width, int32_t height) {
  m_Width = width;
  m_Height = height;
  m_Rect.SetXYWH(m_X, m_Y, m_Width, m_Height);
  return 1;
}

int32_t CControlBase::SetHotkey(int16_t key) {
  m_HotKey = key;
  return 1;
}

int16_t CControlBase::GetHotkey() { return m_HotKey; }

int32_t CControlBase::SetFlag(uint32_t flags) {
  m_Flags |= flags;
  return 1;
}

uint32_t CControlBase::GetFlags() { return m_Flags; }

int32_t CControlBase::GetParent(int32_t* windowId, CWindowBase** window) {
  if (!windowId) return 0;
  *windowId = m_WindowId;
  if (window) *window = m_pParent;
  return 1;
}

int32_t CControlBase::SetParent(int32_t windowId, CWindowBase* window) {
  m_WindowId = windowId;
  m_pParent = window;
  m_WinHighlightsInactive = window && (window->GetFlags() & XWIN_HIGHLIGHTIFINACTIVE) ? 1 : 0;
  return 1;
}

int32_t CControlBase::RemoveFlag(uint32_t flags) {
  m_Flags &= ~flags;
  return 1;
}

int32_t CControlBase::GetMouseArea(CRect* area) {
  if (!area) return 0;
  area->Copy(&m_Rect);
  return 1;
}

int32_t CControlBase::GetSelected() { return 0; }
int32_t CControlBase::SetSelected(int32_t) { return 0; }
int32_t CControlBase::GetState() { return m_State; }

int32_t CControlBase::SetAlpha(int32_t alpha) {
  m_Look.m_Alpha = alpha;
  return 1;
}

int32_t CControlBase::SetCntrlMessagingSystem(int32_t parentId) {
  m_MessageTarget = parentId;
  return 1;
}

void CControlBase::SetBkgClip(CRect* clip) {
  if (!clip) return;
  CRect c = *clip;
  c.Normalize();
  c.right = std::min(c.right, c.left + m_Width - 1);
  c.bottom = std::min(c.bottom, c.top + m_Height - 1);
  m_Look.m_BkgClip = c;
}

CRect CControlBase::ScreenRect() const {
  int32_t wx = 0, wy = 0;
  if (m_pParent) m_pParent->GetPos(wx, wy);
  CRect r;
  r.SetXYWH(wx + m_X, wy + m_Y, m_Width, m_Height);
  return r;
}

int32_t CControlBase::WindowFlagsOr0() const { return m_pParent ? static_cast<int32_t>(m_pParent->GetFlags()) : 0; }

int32_t CControlBase::Notify(int32_t msg) {
  CWinCtrl* wc = xWinCtrl();
  return wc ? wc->SendMessage(msg, m_WindowId, m_Id, m_MessageTarget, nullptr) : 0;
}

// --- Input and drawing ---

int32_t CControlBase::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t, void*) {
  if (msg == GUIMSG_MOUSE) {
    const bool inside = m_Rect.IsPntInRect(a, b);
    if (inside && !m_Hover) {
      m_Hover = 1;
      Notify(GUIMSG_MOUSEENTER);
    } else if (!inside && m_Hover) {
      m_Hover = 0;
      Notify(GUIMSG_MOUSELEAVE);
    }
  }
  return 1;
}

int32_t CControlBase::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  const bool seeThrough = ((m_Flags & CNTRL_ALPHA) && m_Id != XCNTRL_FRAME) || (m_Flags & CNTRL_TRANSPARENT);
  if (seeThrough && (WindowFlagsOr0() & XWIN_ALPHA))
    xGuiAddClearArea(x + m_X, y + m_Y, x + m_X + m_Width + 1, y + m_Y + m_Height + 1);
  m_NeedsDraw = 0;
  return 1;
}

int32_t CControlBase::Validate() {
  CRect r = ScreenRect();
  if (m_Flags & CNTRL_BUTTONBORDER) r.Inflate(1, 1);
  if (m_pParent) xGuiAddShadowArea(r);
  m_NeedsDraw = 1;
  if (!(m_Flags & (CNTRL_ALPHA | CNTRL_TRANSPARENT)) || m_Id == XCNTRL_FRAME || !m_pParent) return 1;
  const uint32_t windowFlags = m_pParent->GetFlags();
  bool coveredBelow = (m_Flags & CNTRL_HASBITMAP) && !(m_Flags & CNTRL_BMTRANS);
  if (CFrame* frame = m_pParent->GetFrame()) {
    const uint32_t ff = frame->GetFlags();
    if (!((ff & CNTRL_TRANSPARENT) && !(ff & CNTRL_HASBITMAP))) coveredBelow = true;
  }
  if (!coveredBelow || (windowFlags & XWIN_ALPHA)) {
    const CRect s = ScreenRect();
    xGuiAddClearAreaGui(s.left, s.top, s.left + m_Width, s.top + m_Height);
  }
  return 1;
}

int32_t CControlBase::Validate(CRect* area, int32_t) {
  if (!area) return 0;
  CRect mine = ScreenRect();
  if (m_Flags & CNTRL_BUTTONBORDER) mine.Inflate(1, 1);
  return AddClip(mine, *area);
}

int32_t CControlBase::AddClip(CRect mine, const CRect& area) {
  CRect theirs = area;
  CRect part;
  if (!part.Intersect(&mine, &theirs)) return 0;
  if (m_Flags & CNTRL_ALPHA) {
    for (int32_t i = 0; i < m_ClipCount; ++i) {
      if (Overlaps(m_ClipList[i], part)) {
        CRect old = m_ClipList[i];
        m_ClipList[i].Union(&old, &part);
        return 1;
      }
    }
  }
  if (m_ClipCount == CNTRL_CLIP_SIZE) {
    // A full list becomes its bounding rectangle, which then takes the new part too.
    CRect all = m_ClipList[0];
    for (int32_t i = 1; i < m_ClipCount; ++i) {
      CRect prev = all;
      all.Union(&prev, &m_ClipList[i]);
    }
    m_ClipList[0].Union(&all, &part);
    m_ClipCount = 1;
    return 1;
  }
  m_ClipList[m_ClipCount++] = part;
  return 1;
}

int32_t CControlBase::ClearClipListIndex() {
  m_ClipCount = 0;
  return 1;
}

int32_t CControlBase::DrawBitmap(CBitmap* bitmap, int32_t x, int32_t y) {
  CRect target;
  target.SetXYWH(x + m_Look.m_BitmapX, y + m_Look.m_BitmapY, m_Width, m_Height);
  if (m_Flags & CNTRL_EXTRUDED) target.Inflate(-m_Look.m_Bevel, -m_Look.m_Bevel);
  if (target.right < target.left || target.bottom < target.top) return 0;
  const int32_t mode = (m_Flags & CNTRL_BMTRANS) ? 1 : 0;
  const int32_t w = target.right - target.left + 1;
  const int32_t h = target.bottom - target.top + 1;
  xGuiPushClip();
  xGuiSetSubClip(target);
  auto tile = [&](CBitmap* src, int32_t sx, int32_t sy, int32_t tw, int32_t th) {
    if (tw <= 0 || th <= 0) return;
    for (int32_t ty = target.top; ty <= target.bottom; ty += th)
      for (int32_t tx = target.left; tx <= target.right; tx += tw) xGuiDrawBitmap(src, sx, sy, tx, ty, tw, th, mode);
  };
  if (!bitmap) {
    const CRect* frame = m_Look.m_pCurFrame;
    CBitmap* source = m_Look.m_pFrameSource;
    if (frame && source) {
      const int32_t fw = frame->right - frame->left + 1;
      const int32_t fh = frame->bottom - frame->top + 1;
      if (m_Flags & CNTRL_TILED)
        tile(source, frame->left, frame->top, fw, fh);
      else
        xGuiDrawBitmap(source, frame->left, frame->top, target.left, target.top, std::min(fw, w), std::min(fh, h), mode);
    }
  } else if (m_Flags & CNTRL_TILED) {
    tile(bitmap, 0, 0, bitmap->m_Width, bitmap->m_Height);
  } else if (!m_Look.m_BkgClip.IsNull()) {
    const CRect& c = m_Look.m_BkgClip;
    xGuiDrawBitmap(bitmap, c.left, c.top, target.left, target.top, c.right - c.left + 1, c.bottom - c.top + 1, mode);
  } else {
    xGuiDrawBitmap(bitmap, 0, 0, target.left, target.top, std::min(w, bitmap->m_Width), std::min(h, bitmap->m_Height),
                   mode);
  }
  xGuiPopClip();
  return 1;
}

// --- States ---

int32_t CControlBase::SlotOfState(int32_t state) {
  switch (state) {
    case XGUI_PRESSED: return LOOK_PRESSED;
    case XGUI_RELEASED: return LOOK_NORMAL;
    case XGUI_HIGHLIGHT: return LOOK_HIGHLIGHT;
    case XGUI_DISABLED: return LOOK_DISABLED;
    default: return -1;
  }
}

uint32_t CControlBase::AnimFlagOfSlot(int32_t slot) {
  switch (slot) {
    case LOOK_NORMAL: return CNTRL_ANIMNORMAL;
    case LOOK_PRESSED: return CNTRL_ANIMPRESSED;
    case LOOK_HIGHLIGHT: return CNTRL_ANIMHIGHLIGHT;
    default: return 0;
  }
}

TCntrlColor* CControlBase::StateColors() const {
  const int32_t slot = SlotOfState(m_State);
  return m_Look.m_pColors[slot < 0 ? LOOK_NORMAL : slot];
}

CBitmap* CControlBase::StateBitmap() const {
  const int32_t slot = SlotOfState(m_State);
  return m_Look.m_pBitmaps[slot < 0 ? LOOK_NORMAL : slot];
}

int32_t CControlBase::SetState(int32_t s) {
  if (s == m_State) return 0;
  if (s == XGUI_RELEASED) {
    if (m_SavedState != XGUI_NOSAVEDSTATE) s = m_SavedState;
    m_SavedState = XGUI_NOSAVEDSTATE;
  } else if (s == XGUI_DISABLED) {
    if (m_State != XGUI_PRESSED && m_State != XGUI_HIDDEN) m_SavedState = m_State;
  } else {
    m_SavedState = XGUI_NOSAVEDSTATE;
  }
  m_RequestedState = s;
  Invalidate();
  return 1;
}

int32_t CControlBase::Invalidate() {
  if (m_RequestedState == m_State) return 0;
  const int32_t oldSlot = SlotOfState(m_State);
  TCntrlAnim* oldAnim = oldSlot >= 0 && oldSlot < 3 && (m_Flags & AnimFlagOfSlot(oldSlot)) ? m_Look.m_pAnims[oldSlot] : nullptr;
  m_State = m_RequestedState;
  const int32_t slot = SlotOfState(m_State);
  if (slot >= 0 && slot < 3 && (m_Flags & AnimFlagOfSlot(slot)) && m_Look.m_pAnims[slot]) {
    TCntrlAnim* anim = m_Look.m_pAnims[slot];
    anim->m_Current = 0;
    m_Look.m_Reverse[slot] = 0;
    ShowFrame(slot);
    AddTimer(anim->m_Delay);
  }
  if (oldAnim) ReleaseTimer(oldAnim->m_Delay);
  if (m_State == XGUI_HIDDEN) xGuiAddClearAreaGui(ScreenRect());
  Validate();
  return 1;
}

// --- Frame animations ---

int32_t CControlBase::NeedsTimer(uint32_t period) const {
  if (period == kLineTimer) {
    for (CLList* lines : m_Look.m_pLines)
      if (lines && lines->GetNumNodes() > 0) return 1;
  }
  const int32_t slot = SlotOfState(m_State);
  if (slot >= 0 && slot < 3 && (m_Flags & AnimFlagOfSlot(slot)) && m_Look.m_pAnims[slot] &&
      m_Look.m_pAnims[slot]->m_Delay == period)
    return 1;
  return 0;
}

void CControlBase::ReleaseTimer(uint32_t period) {
  if (!NeedsTimer(period)) RemoveTimer(period);
}

void CControlBase::ShowFrame(int32_t slot) {
  TCntrlAnim* anim = m_Look.m_pAnims[slot];
  if (!anim || anim->NumFrames() == 0) return;
  anim->m_Current = std::clamp(anim->m_Current, 0, anim->NumFrames() - 1);
  if (anim->m_pSource) {
    m_Look.m_pCurFrame = &anim->m_Rects[static_cast<size_t>(anim->m_Current)];
    m_Look.m_pFrameSource = anim->m_pSource;
    m_Look.m_pBitmaps[slot] = nullptr;
  } else {
    m_Look.m_pBitmaps[slot] = anim->m_Frames[static_cast<size_t>(anim->m_Current)];
  }
}

void CControlBase::StepAnimation(int32_t slot) {
  TCntrlAnim* anim = m_Look.m_pAnims[slot];
  const int32_t n = anim->NumFrames();
  if (n == 0) return;
  int32_t& c = anim->m_Current;
  int32_t& reverse = m_Look.m_Reverse[slot];
  switch (m_Look.m_PlayMode[slot]) {
    case ANIM_ONCE:
      if (c + 1 < n) ++c;
      break;
    case ANIM_LOOP:
      c = c + 1 < n ? c + 1 : 0;
      break;
    case ANIM_PINGPONG:
      if (!reverse) {
        if (c + 1 < n) {
          ++c;
        } else {
          c = n - 1;
          reverse = 1;
        }
      } else if (c - 1 > 0) {
        --c;
      } else {
        c = 0;
        reverse = 0;
      }
      break;
    case ANIM_BACKLOOP:
      c = c > 0 ? c - 1 : n - 1;
      break;
    default:
      break;
  }
  ShowFrame(slot);
  if (m_pParent) {
    if (m_Flags & CNTRL_BMTRANS)
      xGuiAddClearAreaGui(ScreenRect());
    else
      xGuiAddShadowArea(ScreenRect());
  }
}

void CControlBase::TimerHandler(uint32_t period) {
  if (period == kLineTimer) AnimLineHandlerAll();
  if (m_pParent && m_pParent->IsHidden()) return;
  const int32_t slot = SlotOfState(m_State);
  if (slot < 0 || slot > 2) return;
  TCntrlAnim* anim = m_Look.m_pAnims[slot];
  if (!(m_Flags & AnimFlagOfSlot(slot)) || !anim || anim->m_Delay != period) return;
  StepAnimation(slot);
}

int32_t CControlBase::SetAnimBitmap(TCntrlAnim* anim, int32_t slot, int32_t mode) {
  const int32_t look = LookOfSlotNumber(slot);
  if (look < 0 || !anim) return 0;
  if (const uint32_t flag = AnimFlagOfSlot(look)) SetFlag(flag);
  m_Look.m_pAnims[look] = anim;
  if (look < 3) {
    m_Look.m_PlayMode[look] = mode;
    m_Look.m_Reverse[look] = 0;
  }
  ShowFrame(look);
  AddTimer(anim->m_Delay);
  return 1;
}

int32_t CControlBase::SetFrameRate(int32_t which, int32_t delay) {
  if (delay < 1) return 0;
  int32_t first;
  switch (which) {
    case 2: first = 0; break;
    case 1: first = 1; break;
    case 3: first = 2; break;
    default: return 0;
  }
  // In the order normal, pressed, highlighted.
  static constexpr int32_t kOrder[3] = {LOOK_NORMAL, LOOK_PRESSED, LOOK_HIGHLIGHT};
  int32_t result = 1;
  for (int32_t i = first; i < 3; ++i) {
    const int32_t slot = kOrder[i];
    if (!(m_Flags & AnimFlagOfSlot(slot))) continue;
    TCntrlAnim* anim = m_Look.m_pAnims[slot];
    if (!anim) {
      result = 0;
      continue;
    }
    const uint32_t old = anim->m_Delay;
    anim->m_Delay = static_cast<uint32_t>(delay);
    if (old != anim->m_Delay) ReleaseTimer(old);
    AddTimer(anim->m_Delay);
  }
  return result;
}

// --- Animation scripts ---

int32_t CControlBase::SetAnimLine(int32_t slot, const char* name, uint32_t minBefore, uint32_t maxBefore,
                                  TCntrlAnim* anim, uint32_t minAfter, uint32_t maxAfter, const char* next1,
                                  const char* next2, const char* next3, const char* next4, const char* next5) {
  const int32_t look = LookOfSlotNumber(slot);
  if (look < 0 || !name) return 0;
  CLList*& lines = m_Look.m_pLines[look];
  if (!lines) {
    lines = new (std::nothrow) CLList;
    if (!lines) return 0;
  }
  auto* line = new (std::nothrow) TAnimLine;
  if (!line) return 0;
  xStrncpy(line->m_Name, name, ANIMLINE_NAME_SIZE - 1);
  line->m_Name[ANIMLINE_NAME_SIZE - 1] = '\0';
  line->m_MinBefore = minBefore;
  line->m_MaxBefore = maxBefore;
  line->m_pAnim = anim;
  line->m_MinAfter = minAfter;
  line->m_MaxAfter = maxAfter;
  line->m_pSuccessors = new (std::nothrow) CLList;
  if (!line->m_pSuccessors) {
    delete line;
    return 0;
  }
  for (const char* next : {next1, next2, next3, next4, next5}) {
    if (next && !SetAnimLine_InsertNewAnimLine(line->m_pSuccessors, next)) {
      delete line;
      return 0;
    }
  }
  if (!lines->InsertLast(line)) {
    delete line;
    return 0;
  }
  return AddTimer(kLineTimer);
}

int32_t CControlBase::SetAnimLine_InsertNewAnimLine(CLList* successors, const char* name) {
  if (!successors || !name) return 0;
  char* copy = xStrdup(name);
  if (!copy) return 0;
  if (!successors->InsertLast(copy)) {
    xFree(copy);
    return 0;
  }
  return 1;
}

void CControlBase::FreeLines() {
  for (int32_t i = 0; i < LOOK_SLOTS; ++i) {
    DeleteLines(m_Look.m_pLines[i]);
    delete m_Look.m_pLines[i];
    m_Look.m_pLines[i] = nullptr;
    m_Look.m_pCurLine[i] = nullptr;
  }
}

int32_t CControlBase::AnimLineHandler(CBitmap*& slotBitmap, TCntrlAnim*& slotAnim, TAnimLine*& line, CLList*& lines,
                                      TPMode& mode, uint32_t animFlag) {
  if (!lines || lines->GetNumNodes() == 0) {
    line = nullptr;
    return 0;
  }
  if (!line) {
    line = static_cast<TAnimLine*>(lines->Get(0));
    line->m_Step = 0;
  }
  // A wait drawn from [min, max); equal bounds wait exactly that long.
  auto drawWait = [&](uint32_t lo, uint32_t hi, int32_t waitStep, int32_t doneStep) {
    const uint32_t wait = hi > lo ? lo + xRand(hi - lo) : lo;
    if (wait == 0) {
      line->m_Step = doneStep;
      return;
    }
    line->m_WaitStart = xGetTime();
    line->m_Wait = wait;
    line->m_Step = waitStep;
  };
  for (int32_t i = 0; i < kMaxLineSteps && line; ++i) {
    TAnimLine* const before = line;
    const int32_t step = line->m_Step;
    switch (step) {
      case 0: line->m_Step = 1; break;
      case 1: line->m_Step = 2; break;
      case 2: drawWait(line->m_MinBefore, line->m_MaxBefore, 3, 4); break;
      case 3:
        if (xTimeDiff(line->m_WaitStart, xGetTime()) > line->m_Wait) line->m_Step = 4;
        break;
      case 4:
        if (TCntrlAnim* anim = line->m_pAnim) {
          slotAnim = anim;
          anim->m_Current = 0;
          if (anim->m_pSource) {
            if (!anim->m_Rects.empty()) {
              m_Look.m_pCurFrame = &anim->m_Rects[0];
              m_Look.m_pFrameSource = anim->m_pSource;
            }
            slotBitmap = nullptr;
          } else if (!anim->m_Frames.empty()) {
            slotBitmap = anim->m_Frames[0];
          }
          // The line plays its animation once, then waits for the last frame.
          mode = ANIM_ONCE;
          SetFlag(animFlag);
          AddTimer(anim->m_Delay);
          Validate();
          line->m_Step = 5;
        } else {
          line->m_Step = 6;
        }
        break;
      case 5:
        if (!slotAnim || slotAnim->IsLastFrame()) {
          TCntrlAnim* anim = slotAnim;
          slotAnim = nullptr;
          RemoveFlag(animFlag);
          if (anim) {
            anim->m_Current = 0;
            ReleaseTimer(anim->m_Delay);
          }
          line->m_Step = 6;
        }
        break;
      case 6: drawWait(line->m_MinAfter, line->m_MaxAfter, 7, 8); break;
      case 7:
        if (xTimeDiff(line->m_WaitStart, xGetTime()) > line->m_Wait) line->m_Step = 8;
        break;
      case 8: {
        TAnimLine* next = nullptr;
        CLList* successors = line->m_pSuccessors;
        const int32_t count = successors ? successors->GetNumNodes() : 0;
        if (count > 0) {
          const auto* name = static_cast<const char*>(successors->Get(static_cast<int32_t>(xRand(static_cast<uint32_t>(count)))));
          if (name && xStricmp(name, "End") != 0) {
            for (int16_t more = lines->First(); more; more = lines->Next()) {
              auto* candidate = static_cast<TAnimLine*>(lines->Get());
              if (xStricmp(candidate->m_Name, name) == 0) {
                next = candidate;
                break;
              }
            }
          }
        }
        if (!next) {
          DeleteLines(lines);
          line = nullptr;
          ReleaseTimer(kLineTimer);
          return 1;
        }
        line = next;
        line->m_Step = 0;
        break;
      }
      default: line->m_Step = 0; break;
    }
    if (line == before && line->m_Step == step) break;
  }
  return 1;
}

int32_t CControlBase::AnimLineHandlerAll() {
  static constexpr int32_t kSlots[3] = {LOOK_NORMAL, LOOK_PRESSED, LOOK_HIGHLIGHT};
  for (int32_t slot : kSlots) {
    AnimLineHandler(m_Look.m_pBitmaps[slot], m_Look.m_pAnims[slot], m_Look.m_pCurLine[slot], m_Look.m_pLines[slot],
                    m_Look.m_PlayMode[slot], AnimFlagOfSlot(slot));
  }
  return 1;
}

// --- Text ---

void CControlBase::FreeText() {
  if (m_BufferOwned) delete[] m_pText;
  m_pText = nullptr;
  m_BufferOwned = 0;
  m_BufferSize = 0;
}

int32_t CControlBase::GetTextBufferSize() { return m_BufferSize; }

char* CControlBase::GetTextBuffer(int32_t validate) {
  if (validate == 1) Validate();
  if (!(m_Flags & CNTRL_MD5)) return m_pText;
  if (!m_pHashedText) {
    m_pHashedText = new (std::nothrow) char[kHashSize];
    if (!m_pHashedText) return nullptr;
  }
  const char* text = m_pText ? m_pText : "";
  CMD5 md5;
  md5.DigestBase16(m_pHashedText, text, std::strlen(text));
  return m_pHashedText;
}

char* CControlBase::GetUnHashedBuffer(int32_t validate) {
  if (validate == 1) Validate();
  return m_pText;
}

int32_t CControlBase::GetTextLength() { return m_pText ? static_cast<int32_t>(std::strlen(m_pText)) : 0; }

char* CControlBase::AllocBuffer(int32_t size) {
  if (size < 1 || size > CNTRL_MAX_BUFFER) return nullptr;
  char* buffer = new (std::nothrow) char[static_cast<size_t>(size)];
  if (!buffer) return nullptr;
  FreeText();
  buffer[0] = '\0';
  m_pText = buffer;
  m_BufferOwned = 1;
  m_BufferSize = size;
  return buffer;
}

int32_t CControlBase::SetText(const char* text) {
  FreeText();
  m_pText = const_cast<char*>(text);  // borrowed: never written through
  FormatText();
  Validate();
  return 1;
}

int32_t CControlBase::FormatText() {
  if (!m_pText || !m_pText[0] || !(m_Flags & kCaseFlags)) return 1;
  if (!m_BufferOwned) {
    // The caller's text stays as it is: the converted text is a copy.
    const char* borrowed = m_pText;
    const size_t length = std::strlen(borrowed);
    if (length + 1 > static_cast<size_t>(CNTRL_MAX_BUFFER)) return 0;
    char* copy = AllocBuffer(static_cast<int32_t>(length + 1));
    if (!copy) return 0;
    std::memcpy(copy, borrowed, length + 1);
  }
  char* p = m_pText;
  if (m_Flags & CNTRL_INITIALCAPITAL) {
    for (char* q = p; *q; ++q) *q = xToLowerAscii(*q);
    p[0] = xToUpperAscii(p[0]);
  } else if (m_Flags & CNTRL_UPPERCASE) {
    for (char* q = p; *q; ++q) *q = xToUpperAscii(*q);
  } else {
    for (char* q = p; *q; ++q) *q = xToLowerAscii(*q);
  }
  return 1;
}
