// tests/tools/fake_manager.py, a manager process on 127.0.0.1, run as a process of its own:
// orders go to it as lines, its events come back as lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/pythonpeer.h"

class CFakeManager : public CPythonPeer {
 public:
  bool Start();
  // A manager text: the command and its strings.
  void Send(const std::vector<std::string>& words);
  // The texts the table sent, decoded: "CMD|string|string"; "!nonul" or "!trailing" after a
  // text that lacks its NUL or has bytes behind it.
  std::vector<std::string> Texts() const;
};
