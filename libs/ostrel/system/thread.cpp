#include "ostrel/system/thread.h"

#include <system_error>

namespace {
bool IsCurrentThread(const std::atomic<std::thread::id>& id) { return id.load() == std::this_thread::get_id(); }
}  // namespace

CThread::~CThread() {
  if (IsCurrentThread(m_WorkerId)) {
    // Deleted by its own worker: nothing can wait for the end, so let it finish alone.
    m_Running.store(0);
    m_Thread.detach();
    return;
  }
  Stop();
}

int CThread::Start(int) {
  if (m_Running.load()) return 1;
  if (IsCurrentThread(m_WorkerId)) return 0;
  if (m_Thread.joinable()) m_Thread.join();
  m_Running.store(1);
  try {
    m_Thread = std::thread(&CThread::Run, this);
  } catch (const std::system_error&) {
    m_Running.store(0);
    return 0;
  }
  return 1;
}

int CThread::Stop() {
  if (IsCurrentThread(m_WorkerId)) return 0;
  if (!m_Thread.joinable()) return 1;
  m_Running.store(0);
  try {
    m_Thread.join();
  } catch (const std::system_error&) {
    return 0;
  }
  return 1;
}

void CThread::Run() {
  m_WorkerId.store(std::this_thread::get_id());
  while (m_Running.load()) {
    if (!ThreadCallback(nullptr)) {
      m_Running.store(0);
      m_ExitCode.store(0);
      return;
    }
  }
  m_ExitCode.store(1);
}
