// The wait the frame loop can use in place of sleeping, with 1000 idle links and one busy one: a
// small packet is sent to the busy link, and the wait ends when it is there. Beside it, poll over
// the same 1000 idle sockets and a raw TCP pair carrying the same bytes: what the wait costs above
// the system call it rests on.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "comm/linkpair.h"
#include "comm/sections.h"
#include "ostrelcomm/socketwait.h"

namespace {

using namespace commbench;

constexpr int kIdle = 1000;
constexpr size_t kPayload = 64;

struct SWaitSetup {
  std::unique_ptr<CLinkPair> m_pPair;
  std::vector<std::unique_ptr<CCommRemoteClient>> m_Idle;
  std::vector<int> m_FarEnds;  // the idle links' peers, accepted and never read
  int m_Listener = -1;
  int m_Raw[2] = {-1, -1};     // the busy raw pair: [0] writes, [1] reads
};
std::unique_ptr<SWaitSetup> g_pSetup;

bool Setup(SWaitSetup& s) {
  s.m_pPair = std::make_unique<CLinkPair>(EKind::kPlain);
  if (s.m_pPair->Broken()) return false;
  uint16_t port = 0;
  s.m_Listener = ListenLoopback(port, kIdle);
  if (s.m_Listener < 0) return false;
  for (int i = 0; i < kIdle; ++i) {
    auto link = std::make_unique<CCommRemoteClient>();
    link->SetPacketTypes(1, 0);
    link->Startup();
    link->SetRemoteLocation("127.0.0.1", port);
    link->Connect();
    for (int turn = 0; turn < 100 && !link->IsConnected(); ++turn) link->BlockedConnectHandler(10);
    const int far = accept(s.m_Listener, nullptr, nullptr);
    if (!link->IsConnected() || far < 0) return false;
    s.m_FarEnds.push_back(far);
    s.m_Idle.push_back(std::move(link));
  }
  const int out = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(out, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return false;
  s.m_Raw[0] = out;
  s.m_Raw[1] = accept(s.m_Listener, nullptr, nullptr);
  return s.m_Raw[1] >= 0;
}

void OstrelWait(benchmark::State& state) {
  CLinkPair& pair = *g_pSetup->m_pPair;
  const std::vector<uint8_t> payload = Pattern(kPayload);
  int64_t waits = 0;
  for (auto _ : state) {
    if (!pair.Accepted()->SendRawData(payload.data(), kPayload) || !pair.Accepted()->NonBlockedHandler())
      return state.SkipWithError("the busy link failed");
    void* data = nullptr;
    uint32_t size = 0;
    bool arrived = false;
    for (int turn = 0; turn < 1000 && !arrived; ++turn, ++waits) {
      xWaitTimeOrSockets(100);
      arrived = pair.Client().RecvRawData(data, size) != 0;
    }
    if (!arrived || size != kPayload) return state.SkipWithError("the packet did not come");
    xFree(data);
  }
  state.counters["waits"] = benchmark::Counter(static_cast<double>(waits), benchmark::Counter::kAvgIterations);
}

void PollWait(benchmark::State& state) {
  std::vector<pollfd> fds;
  for (const auto& link : g_pSetup->m_Idle) fds.push_back({link->GetSocket(), POLLIN, 0});
  fds.push_back({g_pSetup->m_Raw[1], POLLIN, 0});
  const std::vector<uint8_t> payload = Pattern(kPayload);
  uint8_t back[kPayload];
  for (auto _ : state) {
    if (send(g_pSetup->m_Raw[0], payload.data(), kPayload, MSG_NOSIGNAL) != static_cast<ssize_t>(kPayload))
      return state.SkipWithError("send failed");
    size_t got = 0;
    while (got < kPayload) {
      if (poll(fds.data(), fds.size(), 100) <= 0) return state.SkipWithError("nothing came");
      for (const pollfd& p : fds)
        if ((p.revents & POLLIN) && p.fd == g_pSetup->m_Raw[1]) {
          const ssize_t n = recv(p.fd, back + got, kPayload - got, 0);
          if (n <= 0) return state.SkipWithError("recv failed");
          got += static_cast<size_t>(n);
        }
    }
  }
}

}  // namespace

bool BeginSocketWait() {
  g_pSetup = std::make_unique<SWaitSetup>();
  if (!Setup(*g_pSetup)) {
    std::fprintf(stderr, "commlib: the links for the socket wait did not connect\n");
    EndSocketWait();
    return false;
  }
  benchmark::RegisterBenchmark("SocketWait_1000Idle/ostrel", OstrelWait)->UseRealTime();
  benchmark::RegisterBenchmark("SocketWait_1000Idle/poll", PollWait)->UseRealTime();
  return true;
}

void EndSocketWait() {
  if (!g_pSetup) return;
  for (auto& link : g_pSetup->m_Idle) {
    link->Disconnect();
    link->Closedown();
  }
  g_pSetup->m_Idle.clear();
  for (int fd : g_pSetup->m_FarEnds) close(fd);
  for (int fd : {g_pSetup->m_Raw[0], g_pSetup->m_Raw[1], g_pSetup->m_Listener})
    if (fd >= 0) close(fd);
  // The pair goes last: it ends the library it started.
  g_pSetup.reset();
}
