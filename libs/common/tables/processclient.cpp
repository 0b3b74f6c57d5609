#include "common/tables/processclient.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "common/tables/tablebase.h"
#include "common/tables/tablelog.h"
#include "ostrel/base/types.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/packet.h"

namespace {
// The most recently constructed link; the log hooks read its log value from it.
CProcessClient* g_pCurrent = nullptr;
}  // namespace

CProcessClient::CProcessClient() { g_pCurrent = this; }

CProcessClient::~CProcessClient() {
  if (g_pCurrent == this) g_pCurrent = nullptr;
  if (!m_pLink) return;
  const uint32_t start = xGetTime();
  while (m_pLink->IsConnected() && !m_pLink->IsFlushed() && xTimeDiff(start, xGetTime()) < PROCESSCLIENT_FLUSH_MS) {
    m_pLink->NonBlockedHandler();
    xHandler();
    xSleep(1);
  }
  m_pLink->Disconnect();
  m_pLink->Closedown();
  delete m_pLink;
}

CProcessClient* CProcessClient::GetCurrent() { return g_pCurrent; }

void CProcessClient::SetManagerIPPort(const char* host, int32_t port) {
  m_pManagerHost = host;
  m_ManagerPort = static_cast<uint32_t>(port);
}

int32_t CProcessClient::SetCommLog(int32_t on, const char* fileName) {
  m_Log = on;
  m_LogFileNameSet = fileName != nullptr;
  m_LogFileName = fileName ? fileName : "";
  return 1;
}

int32_t CProcessClient::Initialize(int32_t processId, int32_t type, int32_t logValue, uint16_t listenPort) {
  if (m_pLink || (type != PROCESSCLIENT_USERPROCESS && type != PROCESSCLIENT_TABLEPROCESS) || !m_pManagerHost ||
      !m_pManagerHost[0] || m_ManagerPort == 0 || m_ManagerPort > 65535) {
    xprintf("CProcessClient::Initialize: type %d, manager %s:%u cannot be used", type,
            m_pManagerHost ? m_pManagerHost : "(none)", m_ManagerPort);
    return 0;
  }
  m_pLink = new (std::nothrow) CCommRemoteClient;
  if (!m_pLink) return 0;
  m_pLink->SetPacketTypes(1, 0);
  if (m_Log) {
    if (!m_pLink->SetLogFileName(m_LogFileNameSet ? m_LogFileName.c_str() : nullptr)) return 0;
    m_pLink->SetLog(1);
  }
  if (!m_pLink->SetObjName(PROCESSCLIENT_OBJNAME) || !m_pLink->Startup() ||
      !m_pLink->SetRemoteLocation(m_pManagerHost, m_ManagerPort) || !m_pLink->Connect()) {
    xprintf("CProcessClient::Initialize: the link to %s:%u could not be started", m_pManagerHost, m_ManagerPort);
    return 0;
  }
  m_pLink->BlockedConnectHandler(PROCESSCLIENT_CONNECT_MS);
  if (!m_pLink->IsConnected()) {
    xprintf("CProcessClient::Initialize: no connection to %s:%u", m_pManagerHost, m_ManagerPort);
    return 0;
  }
  m_ProcessId = static_cast<uint32_t>(processId);
  m_ProcessType = type;
  m_LogValue = logValue;
  m_ListenPort = listenPort;
  if (!SendId()) return 0;
  m_pLink->SetPacketCallbackSend(SendHook);
  m_pLink->SetPacketCallbackRecv(RecvHook);
  return 1;
}

int32_t CProcessClient::SendId() {
  char text[PROCESSCLIENT_ID_TEXT_SIZE];
  const int length = snprintf(text, sizeof text,
                              m_ProcessType == PROCESSCLIENT_TABLEPROCESS ? MANAGER_TABLEPROCESSID_FORMAT
                                                                          : MANAGER_USERPROCESSID_FORMAT,
                              static_cast<long>(static_cast<int32_t>(m_ProcessId)), m_ListenPort);
  if (length < 0 || static_cast<size_t>(length) >= sizeof text) return 0;
  return m_pLink && m_pLink->SendRawData(text, static_cast<uint32_t>(length) + 1);
}

void CProcessClient::Ticker() {
  if (!m_pLink || !m_pLink->IsConnected()) {
    m_Running = 0;
    return;
  }
  m_pLink->NonBlockedHandler();
  if (!m_pLink->IsConnected()) {
    m_Running = 0;
    return;
  }
  void* data = nullptr;
  uint32_t size = 0;
  if (!m_pLink->RecvRawData(data, size)) return;
  SManagerText message;
  const int32_t ok = SplitManagerText(data, size, message);
  xFree(data);
  if (!ok) {
    xprintf("CProcessClient::Ticker: a text of %u bytes without its NUL or over the limit was dropped", size);
    return;
  }
  switch (message.m_Code) {
    case MANAGER_MSG_REPLYWITHID:
      SendId();
      break;
    case MANAGER_MSG_DIEYOUBASTARD:
      m_Running = 0;
      break;
    case MANAGER_MSG_INCOMINGCLIENT:
      m_IncomingClient = 1;
      break;
    case MANAGER_MSG_UNKNOWN:
      xprintf("CProcessClient::Ticker: unknown command %s dropped", message.m_Command.c_str());
      break;
    default:
      if (m_PendingCode != MANAGER_MSG_UNKNOWN) {
        xprintf("CProcessClient::Ticker: %s dropped while another message waits", message.m_Command.c_str());
        break;
      }
      m_PendingCode = message.m_Code;
      m_PendingStrings = std::move(message.m_Strings);
      m_NextString = 0;
      break;
  }
}

int32_t CProcessClient::PacketPending() {
  const int32_t code = m_PendingCode;
  m_PendingCode = MANAGER_MSG_UNKNOWN;
  return code;
}

const char* CProcessClient::GetDataString() {
  if (m_NextString >= m_PendingStrings.size()) return nullptr;
  return m_PendingStrings[m_NextString++].c_str();
}

int32_t CProcessClient::AddDataString(const char* text) {
  if (!text) return 0;
  m_OutStrings.emplace_back(text);
  return 1;
}

int32_t CProcessClient::SendData(const char* command) {
  std::vector<const char*> strings;
  strings.reserve(m_OutStrings.size());
  for (const std::string& s : m_OutStrings) strings.push_back(s.c_str());
  std::string text;
  const int32_t built = command && BuildManagerText(command, strings.data(), strings.size(), text);
  m_OutStrings.clear();
  if (!built || !m_pLink) return 0;
  return m_pLink->SendRawData(text.data(), static_cast<uint32_t>(text.size()));
}

void CProcessClient::LogPacket(const char* moduleFormat, SXPacket* packet, SXPacketCNode* nodePacket) {
  xLogTablePacket(moduleFormat, g_pCurrent ? g_pCurrent->m_LogValue : 0, packet, nodePacket, true);
}

int32_t CProcessClient::SendHook(SXPacket* packet, SXPacketCNode* nodePacket, int32_t&) {
  LogPacket(TABLE_LINKLOG_SENT, packet, nodePacket);
  return 1;
}

int32_t CProcessClient::RecvHook(SXPacket* packet, SXPacketCNode* nodePacket, int32_t&) {
  LogPacket(TABLE_LINKLOG_RECEIVED, packet, nodePacket);
  return 1;
}
