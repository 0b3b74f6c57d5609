// CZZip: the front end of the block compressor (ZZipBlockCodec). It packs and unpacks whole blocks
// of up to 20 MiB in memory and single files. Blocks handed to it come from xSysAllocMemFunc, as
// it may grow, replace or free them with the runtime's allocator.
#pragma once

#include <cstdint>

class CZZip {
 public:
  CZZip();
  virtual ~CZZip();
  CZZip(const CZZip&) = delete;
  CZZip& operator=(const CZZip&) = delete;

  static int32_t ExtraBytesNeededForCompression();  // 32

  // Packs *buf (len bytes) in place. roomGiven 0: the block is first grown to len + 32 bytes;
  // otherwise it already has that room. On success len is the packed length and, with shrink,
  // the block is cut to it. A null block or length 0 sets len to 0 and succeeds. 1, or 0 on an
  // error of the codec.
  int32_t CompressBuffer(unsigned char** buf, uint32_t& len, int32_t roomGiven, int32_t shrink);
  // Expands the packed block *buf (len bytes): it is copied into a new block of limit + 32 bytes
  // (limit 0: the unpacked length the block announces), the old block is freed and *buf replaced,
  // and len becomes the unpacked length. A null block, and with limit 0 an empty block or one
  // announcing length 0, leave len 0 and succeed; an empty block with a limit is no data (-4). A
  // block whose announced length exceeds the limit or 20 MiB, or that is longer than any packing
  // of it can be, fails before anything is replaced. 1, or 0 on an error of the codec.
  int32_t ExpandBuffer(unsigned char** buf, uint32_t& len, uint32_t limit);

  // Packs the whole source file into target (created with its folders). 1/0.
  int32_t CompressFile(const char* source, const char* target);
  // Expands a file made by CompressFile into target (created with its folders). 1/0.
  int32_t ExpandFile(const char* source, const char* target);

  // The codec's last error: 0, -1 no work area, -2 damaged data, -4 bad argument or block.
  static int32_t LastError();
};
