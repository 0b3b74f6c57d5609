#include "ostrel/compression/zzip.h"

#include <cstring>

#include "ostrel/compression/zzipcodec.h"
#include "ostrel/files/file.h"
#include "ostrel/system/memhooks.h"

namespace {
int32_t g_Live = 0;

constexpr uint32_t kStoredHead = 14;

// A file read whole into a block of the runtime's allocator with extra room behind it.
unsigned char* ReadWhole(const char* path, uint32_t maxSize, uint32_t room, uint32_t* size) {
  CFile in;
  if (!in.Open(path, XFILE_READ) || !in.GetSize(size) || *size > maxSize) return nullptr;
  auto* buf = static_cast<unsigned char*>(xSysAllocMemFunc(size_t{*size} + room + 1));
  if (buf && *size && !in.Read(buf, *size)) {
    xSysFreeMemFunc(buf);
    return nullptr;
  }
  return buf;
}

int32_t WriteWhole(const char* path, const unsigned char* data, uint32_t len) {
  CFile out;
  if (!out.Open(path, XFILE_WRITE | XFILE_MAKEDIRS)) return 0;
  const bool ok = (len == 0 || out.Write(data, len)) && out.Flush();
  return out.Close() && ok ? 1 : 0;
}
}  // namespace

CZZip::CZZip() {
  if (g_Live++ == 0) ZZipBlockCodec::SetMemoryHooks(xSysAllocMemFunc, xSysReallocMemFunc, xSysFreeMemFunc);
}

CZZip::~CZZip() { --g_Live; }

int32_t CZZip::ExtraBytesNeededForCompression() { return static_cast<int32_t>(ZZIP_EXTRA_BYTES); }

int32_t CZZip::LastError() { return ZZipBlockCodec::LastError(); }

int32_t CZZip::CompressBuffer(unsigned char** buf, uint32_t& len, int32_t roomGiven, int32_t shrink) {
  if (!buf || !*buf || len == 0) {
    len = 0;
    return 1;
  }
  if (len > ZZIP_MAX_BLOCK) return ZZipBlockCodec::Refuse(ZZIP_ERR_ARG);
  if (!roomGiven) {
    auto* grown = static_cast<unsigned char*>(xSysReallocMemFunc(*buf, size_t{len} + ZZIP_EXTRA_BYTES));
    if (!grown) return ZZipBlockCodec::Refuse(ZZIP_ERR_MEMORY);
    *buf = grown;
  }
  uint32_t packed = 0;
  if (!ZZipBlockCodec::Compress(*buf, len, &packed)) return 0;
  len = packed;
  if (shrink) {
    // A failed cut leaves the larger block, which still holds the packed data.
    if (auto* cut = static_cast<unsigned char*>(xSysReallocMemFunc(*buf, packed))) *buf = cut;
  }
  return 1;
}

int32_t CZZip::ExpandBuffer(unsigned char** buf, uint32_t& len, uint32_t limit) {
  if (!buf || !*buf) {
    len = 0;
    return 1;
  }
  // Nothing to expand is only right when nothing was asked for.
  if (len == 0) return limit ? ZZipBlockCodec::Refuse(ZZIP_ERR_ARG) : 1;
  // The announced length must be readable, and within the limit and the codec's maximum.
  if (len < 4) return ZZipBlockCodec::Refuse(ZZIP_ERR_ARG);
  const uint32_t n = ZZipBlockCodec::UnpackedLength(*buf);
  if (limit == 0) {
    if (n == 0) {
      len = 0;
      return 1;
    }
    limit = n;
  }
  if (n > limit || n > ZZIP_MAX_BLOCK || uint64_t{len} > uint64_t{n} + ZZIP_EXTRA_BYTES)
    return ZZipBlockCodec::Refuse(ZZIP_ERR_ARG);

  const uint32_t room = (limit < ZZIP_MAX_BLOCK ? limit : ZZIP_MAX_BLOCK) + ZZIP_EXTRA_BYTES;
  auto* block = static_cast<unsigned char*>(xSysAllocMemFunc(room));
  if (!block) return ZZipBlockCodec::Refuse(ZZIP_ERR_MEMORY);
  ZZipAdviseLarge(block, room);
  std::memcpy(block, *buf, len);
  xSysFreeMemFunc(*buf);
  *buf = block;
  uint32_t unpacked = 0;
  if (!ZZipBlockCodec::Expand(block, len, room, &unpacked)) return 0;
  len = unpacked;
  return 1;
}

int32_t CZZip::CompressFile(const char* source, const char* target) {
  if (!source || !target) return 0;
  uint32_t size = 0;
  unsigned char* buf = ReadWhole(source, ZZIP_MAX_BLOCK, ZZIP_EXTRA_BYTES, &size);
  if (!buf) return 0;
  uint32_t len = size;
  int32_t ok = CompressBuffer(&buf, len, 1, 0);
  if (ok) ok = WriteWhole(target, buf, len);
  xSysFreeMemFunc(buf);
  return ok;
}

int32_t CZZip::ExpandFile(const char* source, const char* target) {
  if (!source || !target) return 0;
  uint32_t size = 0;
  // No packed block is longer than the largest block stored.
  unsigned char* buf = ReadWhole(source, ZZIP_MAX_BLOCK + kStoredHead, 0, &size);
  if (!buf) return 0;
  uint32_t len = size;
  int32_t ok = ExpandBuffer(&buf, len, 0);
  if (ok) ok = WriteWhole(target, buf, len);
  xSysFreeMemFunc(buf);
  return ok;
}
