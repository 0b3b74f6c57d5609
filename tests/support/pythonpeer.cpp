#include "support/pythonpeer.h"

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;
// Generous: the machines that run the suite are often loaded.
constexpr auto kPatience = std::chrono::seconds(30);
}  // namespace

bool CPythonPeer::Start(const std::string& script, const std::vector<std::string>& args) {
  m_Port = m_Process.StartListeningPeer(script, args);
  return m_Port != 0;
}

std::vector<std::string> CPythonPeer::Seen(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& e : m_Events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
  return out;
}

void CPythonPeer::ReadOne(int ms) {
  std::string line;
  if (m_Process.TryReadLine(line, ms)) m_Events.push_back(line);
}

bool CPythonPeer::WaitFor(const std::string& prefix, size_t count, const std::function<void()>& pump) {
  const auto end = Clock::now() + kPatience;
  while (Seen(prefix).size() < count) {
    if (Clock::now() > end) return false;
    if (pump) pump();
    ReadOne(pump ? 2 : 50);
  }
  return true;
}

void CPythonPeer::Drain(int ms, const std::function<void()>& pump) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    if (pump) pump();
    ReadOne(pump ? 2 : 5);
  }
}
