// The FTP client's fault injection for tests: counters and switches that send connections to a
// dead site, spoil data ports, hold back login commands, drop the command connection or ignore
// sizes. Each Take* call answers for one occasion and uses up one count when it says yes.
#pragma once

#include <cstdint>
#include <string>

// Where a dead site is simulated unless a test sets another address.
inline constexpr const char* FTP_DEAD_SITE_HOST = "10.0.0.2";

class CFtpFaults {
 public:
  void StopConnect(int32_t n) { m_StopConnect = n; }
  // Every connect to the host (compared without case) goes to the dead site; null switches it off.
  void AlwaysStopSite(const char* host) { m_StopSite = host ? host : ""; }
  void StopFileConnect(int32_t n) { m_StopFileConnect = n; }
  void AlwaysStopPassive() { m_AlwaysStopPassive = true; }
  void AlwaysStopNormal() { m_AlwaysStopNormal = true; }
  void StopLogin(int32_t n) { m_StopLogin = n; }
  void StopPassword(int32_t n) { m_StopPassword = n; }
  void StopPort(int32_t n) { m_StopPort = n; }
  void StopRecv(int32_t n) { m_StopRecv = n; }
  void StopFileSize(int32_t n) { m_StopFileSize = n; }
  void AlwaysStopFileSize() { m_AlwaysStopFileSize = true; }
  // Arms the stop for the download that follows n completed ones (counted from now).
  void StopFileDownloadTime(int32_t n, uint32_t ms, uint32_t completedNow);
  void MessupKey(char key) { m_MessupKey = key; }
  char GetMessupKey() const { return m_MessupKey; }

  // The dead site: a host and a port (0: the port the connect was meant for).
  void SetDeadSite(const char* host, uint16_t port);
  const std::string& DeadHost() const { return m_DeadHost; }
  uint16_t DeadPort(uint16_t wanted) const { return m_DeadPort ? m_DeadPort : wanted; }
  // A data port that goes nowhere: the dead site's port when one is set, else the one beside the
  // right port.
  uint16_t WrongDataPort(uint16_t right) const;

  bool TakeConnect(const char* host);
  bool TakeFileConnect(bool passive);
  bool TakeLogin() { return Take(m_StopLogin); }
  bool TakePassword() { return Take(m_StopPassword); }
  bool TakePort() { return Take(m_StopPort); }
  bool TakeRecv() { return Take(m_StopRecv); }
  bool TakeFileSize() { return m_AlwaysStopFileSize || Take(m_StopFileSize); }
  // Whether a download that has run for elapsed ms, with completed downloads before it, is to be
  // stopped now; the stop clears itself when it fires.
  bool TakeDownloadTime(uint32_t completed, uint32_t elapsed);

 private:
  static bool Take(int32_t& count);

  int32_t m_StopConnect = 0;
  std::string m_StopSite;
  int32_t m_StopFileConnect = 0;
  bool m_AlwaysStopPassive = false;
  bool m_AlwaysStopNormal = false;
  int32_t m_StopLogin = 0;
  int32_t m_StopPassword = 0;
  int32_t m_StopPort = 0;
  int32_t m_StopRecv = 0;
  int32_t m_StopFileSize = 0;
  bool m_AlwaysStopFileSize = false;
  bool m_DownloadTimeArmed = false;
  uint32_t m_DownloadTimeAt = 0;
  uint32_t m_DownloadTimeMs = 0;
  char m_MessupKey = 0;
  std::string m_DeadHost = FTP_DEAD_SITE_HOST;
  uint16_t m_DeadPort = 0;
};
