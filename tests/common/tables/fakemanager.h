// tests/tools/fake_manager.py, a manager process on 127.0.0.1, run as a process of its own:
// orders go to it as lines, its events come back as lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/spawnedchild.h"

class CFakeManager {
 public:
  bool Start();
  uint16_t Port() const { return m_Port; }
  void Order(const std::string& line) { m_Process.WriteLine(line); }
  // A manager text: the command and its strings.
  void Send(const std::vector<std::string>& words);
  // Events read so far that begin with prefix (without it), oldest first.
  std::vector<std::string> Seen(const std::string& prefix) const;
  // The texts the table sent, decoded: "CMD|string|string"; "!nonul" or "!trailing" after a
  // text that lacks its NUL or has bytes behind it.
  std::vector<std::string> Texts() const;
  // Reads events, running pump between the reads, until count events with the prefix were seen
  // (true) or a few seconds passed (false).
  bool WaitFor(const std::string& prefix, size_t count, const std::function<void()>& pump);
  // Reads events for ms milliseconds of real time, running pump meanwhile.
  void Drain(int ms, const std::function<void()>& pump);
  void Forget() { m_Events.clear(); }

 private:
  CSpawnedChild m_Process;
  uint16_t m_Port = 0;
  std::vector<std::string> m_Events;
};
