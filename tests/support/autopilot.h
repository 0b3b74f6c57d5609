// The autopilot: a scripted player that acts once per pass of whatever loop runs xHandler, the
// blocking loops of dialogs included, so a test can start a call that only returns once the
// player has answered and let the autopilot answer. It is a runtime timer, as the player of the
// blackjack module's end-to-end test is: it runs at the start of the pass (20 ms of the client's
// pacing, which the test clock gives without waiting), at most once a pass.
//
// The script is a list of steps taken in order, at most one a pass, each waiting until its
// window (the resource section it was made from) is shown:
//
//   CAutopilot pilot;
//   pilot.SetText(4070, 4072, "CODE1").Press(4070, 101);   // type into an edit, then OK
//   pilot.Click(4000, 201);                                // a real click at the button's centre
//   pilot.Close(4080);                                     // the close box
//   pilot.Press(4000, 101).HoldUntil([&] { return peer.Answered(); }, "the answer");
//   pilot.QuitAfter(200);                                  // ask the program to quit after pass 200
//   EXPECT_EQ(window.Show("Hello"), 1);
//
// Press calls the dialog's callback at once, inside the pass. A press whose handling opens a
// blocking loop of its own must be a Click: the click is queued as input on the headless display
// (move, press, release over three passes) and the window manager delivers it in a later pass, so
// the new loop runs there and not inside the autopilot's call. Clicks need a running screen.
//
// The frame budget: once the passes reach it, the test fails (naming the step still waiting and
// the windows shown) and the program is asked to quit, as a player closing the window would; a
// loop that still runs after a grace of kBudgetGrace passes stops the test program at once rather
// than hang it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ostrel/system/timers.h"

class CDialog;

class CAutopilot : public CTimer {
 public:
  // A minute of the client's time.
  static constexpr int32_t kDefaultBudget = 3000;
  static constexpr int32_t kBudgetGrace = 100;

  explicit CAutopilot(int32_t passBudget = kDefaultBudget);
  ~CAutopilot() override;

  // ---- script steps ----
  CAutopilot& SetText(int32_t section, int32_t control, const std::string& text);
  CAutopilot& Press(int32_t section, int32_t control);
  CAutopilot& Click(int32_t section, int32_t control);
  CAutopilot& Close(int32_t section);
  // Any action on the shown dialog.
  CAutopilot& Do(int32_t section, const std::function<void(CDialog&)>& action, const std::string& what = "act");
  // A step that waits for its own condition.
  CAutopilot& When(const std::function<bool()>& ready, const std::function<void()>& act, const std::string& what);
  // Holds the pass it is reached in, in real time, until answered() (a loopback peer has sent its
  // answer) or realTimeoutMs passed (a test failure): a wait that counts passes then meets the
  // answer in its first pass, however busy the machine. Put it right after the step that makes
  // the client ask; the test clock does not move meanwhile.
  CAutopilot& HoldUntil(const std::function<bool()>& answered, const std::string& what, int32_t realTimeoutMs = 30000);

  // ---- beside the script ----
  // After that pass the program is asked to quit (its window's close message).
  CAutopilot& QuitAfter(int32_t pass);
  // Called every pass with its number (from 1), before the script's step.
  CAutopilot& EachPass(const std::function<void(int32_t pass)>& hook);

  int32_t Passes() const { return m_Pass; }
  bool ScriptDone() const { return m_Steps.empty() && m_Mouse.empty(); }
  // Steps taken so far, as "what section.control" lines.
  const std::vector<std::string>& Taken() const { return m_Taken; }

  void TimerHandler(uint32_t period) override;

 private:
  struct SStep {
    std::function<bool()> m_Ready;
    std::function<void()> m_Act;
    std::string m_What;
  };
  struct SMouse {
    int32_t m_Kind;  // 0 move, 1 press, 2 release
    int32_t m_X, m_Y;
  };

  CAutopilot& Add(SStep step);
  void Pass();
  void SpendBudget();

  int32_t m_Budget;
  int32_t m_Pass = 0;
  int32_t m_QuitAfter = -1;
  uint32_t m_LastPassTime = 0;
  bool m_Started = false;
  std::deque<SStep> m_Steps;
  std::deque<SMouse> m_Mouse;
  std::vector<std::function<void(int32_t)>> m_Hooks;
  std::vector<std::string> m_Taken;
};
