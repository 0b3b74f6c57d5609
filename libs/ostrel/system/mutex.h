// Mutexes: named ones are shared between processes (a running program finds another instance
// through Create's status), unnamed ones between the threads of this process. Ownership belongs
// to a thread and nests: the owner may Wait again and Releases as often.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class CMutexBase {
 public:
  virtual ~CMutexBase() = default;
  virtual int Create(const char* name, uint32_t& status) = 0;
  virtual int Open(const char* name) = 0;
  virtual int Destroy() = 0;
  virtual int Wait(uint32_t ms) = 0;
  virtual int Release() = 0;
  virtual const char* GetName() = 0;
};

inline constexpr uint32_t MUTEX_FAILED = 0;
inline constexpr uint32_t MUTEX_CREATED = 1;
inline constexpr uint32_t MUTEX_EXISTED = 2;

class CMutex : public CMutexBase {
 public:
  CMutex() = default;
  ~CMutex() override;
  CMutex(const CMutex&) = delete;
  CMutex& operator=(const CMutex&) = delete;

  // Destroys what was held, then makes the mutex, not owned. A null or empty name makes an
  // unnamed one. status: 1 created, 2 a mutex of that name existed already, 0 failure.
  int Create(const char* name, uint32_t& status) override;
  // Opens a named mutex that some handle (of any process) has open; 0 when there is none.
  int Open(const char* name) override;
  int Destroy() override;
  // 1 when ownership was had within ms milliseconds (0xFFFFFFFF: no limit); 0 without a mutex
  // or on time-out.
  int Wait(uint32_t ms) override;
  // 1 without a mutex; 0 when the calling thread does not own it.
  int Release() override;
  // The name it was made or opened with; null for an unnamed mutex or none.
  const char* GetName() override { return m_pName; }

 private:
  bool TakeLocked();

  // Named: the platform's lock-file handle. Unnamed: m_Local.
  int m_hNamed = -1;
  bool m_Local = false;
  char* m_pName = nullptr;

  std::mutex m_Guard;
  std::condition_variable m_Freed;
  std::thread::id m_Owner;
  uint32_t m_Depth = 0;
};
