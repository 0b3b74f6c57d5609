#include "ostrelcomm/download/downloadmanager.h"

#include <algorithm>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/files/filehelpers.h"
#include "ostrel/system/debug.h"

namespace DownloadManager {

namespace {

constexpr const char* kSource = "downloadmanager";

int32_t Report(int32_t code, const char* message, const std::string& extra, int line) {
  return xDownloadReportError(code, message, extra.empty() ? nullptr : extra.c_str(), kSource, line);
}

char* CopyForCaller(const char* text) { return xStrdup(text ? text : ""); }

const char* NeverNull(const char* text) { return text ? text : ""; }

bool IsSiteList(const char* url) {
  return url && xStrnicmp(url, SERVERLIST_SCHEME, xStrlen(SERVERLIST_SCHEME)) == 0;
}

}  // namespace

CDownloadManager::CDownloadManager() {
  CDownloadClient::SetLogSwitch(xGetDebugLevel(DBGL_ALL));
  CDownloadClient::LogString("CDownloadManager created");
}

CDownloadManager::~CDownloadManager() {
  m_Sites.clear();
  if (!m_Files.empty()) {
    CDownloadClient::LogString("Files not downloaded:");
    for (const auto& file : m_Files) file->Print();
  }
  m_Files.clear();
  m_Finished.clear();
  m_pClient.reset();
  m_pDownloader.reset();
  CDownloadClient::LogString("CDownloadManager deleted");
}

void CDownloadManager::AppendSite(std::unique_ptr<SSite> site) {
  site->Print();
  m_Sites.push_back(std::move(site));
}

void CDownloadManager::AddSite(const char* url, const char* login, const char* password, const char* directory,
                               int32_t connectTimeout, int32_t dataTimeout) {
  auto site = std::make_unique<SSite>();
  if (site->ParseURL(url) != DOWNLOAD_OK) site->m_Unparsed = url ? url : "";
  xFree(site->m_pLoginName);
  xFree(site->m_pPassword);
  site->m_pLoginName = login ? xStrdup(login) : nullptr;
  site->m_pPassword = password ? xStrdup(password) : nullptr;
  site->m_pDirectory = directory ? xStrdup(directory) : nullptr;
  site->m_ConnectTimeout = connectTimeout;
  site->m_DataTimeout = dataTimeout;
  AppendSite(std::move(site));
}

void CDownloadManager::AddSite(const char* url, const char* directory, int32_t connectTimeout, int32_t dataTimeout) {
  auto site = std::make_unique<SSite>();
  if (site->ParseURL(url) != DOWNLOAD_OK) site->m_Unparsed = url ? url : "";
  site->m_pDirectory = directory ? xStrdup(directory) : nullptr;
  site->m_ConnectTimeout = connectTimeout;
  site->m_DataTimeout = dataTimeout;
  AppendSite(std::move(site));
}

void CDownloadManager::AddFile(const char* local, const char* remote, uint32_t startPosition,
                               uint32_t downloadSize) {
  if (!local || !remote) return;
  auto file = std::make_unique<SFile>(local, remote, startPosition, downloadSize);
  file->Print();
  m_Files.push_back(std::move(file));
}

int CDownloadManager::Update() { return Step() < 0 ? 0 : 1; }

int32_t CDownloadManager::Step() {
  switch (m_State) {
    case DM_NEW:
      m_State = DM_INITSITES;
      return DOWNLOAD_OK;
    case DM_INITSITES:
      m_SiteCursor = m_Sites.begin();
      m_State = DM_BUILDSITES;
      return DOWNLOAD_OK;
    case DM_BUILDSITES:
      return StepBuildSites();
    case DM_CONNECT:
      return StepConnect();
    case DM_CONNECTED:
      return StepConnected();
    case DM_DOWNLOADING:
      return StepDownloading();
    case DM_DONE:
      return DOWNLOAD_OK;
    default:
      return Report(DOWNLOAD_ERR_UNKNOWN, nullptr, {}, __LINE__);
  }
}

// ---- the site list ----

int32_t CDownloadManager::StepBuildSites() {
  if (m_pDownloader) {
    const int32_t code = m_pDownloader->Update();
    if (code != DOWNLOAD_OK) {
      // A list that cannot be fetched costs only that list; the walk goes on without it.
      Report(code, "Server list could not be fetched", NeverNull((*m_SiteCursor)->m_pUrl), __LINE__);
      FinishSiteList(0);
      return code;
    }
    return m_pDownloader->IsDone() ? FinishSiteList(1) : DOWNLOAD_OK;
  }
  while (m_SiteCursor != m_Sites.end()) {
    if (IsSiteList((*m_SiteCursor)->m_pUrl)) return StartSiteList();
    ++m_SiteCursor;
  }
  m_State = DM_CONNECT;
  CDownloadClient::LogString("Site list:");
  for (const auto& site : m_Sites) site->Print();
  CDownloadClient::LogString("----------");
  m_SiteCursor = m_Sites.begin();
  return DOWNLOAD_OK;
}

int32_t CDownloadManager::StartSiteList() {
  SSite& site = **m_SiteCursor;
  m_pCurrentSite = &site;
  const char* hostStart = site.m_pUrl + xStrlen(SERVERLIST_SCHEME);
  const char* slash = xStrchr(hostStart, '/');
  if (!slash || slash == hostStart || !slash[1]) {
    const std::string url = site.m_pUrl;
    m_pCurrentSite = nullptr;
    m_SiteCursor = m_Sites.erase(m_SiteCursor);
    return Report(DOWNLOAD_ERR_PARAMETERS, "Server list url without a host or a path", url, __LINE__);
  }
  const std::string path = slash;
  const std::string url = "http://" + std::string(hostStart, static_cast<size_t>(slash - hostStart));
  xFree(site.m_pUrl);
  site.m_pUrl = xStrdup(url.c_str());
  if (!site.m_pUrl) return Report(DOWNLOAD_ERR_MEMORY, nullptr, {}, __LINE__);
  if (xFileExists(SERVERLIST_FILE_NAME)) xFileDelete(SERVERLIST_FILE_NAME);
  const SFile file(SERVERLIST_FILE_NAME, path.c_str(), 0, 0);
  m_pDownloader = std::make_unique<CDownloader>(site, file);
  return DOWNLOAD_OK;
}

int32_t CDownloadManager::FinishSiteList(int32_t fetched) {
  m_pDownloader.reset();
  const int32_t code = fetched ? ProcessSiteList(**m_SiteCursor) : DOWNLOAD_OK;
  m_pCurrentSite = nullptr;
  m_SiteCursor = m_Sites.erase(m_SiteCursor);
  return code;
}

int32_t CDownloadManager::ProcessSiteList(const SSite& listSite) {
  uint32_t size = 0;
  if (!xFileSize(SERVERLIST_FILE_NAME, &size))
    return Report(DOWNLOAD_ERR_FILE_READ, nullptr, SERVERLIST_FILE_NAME, __LINE__);
  size = std::min(size, SERVERLIST_MAX_BYTES);
  std::string text(size, '\0');
  if (size && !xReadFile(SERVERLIST_FILE_NAME, text.data(), size))
    return Report(DOWNLOAD_ERR_FILE_READ, nullptr, SERVERLIST_FILE_NAME, __LINE__);
  std::vector<std::unique_ptr<SSite>> sites;
  const int32_t skipped = ParseServerList(text.data(), text.size(), listSite, sites);
  for (auto& site : sites) m_Sites.insert(m_SiteCursor, std::move(site));
  // Each skipped line has been reported; the step fails so that the owner hears of them.
  return skipped ? DOWNLOAD_ERR_PARAMETERS : DOWNLOAD_OK;
}

// ---- connecting and downloading ----

void CDownloadManager::DropClient() { m_pClient.reset(); }

int32_t CDownloadManager::StepConnect() {
  DropClient();
  if (m_SiteCursor == m_Sites.end()) {
    m_State = DM_DONE;
    return DOWNLOAD_OK;
  }
  const SSite& site = **m_SiteCursor;
  ++m_SiteCursor;
  m_pCurrentSite = &site;
  if (!site.m_pUrl) return Report(DOWNLOAD_ERR_PARAMETERS, "Site skipped", site.m_Unparsed, __LINE__);
  m_pClient.reset(CDownloadClient::New(site.m_pUrl));
  if (!m_pClient) return Report(DOWNLOAD_ERR_MEMORY, nullptr, site.m_pUrl, __LINE__);
  if (CDownloadClient::GetLogSwitch()) m_pClient->LogEnable();
  if (!m_pClient->Startup()) return DOWNLOAD_OK;
  m_pClient->SetPassiveMode();
  m_pClient->SetBlockingConnectOff();
  m_pClient->SetTimeouts(site.m_ConnectTimeout, site.m_DataTimeout);
  if (!ConnectClient(*m_pClient, site)) return DOWNLOAD_OK;
  m_pClient->SetLoginName(site.m_pLoginName);
  m_pClient->SetLoginPassword(site.m_pPassword);
  m_State = DM_CONNECTED;
  return DOWNLOAD_OK;
}

int32_t CDownloadManager::StepConnected() {
  if (!m_pClient->Update()) {
    CDownloadClient::LogString("Site %s failed", NeverNull(m_pCurrentSite->m_pUrl));
    DropClient();
    m_State = DM_CONNECT;
    return DOWNLOAD_OK;
  }
  if (!m_pClient->IsWaitingForUserCommands()) return DOWNLOAD_OK;
  const std::string directory = NeverNull(m_pCurrentSite->m_pDirectory);
  for (const auto& file : m_Files) {
    m_pClient->SetDownloadStartPosition(file->m_StartPosition);
    m_pClient->SetDownloadSize(file->m_DownloadSize);
    m_pClient->RetrieveFile(file->m_pLocalFileName, (directory + file->m_pRemoteFileName).c_str());
  }
  m_State = DM_DOWNLOADING;
  return DOWNLOAD_OK;
}

int32_t CDownloadManager::StepDownloading() {
  const int32_t ok = m_pClient->Update();
  CheckFiles();
  if (!ok) {
    CDownloadClient::LogString("Site %s failed", NeverNull(m_pCurrentSite->m_pUrl));
    DropClient();
    m_State = DM_CONNECT;
  } else if (!m_pClient->IsDownloading() && !m_pClient->IsUserCommands()) {
    m_State = DM_DONE;
  }
  return DOWNLOAD_OK;
}

void CDownloadManager::CheckFiles() {
  while (m_pClient->IsDownloadedNote()) {
    uint32_t time = 0, size = 0;
    int32_t hasSize = 0;
    char* local = nullptr;
    char* remote = nullptr;
    if (!m_pClient->GetDownloadedNote(time, hasSize, size, local, remote)) break;
    CDownloadClient::LogString("Downloaded note: %lu, %ld, %lu, %s, %s", static_cast<unsigned long>(time),
                               static_cast<long>(hasSize), static_cast<unsigned long>(size), NeverNull(local),
                               NeverNull(remote));
    auto match = std::find_if(m_Files.begin(), m_Files.end(),
                              [&](const auto& file) { return local && xStrcmp(file->m_pLocalFileName, local) == 0; });
    if (match != m_Files.end()) {
      (*match)->m_DownloadTime = time;
      (*match)->m_HasSize = hasSize;
      (*match)->m_FileSize = size;
      m_Finished.splice(m_Finished.end(), m_Files, match);
    }
    xFree(local);
    xFree(remote);
  }
}

// ---- what the owner asks ----

int32_t CDownloadManager::IsDownloadedNote() { return m_Finished.empty() ? 0 : 1; }

int32_t CDownloadManager::GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local,
                                            char*& remote) {
  if (m_Finished.empty()) return 0;
  const SFile& file = *m_Finished.front();
  time = file.m_DownloadTime;
  hasSize = file.m_HasSize;
  size = file.m_FileSize;
  local = CopyForCaller(file.m_pLocalFileName);
  remote = CopyForCaller(file.m_pRemoteFileName);
  m_Files.splice(m_Files.end(), m_Finished, m_Finished.begin());
  return 1;
}

void CDownloadManager::RemoveFinishedFile(const char* local) {
  if (!local) return;
  auto named = [local](const auto& file) { return xStrcmp(file->m_pLocalFileName, local) == 0; };
  auto match = std::find_if(m_Files.begin(), m_Files.end(), named);
  if (match != m_Files.end()) {
    m_Files.erase(match);
  } else {
    match = std::find_if(m_Finished.begin(), m_Finished.end(), named);
    if (match == m_Finished.end()) return;
    m_Finished.erase(match);
  }
  if (m_Files.empty() && m_Finished.empty()) m_State = DM_DONE;
}

int32_t CDownloadManager::GotoNextSite() {
  // Before the site list has been walked no site has been tried: the walk starts at the first.
  if (m_State < DM_CONNECT) return m_Sites.empty() ? 0 : 1;
  if (m_SiteCursor == m_Sites.end()) return 0;
  m_Files.splice(m_Files.end(), m_Finished);
  m_State = DM_CONNECT;
  return 1;
}

int32_t CDownloadManager::IsDownloading() { return m_pClient ? m_pClient->IsDownloading() : 0; }
int32_t CDownloadManager::GetDownloadHasFileSize() { return m_pClient ? m_pClient->GetDownloadHasFileSize() : 0; }
uint32_t CDownloadManager::GetDownloadFileSize() { return m_pClient ? m_pClient->GetDownloadFileSize() : 0; }
uint32_t CDownloadManager::GetDownloadBytesTransfered() {
  return m_pClient ? m_pClient->GetDownloadBytesTransfered() : 0;
}
int32_t CDownloadManager::GetDownloadSpeed() { return m_pClient ? m_pClient->GetDownloadSpeed() : 0; }
const char* CDownloadManager::GetDownloadLocalFileName() {
  return m_pClient ? NeverNull(m_pClient->GetDownloadLocalFileName()) : "";
}
const char* CDownloadManager::GetDownloadRemoteFileName() {
  return m_pClient ? NeverNull(m_pClient->GetDownloadRemoteFileName()) : "";
}
const char* CDownloadManager::GetCurrentSite() const {
  return m_pCurrentSite ? NeverNull(m_pCurrentSite->m_pUrl) : "";
}

std::vector<std::string> CDownloadManager::GetSiteList() const {
  std::vector<std::string> sites;
  for (const auto& site : m_Sites) sites.push_back(NeverNull(site->m_pUrl) + (":" + std::to_string(site->m_Port)));
  return sites;
}

}  // namespace DownloadManager
