#include "ostrel/controls/listbox.h"

#include <algorithm>
#include <cstring>

#include "ostrel/controls/guidraw.h"
#include "ostrel/controls/slider.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"

namespace {
// Ids of the scroll bar's arrows and thumb, counted from the list's id.
constexpr int32_t kScrollChildFirst = 10000;
constexpr int32_t kScrollChildLast = 10002;

char FoldLetter(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }
}  // namespace

// --- Shared with the combo box ---

namespace listentries {
int32_t Append(std::vector<CControlBase*>& entries, const CControlBase* owner, CControlBase* entry, int32_t windowId,
               CWindowBase* window) {
  if (!entry || entry == owner) return 0;
  auto it = std::find(entries.begin(), entries.end(), entry);
  if (it != entries.end()) return static_cast<int32_t>(it - entries.begin()) + 1;
  entry->SetParent(windowId, window);
  entries.push_back(entry);
  return static_cast<int32_t>(entries.size());
}

CControlBase* At(const std::vector<CControlBase*>& entries, int32_t n) {
  return n >= 1 && static_cast<size_t>(n) <= entries.size() ? entries[static_cast<size_t>(n - 1)] : nullptr;
}

CControlBase* MakeTextEntry(const char* text, int32_t width, int32_t height, uint32_t flags) {
  if (!text) return nullptr;
  const size_t length = std::strlen(text);
  if (length + 1 > static_cast<size_t>(CNTRL_MAX_BUFFER)) return nullptr;
  auto* entry = new CStatic;
  entry->Create(text, 0, 0, width, height, flags);
  // The caller's text may be a buffer it reuses for the next entry.
  char* copy = entry->AllocBuffer(static_cast<int32_t>(length + 1));
  if (!copy) {
    delete entry;
    return nullptr;
  }
  std::memcpy(copy, text, length + 1);
  entry->FormatText();
  return entry;
}

int32_t FindByLetter(const std::vector<CControlBase*>& entries, const void* key) {
  const auto* k = static_cast<const TQueueChar*>(key);
  if (!k) return 0;
  const char letter = FoldLetter(static_cast<char>(k->m_Code & 0xFF));
  for (size_t i = 0; i < entries.size(); ++i) {
    const char* text = entries[i]->GetTextBuffer(0);
    if (text && text[0] && FoldLetter(text[0]) == letter) return static_cast<int32_t>(i + 1);
  }
  return 0;
}

void DrawAt(CControlBase* entry, int32_t windowX, int32_t windowY, int32_t ex, int32_t ey, int32_t mode) {
  int32_t ox = 0, oy = 0;
  entry->GetPos(ox, oy);
  entry->SetPos(ex + ox, ey + oy);
  entry->Draw(windowX, windowY, mode);
  entry->SetPos(ox, oy);
}

void DeleteAll(std::vector<CControlBase*>& entries) {
  const std::vector<CControlBase*> gone = std::move(entries);
  entries.clear();
  for (CControlBase* e : gone) delete e;
}
}  // namespace listentries

// --- List box ---

CListbox::~CListbox() {
  listentries::DeleteAll(m_Rows);
  delete m_pScrollBar;
  m_pScrollBar = nullptr;
}

int32_t CListbox::Create(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, int32_t rowHeight,
                         uint32_t flags) {
  if (rowHeight < 1) return 0;
  listentries::DeleteAll(m_Rows);
  delete m_pScrollBar;
  m_pScrollBar = nullptr;
  CControlBase::Create(id);
  m_Flags = flags;
  m_RowHeight = rowHeight;
  CControlBase::SetPos(x, y);
  CControlBase::SetSize(width, height);
  m_HotKey = 0;
  m_Look.m_Bevel = 1;
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, false, -1);
  m_pCurColors = wc ? wc->GetDefaultButton()[LOOK_HIGHLIGHT] : nullptr;
  m_pScrollBar = new CSlider;
  m_pScrollBar->Create(id, x + width - m_ScrollWidth, y, m_ScrollWidth, height, 1, 1, 1, 1, 0);
  m_pScrollBar->SetCntrlMessagingSystem(id);
  if (m_pParent) m_pScrollBar->SetParent(m_WindowId, m_pParent);
  m_Selected = 1;
  m_Top = 1;
  m_Clicked = 0;
  m_pCurrent = nullptr;
  m_RowOffset = 1;
  return 1;
}

void CListbox::UpdateRange() {
  if (!m_pScrollBar) return;
  const int32_t count = std::max(1, GetNumRows());
  m_pScrollBar->SetRange(1, count, std::max(1, m_Height / m_RowHeight));
}

int32_t CListbox::NeedsScrollBar() const {
  return static_cast<int64_t>(m_Rows.size()) * m_RowHeight > m_Height ? 1 : 0;
}

CControlBase* CListbox::GetRow(int32_t row) const { return listentries::At(m_Rows, row); }

int32_t CListbox::Add(CControlBase* row) {
  const int32_t n = listentries::Append(m_Rows, this, row, m_WindowId, m_pParent);
  if (!n) return 0;
  UpdateRange();
  m_pCurrent = m_Rows.front();
  return n;
}

int32_t CListbox::Add(const char* text) { return Add(listentries::MakeTextEntry(text, m_Width, m_Height, 0)); }

int32_t CListbox::RemoveAll() {
  listentries::DeleteAll(m_Rows);
  m_pCurrent = nullptr;
  UpdateRange();
  m_Top = 1;
  Validate();
  return 1;
}

int32_t CListbox::SetSelected(int32_t row, int32_t moveScrollBar) {
  if (row < 1 || row > GetNumRows()) {
    m_pCurrent = m_Rows.empty() ? nullptr : m_Rows.front();
    return 0;
  }
  m_Selected = row;
  if (moveScrollBar && m_pScrollBar) {
    m_pScrollBar->SetValue(row);
    // The rows shown follow the thumb.
    if (NeedsScrollBar()) m_Top = std::max(1, m_pScrollBar->GetValue());
  }
  Validate();
  Notify(GUIMSG_SELCHANGE);
  return 1;
}

int32_t CListbox::GetFieldHeight(int32_t& rowHeight) {
  rowHeight = m_RowHeight;
  return 1;
}

int32_t CListbox::SetIndex(int32_t top) {
  m_Top = std::max(1, top);
  Validate();
  return 1;
}

int32_t CListbox::SetOffset(int32_t offset) {
  m_RowOffset = offset;
  return 1;
}

// --- Place, window and redraw ---

int32_t CListbox::SetPos(int32_t x, int32_t y) {
  const int32_t dx = x - m_X;
  const int32_t dy = y - m_Y;
  CControlBase::SetPos(x, y);
  if (m_pScrollBar) {
    int32_t sx = 0, sy = 0;
    m_pScrollBar->GetPos(sx, sy);
    m_pScrollBar->SetPos(sx + dx, sy + dy);
  }
  return 1;
}

int32_t CListbox::SetSize(int32_t width, int32_t height) {
  CControlBase::SetSize(width, height);
  if (m_pScrollBar) {
    m_pScrollBar->SetPos(m_X + width - m_ScrollWidth, m_Y);
    m_pScrollBar->SetSize(m_ScrollWidth, height);
    UpdateRange();
  }
  return 1;
}

int32_t CListbox::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  for (CControlBase* row : m_Rows) row->SetParent(windowId, window);
  if (m_pScrollBar) m_pScrollBar->SetParent(windowId, window);
  return 1;
}

int32_t CListbox::Validate() {
  CControlBase::Validate();
  if (m_pScrollBar) m_pScrollBar->Validate();
  return 1;
}

// Records its redraw areas like any control: a window draws a control only where its clip list
// says, so a list box that kept none would never show.
int32_t CListbox::Validate(CRect* area, int32_t index) { return CControlBase::Validate(area, index); }

int32_t CListbox::ClearClipListIndex() {
  CControlBase::ClearClipListIndex();
  if (m_pScrollBar) m_pScrollBar->ClearClipListIndex();
  return 1;
}

// --- Input ---

void CListbox::TakeFocus() {
  m_Focus = 1;
  if (m_pParent) m_pParent->SetFocus(this);
}

int32_t CListbox::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  switch (msg) {
    case GUIMSG_KEY:
      if (m_Focus) {
        if (const int32_t row = listentries::FindByLetter(m_Rows, d)) {
          if (m_pScrollBar) m_pScrollBar->SetValue(row);
          SetSelected(row, 1);
          Validate();
          m_Press = 2;
        }
      }
      return 0;
    case GUIMSG_FOCUS:
      m_Focus = c == 1 ? 1 : 0;
      return 0;
    case GUIMSG_MOUSE:
      return Mouse(a, b, c, d);
    case GUIMSG_HELD:
    case GUIMSG_COMMAND:
      // The scroll bar's arrows and thumb: held steps, and the release that ends the hold.
      TakeFocus();
      if (m_pScrollBar && b >= m_Id + kScrollChildFirst && b <= m_Id + kScrollChildLast)
        m_pScrollBar->GuiMsgHandler(msg, a, b, c, d);
      return 1;
    case GUIMSG_SLIDER:
      TakeFocus();
      if (m_pScrollBar && m_pScrollBar->GetValue() >= 1) {
        m_Top = m_pScrollBar->GetValue();
        Validate();
      }
      return 0;
    default:
      return 0;
  }
}

int32_t CListbox::Mouse(int32_t a, int32_t b, int32_t c, void* d) {
  const bool down = (c & 1) != 0;
  // A hidden scroll bar takes no clicks: they belong to the rows under it.
  if (NeedsScrollBar() && m_pScrollBar && m_pScrollBar->GuiMsgHandler(GUIMSG_MOUSE, a, b, c, d) != 0) {
    if (m_Press == 1) m_Press = 0;
    return 1;
  }
  const bool inside = m_Rect.IsPntInRect(a, b) != 0;
  const int32_t under = inside ? (b - m_Y) / m_RowHeight + m_Top : 0;
  int32_t selection = m_Selected;
  if (inside) {
    // The mouse coming in ends a hold by a letter key.
    if (!down) m_Press = 1;
    if (down && m_Press == 1 && !m_Clicked) {
      if (GetRow(under)) selection = under;
      TakeFocus();
      if (!GetRow(under) || under == m_Selected) {
        Notify(GUIMSG_LISTEVENT);
        Validate();
      }
      m_Clicked = 1;
    }
    if (!down) m_Clicked = 0;
  } else if (m_Press != 2) {
    if (!down) {
      m_Clicked = 0;
      if (m_State == XGUI_RELEASED) m_Press = 0;
    } else if (m_State == XGUI_HIGHLIGHT) {
      m_Clicked = 0;
    }
  }
  if (selection != m_Selected) {
    m_Selected = selection;
    Notify(GUIMSG_SELCHANGE);
    Validate();
  }
  for (int32_t i = 1; i <= GetNumRows(); ++i) {
    CControlBase* row = m_Rows[static_cast<size_t>(i - 1)];
    if (i != under) {
      row->SetHover(0);
    } else if (row->GuiMsgHandler(GUIMSG_MOUSE, a - m_X, (b - m_Y) % m_RowHeight, c, d) && row->NeedsDraw()) {
      Validate();
    }
  }
  return 0;
}

// --- Drawing ---

int32_t CListbox::Draw(int32_t x, int32_t y, int32_t mode) {
  if (IsSkipped(mode)) return 0;
  if (m_State == XGUI_HIDDEN) return CControlBase::Draw(x, y, mode);
  const int32_t sx = x + m_X;
  const int32_t sy = y + m_Y;
  const TCntrlColor* set = m_Look.m_pColors[LOOK_NORMAL];
  const bool scrolls = NeedsScrollBar() != 0;
  xGuiPushClip();
  if (set && !(m_Flags & (CNTRL_TRANSPARENT | CNTRL_ALPHA))) xGuiFillRect(sx, sy, m_Width, m_Height, set->m_Col[5]);
  if (m_Flags & CNTRL_ALPHA) xGuiFillRectAlpha(sx, sy, m_Width, m_Height, m_Look.m_Alpha);
  CRect inner;
  inner.SetXYWH(sx, sy, m_Width, m_Height);
  if (m_Flags & CNTRL_EXTRUDED) {
    if (set) {
      const int32_t r = inner.right, btm = inner.bottom;
      xGuiDrawLine(sx, sy, r, sy, set->m_Col[1]);
      xGuiDrawLine(sx, sy, sx, btm, set->m_Col[1]);
      xGuiDrawLine(sx, btm, r, btm, set->m_Col[0]);
      xGuiDrawLine(r, sy, r, btm, set->m_Col[0]);
    }
    inner.Inflate(-1, -1);
  }
  if ((m_Flags & CNTRL_HASBITMAP) && m_Look.m_pBitmaps[LOOK_NORMAL]) DrawBitmap(m_Look.m_pBitmaps[LOOK_NORMAL], sx, sy);
  if (scrolls) inner.right = std::min(inner.right, sx + m_Width - m_ScrollWidth - 1);
  for (int32_t i = 0; m_Top + i <= GetNumRows(); ++i) {
    const int32_t rowY = sy + m_RowHeight * i;
    CRect band(inner.left, std::max(inner.top, rowY), inner.right, std::min(inner.bottom, rowY + m_RowHeight - 1));
    CControlBase* row = GetRow(m_Top + i);
    if (row && band.left <= band.right && band.top <= band.bottom) {
      xGuiPushClip();
      xGuiSetSubClip(band);
      CBitmap* back = m_Look.m_pBitmaps[m_Top + i == m_Selected ? LOOK_HIGHLIGHT : LOOK_NORMAL];
      if ((m_Flags & CNTRL_HASBITMAP) && back) DrawBitmap(back, sx, rowY);
      listentries::DrawAt(row, x, y, m_X + m_RowOffset, m_Y + m_RowHeight * i, mode);
      xGuiPopClip();
    }
    // The last row drawn may show in part.
    if (static_cast<int64_t>(m_RowHeight) * (i + 1) >= m_Height) break;
  }
  xGuiPopClip();
  CControlBase::Draw(x, y, mode);
  if (scrolls && m_pScrollBar) m_pScrollBar->Draw(x, y, mode);
  return 1;
}
