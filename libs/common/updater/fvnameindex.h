// Case-folded name index over one record list, so that duplicate checks and look-ups stay
// constant-time on lists of many thousands of files. Used inside the module list only.
//
// Keys point at the records' own name texts. A record whose name or presence flag changes marks
// the index stale before its old text goes; a stale index is never probed, only emptied and
// rebuilt by its owner from the list, in list order.
//
// An open-addressing table with linear probing: one array of slots that keep each name's folded
// hash, so neither growing nor probing reads the names again except to confirm a match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "common/updater/fvmodule.h"
#include "ostrel/base/xstring.h"

// 64-bit hash of a name folded to ASCII lower case; *length gets its length.
uint64_t FVFoldedHash(const char* name, uint32_t* length);
// Equal without regard to ASCII case; both of the given length.
bool FVFoldedEqual(const char* a, const char* b, uint32_t length);

template <class T>
class CFVNameIndex {
 public:
  // The first record in list order that carries a name, and how many do.
  struct SEntry {
    T* m_pFirst;
    uint32_t m_Count;
  };

  CFVNameIndex() = default;
  CFVNameIndex(const CFVNameIndex&) = delete;
  CFVNameIndex& operator=(const CFVNameIndex&) = delete;
  ~CFVNameIndex() { ::operator delete(m_pSlots); }

  bool Stale() const { return m_Stale; }
  void MarkStale() { m_Stale = true; }
  void Clear() {
    if (m_Used) std::memset(static_cast<void*>(m_pSlots), 0, sizeof(SSlot) * m_Capacity);
    m_Used = 0;
    m_Stale = false;
  }

  // A name with its folded hash, worked out once for a look-up and the insertion behind it.
  struct SKey {
    const char* m_pName;  // null: no name
    uint32_t m_Length;
    uint64_t m_Hash;
  };
  static SKey Key(const char* name) {
    SKey key{name, 0, 0};
    if (name) key.m_Hash = FVFoldedHash(name, &key.m_Length);
    return key;
  }

  const SEntry* Find(const SKey& key) const {
    if (!key.m_pName || !m_Used) return nullptr;
    const SSlot* slot = Probe(key);
    return slot->m_pName ? &slot->m_Entry : nullptr;
  }
  const SEntry* Find(const char* name) const { return Find(Key(name)); }
  T* First(const char* name) const {
    const SEntry* e = Find(name);
    return e ? e->m_pFirst : nullptr;
  }

  // For a record appended behind every record indexed so far; the key's text must be the
  // record's own. Throws std::bad_alloc.
  void Add(const SKey& key, T* record) {
    if (!key.m_pName) return;
    if ((m_Used + 1) * 4 > m_Capacity * 3) Grow();
    SSlot* slot = Probe(key);
    if (!slot->m_pName) {
      *slot = SSlot{key.m_pName, key.m_Length, key.m_Hash, SEntry{record, 0}};
      ++m_Used;
    }
    ++slot->m_Entry.m_Count;
  }
  void Add(const char* name, T* record) { Add(Key(name), record); }

  // Before the record (or its name) goes.
  void Remove(const char* name, const T* record) {
    if (!name || !m_Used) return;
    SSlot* slot = Probe(Key(name));
    if (!slot->m_pName) return;
    if (--slot->m_Entry.m_Count == 0) {
      Erase(slot);
    } else if (slot->m_Entry.m_pFirst == record) {
      // The key still points at the leaving record's text; only a walk of the list knows the
      // next holder.
      m_Stale = true;
    }
  }

 private:
  struct SSlot {
    const char* m_pName;  // null: free
    uint32_t m_Length;
    uint64_t m_Hash;
    SEntry m_Entry;
  };

  // The slot holding the name, or the free slot where it would go. The table is never full.
  SSlot* Probe(const SKey& key) const {
    const size_t mask = m_Capacity - 1;
    for (size_t i = static_cast<size_t>(key.m_Hash) & mask;; i = (i + 1) & mask) {
      SSlot* slot = m_pSlots + i;
      if (!slot->m_pName) return slot;
      if (slot->m_Hash == key.m_Hash && slot->m_Length == key.m_Length &&
          FVFoldedEqual(slot->m_pName, key.m_pName, key.m_Length))
        return slot;
    }
  }

  void Grow() {
    const size_t capacity = m_Capacity ? m_Capacity * 2 : 16;
    auto* slots = static_cast<SSlot*>(::operator new(sizeof(SSlot) * capacity));
    std::memset(static_cast<void*>(slots), 0, sizeof(SSlot) * capacity);
    for (size_t i = 0; i < m_Capacity; ++i) {
      const SSlot& old = m_pSlots[i];
      if (!old.m_pName) continue;
      size_t at = static_cast<size_t>(old.m_Hash) & (capacity - 1);
      while (slots[at].m_pName) at = (at + 1) & (capacity - 1);
      slots[at] = old;
    }
    ::operator delete(m_pSlots);
    m_pSlots = slots;
    m_Capacity = capacity;
  }

  // Frees the slot and moves back the ones behind it that their probe would no longer reach.
  void Erase(SSlot* slot) {
    const size_t mask = m_Capacity - 1;
    size_t hole = static_cast<size_t>(slot - m_pSlots);
    for (size_t i = (hole + 1) & mask; m_pSlots[i].m_pName; i = (i + 1) & mask) {
      const size_t home = static_cast<size_t>(m_pSlots[i].m_Hash) & mask;
      // Movable when its home does not lie in the cyclic range (hole, i].
      if (((i - home) & mask) >= ((i - hole) & mask)) {
        m_pSlots[hole] = m_pSlots[i];
        hole = i;
      }
    }
    m_pSlots[hole].m_pName = nullptr;
    --m_Used;
  }

  SSlot* m_pSlots = nullptr;
  size_t m_Capacity = 0;  // a power of two, or 0
  size_t m_Used = 0;
  bool m_Stale = false;
};

struct SFVModuleIndex {
  CFVNameIndex<CFVNormFile> m_NormNames;
  CFVNameIndex<CFVNormFile> m_PackedNames;
  CFVNameIndex<CFVIndFile> m_IndNames;
};

struct SFVHandlerIndex {
  CFVNameIndex<CFVModule> m_Modules;
  CFVNameIndex<SFVRestartFile> m_RestartFiles;
};
