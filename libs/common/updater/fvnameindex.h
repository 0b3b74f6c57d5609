// Case-folded name index over one record list, so that duplicate checks and look-ups stay
// constant-time on lists of many thousands of files. Used inside the module list only.
//
// Keys point at the records' own name texts. A record whose name or presence flag changes marks
// the index stale before its old text goes; a stale index is never probed, only emptied and
// rebuilt by its owner from the list, in list order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "common/updater/fvmodule.h"
#include "ostrel/base/xstring.h"

struct SFVFoldHash {
  size_t operator()(std::string_view s) const noexcept {
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(xToLowerAscii(c))) * 0x100000001b3ull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

struct SFVFoldEqual {
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (xToLowerAscii(a[i]) != xToLowerAscii(b[i])) return false;
    return true;
  }
};

template <class T>
class CFVNameIndex {
 public:
  // The first record in list order that carries a name, and how many do.
  struct SEntry {
    T* m_pFirst;
    uint32_t m_Count;
  };

  bool Stale() const { return m_Stale; }
  void MarkStale() { m_Stale = true; }
  void Clear() {
    m_Map.clear();
    m_Stale = false;
  }

  const SEntry* Find(const char* name) const {
    if (!name) return nullptr;
    auto it = m_Map.find(std::string_view(name));
    return it == m_Map.end() ? nullptr : &it->second;
  }
  T* First(const char* name) const {
    const SEntry* e = Find(name);
    return e ? e->m_pFirst : nullptr;
  }
  uint32_t Count(const char* name) const {
    const SEntry* e = Find(name);
    return e ? e->m_Count : 0;
  }

  // For a record appended behind every record indexed so far. Throws std::bad_alloc.
  void Add(const char* name, T* record) {
    if (!name) return;
    auto [it, fresh] = m_Map.try_emplace(std::string_view(name), SEntry{record, 0});
    ++it->second.m_Count;
  }

  // Before the record (or its name) goes.
  void Remove(const char* name, const T* record) {
    if (!name) return;
    auto it = m_Map.find(std::string_view(name));
    if (it == m_Map.end()) return;
    if (--it->second.m_Count == 0) {
      m_Map.erase(it);
    } else if (it->second.m_pFirst == record) {
      // The key still points at the leaving record's text; only a walk of the list knows the
      // next holder.
      m_Stale = true;
    }
  }

 private:
  std::unordered_map<std::string_view, SEntry, SFVFoldHash, SFVFoldEqual> m_Map;
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
