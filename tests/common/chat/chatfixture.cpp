#include "chatfixture.h"

#include <chrono>
#include <thread>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(30);
// The style of the lines that mark where a test's records end.
constexpr uint8_t kSyncStyle = 0x7F;
}  // namespace


bool CFakeChatServer::Start() {
  return CPythonPeer::Start(std::string(VORRIN_TEST_TOOLS_DIR) + "/fake_chat_server.py");
}

void CFakeChatServer::SendRaw(const std::string& bytes) { Order("raw " + Hex(bytes)); }




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
