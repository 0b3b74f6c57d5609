// Node memory of the list and the tree: from a node pool while glb's pool flag is set (no node
// when that pool cannot be made), else from the system heap. Pool objects are system blocks
// too (xSysAllocMemFunc, released with xSysFreeMemFunc), so a node may go back through either
// path whatever the flag says by then: switching the flag, or deleting glb, while containers
// still hold nodes is safe.
#pragma once

#include "ostrel/containers/objpool.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/memhooks.h"

inline bool xNodePoolsOn() { return glb && glb->m_PoolFlag; }

template <CObjPool* (*GetPool)()>
inline void* xAllocNode(size_t size) {
  if (!xNodePoolsOn()) return xSysAllocMemFunc(size);
  CObjPool* pool = GetPool();
  return pool ? pool->Alloc() : nullptr;
}

// Where nodes go back now: the pool, or null for the heap.
template <CObjPool* (*GetPool)()>
inline CObjPool* xNodeFreeTarget() {
  return xNodePoolsOn() ? GetPool() : nullptr;
}

inline void xFreeNode(CObjPool* target, void* node) {
  if (target)
    target->Free(node);
  else
    xSysFreeMemFunc(node);
}

// A never-deleted pool of 256 slots without minimum or trimming, so that containers may outlive
// glb and static objects and still give their nodes back.
inline CObjPool* xMakeNodePool(CObjPool*& pool, TObjPoolAllocFunc alloc, TObjPoolHookFunc onTake,
                               TObjPoolHookFunc onReturn) {
  if (!pool) pool = xNewObjPool(0, XNONE32, 256, alloc, xSysFreeMemFunc, onTake, onReturn);
  return pool;
}
