#include "install/engine/installsource.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "platform/files/resolver.h"

bool BParseInstallSource(const char* text, size_t size, std::string& path) {
  if (!text) return false;
  const size_t prefix = std::strlen(INSTALL_LOG_SOURCE);
  for (size_t at = 0; at < size;) {
    const char* start = text + at;
    const char* feed = static_cast<const char*>(std::memchr(start, '\n', size - at));
    size_t length = static_cast<size_t>((feed ? feed : text + size) - start);
    at += length + 1;
    if (length && start[length - 1] == '\r') --length;
    if (length < prefix || std::memcmp(start, INSTALL_LOG_SOURCE, prefix) != 0) continue;
    if (length > BINSTALLSOURCE_MAX_LINE) return false;
    const std::string line(start, length);
    const size_t mark = line.find_first_of(":C\\");
    if (mark == std::string::npos || mark + 2 >= line.size()) return false;
    path = line.substr(mark + 2);
    return path.find('\0') == std::string::npos;
  }
  return false;
}

bool BFindInstallSource(std::string& folder) {
  uint32_t size = 0;
  if (!xFileExists(INSTALL_LOG_FILE) || !xFileSize(INSTALL_LOG_FILE, &size)) return false;
  std::vector<char> text(std::min(size, BINSTALLSOURCE_MAX_LOG));
  CFile log;
  if (!log.Open(INSTALL_LOG_FILE, XFILE_READ) || (!text.empty() && !log.Read(text.data(), static_cast<uint32_t>(text.size()))))
    return false;
  std::string path;
  if (!BParseInstallSource(text.data(), text.size(), path) || !xFileExists(path.c_str())) return false;
  const std::string norm = PlatformNormalizePath(path.c_str());
  const size_t slash = norm.find_last_of('/');
  folder = slash == std::string::npos ? std::string() : norm.substr(0, slash + 1);
  return true;
}
