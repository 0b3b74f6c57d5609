// A server list as a server sends it: every site it yields must be one that reads back the same
// way, with a host, no login or port left in its url, and the list's directory.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/base/xstring.h"
#include "ostrelcomm/download/downloadmanager.h"

using namespace DownloadManager;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > SERVERLIST_MAX_BYTES) return 0;
  SSite list;
  list.m_pDirectory = xStrdup("games/");
  std::vector<std::unique_ptr<SSite>> sites;
  const int32_t skipped = ParseServerList(reinterpret_cast<const char*>(data), size, list, sites);
  if (skipped < 0 || sites.size() > SERVERLIST_MAX_SITES) abort();
  for (const auto& site : sites) {
    if (!site->m_pUrl || !*site->m_pUrl || std::strlen(site->m_pUrl) > SERVERLIST_MAX_LINE) abort();
    if (!site->m_pDirectory || std::strcmp(site->m_pDirectory, "games/") != 0) abort();
    if ((site->m_pLoginName == nullptr) != (site->m_pPassword == nullptr)) abort();
    if (site->ConnectHost().find_first_of(":/") != std::string::npos) abort();
    // The url, with its login and port put back, parses to the same site (unless a ":" in a
    // path would be read as the port).
    std::string text = site->m_pUrl;
    const char* mark = std::strstr(site->m_pUrl, "://");
    const size_t hostAt = mark ? static_cast<size_t>(mark + 3 - site->m_pUrl) : 0;
    if (text.find(':', hostAt) != std::string::npos) continue;
    if (site->m_pLoginName) text.insert(hostAt, std::string(site->m_pLoginName) + ":" + site->m_pPassword + "@");
    if (site->m_Port) {
      const size_t slash = text.find('/', text.find('@', hostAt) == std::string::npos ? hostAt : text.find('@', hostAt));
      text.insert(slash == std::string::npos ? text.size() : slash, ":" + std::to_string(site->m_Port));
    }
    SSite again;
    if (again.ParseURL(text.c_str()) != DOWNLOAD_OK || std::strcmp(again.m_pUrl, site->m_pUrl) != 0 ||
        again.m_Port != site->m_Port)
      abort();
  }
  return 0;
}
