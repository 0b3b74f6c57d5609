// Picture types: the readers of picture files, chosen by the file name's extension from the
// process-wide list in the globals. A type registers itself in the list when it is made.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

class CBitmapBase;
class CFile;

class CPicType {
 public:
  CPicType() = default;
  virtual ~CPicType() = default;
  CPicType(const CPicType&) = delete;
  CPicType& operator=(const CPicType&) = delete;

  // The decoder, over the file image in memory.
  virtual int32_t Load(CBitmapBase* bitmap, void* data) = 0;
  // Reads an open file and decodes it.
  virtual int32_t Load(CFile* file, CBitmapBase* bitmap, void* data) = 0;
  // Opens the named file and decodes it. CBitmap::Load calls this one with an emptied bitmap,
  // and resets the bitmap's clip rectangle after a successful load.
  virtual int32_t Load(const char* name, CBitmapBase* bitmap, void* data) = 0;
  // 1 when the type reads files with this extension (null when the name has none).
  virtual int32_t IsType(const char* name, const char* extension) = 0;
  virtual int32_t GetDesc(const char** extension, const char** description) = 0;
};

// The registered types in registration order; the list never owns them.
class CPicTypeList : public CLList {
 public:
  ~CPicTypeList() { UnregisterAll(); }

  int32_t Register(CPicType* type);
  int32_t Unregister(CPicType* type);
  int32_t UnregisterAll();
  int32_t NumTypes() const { return GetNumNodes(); }
  // GetDesc of the type at the cursor; that type, or null off the list.
  CPicType* GetDesc(const char** extension, const char** description);
  // The first type that accepts the text after the name's last "."; null when none does or the
  // name has no ".".
  CPicType* GetType(const char* name);
};
