// The other process of the communication tests: a program with its own globals and the library
// started, holding links and nodes on orders from stdin and answering one line per order on
// stdout. Between orders it services every server, link and timer, as a program's frame loop does.
//   types RAW NODE             packet types of the links made from now on
//   serve remote|local         start a server on a port the system picks: "port N"
//   connect remote|local PORT  connect a link: "connected L" (L its number) or "failed"
//   neverroute L WHICH V       WHICH is to-client, to-server, from-client or from-server
//   pingclient L V             answer the pings that arrive on link L
//   node NAME ID TYPE PRIVATE  start a node (TYPE 1 any, 2 server, 3 client): "node ok" or "node failed"
//   send NAME KEY TEXT         a record with one text item from the node: "sent R"
//   raw L TEXT                 a raw packet on link L: "raw R"
//   rawbig L N                 a raw packet of N pattern bytes on link L: "raw R"
//   expect-node NAME [MS]      wait (20 s unless MS is given) for a record at the node:
//                              "record NAME KEY TEXT" or "timeout"
//   expect-raw L [MS]          wait for a raw packet on link L: "raw TEXT" (short texts) or
//                              "raw SIZE HASH", else "timeout"
//   expect-down L              wait until link L is down: "down" or "timeout"
//   far L [N]                  the far-side nodes of link L, once there are N of them (20 s at
//                              most): "far" and " NAME/ID/TYPE/COUNT" each
//   quit
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/kcbl/kcbltags.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"

namespace {

constexpr uint32_t kWaitMs = 20000;

int32_t g_Raw = 1;
int32_t g_Node = 1;
std::vector<std::unique_ptr<CCommRemoteServer>> g_RemoteServers;
std::vector<std::unique_ptr<CCommLocalServer>> g_LocalServers;
std::vector<std::unique_ptr<CCommBase>> g_Links;
std::vector<std::unique_ptr<CCommNode>> g_Nodes;

void Say(const std::string& line) {
  std::cout << line << std::endl;
}

uint32_t Fnv(const uint8_t* data, uint32_t size) {
  uint32_t h = 2166136261u;
  for (uint32_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  return h;
}

int32_t Connected(CCommBase* link) { return link->IsConnected(); }

void Service() {
  for (auto& s : g_RemoteServers) s->NonBlockedHandler();
  for (auto& s : g_LocalServers) s->NonBlockedHandler();
  for (size_t i = 0; i < g_Links.size(); ++i) {
    CCommBase* link = g_Links[i].get();
    if (link->IsConnected()) {
      link->NonBlockedHandler();
    } else if (auto* r = dynamic_cast<CCommRemoteClient*>(link); r && r->GetSocket() >= 0) {
      r->NonBlockedConnectHandler();
    } else if (auto* l = dynamic_cast<CCommLocalClient*>(link); l && l->GetSocket() >= 0) {
      l->NonBlockedConnectHandler();
    }
  }
  xUpdateObjTimers();
}

// Services until done() holds or the wait runs out.
template <class Done>
bool WaitUntil(Done done, uint32_t ms = kWaitMs) {
  const uint32_t start = xGetTime();
  while (!done()) {
    if (xTimeDiff(start, xGetTime()) > ms) return false;
    Service();
    pollfd p{-1, 0, 0};
    poll(&p, 0, 1);
  }
  return true;
}

template <class Client, class Server>
int32_t Accept(CCommBaseServer* server, void*, int32_t) {
  auto link = std::make_unique<Client>();
  link->SetPacketTypes(g_Raw, g_Node);
  link->Startup();
  if (!link->SetConnectFromServer(static_cast<Server*>(server))) return 0;
  g_Links.push_back(std::move(link));
  return 1;
}

// Link number n of the order; one that a server is still to accept is waited for.
CCommBase* Link(std::istringstream& in) {
  size_t index = 0;
  in >> index;
  WaitUntil([&] { return index < g_Links.size(); });
  return index < g_Links.size() ? g_Links[index].get() : nullptr;
}

CCommNode* Node(const std::string& name) {
  for (auto& n : g_Nodes)
    if (n->GetName() && name == n->GetName()) return n.get();
  return nullptr;
}

void Serve(const std::string& kind) {
  if (kind == "remote") {
    auto server = std::make_unique<CCommRemoteServer>();
    server->SetPortA(0);
    server->SetCallbackFunction(Accept<CCommRemoteClient, CCommRemoteServer>, nullptr, 0);
    if (!server->Startup() || !server->StartListen() || !server->NonBlockedStartListenHandler()) return Say("failed");
    Say("port " + std::to_string(server->GetPortA()));
    g_RemoteServers.push_back(std::move(server));
  } else {
    auto server = std::make_unique<CCommLocalServer>();
    server->SetPortA(0);
    server->SetCallbackFunction(Accept<CCommLocalClient, CCommLocalServer>, nullptr, 0);
    if (!server->Startup() || !server->StartListen() || !server->NonBlockedStartListenHandler()) return Say("failed");
    Say("port " + std::to_string(server->GetPortA()));
    g_LocalServers.push_back(std::move(server));
  }
}

void Connect(const std::string& kind, uint32_t port) {
  std::unique_ptr<CCommBase> link;
  int32_t started = 0;
  if (kind == "remote") {
    auto r = std::make_unique<CCommRemoteClient>();
    r->SetPacketTypes(g_Raw, g_Node);
    r->SetRemoteLocation("127.0.0.1", port);
    started = r->Startup() && r->Connect();
    link = std::move(r);
  } else {
    auto l = std::make_unique<CCommLocalClient>();
    l->SetPacketTypes(g_Raw, g_Node);
    l->SetPortA(port);
    started = l->Startup() && l->Connect();
    link = std::move(l);
  }
  CCommBase* raw = link.get();
  g_Links.push_back(std::move(link));
  if (!started || !WaitUntil([&] { return Connected(raw); })) return Say("failed");
  Say("connected " + std::to_string(g_Links.size() - 1));
}

void Order(const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  if (verb == "types") {
    in >> g_Raw >> g_Node;
    Say("types ok");
  } else if (verb == "serve") {
    std::string kind;
    in >> kind;
    Serve(kind);
  } else if (verb == "connect") {
    std::string kind;
    uint32_t port = 0;
    in >> kind >> port;
    Connect(kind, port);
  } else if (verb == "neverroute") {
    CCommBase* link = Link(in);
    std::string which;
    int value = 0;
    in >> which >> value;
    if (!link) return Say("no link");
    if (which == "to-client") link->SetNeverRouteNode_To_Client(static_cast<uint8_t>(value));
    if (which == "to-server") link->SetNeverRouteNode_To_Server(static_cast<uint8_t>(value));
    if (which == "from-client") link->SetNeverRouteNode_From_Client(static_cast<uint8_t>(value));
    if (which == "from-server") link->SetNeverRouteNode_From_Server(static_cast<uint8_t>(value));
    Say("neverroute ok");
  } else if (verb == "pingclient") {
    CCommBase* link = Link(in);
    int value = 0;
    in >> value;
    if (!link) return Say("no link");
    link->SetPingClient(static_cast<uint8_t>(value));
    Say("pingclient ok");
  } else if (verb == "node") {
    std::string name;
    uint32_t id = 0, type = 0;
    int32_t isPrivate = 1;
    in >> name >> id >> type >> isPrivate;
    auto node = std::make_unique<CCommNode>();
    node->SetId(id);
    node->SetName(name.c_str());
    node->SetPrivate(isPrivate);
    if (!node->InitCommNode(type)) return Say("node failed");
    g_Nodes.push_back(std::move(node));
    Say("node ok");
  } else if (verb == "send") {
    std::string name, key, text;
    in >> name >> key;
    std::getline(in >> std::ws, text);
    CCommNode* node = Node(name);
    if (!node || !node->SendInit()) return Say("sent 0");
    node->NewItem(key.c_str(), KSTRING, text.c_str(), KEND);
    Say("sent " + std::to_string(node->SendKCBLPacket()));
  } else if (verb == "raw" || verb == "rawbig") {
    CCommBase* link = Link(in);
    std::string payload;
    if (verb == "raw") {
      std::getline(in >> std::ws, payload);
    } else {
      size_t size = 0;
      in >> size;
      payload.resize(size);
      for (size_t i = 0; i < size; ++i) payload[i] = static_cast<char>(i * 131 + (i >> 9));
    }
    if (!link) return Say("no link");
    Say("raw " + std::to_string(link->SendRawData(payload.data(), static_cast<uint32_t>(payload.size()))));
  } else if (verb == "expect-node") {
    std::string name;
    uint32_t ms = kWaitMs;
    in >> name >> ms;
    CCommNode* node = Node(name);
    if (!node || !WaitUntil([&] { return node->IsDataAvailable() != 0; }, ms) || !node->RecvKCBLPacket())
      return Say("timeout");
    char* keyword = node->m_RecvKCBL.GetKeyword();
    char* text = node->m_RecvKCBL.GetString(0);
    Say("record " + name + " " + (keyword ? keyword : "") + " " + (text ? text : ""));
    node->RecvKCBLFree();
  } else if (verb == "expect-raw") {
    CCommBase* link = Link(in);
    uint32_t ms = kWaitMs;
    in >> ms;
    void* data = nullptr;
    uint32_t size = 0;
    if (!link || !WaitUntil([&] { return link->RecvRawData(data, size) != 0; }, ms)) return Say("timeout");
    const auto* bytes = static_cast<const uint8_t*>(data);
    bool printable = size <= 64;
    for (uint32_t i = 0; i < size && printable; ++i) printable = bytes[i] >= 0x20 && bytes[i] < 0x7F;
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x", Fnv(bytes, size));
    Say(printable ? "raw " + std::string(static_cast<char*>(data), size)
                  : "raw " + std::to_string(size) + " " + hash);
    xFree(data);
  } else if (verb == "expect-down") {
    CCommBase* link = Link(in);
    Say(link && WaitUntil([&] { return !Connected(link); }) ? "down" : "timeout");
  } else if (verb == "far") {
    CCommBase* link = Link(in);
    int32_t count = 0;
    in >> count;
    if (!link) return Say("no link");
    WaitUntil([&] {
      int32_t n = 0;
      for (link->OtherSideNodes_First(); link->OtherSideNodes_Exists(); link->OtherSideNodes_Next()) ++n;
      return n >= count;
    });
    std::string out = "far";
    for (link->OtherSideNodes_First(); link->OtherSideNodes_Exists(); link->OtherSideNodes_Next()) {
      const SOtherSideNode* n = link->OtherSideNodes_Get();
      out += " " + std::string(n->m_pName) + "/" + std::to_string(n->m_NodeId) + "/" + std::to_string(n->m_NodeType) +
             "/" + std::to_string(n->m_RefCount);
    }
    Say(out);
  } else {
    Say("unknown " + verb);
  }
}

}  // namespace

int main() {
  // Dies with the test that started it.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  if (!xCommStartup(glb, sglb)) return 1;
  Say("ready");
  std::string pending;
  for (bool running = true; running;) {
    pollfd p{0, POLLIN, 0};
    if (poll(&p, 1, 1) > 0) {
      char buffer[4096];
      const ssize_t n = read(0, buffer, sizeof buffer);
      if (n <= 0) break;
      pending.append(buffer, static_cast<size_t>(n));
      for (size_t nl; running && (nl = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        if (line == "quit") running = false;
        else Order(line);
      }
    }
    Service();
  }
  g_Links.clear();
  g_RemoteServers.clear();
  g_LocalServers.clear();
  g_Nodes.clear();
  xCommClosedown();
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  delete glb->m_pNodeList;
  delete glb;
  delete sglb;
  return 0;
}
