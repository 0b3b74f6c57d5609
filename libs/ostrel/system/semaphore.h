// A counting semaphore between the threads of this process.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class CSemaphoreBase {
 public:
  virtual ~CSemaphoreBase() = default;
  virtual int Create(uint32_t count) = 0;
  virtual int Destroy() = 0;
  virtual int Wait() = 0;
  virtual int Release() = 0;
};

class CSemaphore : public CSemaphoreBase {
 public:
  CSemaphore() = default;
  ~CSemaphore() override;
  CSemaphore(const CSemaphore&) = delete;
  CSemaphore& operator=(const CSemaphore&) = delete;

  // Destroys what was held; count is both the initial and the highest count. 0 for a count of 0.
  int Create(uint32_t count) override;
  // 0 when there is none; waiting threads return 0.
  int Destroy() override;
  // Takes one, waiting without limit; 0 without a semaphore.
  int Wait() override;
  // Gives one back; 0 without a semaphore or when the count is at its highest already.
  int Release() override;

 private:
  std::mutex m_Lock;
  std::condition_variable m_Changed;
  bool m_Exists = false;
  uint32_t m_Count = 0;
  uint32_t m_Max = 0;
};
