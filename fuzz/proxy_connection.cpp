// What a client sends a proxy connection first: a location header, or (with the on-error forward)
// anything else. The bytes come through a socket pair; the connection must read no more than the
// header off the socket, and never connect anywhere but the one loopback port the rule or the
// forward names (port 1, where nobody listens).
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/proxyserver/proxyserver.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool Started() {
  glb = new SGlobals(0);
  sglb = new SSysGlobals;
  return xCommStartup(glb, sglb) == 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = Started();
  if (!started || size < 1 || size > 4096) return 0;
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) return 0;
  const bool forward = data[0] & 1;
  const size_t sent = static_cast<size_t>(send(pair[0], data + 1, size - 1, MSG_NOSIGNAL));
  COutRule* rule = new COutRule;
  rule->AddIpRule("127.0.0.1");
  rule->AddPortRule(1);
  CLList rules;
  rules.InsertLast(rule);
  {
    CProxyConnection connection(pair[1], nullptr, 0);
    connection.AddOutRules(&rules);
    connection.SetOnErrorForward(forward, "127.0.0.1", 1);
    connection.SetClientInfo("127.0.0.1");
    if (connection.Startup()) {
      connection.Handler();
      // Exactly the header was taken off the socket, or nothing when the bytes are forwarded.
      if (connection.GetState() == PROXY_CONNECTING) {
        const uint8_t* first = data + 1;
        const bool header = sent >= 4 && (std::memcmp(first, "PLOC", 4) == 0 || std::memcmp(first, "\0\0\0\0", 4) == 0);
        const size_t expected = forward && sent >= 4 && !header ? sent : sent - PROXY_LOCATION_SIZE;
        int left = -1;
        Check(ioctl(pair[1], FIONREAD, &left) == 0 && static_cast<size_t>(left) == expected);
      }
      for (int i = 0; i < 3 && connection.Handler(); ++i) {
      }
      Check(connection.GetState() == PROXY_WAIT_TARGET || connection.GetState() == PROXY_CONNECTING ||
            connection.GetState() == PROXY_DONE || connection.GetState() == PROXY_ROUTING);
      if (connection.GetState() == PROXY_CONNECTING || connection.GetState() == PROXY_ROUTING)
        Check(std::strcmp(connection.GetServerHost(), "127.0.0.1") == 0 && connection.GetServerPort() == 1);
    }
  }
  delete rule;
  close(pair[0]);
  return 0;
}
