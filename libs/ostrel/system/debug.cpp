#include "ostrel/system/debug.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "ostrel/base/xstring.h"
#include "ostrel/sound/miles.h"
#include "ostrel/system/globals.h"
#include "platform/files/resolver.h"

namespace {
constexpr off_t kDebugFileLimit = 104857600;
constexpr size_t kOptionLineLimit = 99;

bool g_Diagnostics = [] {
  const char* env = std::getenv("VORRIN_DIAGNOSTICS");
  return env && *env && *env != '0';
}();

void AppendToDebugFile(const char* fileName, const char* text) {
  if (!text || !*text || !fileName || !*fileName) return;
  const size_t length = std::strlen(text);
  int fd = open(fileName, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd >= 0) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && st.st_size >= kDebugFileLimit) {
      close(fd);
      fd = open(fileName, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
      st.st_size = 0;
    }
    if (fd >= 0) {
      const size_t room = static_cast<size_t>(kDebugFileLimit - st.st_size);
      const ssize_t ignored = write(fd, text, length < room ? length : room);
      (void)ignored;
      close(fd);
    }
  }
  std::fputs(text, stderr);
}

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string_view TrimToAlnum(std::string_view s) {
  while (!s.empty() && !IsAlnum(s.front())) s.remove_prefix(1);
  while (!s.empty() && !IsAlnum(s.back())) s.remove_suffix(1);
  return s;
}

bool IsOn(const std::string& value) { return xStricmp(value.c_str(), "on") == 0; }

bool DebugLevelByName(const std::string& name, int32_t& level) {
  static const struct {
    const char* name;
    int32_t level;
  } kLevels[] = {{"DBGL_NONE", DBGL_NONE},
                 {"DBGL_MEMORY", DBGL_MEMORY},
                 {"DBGL_RESDATA", DBGL_RESDATA},
                 {"DBGL_KCBL", DBGL_KCBL},
                 {"DBGL_ALL", DBGL_ALL}};
  for (const auto& l : kLevels) {
    if (xStricmp(name.c_str(), l.name) == 0) {
      level = l.level;
      return true;
    }
  }
  return false;
}

void ApplyOption(const std::string& key, const std::string& value, TDebugOptionFunc callback) {
  if (xStricmp(key.c_str(), "validate") == 0) {
    if (glb) glb->m_NoValidation = IsOn(value) ? 0 : 1;
  } else if (xStricmp(key.c_str(), "debugscreen") == 0) {
    if (glb) glb->m_DebugScreen = IsOn(value) ? 1 : 0;
  } else if (xStricmp(key.c_str(), "debugflag") == 0) {
    xStartStdDebug(IsOn(value) ? 1 : 0);
  } else if (xStricmp(key.c_str(), "nosound") == 0) {
    xSetNoSound(IsOn(value) ? 1 : 0);
  } else if (xStricmp(key.c_str(), "debuglevel") == 0) {
    int32_t level;
    if (DebugLevelByName(value, level)) xSetDebugLevel(level);
  } else if (callback) {
    callback(key.c_str(), value.c_str());
  }
}

// One option line as read: at most kOptionLineLimit characters, the line end included when it
// fits. The rest of a longer line is dropped rather than read as a line of its own.
bool ReadOptionLine(FILE* file, std::string& line) {
  line.clear();
  int c;
  while ((c = std::fgetc(file)) != EOF) {
    if (line.size() < kOptionLineLimit) line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !(c == EOF && line.empty());
}

void ParseOptionLine(std::string_view line, TDebugOptionFunc callback) {
  if (line.size() <= 2) return;
  const size_t equals = line.rfind('=');
  if (equals == std::string_view::npos || equals < 2 || equals + 1 >= line.size()) return;
  const std::string_view key = TrimToAlnum(line.substr(0, equals));
  const std::string_view value = TrimToAlnum(line.substr(equals + 1));
  if (key.empty() || value.empty()) return;
  ApplyOption(std::string(key), std::string(value), callback);
}
}  // namespace

void xStartStdDebug(int32_t on) {
  if (glb) glb->m_StdDebugMode = on;
}

void xSetDebugLevel(int32_t mask) {
  if (glb) glb->m_DebugLevel = mask;
}

int32_t xGetDebugLevel(int32_t bits) { return (glb && (glb->m_DebugLevel & bits)) ? 1 : 0; }

void xSetDbgStdOut(void (*out)(const char*)) {
  if (glb) glb->m_pStdDebugOut = out;
}

void xSetDbgLvlOut(void (*out)(const char*)) {
  if (glb) glb->m_pLevelDebugOut = out;
}

void xDefaultDbgStdOut(const char* text) { AppendToDebugFile("DbgStd.txt", text); }
void xDefaultDbgLvlOut(const char* text) { AppendToDebugFile("DbgLevel.txt", text); }

void xDeleteDbgFiles() {
  unlink("DbgStd.txt");
  unlink("DbgLevel.txt");
}

void xGetDebugOptions(const char* fileName, TDebugOptionFunc callback) {
  if (!fileName) return;
  FILE* file = PlatformOpenFile(fileName, "rb");
  if (!file) return;
  std::string line;
  while (ReadOptionLine(file, line)) ParseOptionLine(line, callback);
  std::fclose(file);
}

void xSetDiagnostics(int32_t on) { g_Diagnostics = on != 0; }

void xprintf(const char* format, ...) {
  if (!g_Diagnostics || !format) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}
