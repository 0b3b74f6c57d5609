// The registry: keys and string and number values of the user (XREG_CURRENT_USER) and of the
// machine (XREG_LOCAL_MACHINE), kept in files that survive the program. Key and value names
// match without regard to ASCII case; every change is on disk when its call returns. Results
// are 1 for success and 0 for failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

class CRegKey {
 public:
  CRegKey() = default;
  CRegKey(const CRegKey&) = delete;
  CRegKey& operator=(const CRegKey&) = delete;

  // Opens an existing key. Paths are names separated by backslashes ("Software\Casino\x\").
  int32_t Open(ERegistryRoot root, const char* path);
  // Opens the key, creating it and every missing key above it.
  int32_t Create(ERegistryRoot root, const char* path);
  void Close() { m_Open = false; }
  int32_t IsOpen() const { return m_Open ? 1 : 0; }
  // Nothing waits to be written; 1 while the key is open.
  int32_t Flush() const { return IsOpen(); }

  // A null or empty name is the key's default value.
  // type, data and size may each be null. *size holds the room at data and receives the size of
  // the value; 0 when the value is missing or does not fit (*size then tells the room needed).
  int32_t QueryValue(const char* name, uint32_t* type, void* data, uint32_t* size) const;
  // A string value into text, always ended with a zero; 0 when missing, not a string, or longer
  // than room allows.
  int32_t GetString(const char* name, char* text, uint32_t room) const;
  int32_t GetNumber(const char* name, uint32_t& value) const;

  // Stores the size bytes as given: a string value may or may not carry its ending zero. A
  // number is 4 bytes, low byte first.
  int32_t SetValue(const char* name, uint32_t type, const void* data, uint32_t size);
  int32_t SetString(const char* name, const char* text);  // with its ending zero
  int32_t SetNumber(const char* name, uint32_t value);
  int32_t DeleteValue(const char* name);
  // Deletes a subkey with its values; not one that has subkeys of its own.
  int32_t DeleteSubKey(const char* name);

  int32_t CountSubKeys(uint32_t& count) const;
  int32_t CountValues(uint32_t& count) const;
  // The index-th subkey by name / value by creation; 0 past the last one or when the name and
  // its zero do not fit into room.
  int32_t EnumSubKey(uint32_t index, char* name, uint32_t room) const;
  int32_t EnumValue(uint32_t index, char* name, uint32_t room, uint32_t* type) const;

 private:
  // Runs look on the key as it is stored now; 0 when it is gone or cannot be read.
  template <class FLook>
  int32_t Read(FLook look) const;

  ERegistryRoot m_Root = XREG_CURRENT_USER;
  std::vector<std::string> m_Path;
  bool m_Open = false;
};
