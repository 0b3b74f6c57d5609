// A helper program of the tests (tests/helpers/), found beside the test program and started as a
// real second process with pipes on its stdin and stdout.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CSpawnedChild {
 public:
  // program: the helper's file name, such as "osobjects_child".
  explicit CSpawnedChild(std::string program);
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
  std::string m_Program;
  pid_t m_Pid = -1;
  int m_In = -1;
  int m_Out = -1;
  std::string m_Buffer;
};
