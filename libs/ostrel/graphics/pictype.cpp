#include "ostrel/graphics/pictype.h"

#include "ostrel/base/xstring.h"

int32_t CPicTypeList::Register(CPicType* type) { return type && InsertLast(type) ? 1 : 0; }

int32_t CPicTypeList::Unregister(CPicType* type) { return DeleteItem(type); }

int32_t CPicTypeList::UnregisterAll() {
  KillAll();
  return 1;
}

CPicType* CPicTypeList::GetDesc(const char** extension, const char** description) {
  auto* type = static_cast<CPicType*>(Get());
  if (type) type->GetDesc(extension, description);
  return type;
}

CPicType* CPicTypeList::GetType(const char* name) {
  const char* dot = name ? xStrrchr(name, '.') : nullptr;
  if (!dot) return nullptr;
  for (CNode* n = HeadNode(); n; n = n->m_pNext) {
    auto* type = static_cast<CPicType*>(n->m_pData);
    if (type && type->IsType(name, dot + 1)) return type;
  }
  return nullptr;
}
