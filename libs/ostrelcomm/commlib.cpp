#include "ostrelcomm/commlib.h"

#include <openssl/crypto.h>

#include <cstdarg>
#include <cstdio>
#include <new>

#include "ostrel/containers/llist.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/memhooks.h"
#include "ostrelcomm/commbase.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/packet.h"
#include "ostrelcomm/packetcache.h"
#include "ostrelcomm/socketwait.h"

namespace {

constexpr uint32_t kKeepAliveInterval = 100;

// The one piece of state the library keeps itself: when the keep-alive last ran.
bool g_KeepAliveStarted = false;
uint32_t g_KeepAliveLast = 0;

void* TlsAlloc(size_t size, const char*, int) { return xSysAllocMemFunc(size); }
void* TlsRealloc(void* block, size_t size, const char*, int) { return xSysReallocMemFunc(block, size); }
void TlsFree(void* block, const char*, int) { xSysFreeMemFunc(block); }

CLList* SGlobals::* const kLinkLists[] = {
    &SGlobals::m_pLocalClientCommList,  &SGlobals::m_pLocalServerCommList,
    &SGlobals::m_pRemoteClientCommList, &SGlobals::m_pRemoteServerCommList,
};
CLList* SGlobals::* const kStartedLists[] = {
    &SGlobals::m_pStartedLocalClientList,  &SGlobals::m_pStartedRemoteClientList,
    &SGlobals::m_pStartedLocalServerList,  &SGlobals::m_pStartedRemoteServerList,
};
CLList* SGlobals::* const kProxyLists[] = {
    &SGlobals::m_pProxyConnectionList,
    &SGlobals::m_pProxyServerList,
};

template <size_t N>
bool CreateGroup(CLList* SGlobals::* const (&group)[N]) {
  for (auto field : group) {
    glb->*field = new (std::nothrow) CLList;
    if (!(glb->*field)) return false;
  }
  return true;
}

template <size_t N>
void DestroyGroup(CLList* SGlobals::* const (&group)[N]) {
  for (auto field : group) {
    delete (glb->*field);
    glb->*field = nullptr;
  }
}

// The client-link registries in the order every walk visits them: local, then remote.
struct SClientLists {
  CLList* m_pLocal;
  CLList* m_pRemote;
};

SClientLists ClientLists() {
  if (!glb) return {nullptr, nullptr};
  return {glb->m_pLocalClientCommList, glb->m_pRemoteClientCommList};
}

// Every client link, local first, as a snapshot.
CCommSnapshot ClientLinks() {
  const SClientLists lists = ClientLists();
  return CCommSnapshot(lists.m_pLocal, lists.m_pRemote);
}

bool StillClientLink(void* link) {
  const SClientLists lists = ClientLists();
  return xCommInList(lists.m_pLocal, link) || xCommInList(lists.m_pRemote, link);
}

bool IsLocalLink(void* link) { return xCommInList(ClientLists().m_pLocal, link); }

// Registers or unregisters every node of the registry on the link.
int32_t ForEachNodeOn(CCommBase* link, bool registering) {
  if (!link || !glb) return 0;
  CLList* nodes = xCommNodeList(0);
  if (!nodes) return 1;
  for (void* p : CCommSnapshot(nodes)) {
    if (!xCommInList(nodes, p)) continue;
    auto* node = static_cast<CCommNode*>(p);
    if (registering) {
      if (!link->RegisterCommNode(node)) return 0;
    } else {
      link->UnregisterCommNode(node);
    }
  }
  return 1;
}

// The links that take routed packets from another link: every other client link that accepts
// nodes and routing.
bool TakesRouted(const CCommBase* from, void* p) {
  if (p == from || !StillClientLink(p)) return false;
  const auto* link = static_cast<const CCommBase*>(p);
  return link->AcceptNodes() && link->AcceptNodeRoutingFromOtherComm();
}

// Sends a copy of the packet on every link that takes routed packets and that wants it; 1 when at
// least one copy went out.
template <class Wants>
int32_t RouteCopies(CCommBase* from, const SXPacket* packet, const char* toLocal, const char* toRemote,
                    Wants wants) {
  uint32_t size;
  if (!packet->GetPacketSize(size)) return 0;
  int32_t sent = 0;
  for (void* p : ClientLinks()) {
    if (!TakesRouted(from, p)) continue;
    auto* link = static_cast<CCommBase*>(p);
    if (!wants(link)) continue;
    SXPacket* copy;
    if (!packet->MakeNewPacket(copy)) continue;
    if (!link->SendPacket(copy)) {
      xFree(copy);
      continue;
    }
    link->LogRoute(from, IsLocalLink(p) ? toLocal : toRemote, packet, size);
    sent = 1;
  }
  return sent;
}

}  // namespace

// ---- entry points ----

int32_t xCommDllSetGlobals(SGlobals* g, SSysGlobals* s) {
  glb = g;
  sglb = s;
  return 1;
}

int32_t xCommStartup(SGlobals* g, SSysGlobals* s) {
  glb = g;
  sglb = s;
  // Refused once the TLS library has allocated; it then keeps its own allocator, consistently.
  CRYPTO_set_mem_functions(TlsAlloc, TlsRealloc, TlsFree);
  SetLoadDataCallback(CommDefaultLoadDataCallback);
  SetWaitTimeOrSocketsCallback(xWaitTimeOrSockets);
  xCommKeepFreedMemory();
  return CommBaseStartup();
}

int32_t xCommClosedown() {
  CommBaseExit();
  return 1;
}

int32_t CommBaseStartup() {
  CommBaseExit();
  if (!glb) return 0;
  g_KeepAliveStarted = false;
  if (!CreateGroup(kLinkLists)) return 0;
  if (!CreateGroup(kStartedLists)) return 0;
  return CreateGroup(kProxyLists) ? 1 : 0;
}

void CommBaseExit() {
  if (!glb) return;
  DestroyGroup(kLinkLists);
  DestroyGroup(kStartedLists);
  DestroyGroup(kProxyLists);
  xFreeSockWaitPool();
  xCommFreePacketBlocks();
}

// ---- keep-alive ----

void CommDefaultLoadDataCallback() {
  const uint32_t now = xGetTime();
  if (!g_KeepAliveStarted) {
    g_KeepAliveStarted = true;
    g_KeepAliveLast = now;
  }
  if (xTimeDiff(g_KeepAliveLast, now) <= kKeepAliveInterval) return;
  const SClientLists lists = ClientLists();
  // A handler that fails disconnects its link, which leaves the registry during the walk.
  for (CLList* list : {lists.m_pLocal, lists.m_pRemote}) {
    const bool local = list == lists.m_pLocal;
    for (void* p : CCommSnapshot(list)) {
      if (!xCommInList(list, p)) continue;
      auto* link = static_cast<CCommBase*>(p);
      if (!link->IsConnected() || link->NonBlockedHandler()) continue;
      if (local)
        static_cast<CCommLocalClientBase*>(link)->Disconnect();
      else
        static_cast<CCommRemoteClientBase*>(link)->Disconnect();
    }
  }
  g_KeepAliveLast = now;
}

// ---- nodes on links ----

// Like the remote variant, a loopback link that takes no nodes is passed over rather than failed.
int32_t AddLocalCommToCommNode(CCommBase* link) {
  if (!link) return 0;
  return link->AcceptNodes() ? ForEachNodeOn(link, true) : 1;
}

int32_t AddRemoteCommToCommNode(CCommBase* link) {
  if (!link) return 0;
  return link->AcceptNodes() ? ForEachNodeOn(link, true) : 1;
}

int32_t RemoveLocalCommFromCommNode(CCommBase* link) { return ForEachNodeOn(link, false); }

int32_t RemoveRemoteCommFromCommNode(CCommBase* link) {
  if (!link) return 0;
  return link->AcceptNodes() ? ForEachNodeOn(link, false) : 1;
}

int32_t CommRegisterNodeOnComms(CCommNode* node) {
  if (!glb) return 0;
  for (void* p : ClientLinks()) {
    if (!StillClientLink(p)) continue;
    auto* link = static_cast<CCommBase*>(p);
    if (link->AcceptNodes() && !link->RegisterCommNode(node)) return 0;
  }
  return 1;
}

void CommUnregisterNodeFromComms(CCommNode* node) {
  for (void* p : ClientLinks()) {
    if (!StillClientLink(p)) continue;
    auto* link = static_cast<CCommBase*>(p);
    if (link->AcceptNodes()) link->UnregisterCommNode(node);
  }
}

// ---- routing ----

int32_t CommAnnounceOtherSideNodes(CCommBase* link) {
  const SClientLists lists = ClientLists();
  if (!link || !lists.m_pLocal || !lists.m_pRemote) return 0;
  if (!link->AcceptNodes() || !link->AcceptNodeRoutingFromOtherComm()) return 1;
  for (void* p : ClientLinks()) {
    if (p == link || !StillClientLink(p)) continue;
    auto* other = static_cast<CCommBase*>(p);
    if (other->AcceptNodes()) other->SendOtherSideNodes(link);
  }
  return 1;
}

int32_t CommRouteRegisterPacket(CCommBase* from, const SXPacket* packet) {
  if (!from || !packet) return 0;
  const auto* node = static_cast<const SXPacketCNode*>(packet);
  uint32_t type, size;
  if (!node->GetNodeType(type) || !node->GetPacketSize(size)) return 0;
  if (type == CNODE_SERVER && from->GetNeverRouteNode_From_Server() == 1) return 1;
  if (type == CNODE_CLIENT && from->GetNeverRouteNode_From_Client() == 1) return 1;
  return RouteCopies(from, packet, ">Register Route (to local)<", ">Register Route (to remote)<",
                     [type](CCommBase* link) {
                       if (type == CNODE_CLIENT && link->GetNeverRouteNode_To_Client() == 1) return false;
                       if (type == CNODE_SERVER && link->GetNeverRouteNode_To_Server() == 1) return false;
                       return true;
                     });
}

namespace {

// Where a node-data packet that came in on `from` is routed: to each link whose far side knows a
// node of its id and name and whose never-route flags let its type through.
struct SNodeDataRoute {
  bool m_Readable = false;
  bool m_HeldBack = false;  // from's never-route flag for the type keeps it on this side
  uint32_t m_Type = 0, m_Id = 0, m_NameSize = 0;
  const char* m_pName = nullptr;

  bool Wants(CCommBase* link) const {
    if (m_Type == CNODE_CLIENT && link->GetNeverRouteNode_To_Client() == 1) return false;
    if (m_Type == CNODE_SERVER && link->GetNeverRouteNode_To_Server() == 1) return false;
    return link->HasOtherSideNode(m_pName, m_NameSize, m_Id, m_Type) != 0;
  }
};

SNodeDataRoute NodeDataRoute(const CCommBase* from, const SXPacket* packet) {
  SNodeDataRoute route;
  const auto* node = static_cast<const SXPacketCNode*>(packet);
  uint32_t size;
  if (!node->GetNodeType(route.m_Type) || !node->GetPacketSize(size) || !node->GetNodeNameSize(route.m_NameSize) ||
      !node->GetNodeId(route.m_Id))
    return route;
  route.m_pName = node->GetNodeName();
  route.m_Readable = route.m_pName != nullptr;
  route.m_HeldBack = (route.m_Type == CNODE_SERVER && from->GetNeverRouteNode_From_Server() == 1) ||
                     (route.m_Type == CNODE_CLIENT && from->GetNeverRouteNode_From_Client() == 1);
  return route;
}

}  // namespace

int32_t CommRouteNodeData(CCommBase* from, const SXPacket* packet) {
  if (!from || !packet) return 0;
  const SNodeDataRoute route = NodeDataRoute(from, packet);
  if (!route.m_Readable) return 0;
  if (route.m_HeldBack) return 1;
  return RouteCopies(from, packet, ">Route (to local)<", ">Route (to remote)<",
                     [&](CCommBase* link) { return route.Wants(link); });
}

int32_t CommNodeDataGoesOn(CCommBase* from, const SXPacket* packet) {
  if (!from || !packet) return 0;
  const SNodeDataRoute route = NodeDataRoute(from, packet);
  if (!route.m_Readable || route.m_HeldBack) return 0;
  for (void* p : ClientLinks())
    if (TakesRouted(from, p) && route.Wants(static_cast<CCommBase*>(p))) return 1;
  return 0;
}

// ---- helpers ----

int32_t xCommError(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  xprintf("%s\n", text);
  return 0;
}

CLList* xCommNodeList(int32_t create) {
  if (!glb) return nullptr;
  if (!glb->m_pNodeList && create) glb->m_pNodeList = new (std::nothrow) CLList;
  return glb->m_pNodeList;
}

CCommSnapshot::CCommSnapshot(const CLList* list, const CLList* more) {
  const size_t total = static_cast<size_t>((list ? list->GetNumNodes() : 0) + (more ? more->GetNumNodes() : 0));
  if (total > kInline) {
    m_Heap.resize(total);
    m_pItems = m_Heap.data();
  }
  for (const CLList* l : {list, more}) {
    if (!l) continue;
    for (CNode* n = l->HeadNode(); n && m_Count < total; n = n->m_pNext) m_pItems[m_Count++] = n->m_pData;
  }
}

int32_t xCommInList(const CLList* list, const void* data) {
  if (!list) return 0;
  for (CNode* n = list->HeadNode(); n; n = n->m_pNext)
    if (n->m_pData == data) return 1;
  return 0;
}

namespace {
uint32_t g_StartedClientRemovals = 0;
}

int32_t xCommRemoveFromList(CLList* list, void* data) {
  if (!xCommInList(list, data)) return 0;
  list->DeleteItem(data);
  if (glb && (list == glb->m_pStartedLocalClientList || list == glb->m_pStartedRemoteClientList))
    ++g_StartedClientRemovals;
  return 1;
}

uint32_t xCommStartedClientRemovals() { return g_StartedClientRemovals; }
