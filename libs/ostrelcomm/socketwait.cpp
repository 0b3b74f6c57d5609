#include "ostrelcomm/socketwait.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <vector>

#include "ostrel/containers/llist.h"
#include "ostrel/containers/objpool.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"
#include "ostrelcomm/proxyserver/proxyserver.h"
#include "ostrelcomm/socket.h"

namespace {

constexpr int32_t kPoolBlock = 1024;
constexpr int32_t kHandlerPasses = 4;
constexpr int kMaxEvents = 256;

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

// One registered socket, found by its number.
struct SSlot {
  CSockWait* m_pEntry = nullptr;
  uint32_t m_Serial = 0;  // the owner's socket serial; 0 for owners without one (checked each call)
  uint32_t m_Events = 0;
  uint32_t m_Seen = 0;    // the call that last found the socket in use
  uint32_t m_Ready = 0;   // the call whose wait found it ready
};

// A socket another object (a download) wants the wait to end on.
struct SWatch {
  const void* m_pOwner;
  int m_Socket;
  uint32_t m_Events;
};

// The wait set kept between calls: the sockets stay registered with the kernel, and a call only
// brings the registrations up to date with the links, servers and proxies as they stand.
class CWaitSet {
 public:
  explicit CWaitSet(SGlobals* globals) : m_pGlobals(globals), m_Epoll(epoll_create1(EPOLL_CLOEXEC)) {}
  ~CWaitSet() {
    // Entries of other globals went with their pool.
    if (m_pGlobals == glb)
      for (int sock : m_Registered) xFreeSockWait(m_Slots[static_cast<size_t>(sock)].m_pEntry);
    if (m_Epoll >= 0) close(m_Epoll);
  }
  CWaitSet(const CWaitSet&) = delete;
  CWaitSet& operator=(const CWaitSet&) = delete;

  SGlobals* Globals() const { return m_pGlobals; }
  bool Usable() const { return m_Epoll >= 0; }
  void Wait(int32_t ms);
  void Watch(const void* owner, int sock, uint32_t events);
  void Forget(const void* owner);

 private:
  // Keeps sock registered for owner this call; serial 0 re-registers it every call.
  void Keep(int sock, uint32_t serial, void* owner, int32_t kind, uint32_t events);
  void Drop(int sock);
  template <class Client>
  void KeepClients(CLList* started, int32_t kind, bool& pending);
  template <class Server>
  void KeepServers(CLList* started, int32_t kind);
  void KeepProxies(bool& pending);
  void DropStale();
  void HandleDue();

  SGlobals* m_pGlobals;
  int m_Epoll;
  uint32_t m_Call = 0;
  std::vector<SSlot> m_Slots;
  std::vector<int> m_Registered;
  std::vector<SWatch> m_Watches;
  // Client links to handle after the wait: ready ones, and ones whose TLS or KVT layer holds bytes.
  std::vector<CSockWait*> m_Due;
  epoll_event m_Events[kMaxEvents];
};

CWaitSet* g_pWaitSet = nullptr;

CWaitSet* WaitSet() {
  if (!glb) return nullptr;
  if (g_pWaitSet && g_pWaitSet->Globals() != glb) {
    delete g_pWaitSet;
    g_pWaitSet = nullptr;
  }
  if (!g_pWaitSet) g_pWaitSet = new (std::nothrow) CWaitSet(glb);
  if (g_pWaitSet && !g_pWaitSet->Usable()) {
    delete g_pWaitSet;
    g_pWaitSet = nullptr;
  }
  return g_pWaitSet;
}

void CWaitSet::Keep(int sock, uint32_t serial, void* owner, int32_t kind, uint32_t events) {
  if (sock < 0) return;
  if (static_cast<size_t>(sock) >= m_Slots.size()) m_Slots.resize(static_cast<size_t>(sock) + 64);
  SSlot& slot = m_Slots[static_cast<size_t>(sock)];
  const bool fresh = !slot.m_pEntry;
  if (fresh) {
    slot.m_pEntry = xAllocSockWait();
    if (!slot.m_pEntry) return;
    m_Registered.push_back(sock);
  }
  CSockWait& entry = *slot.m_pEntry;
  // A socket number seen before may stand for another socket now (the old one closed, which took
  // it out of the kernel's set): a changed owner or serial registers it again.
  const bool same = !fresh && serial && slot.m_Serial == serial && entry.m_pOwner == owner && entry.m_Kind == kind;
  if (!same || slot.m_Events != events) {
    epoll_event e{};
    e.events = events;
    e.data.fd = sock;
    if (epoll_ctl(m_Epoll, EPOLL_CTL_MOD, sock, &e) != 0 && errno == ENOENT) epoll_ctl(m_Epoll, EPOLL_CTL_ADD, sock, &e);
  }
  entry = CSockWait{};
  entry.m_Socket = sock;
  entry.m_ReadInterest = (events & EPOLLIN) != 0;
  entry.m_WriteInterest = (events & EPOLLOUT) != 0;
  entry.m_pOwner = owner;
  entry.m_Kind = kind;
  slot.m_Serial = serial;
  slot.m_Events = events;
  slot.m_Seen = m_Call;
}

void CWaitSet::Drop(int sock) {
  SSlot& slot = m_Slots[static_cast<size_t>(sock)];
  epoll_ctl(m_Epoll, EPOLL_CTL_DEL, sock, nullptr);
  xFreeSockWait(slot.m_pEntry);
  slot = SSlot{};
}

template <class Client>
void CWaitSet::KeepClients(CLList* started, int32_t kind, bool& pending) {
  for (CNode* n = started ? started->HeadNode() : nullptr; n; n = n->m_pNext) {
    auto* link = static_cast<Client*>(n->m_pData);
    const int sock = link->GetSocket();
    if (!link->IsConnected() || sock < 0) continue;
    // A link with bytes to write wakes the wait once the socket takes them.
    Keep(sock, link->GetSocketSerial(), link, kind, EPOLLIN | (link->NeedWrite() ? EPOLLOUT : 0));
    if (xSocketHasPending(link->GetCryptData())) {
      pending = true;
      m_Slots[static_cast<size_t>(sock)].m_Ready = m_Call;
    }
  }
}

template <class Server>
void CWaitSet::KeepServers(CLList* started, int32_t kind) {
  for (CNode* n = started ? started->HeadNode() : nullptr; n; n = n->m_pNext) {
    auto* server = static_cast<Server*>(n->m_pData);
    if (server->IsRunning()) Keep(server->GetListenSocket(), server->GetSocketSerial(), server, kind, EPOLLIN);
  }
}

void CWaitSet::KeepProxies(bool& pending) {
  std::vector<CSockWait> entries;
  for (CNode* n = glb->m_pProxyServerList ? glb->m_pProxyServerList->HeadNode() : nullptr; n; n = n->m_pNext) {
    auto* proxy = static_cast<CCommProxyServer*>(n->m_pData);
    Keep(*proxy->GetListeningSocketPtr(), 0, proxy, SOCKWAIT_PROXY_SERVER, EPOLLIN);
    for (CNode* c = proxy->GetConnections()->HeadNode(); c; c = c->m_pNext) {
      auto* connection = static_cast<CProxyConnection*>(c->m_pData);
      entries.clear();
      if (!connection->WaitEntries(entries)) pending = true;
      for (const CSockWait& e : entries) {
        const int32_t kind =
            e.m_Socket == *connection->GetClientSocketPtr() ? SOCKWAIT_PROXY_CLIENT_SIDE : SOCKWAIT_PROXY_SERVER_SIDE;
        Keep(e.m_Socket, 0, connection, kind, (e.m_ReadInterest ? EPOLLIN : 0) | (e.m_WriteInterest ? EPOLLOUT : 0));
      }
    }
  }
}

void CWaitSet::DropStale() {
  for (size_t i = 0; i < m_Registered.size();) {
    const int sock = m_Registered[i];
    if (m_Slots[static_cast<size_t>(sock)].m_Seen == m_Call) {
      ++i;
      continue;
    }
    Drop(sock);
    m_Registered[i] = m_Registered.back();
    m_Registered.pop_back();
  }
}

void CWaitSet::Wait(int32_t ms) {
  if (++m_Call == 0) m_Call = 1;
  bool pending = false;
  KeepClients<CLocalTcp>(glb->m_pStartedLocalClientList, SOCKWAIT_LOCAL_CLIENT, pending);
  KeepClients<CRemoteTcp>(glb->m_pStartedRemoteClientList, SOCKWAIT_REMOTE_CLIENT, pending);
  KeepServers<CCommTcpServer<CCommLocalServerBase>>(glb->m_pStartedLocalServerList, SOCKWAIT_LOCAL_SERVER);
  KeepServers<CCommTcpServer<CCommRemoteServerBase>>(glb->m_pStartedRemoteServerList, SOCKWAIT_REMOTE_SERVER);
  KeepProxies(pending);
  for (const SWatch& w : m_Watches) Keep(w.m_Socket, 0, const_cast<void*>(w.m_pOwner), SOCKWAIT_WATCHED, w.m_Events);
  DropStale();

  if (m_Registered.empty()) {
    if (ms > 0) xSleep(static_cast<uint32_t>(ms));
    return;
  }
  int n = epoll_wait(m_Epoll, m_Events, kMaxEvents, pending || ms < 0 ? 0 : ms);
  for (int round = 0; n > 0; ++round) {
    for (int i = 0; i < n; ++i) {
      SSlot& slot = m_Slots[static_cast<size_t>(m_Events[i].data.fd)];
      if (!slot.m_pEntry) continue;
      slot.m_Ready = m_Call;
      slot.m_pEntry->m_Readable = (m_Events[i].events & (EPOLLIN | EPOLLERR | EPOLLHUP)) != 0;
      slot.m_pEntry->m_Writable = (m_Events[i].events & EPOLLOUT) != 0;
    }
    // More ready sockets than one batch holds: take the rest without waiting.
    n = n == kMaxEvents && round < 64 ? epoll_wait(m_Epoll, m_Events, kMaxEvents, 0) : 0;
  }
  HandleDue();
}

// Runs the handler of every client link that is ready, four passes over them; the links that
// neither got bytes nor have bytes to move are left alone.
void CWaitSet::HandleDue() {
  m_Due.clear();
  for (int sock : m_Registered) {
    const SSlot& slot = m_Slots[static_cast<size_t>(sock)];
    const int32_t kind = slot.m_pEntry->m_Kind;
    if (slot.m_Ready == m_Call && (kind == SOCKWAIT_LOCAL_CLIENT || kind == SOCKWAIT_REMOTE_CLIENT))
      m_Due.push_back(slot.m_pEntry);
  }
  if (m_Due.empty()) return;
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
  // The owners are copied first: a handler that ends a link may make the wait set drop its entry.
  std::vector<std::pair<void*, int32_t>> due;
  due.reserve(m_Due.size());
  for (const CSockWait* entry : m_Due) due.emplace_back(entry->m_pOwner, entry->m_Kind);
  for (int32_t pass = 0; pass < kHandlerPasses; ++pass) {
    for (const auto& [owner, kind] : due) {
      if (kind == SOCKWAIT_LOCAL_CLIENT && stillStarted(glb->m_pStartedLocalClientList, owner)) {
        auto* link = static_cast<CLocalTcp*>(owner);
        if (link->IsConnected()) link->NonBlockedHandler();
      } else if (kind == SOCKWAIT_REMOTE_CLIENT && stillStarted(glb->m_pStartedRemoteClientList, owner)) {
        auto* link = static_cast<CRemoteTcp*>(owner);
        if (link->IsConnected()) link->NonBlockedHandler();
      }
    }
  }
}

void CWaitSet::Watch(const void* owner, int sock, uint32_t events) {
  for (SWatch& w : m_Watches)
    if (w.m_pOwner == owner && w.m_Socket == sock) {
      w.m_Events = events;
      return;
    }
  m_Watches.push_back({owner, sock, events});
}

void CWaitSet::Forget(const void* owner) {
  for (size_t i = 0; i < m_Watches.size();) {
    if (m_Watches[i].m_pOwner == owner) {
      m_Watches[i] = m_Watches.back();
      m_Watches.pop_back();
    } else {
      ++i;
    }
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
  xCloseSocketWait();
  if (!glb) return;
  delete glb->m_pSockWaitPool;
  glb->m_pSockWaitPool = nullptr;
}

void xCloseSocketWait() {
  delete g_pWaitSet;
  g_pWaitSet = nullptr;
}

void xWaitTimeOrSockets(int32_t ms) {
  CWaitSet* set = WaitSet();
  if (!set) {
    if (ms > 0) xSleep(static_cast<uint32_t>(ms));
    return;
  }
  set->Wait(ms);
}

void xSockWaitWatch(const void* owner, int sock, int32_t readInterest, int32_t writeInterest) {
  CWaitSet* set = WaitSet();
  if (!set || !owner || sock < 0) return;
  const uint32_t events = (readInterest ? EPOLLIN : 0) | (writeInterest ? EPOLLOUT : 0);
  if (events) set->Watch(owner, sock, events);
}

void xSockWaitForget(const void* owner) {
  if (g_pWaitSet && g_pWaitSet->Globals() == glb) g_pWaitSet->Forget(owner);
}
