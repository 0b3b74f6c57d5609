#include "ostrel/system/registry.h"

#include <cstring>

namespace {
std::string ValueName(const char* name) { return name ? name : ""; }

int32_t CopyName(const std::string& name, char* out, uint32_t room) {
  if (!out || name.size() + 1 > room) return 0;
  std::memcpy(out, name.c_str(), name.size() + 1);
  return 1;
}
}  // namespace

template <class FLook>
int32_t CRegKey::Read(FLook look) const {
  if (!m_Open) return 0;
  CRegistryTree tree;
  if (!PlatformRegistryRead(m_Root, tree)) return 0;
  TRegistryKey* key = tree.Find(m_Path);
  return key && look(*key) ? 1 : 0;
}

int32_t CRegKey::Open(ERegistryRoot root, const char* path) {
  m_Open = false;
  CRegistryTree tree;
  if (!PlatformRegistrySplitPath(path, m_Path) || !PlatformRegistryRead(root, tree) || !tree.Find(m_Path)) return 0;
  m_Root = root;
  m_Open = true;
  return 1;
}

int32_t CRegKey::Create(ERegistryRoot root, const char* path) {
  m_Open = false;
  if (!PlatformRegistrySplitPath(path, m_Path)) return 0;
  const std::vector<std::string>& names = m_Path;
  if (!PlatformRegistryChange(root, [&](CRegistryTree& tree) {
        if (tree.Find(names)) return false;  // nothing to write
        return tree.Create(names) != nullptr;
      })) {
    // Refused because the key exists already: that is an open, not a failure.
    CRegistryTree tree;
    if (!PlatformRegistryRead(root, tree) || !tree.Find(m_Path)) return 0;
  }
  m_Root = root;
  m_Open = true;
  return 1;
}

int32_t CRegKey::QueryValue(const char* name, uint32_t* type, void* data, uint32_t* size) const {
  return Read([&](TRegistryKey& key) {
    TRegistryValue* v = key.FindValue(ValueName(name));
    if (!v) return false;
    if (type) *type = v->m_Type;
    const auto stored = static_cast<uint32_t>(v->m_Data.size());
    const bool fits = !data || (size && *size >= stored);
    if (size) *size = stored;
    if (!fits) return false;
    if (data) std::memcpy(data, v->m_Data.data(), stored);
    return true;
  });
}

int32_t CRegKey::GetString(const char* name, char* text, uint32_t room) const {
  if (!text || room == 0) return 0;
  return Read([&](TRegistryKey& key) {
    TRegistryValue* v = key.FindValue(ValueName(name));
    if (!v || v->m_Type != XREG_STRING) return false;
    std::string s = v->m_Data;
    if (size_t zero = s.find('\0'); zero != std::string::npos) s.resize(zero);
    return CopyName(s, text, room) == 1;
  });
}

int32_t CRegKey::GetNumber(const char* name, uint32_t& value) const {
  return Read([&](TRegistryKey& key) {
    TRegistryValue* v = key.FindValue(ValueName(name));
    if (!v || v->m_Type != XREG_NUMBER || v->m_Data.size() != 4) return false;
    value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(v->m_Data[static_cast<size_t>(i)]);
    return true;
  });
}

int32_t CRegKey::SetValue(const char* name, uint32_t type, const void* data, uint32_t size) {
  const std::string valueName = ValueName(name);
  if (!m_Open || (!data && size) || size > XREG_MAX_DATA || valueName.size() > XREG_MAX_VALUE_NAME) return 0;
  if (type != XREG_STRING && type != XREG_BINARY && !(type == XREG_NUMBER && size == 4)) return 0;
  const std::string bytes(static_cast<const char*>(data), size);
  return PlatformRegistryChange(m_Root, [&](CRegistryTree& tree) {
           TRegistryKey* key = tree.Find(m_Path);
           return key && key->SetValue(valueName, type, bytes);
         })
             ? 1
             : 0;
}

int32_t CRegKey::SetString(const char* name, const char* text) {
  if (!text) return 0;
  return SetValue(name, XREG_STRING, text, static_cast<uint32_t>(std::strlen(text) + 1));
}

int32_t CRegKey::SetNumber(const char* name, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return SetValue(name, XREG_NUMBER, bytes, 4);
}

int32_t CRegKey::DeleteValue(const char* name) {
  if (!m_Open) return 0;
  return PlatformRegistryChange(m_Root, [&](CRegistryTree& tree) {
           TRegistryKey* key = tree.Find(m_Path);
           return key && key->RemoveValue(ValueName(name));
         })
             ? 1
             : 0;
}

int32_t CRegKey::DeleteSubKey(const char* name) {
  std::vector<std::string> sub;
  if (!m_Open || !PlatformRegistrySplitPath(name, sub) || sub.empty()) return 0;
  std::vector<std::string> path = m_Path;
  path.insert(path.end(), sub.begin(), sub.end());
  const std::vector<std::string> parent(path.begin(), path.end() - 1);
  return PlatformRegistryChange(m_Root, [&](CRegistryTree& tree) {
           TRegistryKey* doomed = tree.Find(path);
           if (!doomed || !doomed->m_SubKeys.empty()) return false;
           return tree.Find(parent)->RemoveSubKey(path.back());
         })
             ? 1
             : 0;
}

int32_t CRegKey::CountSubKeys(uint32_t& count) const {
  return Read([&](TRegistryKey& key) {
    count = static_cast<uint32_t>(key.m_SubKeys.size());
    return true;
  });
}

int32_t CRegKey::CountValues(uint32_t& count) const {
  return Read([&](TRegistryKey& key) {
    count = static_cast<uint32_t>(key.m_Values.size());
    return true;
  });
}

int32_t CRegKey::EnumSubKey(uint32_t index, char* name, uint32_t room) const {
  return Read([&](TRegistryKey& key) {
    return index < key.m_SubKeys.size() && CopyName(key.m_SubKeys[index]->m_Name, name, room);
  });
}

int32_t CRegKey::EnumValue(uint32_t index, char* name, uint32_t room, uint32_t* type) const {
  return Read([&](TRegistryKey& key) {
    if (index >= key.m_Values.size() || !CopyName(key.m_Values[index].m_Name, name, room)) return false;
    if (type) *type = key.m_Values[index].m_Type;
    return true;
  });
}
