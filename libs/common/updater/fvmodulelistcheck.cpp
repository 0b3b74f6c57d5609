// Checks of a whole module list: shared-file references and files claimed by two modules.
#include <initializer_list>
#include <new>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvnameindex.h"
#include "ostrel/system/debug.h"

namespace {
constexpr char kValidate[] = "CFVModuleHandler::ValidateModuleList";

// A set of names without regard to case.
class CFoldedSet {
 public:
  void Insert(const char* name) { m_Index.Add(name, nullptr); }
  bool Contains(const char* name) const { return m_Index.Find(name) != nullptr; }

 private:
  CFVNameIndex<const void> m_Index;
};

template <class F>
void EachModule(const CLList& list, F f) {
  for (const CNode* n = list.HeadNode(); n; n = n->m_pNext) f(*static_cast<const CFVModule*>(n->m_pData));
}

template <class T, class F>
void EachRecord(const CLList& list, F f) {
  for (const CNode* n = list.HeadNode(); n; n = n->m_pNext) f(*static_cast<const T*>(n->m_pData));
}
}  // namespace

int32_t CFVModuleHandler::ValidateModuleList() {
  try {
    // The names that INDIRECT modules carry, and whether one of their files has no name (such a
    // file answers any reference).
    CFoldedSet shared;
    bool sharedUnnamed = false;
    bool indirectSound = true;
    EachModule(m_IndirectModules, [&](const CFVModule& m) {
      if (m.GetModMode() != FVMODULE_INDIRECT || m.GetNumIndFiles()) indirectSound = false;
      EachRecord<CFVNormFile>(m.m_NormFiles, [&](const CFVNormFile& f) {
        if (f.IndexedNormName()) shared.Insert(f.IndexedNormName());
        else sharedUnnamed = true;
      });
    });
    // The names that NORMAL modules refer to.
    CFoldedSet referenced;
    bool normalSound = true;
    EachModule(m_NormalModules, [&](const CFVModule& m) {
      if (m.GetModMode() != FVMODULE_NORMAL) normalSound = false;
      EachRecord<CFVIndFile>(m.m_IndFiles, [&](const CFVIndFile& f) {
        if (f.GetName()) referenced.Insert(f.GetName());
      });
    });

    const char* fault = nullptr;
    const char* what = "";
    EachModule(m_NormalModules, [&](const CFVModule& m) {
      EachRecord<CFVIndFile>(m.m_IndFiles, [&](const CFVIndFile& f) {
        if (fault) return;
        what = f.GetName() ? f.GetName() : "";
        if (!indirectSound) fault = "an INDIRECT module has another mode or indirect files";
        else if (!sharedUnnamed && !shared.Contains(what)) fault = "no INDIRECT module carries the indirect file";
      });
    });
    EachModule(m_IndirectModules, [&](const CFVModule& m) {
      if (fault) return;
      what = m.GetModName() ? m.GetModName() : "";
      if (m.GetNumIndFiles()) fault = "an INDIRECT module has indirect files";
      EachRecord<CFVNormFile>(m.m_NormFiles, [&](const CFVNormFile& f) {
        if (fault || !f.IndexedNormName()) return;
        what = f.IndexedNormName();
        if (m_NormalModules.GetNumNodes() == 0) fault = "no NORMAL module refers to the file";
        else if (!normalSound) fault = "a NORMAL module has another mode";
        else if (!referenced.Contains(what)) fault = "no NORMAL module refers to the file";
      });
    });
    if (fault) {
      xprintf("%s: %s (%s)\n", kValidate, fault, what);
      return 0;
    }
    return 1;
  } catch (const std::bad_alloc&) {
    xprintf("%s: out of memory\n", kValidate);
    return 0;
  }
}

int32_t CFVModuleHandler::CheckConsistency() {
  try {
    CFVNameIndex<const CFVModule> owners;
    for (const CLList* list : {&m_NormalModules, &m_IndirectModules}) {
      for (const CNode* n = list->HeadNode(); n; n = n->m_pNext) {
        const auto* m = static_cast<const CFVModule*>(n->m_pData);
        for (const CNode* f = m->m_NormFiles.HeadNode(); f; f = f->m_pNext) {
          const char* name = static_cast<const CFVNormFile*>(f->m_pData)->IndexedNormName();
          if (!name) continue;
          const CFVModule* owner = owners.First(name);
          if (owner && owner != m) {
            xprintf("CFVModuleHandler::CheckConsistency: %s belongs to the modules %s and %s\n", name,
                    owner->GetModName(), m->GetModName());
            return 0;
          }
          if (!owner) owners.Add(name, m);
        }
      }
    }
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
