#include "ostrel/system/dynlib.h"

#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "platform/modules/modules.h"

namespace {
const char kInheritName[] = "DynamicInheritOstrel";
}

CDynamicLibrary::~CDynamicLibrary() { Close(); }

int CDynamicLibrary::Load(const char* path, uint32_t flags) {
  if (!path || !path[0]) return 0;
  Close();
  m_hModule = PlatformModuleOpen(path);
  if (!m_hModule) {
    xprintf("CDynamicLibrary::Load: Error loading library (%s).", path);
    return 0;
  }
  if (flags != DYNLIB_INHERIT_OSTREL) return 1;
  auto inherit = reinterpret_cast<TDynamicInheritOstrel>(GetSymbol(kInheritName));
  if (!inherit) {
    xprintf("CDynamicLibrary::Load: Function '%s' not exported.", kInheritName);
    return 0;
  }
  return inherit(glb, sglb) ? 1 : 0;
}

int CDynamicLibrary::Loaded() { return m_hModule ? 1 : 0; }

int CDynamicLibrary::Close() {
  if (!m_hModule) return 1;
  void* module = m_hModule;
  m_hModule = nullptr;
  return PlatformModuleClose(module);
}

void* CDynamicLibrary::GetSymbol(const char* name) { return PlatformModuleSymbol(m_hModule, name); }

int xInheritOstrel(SGlobals* g, SSysGlobals* s) {
  glb = g;
  sglb = s;
  return 1;
}
