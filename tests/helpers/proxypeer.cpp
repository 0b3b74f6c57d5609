// The forwarding proxy as a process of its own, for the tests of its process mode and for the
// relay benchmark. It prints "port N" once it listens, "children K" whenever the number of
// unreaped children of the process mode changes, and ends when its standard input closes.
//   proxypeer [-fork] [-blowfish] [-out] [-in CERT KEY] [-forward HOST PORT] [-log FILE]
//             [-rule ADDRESS FIRSTPORT LASTPORT CLIENTLOCATION]...
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/proxyserver/proxyserver.h"

namespace {

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool InputClosed() {
  pollfd p{0, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0) return false;
  char buffer[256];
  return read(0, buffer, sizeof buffer) <= 0;
}

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  if (!xCommStartup(glb, sglb)) return 1;
  int exitCode = 0;
  {
    CCommProxyServer proxy;
    proxy.SetName("proxypeer");
    for (int i = 1; i < argc; ++i) {
      const std::string a = argv[i];
      const int left = argc - i - 1;
      if (a == "-fork") {
        proxy.SetCreateProcess(1);
      } else if (a == "-blowfish") {
        proxy.SetAllowBlowfishEncryption(1);
      } else if (a == "-out") {
        proxy.SetOutgoingEncryption(1);
      } else if (a == "-in" && left >= 2) {
        proxy.SetIncomingEncryption(1, argv[i + 1], argv[i + 2]);
        i += 2;
      } else if (a == "-forward" && left >= 2) {
        proxy.SetOnErrorForward(1, argv[i + 1], static_cast<uint32_t>(std::atoi(argv[i + 2])));
        i += 2;
      } else if (a == "-log" && left >= 1) {
        proxy.SetLogFile(argv[++i]);
      } else if (a == "-rule" && left >= 4) {
        proxy.AddRule_Start();
        proxy.AddRule_IpString(argv[i + 1]);
        proxy.AddRule_PortRange(static_cast<uint32_t>(std::atoi(argv[i + 2])),
                                static_cast<uint32_t>(std::atoi(argv[i + 3])));
        proxy.AddRule_SetClientLocationForward(std::atoi(argv[i + 4]));
        proxy.AddRule_End();
        i += 4;
      } else {
        Say("usage");
        return 2;
      }
    }
    if (!proxy.Startup()) {
      Say("failed");
      return 1;
    }
    const pid_t parent = getpid();
    Say("port " + std::to_string(proxy.GetListenPort()));
    size_t children = 0;
    for (;;) {
      proxy.WaitForTraffic(10);
      int32_t done = 0;
      if (!proxy.Handler(done)) {
        exitCode = 1;
        break;
      }
      // A child of the process mode ends with its one connection.
      if (done) break;
      if (getpid() != parent) continue;
      if (proxy.ChildCount() != children) {
        children = proxy.ChildCount();
        Say("children " + std::to_string(children));
      }
      if (InputClosed()) break;
    }
    proxy.Closedown();
  }
  xCommClosedown();
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  return exitCode;
}
