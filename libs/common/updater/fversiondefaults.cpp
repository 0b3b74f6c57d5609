#include "common/updater/fversiondefaults.h"

#include <memory>
#include <new>

#include "ostrel/files/crc.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"

namespace {
// Small enough to stay off the allocator's mapped pages, large enough that one read takes most
// installed files whole.
constexpr uint32_t kCrcBlock = 64 * 1024;
}  // namespace

int32_t Callback_FileExists(const char* fileName) { return xFileExists(fileName); }

int32_t Callback_FileCalcCRC(const char* fileName, uint32_t* crc) {
  if (!fileName || !crc) return 0;
  CFile file;
  uint32_t size = 0;
  if (!file.Open(fileName, XFILE_READ) || !file.GetSize(&size)) return 0;
  const uint32_t blockSize = size < kCrcBlock ? size : kCrcBlock;
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockSize ? blockSize : 1]);
  if (!block) return 0;
  uint32_t reg = 0xFFFFFFFFu;
  for (uint32_t left = size; left;) {
    const uint32_t n = left < blockSize ? left : blockSize;
    if (!file.Read(block.get(), n)) return 0;
    reg = xCRCUpdate(reg, block.get(), n, XCRC_POLY);
    left -= n;
  }
  *crc = size ? ~reg : 0;
  return 1;
}

int32_t Callback_FileFileSize(const char* fileName, uint32_t* size) { return xFileSize(fileName, size); }

int32_t Callback_EraseFile(const char* fileName) { return xFileDelete(fileName); }

int32_t Callback_FileShouldBeEncrypted(const char*) { return 0; }

int32_t Callback_LoadStart() { return 1; }
int32_t Callback_LoadEnd() { return 1; }
int32_t Callback_SaveStart() { return 1; }
int32_t Callback_SaveEnd() { return 1; }
int32_t Callback_CheckStart(int32_t, int32_t, int32_t) { return 1; }
int32_t Callback_CheckEnd() { return 1; }
void CallBack_MissingCriticalFiles() {}
