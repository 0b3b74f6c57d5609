// Fetches a list of files from a list of download sites (FTP, HTTP, and "httplist://" server
// lists that expand into further sites), one site after the other until every file has come or no
// site is left. Stepped by its owner once a frame; nothing runs in the background.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "ostrelcomm/download/downloadclient.h"

namespace DownloadManager {

// The file a server list is fetched into, in the working folder.
inline constexpr const char* SERVERLIST_FILE_NAME = "serverlist.lst";
inline constexpr const char* SERVERLIST_SCHEME = "httplist://";
// Longest line of a server list; a longer line is no site.
inline constexpr size_t SERVERLIST_MAX_LINE = 255;
// Sites taken from one server list at most, and the bytes of it that are read.
inline constexpr size_t SERVERLIST_MAX_SITES = 1024;
inline constexpr uint32_t SERVERLIST_MAX_BYTES = 256u << 10;

// One download site. Every text is an owned copy or null.
struct SSite {
  SSite() = default;
  SSite(const SSite& other);
  SSite& operator=(const SSite&) = delete;
  ~SSite();

  void Reset();
  // "[scheme://][login:password@]host[:port][/path]"; 0, or DOWNLOAD_ERR_PARAMETERS /
  // DOWNLOAD_ERR_MEMORY. The url keeps scheme and host (and a path), never login or port.
  int32_t ParseURL(const char* url);
  // Writes the site's line to the download log.
  void Print() const;
  // The host to connect to: the url without scheme and path ("" without a url).
  std::string ConnectHost() const;

  char* m_pUrl = nullptr;
  char* m_pLoginName = nullptr;
  char* m_pPassword = nullptr;
  char* m_pDirectory = nullptr;
  uint16_t m_Port = 0;
  int32_t m_ConnectTimeout = -1;
  int32_t m_DataTimeout = -1;
  // The text a site was made from when it did not parse; such a site is never tried.
  std::string m_Unparsed;
};

// One file to fetch.
struct SFile {
  SFile() = default;
  SFile(const char* local, const char* remote, uint32_t startPosition, uint32_t downloadSize);
  // Names, start position and download size; the note fields stay zero.
  SFile(const SFile& other);
  SFile& operator=(const SFile&) = delete;
  ~SFile();

  void Reset();
  void Print() const;

  char* m_pLocalFileName = nullptr;
  char* m_pRemoteFileName = nullptr;
  uint32_t m_StartPosition = 0;
  uint32_t m_DownloadSize = 0;
  uint32_t m_DownloadTime = 0;
  int32_t m_HasSize = 0;
  uint32_t m_FileSize = 0;
};

// The sites of a server list, in its order. Each line is one url; empty lines and lines that
// do not parse are skipped, and every site takes the directory of the list's own site and the
// default time-outs. Gives the number of lines skipped as unparsable.
int32_t ParseServerList(const char* data, size_t size, const SSite& listSite,
                        std::vector<std::unique_ptr<SSite>>& sites);

// Connects client to the site: its host (never "scheme://host") on the site's port or on the
// client's default port. The client's result.
int32_t ConnectClient(CDownloadClient& client, const SSite& site);

// One file from one site, for server lists.
class CDownloader {
 public:
  CDownloader(const SSite& site, const SFile& file);
  ~CDownloader();
  CDownloader(const CDownloader&) = delete;
  CDownloader& operator=(const CDownloader&) = delete;

  // One step: 0, or DOWNLOAD_ERR_CONNECT.
  int32_t Update();
  int32_t IsDone() const { return m_Step == 4 ? 1 : 0; }
  int32_t GetStep() const { return m_Step; }

 private:
  int32_t m_Step = 0;
  SSite m_Site;
  SFile m_File;
  std::unique_ptr<CDownloadClient> m_pClient;
};

// States of CDownloadManager.
inline constexpr int32_t DM_NEW = 0;
inline constexpr int32_t DM_INITSITES = 1;
inline constexpr int32_t DM_BUILDSITES = 2;
inline constexpr int32_t DM_CONNECT = 3;
inline constexpr int32_t DM_CONNECTED = 4;
inline constexpr int32_t DM_DOWNLOADING = 5;
inline constexpr int32_t DM_DONE = 7;

class CDownloadManager {
 public:
  CDownloadManager();
  virtual ~CDownloadManager();
  CDownloadManager(const CDownloadManager&) = delete;
  CDownloadManager& operator=(const CDownloadManager&) = delete;

  // login and password replace any the url carries.
  void AddSite(const char* url, const char* login, const char* password, const char* directory,
               int32_t connectTimeout, int32_t dataTimeout);
  void AddSite(const char* url, const char* directory, int32_t connectTimeout, int32_t dataTimeout);
  void AddFile(const char* local, const char* remote, uint32_t startPosition, uint32_t downloadSize);

  // One step; 1, or 0 when the step met an error (the next call goes on).
  int Update();
  int32_t IsDone() const { return m_State == DM_DONE ? 1 : 0; }
  int32_t IsDownloadedNote();
  // Takes the oldest fetched file; local and remote are new texts for the caller to free.
  int32_t GetDownloadedNote(uint32_t& time, int32_t& hasSize, uint32_t& size, char*& local, char*& remote);
  void RemoveFinishedFile(const char* local);
  // 0 when no site is left; else every file not yet removed is fetched again from the next site.
  int32_t GotoNextSite();

  int32_t IsDownloading();
  int32_t GetDownloadHasFileSize();
  uint32_t GetDownloadFileSize();
  uint32_t GetDownloadBytesTransfered();
  int32_t GetDownloadSpeed();
  // Never null: "" while there is no client or no current file.
  const char* GetDownloadLocalFileName();
  const char* GetDownloadRemoteFileName();
  const char* GetCurrentSite() const;

  int32_t GetState() const { return m_State; }
  int32_t GetSiteCount() const { return static_cast<int32_t>(m_Sites.size()); }
  int32_t GetFileCount() const { return static_cast<int32_t>(m_Files.size()); }
  int32_t GetFinishedCount() const { return static_cast<int32_t>(m_Finished.size()); }
  const SSite* GetCurrentSiteRecord() const { return m_pCurrentSite; }
  // "url:port" of every site, in order ("" for the url of a site that did not parse).
  std::vector<std::string> GetSiteList() const;

 private:
  using TSites = std::list<std::unique_ptr<SSite>>;
  using TFiles = std::list<std::unique_ptr<SFile>>;

  int32_t Step();
  int32_t StepBuildSites();
  int32_t StepConnect();
  int32_t StepConnected();
  int32_t StepDownloading();
  // Starts the server list of the site at the cursor, or moves the cursor on.
  int32_t StartSiteList();
  // The server list has come (or not): its sites go in before the list's site, which goes.
  int32_t FinishSiteList(int32_t fetched);
  int32_t ProcessSiteList(const SSite& listSite);
  void CheckFiles();
  void DropClient();
  void AppendSite(std::unique_ptr<SSite> site);

  TSites m_Sites;
  TSites::iterator m_SiteCursor = m_Sites.end();
  TFiles m_Files;
  TFiles m_Finished;
  const SSite* m_pCurrentSite = nullptr;
  std::unique_ptr<CDownloader> m_pDownloader;
  std::unique_ptr<CDownloadClient> m_pClient;
  int32_t m_State = DM_NEW;
};

}  // namespace DownloadManager
