// The client's download manager: the landed manager, which also knows the sizes the module list
// expects of its files, for the files whose server gives none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ostrelcomm/download/downloadmanager.h"

class CClientDownloadManager : public DownloadManager::CDownloadManager {
 public:
  // A file to fetch under remote name, with the size the list gives it.
  void AddExpectedFile(const char* local, const char* remote, uint32_t expectedSize);

  // The size the list gives a remote name; names are compared after dropping one leading "."
  // and then one leading "/". 0 for a name the list does not hold.
  uint32_t ExpectedSize(const char* remote) const;
  uint32_t ExpectedTotal() const;
  // The size of the file in transfer: the server's, else the list's; 0 when neither knows it.
  uint32_t CurrentFileSize();

 private:
  struct SExpected {
    std::string m_Name;
    uint32_t m_Size;
  };
  std::vector<SExpected> m_Expected;
};
