#include "ostrel/system/cachedlog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/compression/lzss.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "platform/files/resolver.h"

CCachedLog::CCachedLog() {
  m_Line[0] = 0;
  m_Format[0] = 0;
}

CCachedLog::~CCachedLog() {
  if (m_pPath) FlushCache();
  Stop();
  m_QueueLock.Destroy();
  m_Pending.KillAllData();
  if (m_pPath) xFree(m_pPath);
  delete[] m_pCache;
}

time_t CCachedLog::LogTime() const { return time(nullptr); }

int CCachedLog::Init(const char* path, uint32_t sizeLimit, uint32_t cacheSize, int rotate, int compress) {
  if (!path || m_pPath) return 0;
  uint32_t status = 0;
  if (!m_QueueLock.Create(nullptr, status)) return 0;
  m_pPath = xStrdup(path);
  m_SizeLimit = sizeLimit;
  m_Rotate = rotate;
  m_Compress = compress;
  if (cacheSize) m_pCache = new uint8_t[cacheSize];
  m_CacheSize = cacheSize;
  m_CacheFill = 0;
  return 1;
}

int CCachedLog::LogMessage(int32_t, const char* module, const char* message) {
  if (!m_pPath) return 0;
  if (!module) module = m_pDefaultModule;
  if (!message) message = m_pDefaultMessage;
  const time_t now = LogTime();
  tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d %H%M%S", &local);
  // The message gets what the module leaves of the room, never less than nothing; a module name
  // too long for the line is cut, and the line still ends with its line feed.
  const size_t moduleLength = std::strlen(module);
  const int precision =
      moduleLength >= size_t(CACHEDLOG_TEXT_ROOM) ? 0 : CACHEDLOG_TEXT_ROOM - static_cast<int>(moduleLength);
  int n = std::snprintf(m_Line, sizeof m_Line, "%s %s %.*s\n", stamp, module, precision, message);
  if (n < 0) return 0;
  if (static_cast<size_t>(n) >= sizeof m_Line) {
    n = sizeof m_Line - 1;
    m_Line[n - 1] = '\n';
  }
  return WriteToLog(m_Line, static_cast<uint32_t>(n));
}

int CCachedLog::LogMessageF(int32_t level, const char* module, const char* format, ...) {
  if (!m_pPath) return 0;
  if (!format) return LogMessage(level, module, nullptr);
  va_list args;
  va_start(args, format);
  std::vsnprintf(m_Format, sizeof m_Format, format, args);
  va_end(args);
  return LogMessage(level, module, m_Format);
}

int CCachedLog::WriteToLog(const void* data, uint32_t n) {
  if (!m_pPath || (!data && n)) return 0;
  if (!m_pCache) return WriteToDisc(data, n, 0);
  auto* p = static_cast<const uint8_t*>(data);
  int ok = 1;
  while (n > 0) {
    uint32_t k = m_CacheSize - m_CacheFill;
    if (k > n) k = n;
    std::memcpy(m_pCache + m_CacheFill, p, k);
    m_CacheFill += k;
    p += k;
    n -= k;
    if (m_CacheFill == m_CacheSize && !FlushCache()) ok = 0;
  }
  return ok;
}

int CCachedLog::FlushCache() {
  if (!m_pPath) return 0;
  if (!m_pCache || m_CacheFill == 0) return 1;
  int ok = WriteToDisc(m_pCache, m_CacheFill, 1);
  m_CacheFill = 0;
  return ok;
}

int CCachedLog::WriteToDisc(const void* data, uint32_t n, int flush) {
  if (!m_pPath) return 0;
  FILE* f = PlatformOpenFile(m_pPath, "ab");
  if (!f) return 0;
  long size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
  if (size < 0) {
    std::fclose(f);
    return 0;
  }
  // A rotating log that is full already (left so by an earlier run, or by a rotation that
  // failed) is rotated first rather than losing the line.
  if (m_Rotate && size > 0 && uint64_t(size) >= m_SizeLimit) {
    std::fclose(f);
    Rotate();
    f = PlatformOpenFile(m_pPath, "ab");
    if (!f) return 0;
    size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
    if (size < 0) {
      std::fclose(f);
      return 0;
    }
  }
  int ok = 1;
  uint64_t written = 0;
  if (n > 0 && uint64_t(size) < m_SizeLimit) {
    written = std::fwrite(data, 1, n, f);
    if (written != n) ok = 0;
  }
  if (flush && std::fflush(f) != 0) ok = 0;
  if (std::fclose(f) != 0) ok = 0;
  if (m_Rotate && uint64_t(size) + written > 0 && uint64_t(size) + n >= m_SizeLimit && !Rotate()) ok = 0;
  return ok;
}

int CCachedLog::Rotate() {
  if (!m_pPath) return 0;
  time_t when = LogTime();
  std::string name;
  for (;;) {
    tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
    name = std::string(m_pPath) + "_" + stamp;
    if (!PlatformPathExists(name.c_str())) break;
    xprintf("CCachedLog::Rotate: File %s exists. Waiting %lu ms in order to get a new filename.",
            name.c_str(), static_cast<unsigned long>(CACHEDLOG_NAME_WAIT));
    xSleep(CACHEDLOG_NAME_WAIT);
    // The next second's name even when the clock has not moved on (or went back).
    const time_t now = LogTime();
    when = now > when ? now : when + 1;
  }
  if (!xFileRename(name.c_str(), m_pPath)) {
    xprintf("CCachedLog::Rotate: cannot rename %s to %s", m_pPath, name.c_str());
    return 0;
  }
  if (m_Compress) Queue(name.c_str());
  return 1;
}

void CCachedLog::Queue(const char* name) {
  if (!m_QueueLock.Wait(CACHEDLOG_LOCK_WAIT)) return;
  for (m_Pending.First(); m_Pending.Exists();) {
    if (m_Pending.Get())
      m_Pending.Next();
    else
      m_Pending.Delete(1);
  }
  m_Pending.InsertLast(xStrdup(name));
  const bool start = !Running();
  m_QueueLock.Release();
  if (start) Start(0);
}

int CCachedLog::ThreadCallback(void*) {
  // A lock that did not come skips this step; the queue is looked at again on the next one.
  if (!m_QueueLock.Wait(CACHEDLOG_LOCK_WAIT)) return 1;
  std::string name;
  for (m_Pending.First(); m_Pending.Exists(); m_Pending.Next()) {
    if (const char* queued = static_cast<const char*>(m_Pending.Get())) {
      name = queued;
      m_Pending.DeleteData();
      break;
    }
  }
  if (name.empty()) EndAfterThisStep();
  m_QueueLock.Release();
  if (name.empty()) return 0;

  if (xFileExists(name.c_str())) {
    const std::string packed = name + ".lzss";
    auto lzss = std::make_unique<CLzss>();
    // The rotated text goes only once its compressed copy is whole.
    if (lzss->Compress(name.c_str(), packed.c_str())) {
      xFileDelete(name.c_str());
    } else {
      xprintf("CCachedLog::ThreadCallback: cannot compress %s", name.c_str());
      xFileDelete(packed.c_str());
    }
  }
  return 1;
}
