// Sites and files of the download manager, and the server list that expands into sites.
#include <cstring>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrelcomm/download/downloadmanager.h"
#include "ostrelcomm/download/downloadsupport.h"

namespace DownloadManager {

namespace {

void SetText(char*& slot, const char* text) {
  xFree(slot);
  slot = text ? xStrdup(text) : nullptr;
}

const char* Shown(const char* text) { return text ? text : ""; }

}  // namespace

SSite::SSite(const SSite& other)
    : m_Port(other.m_Port),
      m_ConnectTimeout(other.m_ConnectTimeout),
      m_DataTimeout(other.m_DataTimeout),
      m_Unparsed(other.m_Unparsed) {
  SetText(m_pUrl, other.m_pUrl);
  SetText(m_pLoginName, other.m_pLoginName);
  SetText(m_pPassword, other.m_pPassword);
  SetText(m_pDirectory, other.m_pDirectory);
}

SSite::~SSite() { Reset(); }

void SSite::Reset() {
  SetText(m_pUrl, nullptr);
  SetText(m_pLoginName, nullptr);
  SetText(m_pPassword, nullptr);
  SetText(m_pDirectory, nullptr);
  m_Port = 0;
  m_ConnectTimeout = -1;
  m_DataTimeout = -1;
  m_Unparsed.clear();
}

int32_t SSite::ParseURL(const char* url) {
  SetText(m_pUrl, nullptr);
  SetText(m_pLoginName, nullptr);
  SetText(m_pPassword, nullptr);
  m_Port = 0;
  if (!url) return DOWNLOAD_ERR_PARAMETERS;
  std::string scheme;
  const char* rest = url;
  if (const char* mark = xStrstr(url, "://")) {
    scheme.assign(url, static_cast<size_t>(mark + 3 - url));
    rest = mark + 3;
  }
  std::string login, password;
  bool hasLogin = false;
  if (const char* at = xStrchr(rest, '@')) {
    const char* colon = xStrchr(rest, ':');
    if (!colon || colon > at) return DOWNLOAD_ERR_PARAMETERS;
    login.assign(rest, static_cast<size_t>(colon - rest));
    password.assign(colon + 1, static_cast<size_t>(at - colon - 1));
    hasLogin = true;
    rest = at + 1;
  }
  std::string host = rest;
  uint16_t port = 0;
  if (const char* colon = xStrchr(rest, ':')) {
    const char* end = nullptr;
    if (!xDownloadReadPort(colon + 1, port, end)) return DOWNLOAD_ERR_PARAMETERS;
    host.assign(rest, static_cast<size_t>(colon - rest));
    // A path after the port stays with the host, as it does without a port: a server list
    // on its own port still needs it.
    if (*end == '/') host += end;
  }
  // A second "@" would make a host that no name lookup can give.
  if (host.empty() || host.find('@') != std::string::npos) return DOWNLOAD_ERR_PARAMETERS;
  SetText(m_pUrl, (scheme + host).c_str());
  if (hasLogin) {
    SetText(m_pLoginName, login.c_str());
    SetText(m_pPassword, password.c_str());
  }
  m_Port = port;
  return m_pUrl && (!hasLogin || (m_pLoginName && m_pPassword)) ? DOWNLOAD_OK : DOWNLOAD_ERR_MEMORY;
}

void SSite::Print() const {
  // The log never holds a password: only whether there is one.
  CDownloadClient::LogString("SSite: %s:%d [%s] [%s:%s] [%d:%d]", Shown(m_pUrl), m_Port, Shown(m_pDirectory),
                             Shown(m_pLoginName), m_pPassword ? "****" : "", m_ConnectTimeout, m_DataTimeout);
}

std::string SSite::ConnectHost() const {
  if (!m_pUrl) return {};
  const char* mark = xStrstr(m_pUrl, "://");
  const char* host = mark ? mark + 3 : m_pUrl;
  // A host name never holds a "/": what follows it is a path.
  const char* slash = xStrchr(host, '/');
  return slash ? std::string(host, static_cast<size_t>(slash - host)) : std::string(host);
}

SFile::SFile(const char* local, const char* remote, uint32_t startPosition, uint32_t downloadSize)
    : m_StartPosition(startPosition), m_DownloadSize(downloadSize) {
  SetText(m_pLocalFileName, local);
  SetText(m_pRemoteFileName, remote);
}

SFile::SFile(const SFile& other) : SFile(other.m_pLocalFileName, other.m_pRemoteFileName, other.m_StartPosition,
                                         other.m_DownloadSize) {}

SFile::~SFile() { Reset(); }

void SFile::Reset() {
  SetText(m_pLocalFileName, nullptr);
  SetText(m_pRemoteFileName, nullptr);
  m_StartPosition = 0;
  m_DownloadSize = 0;
  m_DownloadTime = 0;
  m_HasSize = 0;
  m_FileSize = 0;
}

void SFile::Print() const {
  CDownloadClient::LogString("SFile: %s  <-  %s, %d:%d", Shown(m_pLocalFileName), Shown(m_pRemoteFileName),
                             static_cast<int>(m_StartPosition), static_cast<int>(m_DownloadSize));
}

int32_t ParseServerList(const char* data, size_t size, const SSite& listSite,
                        std::vector<std::unique_ptr<SSite>>& sites) {
  int32_t skipped = 0;
  size_t taken = 0;
  const char* end = data + (data ? size : 0);
  for (const char* line = data; line && line < end && taken < SERVERLIST_MAX_SITES;) {
    const char* feed = static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
    const char* next = feed ? feed + 1 : end;
    const size_t raw = static_cast<size_t>((feed ? feed : end) - line);
    std::string text(line, raw);
    line = next;
    // Everything from a carriage return (or a stray zero byte) on is not part of the url.
    text.resize(std::strcspn(text.c_str(), "\r"));
    if (text.empty()) continue;
    auto site = std::make_unique<SSite>();
    if (raw > SERVERLIST_MAX_LINE || site->ParseURL(text.c_str()) != DOWNLOAD_OK) {
      ++skipped;
      xDownloadReportError(DOWNLOAD_ERR_PARAMETERS, "Server list line is no site", text.substr(0, 64).c_str(),
                           "downloadmanager", __LINE__);
      continue;
    }
    SetText(site->m_pDirectory, listSite.m_pDirectory);
    sites.push_back(std::move(site));
    ++taken;
  }
  return skipped;
}

int32_t ConnectClient(CDownloadClient& client, const SSite& site) {
  const std::string host = site.ConnectHost();
  return client.Connect(host.c_str(), site.m_Port ? site.m_Port : client.DefaultPort());
}

}  // namespace DownloadManager
