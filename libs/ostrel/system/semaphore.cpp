#include "ostrel/system/semaphore.h"

CSemaphore::~CSemaphore() { Destroy(); }

int CSemaphore::Create(uint32_t count) {
  Destroy();
  if (count == 0) return 0;
  std::lock_guard<std::mutex> lock(m_Lock);
  m_Exists = true;
  m_Count = count;
  m_Max = count;
  return 1;
}

int CSemaphore::Destroy() {
  std::lock_guard<std::mutex> lock(m_Lock);
  if (!m_Exists) return 0;
  m_Exists = false;
  m_Count = 0;
  m_Changed.notify_all();
  return 1;
}

int CSemaphore::Wait() {
  std::unique_lock<std::mutex> lock(m_Lock);
  m_Changed.wait(lock, [this] { return !m_Exists || m_Count > 0; });
  if (!m_Exists) return 0;
  --m_Count;
  return 1;
}

int CSemaphore::Release() {
  std::lock_guard<std::mutex> lock(m_Lock);
  if (!m_Exists || m_Count >= m_Max) return 0;
  ++m_Count;
  m_Changed.notify_one();
  return 1;
}
