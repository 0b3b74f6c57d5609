#include "fakemanager.h"

#include <chrono>
#include <sstream>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

std::string FromHex(const std::string& hex) {
  if (hex == "-") return "";
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}
}  // namespace

bool CFakeManager::Start() {
  if (!m_Process.StartSystemProgram("python3", {std::string(VORRIN_TEST_TOOLS_DIR) + "/fake_manager.py"})) return false;
  std::string line;
  if (!m_Process.TryReadLine(line, 10000) || line.rfind("port ", 0) != 0) return false;
  m_Port = static_cast<uint16_t>(std::stoi(line.substr(5)));
  return true;
}

void CFakeManager::Send(const std::vector<std::string>& words) {
  std::string line = "send";
  for (const std::string& w : words) line += " " + (w.empty() ? std::string("-") : w);
  Order(line);
}

std::vector<std::string> CFakeManager::Seen(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& e : m_Events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
  return out;
}

std::vector<std::string> CFakeManager::Texts() const {
  std::vector<std::string> out;
  for (const std::string& e : m_Events) {
    if (e.rfind("text", 0) != 0) continue;
    std::istringstream words(e);
    std::string kind, word, text;
    words >> kind;
    for (bool first = true; words >> word; first = false) text += (first ? "" : "|") + FromHex(word);
    if (kind == "text-nonul") text += "!nonul";
    if (kind == "text-trailing") text += "!trailing";
    out.push_back(text);
  }
  return out;
}

bool CFakeManager::WaitFor(const std::string& prefix, size_t count, const std::function<void()>& pump) {
  const auto end = Clock::now() + kPatience;
  while (Seen(prefix).size() < count) {
    if (Clock::now() > end) return false;
    if (pump) pump();
    std::string line;
    if (m_Process.TryReadLine(line, 2)) m_Events.push_back(line);
  }
  return true;
}

void CFakeManager::Drain(int ms, const std::function<void()>& pump) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    if (pump) pump();
    std::string line;
    if (m_Process.TryReadLine(line, 2)) m_Events.push_back(line);
  }
}
