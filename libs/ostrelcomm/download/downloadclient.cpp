#include "ostrelcomm/download/downloadclient.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <new>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/file.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/clock.h"
#include "ostrelcomm/download/downloadsupport.h"
#include "ostrelcomm/download/ftpclient.h"
#include "ostrelcomm/httpclient/httpclient.h"

namespace {

struct SErrorText {
  int32_t m_Code;
  const char* m_pText;
};

// The order is the one the texts have always been listed in; the last row answers for unknown
// codes.
constexpr SErrorText kErrorTexts[] = {
    {DOWNLOAD_OK, "No error"},
    {DOWNLOAD_ERR_STARTUP, "Error during startup"},
    {DOWNLOAD_ERR_CONNECT, "Could not connect to host"},
    {DOWNLOAD_ERR_PARAMETERS, "Bad parameters passed to method"},
    {DOWNLOAD_ERR_PARSE, "Error found while parsing response"},
    {DOWNLOAD_ERR_DISCONNECTED, "Socket disconnected while reading or writing"},
    {DOWNLOAD_ERR_RECONNECTS, "Maximum number of reconnects reached"},
    {DOWNLOAD_ERR_SOCKET_READ, "Could not read from socket"},
    {DOWNLOAD_ERR_SOCKET_WRITE, "Could not write to socket"},
    {DOWNLOAD_ERR_MEMORY, "Out of memory"},
    {DOWNLOAD_ERR_CONNECT_TIMEOUT, "Time-out occured while connecting to server"},
    {DOWNLOAD_ERR_TIMEOUT, "Time-out occured while executing network operation"},
    {DOWNLOAD_ERR_FILE_READ, "Could not read from file"},
    {DOWNLOAD_ERR_FILE_WRITE, "Could not write to file"},
    {DOWNLOAD_ERR_UNAUTHORIZED, "Unauthorized request"},
    {DOWNLOAD_ERR_UNKNOWN, "Unknown error"},
};

int32_t g_LogOn = 0;
// The log's clock starts when the library is loaded.
const uint32_t g_LoadTime = xGetTime();

int32_t ReplaceText(char*& slot, const char* text) {
  xFree(slot);
  slot = nullptr;
  if (!text) return 0;
  slot = xStrdup(text);
  return slot ? 1 : 0;
}

void WriteLogLine(const std::string& text) {
  if (!g_LogOn) return;
  CFile file;
  if (!file.Open(DOWNLOAD_LOG_NAME, XFILE_APPEND)) {
    if (!xCreateDirsForFile(DOWNLOAD_LOG_NAME) || !file.Open(DOWNLOAD_LOG_NAME, XFILE_APPEND)) return;
  }
  char stamp[32];
  const int n = std::snprintf(stamp, sizeof stamp, "%6.2f  ", xTimeDiff(g_LoadTime, xGetTime()) / 1000.0);
  // Written whole: a long line must not be cut to the file's print buffer.
  std::string line(stamp, n > 0 ? static_cast<size_t>(n) : 0);
  line += text;
  line += '\n';
  file.Write(line.data(), static_cast<uint32_t>(line.size()));
}

bool StartsWithNoCase(const char* text, const char* prefix) {
  return xStrnicmp(text, prefix, xStrlen(prefix)) == 0;
}

}  // namespace

const char* xDownloadErrorText(int32_t code) {
  for (const SErrorText& e : kErrorTexts)
    if (e.m_Code == code) return e.m_pText;
  return kErrorTexts[std::size(kErrorTexts) - 1].m_pText;
}

int32_t xDownloadReportError(int32_t code, const char* message, const char* extra, const char* source,
                             int line) {
  std::string text;
  if (extra) {
    text += '[';
    text += extra;
    text += "] --- ";
  }
  text += message ? message : xDownloadErrorText(code);
  text += "    : ";
  text += source ? source : "";
  text += '(';
  text += std::to_string(line);
  text += ')';
  WriteLogLine(text);
  return code;
}

CDownloadedNote::~CDownloadedNote() {
  xFree(m_pLocalFileName);
  xFree(m_pRemoteFileName);
}

int32_t CDownloadedNote::SetLocalFileName(const char* name) { return ReplaceText(m_pLocalFileName, name); }
int32_t CDownloadedNote::SetRemoteFileName(const char* name) { return ReplaceText(m_pRemoteFileName, name); }
char* CDownloadedNote::GetLocalFileName() const { return xStrdup(m_pLocalFileName); }
char* CDownloadedNote::GetRemoteFileName() const { return xStrdup(m_pRemoteFileName); }

int32_t CDownloadClient::Connect(const char* url) {
  if (!url) return Connect(static_cast<const char*>(nullptr), DefaultPort());
  const char* scheme = xStrstr(url, "://");
  const char* host = scheme ? scheme + 3 : url;
  const char* colon = xStrchr(host, ':');
  if (!colon) return Connect(host, DefaultPort());
  // The whole rest must be the port, 1 to 65535: a number cut to 16 bits would reach another port.
  uint16_t port = 0;
  const char* end = nullptr;
  if (!xDownloadReadPort(colon + 1, port, end) || *end || port == 0) {
    LogString("Connect: invalid port in %s", url);
    return 0;
  }
  const std::string name(host, static_cast<size_t>(colon - host));
  return Connect(name.c_str(), port);
}

void CDownloadClient::LogDelete() { xFileDelete(DOWNLOAD_LOG_NAME); }
void CDownloadClient::LogEnable() { g_LogOn = 1; }
void CDownloadClient::LogDisable() { g_LogOn = 0; }
void CDownloadClient::SetLogSwitch(int32_t on) { g_LogOn = on ? 1 : 0; }
int32_t CDownloadClient::GetLogSwitch() { return g_LogOn; }

CDownloadClient* CDownloadClient::New(int32_t type) {
  CDownloadClient* client = nullptr;
  if (type == DOWNLOAD_TYPE_HTTP) {
    LogString("Creating new CHTTPClient");
    client = new (std::nothrow) CHTTPClient;
  } else if (type == DOWNLOAD_TYPE_FTP) {
    LogString("Creating new CFTPClient");
    client = new (std::nothrow) CFtpClient;
  } else {
    LogString("Unknown protocol encountered");
  }
  if (client) {
    if (g_LogOn) client->LogEnable();
    else client->LogDisable();
  }
  return client;
}

CDownloadClient* CDownloadClient::New(const char* url) {
  if (!url) return nullptr;
  if (!xStrstr(url, "://")) return New(DOWNLOAD_TYPE_FTP);
  if (StartsWithNoCase(url, "http://")) return New(DOWNLOAD_TYPE_HTTP);
  if (StartsWithNoCase(url, "ftp://")) return New(DOWNLOAD_TYPE_FTP);
  LogString("Unknown protocol encountered");
  return nullptr;
}

void CDownloadClient::SetTimeouts(int32_t connectSeconds, int32_t dataSeconds) {
  auto toMs = [](int32_t seconds) {
    return seconds < 0 ? DOWNLOAD_DEFAULT_TIMEOUT_MS : static_cast<uint32_t>(seconds) * 1000u;
  };
  m_ConnectTimeout = toMs(connectSeconds);
  m_DataTimeout = toMs(dataSeconds);
  LogString("Setting Timeouts: connect=%ld, data=%ld", static_cast<long>(m_ConnectTimeout),
            static_cast<long>(m_DataTimeout));
}

void CDownloadClient::LogString(const char* format, ...) {
  if (!g_LogOn || !format) return;
  va_list args;
  va_start(args, format);
  const std::string text = xFormatText(format, args);
  va_end(args);
  WriteLogLine(text);
}
