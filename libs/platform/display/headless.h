// A display without a screen: the window is a flag and the events are whatever tests queue.
#pragma once

#include <deque>
#include <string>

#include "platform/display/display.h"

class CHeadlessDisplay : public CDisplayBackend {
 public:
  const char* Name() const override { return "headless"; }
  bool OpenWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void CloseWindow() override;
  bool IsWindowOpen() const override { return m_Open; }
  void ShowWindow(bool visible) override { m_Visible = visible; }
  bool IsWindowVisible() const override { return m_Visible; }
  void RaiseWindow() override { m_Minimized = false; }
  void MinimizeWindow() override { m_Minimized = true; }
  bool IsWindowMinimized() const override { return m_Minimized; }
  void SetTitle(const char* title) override { m_Title = title ? title : ""; }
  bool PeekMessage(TPlatformMessage& out) override;
  void PostMessage(const TPlatformMessage& message) override { m_Queue.push_back(message); }

  const std::string& Title() const { return m_Title; }
  size_t Pending() const { return m_Queue.size(); }
  void Clear() { m_Queue.clear(); }

 private:
  bool m_Open = false;
  bool m_Visible = false;
  bool m_Minimized = false;
  std::string m_Title;
  std::deque<TPlatformMessage> m_Queue;
};
