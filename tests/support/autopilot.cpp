#include "support/autopilot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "ostrel/controls/controlbase.h"
#include "ostrel/controls/guitypes.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/dialogs/winctrl.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/sysservices.h"
#include "platform/display/display.h"
#include "platform/display/headless.h"
#include "support/controlreaders.h"

namespace {
constexpr uint32_t kPassMs = 20;
constexpr int32_t kQuitCode = 1;

std::string Where(int32_t section, int32_t control) {
  return std::to_string(section) + "." + std::to_string(control);
}

std::string ShownList() {
  std::ostringstream out;
  for (int32_t id : ShownSections()) out << " " << id;
  const std::string list = out.str();
  return list.empty() ? " none" : list;
}

void AskToQuit() {
  xSetUserWantToQuit(1);
  PlatformDisplay()->PostMessage({XMSG_CLOSE, 0, 0});
}
}  // namespace

CAutopilot::CAutopilot(int32_t passBudget) : m_Budget(passBudget) { AddTimer(kPassMs); }

CAutopilot::~CAutopilot() { RemoveAllTimers(); }

CAutopilot& CAutopilot::Add(SStep step) {
  m_Steps.push_back(std::move(step));
  return *this;
}

CAutopilot& CAutopilot::When(const std::function<bool()>& ready, const std::function<void()>& act,
                             const std::string& what) {
  return Add({ready, act, what});
}

CAutopilot& CAutopilot::HoldUntil(const std::function<bool()>& answered, const std::string& what,
                                  int32_t realTimeoutMs) {
  return Add({[] { return true; },
              [answered, what, realTimeoutMs] {
                const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(realTimeoutMs);
                while (!answered()) {
                  if (std::chrono::steady_clock::now() >= end) {
                    ADD_FAILURE() << "held the pass " << realTimeoutMs << " ms for " << what << " in vain";
                    return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
              },
              "hold for " + what});
}

CAutopilot& CAutopilot::Do(int32_t section, const std::function<void(CDialog&)>& action, const std::string& what) {
  return Add({[section] { return IsSectionShown(section); },
              [section, action] {
                if (CDialog* dialog = ShownSection(section)) action(*dialog);
              },
              what + " " + std::to_string(section)});
}

CAutopilot& CAutopilot::SetText(int32_t section, int32_t control, const std::string& text) {
  return Add({[section, control] { return SectionControl(section, control) != nullptr; },
              [section, control, text] {
                CControlBase* c = SectionControl(section, control);
                char* buffer = c ? c->AllocBuffer(static_cast<int32_t>(text.size() + 1)) : nullptr;
                if (!buffer) return;
                text.copy(buffer, text.size());
                buffer[text.size()] = '\0';
                c->FormatText();
                c->Validate();
              },
              "set the text of " + Where(section, control)});
}

CAutopilot& CAutopilot::Press(int32_t section, int32_t control) {
  return Add({[section] { return IsSectionShown(section); },
              [section, control] {
                CDialog* dialog = ShownSection(section);
                TWinEntry* entry = dialog && glb->m_pWinCtrl ? glb->m_pWinCtrl->GetEntry(dialog) : nullptr;
                if (entry && entry->m_pCallback)
                  entry->m_pCallback(GUIMSG_COMMAND, section, control, 0, entry->m_pUser);
              },
              "press " + Where(section, control)});
}

CAutopilot& CAutopilot::Close(int32_t section) { return Press(section, XCNTRL_CLOSE); }

CAutopilot& CAutopilot::Click(int32_t section, int32_t control) {
  return Add({[section, control] {
                int32_t x = 0, y = 0;
                return ControlCentre(section, control, x, y);
              },
              [this, section, control] {
                int32_t x = 0, y = 0;
                ControlCentre(section, control, x, y);
                // The first move only wakes a mouse that has seen none yet.
                m_Mouse.push_back({0, x, y});
                m_Mouse.push_back({0, x, y});
                m_Mouse.push_back({1, x, y});
                m_Mouse.push_back({2, x, y});
              },
              "click " + Where(section, control)});
}

CAutopilot& CAutopilot::QuitAfter(int32_t pass) {
  m_QuitAfter = pass;
  return *this;
}

CAutopilot& CAutopilot::EachPass(const std::function<void(int32_t)>& hook) {
  m_Hooks.push_back(hook);
  return *this;
}

void CAutopilot::TimerHandler(uint32_t) {
  // The periods owed for one long pass come together: one action a pass.
  const uint32_t now = xGetTime();
  if (m_Started && now == m_LastPassTime) return;
  m_Started = true;
  m_LastPassTime = now;
  Pass();
}

void CAutopilot::Pass() {
  ++m_Pass;
  SpendBudget();
  for (const auto& hook : m_Hooks) hook(m_Pass);
  if (m_Pass == m_QuitAfter + 1 && m_QuitAfter >= 0) AskToQuit();
  if (!m_Mouse.empty()) {
    const SMouse m = m_Mouse.front();
    m_Mouse.pop_front();
    CHeadlessDisplay* display = PlatformHeadless();
    if (m.m_Kind == 0)
      display->QueueMouseMove(m.m_X, m.m_Y);
    else
      display->QueueMouseButton(XMOUSE_LEFT, m.m_Kind == 1, m.m_X, m.m_Y);
    return;
  }
  if (m_Steps.empty() || !m_Steps.front().m_Ready()) return;
  const SStep step = m_Steps.front();
  m_Steps.pop_front();
  m_Taken.push_back(step.m_What);
  step.m_Act();
}

void CAutopilot::SpendBudget() {
  if (m_Pass == m_Budget) {
    ADD_FAILURE() << "frame budget of " << m_Budget << " passes used up; waiting for: "
                  << (m_Steps.empty() ? std::string("nothing (script done)") : m_Steps.front().m_What)
                  << "; windows shown:" << ShownList();
    AskToQuit();
    PlatformPostQuit(kQuitCode);
  }
  if (m_Pass >= m_Budget + kBudgetGrace) {
    std::fprintf(stderr, "frame budget: the loop went on %d passes after its budget of %d; test stopped\n",
                 kBudgetGrace, m_Budget);
    std::fflush(stderr);
    std::abort();
  }
}
