#include "ostrelcomm/socketwait.h"

#include <new>

#include "ostrel/containers/llist.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/socket.h"

namespace {

constexpr int32_t kPoolBlock = 1024;
constexpr int32_t kHandlerPasses = 4;

using CLocalTcp = CCommTcpClient<CCommLocalClientBase>;
using CRemoteTcp = CCommTcpClient<CCommRemoteClientBase>;

void* NewEntry() { return new (std::nothrow) CSockWait; }
void DeleteEntry(void* entry) { delete static_cast<CSockWait*>(entry); }

CObjPool* Pool() {
  if (!glb || !glb->m_PoolFlag) return nullptr;
  if (!glb->m_pSockWaitPool)
    glb->m_pSockWaitPool = xNewObjPool(0, XNONE32, kPoolBlock, NewEntry, DeleteEntry, nullptr, nullptr);
  return glb->m_pSockWaitPool;
}

void Add(CLList& entries, int sock, void* owner, int32_t kind) {
  if (sock < 0) return;
  CSockWait* entry = xAllocSockWait();
  if (!entry) return;
  *entry = CSockWait{};
  entry->m_Socket = sock;
  entry->m_ReadInterest = 1;
  entry->m_pOwner = owner;
  entry->m_Kind = kind;
  if (!entries.InsertLast(entry)) xFreeSockWait(entry);
}

// pending becomes true when a link's TLS or KVT layer holds bytes that no poll would show.
template <class Client>
void AddClients(CLList& entries, CLList* started, int32_t kind, bool& pending) {
  for (CNode* n = started ? started->HeadNode() : nullptr; n; n = n->m_pNext) {
    auto* link = static_cast<Client*>(n->m_pData);
    if (!link->IsConnected()) continue;
    Add(entries, link->GetSocket(), link, kind);
    if (link->GetSocket() >= 0 && xSocketHasPending(link->GetCryptData())) pending = true;
  }
}

template <class Server>
void AddServers(CLList& entries, CLList* started, int32_t kind) {
  for (CNode* n = started ? started->HeadNode() : nullptr; n; n = n->m_pNext) {
    auto* server = static_cast<Server*>(n->m_pData);
    if (server->IsRunning()) Add(entries, server->GetListenSocket(), server, kind);
  }
}

}  // namespace

CSockWait* xAllocSockWait() {
  if (CObjPool* pool = Pool()) return static_cast<CSockWait*>(pool->Alloc());
  return new (std::nothrow) CSockWait;
}

void xFreeSockWait(CSockWait* entry) {
  if (!entry) return;
  if (glb && glb->m_pSockWaitPool)
    glb->m_pSockWaitPool->Free(entry);
  else
    delete entry;
}

void xFreeSockWaitPool() {
  if (!glb) return;
  delete glb->m_pSockWaitPool;
  glb->m_pSockWaitPool = nullptr;
}

void xWaitTimeOrSockets(int32_t ms) {
  if (!glb) {
    if (ms > 0) xSleep(static_cast<uint32_t>(ms));
    return;
  }
  CLList entries;
  bool pending = false;
  AddClients<CLocalTcp>(entries, glb->m_pStartedLocalClientList, SOCKWAIT_LOCAL_CLIENT, pending);
  AddClients<CRemoteTcp>(entries, glb->m_pStartedRemoteClientList, SOCKWAIT_REMOTE_CLIENT, pending);
  AddServers<CCommTcpServer<CCommLocalServerBase>>(entries, glb->m_pStartedLocalServerList, SOCKWAIT_LOCAL_SERVER);
  AddServers<CCommTcpServer<CCommRemoteServerBase>>(entries, glb->m_pStartedRemoteServerList, SOCKWAIT_REMOTE_SERVER);
  // The forwarding proxy's connections and servers join the wait here once the proxy is built.
  xWaitTimeOrSocketsLowLevel(pending ? 0 : ms, &entries);

  const CLList* localList = glb->m_pStartedLocalClientList;
  const CLList* remoteList = glb->m_pStartedRemoteClientList;
  const uint32_t removals = xCommStartedClientRemovals();
  // A handler may end or close down another link meanwhile; only links still started count.
  // Looking each one up costs a walk of the list, so it is done only once something left.
  auto stillStarted = [&](const CLList* list, const void* owner) {
    const bool untouched = removals == xCommStartedClientRemovals() && localList == glb->m_pStartedLocalClientList &&
                           remoteList == glb->m_pStartedRemoteClientList;
    return untouched || xCommInList(list, owner);
  };
  for (int32_t pass = 0; pass < kHandlerPasses; ++pass) {
    for (CNode* n = entries.HeadNode(); n; n = n->m_pNext) {
      const auto* entry = static_cast<CSockWait*>(n->m_pData);
      if (entry->m_Kind == SOCKWAIT_LOCAL_CLIENT && stillStarted(glb->m_pStartedLocalClientList, entry->m_pOwner)) {
        auto* link = static_cast<CLocalTcp*>(entry->m_pOwner);
        if (link->IsConnected()) link->NonBlockedHandler();
      } else if (entry->m_Kind == SOCKWAIT_REMOTE_CLIENT &&
                 stillStarted(glb->m_pStartedRemoteClientList, entry->m_pOwner)) {
        auto* link = static_cast<CRemoteTcp*>(entry->m_pOwner);
        if (link->IsConnected()) link->NonBlockedHandler();
      }
    }
  }
  for (CNode* n = entries.HeadNode(); n; n = n->m_pNext) xFreeSockWait(static_cast<CSockWait*>(n->m_pData));
}
