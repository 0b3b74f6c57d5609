#include "ostrel/containers/objpool.h"

#include <new>

#include "ostrel/containers/llist.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"

CObjPool::~CObjPool() { Release(); }

// Objects waiting in the ring belong to nobody else, so they go back to the system here rather
// than being lost with the ring.
void CObjPool::Release() {
  if (m_Period != XNONE32) xUnregisterFramePool(this);
  while (void* obj = Dequeue()) ReleaseObj(obj);
  delete[] m_pRing;
  m_pRing = nullptr;
  m_pAlloc = nullptr;
  m_pRelease = nullptr;
  m_pOnTake = nullptr;
  m_pOnReturn = nullptr;
  m_Minimum = 0;
  m_Period = XNONE32;
  m_LastTrim = 0;
  m_NumObjects = 0;
  m_Capacity = 0;
  m_WriteIndex = 0;
  m_ReadIndex = 0;
}

int32_t CObjPool::Init(int32_t minimum, uint32_t period, int32_t capacity, TObjPoolAllocFunc alloc,
                       TObjPoolReleaseFunc release, TObjPoolHookFunc onTake,
                       TObjPoolHookFunc onReturn) {
  Release();
  if (capacity < 1) return 0;
  m_pAlloc = alloc;
  m_pRelease = release;
  m_pOnTake = onTake;
  m_pOnReturn = onReturn;
  m_Minimum = minimum;
  m_LastTrim = xGetTime();
  m_pRing = new (std::nothrow) void*[static_cast<size_t>(capacity)]();
  if (!m_pRing) return 0;
  m_Capacity = capacity;
  // A minimum beyond what the ring can hold stops at a full ring.
  while (m_NumObjects < m_Minimum) {
    void* obj = m_pAlloc ? m_pAlloc() : nullptr;
    if (!obj) return 0;
    if (!Enqueue(obj)) {
      ReleaseObj(obj);
      break;
    }
  }
  // Without glb there is no frame loop to join; the pool still works when driven by hand.
  m_Period = period;
  if (period != XNONE32) xRegisterFramePool(this);
  return 1;
}

int32_t CObjPool::Handler() {
  if (m_Minimum != 0 && m_NumObjects < m_Minimum && m_pAlloc) {
    if (void* obj = m_pAlloc(); obj && !Enqueue(obj)) ReleaseObj(obj);
  }
  if (m_Period != XNONE32 && m_NumObjects > m_Minimum) {
    uint32_t now = xGetTime();
    if (xTimeDiff(m_LastTrim, now) > m_Period) {
      m_LastTrim = now;
      if (void* obj = Dequeue()) ReleaseObj(obj);
    }
  }
  return 1;
}

CObjPool* xNewObjPool(int32_t minimum, uint32_t period, int32_t capacity, TObjPoolAllocFunc alloc,
                      TObjPoolReleaseFunc release, TObjPoolHookFunc onTake,
                      TObjPoolHookFunc onReturn) {
  CObjPool* pool = new (std::nothrow) CObjPool;
  if (pool && !pool->Init(minimum, period, capacity, alloc, release, onTake, onReturn)) {
    delete pool;
    pool = nullptr;
  }
  return pool;
}

namespace {
CLList* FramePoolList() {
  if (!glb) return nullptr;
  if (!glb->m_pFramePools) glb->m_pFramePools = new (std::nothrow) CLList;
  return glb->m_pFramePools;
}
}  // namespace

int32_t xRegisterFramePool(CObjPool* pool) {
  CLList* list = FramePoolList();
  return list && pool ? list->IfNotInsertLast(pool) : 0;
}

// Only the list of the current glb is touched: a pool that outlives the glb it joined has no
// list left to leave.
void xUnregisterFramePool(CObjPool* pool) {
  if (!glb || !glb->m_pFramePools) return;
  glb->m_pFramePools->DeleteItem(pool);
}

void xRunFramePools() {
  CLList* list = FramePoolList();
  if (!list) return;
  for (list->First(); list->Exists(); list->Next()) static_cast<CObjPool*>(list->Get())->Handler();
}

void xFreeFramePools() {
  if (!glb) return;
  delete glb->m_pFramePools;
  glb->m_pFramePools = nullptr;
}
