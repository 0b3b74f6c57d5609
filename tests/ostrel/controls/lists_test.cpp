#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/combobox.h"
#include "ostrel/controls/listbox.h"
#include "ostrel/controls/slider.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"
#include "platform/display/keys.h"
#include "support/guiharness.h"

namespace {
using Pairs = std::vector<std::pair<int32_t, int32_t>>;

constexpr int32_t kList = 40;
constexpr int32_t kCombo = 50;
// The built-in colour sets: button normal entries 2 and 5, the frame's entry 2.
constexpr uint32_t kRowFace = 0xBEBEBE;
constexpr uint32_t kListFill = 0x7D7D7D;
constexpr uint32_t kFrameFill = 0xC0C0C0;

// A window at (100, 100) without title bar, so control coordinates are window coordinates.
class Lists : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    m_Window.Create(1, "", 100, 100, 300, 300, XWIN_FRAME);
    WC().AddWindow(&m_Window, &Record, nullptr);
    Events().clear();
  }
  // A list box at (10, 10), 100 x 60, rows of 20.
  void MakeList(const std::vector<const char*>& texts) {
    ASSERT_EQ(m_List.Create(kList, 10, 10, 100, 60, 20, 0), 1);
    for (const char* t : texts) m_List.Add(t);
    m_Window.AddCntrl(&m_List, ADDCNTRL_LAST);
  }
  // A combo box at (10, 10), 100 x 20, with a list of 200.
  void MakeCombo(const std::vector<const char*>& texts, int32_t height = 20) {
    ASSERT_EQ(m_Combo.Create(kCombo, 10, 10, 100, height, 200, 0, 0), 1);
    for (const char* t : texts) m_Combo.Add(t);
    m_Window.AddCntrl(&m_Combo, ADDCNTRL_LAST);
  }
  // Frames 20 ms apart.
  void Frames(int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
      m_Clock.Advance(20);
      Frame();
    }
  }
  static void Type(char letter) { Key(XVK_A + static_cast<uint32_t>(letter - 'a')); }
  // Clicks the drop-down button.
  void Drop() {
    const CRect r = m_Combo.GetButton()->ScreenRect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  CWindow m_Window;
  CListbox m_List;
  CCombobox m_Combo;
};

// --- List box ---

TEST_F(Lists, AListBoxSelectsTheRowUnderAPressAndReportsRepeatsAndEmptySpaceWith16) {
  MakeList({"Apple", "Banana"});
  EXPECT_EQ(m_List.GetSelected(), 1);
  EXPECT_EQ(m_List.GetSelectedControl(), m_List.GetRow(1));
  Click(150, 135);  // row 2
  EXPECT_EQ(m_List.GetSelected(), 2);
  EXPECT_EQ(EventsOf(GUIMSG_SELCHANGE), (Pairs{{1, kList}}));
  EXPECT_TRUE(EventsOf(GUIMSG_LISTEVENT).empty());
  EXPECT_EQ(m_Window.GetFocus(), &m_List);
  EXPECT_EQ(m_List.HasFocus(), 1);
  // Selecting does not move the list cursor.
  EXPECT_EQ(m_List.GetSelectedControl(), m_List.GetRow(1));
  Click(150, 140);  // row 2 again
  Click(150, 160);  // below the last row
  EXPECT_EQ(EventsOf(GUIMSG_SELCHANGE).size(), 1u);
  EXPECT_EQ(EventsOf(GUIMSG_LISTEVENT), (Pairs{{1, kList}, {1, kList}}));
  EXPECT_EQ(m_List.GetSelected(), 2);
  // Holding the button while moving selects nothing more; a press that began outside neither.
  Press(150, 115);
  MoveTo(150, 135);
  Release(150, 135);
  EXPECT_EQ(m_List.GetSelected(), 1);
  MoveTo(50, 50);
  Press(50, 50);
  MoveTo(150, 135);
  Release(150, 135);
  EXPECT_EQ(m_List.GetSelected(), 1);
}

TEST_F(Lists, SetSelectedRefusesRowsThatDoNotExist) {
  MakeList({"Apple", "Banana", "Cherry"});
  struct SRow {
    int32_t m_Row;
    int32_t m_Result;
    int32_t m_Selected;
  };
  const SRow kRows[] = {{0, 0, 1}, {-1, 0, 1}, {4, 0, 1}, {3, 1, 3}, {-7, 0, 3}, {1, 1, 1}, {9, 0, 1}};
  size_t sent = 0;
  for (const SRow& r : kRows) {
    SCOPED_TRACE(r.m_Row);
    EXPECT_EQ(m_List.SetSelected(r.m_Row, 0), r.m_Result);
    EXPECT_EQ(m_List.GetSelected(), r.m_Selected);
    sent += static_cast<size_t>(r.m_Result);
    EXPECT_EQ(EventsOf(GUIMSG_SELCHANGE).size(), sent);
    EXPECT_EQ(m_List.GetSelectedControl(), m_List.GetRow(1));
  }
  // Nothing to select in an empty list, and RemoveAll keeps the selected number.
  m_List.SetSelected(2, 0);
  EXPECT_EQ(m_List.RemoveAll(), 1);
  EXPECT_EQ(m_List.GetNumRows(), 0);
  EXPECT_EQ(m_List.GetSelectedControl(), nullptr);
  EXPECT_EQ(m_List.GetSelected(), 2);
  EXPECT_EQ(m_List.SetSelected(1, 0), 0);
}

TEST_F(Lists, ARowHeightBelowOneFailsCreate) {
  CListbox box;
  for (int32_t h : {0, -1, -20}) EXPECT_EQ(box.Create(3, 0, 0, 50, 50, h, 0), 0) << h;
  EXPECT_EQ(box.Create(3, 0, 0, 50, 50, 1, 0), 1);
  int32_t rowHeight = 0;
  EXPECT_EQ(box.GetFieldHeight(rowHeight), 1);
  EXPECT_EQ(rowHeight, 1);
}

TEST_F(Lists, TypingALetterJumpsToTheFirstEntryThatBeginsWithItOnlyWithTheFocus) {
  MakeList({"apple", "Banana", "cherry", "Coconut"});
  Type('c');  // no focus yet
  EXPECT_EQ(m_List.GetSelected(), 1);
  EXPECT_TRUE(EventsOf(GUIMSG_SELCHANGE).empty());
  Click(150, 115);  // row 1: takes the focus
  Events().clear();
  Type('c');
  EXPECT_EQ(m_List.GetSelected(), 3);
  EXPECT_FALSE(EventsOf(GUIMSG_SELCHANGE).empty());
  EXPECT_EQ(m_List.GetPress(), 2);
  Type('z');
  EXPECT_EQ(m_List.GetSelected(), 3);
  // The rows scrolled as far as they go to show it.
  EXPECT_EQ(m_List.GetIndex(), 2);
  Type('b');
  EXPECT_EQ(m_List.GetSelected(), 2);
  // The mouse in the box ends the key's hold, so clicks select again: the second row shown.
  Click(150, 135);
  EXPECT_EQ(m_List.GetSelected(), 3);
  // Losing the focus ends the jumps.
  m_Window.SetFocus(nullptr);
  Type('b');
  EXPECT_EQ(m_List.GetSelected(), 3);
}

TEST_F(Lists, ListBoxRowsAreNumberedFromTheTopRowAndOwned) {
  MakeList({"A", "B", "C", "D", "E"});
  auto* own = new CStatic;
  own->Create("F", 0, 0, 100, 20, 0);
  EXPECT_EQ(m_List.Add(own), 6);
  EXPECT_EQ(m_List.Add(own), 6);  // once only
  EXPECT_EQ(m_List.Add(static_cast<CControlBase*>(nullptr)), 0);
  EXPECT_EQ(m_List.Add(static_cast<const char*>(nullptr)), 0);
  int32_t wid = 0;
  CWindowBase* w = nullptr;
  own->GetParent(&wid, &w);
  EXPECT_EQ(w, &m_Window);
  // Text entries keep copies: the caller's buffer may change.
  char buffer[8] = "Grape";
  EXPECT_EQ(m_List.Add(buffer), 7);
  buffer[0] = 'X';
  EXPECT_STREQ(m_List.GetRow(7)->GetTextBuffer(0), "Grape");
  // With the third row on top, the middle of the box is row 4.
  EXPECT_EQ(m_List.SetIndex(3), 1);
  EXPECT_EQ(m_List.GetIndex(), 3);
  Click(150, 135);
  EXPECT_EQ(m_List.GetSelected(), 4);
  EXPECT_EQ(m_List.SetIndex(-4), 1);
  EXPECT_EQ(m_List.GetIndex(), 1);
}

TEST_F(Lists, MovingTheListBoxMovesItsScrollBar) {
  MakeList({"A"});
  CSlider* bar = m_List.GetScrollBar();
  ASSERT_NE(bar, nullptr);
  int32_t x = 0, y = 0, w = 0, h = 0;
  bar->GetPos(x, y);
  bar->GetSize(w, h);
  EXPECT_EQ(x, 10 + 100 - 14);
  EXPECT_EQ(y, 10);
  EXPECT_EQ(w, 14);
  EXPECT_EQ(h, 60);
  EXPECT_EQ(bar->GetID(), kList);
  EXPECT_EQ(bar->GetMessageTarget(), kList);
  m_List.SetPos(30, 5);
  bar->GetPos(x, y);
  EXPECT_EQ(x, 30 + 100 - 14);
  EXPECT_EQ(y, 5);
  m_List.SetSize(80, 100);
  bar->GetPos(x, y);
  bar->GetSize(w, h);
  EXPECT_EQ(x, 30 + 80 - 14);
  EXPECT_EQ(h, 100);
}

TEST_F(Lists, TheScrollBarRangeFollowsTheRowsAndShowsOnceTheyPassTheBox) {
  MakeList({"A", "B", "C"});
  int32_t lo = 0, hi = 0, page = 0;
  m_List.GetScrollBar()->GetRange(lo, hi, page);
  EXPECT_EQ((std::vector<int32_t>{lo, hi, page}), (std::vector<int32_t>{1, 3, 3}));
  EXPECT_EQ(m_List.NeedsScrollBar(), 0);
  m_List.Add("D");
  EXPECT_EQ(m_List.NeedsScrollBar(), 1);
  m_List.GetScrollBar()->GetRange(lo, hi, page);
  EXPECT_EQ(hi, 4);
  // Selecting with the scroll bar moved shows the row: the rows follow the thumb.
  EXPECT_EQ(m_List.SetSelected(4, 1), 1);
  EXPECT_EQ(m_List.GetScrollBar()->GetValue(), 2);
  EXPECT_EQ(m_List.GetIndex(), 2);
  EXPECT_EQ(m_List.SetSelected(1, 0), 1);
  EXPECT_EQ(m_List.GetIndex(), 2);
  m_List.RemoveAll();
  EXPECT_EQ(m_List.GetIndex(), 1);
  EXPECT_EQ(m_List.NeedsScrollBar(), 0);
}

TEST_F(Lists, HoldingTheScrollBarsDownArrowScrollsTheRows) {
  MakeList({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"});
  CSlider::ms_lTimeWhenPressed = -1;
  m_List.GetScrollBar()->SetScrollWaitTime(0);
  // The down arrow: the scroll bar's last 14 rows, at its right edge.
  MoveTo(200, 165);
  Press(200, 165);
  Frames(4);
  Release(200, 165);
  EXPECT_EQ(m_List.GetIndex(), 5);
  EXPECT_EQ(m_List.GetScrollBar()->GetValue(), 5);
  EXPECT_EQ(m_Window.GetFocus(), &m_List);
  EXPECT_EQ(m_List.GetSelected(), 1);  // scrolling selects nothing
  EXPECT_TRUE(EventsOf(GUIMSG_SELCHANGE).empty());
  // Rows count from the top row shown. The frame in which the mouse leaves the arrow is the
  // scroll bar's.
  MoveTo(150, 135);
  Click(150, 135);
  EXPECT_EQ(m_List.GetSelected(), 6);
  // Held on, the rows stop with the last one at the bottom.
  MoveTo(200, 165);
  Press(200, 165);
  Frames(10);
  Release(200, 165);
  EXPECT_EQ(m_List.GetIndex(), 8);
}

TEST_F(Lists, ListsThatOutliveTheirWindowLetGoOfIt) {
  CListbox list;
  CCombobox combo;
  {
    CWindow window;
    window.Create(2, "", 0, 0, 200, 200, XWIN_FRAME);
    ASSERT_EQ(list.Create(3, 0, 0, 50, 40, 10, 0), 1);
    ASSERT_EQ(combo.Create(4, 0, 50, 50, 20, 60, 0, 0), 1);
    window.AddCntrl(&list, ADDCNTRL_LAST);
    window.AddCntrl(&combo, ADDCNTRL_LAST);
    list.Add("a");
    combo.Add("b");
  }
  // Rows, entries and parts point at no window now; each frees itself without touching it.
  int32_t id = -1;
  CWindowBase* w = &m_Window;
  list.GetRow(1)->GetParent(&id, &w);
  EXPECT_EQ(w, nullptr);
  combo.GetButton()->GetParent(&id, &w);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(list.Add("c"), 2);
}

// --- Combo box ---

TEST_F(Lists, AComboBoxShowsTheFirstEntryAfterAddAndTheSelectedOneAfterSetSelected) {
  MakeCombo({"Red", "Green", "Blue"});
  EXPECT_EQ(m_Combo.GetSelectedControl(), m_Combo.GetEntry(1));
  EXPECT_EQ(m_Combo.SetSelected(3), 1);
  EXPECT_EQ(m_Combo.GetSelectedControl(), m_Combo.GetEntry(3));
  EXPECT_EQ(EventsOf(GUIMSG_SELCHANGE), (Pairs{{1, kCombo}}));
  m_Combo.Add("Black");
  EXPECT_EQ(m_Combo.GetSelectedControl(), m_Combo.GetEntry(1));
  EXPECT_EQ(m_Combo.GetSelected(), 3);
  // Numbers that do not exist show the first entry and select 1, without a message.
  for (int32_t n : {0, -2, 5}) {
    m_Combo.SetSelected(2);
    Events().clear();
    EXPECT_EQ(m_Combo.SetSelected(n), 0) << n;
    EXPECT_EQ(m_Combo.GetSelected(), 1);
    EXPECT_EQ(m_Combo.GetSelectedControl(), m_Combo.GetEntry(1));
    EXPECT_TRUE(EventsOf(GUIMSG_SELCHANGE).empty());
  }
  // Text entries are see-through one-line statics with copies of their texts.
  EXPECT_EQ(m_Combo.GetEntry(1)->GetFlags(), uint32_t{CNTRL_TRANSPARENT | CNTRL_CENTERV | CNTRL_NOWORDWRAP});
  EXPECT_TRUE(m_Combo.GetEntry(1)->IsBufferOwned());
}

TEST_F(Lists, TheDropDownButtonOpensTheListAndAPickClosesIt) {
  MakeCombo({"Red", "Green", "Blue"});
  CButton* button = m_Combo.GetButton();
  int32_t x = 0, y = 0, w = 0, h = 0;
  button->GetPos(x, y);
  button->GetSize(w, h);
  EXPECT_EQ((std::vector<int32_t>{button->GetID(), x, y, w, h}), (std::vector<int32_t>{kCombo + 10003, 95, 11, 14, 18}));
  const CRect area(10, 30, 109, 229);
  EXPECT_EQ(m_Combo.GetListArea().IsEqual(&area), 1);
  Drop();
  EXPECT_EQ(m_Combo.IsOpen(), 1);
  EXPECT_EQ(m_Combo.GetState(), XGUI_PRESSED);
  EXPECT_EQ(m_Window.GetFocus(), &m_Combo);
  // Entry k stands 18 pixels apart from y + 2 + 18 k: the third from 66. The frame in which
  // the mouse leaves the button is the button's.
  MoveTo(150, 170);
  MoveTo(150, 170);
  EXPECT_EQ(m_Combo.GetHotEntry(), 3);
  MoveTo(150, 150);
  EXPECT_EQ(m_Combo.GetHotEntry(), 2);
  Press(150, 170);
  EXPECT_EQ(m_Combo.IsOpen(), 1);
  Release(150, 170);
  EXPECT_EQ(m_Combo.IsOpen(), 0);
  EXPECT_EQ(m_Combo.GetSelected(), 3);
  EXPECT_EQ(m_Combo.GetSelectedControl(), m_Combo.GetEntry(3));
  EXPECT_EQ(EventsOf(GUIMSG_SELCHANGE), (Pairs{{1, kCombo}}));
  // A press outside the list closes it and picks nothing; so does a second release of the button.
  Drop();
  EXPECT_EQ(m_Combo.IsOpen(), 1);
  MoveTo(380, 380);
  Click(380, 380);
  EXPECT_EQ(m_Combo.IsOpen(), 0);
  Drop();
  Drop();
  EXPECT_EQ(m_Combo.IsOpen(), 0);
  EXPECT_EQ(m_Combo.GetSelected(), 3);
  EXPECT_EQ(EventsOf(GUIMSG_SELCHANGE).size(), 1u);
}

TEST_F(Lists, TypingALetterSelectsTheComboEntryAndPutsItOnTop) {
  MakeCombo({"Red", "green", "Blue"});
  Click(130, 120);  // the box takes the focus
  EXPECT_EQ(m_Combo.HasFocus(), 1);
  Type('g');
  EXPECT_EQ(m_Combo.GetSelected(), 2);
  EXPECT_EQ(m_Combo.GetSelectedControl(), m_Combo.GetEntry(2));
  EXPECT_EQ(m_Combo.GetIndex(), 2);
  Type('q');
  EXPECT_EQ(m_Combo.GetSelected(), 2);
}

TEST_F(Lists, DeleteFirstRenumbersTheEntriesAndKeepsTheShownOne) {
  MakeCombo({"A", "B", "C"});
  m_Combo.SetSelected(3);
  EXPECT_EQ(m_Combo.DeleteFirst(), 1);
  EXPECT_EQ(m_Combo.GetNumEntries(), 2);
  EXPECT_EQ(m_Combo.GetSelected(), 2);
  EXPECT_STREQ(m_Combo.GetSelectedControl()->GetTextBuffer(0), "C");
  // The shown entry deleted: the selected one shows.
  m_Combo.SetSelected(1);
  EXPECT_EQ(m_Combo.DeleteFirst(), 1);
  EXPECT_STREQ(m_Combo.GetSelectedControl()->GetTextBuffer(0), "C");
  EXPECT_EQ(m_Combo.DeleteFirst(), 1);
  EXPECT_EQ(m_Combo.GetSelectedControl(), nullptr);
  EXPECT_EQ(m_Combo.DeleteFirst(), 0);
  m_Combo.Add("D");
  EXPECT_EQ(m_Combo.RemoveAll(), 1);
  EXPECT_EQ(m_Combo.GetSelectedControl(), nullptr);
  EXPECT_EQ(m_Combo.GetNumEntries(), 0);
}

TEST_F(Lists, AComboBoxTooLowForItsEntriesStillTakesTheMouse) {
  // Heights at which an entry of the list would be 0 pixels or less.
  for (int32_t height : {2, 1, 0}) {
    SCOPED_TRACE(height);
    CCombobox combo;
    ASSERT_EQ(combo.Create(kCombo + height, 10, 10, 100, height, 50, 0, 0), 1);
    combo.Add("A");
    combo.Add("B");
    m_Window.AddCntrl(&combo, ADDCNTRL_LAST);
    combo.GuiMsgHandler(GUIMSG_COMMAND, 1, kCombo + height + 10003, kCombo + height, nullptr);
    EXPECT_EQ(combo.IsOpen(), 1);
    for (int32_t y : {105, 115, 140, 170}) {
      MoveTo(150, y);
      Press(150, y);
      Release(150, y);
    }
    m_Window.RemoveCntrl(&combo);
  }
}

TEST_F(Lists, TheOpenedListScrollsWithItsScrollBar) {
  const std::vector<const char*> names = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};
  ASSERT_EQ(m_Combo.Create(kCombo, 10, 10, 100, 20, 100, 0, 0), 1);
  for (const char* t : names) m_Combo.Add(t);
  m_Window.AddCntrl(&m_Combo, ADDCNTRL_LAST);
  EXPECT_EQ(m_Combo.NeedsScrollBar(), 1);
  m_Combo.SetSelected(4);
  CSlider::ms_lTimeWhenPressed = -1;
  m_Combo.GetScrollBar()->SetScrollWaitTime(0);
  Drop();
  ASSERT_EQ(m_Combo.IsOpen(), 1);
  // Opening puts the selected entry on top.
  EXPECT_EQ(m_Combo.GetIndex(), 4);
  // The scroll bar's down arrow: x 94 to 107, rows 113 to 126 of the window.
  MoveTo(200, 220);
  MoveTo(200, 220);
  Press(200, 220);
  Frames(2);
  Release(200, 220);
  EXPECT_EQ(m_Combo.IsOpen(), 1);
  EXPECT_EQ(m_Combo.GetIndex(), 6);
  // The entry under the pointer counts from the top entry.
  MoveTo(150, 140);
  Click(150, 140);
  EXPECT_EQ(m_Combo.IsOpen(), 0);
  EXPECT_EQ(m_Combo.GetSelected(), 6);
}

// --- Drawing ---

class ListDrawing : public Lists {
 protected:
  void SetUp() override {
    Lists::SetUp();
    StartScreen(640, 480);
  }
  void Show() {
    m_Window.ShowWindow();
    Frame();
  }
};

TEST_F(ListDrawing, RowsFillTheBoxFromTheTopRowAndTheScrollBarShowsOnlyWhenTheyPassIt) {
  MakeList({"", ""});
  Show();
  // Rows from the row offset 1; below the last row the box's own fill.
  EXPECT_EQ(ScreenPixel(110, 115), kListFill);
  EXPECT_EQ(ScreenPixel(111, 115), kRowFace);
  EXPECT_EQ(ScreenPixel(150, 149), kRowFace);
  EXPECT_EQ(ScreenPixel(150, 150), kListFill);
  EXPECT_EQ(ScreenPixel(150, 170), kFrameFill);
  EXPECT_EQ(ScreenPixel(202, 140), kRowFace);  // no scroll bar yet
  m_List.Add("");
  m_List.Add("");
  m_List.Validate();
  Frame();
  EXPECT_EQ(ScreenPixel(150, 169), kRowFace);  // the third row reaches the bottom
  EXPECT_EQ(ScreenPixel(150, 170), kFrameFill);
  EXPECT_NE(ScreenPixel(202, 140), kRowFace);
}

TEST_F(ListDrawing, AnOpenedComboListOfThreeEntriesIsFiftyFivePixelsHigh) {
  MakeCombo({"", "", ""});
  Show();
  EXPECT_EQ(ScreenPixel(150, 135), kFrameFill);
  Drop();
  Frame();
  ASSERT_EQ(m_Combo.IsOpen(), 1);
  EXPECT_EQ(m_Combo.NeedsScrollBar(), 0);
  EXPECT_EQ(ScreenPixel(150, 130), kListFill);
  EXPECT_EQ(ScreenPixel(150, 130 + 54), kListFill);
  EXPECT_EQ(ScreenPixel(150, 130 + 55), kFrameFill);
  // Closed again, the list area shows what lies under it.
  Drop();
  Frame();
  EXPECT_EQ(ScreenPixel(150, 135), kFrameFill);
}
}  // namespace
