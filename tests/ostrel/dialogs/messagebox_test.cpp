#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ostrel/controls/button.h"
#include "ostrel/controls/guidraw.h"
#include "ostrel/dialogs/messagebox.h"
#include "ostrel/dialogs/window.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/input/keyboard.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "platform/display/keys.h"
#include "platform/display/messages.h"
#include "platform/display/headless.h"
#include "ostrel/dialogs/titlebar.h"
#include "support/guiharness.h"

namespace {
// Acts once from inside the box's loop, on the first timer tick.
class CAnswer : public CTimer {
 public:
  explicit CAnswer(std::function<void()> act) : m_Act(std::move(act)) { AddTimer(5); }
  void TimerHandler(uint32_t) override {
    if (m_Done) return;
    m_Done = true;
    m_Act();
  }
  std::function<void()> m_Act;
  bool m_Done = false;
};

// Runs one step a timer tick from inside the box's loop.
class CScript : public CTimer {
 public:
  explicit CScript(std::vector<std::function<void()>> steps) : m_Steps(std::move(steps)) { AddTimer(5); }
  void TimerHandler(uint32_t) override {
    if (m_Next < m_Steps.size()) m_Steps[m_Next++]();
  }
  std::vector<std::function<void()>> m_Steps;
  size_t m_Next = 0;
};

class MessageBox : public CGuiTest {
 protected:
  void SetUp() override {
    CGuiTest::SetUp();
    // The loop's pacing sleeps on the test clock, so the answering timers come due.
    SetMinimumFrameTime(10);
  }
};
}  // namespace

TEST_F(MessageBox, OkGivesOneTheCloseBoxZero) {
  CWindowBase* seen = nullptr;
  uint32_t flags = 0;
  CAnswer ok([&] {
    seen = xWinCtrl()->GetWindowAt(0);
    flags = seen->GetFlags();
    xWinCtrl()->SendMessage(GUIMSG_COMMAND, 0, 1, 0, nullptr);
  });
  EXPECT_EQ(xMessageBox("Caption", "Text", 0), 1);
  EXPECT_EQ(seen, glb->m_pDefaultWindow);
  const uint32_t wanted = XWIN_TITLEBAR | XWIN_FRAME | XWIN_MODAL | XWIN_DRAG | XWIN_CENTER | XWIN_BORDER;
  EXPECT_EQ(flags & wanted, wanted);
  EXPECT_EQ(WC().NumWindows(), 0);
  CAnswer close([] { xWinCtrl()->SendMessage(GUIMSG_COMMAND, 0, XCNTRL_CLOSE, 0, nullptr); });
  EXPECT_EQ(xMessageBox("Caption", "Text", 0), 0);
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(MessageBox, EnterOnTheOkButtonAnswers) {
  // The box's OK button takes Enter as its hot key; the key reaches it through its window.
  CAnswer enter([] {
    CWindowBase* box = xWinCtrl()->GetWindowAt(0);
    TQueueChar down{13, 1}, up{13, 0};
    box->GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &down);
    box->GuiMsgHandler(GUIMSG_KEY, 0, 0, 0, &up);
  });
  EXPECT_EQ(xMessageBox("Question", "Go on?", 0), 1);
}

TEST_F(MessageBox, OnAScreenTheKeyboardAndTheMouseAnswer) {
  StartScreen(320, 240);
  {
    CScript typing({[] { Display().QueueKey(XVK_RETURN, true); }, [] { Display().QueueKey(XVK_RETURN, false); }});
    EXPECT_EQ(xMessageBox("Keys", "Enter answers", 0), 1);
  }
  // Centred: 100 by 65 on 320 by 240. The close box is clicked with the mouse.
  int32_t x = 0, y = 0, cx = 0, cy = 0;
  CScript clicking({[&] {
                      CWindow* box = glb->m_pDefaultWindow;
                      box->GetPos(x, y);
                      CRect area;
                      box->GetTitlebar()->GetCloseBox()->GetMouseArea(&area);
                      cx = x + area.left + 5;
                      cy = y + area.top + 5;
                      Display().QueueMouseMove(cx, cy);
                    },
                    [&] { Display().QueueMouseButton(XMOUSE_LEFT, true, cx, cy); },
                    [&] { Display().QueueMouseButton(XMOUSE_LEFT, false, cx, cy); }});
  EXPECT_EQ(xMessageBox("Mouse", "The close box", XWIN_CLOSE), 0);
  EXPECT_EQ(x, 110);
  EXPECT_EQ(y, 87);
}

TEST_F(MessageBox, AQuitEndsTheBoxAndASecondBoxIsRefused) {
  int32_t nested = -1;
  CAnswer inner([&] { nested = xMessageBox("Second", "Refused", 0); });
  CAnswer quit([] { CRuntimeTest::Post(XMSG_QUIT, 3); });
  EXPECT_EQ(xMessageBox("First", "Quit ends me", 0), 0);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(WC().NumWindows(), 0);
}

TEST_F(MessageBox, TheBoxSitsInFrontOfTheProgramsWindows) {
  CWindow other;
  other.Create(7, "Other", 0, 0, 100, 100, XWIN_MODAL);
  WC().AddWindow(&other, &Record, nullptr);
  int32_t front = -1, count = 0;
  CAnswer look([&] {
    front = xWinCtrl()->GetWindowAt(0) == glb->m_pDefaultWindow ? 1 : 0;
    count = xWinCtrl()->NumWindows();
    xWinCtrl()->SendMessage(GUIMSG_COMMAND, 0, 1, 0, nullptr);
  });
  EXPECT_EQ(xMessageBox("On top", "Text", 0), 1);
  EXPECT_EQ(front, 1);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(WC().NumWindows(), 1);
  EXPECT_TRUE(other.IsActive());
}

TEST_F(MessageBox, SizesComeFromTheDefaultFont) {
  // Without a font every text measures 0 by 0: the smallest box.
  int32_t w = 0, h = 0;
  xMessageBoxSize("Hi", "Yes", &w, &h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 65);
  // The test font: 7 pixels a character, lines 10 high and 12 apart.
  CFont* font = xGuiLoadFont((std::string(VORRIN_TEST_DATA_DIR) + "/resources/test.xbf").c_str());
  ASSERT_NE(font, nullptr);
  WC().SetDefaultFont(font);
  struct SCase {
    std::string caption, text;
    int32_t width, height;
  };
  const std::string lines60 = [] {
    std::string t;
    for (int i = 0; i < 60; ++i) t += "line\n";
    return t;
  }();
  for (const SCase& t : {SCase{"Hi", "Yes", 100, 75},                                // one short word
                         SCase{"A caption of 20 char", "Yes", 20 * 7 + 20, 75},        // the caption is wider
                         SCase{"Wide", std::string(286, 'W'), 630, 75},                // 2002 pixels
                         SCase{"Edge", std::string(88, 'W'), 88 * 7 + 20, 75},        // 636: under 640 stays
                         SCase{"Edge", std::string(89, 'W'), 630, 75},                 // 643
                         SCase{"Tall", lines60, 100, 470},                             // 60 lines
                         SCase{"Two", "a\nb", 100, 12 + 10 + 65}}) {
    xMessageBoxSize(t.caption.c_str(), t.text.c_str(), &w, &h);
    EXPECT_EQ(w, t.width) << t.caption;
    EXPECT_EQ(h, t.height) << t.caption;
  }
  // The OK button: "OK" plus 40 by "OK" plus 6, centred, 25 above the bottom.
  int32_t bw = 0, bh = 0, bx = 0, by = 0;
  CScript look({[&] {
    CButton* ok = glb->m_pStockButton;
    ok->GetSize(bw, bh);
    ok->GetPos(bx, by);
    xWinCtrl()->SendMessage(GUIMSG_COMMAND, 0, 1, 0, nullptr);
  }});
  EXPECT_EQ(xMessageBox("Hi", "Yes", 0), 1);
  EXPECT_EQ(bw, 14 + 40);
  EXPECT_EQ(bh, 10 + 6);
  EXPECT_EQ(bx, (100 - 54) / 2 + 2);                     // inside the bordered frame's bevel
  EXPECT_EQ(by, 75 - 16 - 25 + TITLEBAR_HEIGHT + 2);
  WC().SetDefaultFont(nullptr);
  xGuiDeleteFont(font);
}
