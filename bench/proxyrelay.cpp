// Relay throughput of the forwarding proxy against socat in the same run: one connection through
// each relay on 127.0.0.1, 4 MiB per iteration from the client to a sink behind the relay. Both
// relays run as processes of their own (ours a forked child with its own globals); the client and
// the sink share this process's one thread, driven by poll.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ostrel/system/clock.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/proxyserver/proxyserver.h"
#include "ratioreporter.h"

namespace {

constexpr size_t kChunk = 4u << 20;

int ListenLoopback(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof sa;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, 4) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(sa.sin_port);
  return fd;
}

int ConnectLoopback(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Our proxy in a child process; the port it listens on comes back through a pipe.
pid_t StartOurProxy(uint16_t upstream, uint16_t& port) {
  int p[2];
  if (pipe(p) != 0) return -1;
  const pid_t pid = fork();
  if (pid != 0) {
    close(p[1]);
    uint32_t value = 0;
    const bool got = read(p[0], &value, sizeof value) == sizeof value;
    close(p[0]);
    port = static_cast<uint16_t>(value);
    return got && value ? pid : -1;
  }
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  close(p[0]);
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  xCommStartup(glb, sglb);
  CCommProxyServer proxy;
  proxy.AddRule_Start();
  proxy.AddRule_IpString("127.0.0.1");
  proxy.AddRule_PortRange(upstream, upstream);
  proxy.AddRule_End();
  const uint32_t value = proxy.Startup() ? proxy.GetListenPort() : 0;
  if (write(p[1], &value, sizeof value) != sizeof value || !value) _exit(1);
  close(p[1]);
  for (int32_t done = 0; !done;) {
    proxy.WaitForTraffic(100);
    if (!proxy.Handler(done)) break;
  }
  _exit(0);
}

pid_t StartSocat(uint16_t upstream, uint16_t& port) {
  uint16_t free = 0;
  const int probe = ListenLoopback(free);
  close(probe);
  const std::string listen = "TCP-LISTEN:" + std::to_string(free) + ",bind=127.0.0.1,reuseaddr";
  const std::string target = "TCP:127.0.0.1:" + std::to_string(upstream);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    execlp("socat", "socat", "-b", "65536", listen.c_str(), target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  port = free;
  return pid;
}

struct SRelay {
  pid_t pid = -1;
  int client = -1;
  int sink = -1;
};

// Joins a client to the sink through the relay at port; ours needs the location header first.
bool Join(SRelay& relay, int listener, uint16_t upstream, uint16_t port, bool ours) {
  for (int i = 0; i < 500 && relay.client < 0; ++i) {
    relay.client = ConnectLoopback(port);
    if (relay.client < 0) usleep(10000);
  }
  if (relay.client < 0) return false;
  if (ours) {
    CProxyLocation location;
    location.SetLocation("127.0.0.1", upstream);
    if (send(relay.client, location.GetData(), PROXY_LOCATION_SIZE, MSG_NOSIGNAL) != PROXY_LOCATION_SIZE) return false;
  }
  pollfd p{listener, POLLIN, 0};
  if (poll(&p, 1, 10000) != 1) return false;
  relay.sink = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  return relay.sink >= 0;
}

// Writes size bytes into the client and reads them all at the sink.
bool Move(const SRelay& relay, const std::vector<char>& data, std::vector<char>& buffer) {
  size_t sent = 0, received = 0;
  while (received < data.size()) {
    pollfd p[2] = {{relay.client, static_cast<short>(sent < data.size() ? POLLOUT : 0), 0}, {relay.sink, POLLIN, 0}};
    if (poll(p, 2, 10000) <= 0) return false;
    if (p[0].revents & POLLOUT) {
      const ssize_t n = send(relay.client, data.data() + sent, data.size() - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (n > 0) sent += static_cast<size_t>(n);
    }
    if (p[1].revents & POLLIN) {
      const ssize_t n = recv(relay.sink, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (n == 0) return false;
      if (n > 0) received += static_cast<size_t>(n);
    }
  }
  return true;
}

void RunRelay(benchmark::State& state, bool ours) {
  uint16_t upstream = 0, port = 0;
  const int listener = ListenLoopback(upstream);
  SRelay relay;
  relay.pid = ours ? StartOurProxy(upstream, port) : StartSocat(upstream, port);
  if (listener < 0 || relay.pid < 0 || !Join(relay, listener, upstream, port, ours)) {
    state.SkipWithError("the relay did not start");
  } else {
    std::vector<char> data(kChunk, 'r'), buffer(1 << 20);
    for (auto _ : state)
      if (!Move(relay, data, buffer)) {
        state.SkipWithError("the relay stopped");
        break;
      }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kChunk));
  }
  for (int fd : {relay.client, relay.sink, listener})
    if (fd >= 0) close(fd);
  if (relay.pid > 0) {
    kill(relay.pid, SIGTERM);
    waitpid(relay.pid, nullptr, 0);
  }
}

void BM_Relay_Ostrel(benchmark::State& state) { RunRelay(state, true); }
void BM_Relay_Socat(benchmark::State& state) { RunRelay(state, false); }

}  // namespace

BENCHMARK(BM_Relay_Ostrel)->Name("Relay/ostrel")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Relay_Socat)->Name("Relay/socat")->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter("socat", "<= 1.5");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
