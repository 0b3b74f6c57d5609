#include "ostrelcomm/download/downloadsupport.h"

#include <cstdio>

#include "ostrel/files/filehelpers.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/socketwait.h"
#include "platform/files/resolver.h"

std::string xFormatText(const char* format, va_list args) {
  if (!format) return {};
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<size_t>(length));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

int32_t xDownloadFrameWaitsOnSockets() {
  return glb && glb->m_WaitMode && glb->m_pWaitOrSocketsCallback == xWaitTimeOrSockets ? 1 : 0;
}

bool xDownloadReadPort(const char* text, uint16_t& port, const char*& end) {
  uint32_t value = 0;
  const char* p = text;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + static_cast<uint32_t>(*p - '0');
    if (value > 0xFFFF) return false;
    ++p;
  }
  if (p == text) return false;
  port = static_cast<uint16_t>(value);
  end = p;
  return true;
}

int32_t xDownloadSpeed(uint64_t bytes, uint32_t ms) {
  const uint64_t speed = bytes * 1000u / (ms ? ms : 1u);
  return speed > INT32_MAX ? INT32_MAX : static_cast<int32_t>(speed);
}

void CDownloadProgress::Start() {
  m_StartTime = xGetTime();
  m_Bytes = 0;
  m_Speed = 0;
}

void CDownloadProgress::Add(uint32_t bytes) {
  m_Bytes += bytes;
  m_Speed = xDownloadSpeed(m_Bytes, GetElapsed());
}

uint32_t CDownloadProgress::GetElapsed() const { return xTimeDiff(m_StartTime, xGetTime()); }

int32_t CDownloadFile::Create(const char* name) {
  m_File.Close();
  if (!name) return 0;
  if (xFileExists(name)) xFileDelete(name);
  return m_File.Open(name, XFILE_WRITE | XFILE_MAKEDIRS);
}

int32_t CDownloadFile::Resume(const char* name, uint32_t position) {
  m_File.Close();
  uint32_t size = 0;
  if (!name || !xFileSize(name, &size) || size < position) return 0;
  if (size > position && !PlatformTruncateFile(name, position)) return 0;
  if (!m_File.Open(name, XFILE_UPDATE)) return 0;
  if (!m_File.SeekRaw(position)) {
    m_File.Close();
    return 0;
  }
  return 1;
}

int32_t CDownloadFile::Write(const void* data, uint32_t size) { return size ? m_File.Write(data, size) : 1; }

int32_t CDownloadFile::Close() { return m_File.IsOpen() ? m_File.Close() : 1; }
