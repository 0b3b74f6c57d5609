#include "platform/display/headless.h"

bool CHeadlessDisplay::OpenWindow(const char* title, int32_t, int32_t, int32_t, int32_t) {
  m_Open = true;
  m_Visible = false;
  m_Minimized = false;
  m_Title = title ? title : "";
  return true;
}

void CHeadlessDisplay::CloseWindow() {
  m_Open = false;
  m_Visible = false;
  m_Queue.clear();
}

bool CHeadlessDisplay::PeekMessage(TPlatformMessage& out) {
  if (m_Queue.empty()) return false;
  out = m_Queue.front();
  m_Queue.pop_front();
  return true;
}
