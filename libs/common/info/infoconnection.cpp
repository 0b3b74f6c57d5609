// The info servers, the link and what the caller reads; the request loops are in inforequests.cpp.
#include "common/info/infoconnection.h"

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/dialogs/messagebox.h"
#include "ostrel/resources/resdata.h"
#include "ostrelcomm/commtcp.h"

namespace {
constexpr const char* kLinkName = "InfoConnectionToServer";
constexpr const char* kServersChunk = "FileMapServers";
constexpr const char* kServerItem = "server";
constexpr int32_t kServerValues = 7;
constexpr uint32_t kMaxPort = 65535;

std::string TextOrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

// ---- one server ----

IpServerConnection::IpServerConnection(const char* address, const char* casinoName, const char* port,
                                       const char* proxyFlag, const char* proxyAddress, const char* proxyCryptFlag,
                                       const char* proxyPort)
    : m_Address(TextOrEmpty(address)),
      m_CasinoName(TextOrEmpty(casinoName)),
      m_Port(ParsePort(port)),
      m_ProxyFlag(ParseFlag(proxyFlag)),
      m_ProxyAddress(TextOrEmpty(proxyAddress)),
      m_ProxyCryptFlag(ParseFlag(proxyCryptFlag)),
      m_ProxyPort(ParsePort(proxyPort)) {}

IpServerConnection::~IpServerConnection() = default;

int32_t IpServerConnection::ParseFlag(const char* text) {
  return text && (xStricmp(text, "TRUE") == 0 || xStrcmp(text, "1") == 0) ? 1 : 0;
}

int32_t IpServerConnection::ParsePort(const char* text) {
  if (!text || !*text) return 0;
  uint32_t value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return 0;
    value = value * 10 + static_cast<uint32_t>(*p - '0');
    if (value > kMaxPort) return 0;
  }
  return static_cast<int32_t>(value);
}

// ---- the connection ----

CInfoConnection::CInfoConnection() = default;

CInfoConnection::~CInfoConnection() {
  DisConnect();
  m_pComm.reset();
  Flush();
}

void CInfoConnection::Flush() {
  FreeFileMap();
  m_pRefusal.reset();
  m_Servers.clear();
  m_Position = 0;
  m_pScript.reset();
  FreeReply();
}

void CInfoConnection::FreeReply() {
  xFree(m_pReply);
  m_pReply = nullptr;
  m_ReplySize = 0;
}

void CInfoConnection::FreeFileMap() {
  std::vector<char>().swap(m_FileMap);
  m_FileMapSize = 0;
}

int32_t CInfoConnection::SetNextserver() {
  if (m_pRefusal) return 0;
  if (!m_pScript) return LoadServers() && !m_Servers.empty() ? 1 : 0;
  // Exhausted: nothing more until Flush.
  if (m_Servers.empty()) return 0;
  if (++m_Position < m_Servers.size()) return 1;
  m_Servers.clear();
  m_Position = 0;
  return 0;
}

int32_t CInfoConnection::LoadServers() {
  m_pScript = std::make_unique<CResData>();
  if (!m_pScript->Load(INFO_SCRIPT_FILE)) {
    m_pScript.reset();
    return 0;
  }
  ReadTimeouts();
  m_Servers.clear();
  m_Position = 0;
  AddResourceServer();
  AddScriptServers();
  return 1;
}

void CInfoConnection::ReadTimeouts() {
  struct SKey {
    const char* m_pName;
    uint32_t* m_pValue;
    uint32_t m_Default;
  };
  const SKey keys[] = {
      {"IC_CONNECT_TIMEOUT", &m_ConnectTimeout, IC_CONNECT_TIMEOUT_DEFAULT},
      {"RCF_TIMEOUT", &m_FileMapTimeout, RCF_TIMEOUT_DEFAULT},
      {"RCFS_TIMEOUT", &m_FileSizeTimeout, RCFS_TIMEOUT_DEFAULT},
      {"RCC_TIMEOUT", &m_ConnectionTimeout, RCC_TIMEOUT_DEFAULT},
      {"RCI_TIMEOUT", &m_InfoTimeout, RCI_TIMEOUT_DEFAULT},
      {"MIN_TIMEOUT", &m_MinTimeout, MIN_TIMEOUT_DEFAULT},
  };
  for (const SKey& key : keys) *key.m_pValue = key.m_Default;
  if (!m_pScript->EnterDataChunk()) return;
  for (const SKey& key : keys) {
    uint32_t value = 0;
    if (m_pScript->GetItem(key.m_pName, KULONG, &value, KEND)) *key.m_pValue = value;
  }
  m_pScript->ExitDataChunk();
}

void CInfoConnection::AddResourceServer() {
  const char* text[kServerValues];
  for (int32_t i = 0; i < kServerValues; ++i)
    if (!(text[i] = m_pScript->GetResString(IC_STR_ADDRESS + i))) return;
  // The strings hold the proxy address behind the two flags; the server takes it before the second.
  m_Servers.push_back(std::make_unique<IpServerConnection>(text[0], text[1], text[2], text[3], text[5], text[4], text[6]));
}

void CInfoConnection::AddScriptServers() {
  CResData& script = *m_pScript;
  if (!script.EnterChunk(kServersChunk)) return;
  for (int32_t more = script.FirstItem(); more && script.ItemExists(); more = script.NextItem(0)) {
    if (script.IsComment() || script.ItemType() != 1) continue;
    const char* keyword = script.GetKeyword();
    if (!keyword || xStricmp(keyword, kServerItem) != 0 || script.GetNumStrings() < kServerValues) continue;
    const char* v[kServerValues];
    bool whole = true;
    for (int32_t i = 0; i < kServerValues; ++i) whole = whole && (v[i] = script.GetString(i)) != nullptr;
    if (whole) m_Servers.push_back(std::make_unique<IpServerConnection>(v[0], v[1], v[2], v[3], v[4], v[5], v[6]));
  }
  script.ExitChunk();
}

const IpServerConnection* CInfoConnection::Current() const {
  return m_Position < m_Servers.size() ? m_Servers[m_Position].get() : nullptr;
}

const char* CInfoConnection::GetFilemapServerIP() const { return Current() ? Current()->GetAddress() : nullptr; }
const char* CInfoConnection::GetCasinoName() const { return Current() ? Current()->GetCasinoName() : nullptr; }
int32_t CInfoConnection::GetFilemapServerPort() const { return Current() ? Current()->GetPort() : 0; }
int32_t CInfoConnection::GetProxyFlag() const { return Current() ? Current()->GetProxyFlag() : 0; }
const char* CInfoConnection::GetProxyIP() const { return Current() ? Current()->GetProxyAddress() : nullptr; }
int32_t CInfoConnection::GetProxyCryptFlag() const { return Current() ? Current()->GetProxyCryptFlag() : 0; }
int32_t CInfoConnection::GetProxyPort() const { return Current() ? Current()->GetProxyPort() : 0; }

const char* CInfoConnection::GetErrorMessage() const {
  if (m_pRefusal && !m_pRefusal->empty()) return m_pRefusal->c_str();
  return m_HasError ? m_ErrorText.c_str() : nullptr;
}

void CInfoConnection::SetErrorText(int32_t textId) {
  const char* text = m_pScript ? m_pScript->GetResString(textId) : nullptr;
  if (!text && m_pScript) text = m_pScript->GetResString(IC_STR_CONNECT_FAILED);
  m_ErrorText = text ? text : IC_CONNECT_FAILED_TEXT;
  m_HasError = 1;
}

void CInfoConnection::ShowMessage(const char* caption, const char* text) { xMessageBox(caption, text, 0); }

// ---- the link ----

int32_t CInfoConnection::InitConnect() {
  const IpServerConnection* server = Current();
  bool ok = server && server->GetPort() > 0;
  if (ok && !m_pComm) {
    m_pComm = std::make_unique<CCommRemoteClient>();
    if (!m_pComm->Startup()) m_pComm.reset();
  }
  ok = ok && m_pComm;
  if (ok) {
    CCommRemoteClient& link = *m_pComm;
    link.SetLog(0);
    link.SetObjName(kLinkName);
    // The link serves one server after another: what the last one set must not stay.
    const bool proxy = server->GetProxyFlag() != 0;
    ok = link.SetRemoteLocation(server->GetAddress(), static_cast<uint32_t>(server->GetPort())) &&
         link.SetProxy(proxy ? server->GetProxyAddress() : nullptr, proxy ? static_cast<uint32_t>(server->GetProxyPort()) : 0) &&
         link.SetEncryption(proxy && server->GetProxyCryptFlag());
    link.SetInAckMode(0);
    link.SetOutAckMode(0);
    link.SetPacketTypes(1, 0);
    ok = ok && link.Connect();
  }
  if (ok) return 1;
  m_ConnectFailed = 1;
  SetErrorText(IC_STR_CONNECT_FAILED);
  DisConnect();
  return 0;
}

int32_t CInfoConnection::Connect() {
  if (!m_pComm) return 0;
  if (m_pComm->IsConnected()) return 1;
  if (!m_pComm->NonBlockedConnectHandler()) return 0;
  return m_pComm->IsConnected() ? 1 : 2;
}

void CInfoConnection::DisConnect() {
  if (!m_pComm) return;
  m_pComm->Disconnect();
  // A late answer of this server must not pass for the next one's.
  m_pComm->EmptyQues();
}
