// The interface of the file-download clients (HTTP and FTP) as the download manager drives them,
// and what both share: the factory, connecting by url, the time-outs, the error codes and their
// reporter, the note of a finished file and the download log ("download.log").
#pragma once

#include <cstdint>

// Error codes of the HTTP client and the download manager. Their texts come from
// xDownloadErrorText.
inline constexpr int32_t DOWNLOAD_OK = 0;
inline constexpr int32_t DOWNLOAD_ERR_STARTUP = -1;
inline constexpr int32_t DOWNLOAD_ERR_CONNECT = -2;
inline constexpr int32_t DOWNLOAD_ERR_PARAMETERS = -3;
inline constexpr int32_t DOWNLOAD_ERR_PARSE = -4;
inline constexpr int32_t DOWNLOAD_ERR_DISCONNECTED = -5;
inline constexpr int32_t DOWNLOAD_ERR_RECONNECTS = -6;
inline constexpr int32_t DOWNLOAD_ERR_SOCKET_READ = -7;
inline constexpr int32_t DOWNLOAD_ERR_SOCKET_WRITE = -8;
inline constexpr int32_t DOWNLOAD_ERR_FILE_READ = -9;
inline constexpr int32_t DOWNLOAD_ERR_FILE_WRITE = -10;
inline constexpr int32_t DOWNLOAD_ERR_MEMORY = -11;
inline constexpr int32_t DOWNLOAD_ERR_CONNECT_TIMEOUT = -12;
inline constexpr int32_t DOWNLOAD_ERR_TIMEOUT = -13;
inline constexpr int32_t DOWNLOAD_ERR_UNAUTHORIZED = -14;
inline constexpr int32_t DOWNLOAD_ERR_UNKNOWN = -15;

// Connection types of CDownloadClient::New.
inline constexpr int32_t DOWNLOAD_TYPE_HTTP = 0;
inline constexpr int32_t DOWNLOAD_TYPE_FTP = 1;

// Time-outs taken for a negative value of SetTimeouts.
inline constexpr uint32_t DOWNLOAD_DEFAULT_TIMEOUT_MS = 20000;

// The message of a code; codes outside the table get the message of DOWNLOAD_ERR_UNKNOWN.
const char* xDownloadErrorText(int32_t code);

// Writes one line for an error to the download log: "[extra] --- " when extra is given, the
// message (or the code's own text), "    : ", source "(" line ")". Returns code unchanged.
int32_t xDownloadReportError(int32_t code, const char* message, const char* extra, const char* source,
                             int line);

// One finished download. The texts are owned.
class CDownloadedNote {
 public:
  CDownloadedNote() = default;
  ~CDownloadedNote();
  CDownloadedNote(const CDownloadedNote&) = delete;
  CDownloadedNote& operator=(const CDownloadedNote&) = delete;

  void SetDownloadTime(uint32_t ms) { m_DownloadTime = ms; }
  uint32_t GetDownloadTime() const { return m_DownloadTime; }
  void SetFileSizeExists(int32_t exists) { m_FileSizeExists = exists; }
  int32_t GetFileSizeExists() const { return m_FileSizeExists; }
  void SetFileSize(uint32_t size) { m_FileSize = size; }
  uint32_t GetFileSize() const { return m_FileSize; }
  // 0 for a null text or when out of memory (the old text is gone then too), else 1.
  int32_t SetLocalFileName(const char* name);
  int32_t SetRemoteFileName(const char* name);
  // New copies for the caller to free with xFree; null when there is none.
  char* GetLocalFileName() const;
  char* GetRemoteFileName() const;

 private:
  uint32_t m_DownloadTime = 0;
  int32_t m_FileSizeExists = 0;
  uint32_t m_FileSize = 0;
  char* m_pLocalFileName = nullptr;
  char* m_pRemoteFileName = nullptr;
};

using TDownloadAppLogFunc = void (*)(char* text, void* user);

class CDownloadClient {
 public:
  CDownloadClient() = default;
  virtual ~CDownloadClient() = default;
  CDownloadClient(const CDownloadClient&) = delete;
  CDownloadClient& operator=(const CDownloadClient&) = delete;

  virtual int32_t Startup() = 0;
  virtual void Closedown() = 0;
  virtual int32_t IsDownloadedNote() = 0;
  // Hands over the oldest note; local and remote become new texts that the caller frees.
  virtual int32_t GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local,
                                    char*& remote) = 0;
  virtual uint16_t DefaultPort() { return 21; }
  // "scheme://host[:port]" or "host[:port]"; the port defaults to DefaultPort.
  virtual int32_t Connect(const char* url);
  virtual int32_t Connect(const char* host, uint16_t port) = 0;
  virtual int32_t Reconnect() = 0;
  virtual int32_t Disconnect() = 0;
  virtual void SetBlockingConnectOn() {}
  virtual void SetBlockingConnectOff() {}
  // One step of the client; 1, or 0 on a failure it cannot recover from.
  virtual int32_t Update() = 0;
  virtual int32_t IsDownloading() = 0;
  virtual int32_t IsWaitingForUserCommands() = 0;
  virtual int32_t IsUserCommands() = 0;
  virtual int32_t RetrieveFile(const char* local, const char* remote) = 0;
  virtual void SetNormalMode() = 0;
  virtual void SetPassiveMode() = 0;
  virtual int32_t SetLoginName(const char* name) = 0;
  virtual int32_t SetLoginPassword(const char* password) = 0;
  virtual void SetAppLogCallback(TDownloadAppLogFunc callback, void* user) = 0;
  virtual int32_t GetDownloadHasFileSize() = 0;
  virtual uint32_t GetDownloadFileSize() = 0;
  virtual uint32_t GetDownloadBytesTransfered() = 0;
  virtual int32_t GetDownloadSpeed() = 0;
  virtual const char* GetDownloadLocalFileName() = 0;
  virtual const char* GetDownloadRemoteFileName() = 0;
  virtual const char* GetStateString() = 0;
  virtual void LogDelete();
  virtual void LogEnable();
  virtual void LogDisable();
  virtual void SetDownloadSize(uint32_t size) = 0;
  virtual int32_t SetDownloadStartPosition(uint32_t position) = 0;
  virtual int32_t GetDownloadStartPosition() = 0;
  // Fault injection for tests; the base and the HTTP client ignore them.
  virtual void DebugStopConnect(int32_t) {}
  virtual void DebugStopFileConnect(int32_t) {}
  virtual void DebugStopLogin(int32_t) {}
  virtual void DebugStopPassword(int32_t) {}
  virtual void DebugStopPort(int32_t) {}
  virtual void DebugStopRecv(int32_t) {}
  virtual void DebugStopFileSize(int32_t) {}
  virtual void DebugMessupKey(char) {}
  virtual void DebugStopFileDownloadTime(int32_t, uint32_t) {}
  virtual void DebugAlwaysStopFileSize() {}
  virtual void DebugAlwaysStopPassive() {}
  virtual void DebugAlwaysStopNormal() {}
  virtual void DebugAlwaysStopSite(const char*) {}

  // DOWNLOAD_TYPE_HTTP or DOWNLOAD_TYPE_FTP; null for another type or when none can be made.
  static CDownloadClient* New(int32_t type);
  // "http://..." (any case) an HTTP client, "ftp://..." or no scheme an FTP client, another
  // scheme null.
  static CDownloadClient* New(const char* url);
  // Seconds; a negative value means DOWNLOAD_DEFAULT_TIMEOUT_MS.
  void SetTimeouts(int32_t connectSeconds, int32_t dataSeconds);
  uint32_t GetConnectTimeout() const { return m_ConnectTimeout; }
  uint32_t GetDataTimeout() const { return m_DataTimeout; }
  // Appends the formatted text to the download log while the log is on.
  static void LogString(const char* format, ...) __attribute__((format(printf, 1, 2)));

  // The process-wide switch of the download log, off at start.
  static void SetLogSwitch(int32_t on);
  static int32_t GetLogSwitch();

 protected:
  uint32_t m_ConnectTimeout = DOWNLOAD_DEFAULT_TIMEOUT_MS;
  uint32_t m_DataTimeout = DOWNLOAD_DEFAULT_TIMEOUT_MS;
};

// The name of the download log.
inline constexpr const char* DOWNLOAD_LOG_NAME = "download.log";
