#include "ostrel/dialogs/titlebar.h"

#include <cstring>
#include <new>

#include "ostrel/controls/button.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"

namespace {
constexpr int32_t kCloseSize = 14;
constexpr int32_t kCloseFromRight = 15;
}  // namespace

CTitlebar::~CTitlebar() { CTitlebar::Destroy(); }

int32_t CTitlebar::Create(const char* caption, int32_t width, int32_t height, CWindowBase* window, uint32_t flags) {
  Destroy();
  CControlBase::Create(XCNTRL_TITLEBAR);
  m_Flags = flags;
  m_State = m_RequestedState = XGUI_HIGHLIGHT;
  m_Look.m_Bevel = 1;
  CControlBase::SetPos(0, 0);
  CControlBase::SetSize(width, height);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultTitlebar() : nullptr, false, GUITEMPLATE_TITLEBAR);
  if (flags & CNTRL_CLOSEBOX) {
    m_pClose = new (std::nothrow) CButton;
    if (!m_pClose) return 0;
    m_pClose->Create(XCNTRL_CLOSE, nullptr, width - kCloseFromRight, 1, kCloseSize, kCloseSize, 0,
                     CNTRL_EXTRUDED | CNTRL_HASBITMAP | CNTRL_BMTRANS);
    if (wc) {
      CBitmap* const* close = wc->GetDefaultClose();
      m_pClose->SetBitmap(close[0], close[1], close[2], close[3]);
    }
  }
  m_pCaption = new (std::nothrow) CStatic;
  if (!m_pCaption) return 0;
  m_pCaption->Create(nullptr, 3, 2, width - kCloseFromRight, height - 2, CNTRL_TRANSPARENT | CNTRL_CENTERV);
  m_pCaption->SetTextColor(TRGBA(255, 255, 255, 0));
  auto* tmpl = wc ? dynamic_cast<CTitlebar*>(wc->GetTemplate(GUITEMPLATE_TITLEBAR)) : nullptr;
  if (tmpl && tmpl != this && tmpl->m_pCaption) m_pCaption->CopyLook(tmpl->m_pCaption);
  // The caption is kept as a copy: the window may outlive the caller's text.
  if (caption) {
    const size_t n = std::strlen(caption);
    if (n < static_cast<size_t>(CNTRL_MAX_BUFFER)) {
      if (char* text = m_pCaption->AllocBuffer(static_cast<int32_t>(n + 1))) std::memcpy(text, caption, n + 1);
    }
  }
  if (window) SetParent(window->GetID(), window);
  PlaceParts();
  return 1;
}

int32_t CTitlebar::Destroy() {
  delete m_pClose;
  m_pClose = nullptr;
  delete m_pCaption;
  m_pCaption = nullptr;
  return CControlBase::Destroy();
}

int32_t CTitlebar::SetDefault() {
  if (CWinCtrl* wc = xWinCtrl()) wc->SetTemplate(GUITEMPLATE_TITLEBAR, this);
  return 1;
}

void CTitlebar::PlaceParts() {
  if (m_pClose) m_pClose->SetPos(m_X + m_Width - kCloseFromRight, m_Y + 1);
  if (m_pCaption) {
    m_pCaption->SetPos(m_X + 3, m_Y + 2);
    m_pCaption->SetSize(m_Width - kCloseFromRight, m_Height - 2);
  }
}

int32_t CTitlebar::SetPos(int32_t x, int32_t y) {
  CControlBase::SetPos(x, y);
  PlaceParts();
  return 1;
}

int32_t CTitlebar::SetSize(int32_t width, int32_t height) {
  CControlBase::SetSize(width, height);
  PlaceParts();
  return 1;
}

int32_t CTitlebar::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  if (m_pClose) m_pClose->SetParent(windowId, window);
  if (m_pCaption) m_pCaption->SetParent(windowId, window);
  return 1;
}

int32_t CTitlebar::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED) return 0;
  CWinCtrl* wc = xWinCtrl();
  switch (msg) {
    case GUIMSG_MOUSE: {
      const int32_t closeTaken = m_pClose ? m_pClose->GuiMsgHandler(msg, a, b, c, d) : 0;
      const bool inside = m_Rect.IsPntInRect(a, b);
      const bool down = (c & 1) != 0;
      const bool freshPress = down && !m_WasDown;
      m_WasDown = down ? 1 : 0;
      if (m_Press == 1) {
        // The drag goes on while the button is down, also outside the bar.
        if (down) return 1;
        m_Press = 0;
        m_RequestedState = m_pParent && m_pParent->IsActive() ? XGUI_HIGHLIGHT : XGUI_RELEASED;
        Invalidate();
        if (m_pParent) m_pParent->GuiMsgHandler(GUIMSG_DRAGEND, 0, 0, 0, nullptr);
        if (wc) wc->SendMessage(GUIMSG_DRAGEND, m_WindowId, 0, 0, nullptr);
        return 1;
      }
      CRect closeArea;
      const bool onClose = m_pClose && m_pClose->GetMouseArea(&closeArea) && closeArea.IsPntInRect(a, b);
      if (inside && freshPress && !onClose) {
        m_Press = 1;
        m_RequestedState = XGUI_PRESSED;
        Invalidate();
        if (m_pParent) m_pParent->GuiMsgHandler(GUIMSG_DRAGSTART, a, b, 0, nullptr);
        if (wc) wc->SendMessage(GUIMSG_DRAGSTART, m_WindowId, a, b, nullptr);
        return 1;
      }
      return inside || closeTaken ? 1 : 0;
    }
    case GUIMSG_ACTIVATE:
      if (c)
        m_RequestedState = XGUI_HIGHLIGHT;
      else if (m_Press != 1)
        m_RequestedState = XGUI_RELEASED;
      Invalidate();
      Validate();
      return 1;
    case GUIMSG_KEY: {
      const auto* k = static_cast<const TQueueChar*>(d);
      if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
      m_RequestedState = (k->m_Flags & XKEYF_PRESSED) ? XGUI_PRESSED : XGUI_HIGHLIGHT;
      Invalidate();
      return 1;
    }
    default:
      return 0;
  }
}

int32_t CTitlebar::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State != XGUI_HIDDEN) {
    DrawButtonFace(x + m_X, y + m_Y, false);
    if (m_pClose) m_pClose->Draw(x, y, mode);
    if (m_pCaption) m_pCaption->Draw(x, y, mode);
  }
  return CControlBase::Draw(x, y, mode);
}
