// The cluster lookup: one raw remote link shared by every call of the process, reused while it is
// up and was used within the last two minutes.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/appserverclient.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/proxyrules.h"

namespace {

struct SClusterLink {
  CCommRemoteClient* m_pLink = nullptr;
  std::string m_Host;
  uint32_t m_Port = 0;
  uint32_t m_LastUse = 0;
  uint32_t m_Connects = 0;
};

SClusterLink g_Cluster;

constexpr int32_t kPollMs = 10;

void DropLink() {
  delete g_Cluster.m_pLink;
  g_Cluster.m_pLink = nullptr;
}

// One wait step: the frame loop, then the link for at most kPollMs.
void Step() {
  if (glb) xHandler();
  xSleep(1);
}

bool TimedOut(uint32_t start) { return xTimeDiff(start, xGetTime()) >= CLUSTER_STEP_TIMEOUT_MS; }

CCommRemoteClient* LinkTo(const char* host, uint32_t port) {
  CCommRemoteClient* link = g_Cluster.m_pLink;
  // Reused only towards the same cluster server: another target needs its own connection.
  if (link && link->IsConnected() && g_Cluster.m_Host == host && g_Cluster.m_Port == port &&
      xTimeDiff(g_Cluster.m_LastUse, xGetTime()) < CLUSTER_LINK_REUSE_MS)
    return link;
  DropLink();
  link = new (std::nothrow) CCommRemoteClient;
  if (!link) return nullptr;
  g_Cluster.m_pLink = link;
  link->SetInAckMode(0);
  link->SetOutAckMode(0);
  link->SetPacketTypes(1, 1);
  if (!link->SetRemoteLocation(host, port) || !link->Startup() || !link->Connect()) {
    DropLink();
    return nullptr;
  }
  const uint32_t start = xGetTime();
  while (!link->IsConnected()) {
    if (!link->BlockedConnectHandler(kPollMs) || TimedOut(start)) {
      xCommError("xClusterSystem: unable to connect to the cluster server %s:%u", host, port);
      DropLink();
      return nullptr;
    }
    if (!link->IsConnected()) Step();
  }
  g_Cluster.m_Host = host;
  g_Cluster.m_Port = port;
  ++g_Cluster.m_Connects;
  return link;
}

// Sends the request and imports the first raw packet that comes back.
int32_t Exchange(const char* host, uint32_t port, CKCBL& request, CKCBL& reply) {
  if (!host || !*host) return 0;
  CCommRemoteClient* link = LinkTo(host, port);
  if (!link) return 0;
  // Anything left from an earlier exchange is not this request's answer.
  void* stale = nullptr;
  uint32_t staleSize = 0;
  while (link->RecvRawData(stale, staleSize)) {
    xFree(stale);
    stale = nullptr;
  }
  int32_t length = 0;
  if (!request.ExportSize(&length) || length < 0) return 0;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  if (!request.Export(text.data(), length + 1, &length, 0) ||
      !link->SendRawData(text.data(), static_cast<uint32_t>(length) + 1)) {
    DropLink();
    return xCommError("xClusterSystem: unable to send the request");
  }
  const uint32_t start = xGetTime();
  void* data = nullptr;
  uint32_t size = 0;
  for (;;) {
    if (!link->BlockedHandler(kPollMs) || !link->IsConnected()) {
      DropLink();
      return xCommError("xClusterSystem: lost the link to the cluster server");
    }
    if (link->RecvRawData(data, size)) break;
    if (TimedOut(start)) {
      // A late answer must not be taken for the next request's.
      DropLink();
      return xCommError("xClusterSystem: no answer from the cluster server");
    }
    Step();
  }
  g_Cluster.m_LastUse = xGetTime();
  const int32_t ok = size <= INT32_MAX && reply.Import(static_cast<const char*>(data), static_cast<int32_t>(size));
  xFree(data);
  return ok;
}

bool PortFrom(CLList& variables, uint32_t& port) {
  const char* text = xClusterSystem_FindVariable(variables, "port");
  uint32_t value = 0;
  if (!text || !xParsePortText(text, value)) return false;
  port = value;
  return true;
}

int32_t ServerAndPort(const char* host, uint32_t clusterPort, const char* service, char*& server, uint32_t& port) {
  CLList variables;
  server = nullptr;
  int32_t ok = xClusterSystem_GetServer(host, clusterPort, service, server, variables) && PortFrom(variables, port);
  xClusterSystem_FreeVariables(variables);
  if (!ok) {
    xFree(server);
    server = nullptr;
  }
  return ok;
}

}  // namespace

CClusterServerServiceVariable::~CClusterServerServiceVariable() {
  xFree(m_pName);
  xFree(m_pValue);
}

int32_t CClusterServerServiceVariable::SetVariable(const char* name, const char* value) {
  if (!name || !value) return 0;
  char* n = xStrdup(name);
  char* v = xStrdup(value);
  if (!n || !v) {
    xFree(n);
    xFree(v);
    return 0;
  }
  xFree(m_pName);
  xFree(m_pValue);
  m_pName = n;
  m_pValue = v;
  return 1;
}

int32_t CClusterServerServiceVariable::IsVariable(const char* name) const {
  return name && m_pName && std::strcmp(name, m_pName) == 0;
}

void xClusterSystem_FreeVariables(CLList& variables) {
  for (CNode* n = variables.HeadNode(); n; n = n->m_pNext) delete static_cast<CClusterServerServiceVariable*>(n->m_pData);
  variables.KillAll();
}

const char* xClusterSystem_FindVariable(CLList& variables, const char* name) {
  for (CNode* n = variables.HeadNode(); n; n = n->m_pNext) {
    auto* v = static_cast<CClusterServerServiceVariable*>(n->m_pData);
    if (v->IsVariable(name)) return v->GetVariable();
  }
  return nullptr;
}

int32_t xClusterSystem_ParseReply(CKCBL& reply, const char* answer, char*& result, CLList* variables) {
  result = nullptr;
  if (!answer) return 0;
  int32_t found = 0;
  reply.MainChunk();
  for (int32_t more = reply.FirstItem(); more && reply.ItemExists(); more = reply.NextItem(0)) {
    const char* keyword = reply.GetKeyword();
    if (!keyword || reply.ItemType() != 1) continue;
    const int32_t strings = reply.GetNumStrings();
    if (!found && xStricmp(keyword, "clustercommandreply") == 0 && strings >= 2) {
      const char* name = reply.GetString(0);
      const char* value = reply.GetString(1);
      if (name && value && std::strcmp(name, answer) == 0) {
        if (!(result = xStrdup(value))) return 0;
        found = 1;
      }
    } else if (variables && xStricmp(keyword, "servicevariable") == 0 && strings >= 2) {
      auto* v = new (std::nothrow) CClusterServerServiceVariable;
      if (!v || !v->SetVariable(reply.GetString(0), reply.GetString(1)) || !variables->InsertLast(v)) {
        delete v;
        xFree(result);
        result = nullptr;
        return 0;
      }
    }
  }
  return found;
}

int32_t xClusterSystem_GetServer(const char* clusterHost, uint32_t clusterPort, const char* service, char*& server,
                                 CLList& variables) {
  server = nullptr;
  if (!service) return 0;
  CKCBL request, reply;
  if (!request.NewItem("clustercommand", KSTRING, "clustercommand_getserver", KSTRING, service, KEND)) return 0;
  if (!Exchange(clusterHost, clusterPort, request, reply)) return 0;
  CLList found;
  if (!xClusterSystem_ParseReply(reply, "clustercommand_getserver_answer", server, &found)) {
    xClusterSystem_FreeVariables(found);
    return xCommError("xClusterSystem_GetServer: the reply holds no answer for %s", service);
  }
  for (CNode* n = found.HeadNode(); n; n = n->m_pNext) variables.InsertLast(n->m_pData);
  found.KillAll();
  return 1;
}

int32_t xClusterSystem_GetProxyServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                      char*& server, uint32_t& port, int32_t& crypt) {
  CLList variables;
  server = nullptr;
  int32_t ok = xClusterSystem_GetServer(clusterHost, clusterPort, service, server, variables) && PortFrom(variables, port);
  const char* text = ok ? xClusterSystem_FindVariable(variables, "crypt") : nullptr;
  if (text && (!xStricmp(text, "TRUE") || !std::strcmp(text, "1") || !xStricmp(text, "ON")))
    crypt = 1;
  else if (text && (!xStricmp(text, "FALSE") || !std::strcmp(text, "0") || !xStricmp(text, "OFF")))
    crypt = 0;
  else
    ok = 0;
  xClusterSystem_FreeVariables(variables);
  if (!ok) {
    xFree(server);
    server = nullptr;
  }
  return ok;
}

int32_t xClusterSystem_GetCasinoServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                       char*& server, uint32_t& port) {
  return ServerAndPort(clusterHost, clusterPort, service, server, port);
}

int32_t xClusterSystem_GetChatServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                     char*& server, uint32_t& port) {
  return ServerAndPort(clusterHost, clusterPort, service, server, port);
}

int32_t xClusterSystem_GetCashierServer(const char* clusterHost, uint32_t clusterPort, const char* service,
                                        char*& server, uint32_t& port) {
  return ServerAndPort(clusterHost, clusterPort, service, server, port);
}

int32_t xClusterSystem_ExecuteFile(const char* clusterHost, uint32_t clusterPort, const char* text1,
                                   const char* text2, const char* text3, int32_t& result) {
  if (!text1 || !text2 || !text3) return 0;
  CKCBL request, reply;
  if (!request.NewItem("clustercommand", KSTRING, "clustercommand_executefile", KSTRING, text1, KSTRING, text2,
                       KSTRING, text3, KEND))
    return 0;
  if (!Exchange(clusterHost, clusterPort, request, reply)) return 0;
  char* value = nullptr;
  if (!xClusterSystem_ParseReply(reply, "clustercommand_executefile_answer", value, nullptr)) return 0;
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(value, &end, 10);
  const bool ok = end != value && errno == 0 && number >= INT32_MIN && number <= INT32_MAX;
  xFree(value);
  if (!ok) return 0;
  result = static_cast<int32_t>(number);
  return 1;
}

void xClusterSystem_Closedown() { DropLink(); }

uint32_t xClusterSystem_ConnectCount() { return g_Cluster.m_Connects; }
