#include "ostrel/system/timers.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "ostrel/containers/llist.h"
#include "ostrel/system/dispatchlist.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"

namespace {
struct SPendingTimer {
  CTimer* m_pObject;
  uint32_t m_Period;
};

struct SActiveTimer {
  CTimer* m_pObject;  // null once removed; the entry goes at the next sweep
  uint32_t m_Period;
  float m_Remainder;
  uint32_t m_LastUpdate;
  uint32_t m_CurrentUpdate;
  // A separate flag rather than a last-update time of 0: the clock wraps, and a pass that reads
  // exactly 0 must not restart the timer's clock and lose the periods behind it.
  bool m_Started;
};

// Non-zero while timer handlers run: the active list then only changes by clearing objects.
int32_t g_UpdateDepth = 0;

CLList* Active() { return glb ? glb->m_pActiveTimers : nullptr; }
CLList* Pending() { return glb ? glb->m_pPendingTimers : nullptr; }

void PayOut(SActiveTimer* t) {
  t->m_CurrentUpdate = xGetTime();
  if (!t->m_Started) {
    t->m_Started = true;
    t->m_LastUpdate = t->m_CurrentUpdate;
    t->m_Remainder = 0;
  }
  const uint32_t elapsed = t->m_CurrentUpdate - t->m_LastUpdate;
  t->m_LastUpdate = t->m_CurrentUpdate;
  const double total = static_cast<double>(elapsed) + static_cast<double>(t->m_Remainder);
  const auto calls = static_cast<uint64_t>(total / t->m_Period);
  t->m_Remainder = static_cast<float>(total - static_cast<double>(calls) * t->m_Period);
  for (uint64_t i = 0; i < calls && t->m_pObject; ++i) t->m_pObject->TimerHandler(t->m_Period);
}
}  // namespace

void CTimer::TimerHandler(uint32_t) {}
CTimer::~CTimer() { xRemoveTimerAll(this); }
int32_t CTimer::AddTimer(uint32_t period) { return xAddTimer(this, period); }
void CTimer::RemoveTimer(uint32_t period) { xRemoveTimer(this, period); }
void CTimer::RemoveAllTimers() { xRemoveTimerAll(this); }

void ValidateTimerList() {
  if (!glb) return;
  if (!glb->m_pActiveTimers) glb->m_pActiveTimers = new (std::nothrow) CLList;
  if (!glb->m_pPendingTimers) glb->m_pPendingTimers = new (std::nothrow) CLList;
}

uint32_t xClampTimerPeriod(int64_t ms) { return static_cast<uint32_t>(std::clamp<int64_t>(ms, 1, INT32_MAX)); }

int32_t xAddTimer(CTimer* object, uint32_t period) {
  if (period == 0 || period > static_cast<uint32_t>(INT32_MAX)) return 0;
  ValidateTimerList();
  CLList* active = Active();
  CLList* pending = Pending();
  if (!active || !pending) return 0;
  for (CNode* n = active->HeadNode(); n; n = n->m_pNext) {
    auto* t = static_cast<SActiveTimer*>(n->m_pData);
    if (t->m_pObject == object && t->m_Period == period) return 1;
  }
  for (CNode* n = pending->HeadNode(); n; n = n->m_pNext) {
    auto* t = static_cast<SPendingTimer*>(n->m_pData);
    if (t->m_pObject == object && t->m_Period == period) return 1;
  }
  auto* entry = new (std::nothrow) SPendingTimer{object, period};
  if (!entry) return 0;
  if (!pending->InsertLast(entry, 0)) {
    delete entry;
    return 0;
  }
  return 1;
}

void xRemoveTimer(CTimer* object, uint32_t period) {
  if (CLList* active = Active()) {
    for (CNode* n = active->HeadNode(); n; n = n->m_pNext) {
      auto* t = static_cast<SActiveTimer*>(n->m_pData);
      if (t->m_pObject == object && t->m_Period == period) {
        t->m_pObject = nullptr;
        break;
      }
    }
  }
  if (CLList* pending = Pending()) {
    xDeleteEntriesWhere<SPendingTimer>(pending, [&](SPendingTimer* t) { return t->m_pObject == object && t->m_Period == period; });
  }
}

void xRemoveTimerAll(CTimer* object) {
  if (CLList* active = Active()) {
    for (CNode* n = active->HeadNode(); n; n = n->m_pNext) {
      auto* t = static_cast<SActiveTimer*>(n->m_pData);
      if (t->m_pObject == object) t->m_pObject = nullptr;
    }
  }
  if (CLList* pending = Pending()) {
    xDeleteEntriesWhere<SPendingTimer>(pending, [&](SPendingTimer* t) { return t->m_pObject == object; });
  }
}

void xRemoveNotActiveTimers() {
  CLList* active = Active();
  if (!active || g_UpdateDepth > 0) return;
  xDeleteEntriesWhere<SActiveTimer>(active, [](SActiveTimer* t) { return t->m_pObject == nullptr; });
}

void xAddPendingTimers() {
  CLList* active = Active();
  CLList* pending = Pending();
  if (!active || !pending || g_UpdateDepth > 0) return;
  while (pending->First()) {
    auto* p = static_cast<SPendingTimer*>(pending->Get());
    auto* a = new (std::nothrow) SActiveTimer{p->m_pObject, p->m_Period, 0.0f, 0, 0, false};
    if (!a || !active->InsertLast(a, 0)) {
      delete a;
      return;  // out of memory: the entry stays pending for the next pass
    }
    delete p;
    pending->Delete(1);
  }
}

void xUpdateObjTimers() {
  ValidateTimerList();
  CLList* active = Active();
  if (!active) return;
  xRemoveNotActiveTimers();
  xAddPendingTimers();
  ++g_UpdateDepth;
  for (CNode* n = active->HeadNode(); n; n = n->m_pNext) {
    auto* t = static_cast<SActiveTimer*>(n->m_pData);
    if (t->m_pObject) PayOut(t);
  }
  --g_UpdateDepth;
  xRemoveNotActiveTimers();
  xAddPendingTimers();
}

void xDeleteTimerEntries(CLList*& active, CLList*& pending) {
  xDeleteEntryList<SActiveTimer>(active);
  xDeleteEntryList<SPendingTimer>(pending);
}
