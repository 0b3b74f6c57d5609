// Object timers: an object's TimerHandler is called as many times per pass as whole periods have
// elapsed on its own clock, so calls follow elapsed time exactly whatever the frame rate.
#pragma once

#include <cstdint>

class CTimer {
 public:
  CTimer() = default;
  CTimer(const CTimer&) = delete;
  CTimer& operator=(const CTimer&) = delete;
  virtual void TimerHandler(uint32_t period);
  virtual ~CTimer();

  int32_t AddTimer(uint32_t period);
  void RemoveTimer(uint32_t period);
  void RemoveAllTimers();
};

// A timer is the pair (object, period). A period of 0 would owe an unbounded number of calls per
// pass, and one with the top bit set is a negative delay that went through an unsigned parameter:
// both are refused (0).
int32_t xAddTimer(CTimer* object, uint32_t period);
// The nearest period xAddTimer accepts, for callers that derive a period from data.
uint32_t xClampTimerPeriod(int64_t ms);
void xRemoveTimer(CTimer* object, uint32_t period);
void xRemoveTimerAll(CTimer* object);
void xUpdateObjTimers();
void ValidateTimerList();
void xRemoveNotActiveTimers();
void xAddPendingTimers();

class CLList;
// Frees both timer lists with their entries (at the release of the globals).
void xDeleteTimerEntries(CLList*& active, CLList*& pending);
