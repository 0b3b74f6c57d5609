#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ostrel/controls/checkbox.h"
#include "ostrel/controls/groupbox.h"
#include "ostrel/controls/radiobutton.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/graphics/font.h"
#include "ostrel/input/keycodes.h"
#include "ostrel/controls/guidraw.h"
#include "platform/display/keys.h"
#include "support/guiharness.h"
#include "controlwindow.h"

namespace {
class Toggles : public CControlWindowTest {
 protected:
  // The check and uncheck messages heard, as (message, control id).
  static std::vector<std::pair<int32_t, int32_t>> Checks() {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const SGuiEvent& e : Events())
      if (e.m_Event == GUIMSG_CHECKED || e.m_Event == GUIMSG_UNCHECKED) out.push_back({e.m_Event, e.m_ControlId});
    return out;
  }
};

enum EOp { MOVE, PRESS, RELEASE };
struct SStep {
  EOp m_Op;
  int32_t m_X, m_Y;
  int32_t m_State;       // afterwards
  int32_t m_Message;     // 6 or 7 heard in this step, 0 none
};

}  // namespace

TEST_F(Toggles, ACheckBoxTogglesOncePerPressOnThePress) {
  CCheckbox box;
  ASSERT_EQ(box.Create(5, "Sound", 10, 10, 20, 20, 0, 0, CNTRL_EXTRUDED), 1);
  EXPECT_EQ(box.GetState(), XGUI_UNCHECKED);
  EXPECT_EQ(box.GetCaption(), nullptr);
  m_Window.AddCntrl(&box, ADDCNTRL_LAST);
  const SStep kSteps[] = {
      {MOVE, 115, 115, XGUI_UNCHECKED, 0},    // arms
      {PRESS, 115, 115, XGUI_CHECKED, 6},     // toggles on the press
      {MOVE, 118, 118, XGUI_CHECKED, 0},      // held: no second toggle
      {MOVE, 250, 250, XGUI_CHECKED, 0},      // out and back in while held
      {MOVE, 115, 115, XGUI_CHECKED, 0},
      {RELEASE, 115, 115, XGUI_CHECKED, 0},   // the release changes nothing
      {PRESS, 115, 115, XGUI_UNCHECKED, 7},
      {RELEASE, 115, 115, XGUI_UNCHECKED, 0},
      {MOVE, 250, 250, XGUI_UNCHECKED, 0},
      {PRESS, 250, 250, XGUI_UNCHECKED, 0},   // pressed outside, dragged in: no toggle
      {MOVE, 115, 115, XGUI_UNCHECKED, 0},
      {RELEASE, 115, 115, XGUI_UNCHECKED, 0},
      {PRESS, 115, 115, XGUI_CHECKED, 6},
  };
  int i = 0;
  for (const SStep& s : kSteps) {
    SCOPED_TRACE(i++);
    Events().clear();
    if (s.m_Op == MOVE) MoveTo(s.m_X, s.m_Y);
    if (s.m_Op == PRESS) Press(s.m_X, s.m_Y);
    if (s.m_Op == RELEASE) Release(s.m_X, s.m_Y);
    EXPECT_EQ(box.GetState(), s.m_State);
    const auto heard = Checks();
    if (s.m_Message)
      EXPECT_EQ(heard, (std::vector<std::pair<int32_t, int32_t>>{{s.m_Message, 5}}));
    else
      EXPECT_TRUE(heard.empty());
  }
}

TEST_F(Toggles, TheHotKeyTogglesAndReportsItsRelease) {
  CCheckbox box;
  box.Create(5, "Sound", 10, 10, 20, 20, 0, XKEY_SPACE, 0);
  m_Window.AddCntrl(&box, ADDCNTRL_LAST);
  KeyDown(XVK_SPACE);
  EXPECT_EQ(box.GetState(), XGUI_CHECKED);
  KeyUp(XVK_SPACE);
  Key(XVK_SPACE);
  EXPECT_EQ(box.GetState(), XGUI_UNCHECKED);
  std::vector<int32_t> heard;
  for (const SGuiEvent& e : Events()) heard.push_back(e.m_Event);
  EXPECT_EQ(heard, (std::vector<int32_t>{GUIMSG_CHECKED, GUIMSG_COMMAND, GUIMSG_UNCHECKED, GUIMSG_COMMAND}));

  // Read-only and disabled boxes ignore clicks and the hot key.
  for (int32_t how = 0; how < 2; ++how) {
    SCOPED_TRACE(how);
    if (how == 0) box.SetFlag(CNTRL_READONLY);
    if (how == 1) {
      box.RemoveFlag(CNTRL_READONLY);
      box.SetState(XGUI_DISABLED);
    }
    Events().clear();
    Click(115, 115);
    Key(XVK_SPACE);
    EXPECT_TRUE(Checks().empty());
    EXPECT_EQ(box.GetState(), how == 0 ? XGUI_UNCHECKED : XGUI_DISABLED);
  }
  // Enabled again it is as it was.
  box.SetState(XGUI_RELEASED);
  EXPECT_EQ(box.GetState(), XGUI_UNCHECKED);
}

TEST_F(Toggles, AClickOnTheCaptionTextCountsButNotBeyondIt) {
  CFont* font = xGuiLoadFont((std::string(VORRIN_TEST_DATA_DIR) + "/resources/test.xbf").c_str());
  ASSERT_NE(font, nullptr);
  WC().SetDefaultFont(font);
  CCheckbox box;
  box.Create(5, "Ab", 10, 10, 200, 30, 12, 0, 0);
  m_Window.AddCntrl(&box, ADDCNTRL_LAST);
  ASSERT_NE(box.GetCaption(), nullptr);
  int32_t cx = 0, cy = 0;
  box.GetCaption()->GetPos(cx, cy);
  EXPECT_EQ(cx, 10 + 12 + 1);
  EXPECT_EQ(cy, 10);
  const int32_t size = xGuiTextSize(font, "Ab", TEXT_UNBOUNDED, TEXT_UNBOUNDED, 0);
  const int32_t textW = size & 0xFFFF, textH = size >> 16;
  ASSERT_GT(textW, 0);
  CRect area;
  box.GetMouseArea(&area);
  EXPECT_EQ(area.left, 10);
  EXPECT_EQ(area.top, 10);
  EXPECT_EQ(area.right - area.left + 1, cx + textW - 10);
  EXPECT_EQ(area.bottom - area.top + 1, std::max(12, textH));
  Click(100 + cx + textW - 1, 111);  // the last column of the text
  EXPECT_EQ(box.GetState(), XGUI_CHECKED);
  Click(100 + cx + textW + 20, 111);  // inside the control, beyond the text
  EXPECT_EQ(box.GetState(), XGUI_CHECKED);
  // A copy takes the other's caption look.
  CCheckbox other;
  other.Create(6, "Cd", 0, 0, 100, 20, 12, 0, 0);
  box.GetCaption()->SetFlag(CNTRL_CENTERV);
  other.Copy(&box);
  EXPECT_EQ(other.GetCaption()->GetFlags() & CNTRL_CENTERV, CNTRL_CENTERV);
  m_Window.RemoveCntrl(&box);
  WC().SetDefaultFont(nullptr);
  xGuiDeleteFont(font);
}

namespace {
class Radios : public Toggles {
 protected:
  void SetUp() override {
    Toggles::SetUp();
    m_Group.Create(20, "Bet", 10, 10, 100, 100, 0);
    m_Window.AddCntrl(&m_Group, ADDCNTRL_LAST);
    for (int32_t i = 0; i < 3; ++i) {
      m_Radio[i].Create(11 + i, nullptr, 5, 5 + 30 * i, 20, 20, 0, static_cast<int16_t>(i == 2 ? XKEY_F1 + 1 : 0), 0);
      EXPECT_EQ(m_Group.Add(&m_Radio[i]), i + 1);
    }
    Events().clear();
  }
  std::vector<int32_t> States() {
    return {m_Radio[0].GetState(), m_Radio[1].GetState(), m_Radio[2].GetState()};
  }
  CGroupbox m_Group;
  CRadiobutton m_Radio[3];
};
constexpr int32_t C = XGUI_CHECKED, U = XGUI_UNCHECKED;
using TMsgs = std::vector<std::pair<int32_t, int32_t>>;
}  // namespace

TEST_F(Radios, AGroupKeepsOneChoiceAndAClickOnTheCheckedOneSendsNothing) {
  // Positions count from the group; the first button added is checked.
  int32_t x = 0, y = 0;
  m_Radio[1].GetPos(x, y);
  EXPECT_EQ(x, 15);
  EXPECT_EQ(y, 45);
  EXPECT_EQ(m_Radio[1].GetGroup(), &m_Group);
  EXPECT_EQ(States(), (std::vector<int32_t>{C, U, U}));
  EXPECT_EQ(m_Group.GetSelected(), 11);

  struct SRow {
    int32_t m_Button;  // clicked
    std::vector<int32_t> m_States;
    TMsgs m_Heard;
  };
  const SRow kRows[] = {
      {1, {U, C, U}, {{7, 11}, {7, 13}, {6, 12}}},
      {1, {U, C, U}, {}},  // already checked
      {2, {U, U, C}, {{7, 11}, {7, 12}, {6, 13}}},
      {0, {C, U, U}, {{7, 12}, {7, 13}, {6, 11}}},
  };
  for (const SRow& row : kRows) {
    SCOPED_TRACE(row.m_Button);
    Events().clear();
    Click(115 + 0, 115 + 30 * row.m_Button);
    EXPECT_EQ(States(), row.m_States);
    EXPECT_EQ(Checks(), row.m_Heard);
    EXPECT_EQ(m_Group.GetSelected(), 11 + row.m_Button * (row.m_States[row.m_Button] == C));
  }
  // The hot key chooses too, and tells again even when the button is checked already.
  Events().clear();
  Key(XVK_F1 + 1);
  EXPECT_EQ(States(), (std::vector<int32_t>{U, U, C}));
  Key(XVK_F1 + 1);
  EXPECT_EQ(Checks(), (TMsgs{{7, 11}, {7, 12}, {6, 13}, {7, 11}, {7, 12}, {6, 13}}));
}

TEST_F(Radios, SetSelectedAndSetStateKeepOneChoice) {
  m_Radio[1].SetState(XGUI_CHECKED);
  EXPECT_EQ(States(), (std::vector<int32_t>{U, C, U}));
  // The chosen button is not cleared again by the one that was unchecked after it.
  EXPECT_EQ(m_Group.SetSelected(11), 1);
  MoveTo(5, 5);
  MoveTo(6, 6);
  EXPECT_EQ(States(), (std::vector<int32_t>{C, U, U}));
  EXPECT_EQ(m_Group.GetSelected(), 11);
  // Unchecking the chosen one leaves none, and does not clear the others again.
  Events().clear();
  m_Radio[0].SetState(XGUI_UNCHECKED);
  EXPECT_EQ(m_Group.GetSelected(), -1);
  EXPECT_TRUE(Checks().empty());
  EXPECT_EQ(m_Group.SetSelected(99), 0);
  EXPECT_EQ(States(), (std::vector<int32_t>{U, U, U}));
  EXPECT_EQ(m_Group.GetSelected(), -1);
  // Removed buttons are not the group's any more.
  EXPECT_EQ(m_Group.Remove(&m_Radio[2]), 1);
  EXPECT_EQ(m_Group.Remove(&m_Radio[2]), 0);
  EXPECT_EQ(m_Radio[2].GetGroup(), nullptr);
  CGroupbox empty;
  empty.Create(30, "", 0, 0, 10, 10, 0);
  EXPECT_EQ(empty.GetSelected(), -1);
}

TEST_F(Toggles, ARadioButtonWithoutAGroupChecksItself) {
  CRadiobutton r;
  r.Create(8, "Solo", 10, 10, 20, 20, 0, 0, 0);
  m_Window.AddCntrl(&r, ADDCNTRL_LAST);
  Click(115, 115);
  EXPECT_EQ(r.GetState(), XGUI_CHECKED);
  EXPECT_EQ(Checks(), (TMsgs{{6, 8}}));
  // The radio button sends no enter or leave messages.
  EXPECT_TRUE(EventsOf(GUIMSG_MOUSEENTER).empty());
  Click(115, 115);
  EXPECT_EQ(Checks().size(), 1u);
}

TEST_F(Toggles, ADisabledGroupPassesNothingToItsButtons) {
  CGroupbox g;
  g.Create(20, "", 10, 10, 100, 100, 0);
  CRadiobutton a, b;
  a.Create(11, nullptr, 5, 5, 20, 20, 0, 0, 0);
  b.Create(12, nullptr, 5, 35, 20, 20, 0, 0, 0);
  // Added before the group has a window: the window comes with the group.
  g.Add(&a);
  g.Add(&b);
  m_Window.AddCntrl(&g, ADDCNTRL_LAST);
  CWindowBase* w = nullptr;
  int32_t id = 0;
  b.GetParent(&id, &w);
  EXPECT_EQ(w, &m_Window);
  g.SetState(XGUI_DISABLED);
  Click(120, 150);
  EXPECT_EQ(b.GetState(), XGUI_UNCHECKED);
  g.SetState(XGUI_RELEASED);
  Click(120, 150);
  EXPECT_EQ(b.GetState(), XGUI_CHECKED);
  EXPECT_EQ(a.GetState(), XGUI_UNCHECKED);
  // Moving the group moves its buttons.
  g.SetPos(20, 10);
  int32_t x = 0, y = 0;
  b.GetPos(x, y);
  EXPECT_EQ(x, 25);
}
