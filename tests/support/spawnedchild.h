// A helper program of the tests (tests/helpers/<name>.cpp, built beside the test program), or a
// program of the system such as openssl, started as a real second process with pipes on its stdin
// and stdout.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class CSpawnedChild {
 public:
  CSpawnedChild() = default;
  // Kills a child that still runs.
  ~CSpawnedChild();
  CSpawnedChild(const CSpawnedChild&) = delete;
  CSpawnedChild& operator=(const CSpawnedChild&) = delete;

  // The operating-system objects' helper, osobjects_child.
  bool Start(const std::vector<std::string>& args);
  bool StartProgram(const std::string& name, const std::vector<std::string>& args);
  // A program looked up on PATH; what it writes to stderr is dropped.
  bool StartSystemProgram(const std::string& name, const std::vector<std::string>& args);
  // A Python peer that prints "port N" once it listens; its port, or 0 when it did not start.
  uint16_t StartListeningPeer(const std::string& script, const std::vector<std::string>& args = {});
  // The next line it printed, without the line feed; "<eof>" when it closed its output.
  std::string ReadLine();
  // The same without blocking for more than ms (-1: for ever); false when no whole line came.
  bool TryReadLine(std::string& line, int ms);
  // Reads lines up to one equal to want; false when the output ends first.
  bool WaitFor(const std::string& want);
  void WriteLine(const std::string& line);
  // Bytes as they are; false when the child no longer reads.
  bool Write(const std::string& bytes);
  // Up to size bytes of its output, waiting at most ms for them; fewer when it ends or is slow.
  std::string ReadBytes(size_t size, int ms);
  // Closes its stdin, which ends the modes that wait for orders.
  void CloseInput();
  // Sends the signal and reaps the child.
  void Kill(int signal);
  // Waits for the end; the exit code, or 128 + the signal.
  int Wait();
  pid_t Pid() const { return m_Pid; }

 private:
  bool Spawn(const std::string& program, const std::vector<std::string>& args, bool systemProgram);

  pid_t m_Pid = -1;
  int m_In = -1;
  int m_Out = -1;
  std::string m_Buffer;
};
