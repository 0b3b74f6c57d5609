// A button-like control that opens a column of item controls beside it (above, below, left or
// right) on a click, when the mouse rests on it, on either, always or never; items may be menus
// themselves. It closes the close delay after the mouse has left it and all its items, and
// reports 26 when it opens and 27 when it closes. The items are not owned.
#pragma once

#include <cstddef>
#include <vector>

#include "ostrel/controls/button.h"

enum : int32_t { MENU_UP = 0, MENU_DOWN = 1, MENU_LEFT = 2, MENU_RIGHT = 3 };
enum : int32_t {
  MENU_ALWAYS = 0,
  MENU_CLICK = 1,
  MENU_HIGHLIGHT = 2,
  MENU_CLICKANDHIGHLIGHT = 3,
  MENU_NEVER = 4,
};

struct SMenuItem {
  int32_t m_SavedState;
  int32_t m_Hidden;
  CControlBase* m_pItem;
  int32_t m_X, m_Y;  // offset from the menu
};

class CMenu : public CButton {
 public:
  using CControlBase::Create;
  CMenu() = default;
  ~CMenu() override;

  // direction: "UP", "LEFT", "RIGHT", anything else down; openMode: "ALWAYS", "CLICK",
  // "HIGHLIGHT", "CLICKANDHIGHLIGHT", "NEVER". The base line set before stays.
  int32_t Create(int32_t id, const char* text, int32_t x, int32_t y, int32_t width, int32_t height, int32_t closeDelay,
                 int32_t openDelay, const char* direction, const char* openMode, int16_t hotKey, uint32_t flags);
  // Appends, or inserts before the item at position (0 < position < count).
  int32_t Add(CControlBase* item, int32_t position);
  int32_t SetMenuDirection(int32_t direction);
  int32_t OpenMenu();
  // Without force it may only start the close delay, or stay open while the mouse is on the
  // menu or an item, or a child menu is open; 1 when the menu is closed afterwards.
  int32_t CloseMenu(int32_t force);
  int32_t CloseChildMenus();
  int32_t HideCurrChild(int32_t hidden);
  // 1 when an item had the id.
  int32_t HideChild(int32_t id, int32_t hidden);
  int32_t HideAllChilds(int32_t hidden, int32_t exceptId);
  // Stacks the visible items and places the stack by the direction.
  int32_t ValidateMenuItems();
  // Moves the items up when the lowest one ends below the base line (or the window's height).
  int32_t ValidateMenuPlacment();

  int32_t IsOpen() const { return m_Open; }
  // Timer periods are at least 1 ms, and the open delay never equals the close delay.
  void SetCloseDelay(int32_t delay);
  void SetParentMenu(CMenu* menu) { m_pParentMenu = menu; }
  CMenu* GetParentMenu() const { return m_pParentMenu; }
  int32_t FirstChild() {
    m_Cursor = 0;
    return ExistsChild();
  }
  int32_t NextChild() {
    if (m_Cursor < m_Items.size()) ++m_Cursor;
    return ExistsChild();
  }
  int32_t ExistsChild() const { return m_Cursor < m_Items.size() ? 1 : 0; }
  int32_t LastChild() {
    m_Cursor = m_Items.empty() ? 0 : m_Items.size() - 1;
    return ExistsChild();
  }
  CControlBase* GetChild() const { return ExistsChild() ? m_Items[m_Cursor].m_pItem : nullptr; }
  int32_t GetNumberOfChilds() const { return static_cast<int32_t>(m_Items.size()); }
  int32_t IsCurrChildHidden() const { return ExistsChild() ? m_Items[m_Cursor].m_Hidden : 0; }
  void SetBaseLine(int32_t baseLine) { m_BaseLine = baseLine; }
  int32_t GetBaseLine() const { return m_BaseLine; }
  int32_t GetCloseDelay() const { return m_CloseDelay; }
  int32_t GetOpenDelay() const { return m_OpenDelay; }
  int32_t GetDirection() const { return m_Direction; }
  int32_t GetOpenMode() const { return m_OpenMode; }
  const CRect& GetItemsRect() const { return m_ItemsRect; }

  // A menu is no template of buttons.
  int32_t SetDefault() override { return 1; }
  int32_t SetParent(int32_t windowId, CWindowBase* window) override;
  int32_t SetBitmap(CBitmap* normal, CBitmap* pressed, CBitmap* highlighted, CBitmap* disabled) override;
  int32_t SetPos(int32_t x, int32_t y) override;
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override;
  void TimerHandler(uint32_t period) override;

 private:
  void MoveItems(int32_t dx, int32_t dy);
  void HideItems();
  void ShowLook(bool highlighted);
  void StopTimer(int32_t& running, int32_t delay);
  void CloseChildMenusBut(const CMenu* keep);
  void MarkHidden(SMenuItem& entry, int32_t hidden);
  // Step 6 of the input: keeps the items in step with the open mark.
  void SyncItems();
  int32_t HotKeyMessage(void* d);

  int32_t m_PlacementChecked = 0;
  int32_t m_LayoutValid = 0;
  int32_t m_ClosePending = 0;
  int32_t m_CloseDelay = 1;
  int32_t m_OpenDelay = 2;
  int32_t m_Open = 0;
  std::vector<SMenuItem> m_Items;
  size_t m_Cursor = 0;
  int32_t m_PressOutside = 0;
  int32_t m_BaseLine = -1;
  CMenu* m_pParentMenu = nullptr;
  CBitmap* m_pNormalBitmap = nullptr;
  CRect m_ItemsRect;
  int32_t m_Direction = MENU_DOWN;
  int32_t m_OpenMode = MENU_CLICK;
  // Which of the two one-shot timers this menu started (an animation may share a period).
  int32_t m_CloseTimer = 0;
  int32_t m_OpenTimer = 0;
};
