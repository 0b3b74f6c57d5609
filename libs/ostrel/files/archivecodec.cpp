#include "ostrel/files/archivecodec.h"

#include "ostrel/base/paths.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/compression/lzss.h"

namespace {
constexpr uint32_t kStoreUpTo = 2048;
// One coded bit yields at most one byte (17 bytes for a 17-bit match).
constexpr uint64_t kLzssMaxRatio = 8;

bool HasExtension(const char* path, const char* const* list) {
  char* ext = String_FileNameExtension(path);
  bool found = false;
  for (; ext && *list && !found; ++list) found = xStricmp(ext, *list) == 0;
  String_Free(ext);
  return found;
}

class CLzssArchiveCodec : public CArchiveCodecBase {
 public:
  void SetCallback(TFileProgressFunc callback, int32_t user) override { m_Lzss.SetCallback(callback, user); }

  int32_t Pack(const char* sourcePath, const uint8_t* data, uint32_t len, std::vector<uint8_t>& out) override {
    // Already packed formats and the resource scripts (read in place) stay as they are.
    static const char* const kStored[] = {"mp3", "jpg", "xrs", nullptr};
    if (len <= kStoreUpTo || HasExtension(sourcePath, kStored)) return 2;
    uint32_t n = len;
    uint8_t* packed = m_Lzss.CompressBuffer(data, &n);
    if (!packed) return 0;
    out.assign(packed, packed + n);
    xFree(packed);
    return 1;
  }

  int32_t Unpack(const uint8_t* packed, uint32_t packedLen, uint32_t unpackedSize,
                 std::vector<uint8_t>& out) override {
    if (uint64_t{unpackedSize} > uint64_t{packedLen} * kLzssMaxRatio) return 0;
    out.resize(unpackedSize);
    uint32_t n = unpackedSize;
    return m_Lzss.ExpandBuffer(packed, packedLen, out.data(), &n) && n == unpackedSize ? 1 : 0;
  }

 private:
  CLzss m_Lzss;
};
}  // namespace

CArchiveCodecBase* xNewArchiveCodec(int32_t codec) {
  if (codec == ARCHIVE_CODEC_LZSS) return new CLzssArchiveCodec;
  if (codec == ARCHIVE_CODEC_BLOCK) return xNewBlockArchiveCodec();
  return nullptr;
}

int32_t xArchiveCodecOf(const char* archivePath) {
  static const char* const kLzss[] = {"zpk", nullptr};
  return HasExtension(archivePath, kLzss) ? ARCHIVE_CODEC_LZSS : ARCHIVE_CODEC_BLOCK;
}
