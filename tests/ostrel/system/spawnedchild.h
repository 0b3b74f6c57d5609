// The helper program of the operating-system object tests (tests/helpers/osobjects_child.cpp),
// started as a real second process with pipes on its stdin and stdout.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CSpawnedChild {
 public:
  CSpawnedChild() = default;
  // Kills a child that still runs.
  ~CSpawnedChild();
  CSpawnedChild(const CSpawnedChild&) = delete;
  CSpawnedChild& operator=(const CSpawnedChild&) = delete;

  bool Start(const std::vector<std::string>& args);
  // The next line it printed, without the line feed; "<eof>" when it closed its output.
  std::string ReadLine();
  void WriteLine(const std::string& line);
  // Closes its stdin, which ends the modes that wait for orders.
  void CloseInput();
  // Sends the signal and reaps the child.
  void Kill(int signal);
  // Waits for the end; the exit code, or 128 + the signal.
  int Wait();

 private:
  pid_t m_Pid = -1;
  int m_In = -1;
  int m_Out = -1;
  std::string m_Buffer;
};
