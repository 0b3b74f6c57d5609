// The tree of keys and typed values of one registry root, and its text form on disk. Key and
// value names compare without regard to ASCII case and keep the case they were created with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Value types, numbered as the programs know them.
enum : uint32_t { XREG_STRING = 1, XREG_BINARY = 3, XREG_NUMBER = 4 };

inline constexpr size_t XREG_MAX_KEY_NAME = 255;
inline constexpr size_t XREG_MAX_VALUE_NAME = 16383;
inline constexpr size_t XREG_MAX_DATA = 1 << 20;
inline constexpr size_t XREG_MAX_FILE = 4 << 20;
inline constexpr size_t XREG_MAX_DEPTH = 512;
// The store serves the settings of a few programs; these bounds keep a damaged or hostile file
// from costing more than a moment to read.
inline constexpr size_t XREG_MAX_CHILDREN = 4096;  // subkeys of a key, and values of a key
inline constexpr size_t XREG_MAX_ENTRIES = 100000;  // keys and values of a tree

struct TRegistryValue {
  std::string m_Name;
  uint32_t m_Type = XREG_STRING;
  std::string m_Data;  // the bytes as stored; a number is 4 bytes, low byte first
};

struct TRegistryKey {
  std::string m_Name;
  std::vector<TRegistryValue> m_Values;                 // in order of creation
  std::vector<std::unique_ptr<TRegistryKey>> m_SubKeys;  // sorted by name, case folded

  TRegistryKey* FindSubKey(const std::string& name) const;
  // The existing one when there is one; null when the key has XREG_MAX_CHILDREN subkeys.
  TRegistryKey* AddSubKey(const std::string& name);
  bool RemoveSubKey(const std::string& name);
  TRegistryValue* FindValue(const std::string& name);
  // false when a new value would be one more than XREG_MAX_CHILDREN.
  bool SetValue(const std::string& name, uint32_t type, const std::string& data);
  bool RemoveValue(const std::string& name);
};

// Splits a key path ("Software\Casino\x\") into names; empty parts are skipped. false when a
// name is longer than XREG_MAX_KEY_NAME or there are more than XREG_MAX_DEPTH.
bool PlatformRegistrySplitPath(const char* path, std::vector<std::string>& names);
bool PlatformRegistryNamesEqual(const std::string& a, const std::string& b);

class CRegistryTree {
 public:
  CRegistryTree() : m_Root(std::make_unique<TRegistryKey>()) {}

  TRegistryKey& Root() { return *m_Root; }
  TRegistryKey* Find(const std::vector<std::string>& path) const;
  // Null when a bound is reached. added counts the keys that were new.
  TRegistryKey* Create(const std::vector<std::string>& path, size_t* added = nullptr);

  // Replaces the tree with the one the text describes; false (and an empty tree) for anything
  // malformed or out of bounds.
  bool Parse(const std::string& text);
  std::string Text() const;

 private:
  std::unique_ptr<TRegistryKey> m_Root;
};
