#include "ostrel/files/filehelpers.h"

#include <cerrno>
#include <string>
#include <vector>

#include "ostrel/files/crc.h"
#include "ostrel/files/file.h"
#include "ostrel/system/debug.h"
#include "platform/files/resolver.h"

namespace {
// Hands the next size bytes of the file to use() a block at a time.
template <class FUse>
bool ReadInBlocks(CFile& f, uint32_t size, FUse use) {
  std::vector<uint8_t> block(256 * 1024);
  for (uint32_t left = size; left;) {
    uint32_t n = left < block.size() ? left : static_cast<uint32_t>(block.size());
    if (!f.Read(block.data(), n) || !use(block.data(), n)) return false;
    left -= n;
  }
  return true;
}
}  // namespace

int32_t xFileExists(const char* path) { return PlatformFileExists(path); }

int32_t xFileDelete(const char* path) { return PlatformDeleteFile(path); }

int32_t xFileRename(const char* newName, const char* oldName) {
  return PlatformRenameNoReplace(oldName, newName);
}

int32_t xFileSize(const char* path, uint32_t* size) {
  CFile f;
  return size && f.Open(path, XFILE_READ) && f.GetSize(size) ? 1 : 0;
}

int32_t xCopyFile(const char* target, const char* source) {
  // Opening the target empties it: a copy onto itself would lose the file.
  if (PlatformSameFile(target, source)) return 0;
  CFile in, out;
  uint32_t size = 0;
  if (!in.Open(source, XFILE_READ) || !in.GetSize(&size)) return 0;
  if (!out.Open(target, XFILE_WRITE | XFILE_MAKEDIRS)) return 0;
  if (!ReadInBlocks(in, size, [&](const uint8_t* p, uint32_t n) { return out.Write(p, n) == 1; }))
    return 0;
  return out.Close();
}

int32_t xReadFile(const char* path, void* buf, uint32_t n) {
  CFile f;
  return f.Open(path, XFILE_READ) && f.Read(buf, n) ? 1 : 0;
}

int32_t xWriteFile(const char* path, const void* buf, uint32_t n) {
  CFile f;
  if (!f.Open(path, XFILE_WRITE) || !f.Write(buf, n)) return 0;
  return f.Close();
}

int32_t xCalcFileCrc(const char* path, uint32_t* crc, uint32_t poly) {
  if (!path || !crc) return 0;
  CFile f;
  uint32_t size = 0;
  if (!f.Open(path, XFILE_READ) || !f.GetSize(&size)) return 0;
  uint32_t reg = 0xFFFFFFFFu;
  if (!ReadInBlocks(f, size, [&](const uint8_t* p, uint32_t n) {
        reg = xCRCUpdate(reg, p, n, poly);
        return true;
      }))
    return 0;
  *crc = size ? ~reg : 0;
  return 1;
}

int32_t xCreateDirsForFile(const char* path) {
  std::string norm = PlatformNormalizePath(path);
  size_t last = norm.find_last_of('/');
  if (last == std::string::npos) return 1;  // no folder part
  std::string prefix = norm[0] == '/' ? "/" : "";
  size_t pos = 0;
  while (pos < last) {
    size_t end = norm.find('/', pos);
    if (end == std::string::npos || end > last) end = last;
    std::string comp = norm.substr(pos, end - pos);
    pos = end + 1;
    if (comp.empty()) continue;
    prefix += comp;
    if (comp != "." && comp != ".." && !PlatformMakeFolder(prefix.c_str())) {
      xprintf("Unable to create dir %s. Errorcode: %ld", prefix.c_str(), static_cast<long>(errno));
      return 0;
    }
    prefix += '/';
  }
  return 1;
}

int32_t xIsSafeRelativePath(const char* name) {
  if (!name || !*name || name[0] == '/' || name[0] == '\\') return 0;
  char first = static_cast<char>(name[0] | 0x20);
  if (first >= 'a' && first <= 'z' && name[1] == ':') return 0;
  for (const char* p = name; *p;) {
    const char* end = p;
    while (*end && *end != '/' && *end != '\\') ++end;
    if (end - p == 2 && p[0] == '.' && p[1] == '.') return 0;
    p = *end ? end + 1 : end;
  }
  return 1;
}

int32_t xStaysInFolder(const char* folder, const char* name) {
  return xIsSafeRelativePath(name) && PlatformStaysInsideFolder(folder, name) ? 1 : 0;
}
