#include "casino/connection/clientdownloadmanager.h"

#include <string_view>

namespace {
std::string_view Comparable(std::string_view name) {
  if (!name.empty() && name.front() == '.') name.remove_prefix(1);
  if (!name.empty() && name.front() == '/') name.remove_prefix(1);
  return name;
}
}  // namespace

void CClientDownloadManager::AddExpectedFile(const char* local, const char* remote, uint32_t expectedSize) {
  if (!local || !remote) return;
  AddFile(local, remote, 0, 0);
  m_Expected.push_back({remote, expectedSize});
}

uint32_t CClientDownloadManager::ExpectedSize(const char* remote) const {
  if (!remote) return 0;
  for (const SExpected& e : m_Expected)
    if (Comparable(e.m_Name) == Comparable(remote)) return e.m_Size;
  return 0;
}

uint32_t CClientDownloadManager::ExpectedTotal() const {
  uint64_t total = 0;
  for (const SExpected& e : m_Expected) total += e.m_Size;
  return total > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(total);
}

uint32_t CClientDownloadManager::CurrentFileSize() {
  if (GetDownloadHasFileSize()) return GetDownloadFileSize();
  return ExpectedSize(GetDownloadRemoteFileName());
}
