#include "ostrelcomm/proxyserver/proxyserver.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/appname.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtext.h"

namespace {

constexpr int32_t kMaxListenFailures = 40;
constexpr uint32_t kListenFailureWindowMs = 1800000;
constexpr uint32_t kRelistenMs = 30001;
constexpr uint32_t kInfoEveryMs = 60000;

void AppendLine(const char* file, const char* line) {
  if (!file || !*file) return;
  FILE* f = xCommOpenLog(file);
  if (!f) return;
  char* when = CProxyConnection::GetFormattedDateString();
  std::fprintf(f, "%s %s\n", when ? when : "", line);
  xFree(when);
  std::fclose(f);
}

void RuleLine(void* user, const char* line) { static_cast<CCommProxyServer*>(user)->Log("%s", line); }

}  // namespace

CCommProxyServer::CCommProxyServer() { m_LastInfo = xGetTime(); }

CCommProxyServer::~CCommProxyServer() {
  Closedown();
  if (m_StartCount) xClosedownSockets(m_StartCount, &m_Crypt);
  if (glb) xCommRemoveFromList(glb->m_pProxyServerList, this);
  FreeRules(m_Rules);
  delete m_pNewRule;
  ReapChildren();
  for (char* text : {m_pName, m_pLogFile, m_pHistoryLogFile, m_pCertificateFile, m_pKeyFile, m_pForwardHost})
    xFree(text);
}

void CCommProxyServer::FreeRules(CLList& rules) {
  for (CNode* n = rules.HeadNode(); n; n = n->m_pNext) delete static_cast<COutRule*>(n->m_pData);
  rules.KillAll();
}

void CCommProxyServer::Log(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  xprintf("%s\n", line);
  AppendLine(m_pLogFile, line);
}

// ---- configuration ----

int32_t CCommProxyServer::SetName(const char* name) { return xStrReplace(m_pName, name); }

int32_t CCommProxyServer::SetListenPort(uint32_t port) {
  if (port > 65535) return 0;
  m_ListenPort = port;
  return 1;
}

int32_t CCommProxyServer::SetLogFile(const char* name) { return xStrReplace(m_pLogFile, name); }
int32_t CCommProxyServer::SetHistoryLogFile(const char* name) { return xStrReplace(m_pHistoryLogFile, name); }

int32_t CCommProxyServer::SetIncomingEncryption(int32_t flag, const char* certificateFile, const char* keyFile) {
  m_IncomingEncryption = flag;
  return xStrReplace(m_pCertificateFile, certificateFile) && xStrReplace(m_pKeyFile, keyFile);
}

int32_t CCommProxyServer::SetOnErrorForward(int32_t flag, const char* host, uint32_t port) {
  m_OnErrorForward = flag;
  m_ForwardPort = port;
  return xStrReplace(m_pForwardHost, host);
}

int32_t CCommProxyServer::AddRule_Start() {
  delete m_pNewRule;
  m_pNewRule = new (std::nothrow) COutRule;
  return m_pNewRule != nullptr;
}

int32_t CCommProxyServer::AddRule_SetName(const char* name) { return m_pNewRule && m_pNewRule->SetName(name); }

int32_t CCommProxyServer::AddRule_SetForceOutgoingEncryption(int32_t flag) {
  if (!m_pNewRule) return 0;
  m_pNewRule->SetForceOutgoingEncryption(flag);
  return 1;
}

int32_t CCommProxyServer::AddRule_SetClientLocationForward(int32_t flag) {
  if (!m_pNewRule) return 0;
  m_pNewRule->SetClientLocationForward(flag);
  return 1;
}

int32_t CCommProxyServer::AddRule_SetMinActionTime(uint32_t minutes) {
  if (!m_pNewRule) return 0;
  m_pNewRule->SetMinActionTime(minutes);
  return 1;
}

int32_t CCommProxyServer::AddRule_IpString(const char* ip) { return m_pNewRule && m_pNewRule->AddIpRule(ip); }

int32_t CCommProxyServer::AddRule_IpString(const char* first, const char* last) {
  return m_pNewRule && m_pNewRule->AddIpRangeRule(first, last);
}

int32_t CCommProxyServer::AddRule_Ip(uint32_t ip) { return m_pNewRule && m_pNewRule->AddIpRule(ip); }

int32_t CCommProxyServer::AddRule_IpRange(uint32_t first, uint32_t last) {
  return m_pNewRule && m_pNewRule->AddIpRangeRule(first, last);
}

int32_t CCommProxyServer::AddRule_PortRange(uint32_t first, uint32_t last) {
  return m_pNewRule && first <= 65535 && last <= 65535 &&
         m_pNewRule->AddPortRangeRule(static_cast<int32_t>(first), static_cast<int32_t>(last));
}

int32_t CCommProxyServer::AddRule_End() {
  COutRule* rule = m_pNewRule;
  m_pNewRule = nullptr;
  return rule && AddOutRule(rule);
}

int32_t CCommProxyServer::AddOutRule(COutRule* rule) {
  if (!rule) return 0;
  if (!m_Rules.InsertLast(rule)) {
    delete rule;
    return 0;
  }
  return 1;
}

// ---- running ----

int32_t CCommProxyServer::StartListening() {
  sockaddr_in address{};
  if (!xStartListenSocket(m_ListenPort, m_ListenSocket, &address, &m_Crypt) ||
      !xBlockedStartListenHandler(m_ListenSocket, 0, &m_Crypt))
    return 0;
  m_ListenPort = ntohs(address.sin_port);
  m_Listening = 1;
  return 1;
}

int32_t CCommProxyServer::Startup() {
  if (m_Started) return 1;
  if (!xStartupSockets(m_StartCount, 0, &m_Crypt)) {
    Log("CCommLocalServer::Startup: xStartupSockets returned FALSE.");
    return 0;
  }
  if (!StartListening()) {
    Log("CCommProxyServer::Startup: xStartListenSocket failed.");
    return 0;
  }
  if (!glb || !glb->m_pProxyServerList || !glb->m_pProxyServerList->IfNotInsertLast(this)) {
    Log("CCommProxyServer::Startup: : Out of memory.");
    xCloseSocket(m_ListenSocket);
    m_Listening = 0;
    return 0;
  }
  m_Started = 1;
  Log("Proxyserver started: Name=%s listenport=%ld createprocess=%ld", GetName(), static_cast<long>(m_ListenPort),
      static_cast<long>(m_CreateProcess));
  for (CNode* n = m_Rules.HeadNode(); n; n = n->m_pNext) static_cast<COutRule*>(n->m_pData)->LogState(RuleLine, this);
  return 1;
}

int32_t CCommProxyServer::ListenFailed() {
  xCloseSocketSimple(m_ListenSocket);
  m_Listening = 0;
  m_Relisten = 1;
  const uint32_t now = xGetTime();
  if (m_ListenFailures && xTimeDiff(m_LastListenFailure, now) > kListenFailureWindowMs) m_ListenFailures = 0;
  ++m_ListenFailures;
  m_LastListenFailure = now;
  Log("CCommProxyServer::ListenHandler: the listening socket failed (%ld).", static_cast<long>(m_ListenFailures));
  if (m_ListenFailures > kMaxListenFailures) {
    Log("CCommProxyServer::ListenHandler: too many failures of the listening socket, closing down.");
    m_Relisten = 0;
    return 0;
  }
  return 1;
}

int32_t CCommProxyServer::ListenHandler() {
  const uint32_t now = xGetTime();
  if (m_ListenFailures && xTimeDiff(m_LastListenFailure, now) > kListenFailureWindowMs) m_ListenFailures = 0;
  if (m_ListenSocket < 0) {
    if (!m_Relisten || xTimeDiff(m_LastListenFailure, now) < kRelistenMs) return 1;
    if (StartListening()) {
      m_Relisten = 0;
      return 1;
    }
    return ListenFailed();
  }
  int accepted = -1, running = 1, got = 0;
  sockaddr_in address{};
  if (!xNonBlockedListenHandler(m_ListenSocket, accepted, &address, running, got, &m_Crypt)) return ListenFailed();
  // Every connection already waiting is taken in this pass (up to the cap): a burst of clients
  // must not overflow the listening queue. A child of the process mode stops listening after one.
  for (int32_t taken = 1; got && accepted >= 0; ++taken) {
    if (!ServeAccepted(accepted, address)) return 0;
    if (taken == SOCKET_ACCEPTS_PER_PASS || !m_Listening || m_ListenSocket < 0) break;
    accepted = -1;
    if (!xAcceptIncomingConnection(m_ListenSocket, accepted, &address, &m_Crypt)) break;
    got = accepted >= 0;
  }
  return 1;
}

int32_t CCommProxyServer::ServeAccepted(int sock, const sockaddr_in& address) {
  if (m_CreateProcess) {
    const pid_t pid = fork();
    if (pid < 0) {
      Log("CCommProxyServer::ListenHandler: Unable to create a new process.");
      xCloseSocket(sock);
      return 1;
    }
    if (pid > 0) {
      // Only this process's copy goes: a shutdown would end the child's connection too.
      xCloseSocketSimple(sock);
      m_Children.push_back(pid);
      return 1;
    }
    if (m_pSpawnCallback) m_pSpawnCallback();
    char name[256];
    std::snprintf(name, sizeof name, "%s|CHLD", GetApplicationName());
    SetApplicationName(name);
    // The parent goes on listening on the same socket: closed here without a shutdown.
    xCloseSocketSimple(m_ListenSocket);
    m_Listening = 0;
    m_Relisten = 0;
    m_Children.clear();
  }
  char ip[16];
  const uint32_t number = ntohl(address.sin_addr.s_addr);
  std::snprintf(ip, sizeof ip, "%u.%u.%u.%u", number >> 24, (number >> 16) & 0xFF, (number >> 8) & 0xFF,
                number & 0xFF);
  auto* connection = new (std::nothrow) CProxyConnection(sock, this, 0);
  if (!connection) {
    xCloseSocket(sock);
    Log("CCommProxyServer::ListenHandler: Out of memory.");
    return 1;
  }
  connection->SetClientPort(ntohs(address.sin_port));
  connection->SetOutgoingEncryption(m_OutgoingEncryption);
  connection->SetAllowBlowfishEncryption(m_AllowBlowfish);
  if (!connection->AddOutRules(&m_Rules) ||
      !connection->SetIncomingEncryption(m_IncomingEncryption, m_pCertificateFile, m_pKeyFile) ||
      !connection->SetOnErrorForward(m_OnErrorForward, m_pForwardHost, m_ForwardPort) ||
      !connection->SetClientInfo(ip) || !connection->Startup() || !m_Connections.InsertLast(connection)) {
    Log("CCommProxyServer::ListenHandler: Unable to start the connection from %s.", ip);
    delete connection;
  }
  return 1;
}

int32_t CCommProxyServer::ReapChildren() {
  int32_t reaped = 0;
  for (size_t i = 0; i < m_Children.size();) {
    int status = 0;
    const pid_t r = waitpid(m_Children[i], &status, WNOHANG);
    if (r == m_Children[i] || (r < 0 && errno == ECHILD)) {
      m_Children.erase(m_Children.begin() + static_cast<std::ptrdiff_t>(i));
      ++reaped;
    } else {
      ++i;
    }
  }
  return reaped;
}

int32_t CCommProxyServer::Handler(int32_t& done) {
  done = 0;
  if (!m_Started) return 0;
  ReapChildren();
  if ((m_Listening || m_Relisten) && !ListenHandler()) return 0;
  for (CNode* n = m_Connections.HeadNode(); n;) {
    auto* connection = static_cast<CProxyConnection*>(n->m_pData);
    n = n->m_pNext;
    const int32_t alive = connection->Handler();
    const int32_t idle = alive && connection->ActionTimeout();
    if (alive && !idle) continue;
    if (idle) {
      Log("CProxyConnection::ActionTimeout: no traffic within the limit, closing %s -> %s:%u.",
          connection->GetClientIp(), connection->GetServerHost(), connection->GetServerPort());
      connection->Closedown();
    }
    AddHistoryConnection(connection);
    xCommRemoveFromList(&m_Connections, connection);
    delete connection;
  }
  LogStateHandler();
  LogInfo();
  if (!m_Connections.GetNumNodes() && !m_Listening && !m_Relisten) done = 1;
  return 1;
}

int32_t CCommProxyServer::Closedown() {
  int running = m_Listening;
  if (m_ListenSocket >= 0) {
    if (m_StartCount)
      xStopListenSocket(m_ListenSocket, running, &m_Crypt);
    else
      xCloseSocket(m_ListenSocket);
  }
  m_Listening = 0;
  m_Relisten = 0;
  FreeConnections();
  m_Started = 0;
  if (glb) xCommRemoveFromList(glb->m_pProxyServerList, this);
  return 1;
}

void CCommProxyServer::FreeConnections() {
  for (CNode* n = m_Connections.HeadNode(); n; n = n->m_pNext) {
    auto* connection = static_cast<CProxyConnection*>(n->m_pData);
    connection->Closedown();
    AddHistoryConnection(connection);
    delete connection;
  }
  m_Connections.KillAll();
}

void CCommProxyServer::WaitForTraffic(int32_t ms) {
  std::vector<CSockWait> entries;
  if (m_ListenSocket >= 0) {
    CSockWait entry;
    entry.m_Socket = m_ListenSocket;
    entry.m_ReadInterest = 1;
    entries.push_back(entry);
  }
  for (CNode* n = m_Connections.HeadNode(); n; n = n->m_pNext)
    if (!static_cast<CProxyConnection*>(n->m_pData)->WaitEntries(entries)) ms = 0;
  std::vector<pollfd> fds;
  for (const CSockWait& e : entries)
    fds.push_back({e.m_Socket, static_cast<short>((e.m_ReadInterest ? POLLIN : 0) | (e.m_WriteInterest ? POLLOUT : 0)),
                   0});
  if (fds.empty()) {
    if (ms > 0) xSleep(static_cast<uint32_t>(ms));
    return;
  }
  poll(fds.data(), fds.size(), ms < 0 ? 0 : ms);
}

// ---- configuration reload ----

int32_t CCommProxyServer::ReloadMatch(const CCommProxyServer* other) const {
  if (!other) return 0;
  return std::strcmp(GetName(), other->GetName()) == 0 && m_ListenPort == other->m_ListenPort &&
         m_CreateProcess == other->m_CreateProcess;
}

int32_t CCommProxyServer::ReloadFromNew(const CCommProxyServer* other) {
  if (!other) return 0;
  if (!xStrReplace(m_pLogFile, other->m_pLogFile)) {
    Log("CCommProxyServer::ReloadFromNew: Out of memory (logfile)");
    return 0;
  }
  if (!xStrReplace(m_pHistoryLogFile, other->m_pHistoryLogFile)) {
    Log("CCommProxyServer::ReloadFromNew: Out of memory (historylogfile)");
    return 0;
  }
  if (!xStrReplace(m_pForwardHost, other->m_pForwardHost)) {
    Log("CCommProxyServer::ReloadFromNew: Out of memory (onErrorForwardIp)");
    return 0;
  }
  m_OnErrorForward = other->m_OnErrorForward;
  m_ForwardPort = other->m_ForwardPort;
  // The new rules are made whole before the old ones go, so a failure leaves the old set.
  CLList rules;
  for (CNode* n = other->m_Rules.HeadNode(); n; n = n->m_pNext) {
    COutRule* copy = static_cast<COutRule*>(n->m_pData)->Duplicate();
    if (!copy || !rules.InsertLast(copy)) {
      delete copy;
      FreeRules(rules);
      Log("CCommProxyServer::ReloadFromNew: Out of memory (rulelist)");
      return 0;
    }
  }
  FreeRules(m_Rules);
  m_Rules = std::move(rules);
  return 1;
}

// ---- logs ----

void CCommProxyServer::LogStateHandler() {
  if (!m_LogStateRequested) return;
  m_LogStateRequested = 0;
  LogState();
}

void CCommProxyServer::LogState() {
  Log("Proxyserver state: Name=%s listenport=%ld listening=%ld connections=%ld children=%ld", GetName(),
      static_cast<long>(m_ListenPort), static_cast<long>(m_Listening), static_cast<long>(m_Connections.GetNumNodes()),
      static_cast<long>(m_Children.size()));
  for (CNode* n = m_Rules.HeadNode(); n; n = n->m_pNext) static_cast<COutRule*>(n->m_pData)->LogState(RuleLine, this);
  for (CNode* n = m_Connections.HeadNode(); n; n = n->m_pNext) static_cast<CProxyConnection*>(n->m_pData)->LogState();
}

// Once a minute at most: written every frame it would cost more than the relaying.
void CCommProxyServer::LogInfo() {
  if (!m_pLogFile) return;
  const uint32_t now = xGetTime();
  if (m_InfoWritten && xTimeDiff(m_LastInfo, now) < kInfoEveryMs) return;
  m_InfoWritten = 1;
  m_LastInfo = now;
  Log("Proxyserver statistics.");
  for (CNode* n = m_Connections.HeadNode(); n; n = n->m_pNext) {
    auto* c = static_cast<CProxyConnection*>(n->m_pData);
    Log("client ip:%s server ip:%s:%u client->server: %u server->client: %u", c->GetClientIp(), c->GetServerHost(),
        c->GetServerPort(), c->GetClientToServerBytes(), c->GetServerToClientBytes());
  }
  Log("Total: client->server: %llu server->client: %llu", static_cast<unsigned long long>(m_ClientToServerBytes),
      static_cast<unsigned long long>(m_ServerToClientBytes));
}

void CCommProxyServer::AddHistoryConnection(const CProxyConnection* c) {
  if (!m_pHistoryLogFile || !c) return;
  char line[512];
  const uint32_t toClient = c->GetServerToClientBytes(), toServer = c->GetClientToServerBytes();
  std::snprintf(line, sizeof line,
                "client ip:%s server ip:%s:%lu connecttime: %s disconnecttime: %s Transfeered: server->client: %lu "
                "client->server: %lu total: %lu.",
                c->GetClientIp(), c->GetServerHost(), static_cast<unsigned long>(c->GetServerPort()),
                c->GetConnectTime(), c->GetDisconnectTime(), static_cast<unsigned long>(toClient),
                static_cast<unsigned long>(toServer), static_cast<unsigned long>(toClient) + toServer);
  AppendLine(m_pHistoryLogFile, line);
}
