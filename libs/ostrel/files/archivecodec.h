// The coder of an archive's entries. The archive's extension chooses one: "zpk" the LZSS coder,
// any other the block compressor.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/files/file.h"

inline constexpr int32_t ARCHIVE_CODEC_LZSS = 0;
inline constexpr int32_t ARCHIVE_CODEC_BLOCK = 1;

class CArchiveCodecBase {
 public:
  virtual ~CArchiveCodecBase() = default;
  virtual void SetCallback(TFileProgressFunc callback, int32_t user) = 0;
  // Packs one entry read from sourcePath. 1: out holds the packed data; 2: the entry is to be
  // stored as it is; 0: failure, which fails the add.
  virtual int32_t Pack(const char* sourcePath, const uint8_t* data, uint32_t len,
                       std::vector<uint8_t>& out) = 0;
  // Expands to exactly unpackedSize bytes; 0 for damaged data or any other length.
  virtual int32_t Unpack(const uint8_t* packed, uint32_t packedLen, uint32_t unpackedSize,
                         std::vector<uint8_t>& out) = 0;
};

// A new coder (ARCHIVE_CODEC_*), or null when that coder is not available.
CArchiveCodecBase* xNewArchiveCodec(int32_t codec);
// The block compressor's coder (CZZip), used for every archive not named "*.zpk".
CArchiveCodecBase* xNewBlockArchiveCodec();
// ARCHIVE_CODEC_LZSS for an extension "zpk" in any case, else ARCHIVE_CODEC_BLOCK.
int32_t xArchiveCodecOf(const char* archivePath);
