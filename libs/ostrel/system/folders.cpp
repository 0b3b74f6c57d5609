#include "ostrel/system/folders.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ostrel/base/xstring.h"
#include "ostrel/containers/llist.h"
#include "platform/files/drives.h"
#include "platform/files/folders.h"
#include "platform/files/resolver.h"
#include "platform/files/xdgfolders.h"

namespace {
std::string g_SavedFolder;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// folder + a separator (in the folder's own style) + name.
std::string JoinName(const std::string& folder, const std::string& name) {
  if (folder.empty() || IsSeparator(folder.back())) return folder + name;
  const bool slashes = folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos;
  return folder + (slashes ? '/' : '\\') + name;
}

bool Glob(const char* name, const char* pattern) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || (*pattern && xToLowerAscii(*pattern) == xToLowerAscii(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == 0;
}

const char* KindName(EDriveKind kind) {
  switch (kind) {
    case XDRIVE_REMOVABLE: return "Removable Disk";
    case XDRIVE_FIXED: return "Fixed Disk";
    case XDRIVE_REMOTE: return "Remote Disk";
    case XDRIVE_CDROM: return "Compact Disc";
    case XDRIVE_UNKNOWN: break;
  }
  return "Unknown Disk";
}

void AppendCopy(CLList* list, const std::string& text) {
  char* copy = xStrdup(text.c_str());
  if (copy && !list->InsertLast(copy)) xFree(copy);
}

int32_t CopyPath(char* out, const std::string& path) {
  if (!out || path.empty() || path.size() >= XMAX_PATH) return 0;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return 1;
}
}  // namespace

char* xGetWorkingDirectory() {
  const std::string here = PlatformCurrentFolder();
  if (here.empty()) return nullptr;
  auto* text = static_cast<char*>(::operator new(here.size() + 1, std::nothrow));
  if (text) std::memcpy(text, here.c_str(), here.size() + 1);
  return text;
}

int32_t xSetWorkingDirectory(const char* path) { return PlatformSetCurrentFolder(path) ? 1 : 0; }
int32_t xSys_SetCurrDir(const char* path) { return PlatformSetCurrentFolder(path) ? 1 : 0; }

int32_t xSys_SaveCurrDir() {
  g_SavedFolder = PlatformCurrentFolder();
  return g_SavedFolder.empty() ? 0 : 1;
}

int32_t xSys_RestoreCurrDir() {
  return !g_SavedFolder.empty() && PlatformSetCurrentFolder(g_SavedFolder.c_str()) ? 1 : 0;
}

int32_t xDoDirectoryExists(const char* path) { return PlatformCanEnterFolder(path) ? 1 : 0; }
int32_t xFolderExists(const char* path) { return path ? PlatformFolderExists(path) : 0; }

int32_t xFileGetLastWriteTime(const char* path, uint32_t& low, uint32_t& high) {
  uint64_t t = 0;
  if (!PlatformFileWriteTime(path, t)) return 0;
  low = static_cast<uint32_t>(t);
  high = static_cast<uint32_t>(t >> 32);
  return 1;
}

int32_t xRemoveReadOnly(const char* path) { return PlatformMakeReadWrite(path) ? 1 : 0; }

void xAddDrives(CLList* list, char first, char last) {
  if (!list) return;
  first = xToUpperAscii(first);
  last = xToUpperAscii(last);
  char letter = 'C';
  for (const TDrive& d : PlatformDrives()) {
    if (letter > 'Z') break;
    if (letter >= first && letter <= last)
      AppendCopy(list, d.m_Root + " (" + (d.m_Label.empty() ? KindName(d.m_Kind) : d.m_Label) + ")");
    ++letter;
  }
}

void xAddFolderContent(CLList* list, const char* folder, const char* pattern, int32_t files, int32_t folders,
                       int32_t withPath) {
  if (!list || !folder || !pattern) return;
  // A folder part of the pattern belongs to the folder.
  std::string dir = folder, mask = pattern;
  const size_t cut = mask.find_last_of("\\/");
  if (cut != std::string::npos) {
    dir = JoinName(dir, mask.substr(0, cut));
    mask.erase(0, cut + 1);
  }
  std::vector<TFolderEntry> entries;
  if (!PlatformListFolder(dir.empty() ? "." : dir.c_str(), entries)) return;
  for (const TFolderEntry& e : entries) {
    const bool hidden = e.m_Name[0] == '.' && e.m_Name != "..";
    if (hidden || !(e.m_Folder ? folders : files) || !xMatchFilePattern(e.m_Name.c_str(), mask.c_str())) continue;
    AppendCopy(list, withPath ? JoinName(dir, e.m_Name) : e.m_Name);
  }
}

int32_t xMatchFilePattern(const char* name, const char* pattern) {
  if (!name || !pattern) return 0;
  if (Glob(name, pattern)) return 1;
  const size_t n = std::strlen(pattern);
  const bool dotless = std::strchr(name, '.') == nullptr;
  if (dotless && n >= 2 && pattern[n - 2] == '.' && pattern[n - 1] == '*')
    return Glob(name, std::string(pattern, n - 2).c_str()) ? 1 : 0;
  if (dotless && n >= 1 && pattern[n - 1] == '.') return Glob(name, std::string(pattern, n - 1).c_str()) ? 1 : 0;
  return 0;
}

int32_t xGetStartMenuForAllUsers(char* path) {
  return CopyPath(path, PlatformXdgDataDirs().front() + "/applications");
}

int32_t xGetStartMenuForUser(char* path) {
  // A fresh account may not have it yet; the Windows Start menu always exists.
  const std::string folder = PlatformXdgDataHome() + "/applications";
  return PlatformMakeFolderPath(folder) ? CopyPath(path, folder) : 0;
}
