// Chunk files: one root chunk "XIFF" whose data holds nested named chunks. On disk a chunk is its
// name with a terminating zero byte, a 32-bit size in the file's byte order, and size bytes of data.
#pragma once

#include "ostrel/files/file.h"

inline constexpr int32_t XIFF_STACK_SIZE = 16;  // entry 0 stands for the file itself

class CXIFF : public CFile {
 public:
  CXIFF() = default;
  ~CXIFF() override;

  // Read (1) or update (4): the root chunk must be found, and is entered. Write (2): the root
  // chunk is begun. Append (8): positioned at the end (the root is begun in an empty file).
  int32_t Open(const char* path, int32_t flags) override;
  // Ends every chunk still open for writing, then closes.
  int32_t Close() override;

  // Writes a chunk's head and makes its data the current stretch; size is normally 0, patched
  // by EndChunk.
  int32_t AddChunk(const char* name, uint32_t size);
  int32_t EndChunk();
  // At a chunk's name: makes its data the current stretch.
  int32_t EnterChunk();
  int32_t ExitChunk();
  int32_t FirstChunk();
  int32_t NextChunk();
  // Looks for the chunk called name from the beginning of the current data (or from the current
  // position) and leaves the file at its name; the size goes to *size when asked for.
  int32_t FindChunk(const char* name, uint32_t* size, int32_t fromCurrent);

 private:
  struct SChunk {
    uint32_t start;  // absolute offset of the data
    uint32_t size;
  };
  int32_t SkipName();
  int32_t SkipData(uint32_t size);
  void Restore();

  SChunk* m_pStack = nullptr;
  int32_t m_Depth = 0;
  int32_t m_OpenForWrite = 0;
};
