#include <cstring>

#include "ostrel/compression/zzip.h"
#include "ostrel/compression/zzipcodec.h"
#include "ostrel/files/archivecodec.h"
#include "ostrel/system/memhooks.h"

namespace {
// Entries of block-compressed archives: every entry is packed in place with both options 0 (the
// codec stores what it cannot shrink), and must expand to exactly its recorded size.
class CBlockArchiveCodec : public CArchiveCodecBase {
 public:
  void SetCallback(TFileProgressFunc callback, int32_t) override { m_pCallback = callback; }

  int32_t Pack(const char*, const uint8_t* data, uint32_t len, std::vector<uint8_t>& out) override {
    out.clear();
    if (len == 0) return 1;
    auto* buf = static_cast<unsigned char*>(xSysAllocMemFunc(len));
    if (!buf) return 0;
    std::memcpy(buf, data, len);
    Report(0, len, 1);
    uint32_t n = len;
    const int32_t ok = m_ZZip.CompressBuffer(&buf, n, 0, 0);
    if (ok) out.assign(buf, buf + n);
    xSysFreeMemFunc(buf);
    if (ok) Report(len, len, 0);
    return ok;
  }

  int32_t Unpack(const uint8_t* packed, uint32_t packedLen, uint32_t unpackedSize,
                 std::vector<uint8_t>& out) override {
    out.clear();
    if (packedLen == 0) return unpackedSize == 0 ? 1 : 0;
    // A block announcing some other length is damaged; this also keeps limit 0 from taking the
    // length out of the block.
    if (packedLen < 4 || ZZipBlockCodec::UnpackedLength(packed) != unpackedSize || unpackedSize == 0) return 0;
    auto* buf = static_cast<unsigned char*>(xSysAllocMemFunc(packedLen));
    if (!buf) return 0;
    std::memcpy(buf, packed, packedLen);
    uint32_t n = packedLen;
    const int32_t ok = m_ZZip.ExpandBuffer(&buf, n, unpackedSize) && n == unpackedSize;
    if (ok) out.assign(buf, buf + n);
    xSysFreeMemFunc(buf);
    return ok ? 1 : 0;
  }

 private:
  void Report(uint32_t done, uint32_t total, int32_t first) {
    if (m_pCallback) m_pCallback(static_cast<int32_t>(done), static_cast<int32_t>(total), first);
  }

  CZZip m_ZZip;
  TFileProgressFunc m_pCallback = nullptr;
};
}  // namespace

CArchiveCodecBase* xNewBlockArchiveCodec() { return new CBlockArchiveCodec; }
