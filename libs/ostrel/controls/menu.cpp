#include "ostrel/controls/menu.h"

#include <algorithm>
#include <climits>

#include "ostrel/base/xstring.h"
#include "ostrel/controls/container.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"

namespace {
int32_t DirectionOf(const char* word) {
  if (word && xStricmp(word, "UP") == 0) return MENU_UP;
  if (word && xStricmp(word, "LEFT") == 0) return MENU_LEFT;
  if (word && xStricmp(word, "RIGHT") == 0) return MENU_RIGHT;
  return MENU_DOWN;
}

int32_t OpenModeOf(const char* word) {
  static const char* const kWords[] = {"ALWAYS", "CLICK", "HIGHLIGHT", "CLICKANDHIGHLIGHT", "NEVER"};
  for (int32_t i = 0; i < 5; ++i)
    if (word && xStricmp(word, kWords[i]) == 0) return i;
  return MENU_CLICK;
}

bool CanHighlight(CWindowBase* window) {
  return !window || window->IsActive() || (window->GetFlags() & XWIN_HIGHLIGHTIFINACTIVE);
}
}  // namespace

CMenu::~CMenu() {
  RemoveAllTimers();
  for (SMenuItem& e : m_Items)
    if (auto* child = dynamic_cast<CMenu*>(e.m_pItem); child && child->m_pParentMenu == this) child->m_pParentMenu = nullptr;
  if (m_pParentMenu) {
    auto& siblings = m_pParentMenu->m_Items;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(), [&](const SMenuItem& e) { return e.m_pItem == this; }),
                   siblings.end());
    m_pParentMenu->m_Cursor = 0;
  }
}

int32_t CMenu::Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t closeDelay, int32_t openDelay, const char* direction, const char* openMode, int16_t hotKey,
                      uint32_t flags) {
  RemoveAllTimers();
  CControlBase::Create(id);
  m_Flags = flags;
  CControlBase::SetPos(x, y);
  SetSize(width, height);
  SetHotkey(hotKey);
  m_Look.m_Bevel = 1;
  m_PlacementChecked = 0;
  m_LayoutValid = 0;
  m_ClosePending = 0;
  m_CloseTimer = m_OpenTimer = 0;
  m_Open = 0;
  m_PressOutside = 0;
  m_Press = 0;
  // A delay below 0 would be a timer of years; 0 opens without waiting.
  m_OpenDelay = std::max(openDelay, 0);
  SetCloseDelay(closeDelay);
  m_ItemsRect.SetXYWH(x, y, 1, 1);
  m_Direction = DirectionOf(direction);
  m_OpenMode = OpenModeOf(openMode);
  CWinCtrl* wc = xWinCtrl();
  TakeDefaultLook(wc ? wc->GetDefaultButton() : nullptr, true, -1);
  m_pNormalBitmap = m_Look.m_pBitmaps[LOOK_NORMAL];
  SetText(text);
  return 1;
}

void CMenu::SetCloseDelay(int32_t delay) {
  // A timer of period 0 would never end.
  m_CloseDelay = std::max(delay, 1);
  if (m_OpenDelay == m_CloseDelay) ++m_OpenDelay;
}

int32_t CMenu::Add(CControlBase* item, int32_t position) {
  if (!item || item == this) return 0;
  int32_t x = 0, y = 0, w = 0, h = 0;
  item->GetPos(x, y);
  item->GetSize(w, h);
  SMenuItem entry{item->GetState(), 0, item, x - m_X, y - m_Y};
  const auto count = static_cast<int32_t>(m_Items.size());
  if (position > 0 && position < count) {
    for (auto it = m_Items.begin() + position; it != m_Items.end(); ++it) {
      it->m_Y += h;
      xMoveControl(it->m_pItem, 0, h);
    }
    m_Items.insert(m_Items.begin() + position, entry);
  } else {
    m_Items.push_back(entry);
  }
  if (auto* child = dynamic_cast<CMenu*>(item)) child->SetParentMenu(this);
  // An item added after the menu joined its window joins it too, hidden while the menu is.
  if (m_pParent) {
    xAddChildToWindow(m_pParent, item);
    if (!m_Open) item->SetState(XGUI_HIDDEN);
  }
  m_LayoutValid = 0;
  // An open menu (one that opens always is open from the moment it joins its window) places the
  // new item now; otherwise it would stand where it was made until the mouse moved.
  if (m_Open) {
    ValidateMenuItems();
    ValidateMenuPlacment();
  }
  return 1;
}

void CMenu::MoveItems(int32_t dx, int32_t dy) {
  if (!dx && !dy) return;
  for (SMenuItem& e : m_Items) xMoveControl(e.m_pItem, dx, dy);
  m_ItemsRect.Move(dx, dy);
}

int32_t CMenu::SetMenuDirection(int32_t direction) {
  m_Direction = direction;
  const int32_t w = m_ItemsRect.right - m_ItemsRect.left + 1;
  const int32_t h = m_ItemsRect.bottom - m_ItemsRect.top + 1;
  int32_t left = m_X, top = m_Y;
  switch (direction) {
    case MENU_UP: top = m_Y - h; break;
    case MENU_LEFT: left = m_X - w; break;
    case MENU_RIGHT: left = m_X + m_Width; break;
    default: top = m_Y + m_Height; break;
  }
  MoveItems(left - m_ItemsRect.left, top - m_ItemsRect.top);
  return 1;
}

int32_t CMenu::ValidateMenuItems() {
  if (m_LayoutValid) return 1;
  bool any = false;
  int32_t y = 0, left = m_X, top = m_Y, widest = 1, total = 0;
  for (SMenuItem& e : m_Items) {
    if (e.m_Hidden) {
      e.m_pItem->SetState(XGUI_HIDDEN);
      continue;
    }
    int32_t w = 0, h = 0;
    e.m_pItem->GetSize(w, h);
    const int32_t x = m_X + e.m_X;
    if (!any) {
      y = m_Y + e.m_Y;
      left = x;
      top = y;
      any = true;
    }
    e.m_pItem->SetPos(x, y);
    // Shown again while the menu is open: it gets back its state.
    if (m_Open && e.m_pItem->GetState() == XGUI_HIDDEN)
      e.m_pItem->SetState(e.m_SavedState == XGUI_HIDDEN ? XGUI_RELEASED : e.m_SavedState);
    widest = std::max(widest, w);
    y += h;
    total += h;
  }
  m_ItemsRect.SetXYWH(left, top, widest, std::max(total, 1));
  m_LayoutValid = 1;
  m_PlacementChecked = 0;
  return SetMenuDirection(m_Direction);
}

int32_t CMenu::ValidateMenuPlacment() {
  if (m_PlacementChecked) return 1;
  m_PlacementChecked = 1;
  int32_t base = m_BaseLine;
  if (base == -1) {
    if (!m_pParent) return 1;
    int32_t w = 0;
    m_pParent->GetSize(w, base);
  }
  // The base line counts from the window's top; the items stand in screen coordinates.
  if (m_pParent) {
    int32_t wx = 0, wy = 0;
    m_pParent->GetPos(wx, wy);
    base = static_cast<int32_t>(std::clamp<int64_t>(int64_t{base} + wy, INT32_MIN, INT32_MAX));
  }
  bool any = false;
  int32_t lowest = 0;
  for (const SMenuItem& e : m_Items) {
    if (e.m_Hidden) continue;
    int32_t x = 0, y = 0, w = 0, h = 0;
    e.m_pItem->GetPos(x, y);
    e.m_pItem->GetSize(w, h);
    lowest = any ? std::max(lowest, y + h) : y + h;
    any = true;
  }
  if (any && lowest > base) MoveItems(0, base - lowest);
  return 1;
}

void CMenu::ShowLook(bool highlighted) {
  CBitmap* bm = highlighted ? m_Look.m_pBitmaps[LOOK_HIGHLIGHT] : m_pNormalBitmap;
  if (m_Look.m_pBitmaps[LOOK_NORMAL] == bm) return;
  m_Look.m_pBitmaps[LOOK_NORMAL] = bm;
  Validate();
}

void CMenu::HideItems() {
  for (SMenuItem& e : m_Items) e.m_pItem->SetState(XGUI_HIDDEN);
}

void CMenu::StopTimer(int32_t& running, int32_t delay) {
  if (!running) return;
  running = 0;
  ReleaseTimer(static_cast<uint32_t>(delay));
}

void CMenu::CloseChildMenusBut(const CMenu* keep) {
  for (SMenuItem& e : m_Items) {
    auto* child = dynamic_cast<CMenu*>(e.m_pItem);
    if (!child || child == keep || !child->m_Open) continue;
    child->CloseChildMenus();
    child->CloseMenu(1);
  }
}

int32_t CMenu::CloseChildMenus() {
  CloseChildMenusBut(nullptr);
  return 1;
}

int32_t CMenu::OpenMenu() {
  if (m_Open) return 1;
  ValidateMenuItems();
  ValidateMenuPlacment();
  if (m_pParentMenu) m_pParentMenu->CloseChildMenusBut(this);
  CloseChildMenus();
  m_Open = 1;
  m_ClosePending = 0;
  StopTimer(m_CloseTimer, m_CloseDelay);
  for (SMenuItem& e : m_Items)
    if (!e.m_Hidden) e.m_pItem->SetState(e.m_SavedState == XGUI_HIDDEN ? XGUI_RELEASED : e.m_SavedState);
  ShowLook(true);
  Notify(GUIMSG_MENUOPEN);
  return 1;
}

int32_t CMenu::CloseMenu(int32_t force) {
  if (!m_Open) return 1;
  if (!force) {
    bool itemActive = false, childOpen = false;
    for (const SMenuItem& e : m_Items) {
      const int32_t s = e.m_pItem->GetState();
      if (s == XGUI_HIGHLIGHT || s == XGUI_PRESSED) itemActive = true;
      if (auto* child = dynamic_cast<CMenu*>(e.m_pItem); child && child->m_Open) childOpen = true;
    }
    const bool self = m_State == XGUI_HIGHLIGHT || m_State == XGUI_PRESSED;
    if (m_OpenMode == MENU_ALWAYS || self || itemActive || childOpen) {
      if (itemActive) ShowLook(true);
      // Still in use: a later leave waits the whole close delay again.
      m_ClosePending = 0;
      StopTimer(m_CloseTimer, m_CloseDelay);
      return 0;
    }
    ShowLook(false);
    if (!m_ClosePending) {
      if (!m_CloseTimer && AddTimer(static_cast<uint32_t>(m_CloseDelay))) m_CloseTimer = 1;
      return 0;
    }
  }
  // Hidden child menus take no input: they would never close their own items.
  CloseChildMenus();
  m_Open = 0;
  m_ClosePending = 0;
  StopTimer(m_CloseTimer, m_CloseDelay);
  ShowLook(false);
  HideItems();
  Notify(GUIMSG_MENUCLOSE);
  return 1;
}

void CMenu::MarkHidden(SMenuItem& entry, int32_t hidden) {
  hidden = hidden ? 1 : 0;
  if (entry.m_Hidden == hidden) return;
  entry.m_Hidden = hidden;
  m_LayoutValid = 0;
  if (!m_Open) return;
  // At once while open, or the next input would take the item's state for a change from outside.
  CControlBase* item = entry.m_pItem;
  if (hidden) {
    if (item->GetState() != XGUI_HIDDEN) entry.m_SavedState = item->GetState();
    item->SetState(XGUI_HIDDEN);
  } else if (item->GetState() == XGUI_HIDDEN) {
    item->SetState(entry.m_SavedState == XGUI_HIDDEN ? XGUI_RELEASED : entry.m_SavedState);
  }
}

int32_t CMenu::HideCurrChild(int32_t hidden) {
  if (!ExistsChild()) return 0;
  MarkHidden(m_Items[m_Cursor], hidden);
  return 1;
}

int32_t CMenu::HideChild(int32_t id, int32_t hidden) {
  int32_t found = 0;
  for (SMenuItem& e : m_Items)
    if (e.m_pItem->GetID() == id) {
      MarkHidden(e, hidden);
      found = 1;
    }
  return found;
}

int32_t CMenu::HideAllChilds(int32_t hidden, int32_t exceptId) {
  for (SMenuItem& e : m_Items)
    if (e.m_pItem->GetID() != exceptId) MarkHidden(e, hidden);
  return 1;
}

int32_t CMenu::SetParent(int32_t windowId, CWindowBase* window) {
  CControlBase::SetParent(windowId, window);
  for (SMenuItem& e : m_Items) {
    e.m_pItem->SetParent(windowId, window);
    if (m_OpenMode != MENU_ALWAYS) e.m_pItem->SetState(XGUI_HIDDEN);
    if (window) xAddChildToWindow(window, e.m_pItem);
  }
  if (window && m_OpenMode == MENU_ALWAYS) OpenMenu();
  return 1;
}

int32_t CMenu::SetBitmap(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled) {
  m_pNormalBitmap = normal;
  CControlBase::SetBitmap(normal, pressed, highlighted, disabled);
  if (m_Open) ShowLook(true);
  return 1;
}

int32_t CMenu::SetPos(int32_t x, int32_t y) {
  MoveItems(x - m_X, y - m_Y);
  return CControlBase::SetPos(x, y);
}

void CMenu::TimerHandler(uint32_t period) {
  CControlBase::TimerHandler(period);
  CGuiWalk walk;
  if (m_CloseTimer && period == static_cast<uint32_t>(m_CloseDelay)) {
    StopTimer(m_CloseTimer, m_CloseDelay);
    m_ClosePending = 1;
    CloseMenu(0);
  } else if (m_OpenTimer && period == static_cast<uint32_t>(m_OpenDelay)) {
    StopTimer(m_OpenTimer, m_OpenDelay);
    if (m_State == XGUI_HIGHLIGHT) OpenMenu();
  }
}

int32_t CMenu::HotKeyMessage(void* d) {
  const auto* k = static_cast<const TQueueChar*>(d);
  if (!k || !m_HotKey || k->m_Code != static_cast<uint16_t>(m_HotKey)) return 0;
  if (k->m_Flags & XKEYF_PRESSED) {
    m_Press = 2;
    m_RequestedState = XGUI_PRESSED;
    Notify(GUIMSG_HELD);
  } else if (m_Press == 2) {
    m_Press = 0;
    m_RequestedState = XGUI_RELEASED;
    Notify(GUIMSG_COMMAND);
  }
  Invalidate();
  return 1;
}

void CMenu::SyncItems() {
  if (!m_Open) {
    for (SMenuItem& e : m_Items) {
      const int32_t s = e.m_pItem->GetState();
      if (e.m_Hidden || s == XGUI_HIDDEN) continue;
      e.m_SavedState = s;
      e.m_pItem->SetState(XGUI_HIDDEN);
    }
    return;
  }
  // Items hidden or shown from outside while the menu is open.
  for (SMenuItem& e : m_Items) {
    const bool hidden = e.m_pItem->GetState() == XGUI_HIDDEN;
    if (hidden != (e.m_Hidden != 0)) MarkHidden(e, hidden ? 1 : 0);
  }
  if (!m_LayoutValid) {
    ValidateMenuItems();
    ValidateMenuPlacment();
  }
}

int32_t CMenu::GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) {
  if (m_State == XGUI_DISABLED || m_State == XGUI_HIDDEN) return 0;
  if (msg == GUIMSG_KEY) return HotKeyMessage(d);
  if (msg != GUIMSG_MOUSE) return 0;
  const bool down = (c & 1) != 0;
  const bool onMenu = IsHit(a, b, CNTRL_TRANSPARENT | CNTRL_HASBITMAP | CNTRL_BMTRANS) != 0;
  const bool onItems = m_Open && m_ItemsRect.IsPntInRect(a, b);
  int32_t result = 0;
  if (!onMenu && !onItems) {
    if (down) m_PressOutside = 1;
    StopTimer(m_OpenTimer, m_OpenDelay);
    if (m_State == XGUI_PRESSED || m_State == XGUI_HIGHLIGHT) {
      if (m_Press == 1 || m_State == XGUI_HIGHLIGHT) Notify(GUIMSG_LEAVE);
      m_RequestedState = XGUI_RELEASED;
    }
    if (!down && m_Press == 1) m_Press = 0;
    Invalidate();
    CloseMenu(0);
  } else {
    // Back on the menu or its items: a close under way is called off.
    m_ClosePending = 0;
    StopTimer(m_CloseTimer, m_CloseDelay);
    result = 1;
    if (!onMenu) {
      // Over the items only: the menu keeps open but is not itself highlighted.
      if (m_State == XGUI_HIGHLIGHT) m_RequestedState = XGUI_RELEASED;
    } else if (!m_PressOutside) {
      const bool highlight = CanHighlight(m_pParent);
      if (m_State == XGUI_RELEASED && !down && highlight) {
        m_RequestedState = XGUI_HIGHLIGHT;
        Notify(GUIMSG_HIGHLIGHT);
        // Without an open delay the menu opens below, once the highlight shows.
        if ((m_OpenMode == MENU_HIGHLIGHT || m_OpenMode == MENU_CLICKANDHIGHLIGHT) && m_OpenDelay != 0 &&
            !m_OpenTimer && AddTimer(static_cast<uint32_t>(m_OpenDelay)))
          m_OpenTimer = 1;
      }
      if (down && m_Press == 0) {
        m_Press = 1;
        m_RequestedState = XGUI_PRESSED;
        Notify(GUIMSG_HELD);
        if (m_OpenMode == MENU_CLICK || m_OpenMode == MENU_CLICKANDHIGHLIGHT) OpenMenu();
      } else if (!down && m_Press == 1) {
        m_Press = 0;
        m_RequestedState = XGUI_HIGHLIGHT;
        Notify(GUIMSG_COMMAND);
      }
      // An inactive window shows no highlight.
      if (m_RequestedState == XGUI_HIGHLIGHT && !highlight) {
        StopTimer(m_OpenTimer, m_OpenDelay);
        m_RequestedState = XGUI_RELEASED;
        ShowLook(false);
        Notify(GUIMSG_LEAVE);
      }
    }
    Invalidate();
    if (m_OpenDelay == 0 && m_State == XGUI_HIGHLIGHT &&
        (m_OpenMode == MENU_HIGHLIGHT || m_OpenMode == MENU_CLICKANDHIGHLIGHT))
      OpenMenu();
  }
  if (!down) m_PressOutside = 0;
  SyncItems();
  return result;
}
