#include "chatfixture.h"

#include <chrono>
#include <thread>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);
// The style of the lines that mark where a test's records end.
constexpr uint8_t kSyncStyle = 0x7F;
}  // namespace

std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

bool CFakeChatServer::Start() {
  if (!m_Process.StartSystemProgram("python3", {std::string(VORRIN_TEST_TOOLS_DIR) + "/fake_chat_server.py"}))
    return false;
  std::string line;
  if (!m_Process.TryReadLine(line, 10000) || line.rfind("port ", 0) != 0) return false;
  m_Port = static_cast<uint16_t>(std::stoi(line.substr(5)));
  return true;
}

void CFakeChatServer::SendRaw(const std::string& bytes) { Order("raw " + Hex(bytes)); }

std::vector<std::string> CFakeChatServer::Seen(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& e : m_Events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e.substr(prefix.size()));
  return out;
}

bool CFakeChatServer::WaitFor(const std::string& prefix, size_t count, const std::function<void()>& pump) {
  const auto end = Clock::now() + kPatience;
  while (Seen(prefix).size() < count) {
    if (Clock::now() > end) return false;
    if (pump) pump();
    std::string line;
    if (m_Process.TryReadLine(line, 2)) m_Events.push_back(line);
  }
  return true;
}

void CFakeChatServer::Drain(int ms, const std::function<void()>& pump) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    if (pump) pump();
    std::string line;
    if (m_Process.TryReadLine(line, 2)) m_Events.push_back(line);
  }
}

void CChatTest::SetUp() {
  CGuiTest::SetUp();
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
  m_pClient = std::make_unique<CChatClient>(nullptr, nullptr);
}

void CChatTest::TearDown() {
  // The link leaves the library's lists before they go.
  m_pClient.reset();
  xCommClosedown();
  CGuiTest::TearDown();
}

bool CChatTest::RunUntil(const std::function<bool()>& done, const std::function<void()>& step) {
  const auto end = Clock::now() + kPatience;
  while (!done()) {
    if (Clock::now() > end) return false;
    step();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void CChatTest::ConnectToServer(const char* channel) {
  ASSERT_TRUE(m_Server.Start());
  ASSERT_EQ(m_pClient->Startup("127.0.0.1", m_Server.Port(), 0, 0, nullptr, 0), 1);
  int32_t result = 2;
  ASSERT_TRUE(TickUntil([&] { return (result = m_pClient->Connect(7, "Bob", "member", "", 1, 0, channel)) != 2; }));
  ASSERT_EQ(result, 1);
  ASSERT_TRUE(m_Server.WaitFor("records ", 2, [&] { Tick(); }));
  // The server's answer to the join: a line and the user list.
  ASSERT_TRUE(TickUntil([&] { return m_pClient->GetUserList(0)->GetNumNodes() > 0; }));
}

std::vector<std::string> CChatTest::TakeLines() {
  std::vector<std::string> lines;
  uint8_t style = 0;
  while (char* line = m_pClient->GetNewLine(&style)) {
    if (style != kSyncStyle) lines.push_back(std::to_string(style) + ":" + line);
    xFree(line);
  }
  return lines;
}

std::vector<std::string> CChatTest::Users() {
  std::vector<std::string> users;
  for (CNode* n = m_pClient->GetUserList(0)->HeadNode(); n; n = n->m_pNext) users.emplace_back(static_cast<char*>(n->m_pData));
  return users;
}

void CChatTest::Receive(const std::string& bytes) {
  static int s_Sync = 0;
  const std::string mark = "sync " + std::to_string(++s_Sync);
  m_Server.SendRaw(bytes);
  m_Server.SendRaw(std::string(1, '\x80') + static_cast<char>(kSyncStyle) + mark + std::string(1, '\0'));
  // Lines taken while waiting are kept for TakeLines.
  ASSERT_TRUE(TickUntil([&] {
    const int32_t n = m_pClient->NumDisplayLines();
    return n > 0 && mark == m_pClient->GetDisplayLine(n - 1);
  }));
}
