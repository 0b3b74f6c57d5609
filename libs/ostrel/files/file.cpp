#include "ostrel/files/file.h"

#include <sys/types.h>

#include <cstdarg>
#include <cstring>

#include "ostrel/system/debug.h"
#include "ostrel/files/filehelpers.h"
#include "platform/files/resolver.h"

namespace {
uint8_t DetectHostOrder() {
  const uint16_t one = 1;
  uint8_t low;
  std::memcpy(&low, &one, 1);
  return low ? static_cast<uint8_t>(XFILE_LITTLE) : static_cast<uint8_t>(XFILE_BIG);
}

void Reverse(uint8_t* p, uint32_t n) {
  for (uint32_t i = 0; i < n / 2; ++i) {
    uint8_t t = p[i];
    p[i] = p[n - 1 - i];
    p[n - 1 - i] = t;
  }
}
}  // namespace

CFile::CFile() : m_HostOrder(DetectHostOrder()) {}

CFile::~CFile() { CFile::Close(); }

int32_t CFile::Open(const char* path, int32_t flags) {
  Close();
  const char* mode = nullptr;
  if (flags & XFILE_READ) mode = "rb";
  else if (flags & XFILE_WRITE) mode = "wb";
  else if (flags & XFILE_UPDATE) mode = "rb+";
  else if (flags & XFILE_APPEND) mode = "ab+";
  if (!path || !mode) return 0;

  m_pStream = PlatformOpenFile(path, mode);
  if (!m_pStream && (flags & XFILE_MAKEDIRS) && (flags & (XFILE_WRITE | XFILE_UPDATE)) &&
      !(flags & XFILE_READ)) {
    if (xCreateDirsForFile(path)) m_pStream = PlatformOpenFile(path, mode);
  }
  if (!m_pStream) {
    xprintf("CFile::Open: cannot open %s", path);
    return 0;
  }
  uint8_t declared = 0;
  if (flags & XFILE_LITTLE) declared = XFILE_LITTLE;
  else if (flags & XFILE_BIG) declared = XFILE_BIG;
  m_Swap = declared && declared != m_HostOrder;
  m_BoundStart = m_BoundSize = 0;
  m_LastOp = ELastOp::None;
  return 1;
}

void CFile::Before(ELastOp op) {
  if (m_LastOp != ELastOp::None && m_LastOp != op) fseeko(m_pStream, 0, SEEK_CUR);
  m_LastOp = op;
}

int32_t CFile::Read(void* buf, uint32_t n) {
  if (!m_pStream || (!buf && n)) return 0;
  Before(ELastOp::Read);
  return fread(buf, 1, n, m_pStream) == n ? 1 : 0;
}

int32_t CFile::SetFileBounds(uint32_t start, uint32_t size) {
  m_BoundStart = start;
  m_BoundSize = size;
  return 1;
}

int32_t CFile::Write(const void* buf, uint32_t n) {
  if (!m_pStream || (!buf && n)) return 0;
  Before(ELastOp::Write);
  return fwrite(buf, 1, n, m_pStream) == n ? 1 : 0;
}

int32_t CFile::ReadByte(signed char* b) {
  if (!m_pStream || !b) return 0;
  Before(ELastOp::Read);
  int c = fgetc(m_pStream);
  if (c == EOF) return 0;
  *b = static_cast<signed char>(c);
  return 1;
}

int32_t CFile::WriteByte(signed char b) {
  if (!m_pStream) return 0;
  Before(ELastOp::Write);
  return fputc(static_cast<unsigned char>(b), m_pStream) == EOF ? 0 : 1;
}

int32_t CFile::ReadSwapped(void* v, uint32_t n) {
  if (!v || !Read(v, n)) return 0;
  if (m_Swap) Reverse(static_cast<uint8_t*>(v), n);
  return 1;
}

int32_t CFile::WriteSwapped(const void* v, uint32_t n) {
  uint8_t bytes[8];
  std::memcpy(bytes, v, n);
  if (m_Swap) Reverse(bytes, n);
  return Write(bytes, n);
}

int32_t CFile::ReadWord(int16_t* w) { return ReadSwapped(w, 2); }
int32_t CFile::WriteWord(int16_t w) { return WriteSwapped(&w, 2); }
int32_t CFile::ReadLong(int32_t* l) { return ReadSwapped(l, 4); }
int32_t CFile::WriteLong(int32_t l) { return WriteSwapped(&l, 4); }
int32_t CFile::ReadFloat(float* f) { return ReadSwapped(f, 4); }
int32_t CFile::WriteFloat(float f) { return WriteSwapped(&f, 4); }
int32_t CFile::ReadDouble(double* d) { return ReadSwapped(d, 8); }
int32_t CFile::WriteDouble(double d) { return WriteSwapped(&d, 8); }

int32_t CFile::Seek(int32_t offset, int16_t mode) {
  if (!m_pStream) return 0;
  int64_t target;
  int whence = SEEK_SET;
  switch (mode) {
    case XSEEK_BOUNDSTART: target = int64_t{m_BoundStart} + offset; break;
    case XSEEK_BOUNDSTART | XSEEK_RAW: target = offset; break;
    case XSEEK_CURRENT: target = offset; whence = SEEK_CUR; break;
    case XSEEK_BOUNDEND:
      if (m_BoundSize) target = int64_t{m_BoundStart} + m_BoundSize + offset;
      else { target = offset; whence = SEEK_END; }
      break;
    case XSEEK_BOUNDEND | XSEEK_RAW: target = offset; whence = SEEK_END; break;
    case 0: target = offset; break;
    default: return 0;  // not an origin the stream knows
  }
  if (whence == SEEK_SET && target < 0) return 0;
  m_LastOp = ELastOp::None;
  return fseeko(m_pStream, static_cast<off_t>(target), whence) == 0 ? 1 : 0;
}

int32_t CFile::SeekRaw(uint64_t pos) {
  if (!m_pStream || pos > static_cast<uint64_t>(INT64_MAX)) return 0;
  m_LastOp = ELastOp::None;
  return fseeko(m_pStream, static_cast<off_t>(pos), SEEK_SET) == 0 ? 1 : 0;
}

int32_t CFile::Flush() { return m_pStream && fflush(m_pStream) == 0 ? 1 : 0; }

int32_t CFile::GetPos(uint32_t* pos, int32_t mode) {
  if (!m_pStream || !pos) return 0;
  off_t raw = ftello(m_pStream);
  if (raw < 0) return 0;
  *pos = static_cast<uint32_t>(raw);
  if (!(mode & XSEEK_RAW)) *pos -= m_BoundStart;
  return 1;
}

int32_t CFile::GetSize(uint32_t* size) {
  if (!m_pStream || !size) return 0;
  off_t saved = ftello(m_pStream);
  if (saved < 0) return 0;
  int32_t ok = Seek(0, XSEEK_BOUNDEND) && GetPos(size, 0);
  m_LastOp = ELastOp::None;
  if (fseeko(m_pStream, saved, SEEK_SET) != 0) ok = 0;
  return ok;
}

int32_t CFile::ReadString(char* buf, int32_t n) {
  if (!m_pStream || !buf || n < 2) return 0;
  Before(ELastOp::Read);
  if (!fgets(buf, n, m_pStream)) return 0;
  return static_cast<int32_t>(std::strlen(buf));
}

int32_t CFile::Print(const char* format, ...) {
  if (!m_pStream || !format) return 0;
  char text[1024];
  va_list args;
  va_start(args, format);
  int len = vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (len < 0 || len >= static_cast<int>(sizeof text)) {
    static const char tooLong[] = "**** STRING TO LONG ****\n";
    return Write(tooLong, sizeof tooLong - 1);
  }
  return Write(text, static_cast<uint32_t>(len));
}

int32_t CFile::Close() {
  if (!m_pStream) return 0;
  int rc = fclose(m_pStream);
  m_pStream = nullptr;
  m_LastOp = ELastOp::None;
  return rc == 0 ? 1 : 0;
}
