// A worker thread that runs a step again and again. This is the one place that starts threads;
// a step takes its own locks (CMutex) for whatever it shares with the main loop.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

class CThreadBase {
 public:
  virtual ~CThreadBase() = default;
  virtual int Start(int arg) = 0;
  virtual int Stop() = 0;
  virtual int Running() = 0;
  // The work step, run on the worker thread; returning 0 ends the thread.
  virtual int ThreadCallback(void* arg) = 0;
};

class CThread : public CThreadBase {
 public:
  CThread() = default;
  // Stops the worker. A subclass must Stop in its own destructor: by the time this one runs the
  // subclass's step is gone.
  ~CThread() override;
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  // Starts the worker (the argument is not used). 1 at once when the worker runs already; a
  // worker that ended by itself is joined first. 0 when no thread can be made.
  int Start(int arg) override;
  // Clears the flag and waits for the worker to end; 1 when there is none. 0 from the worker's
  // own thread, which cannot wait for itself.
  int Stop() override;
  int Running() override { return m_Running.load(); }
  // 0 when the last worker ended because its step returned 0, 1 when it was stopped.
  int ExitCode() const { return m_ExitCode.load(); }

 protected:
  // For a step that decides under its own lock that this is its last run: Running() turns 0
  // before the lock is let go, so an owner who checks Running() under the same lock starts a
  // fresh worker instead of relying on this one.
  void EndAfterThisStep() { m_Running.store(0); }

 private:
  void Run();

  std::thread m_Thread;
  // Set by the worker itself as it starts: the worker may call Stop before Start has finished
  // storing m_Thread, so m_Thread cannot tell it apart.
  std::atomic<std::thread::id> m_WorkerId{};
  std::atomic<int> m_Running{0};
  std::atomic<int> m_ExitCode{0};
};
