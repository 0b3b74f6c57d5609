#include "common/chat/chatclient.h"

#include "common/chat/cmdstring.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrelcomm/commtcp.h"

namespace {
constexpr const char* kIgnoreAdded = "\"%s\" added to the ignore list";
constexpr const char* kIgnoreRemoved = "Removed \"%s\" from the ignore list";
constexpr const char* kStarted = "Chat client v1.0 initialized...";
// Each text of the connect command stands between two of these.
constexpr char kConnectQuote = 1;
}  // namespace

CChatClient::CChatClient(const char* ignoreAddedFormat, const char* ignoreRemovedFormat)
    : m_IgnoreAddedFormat(ignoreAddedFormat ? ignoreAddedFormat : kIgnoreAdded),
      m_IgnoreRemovedFormat(ignoreRemovedFormat ? ignoreRemovedFormat : kIgnoreRemoved) {}

CChatClient::~CChatClient() {
  m_pComm.reset();
  m_Users.KillAllData();
}

int32_t CChatClient::Startup(const char* host, int32_t port, int32_t useProxy, int32_t proxyEncrypted,
                             const char* proxyHost, int32_t proxyPort) {
  m_pComm.reset();
  if (!host || port <= 0 || port > 65535) return 0;
  m_pComm = std::make_unique<CCommRemoteClient>();
  CCommRemoteClient& link = *m_pComm;
  link.SetPingClient(0);
  link.SetPingServer(1);
  if (!link.SetRemoteLocation(host, static_cast<uint32_t>(port))) return 0;
  link.SetPacketTypes(1, 0);
  // The log stays off; the name is only what it would be written to.
  if (!link.SetLogFileName(CHAT_LINK_LOG)) return 0;
  link.SetLog(0);
  if (!link.SetObjName(CHAT_LINK_NAME)) return 0;
  if (useProxy == 1) {
    if (proxyPort <= 0 || !link.SetProxy(proxyHost, static_cast<uint32_t>(proxyPort))) return 0;
    if (proxyEncrypted == 1 && !link.SetEncryption(1)) return 0;
  }
  if (!link.Startup() || !link.Connect()) return 0;
  m_Port = port;
  ShowLine(CHAT_STYLE_CLIENT, kStarted);
  ShowLine(CHAT_STYLE_CLIENT, "");
  return 1;
}

int32_t CChatClient::IsConnected() const { return m_pComm && m_pComm->IsConnected(); }

int32_t CChatClient::Connect(int32_t /*playerId*/, const char* a, const char* b, const char* c, int32_t join,
                             int32_t alreadyConnected, const char* channel) {
  if (!m_pComm) return 0;
  if (!alreadyConnected && !m_pComm->IsConnected() && m_pComm->NonBlockedConnectHandler() &&
      !m_pComm->IsConnected())
    return 2;
  if (!m_pComm->IsConnected() || !a) return 0;
  std::string text = "/connect ";
  const char* parts[3] = {a, b ? b : "", c ? c : ""};
  for (int i = 0; i < 3; ++i) {
    if (i) text += ' ';
    text += kConnectQuote;
    text += parts[i];
    text += kConnectQuote;
  }
  if (!QueueCommand(text)) return 0;
  if (join) QueueCommand(std::string("/join ") + (channel && *channel ? channel : CHAT_DEFAULT_CHANNEL));
  return 1;
}

int32_t CChatClient::Ticker() {
  if (!IsConnected()) return 0;
  void* data = nullptr;
  uint32_t size = 0;
  if (m_pComm->RecvRawData(data, size)) {
    ReceivePacket(data, size);
    xFree(data);
  }
  ReadReceived();
  SendQueued();
  m_pComm->NonBlockedHandler();
  return IsConnected();
}

void CChatClient::SendQueued() {
  while (!m_Outgoing.empty()) {
    CCmdString& cmd = *m_Outgoing.front();
    // The end record stays home: the packet's own length ends the string on the wire.
    const uint32_t size = cmd.IsTerminated() ? cmd.GetLength() - 1 : cmd.GetLength();
    if (!m_pComm->SendRawData(cmd.GetCmdString(), size)) return;
    m_Outgoing.pop_front();
  }
}

int32_t CChatClient::QueueCommand(const std::string& text) {
  auto cmd = std::make_unique<CCmdString>();
  if (!cmd->AddValueCmd(m_LineValue) || !cmd->AddTextRecord(CHATCMD_TEXT, text.c_str())) return 0;
  m_Outgoing.push_back(std::move(cmd));
  return 1;
}

int32_t CChatClient::ChangeChannel(const char* name) {
  const size_t length = name ? xStrlen(name) : 0;
  if (length < 1 || length > CHAT_MAX_CHANNEL) return 0;
  if (!QueueCommand(std::string("/join ") + name)) return 0;
  ClearUsers();
  return 1;
}

void CChatClient::ShowLine(uint8_t style, const std::string& text) {
  m_DisplayLines.push_back({style, text});
  if (m_DisplayLines.size() > static_cast<size_t>(CHAT_MAX_DISPLAY_LINES)) m_DisplayLines.pop_front();
}

char* CChatClient::GetNewLine(uint8_t* style) {
  if (m_DisplayLines.empty()) return nullptr;
  const SDisplayLine& line = m_DisplayLines.front();
  char* copy = xStrdup(line.m_Text.c_str());
  if (!copy) return nullptr;
  if (style) *style = line.m_Style;
  AddHistory(line.m_Text);
  m_DisplayLines.pop_front();
  return copy;
}

const char* CChatClient::GetDisplayLine(int32_t i, uint8_t* style) const {
  if (i < 0 || static_cast<size_t>(i) >= m_DisplayLines.size()) return nullptr;
  const SDisplayLine& line = m_DisplayLines[static_cast<size_t>(i)];
  if (style) *style = line.m_Style;
  return line.m_Text.c_str();
}

void CChatClient::AddHistory(const std::string& text) {
  m_History.push_back(text);
  if (m_History.size() > static_cast<size_t>(CHAT_MAX_HISTORY)) m_History.pop_front();
  m_HistoryPos = m_History.size();
}

const char* CChatClient::GetPrevHistory() {
  if (m_History.empty()) return nullptr;
  if (m_HistoryPos > 0) --m_HistoryPos;
  return m_History[m_HistoryPos].c_str();
}

const char* CChatClient::GetNextHistory() {
  if (m_History.empty()) return nullptr;
  m_HistoryPos = m_HistoryPos + 1 < m_History.size() ? m_HistoryPos + 1 : m_History.size() - 1;
  return m_History[m_HistoryPos].c_str();
}

CLList* CChatClient::GetUserList(int32_t onlyIfChanged) {
  if (onlyIfChanged) {
    if (!m_UsersChanged) return nullptr;
    m_UsersChanged = 0;
  }
  return &m_Users;
}

int32_t CChatClient::IsIgnored(const char* name) const {
  if (!name) return 0;
  for (const std::string& ignored : m_Ignored)
    if (ignored == name) return 1;
  return 0;
}

int32_t CChatClient::Ignore(const char* name) {
  if (!name || !*name || IsIgnored(name)) return 0;
  m_Ignored.emplace_back(name);
  m_UsersChanged = 1;
  QueueCommand(std::string("/ignore ") + name);
  return 1;
}

int32_t CChatClient::UnIgnore(const char* name) {
  if (!name) return 0;
  for (auto it = m_Ignored.begin(); it != m_Ignored.end(); ++it) {
    if (*it != name) continue;
    m_Ignored.erase(it);
    m_UsersChanged = 1;
    QueueCommand(std::string("/unignore ") + name);
    return 1;
  }
  return 0;
}

int32_t CChatClient::IgnoreAll(int32_t flag) {
  const int32_t previous = m_IgnoreAll;
  m_IgnoreAll = flag;
  return previous;
}

void CChatClient::ClearAllData() {
  m_DisplayLines.clear();
  m_Received.clear();
  m_Outgoing.clear();
  m_History.clear();
  m_HistoryPos = 0;
}
