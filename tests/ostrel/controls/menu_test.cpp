#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/menu.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/system/frameloop.h"
#include "support/guiharness.h"

namespace {
using TMsgs = std::vector<std::pair<int32_t, int32_t>>;

// A window at the origin, 300 x 300, without title bar: control coordinates are screen ones.
// Frames do not advance the clock; the tests do.
class Menus : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    SetMinimumFrameTime(0);
    m_Window.Create(1, "", 0, 0, 300, 300, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    for (int32_t i = 0; i < 3; ++i) m_Item[i].Create(21 + i, "Item", 0, 0, 80, 20, 0, 0);
    Events().clear();
  }
  // A menu at (x, y), 60 x 20, with the three items, in the window.
  void Make(CMenu& m, int32_t id, int32_t x, int32_t y, int32_t closeDelay, int32_t openDelay, const char* direction,
            const char* mode) {
    ASSERT_EQ(m.Create(id, "Menu", x, y, 60, 20, closeDelay, openDelay, direction, mode, 0, 0), 1);
    for (CButton& item : m_Item) m.Add(&item, -1);
    m_Window.AddCntrl(&m, ADDCNTRL_LAST);
  }
  // Milliseconds, in steps of one with a frame each, until the condition holds; -1 after limit.
  int32_t Until(const std::function<bool()>& done, int32_t limit = 3000) {
    for (int32_t ms = 0; ms <= limit; ++ms) {
      if (done()) return ms;
      m_Clock.Advance(1);
      Frame();
    }
    return -1;
  }
  int32_t ItemY(int32_t i) {
    int32_t x = 0, y = 0;
    m_Item[i].GetPos(x, y);
    return y;
  }
  CWindow m_Window;
  CButton m_Item[3];
};
}  // namespace

TEST_F(Menus, AClickMenuOpensOnThePressAndClosesTheDelayAfterTheMouseLeftItAndItsItems) {
  CMenu m;
  Make(m, 40, 10, 10, 300, 0, "DOWN", "CLICK");
  EXPECT_EQ(m.GetOpenDelay(), 0);
  for (CButton& item : m_Item) EXPECT_EQ(item.GetState(), XGUI_HIDDEN);
  MoveTo(20, 20);
  EXPECT_FALSE(m.IsOpen());
  Press(20, 20);
  EXPECT_TRUE(m.IsOpen());
  EXPECT_EQ(EventsOf(GUIMSG_MENUOPEN), (TMsgs{{1, 40}}));
  Release(20, 20);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (TMsgs{{1, 40}}));
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m_Item[i].GetState(), XGUI_RELEASED);
    EXPECT_EQ(ItemY(i), 30 + 20 * i);
  }
  // On an item, and between the menu and its items, it stays open however long.
  MoveTo(20, 55);
  EXPECT_EQ(Until([&] { return !m.IsOpen(); }, 1000), -1);
  MoveTo(200, 200);
  const int32_t closed = Until([&] { return !m.IsOpen(); });
  EXPECT_GE(closed, 300);
  EXPECT_LE(closed, 302);
  EXPECT_EQ(EventsOf(GUIMSG_MENUCLOSE), (TMsgs{{1, 40}}));
  for (CButton& item : m_Item) EXPECT_EQ(item.GetState(), XGUI_HIDDEN);
  // Coming back before the delay is over calls the close off; leaving again waits it whole.
  Click(20, 20);
  MoveTo(200, 200);
  EXPECT_EQ(Until([&] { return !m.IsOpen(); }, 200), -1);
  MoveTo(20, 40);
  MoveTo(200, 200);
  const int32_t again = Until([&] { return !m.IsOpen(); });
  EXPECT_GE(again, 300);
  EXPECT_LE(again, 302);
}

TEST_F(Menus, AHighlightMenuOpensOnlyWhenTheMouseRestsForTheOpenDelay) {
  CMenu m;
  Make(m, 40, 10, 10, 300, 500, "DOWN", "HIGHLIGHT");
  MoveTo(20, 20);
  EXPECT_EQ(EventsOf(GUIMSG_HIGHLIGHT), (TMsgs{{1, 40}}));
  EXPECT_EQ(Until([&] { return m.IsOpen(); }, 400), -1);
  MoveTo(200, 200);  // left before the delay was over
  EXPECT_EQ(Until([&] { return m.IsOpen(); }, 1000), -1);
  MoveTo(20, 20);
  const int32_t opened = Until([&] { return m.IsOpen(); });
  EXPECT_GE(opened, 500);
  EXPECT_LE(opened, 502);
  // A NEVER menu opens neither way.
  CMenu never;
  Make(never, 41, 100, 10, 300, 500, "DOWN", "NEVER");
  Click(110, 15);
  EXPECT_EQ(Until([&] { return never.IsOpen(); }, 1000), -1);
  m_Window.RemoveCntrl(&never);
  for (CButton& item : m_Item) m_Window.RemoveCntrl(&item);
  // Without an open delay a HIGHLIGHT menu opens as soon as the mouse is on it.
  CMenu at;
  Make(at, 42, 200, 10, 300, 0, "DOWN", "HIGHLIGHT");
  MoveTo(210, 15);
  EXPECT_TRUE(at.IsOpen());
}

TEST_F(Menus, EqualDelaysOpenOneMillisecondLater) {
  struct SRow {
    int32_t m_Close, m_Open, m_WantClose, m_WantOpen;
  };
  const SRow kRows[] = {{300, 300, 300, 301}, {300, 200, 300, 200}, {0, 0, 1, 0}, {-5, -1, 1, 0}, {1, 1, 1, 2}};
  for (const SRow& r : kRows) {
    CMenu m;
    m.Create(1, "", 0, 0, 10, 10, r.m_Close, r.m_Open, "", "CLICK", 0, 0);
    EXPECT_EQ(m.GetCloseDelay(), r.m_WantClose);
    EXPECT_EQ(m.GetOpenDelay(), r.m_WantOpen);
  }
  CMenu m;
  Make(m, 40, 10, 10, 300, 300, "DOWN", "CLICKANDHIGHLIGHT");
  MoveTo(20, 20);
  const int32_t opened = Until([&] { return m.IsOpen(); });
  EXPECT_GE(opened, 301);
  EXPECT_LE(opened, 303);
  MoveTo(200, 200);
  const int32_t closed = Until([&] { return !m.IsOpen(); });
  EXPECT_GE(closed, 300);
  EXPECT_LE(closed, 302);
}

TEST_F(Menus, TheFourDirectionsAndTheOpenWords) {
  struct SRow {
    const char* m_Direction;
    int32_t m_Want, m_X, m_Y;  // the direction value and the first item's place
  };
  // The menu at (100, 100), 60 x 20; items 80 x 20.
  const SRow kRows[] = {
      {"UP", MENU_UP, 100, 40}, {"down", MENU_DOWN, 100, 120}, {"Sideways", MENU_DOWN, 100, 120},
      {"LEFT", MENU_LEFT, 20, 100}, {"right", MENU_RIGHT, 160, 100},
  };
  for (const SRow& r : kRows) {
    SCOPED_TRACE(r.m_Direction);
    CMenu m;
    Make(m, 40, 100, 100, 300, 0, r.m_Direction, "NEVER");
    EXPECT_EQ(m.GetDirection(), r.m_Want);
    EXPECT_EQ(m.OpenMenu(), 1);
    int32_t x = 0, y = 0;
    m_Item[0].GetPos(x, y);
    EXPECT_EQ(x, r.m_X);
    EXPECT_EQ(y, r.m_Y);
    EXPECT_EQ(ItemY(2), r.m_Y + 40);
    m_Window.RemoveCntrl(&m);
    for (CButton& item : m_Item) m_Window.RemoveCntrl(&item);
  }
  const char* const kModes[] = {"always", "CLICK", "Highlight", "ClickAndHighlight", "NEVER"};
  for (int32_t i = 0; i < 5; ++i) {
    CMenu m;
    m.Create(1, "", 0, 0, 10, 10, 1, 2, "UP", kModes[i], 0, 0);
    EXPECT_EQ(m.GetOpenMode(), i);
  }
}

TEST_F(Menus, AnAlwaysMenuIsOpenAtOnceAndNeverClosesByItself) {
  CMenu m;
  Make(m, 40, 10, 10, 100, 0, "DOWN", "ALWAYS");
  EXPECT_TRUE(m.IsOpen());
  EXPECT_EQ(m_Item[0].GetState(), XGUI_RELEASED);
  MoveTo(20, 20);
  MoveTo(250, 250);
  EXPECT_EQ(Until([&] { return !m.IsOpen(); }, 500), -1);
  EXPECT_EQ(m.CloseMenu(0), 0);
  EXPECT_EQ(m.CloseMenu(1), 1);
  EXPECT_FALSE(m.IsOpen());
  EXPECT_EQ(m.CloseMenu(1), 1);  // not open
}

TEST_F(Menus, TheBaseLineMovesTheItemsUp) {
  struct SRow {
    int32_t m_BaseLine, m_LastEnd;
  };
  // The menu at (10, 250) of the window: three items below it would end at 330. The base line
  // counts from the window's top, wherever the window stands.
  const SRow kRows[] = {{-1, 300}, {280, 280}, {400, 330}};
  for (const int32_t top : {0, 100}) {
    m_Window.SetPos(0, top);
    for (const SRow& r : kRows) {
      SCOPED_TRACE(testing::Message() << r.m_BaseLine << " in a window at " << top);
      CMenu m;
      m.SetBaseLine(r.m_BaseLine);
      for (CButton& item : m_Item) item.SetPos(0, top);
      Make(m, 40, 10, 250 + top, 300, 0, "DOWN", "CLICK");
      EXPECT_EQ(m.GetBaseLine(), r.m_BaseLine);  // Create keeps it
      m.OpenMenu();
      EXPECT_EQ(ItemY(2) + 20, top + r.m_LastEnd);
      EXPECT_EQ(ItemY(0), top + r.m_LastEnd - 60);
      m_Window.RemoveCntrl(&m);
      for (CButton& item : m_Item) m_Window.RemoveCntrl(&item);
    }
  }
}

TEST_F(Menus, ItemsAddedToAnOpenMenuTakeTheirPlacesAtOnce) {
  // As the dialog reader builds an always-open menu: the menu joins the window (and opens), its
  // items follow.
  CMenu m;
  ASSERT_EQ(m.Create(40, "Menu", 10, 50, 60, 20, 300, 0, "DOWN", "ALWAYS", 0, 0), 1);
  m_Window.AddCntrl(&m, ADDCNTRL_LAST);
  ASSERT_EQ(m.IsOpen(), 1);
  for (CButton& item : m_Item) m.Add(&item, -1);
  int32_t x = 0, y = 0;
  m.GetPos(x, y);
  // Below the menu, one under the other, shown: no mouse message came.
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ItemY(i), y + 20 + 20 * i) << i;
    EXPECT_EQ(m_Item[i].GetState(), XGUI_RELEASED) << i;
  }
  m_Window.RemoveCntrl(&m);
  for (CButton& item : m_Item) m_Window.RemoveCntrl(&item);
}

TEST_F(Menus, HidingAnItemOfAnOpenMenuClosesTheGap) {
  CMenu m;
  Make(m, 40, 10, 10, 300, 0, "DOWN", "CLICK");
  Click(20, 20);
  ASSERT_TRUE(m.IsOpen());
  EXPECT_EQ(m.HideChild(22, 1), 1);
  EXPECT_EQ(m.HideChild(99, 1), 0);
  MoveTo(20, 21);
  EXPECT_EQ(m_Item[1].GetState(), XGUI_HIDDEN);
  EXPECT_EQ(ItemY(2), 50);
  EXPECT_EQ(m.GetItemsRect().bottom, 69);
  // Shown again from outside: it takes its place back.
  m_Item[1].SetState(XGUI_RELEASED);
  MoveTo(20, 20);
  m.FirstChild();
  m.NextChild();
  EXPECT_EQ(m.GetChild(), &m_Item[1]);
  EXPECT_EQ(m.IsCurrChildHidden(), 0);
  EXPECT_EQ(ItemY(2), 70);
  // All but one.
  m.HideAllChilds(1, 23);
  MoveTo(20, 21);
  EXPECT_EQ(ItemY(2), 30);
  EXPECT_EQ(m_Item[0].GetState(), XGUI_HIDDEN);
  EXPECT_EQ(m.GetNumberOfChilds(), 3);
}

TEST_F(Menus, NestedMenusCloseChildFirstAndSiblingsCloseEachOther) {
  CMenu top, sub, other;
  ASSERT_EQ(top.Create(40, "Top", 10, 10, 60, 20, 300, 0, "DOWN", "CLICK", 0, 0), 1);
  sub.Create(50, "Sub", 0, 0, 80, 20, 200, 0, "RIGHT", "CLICK", 0, 0);
  other.Create(60, "Other", 0, 0, 80, 20, 200, 0, "RIGHT", "CLICK", 0, 0);
  top.Add(&sub, -1);
  top.Add(&other, -1);
  sub.Add(&m_Item[0], -1);
  other.Add(&m_Item[1], -1);
  m_Window.AddCntrl(&top, ADDCNTRL_LAST);
  EXPECT_EQ(sub.GetParentMenu(), &top);
  Click(20, 20);
  Click(20, 40);  // the sub menu stands below the top one
  ASSERT_TRUE(sub.IsOpen());
  int32_t x = 0, y = 0;
  m_Item[0].GetPos(x, y);
  EXPECT_EQ(x, 90);
  EXPECT_EQ(y, 30);
  // Opening the sibling closes the first.
  Click(20, 60);
  EXPECT_TRUE(other.IsOpen());
  EXPECT_FALSE(sub.IsOpen());
  EXPECT_EQ(m_Item[0].GetState(), XGUI_HIDDEN);
  Click(20, 40);
  EXPECT_TRUE(sub.IsOpen());
  EXPECT_FALSE(other.IsOpen());
  // On the sub menu's item the top menu stays open; leaving all closes the child, then the top.
  MoveTo(95, 35);
  MoveTo(250, 250);
  Events().clear();
  const int32_t subClosed = Until([&] { return !sub.IsOpen(); });
  EXPECT_GE(subClosed, 200);
  EXPECT_LE(subClosed, 202);
  EXPECT_TRUE(top.IsOpen());
  const int32_t topClosed = Until([&] { return !top.IsOpen(); });
  EXPECT_GE(topClosed, 300);
  EXPECT_LE(topClosed, 303);
  EXPECT_EQ(EventsOf(GUIMSG_MENUCLOSE), (TMsgs{{1, 50}, {1, 40}}));
  // Closing the top menu with force closes its open children too.
  Click(20, 20);
  Click(20, 40);
  ASSERT_TRUE(sub.IsOpen());
  top.CloseMenu(1);
  EXPECT_FALSE(sub.IsOpen());
  EXPECT_EQ(m_Item[0].GetState(), XGUI_HIDDEN);
}

TEST_F(Menus, InsertingBeforeAnItemMovesTheLaterOnesDown) {
  CMenu m;
  m.Create(40, "Menu", 10, 10, 60, 20, 300, 0, "DOWN", "NEVER", 0, 0);
  m.Add(&m_Item[0], -1);
  m.Add(&m_Item[1], -1);
  m.Add(&m_Item[2], 1);
  m_Window.AddCntrl(&m, ADDCNTRL_LAST);
  m.OpenMenu();
  std::vector<CControlBase*> order;
  for (int32_t more = m.FirstChild(); more; more = m.NextChild()) order.push_back(m.GetChild());
  EXPECT_EQ(order, (std::vector<CControlBase*>{&m_Item[0], &m_Item[2], &m_Item[1]}));
  EXPECT_EQ(ItemY(2), 50);
  EXPECT_EQ(ItemY(1), 70);
  // Moving the menu moves the open items.
  m.SetPos(20, 10);
  int32_t x = 0, y = 0;
  m_Item[1].GetPos(x, y);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(m.GetItemsRect().left, 20);
}
