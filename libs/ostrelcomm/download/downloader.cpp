// One file from one site: how the download manager fetches a server list.
#include "ostrelcomm/download/downloadmanager.h"

namespace DownloadManager {

CDownloader::CDownloader(const SSite& site, const SFile& file) : m_Site(site), m_File(file) {
  CDownloadClient::LogString("CDownloader created");
  m_Site.Print();
  m_File.Print();
}

CDownloader::~CDownloader() {
  m_pClient.reset();
  CDownloadClient::LogString("CDownloader deleted");
}

int32_t CDownloader::Update() {
  switch (m_Step) {
    case 0: {
      m_pClient.reset(CDownloadClient::New(m_Site.m_pUrl));
      if (!m_pClient || !m_pClient->Startup()) return DOWNLOAD_ERR_CONNECT;
      m_pClient->SetPassiveMode();
      m_pClient->SetBlockingConnectOff();
      m_pClient->SetTimeouts(m_Site.m_ConnectTimeout, m_Site.m_DataTimeout);
      if (!ConnectClient(*m_pClient, m_Site) || !m_pClient->SetLoginName(m_Site.m_pLoginName) ||
          !m_pClient->SetLoginPassword(m_Site.m_pPassword))
        return DOWNLOAD_ERR_CONNECT;
      m_Step = 1;
      return DOWNLOAD_OK;
    }
    case 1:
      if (!m_pClient->Update()) return DOWNLOAD_ERR_CONNECT;
      if (m_pClient->IsWaitingForUserCommands()) m_Step = 2;
      return DOWNLOAD_OK;
    case 2:
      m_pClient->SetDownloadStartPosition(m_File.m_StartPosition);
      m_pClient->SetDownloadSize(m_File.m_DownloadSize);
      if (m_pClient->RetrieveFile(m_File.m_pLocalFileName, m_File.m_pRemoteFileName) != 1)
        return DOWNLOAD_ERR_CONNECT;
      m_Step = 3;
      return DOWNLOAD_OK;
    case 3:
      if (!m_pClient->Update()) return DOWNLOAD_ERR_CONNECT;
      if (!m_pClient->IsDownloading() && !m_pClient->IsUserCommands()) m_Step = 4;
      return DOWNLOAD_OK;
    default:
      return DOWNLOAD_OK;
  }
}

}  // namespace DownloadManager
