#include "ostrel/dialogs/window.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ostrel/controls/button.h"
#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/frame.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"

namespace {
constexpr int32_t kDefaultFrameBevel = 2;
}  // namespace

CWindowBase::CWindowBase() = default;

CWindowBase::~CWindowBase() {
  if (CWinCtrl* wc = xWinCtrl()) wc->RemoveWindow(this);
  RemoveAllCntrl();
}

// --- Place and flags ---

void CWindowBase::UpdateRect() { m_WinRect.SetXYWH(m_X - 1, m_Y - 1, m_Width + 2, m_Height + 2); }

int32_t CWindowBase::Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  m_Id = id;
  m_X = x;
  m_Y = y;
  m_Width = width;
  m_Height = height;
  m_Flags = flags;
  if (flags & XWIN_CENTER) {
    int32_t sw = 0, sh = 0;
    if (xGuiScreenSize(&sw, &sh)) {
      m_X = std::max(0, (sw - width) / 2);
      m_Y = std::max(0, (sh - height) / 2);
    }
  }
  UpdateRect();
  m_pFocus = nullptr;
  m_pUnderMouse = nullptr;
  m_StaticCntrls = 0;
  m_Active = 1;
  return 1;
}

int32_t CWindowBase::SetPos(int32_t x, int32_t y) {
  xGuiAddClearAreaGui(m_WinRect);
  m_X = x;
  m_Y = y;
  UpdateRect();
  Validate();
  return 1;
}

int32_t CWindowBase::SetSize(int32_t width, int32_t height) {
  xGuiAddClearAreaGui(m_WinRect);
  m_Width = width;
  m_Height = height;
  UpdateRect();
  Validate();
  return 1;
}

int32_t CWindowBase::GetPos(int32_t& x, int32_t& y) const {
  x = m_X;
  y = m_Y;
  return 1;
}

int32_t CWindowBase::GetSize(int32_t& width, int32_t& height) const {
  width = m_Width;
  height = m_Height;
  return 1;
}

int32_t CWindowBase::SetID(int32_t id) {
  m_Id = id;
  // A container re-adds its children as it is re-parented: walk a copy.
  const std::vector<CControlBase*> controls = m_Controls;
  for (CControlBase* c : controls) c->SetParent(id, this);
  if (m_pTitlebar) m_pTitlebar->SetParent(id, this);
  if (m_pFrame) m_pFrame->SetParent(id, this);
  return 1;
}

int32_t CWindowBase::SetFlag(uint32_t flags) {
  m_Flags |= flags;
  return 1;
}

int32_t CWindowBase::RemoveFlag(uint32_t flags) {
  m_Flags &= ~flags;
  return 1;
}

// --- Controls ---

void CWindowBase::ClientOffset(int32_t& dx, int32_t& dy) const {
  dx = 0;
  dy = (m_Flags & XWIN_TITLEBAR) ? TITLEBAR_HEIGHT : 0;
  if ((m_Flags & XWIN_BORDER) && (m_Flags & XWIN_FRAME)) {
    const int32_t bevel = m_pFrame ? m_pFrame->GetLook().m_Bevel : kDefaultFrameBevel;
    dx += bevel;
    dy += bevel;
  }
}

int32_t CWindowBase::AddCntrl(CControlBase* control, int32_t addFlags) {
  if (!control) return 0;
  if (std::find(m_Controls.begin(), m_Controls.end(), control) != m_Controls.end()) return 1;
  int32_t x = 0, y = 0, dx = 0, dy = 0;
  control->GetPos(x, y);
  ClientOffset(dx, dy);
  control->SetPos(x + dx, y + dy);
  if (addFlags & ADDCNTRL_FIRST)
    m_Controls.insert(m_Controls.begin(), control);
  else
    m_Controls.push_back(control);
  control->SetParent(m_Id, this);
  return 1;
}

int32_t CWindowBase::RemoveCntrl(CControlBase* control) {
  auto it = std::find(m_Controls.begin(), m_Controls.end(), control);
  if (it == m_Controls.end()) return 0;
  const size_t index = static_cast<size_t>(it - m_Controls.begin());
  m_Controls.erase(it);
  if (m_Cursor > index) --m_Cursor;
  if (m_pFocus == control) m_pFocus = nullptr;
  if (m_pUnderMouse == control) m_pUnderMouse = nullptr;
  // A control outside every list points at no window, so it never reaches a window gone since.
  CWindowBase* parent = nullptr;
  int32_t parentId = 0;
  if (control->GetParent(&parentId, &parent) && parent == this) control->SetParent(0, nullptr);
  return 1;
}

int32_t CWindowBase::RemoveAllCntrl() {
  while (!m_Controls.empty()) RemoveCntrl(m_Controls.back());
  m_Cursor = 0;
  return 1;
}

int32_t CWindowBase::CntrlFirst() {
  m_Cursor = 0;
  return CntrlExists();
}

int32_t CWindowBase::CntrlNext() {
  if (m_Cursor < m_Controls.size()) ++m_Cursor;
  return CntrlExists();
}

int32_t CWindowBase::CntrlExists() { return m_Cursor < m_Controls.size() ? 1 : 0; }

CControlBase* CWindowBase::GetCntrl() { return m_Cursor < m_Controls.size() ? m_Controls[m_Cursor] : nullptr; }

CControlBase* CWindowBase::FindCntrl(int32_t id) {
  for (CControlBase* c : m_Controls)
    if (c->GetID() == id) return c;
  return nullptr;
}

// --- Focus, visibility, state ---

int32_t CWindowBase::SetFocus(CControlBase* control) {
  m_pFocus = control;
  const int32_t focusId = control ? control->GetID() : 0;
  const std::vector<CControlBase*> controls = m_Controls;
  for (CControlBase* c : controls) {
    if (std::find(m_Controls.begin(), m_Controls.end(), c) == m_Controls.end()) continue;
    c->GuiMsgHandler(GUIMSG_FOCUS, m_Id, focusId, c == control ? 1 : 0, nullptr);
  }
  return 1;
}

int32_t CWindowBase::StaticWindowCntrls(int32_t on) {
  m_StaticCntrls = on;
  m_pFocus = nullptr;
  m_pUnderMouse = nullptr;
  return 1;
}

int32_t CWindowBase::Enable(int32_t on) {
  GuiMsgHandler(GUIMSG_ENABLE, m_Id, 0, on, nullptr);
  return 1;
}

int32_t CWindowBase::HideWindow() {
  m_Flags |= XWIN_HIDDEN;
  xGuiAddClearAreaGui(m_WinRect);
  const std::vector<CControlBase*> controls = m_Controls;
  for (CControlBase* c : controls) c->LoseHotKey();
  return 1;
}

int32_t CWindowBase::ShowWindow() {
  m_Flags &= ~XWIN_HIDDEN;
  if (CWinCtrl* wc = xWinCtrl()) wc->Validate();
  return 1;
}

int32_t CWindowBase::ToFront() {
  CWinCtrl* wc = xWinCtrl();
  return wc ? wc->SendMessage(GUIMSG_TOFRONT, m_Id, 0, 0, nullptr) : 0;
}

int32_t CWindowBase::Draw(int32_t) { return 0; }
int32_t CWindowBase::Validate() { return 0; }
int32_t CWindowBase::Validate(CRect*, int32_t) { return 0; }

int32_t CWindowBase::Destroy() {
  RemoveAllCntrl();
  m_Id = 0;
  m_Flags = 0;
  return 1;
}

// --- Input ---

int32_t CWindowBase::NextTabStop(size_t from) const {
  for (size_t i = from; i < m_Controls.size(); ++i) {
    CControlBase* c = m_Controls[i];
    if ((c->GetFlags() & CNTRL_TABSTOP) && (c->GetState() & 2)) return static_cast<int32_t>(i);
  }
  return -1;
}

void CWindowBase::RouteKey(int32_t a, int32_t b, int32_t c, void* key) {
  if (m_pTitlebar) m_pTitlebar->GuiMsgHandler(GUIMSG_KEY, a, b, c, key);
  if (m_StaticCntrls) return;
  const auto* k = static_cast<const TQueueChar*>(key);
  if (k && k->m_Code == XKEY_TAB && (k->m_Flags & XKEYF_PRESSED) && m_pFocus) {
    auto it = std::find(m_Controls.begin(), m_Controls.end(), m_pFocus);
    const size_t from = it == m_Controls.end() ? 0 : static_cast<size_t>(it - m_Controls.begin()) + 1;
    const int32_t next = NextTabStop(from);
    if (next >= 0) {
      SetFocus(m_Controls[static_cast<size_t>(next)]);
    } else {
      CControlBase* old = m_pFocus;
      old->GuiMsgHandler(GUIMSG_FOCUS, m_Id, old->GetID(), 0, nullptr);
      const int32_t first = NextTabStop(0);
      if (first >= 0) SetFocus(m_Controls[static_cast<size_t>(first)]);
    }
  }
  CControlBase* focus = m_pFocus;
  if (focus && (focus->GetFlags() & CNTRL_TABSTOP) &&
      (!k || k->m_Code != XKEY_ENTER || (focus->GetFlags() & CNTRL_MULTILINE))) {
    focus->GuiMsgHandler(GUIMSG_KEY, a, b, c, key);
    return;
  }
  const std::vector<CControlBase*> controls = m_Controls;
  for (CControlBase* control : controls) {
    if (std::find(m_Controls.begin(), m_Controls.end(), control) == m_Controls.end()) continue;
    control->GuiMsgHandler(GUIMSG_KEY, a, b, c, key);
  }
}

int32_t CWindowBase::RouteMouse(int32_t x, int32_t y, int32_t button) {
  const bool inside = m_WinRect.IsPntInRect(x, y);
  const int32_t rx = x - m_X;
  const int32_t ry = y - m_Y;
  int32_t taken = 0;
  if (m_pTitlebar && m_pTitlebar->GuiMsgHandler(GUIMSG_MOUSE, rx, ry, button, nullptr) == 1) taken = 1;
  if (m_Flags & XWIN_DRAGGING) {
    const int32_t nx = x - m_GrabX;
    const int32_t ny = y - m_GrabY;
    if (m_Flags & XWIN_SYSTEMWINDOW) {
      // The program's own window moves on the desktop; the picture stays where it is.
      int32_t sx = 0, sy = 0;
      if ((nx != m_X || ny != m_Y) && xGuiGetScreenPos(&sx, &sy)) xGuiSetScreenPos(sx + nx - m_X, sy + ny - m_Y);
    } else if (nx != m_X || ny != m_Y) {
      SetPos(nx, ny);
    }
    return 1;
  }
  if (m_pFrame && m_pFrame->GuiMsgHandler(GUIMSG_MOUSE, rx, ry, button, nullptr) == 1) taken = 1;
  const int32_t cx = inside ? rx : GUI_MOUSE_OUTSIDE;
  const int32_t cy = inside ? ry : GUI_MOUSE_OUTSIDE;
  m_pUnderMouse = nullptr;
  if (m_StaticCntrls) return taken;
  const std::vector<CControlBase*> controls = m_Controls;
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    CControlBase* control = *it;
    if (std::find(m_Controls.begin(), m_Controls.end(), control) == m_Controls.end()) continue;
    const int32_t result = control->GuiMsgHandler(GUIMSG_MOUSE, cx, cy, button, nullptr);
    if (!result) continue;
    CRect area;
    control->GetMouseArea(&area);
    if (!m_pUnderMouse && area.IsPntInRect(cx, cy)) m_pUnderMouse = control;
    if (inside) taken = 1;
    if (result == 2) break;
  }
  return taken;
}

void CWindowBase::Activate(int32_t activeId, int32_t on) {
  CWinCtrl* wc = xWinCtrl();
  const int32_t active = on ? 1 : 0;
  if (activeId == m_Id) {
    if (m_Active == active) return;
    if (m_pTitlebar) m_pTitlebar->GuiMsgHandler(GUIMSG_ACTIVATE, activeId, 0, active, nullptr);
    m_pFocus = nullptr;
    m_Active = active;
    if (wc) wc->SendMessage(GUIMSG_ACTIVATE, m_Id, active ? m_Id : 0, 0, nullptr);
    return;
  }
  m_Active = 0;
  if (m_pTitlebar) m_pTitlebar->GuiMsgHandler(GUIMSG_ACTIVATE, activeId, 0, 0, nullptr);
  m_pFocus = nullptr;
  if (wc) wc->SendMessage(GUIMSG_ACTIVATE, m_Id, activeId, 0, nullptr);
}

void CWindowBase::Paste(const char* text) {
  CControlBase* focus = m_pFocus;
  if (!focus || !text) return;
  const uint32_t flags = focus->GetFlags();
  if (!(flags & CNTRL_TABSTOP) || (flags & CNTRL_READONLY)) return;
  for (const char* p = text; *p; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte < 32 || byte > 127) return;
  }
  // Into the typed text itself (never a digest), and only into a buffer the control owns.
  const int32_t size = focus->GetTextBufferSize();
  if (!focus->IsBufferOwned() || size < 1) return;
  char* buffer = focus->GetUnHashedBuffer(1);
  if (!buffer) return;
  std::memset(buffer, 0, static_cast<size_t>(size));
  const size_t n = std::min(std::strlen(text), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text, n);
}

int32_t CWindowBase::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  // Callbacks that the controls trigger wait until this call is over.
  CGuiWalk walk;
  switch (msg) {
    case GUIMSG_KEY:
      RouteKey(a, b, c, d);
      return 1;
    case GUIMSG_MOUSE:
      return RouteMouse(a, b, c);
    case GUIMSG_DRAGSTART:
      if (!(m_Flags & XWIN_DRAG)) return 0;
      if (!(m_Flags & XWIN_DRAGGING)) {
        m_GrabX = a;
        m_GrabY = b;
        m_Flags |= XWIN_DRAGGING;
      }
      return 1;
    case GUIMSG_DRAGEND:
      if (!(m_Flags & XWIN_DRAG)) return 0;
      m_Flags &= ~XWIN_DRAGGING;
      return 1;
    case GUIMSG_ACTIVATE:
      Activate(a, c);
      return 1;
    case GUIMSG_ENABLE:
      if (a == m_Id) {
        const std::vector<CControlBase*> controls = m_Controls;
        for (CControlBase* control : controls) control->SetState(c == 1 ? XGUI_RELEASED : XGUI_DISABLED);
      }
      return 0;
    case GUIMSG_PASTE:
      Paste(static_cast<const char*>(d));
      return 1;
    default: {
      if (m_StaticCntrls) return 0;
      CControlBase* target = FindCntrl(c);
      if (!target) return 0;
      target->GuiMsgHandler(msg, a, b, c, d);
      return 1;
    }
  }
}

// --- CWindow ---

CWindow::~CWindow() {
  if (CWinCtrl* wc = xWinCtrl()) wc->RemoveWindow(this);
  CWindow::Destroy();
}

int32_t CWindow::Create(int32_t id, const char* caption, int32_t x, int32_t y, int32_t width, int32_t height,
                        uint32_t flags) {
  CWindow::Destroy();
  CWindowBase::Create(id, x, y, width, height, flags);
  if (flags & XWIN_TITLEBAR) {
    m_pTitlebar = new (std::nothrow) CTitlebar;
    if (!m_pTitlebar) return 0;
    if (!m_pTitlebar->Create(caption, width, TITLEBAR_HEIGHT, this, (flags & XWIN_CLOSE) ? uint32_t{CNTRL_CLOSEBOX} : 0u))
      return 0;
  }
  if (flags & XWIN_FRAME) {
    m_pFrame = new (std::nothrow) CFrame;
    if (!m_pFrame) return 0;
    m_pFrame->Create(caption, width, height, this);
  }
  return 1;
}

void CWindow::DrawPart(CControlBase* control, int32_t mode) {
  if (!control) return;
  xGuiPushClip();
  for (int32_t i = 0; i < control->GetClipCount(); ++i) {
    xGuiSetClip(control->GetClipRect(i));
    control->Draw(m_X, m_Y, mode);
  }
  xGuiPopClip();
  control->ClearClipListIndex();
}

int32_t CWindow::Draw(int32_t mode) {
  DrawPart(m_pFrame, mode);
  DrawPart(m_pTitlebar, mode);
  const std::vector<CControlBase*> controls = m_Controls;
  for (CControlBase* control : controls) {
    if (std::find(m_Controls.begin(), m_Controls.end(), control) == m_Controls.end()) continue;
    DrawPart(control, mode);
  }
  return 1;
}

int32_t CWindow::Validate(CRect* area, int32_t index) {
  if (!area) return 0;
  CRect mine = m_WinRect;
  CRect theirs = *area;
  CRect part;
  if (!part.Intersect(&mine, &theirs)) return 0;
  if (m_pFrame) m_pFrame->Validate(&part, index);
  if (m_pTitlebar) m_pTitlebar->Validate(&part, index);
  for (CControlBase* control : m_Controls) control->Validate(&part, index);
  return 1;
}

int32_t CWindow::Validate() {
  if (IsHidden()) return 0;
  if (m_pFrame) m_pFrame->Validate();
  if (m_pTitlebar) {
    m_pTitlebar->Validate();
    if ((m_Flags & XWIN_CLOSE) && m_pTitlebar->GetCloseBox()) m_pTitlebar->GetCloseBox()->Validate();
  }
  const std::vector<CControlBase*> controls = m_Controls;
  for (CControlBase* control : controls) control->Validate();
  return 1;
}

int32_t CWindow::Destroy() {
  delete m_pFrame;
  m_pFrame = nullptr;
  delete m_pTitlebar;
  m_pTitlebar = nullptr;
  return CWindowBase::Destroy();
}
