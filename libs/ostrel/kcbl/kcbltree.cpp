#include "ostrel/kcbl/kcbltree.h"

#include <cstring>
#include <new>

#include "ostrel/kcbl/kcblarena.h"

namespace {
// Item storage: header, value table, block, in one allocation.
constexpr size_t kHeader = (sizeof(TKCBLKeyword) + alignof(SKCBLValue) - 1) / alignof(SKCBLValue) *
                           alignof(SKCBLValue);

// Empties chunk (when root is not itself to be freed) or frees root's sub-tree, walking the tree
// through the parent links so that depth costs no stack.
void FreeBelow(TKCBLChunk* root) {
  TKCBLChunk* c = root;
  for (;;) {
    if (TKCBLKeyword* it = c->First()) {
      if (it->m_pChunk) {
        c = it->m_pChunk;  // empty it first; its owner stays first in c
        continue;
      }
      xKCBLUnlink(c, it);
      if (!it->m_InArena) ::operator delete(it);
      continue;
    }
    if (c == root) return;
    TKCBLChunk* parent = c->m_pParent;
    c->m_pOwner->m_pChunk = nullptr;
    if (!c->m_InArena) delete c;
    c = parent;
  }
}
}  // namespace

const char* TKCBLKeyword::Element(uint32_t n, uint32_t e) const {
  const char* p = m_pData + m_pValues[n].m_Offset + 1;
  for (; e; --e) p += std::strlen(p) + 1;
  return p;
}

TKCBLKeyword* xKCBLNewKeyword(const SKCBLItemParts& parts, CKCBLArena* arena) {
  const uint64_t table = static_cast<uint64_t>(parts.m_NumStrings) * sizeof(SKCBLValue);
  const uint64_t total = kHeader + table + parts.m_Size;
  if (total > 0x7FFFFFFFu) return nullptr;
  const auto size = static_cast<size_t>(total);
  void* mem = arena ? arena->Alloc(size) : ::operator new(size, std::nothrow);
  if (!mem) return nullptr;
  auto* item = static_cast<TKCBLKeyword*>(mem);
  item->m_InArena = arena != nullptr;
  auto* base = static_cast<char*>(mem);
  item->m_pNext = item->m_pPrev = nullptr;
  item->m_pChunk = nullptr;
  item->m_pValues = reinterpret_cast<SKCBLValue*>(base + kHeader);
  item->m_pData = base + kHeader + table;
  item->m_NumStrings = parts.m_NumStrings;
  item->m_Size = parts.m_Size;
  if (table) std::memcpy(item->m_pValues, parts.m_pValues, static_cast<size_t>(table));
  std::memcpy(item->m_pData, parts.m_pBlock, parts.m_Size);
  return item;
}

void xKCBLFreeKeyword(TKCBLKeyword* item) {
  if (!item) return;
  if (TKCBLChunk* sub = item->m_pChunk) {
    FreeBelow(sub);
    if (!sub->m_InArena) delete sub;
  }
  if (!item->m_InArena) ::operator delete(item);
}

void xKCBLInitChunk(TKCBLChunk* chunk, TKCBLChunk* parent, TKCBLKeyword* owner) {
  std::memcpy(chunk->m_PlaceholderText, KCBL_PLACEHOLDER, sizeof KCBL_PLACEHOLDER);
  chunk->m_PlaceholderText[sizeof KCBL_PLACEHOLDER] = static_cast<char>(KCBL_ITEM_END);
  TKCBLKeyword& ph = chunk->m_Placeholder;
  ph.m_pNext = ph.m_pPrev = nullptr;
  ph.m_pChunk = nullptr;
  ph.m_pValues = nullptr;
  ph.m_pData = chunk->m_PlaceholderText;
  ph.m_NumStrings = 0;
  ph.m_Size = sizeof chunk->m_PlaceholderText;
  ph.m_InArena = false;
  chunk->m_pLast = &ph;
  chunk->m_pCur = nullptr;
  chunk->m_pParent = parent;
  chunk->m_pOwner = owner;
  chunk->m_Depth = parent ? parent->m_Depth + 1 : 0;
  chunk->m_InArena = false;
}

TKCBLChunk* xKCBLNewChunk(TKCBLChunk* parent, TKCBLKeyword* owner, CKCBLArena* arena) {
  void* mem = arena ? arena->Alloc(sizeof(TKCBLChunk)) : nullptr;
  auto* chunk = mem ? new (mem) TKCBLChunk : arena ? nullptr : new (std::nothrow) TKCBLChunk;
  if (!chunk) return nullptr;
  xKCBLInitChunk(chunk, parent, owner);
  chunk->m_InArena = arena != nullptr;
  return chunk;
}

void xKCBLClearChunk(TKCBLChunk* chunk) {
  FreeBelow(chunk);
  chunk->m_pCur = nullptr;
}

void xKCBLResetChunk(TKCBLChunk* chunk) {
  chunk->m_Placeholder.m_pNext = nullptr;
  chunk->m_pLast = &chunk->m_Placeholder;
  chunk->m_pCur = nullptr;
}

void xKCBLLinkAfter(TKCBLChunk* chunk, TKCBLKeyword* after, TKCBLKeyword* item) {
  item->m_pPrev = after;
  item->m_pNext = after->m_pNext;
  if (after->m_pNext) after->m_pNext->m_pPrev = item;
  else chunk->m_pLast = item;
  after->m_pNext = item;
}

void xKCBLUnlink(TKCBLChunk* chunk, TKCBLKeyword* item) {
  item->m_pPrev->m_pNext = item->m_pNext;
  if (item->m_pNext) item->m_pNext->m_pPrev = item->m_pPrev;
  else chunk->m_pLast = item->m_pPrev;
  item->m_pNext = item->m_pPrev = nullptr;
}
