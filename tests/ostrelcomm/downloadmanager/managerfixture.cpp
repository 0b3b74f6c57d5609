#include "managerfixture.h"

#include <chrono>
#include <thread>

#include "ostrel/base/types.h"

void DownloadManagerTest::SetUp() { CDownloadClient::SetLogSwitch(1); }

void DownloadManagerTest::TearDown() {
  m_pManager.reset();
  CDownloadClient::SetLogSwitch(0);
}

SManagerRun DownloadManagerTest::Run(bool remove, int maxSteps) {
  SManagerRun run;
  DownloadManager::CDownloadManager& manager = *m_pManager;
  for (int i = 0; i < maxSteps && !run.m_Done; ++i) {
    if (!manager.Update()) ++run.m_Failed;
    if (const DownloadManager::SSite* site = manager.GetCurrentSiteRecord(); site && site->m_pUrl) {
      const std::string name = SiteName(site->m_pUrl, site->m_Port);
      if (run.m_Sites.empty() || run.m_Sites.back() != name) run.m_Sites.push_back(name);
    }
    for (SDownloadNote& note : TakeDownloadNotes(manager)) {
      if (remove) manager.RemoveFinishedFile(note.m_Local.c_str());
      run.m_Notes.push_back(std::move(note));
    }
    run.m_Done = manager.IsDone();
    m_Clock.Advance(1);
    // The servers run in other processes: give them a moment between frames.
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return run;
}

int DownloadManagerTest::LogCount(const std::string& text) const {
  const std::string log = Log();
  int count = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
  return count;
}

std::string SiteName(const std::string& url, uint16_t port) { return url + ":" + std::to_string(port); }

std::string Loopback(const char* scheme, uint16_t port) {
  return std::string(scheme) + "127.0.0.1:" + std::to_string(port);
}
