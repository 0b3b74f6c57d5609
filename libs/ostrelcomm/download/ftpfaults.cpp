#include "ostrelcomm/download/ftpfaults.h"

#include "ostrel/base/xstring.h"

bool CFtpFaults::Take(int32_t& count) {
  if (count <= 0) return false;
  --count;
  return true;
}

void CFtpFaults::StopFileDownloadTime(int32_t n, uint32_t ms, uint32_t completedNow) {
  m_DownloadTimeArmed = n >= 0;
  m_DownloadTimeAt = completedNow + static_cast<uint32_t>(n > 0 ? n : 0);
  m_DownloadTimeMs = ms;
}

void CFtpFaults::SetDeadSite(const char* host, uint16_t port) {
  m_DeadHost = host && *host ? host : FTP_DEAD_SITE_HOST;
  m_DeadPort = port;
}

uint16_t CFtpFaults::WrongDataPort(uint16_t right) const {
  if (m_DeadPort) return m_DeadPort;
  return static_cast<uint16_t>(right == 65535 ? 65534 : right + 1);
}

bool CFtpFaults::TakeConnect(const char* host) {
  if (host && !m_StopSite.empty() && xStricmp(host, m_StopSite.c_str()) == 0) return true;
  return Take(m_StopConnect);
}

bool CFtpFaults::TakeFileConnect(bool passive) {
  if (passive ? m_AlwaysStopPassive : m_AlwaysStopNormal) return true;
  return Take(m_StopFileConnect);
}

bool CFtpFaults::TakeDownloadTime(uint32_t completed, uint32_t elapsed) {
  if (!m_DownloadTimeArmed || completed != m_DownloadTimeAt || elapsed < m_DownloadTimeMs) return false;
  m_DownloadTimeArmed = false;
  return true;
}
