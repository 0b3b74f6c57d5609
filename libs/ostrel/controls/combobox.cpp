#include "ostrel/controls/combobox.h"

#include <algorithm>

#include "ostrel/controls/button.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/controls/slider.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"

namespace {
constexpr int32_t kScrollChildFirst = 10000;
constexpr int32_t kScrollChildLast = 10002;
// Flags of a text entry: see-through, centred vertically, one line.
constexpr uint32_t kTextEntryFlags = CNTRL_TRANSPARENT | CNTRL_CENTERV | CNTRL_NOWORDWRAP;
constexpr uint32_t kButtonFlags = CNTRL_HASBITMAP | CNTRL_BMTRANS;

// Top and left in one colour, bottom and right in another; a ring per call.
void DrawEdge(const CRect& r, const TRGBA& topLeft, const TRGBA& bottomRight) {
  xGuiDrawLine(r.left, r.top, r.right, r.top, topLeft);
  xGuiDrawLine(r.left, r.top, r.left, r.bottom, topLeft);
  xGuiDrawLine(r.left, r.bottom, r.right, r.bottom, bottomRight);
  xGuiDrawLine(r.right, r.top, r.right, r.bottom, bottomRight);
}
}  // namespace

CCombobox::~CCombobox() { CCombobox::Destroy(); }

int32_t CCombobox::Destroy() {
  delete m_pScrollBar;
  m_pScrollBar = nullptr;
  delete m_pButton;
  m_pButton = nullptr;
  m_pShown = nullptr;
  listentries::DeleteAll(m_Entries);
  return CControlBase::Destroy();
}

int32_t CCombobox::Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t listHeight,
                          int16_t hotKey, uint32_t flags) {
  CCombobox::Destroy();
  CControlBase::Create(id);
  m_Flags = flags;
  CControlBase::SetPos(x, y);
  CControlBase::SetSize(width, height);
  m_HotKey = hotKey;
  m_Look.m_Bevel = 1;
  m_ListHeight = listHeight;
  m_ListArea.SetXYWH(x, y + height, width, listHeight);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, false, -1);
  m_pCurColors = wc ? wc->GetDefaultFourth()[0] : nullptr;

  const int32_t bevel = m_Look.m_Bevel;
  m_pButton = new CButton;
  m_pButton->Create(id + COMBO_BUTTON_ID_OFFSET, nullptr, x + width - m_ScrollWidth - bevel, y + bevel, m_ScrollWidth,
                    height - 2 * bevel, 0, CNTRL_EXTRUDED);
  m_pButton->SetFlag(kButtonFlags);
  if (wc) {
    CBitmap* const* drop = wc->GetDefaultDrop();
    m_pButton->SetBitmap(drop[0], drop[1], drop[2], drop[3]);
  }
  m_pButton->SetCntrlMessagingSystem(id);
  m_pScrollBar = new CSlider;
  m_pScrollBar->Create(id, x + width - 16, y + height, m_ScrollWidth, listHeight - 3, 1, 1, 1, 1, 0);
  // Its moves must reach the combo box, or the opened list would never scroll.
  m_pScrollBar->SetCntrlMessagingSystem(id);
  if (m_pParent) {
    m_pButton->SetParent(m_WindowId, m_pParent);
    m_pScrollBar->SetParent(m_WindowId, m_pParent);
  }
  m_Open = 0;
  m_Selected = m_Top = m_Hot = m_Pointer = 1;
  m_ListPressed = 0;
  m_NeedsScroll = 0;
  return 1;
}

// --- Entries ---

int32_t CCombobox::EntryStep() const { return std::max(1, m_Height - 2 * m_Look.m_Bevel); }

int32_t CCombobox::ListPage() const { return m_ListHeight / std::max(1, m_Height); }

void CCombobox::UpdateRange(int32_t page) {
  if (m_pScrollBar) m_pScrollBar->SetRange(1, std::max(1, GetNumEntries()), std::max(1, page));
  m_NeedsScroll = NeedsScrollBar();
}

int32_t CCombobox::NeedsScrollBar() const {
  return !m_Entries.empty() && m_ListHeight < static_cast<int64_t>(m_Entries.size()) * EntryStep() + 6 ? 1 : 0;
}

CControlBase* CCombobox::GetEntry(int32_t n) const { return listentries::At(m_Entries, n); }

int32_t CCombobox::Add(CControlBase* entry) {
  const int32_t n = listentries::Append(m_Entries, this, entry, m_WindowId, m_pParent);
  if (!n) return 0;
  UpdateRange(ListPage());
  m_pShown = m_Entries.front();
  return n;
}

int32_t CCombobox::Add(const char* text) {
  return Add(listentries::MakeTextEntry(text, m_Width, m_Height, kTextEntryFlags));
}

int32_t CCombobox::DeleteFirst() {
  if (m_Entries.empty()) return 0;
  CControlBase* first = m_Entries.front();
  m_Entries.erase(m_Entries.begin());
  delete first;
  UpdateRange(ListPage() + 1);
  for (int32_t* n : {&m_Selected, &m_Top, &m_Hot, &m_Pointer})
    if (*n > 1) --*n;
  // The entry shown stays shown; when it was the one deleted, the selected one takes its place.
  if (m_pShown == first) m_pShown = GetEntry(m_Selected) ? GetEntry(m_Selected) : GetEntry(1);
  Validate();
  return 1;
}

int32_t CCombobox::RemoveAll() {
  listentries::DeleteAll(m_Entries);
  m_pShown = nullptr;
  m_Top = 1;
  UpdateRange(ListPage());
  Validate();
  return 1;
}

int32_t CCombobox::SetSelected(int32_t n) {
  if (n < 1 || n > GetNumEntries()) {
    m_pShown = GetEntry(1);
    m_Selected = 1;
    return 0;
  }
  m_Selected = n;
  Validate();
  m_pShown = GetEntry(n);
  Notify(GUIMSG_SELCHANGE);
  return 1;
}

// --- Place, window and redraw ---

CRect CCombobox::ScreenArea() const {
  CRect r = ScreenRect();
  r.bottom += m_ListHeight;
  return r;
}

void CCombobox::PlaceParts() {
  const int32_t bevel = m_Look.m_Bevel;
  m_ListArea.SetXYWH(m_X, m_Y + m_Height, m_Width, m_ListHeight);
  if (m_pButton) m_pButton->SetPos(m_X + m_Width - m_ScrollWidth - bevel, m_Y + bevel);
  if (m_pScrollBar) m_pScrollBar->SetPos(m_X + m_Width - 16, m_Y + m_Height);
}

int32_t CCombobox::SetPos(int32_t x, int32_t y) {
  CControlBase::SetPos(x, y);
  PlaceParts();
  return 1;
}

int32_t CCombobox::SetSize(int32_t width, int32_t height) {
  CControlBase::SetSize(width, height);
  PlaceParts();
  if (m_pButton) m_pButton->SetSize(m_ScrollWidth, height - 2 * m_Look.m_Bevel);
  UpdateRange(ListPage());
  return 1;
}

int32_t CCombobox::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  for (CControlBase* entry : m_Entries) entry->SetParent(windowId, window);
  if (m_pButton) m_pButton->SetParent(windowId, window);
  if (m_pScrollBar) m_pScrollBar->SetParent(windowId, window);
  return 1;
}

int32_t CCombobox::Validate() {
  if (m_pButton) m_pButton->Validate();
  if (m_NeedsScroll && m_pScrollBar) m_pScrollBar->Validate();
  if (!m_Open) return CControlBase::Validate();
  if (m_pParent) xGuiAddShadowArea(ScreenArea());
  m_NeedsDraw = 1;
  return 1;
}

int32_t CCombobox::Validate(CRect* area, int32_t) { return area ? AddClip(ScreenArea(), *area) : 0; }

int32_t CCombobox::ClearClipListIndex() {
  CControlBase::ClearClipListIndex();
  if (m_pScrollBar) m_pScrollBar->ClearClipListIndex();
  if (m_pButton) m_pButton->ClearClipListIndex();
  return 1;
}

// --- Input ---

TCntrlColor* CCombobox::ColorsOf(CControlBase* control) {
  const int32_t slot = SlotOfState(control->GetState());
  return control->GetLook().m_pColors[slot < 0 ? LOOK_NORMAL : slot];
}

void CCombobox::TakeFocus() {
  m_Focus = 1;
  if (m_pParent) m_pParent->SetFocus(this);
}

void CCombobox::Close() {
  m_RequestedState = XGUI_RELEASED;
  m_Open = 0;
  m_ListPressed = 0;
  if (m_pParent) xGuiAddClearAreaGui(ScreenArea());
  Invalidate();
}

int32_t CCombobox::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  // A state set from outside (a window enabled again) leaves the list closed.
  if (m_Open && m_State != XGUI_PRESSED && m_RequestedState != XGUI_PRESSED) m_Open = 0;
  switch (msg) {
    case GUIMSG_KEY:
      if (m_Focus) {
        if (const int32_t n = listentries::FindByLetter(m_Entries, d)) {
          m_Top = n;
          if (m_pScrollBar) m_pScrollBar->SetValue(n);
          SetSelected(n);
          Validate();
        }
      }
      return 0;
    case GUIMSG_FOCUS:
      m_Focus = c == 1 ? 1 : 0;
      return 0;
    case GUIMSG_MOUSE:
      return Mouse(a, b, c, d);
    case GUIMSG_COMMAND:
      if (b != m_Id + COMBO_BUTTON_ID_OFFSET) return ScrollChildMessage(msg, a, b, c, d);
      if (m_Open) {
        Close();
        return 2;
      }
      TakeFocus();
      m_NeedsScroll = NeedsScrollBar();
      if (m_NeedsScroll && m_pScrollBar) {
        m_pScrollBar->SetValue(m_Selected);
        m_Top = m_pScrollBar->GetValue();
      }
      m_RequestedState = XGUI_PRESSED;
      if (m_pShown) m_pShown->SetState(XGUI_RELEASED);
      m_Open = 1;
      Invalidate();
      return 2;
    case GUIMSG_HELD:
      return ScrollChildMessage(msg, a, b, c, d);
    case GUIMSG_SLIDER:
      if (b != m_Id) return 0;
      TakeFocus();
      if (m_NeedsScroll && m_pScrollBar) {
        m_Top = m_pScrollBar->GetValue();
        Validate();
      }
      return 2;
    default:
      return 0;
  }
}

int32_t CCombobox::ScrollChildMessage(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (b < m_Id + kScrollChildFirst || b > m_Id + kScrollChildLast) return 0;
  TakeFocus();
  if (m_NeedsScroll && m_pScrollBar) m_pScrollBar->GuiMsgHandler(msg, a, b, c, d);
  return 2;
}

int32_t CCombobox::Mouse(int32_t a, int32_t b, int32_t c, void* d) {
  const bool down = (c & 1) != 0;
  if (m_pButton && m_pButton->GuiMsgHandler(GUIMSG_MOUSE, a, b, c, d) != 0) {
    m_pCurColors = ColorsOf(m_pButton);
    return 1;
  }
  int32_t result = 0;
  int32_t selection = m_Selected;
  if (m_Open) {
    if (m_NeedsScroll && m_pScrollBar && m_pScrollBar->GuiMsgHandler(GUIMSG_MOUSE, a, b, c, d) != 0) {
      if (m_Press == 1) m_Press = 0;
      m_pCurColors = ColorsOf(m_pScrollBar);
      return 2;
    }
    if (!m_ListArea.IsPntInRect(a, b)) {
      if (down && m_Press != 1)
        Close();
      else if (!down && m_Press == 1)
        m_Press = 0;
    } else {
      result = 2;
      if (!down) m_Press = 1;
      if (m_Press == 1) {
        const int32_t under = (b - m_Y) / EntryStep() - 1 + m_Top;
        if (GetEntry(under)) m_Pointer = under;
        if (down) {
          m_ListPressed = 1;
        } else if (m_ListPressed) {
          m_ListPressed = 0;
          selection = m_Pointer;
          Close();
        }
      }
    }
  }
  if (m_Rect.IsPntInRect(a, b)) {
    if (!m_Open) {
      m_RequestedState = XGUI_HIGHLIGHT;
      result = 1;
    }
    if (!down) {
      m_Press = 1;
    } else if (m_Press == 1) {
      if (m_Open) {
        Close();
        if (m_pShown) m_pShown->SetState(XGUI_RELEASED);
      }
      TakeFocus();
      m_Press = 0;
    }
    if (!m_Open && m_pShown && m_pShown->GuiMsgHandler(GUIMSG_MOUSE, a - m_X, b - m_Y, c, d) != 0) {
      m_pCurColors = ColorsOf(m_pShown);
      Invalidate();
      return 1;
    }
  } else if (result == 0 && m_Press != 2) {
    if ((down && m_State == XGUI_HIGHLIGHT) || (!down && m_State == XGUI_RELEASED)) {
      if (m_pShown) m_pShown->SetState(XGUI_RELEASED);
      if (!down) m_Press = 0;
    }
  }
  if (selection != m_Selected && GetEntry(selection)) {
    m_Selected = selection;
    m_pShown = GetEntry(selection);
    Notify(GUIMSG_SELCHANGE);
  }
  if (m_Pointer != m_Hot) {
    m_Hot = m_Pointer;
    Validate();
  }
  Invalidate();
  return result;
}

// --- Drawing ---

int32_t CCombobox::Draw(int32_t x, int32_t y, int32_t mode) {
  m_NeedsScroll = NeedsScrollBar();
  if (m_State == XGUI_HIDDEN) return CControlBase::Draw(x, y, mode);
  int32_t result = 0;
  if (!IsSkipped(mode)) {
    const int32_t sx = x + m_X;
    const int32_t sy = y + m_Y;
    const int32_t bevel = m_Look.m_Bevel;
    const TCntrlColor* set = m_Look.m_pColors[LOOK_NORMAL];
    const TCntrlColor* face = m_Look.m_pColors[m_State == XGUI_DISABLED ? LOOK_DISABLED : LOOK_NORMAL];
    xGuiPushClip();
    if (face && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) xGuiFillRect(sx, sy, m_Width, m_Height, face->m_Col[2]);
    if (m_Flags & CNTRL_ALPHA) xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
    if (m_Flags & CNTRL_HASBITMAP) {
      if (CBitmap* bm = m_Look.m_pBitmaps[m_State == XGUI_DISABLED ? LOOK_DISABLED : LOOK_NORMAL]) DrawBitmap(bm, sx, sy);
    }
    if (m_pShown) {
      xGuiPushClip();
      xGuiSetSubClip(CRect(sx + bevel, sy + bevel, sx + m_Width - 1 - bevel, sy + m_Height - 1 - bevel));
      listentries::DrawAt(m_pShown, x, y, m_X + bevel, m_Y + bevel, mode);
      xGuiPopClip();
    }
    const int32_t step = EntryStep();
    const int64_t n = GetNumEntries();
    int32_t listH = m_ListHeight - 2;
    if (n * step + 6 < m_ListHeight - 2) listH = static_cast<int32_t>(n * step + 1);
    const bool open = m_State == XGUI_PRESSED;
    const int32_t ly = sy + m_Height;
    if (open && listH > 0) {
      if (m_Flags & CNTRL_ALPHA)
        xGuiFillRectAlpha(sx, ly, m_Width, listH, m_Look.m_Alpha);
      else if (set && !(m_Flags & CNTRL_TRANSPARENT))
        xGuiFillRect(sx, ly, m_Width, listH, set->m_Col[5]);
      // Entry k (from 1, counted from the top entry) stands at y + 2 + step * k; the rows stop
      // before passing the list height less 6.
      auto fits = [&](int64_t k) { return 2 + step * (k + 1) - m_Height <= m_ListHeight - 6; };
      int32_t shown = 0;
      while (shown < n && fits(shown + 1)) ++shown;
      // A list with a scroll bar is full at its end; one without shows every entry from the first.
      const int32_t lastTop = m_NeedsScroll ? std::max<int32_t>(1, static_cast<int32_t>(n) - shown + 1) : 1;
      m_Top = std::clamp(m_Top, 1, lastTop);
      xGuiPushClip();
      xGuiSetSubClip(CRect(sx + 2, sy + m_Height + 1, sx + m_Width - 3, ly + listH - 3));
      for (int32_t k = 1; k <= shown && m_Top + k - 1 <= n; ++k) {
        const int32_t e = m_Top + k - 1;
        const int32_t rowY = m_Y + 2 + step * k;
        CBitmap* back = m_Look.m_pBitmaps[e == m_Hot ? LOOK_HIGHLIGHT : LOOK_NORMAL];
        if ((m_Flags & CNTRL_HASBITMAP) && back) DrawBitmap(back, sx, y + rowY);
        listentries::DrawAt(GetEntry(e), x, y, m_X + 3, rowY, mode);
      }
      xGuiPopClip();
    }
    if ((m_Flags & CNTRL_EXTRUDED) && set) {
      DrawEdge(CRect(sx, sy, sx + m_Width - 1, sy + m_Height - 1), set->m_Col[3], set->m_Col[1]);
      if (open && listH > 0) {
        CRect ring(sx, ly, sx + m_Width - 1, ly + listH - 1);
        DrawEdge(ring, set->m_Col[3], set->m_Col[1]);
        ring.Inflate(-1, -1);
        DrawEdge(ring, set->m_Col[1], set->m_Col[3]);
      }
    }
    xGuiPopClip();
    result = CControlBase::Draw(x, y, mode);
  }
  if (m_pButton) m_pButton->Draw(x, y, mode);
  if (m_State == XGUI_PRESSED && m_NeedsScroll && m_pScrollBar) m_pScrollBar->Draw(x, y, mode);
  return result;
}
