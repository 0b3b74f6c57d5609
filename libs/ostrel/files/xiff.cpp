#include "ostrel/files/xiff.h"

#include <cstring>

#include "ostrel/system/debug.h"

CXIFF::~CXIFF() { CXIFF::Close(); }

int32_t CXIFF::Open(const char* path, int32_t flags) {
  Close();
  int32_t fileFlags = flags;
  bool append = !(flags & (XFILE_READ | XFILE_WRITE | XFILE_UPDATE)) && (flags & XFILE_APPEND);
  if (append) {
    // EndChunk patches sizes in place: an append-mode stream would add every patch at the end
    // instead. Update the file in place, creating it when it is missing.
    fileFlags = (flags & ~XFILE_APPEND) | XFILE_UPDATE;
    if (!CFile::Open(path, fileFlags)) fileFlags = (flags & ~XFILE_APPEND) | XFILE_WRITE;
  }
  if (!IsOpen() && !CFile::Open(path, fileFlags)) return 0;

  m_pStack = new SChunk[XIFF_STACK_SIZE]();
  m_Depth = 0;
  m_OpenForWrite = 0;

  if (flags & (XFILE_READ | XFILE_UPDATE)) {
    if (!FindChunk("XIFF", nullptr, 0)) {
      xprintf("CXIFF::Open: %s is no chunk file", path);
      return 0;
    }
    EnterChunk();
    return 1;
  }
  if (flags & XFILE_WRITE) return AddChunk("XIFF", 0);
  if (append) {
    uint32_t size = 0;
    if (!GetSize(&size) || !Seek(0, XSEEK_BOUNDEND)) return 0;
    if (size == 0) return AddChunk("XIFF", 0);
  }
  return 1;
}

int32_t CXIFF::Close() {
  while (m_OpenForWrite > 0)
    if (!EndChunk()) break;
  delete[] m_pStack;
  m_pStack = nullptr;
  m_Depth = 0;
  m_OpenForWrite = 0;
  return CFile::Close();
}

void CXIFF::Restore() { SetFileBounds(m_pStack[m_Depth].start, m_pStack[m_Depth].size); }

int32_t CXIFF::AddChunk(const char* name, uint32_t size) {
  if (!m_pStack || !name || m_Depth >= XIFF_STACK_SIZE - 1) return 0;
  uint32_t start = 0;
  if (!Write(name, static_cast<uint32_t>(std::strlen(name)) + 1) ||
      !WriteLong(static_cast<int32_t>(size)) || !GetPos(&start, XSEEK_RAW))
    return 0;
  ++m_Depth;
  m_pStack[m_Depth] = {start, size};
  ++m_OpenForWrite;
  Restore();
  return 1;
}

int32_t CXIFF::EndChunk() {
  if (m_OpenForWrite <= 0) return 1;
  if (!m_pStack || m_Depth <= 0) return 0;
  uint32_t noted = 0, size = 0;
  const SChunk& c = m_pStack[m_Depth];
  if (!GetPos(&noted, XSEEK_RAW) || !Seek(0, XSEEK_BOUNDEND) || !GetPos(&size, 0) ||
      !SeekRaw(uint64_t{c.start} - 4) || !WriteLong(static_cast<int32_t>(size)) || !SeekRaw(noted))
    return 0;
  --m_Depth;
  --m_OpenForWrite;
  Restore();
  return 1;
}

int32_t CXIFF::SkipName() {
  signed char c = 1;
  while (c)
    if (!ReadByte(&c)) return 0;
  return 1;
}

int32_t CXIFF::SkipData(uint32_t size) {
  // The size is unsigned: sizes past 2 GiB must not turn into a step backwards.
  uint32_t pos = 0;
  return GetPos(&pos, XSEEK_RAW) && SeekRaw(uint64_t{pos} + size);
}

int32_t CXIFF::EnterChunk() {
  if (!m_pStack || m_Depth >= XIFF_STACK_SIZE - 1) return 0;
  int32_t size = 0;
  uint32_t start = 0;
  if (!SkipName() || !ReadLong(&size) || !GetPos(&start, XSEEK_RAW)) return 0;
  ++m_Depth;
  m_pStack[m_Depth] = {start, static_cast<uint32_t>(size)};
  Restore();
  return 1;
}

int32_t CXIFF::ExitChunk() {
  if (!m_pStack || m_Depth <= 0) return 0;
  --m_Depth;
  Restore();
  return Seek(0, XSEEK_BOUNDSTART);
}

int32_t CXIFF::FirstChunk() { return Seek(0, XSEEK_BOUNDSTART); }

int32_t CXIFF::NextChunk() {
  int32_t size = 0;
  return SkipName() && ReadLong(&size) && SkipData(static_cast<uint32_t>(size)) ? 1 : 0;
}

int32_t CXIFF::FindChunk(const char* name, uint32_t* size, int32_t fromCurrent) {
  if (!IsOpen() || !name) return 0;
  if (!fromCurrent && !Seek(0, XSEEK_BOUNDSTART)) return 0;
  for (;;) {
    uint32_t start = 0;
    if (!GetPos(&start, XSEEK_RAW)) return 0;
    bool match = true;
    size_t i = 0;
    signed char c = 1;
    while (c) {
      if (!ReadByte(&c)) return 0;
      if (match && name[i] != c) match = false;
      if (match) ++i;
    }
    int32_t chunkSize = 0;
    if (!ReadLong(&chunkSize)) return 0;
    if (match) {
      if (!SeekRaw(start)) return 0;
      if (size) *size = static_cast<uint32_t>(chunkSize);
      return 1;
    }
    if (!SkipData(static_cast<uint32_t>(chunkSize))) return 0;
  }
}
