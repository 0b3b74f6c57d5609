// A peer of the tests written in Python (tests/tools), run as a process of its own: it prints
// "port N" once it listens, takes orders as lines and reports its events as lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/spawnedchild.h"

class CPythonPeer {
 public:
  bool Start(const std::string& script, const std::vector<std::string>& args = {});
  uint16_t Port() const { return m_Port; }
  void Order(const std::string& line) { m_Process.WriteLine(line); }
  // Events read so far that begin with prefix (without it), oldest first.
  std::vector<std::string> Seen(const std::string& prefix) const;
  // Reads events, running pump between the reads, until count events with the prefix were seen
  // (true) or half a minute passed (false).
  bool WaitFor(const std::string& prefix, size_t count = 1, const std::function<void()>& pump = {});
  // Reads events for ms milliseconds of real time, running pump meanwhile.
  void Drain(int ms, const std::function<void()>& pump = {});
  void Forget() { m_Events.clear(); }

 private:
  void ReadOne(int ms);

  CSpawnedChild m_Process;
  uint16_t m_Port = 0;
  std::vector<std::string> m_Events;
};
