#include "common/widgets/scrollhandler.h"

#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/controls/scrolltext.h"

CScrollHandler::~CScrollHandler() { Exit(); }

void CScrollHandler::Init(CScrollText* control) {
  m_pControl = control;
  AddTimer(SCROLLHANDLER_PERIOD);
}

void CScrollHandler::Show(const char* message) {
  if (!m_pControl) return;
  m_pControl->SetText(message);
  m_pControl->Start(SCROLLHANDLER_SPEED);
}

void CScrollHandler::AddMessage(const char* text) {
  if (!text) return;
  const size_t length = strlen(text);
  // Taken like xStrdup's copies, so the queue frees them with KillAllData.
  auto* message = static_cast<char*>(::operator new(length + 2, std::nothrow));
  if (!message) return;
  memcpy(message, text, length);
  message[length] = static_cast<char>(SCROLLTEXT_STOP);
  message[length + 1] = '\0';
  if (!m_Queue.InsertLast(message)) {
    xFree(message);
    return;
  }
  if (m_Queue.GetNumNodes() == 1) Show(message);
}

void CScrollHandler::Flush() { m_Queue.KillAllData(); }

void CScrollHandler::Exit() {
  Flush();
  RemoveAllTimers();
}

void CScrollHandler::TimerHandler(uint32_t period) {
  if (period != SCROLLHANDLER_PERIOD || !m_pControl || m_pControl->IsScrolling() || !m_Queue.First()) return;
  m_Queue.DeleteData();
  m_Queue.Delete(1);
  if (m_Queue.First()) Show(static_cast<const char*>(m_Queue.Get()));
}
