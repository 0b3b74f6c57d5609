// A log file for long-running processes: time-stamped lines gathered in a memory cache, a size
// limit, rotation to a time-stamped name, and LZSS compression of rotated files on a worker
// thread. The rotated names waiting for compression are the only data the two threads share.
#pragma once

#include <cstdint>
#include <ctime>

#include "ostrel/containers/llist.h"
#include "ostrel/system/mutex.h"
#include "ostrel/system/thread.h"

inline constexpr uint32_t CACHEDLOG_LINE_SIZE = 1024;
// The room a line leaves for module and message together.
inline constexpr int32_t CACHEDLOG_TEXT_ROOM = 1005;
inline constexpr uint32_t CACHEDLOG_LOCK_WAIT = 15000;
inline constexpr uint32_t CACHEDLOG_NAME_WAIT = 1100;

class CCachedLog : public CThread {
 public:
  CCachedLog();
  // Flushes the cache and stops the worker; rotated files it has not reached stay uncompressed.
  ~CCachedLog() override;

  // 0 when path is null or the log is set up already. cacheSize 0 writes every line at once.
  int Init(const char* path, uint32_t sizeLimit, uint32_t cacheSize, int rotate, int compress);
  // "<date> <time> <module> <message>\n"; the level is not written.
  int LogMessage(int32_t level, const char* module, const char* message);
  int LogMessageF(int32_t level, const char* module, const char* format, ...)
      __attribute__((format(printf, 4, 5)));
  int WriteToLog(const void* data, uint32_t n);
  int FlushCache();
  // Appends while the file is below the size limit; with rotation on, the write that reaches
  // the limit rotates the file.
  int WriteToDisc(const void* data, uint32_t n, int flush);
  // Renames the log to "<path>_<YYYYMMDDhhmmss>" and queues it for compression.
  int Rotate();
  // The worker's step: compresses the first queued file to "<name>.lzss" and removes it.
  int ThreadCallback(void* arg) override;

 protected:
  // The wall-clock time of lines and rotated names.
  virtual time_t LogTime() const;

 private:
  void Queue(const char* name);

  char* m_pPath = nullptr;
  uint32_t m_SizeLimit = 0;
  int m_Rotate = 0;
  int m_Compress = 0;
  char m_Line[CACHEDLOG_LINE_SIZE];
  char m_Format[CACHEDLOG_LINE_SIZE];
  const char* m_pDefaultModule = "Unknown Module";
  const char* m_pDefaultMessage = "No message.";
  uint8_t* m_pCache = nullptr;
  uint32_t m_CacheFill = 0;
  uint32_t m_CacheSize = 0;
  // Rotated names (owned text). The worker takes a name by clearing its node's data; the
  // writer unlinks the cleared nodes, so list nodes are only ever made and freed on its thread.
  CLList m_Pending;
  CMutex m_QueueLock;
};
