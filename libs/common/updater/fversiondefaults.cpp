#include "common/updater/fversiondefaults.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <new>
#include <string>

#include "common/updater/fversioncallbacks.h"
#include "ostrel/files/crc.h"
#include "ostrel/files/filehelpers.h"
#include "platform/files/resolver.h"

namespace {
// Below the allocator's threshold for mapped blocks, and large enough that one read takes most
// installed files whole.
constexpr uint32_t kCrcBlock = 64 * 1024;

// The name as written first; only a name that is not there is matched without regard to case. A
// validation pass asks about every installed file, most of them spelt as they are on disk.
template <class FTry>
auto WithResolvedName(const char* fileName, FTry attempt) {
  const std::string written = PlatformNormalizePath(fileName);
  auto result = attempt(written.c_str());
  if (result < 0 && errno == ENOENT) {
    const std::string resolved = PlatformResolvePath(fileName);
    if (resolved != written) result = attempt(resolved.c_str());
  }
  return result;
}

int OpenForReading(const char* fileName) {
  return WithResolvedName(fileName, [](const char* path) { return open(path, O_RDONLY | O_CLOEXEC); });
}

// One block per thread, kept: a pass reads thousands of files, each wanting the same block.
uint8_t* CrcBlock() {
  thread_local std::unique_ptr<uint8_t[]> block;
  if (!block) block.reset(new (std::nothrow) uint8_t[kCrcBlock]);
  return block.get();
}
}  // namespace

int32_t Callback_FileExists(const char* fileName) {
  if (!fileName || !*fileName) return 0;
  const int fd = OpenForReading(fileName);
  if (fd < 0) return 0;
  struct stat st;
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular ? 1 : 0;
}

// A validation pass computes the CRC of every installed program and script: straight reads into
// one block, without the buffered stream and the size query that CFile adds.
int32_t Callback_FileCalcCRC(const char* fileName, uint32_t* crc) {
  if (!fileName || !*fileName || !crc) return 0;
  const int fd = OpenForReading(fileName);
  if (fd < 0) return 0;
  uint8_t* const block = CrcBlock();
  bool ok = block != nullptr;
  uint64_t total = 0;
  uint32_t reg = 0xFFFFFFFFu;
  while (ok) {
    const ssize_t n = read(fd, block, kCrcBlock);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;  // a folder fails here
      break;
    }
    reg = xCRCUpdate(reg, block, static_cast<size_t>(n), XCRC_POLY);
    total += static_cast<uint64_t>(n);
  }
  close(fd);
  if (!ok || total > UINT32_MAX) return 0;
  *crc = total ? ~reg : 0;
  return 1;
}

int32_t Callback_FileFileSize(const char* fileName, uint32_t* size) {
  if (!fileName || !*fileName || !size) return 0;
  struct stat st;
  if (WithResolvedName(fileName, [&st](const char* path) { return stat(path, &st); }) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size > UINT32_MAX)
    return 0;
  *size = static_cast<uint32_t>(st.st_size);
  return 1;
}

int32_t Callback_EraseFile(const char* fileName) { return xFileDelete(fileName); }

int32_t Callback_FileShouldBeEncrypted(const char*) { return 0; }

int32_t Callback_LoadStart() { return 1; }
int32_t Callback_LoadEnd() { return 1; }
int32_t Callback_SaveStart() { return 1; }
int32_t Callback_SaveEnd() { return 1; }
int32_t Callback_CheckStart(int32_t, int32_t, int32_t) { return 1; }
int32_t Callback_CheckEnd() { return 1; }
void CallBack_MissingCriticalFiles() {}

void FVersion_SetDefaultCallbacks() {
  FVersion_SetQuietCallbacks();
  FVersion_SetCallBack_FileExists(Callback_FileExists);
  FVersion_SetCallBack_FileCalcCRC(Callback_FileCalcCRC);
  FVersion_SetCallBack_FileFileSize(Callback_FileFileSize);
  FVersion_SetCallBack_UnpackFile(Callback_UnpackFile);
  FVersion_SetCallBack_PackFile(Callback_PackFile);
  FVersion_SetCallBack_EraseFile(Callback_EraseFile);
  FVersion_SetCallBack_CopyFile(Callback_CopyFile);
  FVersion_SetCallBack_FileShouldBeEncrypted(Callback_FileShouldBeEncrypted);
  FVersion_SetCallBack_CheckStart(Callback_CheckStart);
  FVersion_SetCallBack_CheckEnd(Callback_CheckEnd);
  FVersion_SetCallBack_LoadStart(Callback_LoadStart);
  FVersion_SetCallBack_LoadEnd(Callback_LoadEnd);
  FVersion_SetCallBack_SaveStart(Callback_SaveStart);
  FVersion_SetCallBack_SaveEnd(Callback_SaveEnd);
  FVersion_SetCallBack_MissingCriticalFiles(CallBack_MissingCriticalFiles);
}
