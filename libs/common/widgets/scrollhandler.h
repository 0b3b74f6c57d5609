// The table's message line: messages queue up and scroll through one scrolling text control,
// one after the other.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"
#include "ostrel/system/timers.h"

class CScrollText;

inline constexpr uint32_t SCROLLHANDLER_PERIOD = 100;
// The scrolling text's timer period while a message runs.
inline constexpr uint32_t SCROLLHANDLER_SPEED = 20;

class CScrollHandler : public CTimer {
 public:
  CScrollHandler() = default;
  ~CScrollHandler() override;

  // Keeps the control (not owned) and starts the 100 ms timer that feeds it.
  void Init(CScrollText* control);
  // Queues a copy of the text ended by the stop byte 0x07, which ends its scrolling; the first
  // queued message goes to the control at once.
  void AddMessage(const char* text);
  // Drops every queued message; the one on the control scrolls to its end.
  void Flush();
  // Flush, then no more timer.
  void Exit();
  int32_t NumQueued() const { return m_Queue.GetNumNodes(); }

  // Once the control has stopped, the message it showed leaves the queue and the next one starts.
  void TimerHandler(uint32_t period) override;

 private:
  void Show(const char* message);

  CScrollText* m_pControl = nullptr;
  CLList m_Queue;  // texts (xFree), each ending with 0x07
};
