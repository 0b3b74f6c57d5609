#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/static.h"
#include "ostrel/dialogs/titlebar.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/system/msgsys.h"
#include "platform/display/headless.h"
#include "platform/display/keys.h"
#include "support/guiharness.h"

namespace {
class WindowManager : public CGuiTest {
 protected:
  // Windows named by letters; the id of each is its letter's code.
  CWindow* Add(char name, uint32_t flags) {
    auto w = std::make_unique<CWindow>();
    w->Create(name, "", 0, 0, 50, 50, flags);
    WC().AddWindow(w.get(), &Record, nullptr);
    m_Windows[name] = std::move(w);
    return m_Windows[name].get();
  }
  // The list front to back, the active windows in brackets.
  std::string Order() {
    std::string out;
    for (int32_t i = 0; i < WC().NumWindows(); ++i) {
      CWindowBase* w = WC().GetWindowAt(i);
      const char c = static_cast<char>(w->GetID());
      out += w->IsActive() ? std::string("[") + c + "]" : std::string(1, c);
    }
    return out;
  }
  // Runs the steps, checking the list after each.
  void Run(const std::vector<struct SStep>& steps);
  std::map<char, std::unique_ptr<CWindow>> m_Windows;
};

struct SStep {
  char m_Op;  // '+' add, '^' to front, '-' remove
  char m_Window;
  uint32_t m_Flags;
  const char* m_Order;
};

void WindowManager::Run(const std::vector<SStep>& steps) {
  for (const SStep& s : steps) {
    if (s.m_Op == '+') {
      Add(s.m_Window, s.m_Flags);
    } else if (s.m_Op == '^') {
      EXPECT_EQ(WC().ToFront(s.m_Window), 1);
    } else {
      EXPECT_EQ(WC().RemoveWindow(s.m_Window), 1);
    }
    EXPECT_EQ(Order(), s.m_Order) << s.m_Op << s.m_Window;
  }
}

}  // namespace

TEST_F(WindowManager, ZOrderAndActivationOfPlainAndModalWindows) {
  const std::vector<SStep> steps = {
      {'+', 'A', 0, "[A]"},
      {'+', 'B', 0, "[B]A"},
      {'+', 'C', 0, "[C]BA"},
      {'^', 'A', 0, "[A]CB"},
      {'+', 'M', XWIN_MODAL, "[M]ACB"},
      // A plain window goes behind the modal one and stays there when raised.
      {'+', 'D', 0, "M[D]ACB"},
      {'+', 'N', XWIN_MODAL, "[N]MDACB"},
      {'^', 'B', 0, "NM[B]DAC"},
      {'^', 'M', 0, "[M]NBDAC"},
      {'^', 'C', 0, "MN[C]BDA"},
      // Removing a window raises the first plain one.
      {'-', 'M', 0, "[N]CBDA"},
      {'-', 'N', 0, "[C]BDA"},
      {'-', 'C', 0, "[B]DA"},
  };
  Run(steps);
  EXPECT_EQ(WC().ToFront('Z'), 0);
  EXPECT_EQ(WC().RemoveWindow('Z'), 0);
}

TEST_F(WindowManager, LayersFirstAndAlwaysLastWindows) {
  const std::vector<SStep> steps = {
      {'+', 'P', 0, "[P]"},
      // Layered windows are placed by the layer rules and not raised or activated.
      {'+', 'L', XWIN_ZORDER, "LP"},
      {'+', 'K', XWIN_ZORDER, "LKP"},
      {'^', 'K', 0, "[K]LP"},
      {'+', 'F', XWIN_ZORDERFIRST | XWIN_ZORDER, "FKLP"},
      {'+', 'J', XWIN_ZORDER, "FKLJP"},
      // Within its layer: in front of the windows after the nearest ZORDERFIRST one.
      {'^', 'J', 0, "F[J]KLP"},
      {'^', 'P', 0, "[P]FJKL"},
      // Always last: to the back whenever a window comes to the front.
      {'+', 'W', XWIN_ALWAYSLAST, "PFJKL[W]"},
      {'^', 'K', 0, "PF[K]JLW"},
      {'^', 'W', 0, "PFKJL[W]"},
      {'+', 'Q', XWIN_ZORDERFIRST, "[Q]PFKJLW"},
      // Removal raises the first window that is neither layered nor first.
      {'-', 'W', 0, "[P]QFKJL"},
  };
  Run(steps);
}

TEST_F(WindowManager, ZOrderLastKeepsItsPlaceAgainstNewLayeredWindows) {
  Add('B', XWIN_ZORDERLAST);
  Add('A', 0);
  EXPECT_EQ(Order(), "[A]B");
  Add('L', XWIN_ZORDER);  // searched from the back: B is met first
  EXPECT_EQ(Order(), "ABL");
  Add('M', XWIN_ZORDER | XWIN_ZORDERLAST);  // L has ZORDER: behind it
  EXPECT_EQ(Order(), "ABLM");
}

TEST_F(WindowManager, ActivationReachesTheCallbacks) {
  // Framed: a window without a frame or controls lets the mouse through.
  CWindow* a = Add('A', XWIN_FRAME);
  Add('B', XWIN_FRAME);
  Events().clear();
  WC().ToFront('A');
  // A hears that it became active; B that A did.
  EXPECT_EQ(EventsOf(GUIMSG_ACTIVATE), (std::vector<std::pair<int32_t, int32_t>>{{'A', 'A'}, {'B', 'A'}}));
  EXPECT_TRUE(a->IsActive());
  // A click on the desktop deactivates every window; the active one hears control id 0.
  a->SetPos(100, 100);
  CWindow* b = m_Windows['B'].get();
  b->SetPos(300, 100);
  Events().clear();
  Click(10, 10);
  EXPECT_EQ(EventsOf(GUIMSG_ACTIVATE), (std::vector<std::pair<int32_t, int32_t>>{{'A', 0}}));
  EXPECT_EQ(Order(), "AB");
  // A click on a window behind raises and activates it.
  Click(310, 110);
  EXPECT_EQ(Order(), "[B]A");
  // A window that is raised by message 18 hears event 18 too.
  Events().clear();
  EXPECT_EQ(a->ToFront(), 1);
  EXPECT_EQ(Order(), "[A]B");
  EXPECT_EQ(EventsOf(GUIMSG_TOFRONT), (std::vector<std::pair<int32_t, int32_t>>{{'A', 0}}));
}

TEST_F(WindowManager, SendMessageRoutesToCallbacksWindowsOrNowhere) {
  CWindow* a = Add('A', 0);
  CButton target;
  target.Create(7, "t", 0, 0, 10, 10, 0, 0);
  a->AddCntrl(&target, ADDCNTRL_LAST);
  Events().clear();
  int user = 0;
  EXPECT_EQ(WC().SendMessage(2, 'A', 5, 0, &user), 1);
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0], (SGuiEvent{2, 'A', 5, 0, nullptr}));
  EXPECT_EQ(Events()[0].m_pUser, &user);
  EXPECT_EQ(WC().SendMessage(2, 'Q', 5, 0, nullptr), 0);
  EXPECT_EQ(WC().SendMessage(2, 'Q', 5, 7, nullptr), 0);
  // With a value the window hands it to its control of that id, not to the callback.
  Events().clear();
  EXPECT_EQ(WC().SendMessage(GUIMSG_KEY + 30, 'A', 5, 7, nullptr), 1);
  EXPECT_TRUE(Events().empty());
}

namespace {
// A control that records what its window hands it.
class CProbe : public CControlBase {
 public:
  int32_t GuiMsgHandler(int32_t msg, int32_t a, int32_t b, int32_t c, void* d) override {
    if (msg == GUIMSG_KEY) m_Keys.push_back(static_cast<TQueueChar*>(d)->m_Code);
    if (msg == GUIMSG_FOCUS) m_Focus.push_back(c);
    return CControlBase::GuiMsgHandler(msg, a, b, c, d);
  }
  std::vector<int32_t> m_Keys;
  std::vector<int32_t> m_Focus;
};
}  // namespace

TEST_F(WindowManager, TabSkipsDisabledAndHiddenControlsAndWraps) {
  CWindow* w = Add('A', XWIN_TITLEBAR);
  w->SetPos(100, 100);
  CProbe c[5];
  for (int i = 0; i < 5; ++i) {
    c[i].Create(10 + i);
    if (i != 4) c[i].SetFlag(CNTRL_TABSTOP);
    w->AddCntrl(&c[i], ADDCNTRL_LAST);
  }
  c[1].SetState(XGUI_DISABLED);
  c[2].SetState(XGUI_HIDDEN);
  // Without a focus Tab changes nothing (and goes to every control).
  Key(XVK_TAB);
  EXPECT_EQ(w->GetFocus(), nullptr);
  EXPECT_EQ(c[4].m_Keys, (std::vector<int32_t>{9, 9}));
  for (CProbe& p : c) p.m_Keys.clear();
  w->SetFocus(&c[0]);
  Key(XVK_TAB);
  EXPECT_EQ(w->GetFocus(), &c[3]);
  EXPECT_EQ(c[3].m_Keys, (std::vector<int32_t>{9, 9}));  // the key down and up go to the new focus
  EXPECT_TRUE(c[0].m_Keys.empty());
  c[0].m_Focus.clear();
  c[3].m_Focus.clear();
  Key(XVK_TAB);
  EXPECT_EQ(w->GetFocus(), &c[0]);
  EXPECT_EQ(c[3].m_Focus, (std::vector<int32_t>{0, 0}));  // told on the wrap, then by SetFocus
  EXPECT_EQ(c[0].m_Focus, (std::vector<int32_t>{1}));
  // A control that becomes usable again joins the round.
  c[1].SetState(XGUI_RELEASED);
  Key(XVK_TAB);
  EXPECT_EQ(w->GetFocus(), &c[1]);
}

TEST_F(WindowManager, EnterGoesToEveryControlUnlessTheFocusIsMultiLine) {
  CWindow* w = Add('A', XWIN_TITLEBAR);
  w->SetPos(100, 100);
  CProbe edit;
  edit.Create(20);
  edit.SetFlag(CNTRL_TABSTOP);
  CButton ok;
  ok.Create(101, "OK", 10, 40, 40, 20, XKEY_ENTER, 0);
  w->AddCntrl(&edit, ADDCNTRL_LAST);
  w->AddCntrl(&ok, ADDCNTRL_LAST);
  w->SetFocus(&edit);
  Events().clear();
  KeyDown(XVK_RETURN);
  EXPECT_EQ(EventsOf(GUIMSG_HELD), (std::vector<std::pair<int32_t, int32_t>>{{'A', 101}}));
  EXPECT_EQ(ok.GetState(), XGUI_PRESSED);
  KeyUp(XVK_RETURN);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{'A', 101}}));
  EXPECT_EQ(edit.m_Keys, (std::vector<int32_t>{13, 13}));
  // Other keys stay with a focused tab stop.
  Key(XVK_A);
  EXPECT_EQ(edit.m_Keys.size(), 4u);
  // In a multi-line focus Enter stays there.
  edit.SetFlag(CNTRL_MULTILINE);
  Events().clear();
  Key(XVK_RETURN);
  EXPECT_TRUE(EventsOf(GUIMSG_COMMAND).empty());
  EXPECT_EQ(edit.m_Keys.size(), 6u);
}

TEST_F(WindowManager, AClickOnAButtonReachesTheCallback) {
  CWindow* w = Add('A', XWIN_TITLEBAR | XWIN_FRAME);
  w->SetPos(100, 100);
  CButton b;
  b.Create(101, "Go", 10, 10, 40, 20, 0, CNTRL_EXTRUDED);
  w->AddCntrl(&b, ADDCNTRL_LAST);
  int32_t x = 0, y = 0;
  b.GetPos(x, y);
  EXPECT_EQ(y, 10 + TITLEBAR_HEIGHT);
  Events().clear();
  MoveTo(100 + 20, 100 + 30);
  EXPECT_EQ(EventsOf(GUIMSG_HIGHLIGHT), (std::vector<std::pair<int32_t, int32_t>>{{'A', 101}}));
  EXPECT_EQ(b.GetState(), XGUI_HIGHLIGHT);
  Press(120, 130);
  Frame();  // held: message 1 every frame
  EXPECT_EQ(EventsOf(GUIMSG_HELD).size(), 2u);
  EXPECT_TRUE(EventsOf(GUIMSG_COMMAND).empty());
  Release(120, 130);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{'A', 101}}));
  for (const SGuiEvent& e : Events()) EXPECT_EQ(e.m_Value, 0);
  EXPECT_EQ(b.GetState(), XGUI_HIGHLIGHT);
  // Pressed inside and released outside: no command, and the highlight goes with message 20.
  Events().clear();
  Press(120, 130);
  MoveTo(10, 10);
  Release(10, 10);
  EXPECT_TRUE(EventsOf(GUIMSG_COMMAND).empty());
  EXPECT_EQ(EventsOf(GUIMSG_LEAVE).size(), 1u);
  EXPECT_EQ(b.GetState(), XGUI_RELEASED);
  // A disabled window's button takes nothing.
  w->Enable(0);
  Events().clear();
  Click(120, 130);
  EXPECT_TRUE(EventsOf(GUIMSG_COMMAND).empty());
  EXPECT_EQ(b.GetState(), XGUI_DISABLED);
}

TEST_F(WindowManager, ADraggedTitleBarMovesItsWindow) {
  CWindow* w = Add('A', XWIN_TITLEBAR | XWIN_DRAG | XWIN_CLOSE);
  w->SetPos(100, 50);
  Events().clear();
  MoveTo(130, 55);
  Press(130, 55);
  EXPECT_TRUE(w->GetFlags() & XWIN_DRAGGING);
  EXPECT_EQ(w->GetTitlebar()->GetState(), XGUI_PRESSED);
  MoveTo(230, 155);
  MoveTo(250, 160);
  int32_t x = 0, y = 0;
  w->GetPos(x, y);
  EXPECT_EQ(x, 220);
  EXPECT_EQ(y, 155);
  Release(250, 160);
  EXPECT_FALSE(w->GetFlags() & XWIN_DRAGGING);
  EXPECT_EQ(EventsOf(GUIMSG_DRAGEND), (std::vector<std::pair<int32_t, int32_t>>{{'A', 0}}));
  EXPECT_EQ(w->GetTitlebar()->GetState(), XGUI_HIGHLIGHT);
  // The close box is no handle; it reports as control 1002.
  Events().clear();
  w->GetPos(x, y);
  Click(x + 50 - 15 + 3, y + 4);
  EXPECT_FALSE(w->GetFlags() & XWIN_DRAGGING);
  EXPECT_EQ(EventsOf(GUIMSG_COMMAND), (std::vector<std::pair<int32_t, int32_t>>{{'A', XCNTRL_CLOSE}}));
  // Without XWIN_DRAG the bar does not move the window.
  CWindow* still = Add('B', XWIN_TITLEBAR);
  still->SetPos(400, 300);
  MoveTo(410, 305);
  Press(410, 305);
  MoveTo(500, 400);
  Release(500, 400);
  still->GetPos(x, y);
  EXPECT_EQ(x, 400);
}

TEST_F(WindowManager, PasteFillsTheRawTextOfAnOwnedBuffer) {
  CWindow* w = Add('A', 0);
  CControlBase field;
  field.Create(3);
  field.SetFlag(CNTRL_TABSTOP | CNTRL_MD5);
  char* buffer = field.AllocBuffer(6);
  std::strcpy(buffer, "old");
  w->AddCntrl(&field, ADDCNTRL_LAST);
  w->SetFocus(&field);
  EXPECT_EQ(WC().SendMessage(GUIMSG_PASTE, 0, 0, 0, const_cast<char*>("pasted text")), 1);
  EXPECT_STREQ(field.GetUnHashedBuffer(0), "paste");
  // Control characters or bytes above 127: ignored.
  WC().SendMessage(GUIMSG_PASTE, 0, 0, 0, const_cast<char*>("a\tb"));
  WC().SendMessage(GUIMSG_PASTE, 0, 0, 0, const_cast<char*>("caf\xe9"));
  EXPECT_STREQ(field.GetUnHashedBuffer(0), "paste");
  // Never into a borrowed text, nor a read-only field.
  char borrowed[] = "mine";
  field.SetText(borrowed);
  WC().SendMessage(GUIMSG_PASTE, 0, 0, 0, const_cast<char*>("xx"));
  EXPECT_STREQ(borrowed, "mine");
  field.AllocBuffer(4);
  field.SetFlag(CNTRL_READONLY);
  WC().SendMessage(GUIMSG_PASTE, 0, 0, 0, const_cast<char*>("xx"));
  EXPECT_STREQ(field.GetUnHashedBuffer(0), "");
}

namespace {
// A dialog that owns its controls, as the resource dialogs do, and closes itself on OK by
// deleting itself from inside its callback.
class CSelfClosing : public CWindow {
 public:
  explicit CSelfClosing(int32_t* closed) : m_pClosed(closed) {
    Create(5, "Closing", 100, 100, 200, 100, XWIN_TITLEBAR | XWIN_FRAME | XWIN_CLOSE);
    for (int i = 0; i < 3; ++i) {
      auto* b = new CButton;
      b->Create(101 + i, "OK", 10 + 60 * i, 10, 50, 20, static_cast<int16_t>(i == 0 ? XKEY_ENTER : 0), CNTRL_EXTRUDED);
      AddCntrl(b, ADDCNTRL_LAST);
      m_Owned.push_back(b);
    }
    xWinCtrl()->AddWindow(this, &Callback, this);
  }
  ~CSelfClosing() override {
    xWinCtrl()->RemoveWindow(this);
    for (CButton* b : m_Owned) delete b;
    ++*m_pClosed;
  }
  static void Callback(int32_t event, int32_t, int32_t controlId, int32_t, void* user) {
    if (event == GUIMSG_COMMAND && (controlId == 101 || controlId == XCNTRL_CLOSE)) delete static_cast<CSelfClosing*>(user);
  }

 private:
  std::vector<CButton*> m_Owned;
  int32_t* m_pClosed;
};
}  // namespace

TEST_F(WindowManager, ACallbackMayCloseItsDialogFromInsideAClick) {
  int32_t closed = 0;
  Add('Z', 0);  // a window behind, still walked after the dialog is gone
  new CSelfClosing(&closed);
  Click(115, 130);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(WC().NumWindows(), 1);
  Frame();
  // The same from the keyboard, and from the close box.
  new CSelfClosing(&closed);
  Key(XVK_RETURN);
  EXPECT_EQ(closed, 2);
  new CSelfClosing(&closed);
  Click(100 + 200 - 15 + 3, 100 + 4);
  EXPECT_EQ(closed, 3);
  // And when a program hands the window the mouse itself.
  auto* d = new CSelfClosing(&closed);
  d->GuiMsgHandler(GUIMSG_MOUSE, 115, 130, 1, nullptr);
  d->GuiMsgHandler(GUIMSG_MOUSE, 115, 130, 0, nullptr);
  EXPECT_EQ(closed, 4);
  EXPECT_EQ(WC().NumWindows(), 1);
}

TEST_F(WindowManager, AWindowDeletedWhileRegisteredLeavesTheList) {
  {
    CWindow w;
    w.Create(9, "", 0, 0, 10, 10, 0);
    WC().AddWindow(&w, &Record, nullptr);
    EXPECT_EQ(WC().NumWindows(), 1);
  }
  EXPECT_EQ(WC().NumWindows(), 0);
  Frame();
  // A control deleted while its window lists it leaves the window.
  CWindow w;
  w.Create(9, "", 0, 0, 10, 10, 0);
  auto* b = new CButton;
  b->Create(1, "", 0, 0, 5, 5, 0, 0);
  w.AddCntrl(b, ADDCNTRL_LAST);
  w.SetFocus(b);
  delete b;
  EXPECT_EQ(w.NumCntrls(), 0);
  EXPECT_EQ(w.GetFocus(), nullptr);
}

TEST_F(WindowManager, DraggingASystemWindowMovesTheProgramsWindow) {
  StartScreen(320, 240);
  int32_t sx = 0, sy = 0, sw = 0, sh = 0;
  Display().SetWindowPos(200, 100);
  Display().GetWindowRect(sx, sy, sw, sh);
  CWindow* w = Add('S', XWIN_TITLEBAR | XWIN_DRAG | XWIN_SYSTEMWINDOW);
  w->SetPos(10, 10);
  MoveTo(20, 15);
  Press(20, 15);
  MoveTo(50, 35);
  int32_t x = 0, y = 0, nx = 0, ny = 0;
  w->GetPos(x, y);
  EXPECT_EQ(x, 10);  // the picture stays
  EXPECT_EQ(y, 10);
  Display().GetWindowRect(nx, ny, sw, sh);
  EXPECT_EQ(nx - sx, 30);
  EXPECT_EQ(ny - sy, 20);
  Release(50, 35);
}
