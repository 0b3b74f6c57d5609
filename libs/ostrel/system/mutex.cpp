#include "ostrel/system/mutex.h"

#include <algorithm>
#include <chrono>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/waitdeadline.h"
#include "platform/os/namedmutex.h"

namespace {
// A named mutex held by another process gives no wake-up; it is tried again this often.
constexpr uint32_t kNamedPollMs = 10;
}  // namespace

CMutex::~CMutex() { Destroy(); }

int CMutex::Create(const char* name, uint32_t& status) {
  Destroy();
  status = MUTEX_FAILED;
  if (!name || !name[0]) {
    m_Local = true;
    status = MUTEX_CREATED;
    return 1;
  }
  int32_t created = 0;
  m_hNamed = PlatformNamedMutexCreate(name, &created);
  if (m_hNamed < 0) return 0;
  m_pName = xStrdup(name);
  status = created ? MUTEX_CREATED : MUTEX_EXISTED;
  return 1;
}

int CMutex::Open(const char* name) {
  Destroy();
  if (!name || !name[0]) return 0;
  m_hNamed = PlatformNamedMutexOpen(name);
  if (m_hNamed < 0) return 0;
  m_pName = xStrdup(name);
  return 1;
}

int CMutex::Destroy() {
  std::lock_guard<std::mutex> lock(m_Guard);
  int ok = 1;
  if (m_hNamed >= 0) ok = PlatformNamedMutexClose(m_hNamed);
  m_hNamed = -1;
  m_Local = false;
  m_Owner = std::thread::id();
  m_Depth = 0;
  if (m_pName) xFree(m_pName);
  m_pName = nullptr;
  m_Freed.notify_all();
  return ok;
}

// Under m_Guard: ownership for the calling thread when it can be had now.
bool CMutex::TakeLocked() {
  const std::thread::id me = std::this_thread::get_id();
  if (m_Depth > 0) {
    if (m_Owner != me) return false;
    ++m_Depth;
    return true;
  }
  if (m_hNamed >= 0 && !PlatformNamedMutexTryAcquire(m_hNamed)) return false;
  m_Owner = me;
  m_Depth = 1;
  return true;
}

int CMutex::Wait(uint32_t ms) {
  CWaitDeadline deadline(ms);
  std::unique_lock<std::mutex> lock(m_Guard);
  for (;;) {
    if (m_hNamed < 0 && !m_Local) return 0;
    if (TakeLocked()) return 1;
    int32_t left = deadline.Left();
    if (left == 0) return 0;
    if (m_Local || m_Depth > 0) {
      // Another thread of this process owns it; its Release wakes us.
      const auto wait = std::chrono::milliseconds(left < 0 ? 1000 : left);
      if (m_Freed.wait_for(lock, wait) == std::cv_status::timeout && left >= 0) return TakeLocked() ? 1 : 0;
    } else {
      lock.unlock();
      xSleep(left < 0 ? kNamedPollMs : std::min<uint32_t>(kNamedPollMs, static_cast<uint32_t>(left)));
      lock.lock();
    }
  }
}

int CMutex::Release() {
  std::lock_guard<std::mutex> lock(m_Guard);
  if (m_hNamed < 0 && !m_Local) return 1;
  if (m_Depth == 0 || m_Owner != std::this_thread::get_id()) return 0;
  if (--m_Depth > 0) return 1;
  m_Owner = std::thread::id();
  int ok = m_hNamed >= 0 ? PlatformNamedMutexRelease(m_hNamed) : 1;
  m_Freed.notify_all();
  return ok;
}
