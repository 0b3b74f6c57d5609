// A recycling pool of equal objects: returned objects wait in a ring and are handed out again
// before the system allocator is asked. Pools with a trim period are driven once a frame and
// shrink slowly towards their minimum.
#pragma once

#include "ostrel/base/types.h"

using TObjPoolAllocFunc = void* (*)();
using TObjPoolReleaseFunc = void (*)(void* obj);
using TObjPoolHookFunc = void (*)(void* obj);

class CObjPool {
 public:
  CObjPool() = default;
  // Releases the objects still waiting in the ring, frees the ring and leaves the frame list.
  ~CObjPool();
  CObjPool(const CObjPool&) = delete;
  CObjPool& operator=(const CObjPool&) = delete;

  // period XNONE32 = never trim (and the pool is not driven per frame). The ring holds at most
  // capacity - 1 objects. 1, or 0 when the ring or one of the minimum objects cannot be had.
  int32_t Init(int32_t minimum, uint32_t period, int32_t capacity, TObjPoolAllocFunc alloc,
               TObjPoolReleaseFunc release, TObjPoolHookFunc onTake, TObjPoolHookFunc onReturn);

  // From the ring, else from the system allocator; null when neither has one.
  void* Alloc() {
    void* obj = Dequeue();
    if (!obj && m_pAlloc) obj = m_pAlloc();
    if (obj && m_pOnTake) m_pOnTake(obj);
    return obj;
  }
  // Into the ring, or to the system release when the ring is full.
  void Free(void* obj) {
    if (!obj) return;
    if (m_pOnReturn) m_pOnReturn(obj);
    if (!Enqueue(obj)) ReleaseObj(obj);
  }
  // One step towards the minimum: grows by one object, or (trimming pools) drops one per period.
  int32_t Handler();

  // Raw ring operations; they keep the object count. 0 / null when full / empty.
  int32_t Enqueue(void* obj) {
    if (!m_pRing || !obj) return 0;
    int32_t next = m_WriteIndex + 1 == m_Capacity ? 0 : m_WriteIndex + 1;
    if (next == m_ReadIndex) return 0;
    m_pRing[m_WriteIndex] = obj;
    m_WriteIndex = next;
    ++m_NumObjects;
    return 1;
  }
  void* Dequeue() {
    if (!m_pRing || m_ReadIndex == m_WriteIndex) return nullptr;
    void* obj = m_pRing[m_ReadIndex];
    m_pRing[m_ReadIndex] = nullptr;
    m_ReadIndex = m_ReadIndex + 1 == m_Capacity ? 0 : m_ReadIndex + 1;
    --m_NumObjects;
    return obj;
  }

  int32_t GetNumObjects() const { return m_NumObjects; }
  int32_t GetCapacity() const { return m_Capacity; }
  int32_t GetMinimum() const { return m_Minimum; }
  uint32_t GetPeriod() const { return m_Period; }

 private:
  void Release();
  void ReleaseObj(void* obj) {
    if (m_pRelease) m_pRelease(obj);
  }

  TObjPoolAllocFunc m_pAlloc = nullptr;
  TObjPoolReleaseFunc m_pRelease = nullptr;
  TObjPoolHookFunc m_pOnTake = nullptr;
  TObjPoolHookFunc m_pOnReturn = nullptr;
  int32_t m_Minimum = 0;
  uint32_t m_Period = XNONE32;
  uint32_t m_LastTrim = 0;
  int32_t m_NumObjects = 0;
  int32_t m_Capacity = 0;
  int32_t m_WriteIndex = 0;
  int32_t m_ReadIndex = 0;
  void** m_pRing = nullptr;
};

// A pool made with new and Init; null when either fails.
CObjPool* xNewObjPool(int32_t minimum, uint32_t period, int32_t capacity, TObjPoolAllocFunc alloc,
                      TObjPoolReleaseFunc release, TObjPoolHookFunc onTake,
                      TObjPoolHookFunc onReturn);

// The per-frame pool list in glb (made on first need). Registration needs glb; 1 on success.
int32_t xRegisterFramePool(CObjPool* pool);
void xUnregisterFramePool(CObjPool* pool);
// Runs the Handler of every registered pool, in registration order.
void xRunFramePools();
// Deletes the per-frame pool list (the pools themselves stay with their owners).
void xFreeFramePools();
