// The table's listening server and the links that user processes open to it.
#include <algorithm>
#include <cstdio>
#include <new>

#include "common/info/messagelog.h"
#include "common/tables/tablebase.h"
#include "common/tables/tablelog.h"
#include "ostrel/base/types.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/clock.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/packet.h"

int32_t CTableBase::LinkSendHook(SXPacket* packet, SXPacketCNode* nodePacket, int32_t&) {
  const CTableBase* table = GetCurrentTable();
  xLogTablePacket(TABLE_LINKLOG_SENT, table ? table->GetLogValue() : 0, packet, nodePacket, false);
  return 1;
}

int32_t CTableBase::LinkRecvHook(SXPacket* packet, SXPacketCNode* nodePacket, int32_t&) {
  const CTableBase* table = GetCurrentTable();
  xLogTablePacket(TABLE_LINKLOG_RECEIVED, table ? table->GetLogValue() : 0, packet, nodePacket, false);
  return 1;
}

int32_t CTableBase::SetLinkLog(int32_t on, const char* fileName) {
  if (!xStrReplace(m_pLinkLogFileName, fileName)) return 0;
  m_LinkLog = on;
  return 1;
}

int32_t CTableBase::StartListening(uint32_t port) {
  m_pServer = new (std::nothrow) CCommRemoteServer;
  if (!m_pServer) return 0;
  m_pServer->SetPortA(port);
  m_pServer->SetCallbackFunction(CServerCallback, this, 0);
  if (!m_pServer->Startup() || !m_pServer->StartListen()) return 0;
  const uint32_t start = xGetTime();
  while (!m_pServer->RemoteServerRunning()) {
    if (!m_pServer->NonBlockedStartListenHandler()) return 0;
    if (m_pServer->RemoteServerRunning()) break;
    if (xTimeDiff(start, xGetTime()) >= TABLE_LISTEN_START_MS) return 0;
    xSleep(1);
  }
  return 1;
}

uint32_t CTableBase::GetListenPort() const { return m_pServer ? m_pServer->GetPortA() : 0; }

int32_t CTableBase::CServerCallback(CCommBaseServer* server, void* user, int32_t) {
  auto* table = static_cast<CTableBase*>(user);
  auto* remoteServer = dynamic_cast<CCommRemoteServerBase*>(server);
  if (!table || !remoteServer) return 0;
  auto* link = new (std::nothrow) CCommRemoteClient;
  if (!link) return 0;
  link->SetPacketTypes(0, 1);
  if (table->m_LinkLog) {
    link->SetLogFileName(table->m_pLinkLogFileName);
    link->SetLog(1);
  }
  link->SetNeverRouteNode_From_Server(1);
  link->SetNeverRouteNode_To_Client(1);
  link->SetPacketCallbackSend(LinkSendHook);
  link->SetPacketCallbackRecv(LinkRecvHook);
  if (!link->SetObjName(TABLE_LINK_OBJNAME) || !link->Startup() || !link->SetConnectFromServer(remoteServer) ||
      !table->m_Links.InsertLast(link)) {
    delete link;
    return 0;
  }
  return 1;
}

int32_t CTableBase::TickComms() {
  if (m_pServer && !m_pServer->NonBlockedHandler()) return 0;
  int32_t result = 1;
  // Each pass takes out the first entry that is empty or whose link is down; the lists are short.
  for (;;) {
    CCommRemoteClient* gone = nullptr;
    bool found = false;
    for (m_Links.First(); m_Links.Exists(); m_Links.Next()) {
      gone = static_cast<CCommRemoteClient*>(m_Links.Get());
      if ((found = !gone || !gone->IsConnected())) break;
    }
    if (!found) break;
    m_Links.Delete(1);
    if (gone) {
      delete gone;
      if (m_Links.GetNumNodes() == 0) result = 0;
    }
  }
  return result;
}

void CTableBase::DeleteAllComms() {
  const uint32_t start = xGetTime();
  for (;;) {
    bool pending = false;
    for (CNode* n = m_Links.HeadNode(); n; n = n->m_pNext) {
      auto* link = static_cast<CCommRemoteClient*>(n->m_pData);
      if (!link || link->IsFlushed()) continue;
      pending = true;
      link->NonBlockedHandler();
    }
    if (!pending || xTimeDiff(start, xGetTime()) >= TABLE_FLUSH_MS) break;
    xSleep(1);
  }
  FreeComms();
}

void CTableBase::FreeComms() {
  for (CNode* n = m_Links.HeadNode(); n; n = n->m_pNext) delete static_cast<CCommRemoteClient*>(n->m_pData);
  m_Links.KillAll();
  delete m_pServer;
  m_pServer = nullptr;
}
