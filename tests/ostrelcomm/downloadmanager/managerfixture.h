// A download manager in a fresh working folder with the download log on, stepped frame by frame
// on a test clock against real servers on 127.0.0.1.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ostrelcomm/download/downloadmanager.h"
#include "support/downloadnotes.h"
#include "support/tempdir.h"
#include "support/testclock.h"

using SManagerNote = SDownloadNote;

// What a run of the manager saw.
struct SManagerRun {
  bool m_Done = false;
  int m_Failed = 0;                   // updates that returned 0
  std::vector<std::string> m_Sites;   // "url:port" of each site it went to, in order
  std::vector<SManagerNote> m_Notes;  // every note taken
};

class DownloadManagerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Updates until the manager is done or maxSteps have run, taking every note as it comes and,
  // with remove set, removing its file.
  SManagerRun Run(bool remove = true, int maxSteps = 50000);
  std::string Log() const { return ReadWholeFile(m_Dir.File(DOWNLOAD_LOG_NAME)); }
  int LogCount(const std::string& text) const;
  std::string Local(const std::string& name) const { return m_Dir.File(name); }

  CTestClock m_Clock{1000};
  CTempDir m_Dir;
  CWorkingDir m_Work{m_Dir.Path()};
  std::unique_ptr<DownloadManager::CDownloadManager> m_pManager =
      std::make_unique<DownloadManager::CDownloadManager>();
};

// "url:port" as the manager's site list shows a site.
std::string SiteName(const std::string& url, uint16_t port);
// "scheme://127.0.0.1:port".
std::string Loopback(const char* scheme, uint16_t port);
