// Node records over a loopback link against a plain TCP send/receive pair: the
// throughput of batches of records and the round trip of one record, for 100 B, 4 KiB and 1 MiB.
// Each far end is a child process with its own globals; the raw pair frames its messages with a
// 4-byte length, as little as a stream of records can do with.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"
#include "comm/linkpair.h"
#include "comm/sections.h"

namespace {

constexpr char kCount = 'C';  // a record of a batch
constexpr char kLast = 'L';   // the batch's last record: answer "A"
constexpr char kEcho = 'E';   // send the record back
constexpr uint32_t kNodeId = 1;
constexpr const char* kNodeName = "Bench";

bool ReadAll(int fd, void* data, size_t size) {
  auto* p = static_cast<char*>(data);
  while (size) {
    const ssize_t n = recv(fd, p, size, 0);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size) {
    const ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The raw pair sends without Nagle's delay, as the links do: its throughput of small and middle
// records is the better for it, and its round trips no worse.
void SendWithoutDelay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// ---- the far ends ----

[[noreturn]] void RawPeer(int listener) {
  const int fd = accept(listener, nullptr, nullptr);
  SendWithoutDelay(fd);
  std::vector<char> message;
  for (;;) {
    uint32_t length = 0;
    if (fd < 0 || !ReadAll(fd, &length, 4)) _exit(0);
    const uint32_t size = ntohl(length);
    message.resize(4 + size);
    std::memcpy(message.data(), &length, 4);
    if (!ReadAll(fd, message.data() + 4, size)) _exit(0);
    if (message[4] == kEcho) WriteAll(fd, message.data(), message.size());
    if (message[4] == kLast) WriteAll(fd, "A", 1);
  }
}

CCommLocalClient* g_pPeerLink = nullptr;

int32_t AcceptLink(CCommBaseServer* server, void*, int32_t) {
  if (g_pPeerLink) return 0;
  auto* link = new CCommLocalClient;
  link->SetPacketTypes(0, 1);
  link->Startup();
  if (!link->SetConnectFromServer(static_cast<CCommLocalServer*>(server))) {
    delete link;
    return 0;
  }
  g_pPeerLink = link;
  return 1;
}

// Waits on the socket for what the link needs next.
void WaitForLink(CCommLocalClient& link, int extra, int ms) {
  pollfd p[2] = {{link.GetSocket(), static_cast<short>(POLLIN | (link.NeedWrite() ? POLLOUT : 0)), 0}, {extra, POLLIN, 0}};
  poll(p, extra >= 0 ? 2 : 1, ms);
}

[[noreturn]] void LinkPeer(int portPipe) {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCommStartup(glb, sglb);
  CCommNode node;
  node.SetId(kNodeId);
  node.SetName(kNodeName);
  node.SetPrivate(0);
  node.InitCommNode(CNODE_SERVER);
  CCommLocalServer server;
  server.SetPortA(0);
  server.SetCallbackFunction(AcceptLink, nullptr, 0);
  server.Startup();
  server.StartListen();
  server.NonBlockedStartListenHandler();
  const uint32_t port = server.GetPortA();
  if (write(portPipe, &port, sizeof port) != sizeof port) _exit(1);
  while (!g_pPeerLink) {
    pollfd p{server.GetListenSocket(), POLLIN, 0};
    poll(&p, 1, 100);
    server.NonBlockedHandler();
  }
  for (;;) {
    if (!g_pPeerLink->NonBlockedHandler()) _exit(0);
    while (node.IsDataAvailable()) {
      void* data = nullptr;
      uint32_t size = 0;
      node.RecvPacket(data, size);
      const char mode = size ? static_cast<char*>(data)[0] : 0;
      if (mode == kEcho && node.SendInit()) node.SendPacket(data, size);
      if (mode == kLast && node.SendInit()) node.SendPacket("A", 1);
      xFree(data);
      node.RecvFree();
    }
    WaitForLink(*g_pPeerLink, -1, 10);
  }
}

// ---- this end ----

struct SNear {
  int m_RawFd = -1;
  std::unique_ptr<CCommLocalClient> m_pLink;
  std::unique_ptr<CCommNode> m_pNode;
};
SNear* g_pNear = nullptr;

// Services the link until the node has a record; the record's size, or -1 when the link fails.
int64_t AwaitRecord() {
  CCommLocalClient& link = *g_pNear->m_pLink;
  CCommNode& node = *g_pNear->m_pNode;
  for (;;) {
    if (!link.NonBlockedHandler()) return -1;
    if (node.IsDataAvailable()) {
      void* data = nullptr;
      uint32_t size = 0;
      node.RecvPacket(data, size);
      xFree(data);
      node.RecvFree();
      return size;
    }
    WaitForLink(link, -1, 10);
  }
}

bool SendRecord(std::string& payload, char mode) {
  payload[0] = mode;
  CCommNode& node = *g_pNear->m_pNode;
  return node.SendInit() && node.SendPacket(payload.data(), static_cast<uint32_t>(payload.size()));
}

int64_t BatchOf(int64_t size) { return size <= 100 ? 2000 : size <= 4096 ? 400 : 8; }

// Each case first runs once untimed, both sides alike: the memory and the socket buffers that a
// stream of records settles into are in place before the clock starts.
void LinkThroughput(benchmark::State& state, int64_t size) {
  std::string payload(static_cast<size_t>(size), 'x');
  const int64_t batch = BatchOf(size);
  auto once = [&] {
    for (int64_t i = 0; i < batch; ++i)
      if (!SendRecord(payload, i + 1 == batch ? kLast : kCount)) state.SkipWithError("send failed");
    if (AwaitRecord() != 1) state.SkipWithError("no answer");
  };
  once();
  for (auto _ : state) once();
  state.SetBytesProcessed(state.iterations() * batch * size);
  state.SetItemsProcessed(state.iterations() * batch);
}

void RawThroughput(benchmark::State& state, int64_t size) {
  std::string message(4 + static_cast<size_t>(size), 'x');
  const uint32_t length = htonl(static_cast<uint32_t>(size));
  std::memcpy(message.data(), &length, 4);
  const int64_t batch = BatchOf(size);
  auto once = [&] {
    for (int64_t i = 0; i < batch; ++i) {
      message[4] = i + 1 == batch ? kLast : kCount;
      if (!WriteAll(g_pNear->m_RawFd, message.data(), message.size())) state.SkipWithError("send failed");
    }
    char answer = 0;
    if (!ReadAll(g_pNear->m_RawFd, &answer, 1)) state.SkipWithError("no answer");
  };
  once();
  for (auto _ : state) once();
  state.SetBytesProcessed(state.iterations() * batch * size);
  state.SetItemsProcessed(state.iterations() * batch);
}

void LinkRoundTrip(benchmark::State& state, int64_t size) {
  std::string payload(static_cast<size_t>(size), 'e');
  auto once = [&] {
    if (!SendRecord(payload, kEcho)) state.SkipWithError("send failed");
    if (AwaitRecord() != size) state.SkipWithError("no echo");
  };
  once();
  for (auto _ : state) once();
  state.SetBytesProcessed(state.iterations() * size * 2);
}

void RawRoundTrip(benchmark::State& state, int64_t size) {
  std::string message(4 + static_cast<size_t>(size), 'e');
  const uint32_t length = htonl(static_cast<uint32_t>(size));
  std::memcpy(message.data(), &length, 4);
  message[4] = kEcho;
  std::string back(message.size(), 0);
  auto once = [&] {
    if (!WriteAll(g_pNear->m_RawFd, message.data(), message.size()) ||
        !ReadAll(g_pNear->m_RawFd, back.data(), back.size()))
      state.SkipWithError("no echo");
  };
  once();
  for (auto _ : state) once();
  state.SetBytesProcessed(state.iterations() * size * 2);
}

bool StartPeers(SNear& near, std::vector<pid_t>& children) {
  uint16_t rawPort = 0;
  const int listener = commbench::ListenLoopback(rawPort, 1);
  int portPipe[2];
  if (pipe(portPipe) != 0) return false;
  std::fflush(nullptr);
  for (int which = 0; which < 2; ++which) {
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (which == 0) RawPeer(listener);
      close(listener);
      LinkPeer(portPipe[1]);
    }
    children.push_back(pid);
  }
  close(listener);
  uint32_t linkPort = 0;
  if (read(portPipe[0], &linkPort, sizeof linkPort) != sizeof linkPort) return false;

  near.m_RawFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(rawPort);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  SendWithoutDelay(near.m_RawFd);
  if (connect(near.m_RawFd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return false;

  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCommStartup(glb, sglb);
  near.m_pNode = std::make_unique<CCommNode>();
  near.m_pNode->SetId(kNodeId);
  near.m_pNode->SetName(kNodeName);
  near.m_pNode->SetPrivate(0);
  near.m_pNode->InitCommNode(CNODE_CLIENT);
  near.m_pLink = std::make_unique<CCommLocalClient>();
  CCommLocalClient& link = *near.m_pLink;
  link.SetPacketTypes(0, 1);
  link.SetPortA(linkPort);
  if (!link.Startup() || !link.Connect()) return false;
  for (int i = 0; i < 100 && !link.IsConnected(); ++i)
    if (!link.BlockedConnectHandler(100)) return false;
  // Ready once the far node is known.
  for (int i = 0; i < 1000 && !link.HasOtherSideNode(kNodeName, 5, kNodeId, CNODE_CLIENT); ++i) {
    link.NonBlockedHandler();
    WaitForLink(link, -1, 10);
  }
  return link.HasOtherSideNode(kNodeName, 5, kNodeId, CNODE_CLIENT) != 0;
}

SNear g_Near;
std::vector<pid_t> g_Children;

}  // namespace

bool BeginLinks() {
  if (!StartPeers(g_Near, g_Children)) {
    std::fprintf(stderr, "commlib: the link peers did not start\n");
    EndLinks();
    return false;
  }
  g_pNear = &g_Near;
  for (const auto& [size, label] : {std::pair<int64_t, const char*>{100, "100B"}, {4096, "4KiB"}, {1 << 20, "1MiB"}}) {
    const std::string tp = std::string("Throughput_") + label;
    const std::string rt = std::string("RoundTrip_") + label;
    // The far ends work in other processes: time by the wall clock.
    benchmark::RegisterBenchmark((tp + "/ostrel").c_str(), LinkThroughput, size)->UseRealTime();
    benchmark::RegisterBenchmark((tp + "/rawtcp").c_str(), RawThroughput, size)->UseRealTime();
    benchmark::RegisterBenchmark((rt + "/ostrel").c_str(), LinkRoundTrip, size)->UseRealTime();
    benchmark::RegisterBenchmark((rt + "/rawtcp").c_str(), RawRoundTrip, size)->UseRealTime();
  }
  return true;
}

void EndLinks() {
  g_pNear = nullptr;
  g_Near.m_pLink.reset();
  g_Near.m_pNode.reset();
  if (g_Near.m_RawFd >= 0) close(g_Near.m_RawFd);
  g_Near.m_RawFd = -1;
  for (pid_t pid : g_Children) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  g_Children.clear();
  if (glb) {
    xCommClosedown();
    delete glb;
    delete sglb;
    glb = nullptr;
    sglb = nullptr;
  }
}
