// A small helper program of the tests (tests/peers/<name>.cpp) run as a real child process, with
// its standard output read back line by line.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CPeerProcess {
 public:
  CPeerProcess() = default;
  ~CPeerProcess();
  CPeerProcess(const CPeerProcess&) = delete;
  CPeerProcess& operator=(const CPeerProcess&) = delete;

  // Where the build puts peer program name ("winpeer" -> ".../peer_winpeer").
  static std::string Path(const char* name);

  bool Start(const std::string& program, const std::vector<std::string>& args);
  // The next line of output (without its line feed); false at its end or after waitMs of
  // silence, which only a broken peer takes.
  bool ReadLine(std::string& line, int waitMs = 10000);
  // Reads lines up to and including one equal to want; false when it never comes.
  bool WaitFor(const std::string& want, int waitMs = 10000);
  void Signal(int sig);
  // Waits for the end; the wait status.
  int Wait();
  pid_t Pid() const { return m_Pid; }

 private:
  pid_t m_Pid = -1;
  int m_Out = -1;
  std::string m_Buffer;
};
