// The byte stream a link reads from its peer: packets cut out of it by their headers, then taken
// apart by the link base, and (first, when the server says so) the proxy's location header. The
// first byte picks the link's set-up; the rest arrives on the socket, then the peer hangs up.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/commtcp.h"

namespace {

// A server that hands over a socket of the test's making.
class CGivingServer : public CCommRemoteServer {
 public:
  void Give(int sock) { m_AcceptedSocket = sock; }
};

struct SProcess {
  SProcess() {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    xCommStartup(glb, sglb);
    node.SetId(7);
    node.SetName("Table");
    node.InitCommNode(CNODE_SERVER);
  }
  CCommNode node;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SProcess process;
  if (size < 1 || size > 60000) return 0;
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 0;
  const uint8_t setup = data[0];
  if (send(pair[1], data + 1, size - 1, MSG_NOSIGNAL) != static_cast<ssize_t>(size - 1)) abort();
  shutdown(pair[1], SHUT_WR);

  CGivingServer server;
  server.SetClientLocationFromProxy(setup & 1);
  server.Give(pair[0]);
  {
    CCommRemoteClient link;
    link.SetPacketTypes((setup >> 1) & 1, (setup >> 2) & 1);
    link.SetInAckMode((setup >> 3) & 1);
    if (setup & 16) link.SetPingClient(1);
    link.Startup();
    if (link.SetConnectFromServer(&server)) {
      for (int i = 0; i < 1000 && link.NonBlockedHandler(); ++i) {
      }
      void* raw = nullptr;
      uint32_t rawSize = 0;
      while (link.RecvRawData(raw, rawSize)) xFree(raw);
      while (process.node.IsDataAvailable() && process.node.RecvKCBLPacket()) process.node.RecvKCBLFree();
    }
  }
  close(pair[1]);
  return 0;
}
