#include "ostrel/containers/objpool.h"

#include <new>

#include "ostrel/containers/llist.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/memhooks.h"

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

int32_t CObjPool::Enqueue(void* obj) {
  if (!m_pRing || !obj) return 0;
  int32_t next = m_WriteIndex + 1 == m_Capacity ? 0 : m_WriteIndex + 1;
  if (next == m_ReadIndex) return 0;
  m_pRing[m_WriteIndex] = obj;
  m_WriteIndex = next;
  ++m_NumObjects;
  return 1;
}

void* CObjPool::Dequeue() {
  if (!m_pRing || m_ReadIndex == m_WriteIndex) return nullptr;
  void* obj = m_pRing[m_ReadIndex];
  m_pRing[m_ReadIndex] = nullptr;
  m_ReadIndex = m_ReadIndex + 1 == m_Capacity ? 0 : m_ReadIndex + 1;
  --m_NumObjects;
  return obj;
}

void* CObjPool::Alloc() {
  void* obj = Dequeue();
  if (!obj && m_pAlloc) obj = m_pAlloc();
  if (obj && m_pOnTake) m_pOnTake(obj);
  return obj;
}

void CObjPool::Free(void* obj) {
  if (!obj) return;
  if (m_pOnReturn) m_pOnReturn(obj);
  if (!Enqueue(obj)) ReleaseObj(obj);
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

void* xAllocNode(TNodePoolFunc getPool, size_t size) {
  if (!glb || !glb->m_PoolFlag) return xSysAllocMemFunc(size);
  CObjPool* pool = getPool();
  return pool ? pool->Alloc() : nullptr;
}

CObjPool* xNodeFreeTarget(TNodePoolFunc getPool) {
  return glb && glb->m_PoolFlag ? getPool() : nullptr;
}

void xFreeNode(CObjPool* target, void* node) {
  if (target)
    target->Free(node);
  else
    xSysFreeMemFunc(node);
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
