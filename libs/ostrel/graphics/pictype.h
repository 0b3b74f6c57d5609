// Picture types: the readers of picture files, chosen by the file name's extension from the
// process-wide list in the globals. A type registers itself in the list when it is made and leaves
// it when it is deleted.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

class CBitmapBase;
class CFile;

// Pictures arrive with downloads and a header may declare any size: the loaders refuse pictures of
// more pixels than their limit, this one unless the caller sets another (2^26, 256 MiB at 32 bits).
inline constexpr uint64_t PIC_DEFAULT_MAX_PIXELS = uint64_t{64} << 20;

// Seek modes of the in-memory readers.
inline constexpr int32_t PIC_SEEK_SET = 1;
inline constexpr int32_t PIC_SEEK_CUR = 2;

class CPicType {
 public:
  // Registers the type in the process-wide list (when there is one).
  CPicType();
  virtual ~CPicType();
  CPicType(const CPicType&) = delete;
  CPicType& operator=(const CPicType&) = delete;

  // The decoder, over the file image in memory.
  virtual int32_t Load(CBitmapBase* bitmap, void* data) = 0;
  // Reads an open file whole (descrambling it when it carries the marker) and decodes it.
  virtual int32_t Load(CFile* file, CBitmapBase* bitmap, void* data);
  // Opens the named file and decodes it. CBitmap::Load calls this one with an emptied bitmap,
  // and resets the bitmap's clip rectangle after a successful load.
  virtual int32_t Load(const char* name, CBitmapBase* bitmap, void* data);
  // 1 when the type reads files with this extension (null when the name has none).
  virtual int32_t IsType(const char* name, const char* extension) = 0;
  virtual int32_t GetDesc(const char** extension, const char** description) = 0;

  // Decodes a file image that is already in memory (the buffer is only read).
  int32_t LoadMemory(const uint8_t* image, uint32_t size, CBitmapBase* bitmap, void* data);

  // The most pixels (width x height) a picture of this type may have.
  void SetMaxPixels(uint64_t pixels) { m_MaxPixels = pixels; }
  uint64_t GetMaxPixels() const { return m_MaxPixels; }

 protected:
  // 1 when a picture of width x height (both at least 1) is within the limit.
  int32_t SizeAllowed(int64_t width, int64_t height) const;

  // Readers over the image: 1 done, 0 when the request would pass the end (position kept).
  int32_t Read(void* out, uint32_t count);
  int32_t ReadByte(char* out);
  int32_t ReadWord(int16_t* out);  // big-endian
  // PIC_SEEK_SET absolute, any other mode relative; a target below 0 or beyond the size fails.
  int32_t Seek(int64_t offset, int32_t mode);
  uint32_t Remaining() const { return m_Size - m_Pos; }

  const uint8_t* m_pImage = nullptr;
  uint32_t m_Pos = 0;
  uint32_t m_Size = 0;

 private:
  uint64_t m_MaxPixels = PIC_DEFAULT_MAX_PIXELS;
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
  // The pixel limit of every registered type.
  void SetMaxPixels(uint64_t pixels);
};
