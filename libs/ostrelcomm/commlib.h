// The library's entry points, its registries of nodes and links in the process globals, the
// keep-alive that services links while the host loads data, and the routing of node packets between
// the links of one process.
#pragma once

#include <cstdint>
#include <vector>

#include "ostrel/system/globals.h"

class CCommBase;
class CCommNode;
struct SXPacket;

// Stores the host's two blocks for the library; 1.
int32_t xCommDllSetGlobals(SGlobals* g, SSysGlobals* s);
// Stores the blocks, hands the TLS library the runtime's allocator, installs the keep-alive as
// the load-data callback and creates the registries; 1 when they could be created.
int32_t xCommStartup(SGlobals* g, SSysGlobals* s);
// Destroys the registries (not the objects in them); 1.
int32_t xCommClosedown();

// Destroys the registries first, then creates the registered-link, started-object and proxy
// lists; 0 without globals or as soon as a group cannot be created.
int32_t CommBaseStartup();
void CommBaseExit();

// The keep-alive: at most every 100 ms, runs the handler of every connected client link and
// disconnects those whose handler fails.
void CommDefaultLoadDataCallback();

// Register (or unregister) every node of the node registry on the link. Registration passes over
// links that take no nodes; the remote unregistration too.
int32_t AddLocalCommToCommNode(CCommBase* link);
int32_t AddRemoteCommToCommNode(CCommBase* link);
int32_t RemoveLocalCommFromCommNode(CCommBase* link);
int32_t RemoveRemoteCommFromCommNode(CCommBase* link);

// Register (or unregister) one node on every registered client link that accepts nodes.
// Registration stops at the first failure and reports it.
int32_t CommRegisterNodeOnComms(CCommNode* node);
void CommUnregisterNodeFromComms(CCommNode* node);

// Run when a client link registers: every other client link that accepts nodes announces its
// far-side nodes on the new link (when that one accepts nodes and routing). 0 only without
// registries.
int32_t CommAnnounceOtherSideNodes(CCommBase* link);
// Forward a register or unregister packet that arrived on a link to the other links that accept
// routing; 1 when at least one copy was sent (or routing from this side is switched off).
int32_t CommRouteRegisterPacket(CCommBase* from, const SXPacket* packet);
// Forward a node-data packet to every other link whose far side knows a matching node; 1 when at
// least one copy was sent.
int32_t CommRouteNodeData(CCommBase* from, const SXPacket* packet);
// 1 when CommRouteNodeData would send a copy of the packet (only its node header is read) on at
// least one link.
int32_t CommNodeDataGoesOn(CCommBase* from, const SXPacket* packet);

// The library's error sink: hands the diagnostic to the debug sink and returns 0, which callers
// pass on as their failure.
int32_t xCommError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The node registry, created when create is non-zero and it does not exist; null without globals.
CLList* xCommNodeList(int32_t create);

// Registry walks that call out to links, hooks or nodes work on a copy of the list and check
// before each call that the entry is still listed, so one removed meanwhile is never touched.
// The copy of a short list stays on the stack.
class CCommSnapshot {
 public:
  explicit CCommSnapshot(const CLList* list, const CLList* more = nullptr);
  CCommSnapshot(const CCommSnapshot&) = delete;
  CCommSnapshot& operator=(const CCommSnapshot&) = delete;
  void* const* begin() const { return m_pItems; }
  void* const* end() const { return m_pItems + m_Count; }

 private:
  static constexpr size_t kInline = 16;
  void* m_Inline[kInline];
  std::vector<void*> m_Heap;
  void** m_pItems = m_Inline;
  size_t m_Count = 0;
};
// 1 when data stands in the list; the list's cursor is not moved.
int32_t xCommInList(const CLList* list, const void* data);
// Removes data from the list; 1 when it was there.
int32_t xCommRemoveFromList(CLList* list, void* data);
// Counts removals from the started-client lists, so walks over a snapshot of them can tell
// cheaply whether every entry is still started.
uint32_t xCommStartedClientRemovals();
