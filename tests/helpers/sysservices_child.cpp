// The other program of the system-service tests. The first argument picks the part it plays:
//   window <title> [peer title] [send <message> <wParam> <lParam>]
//       opens its main window and runs frames until asked to quit; message 32769 with wParam 1
//       answers the peer with a send from inside the handler; "send" sends once at the start
//   hang <title>               opens its main window and never runs a frame
//   args <file> [words...]     writes the words it was started with into file, one a line
//   find <title>               prints "found" when another program's window has the title, else
//                              "missing"
//   regset <key> <name> <text> sets a string value of the user's registry
//   regget <key> <name>        prints a string value of the user's registry, or "missing"
//   regbig <key> <name> <size> <file size limit>
//                              writes a value too big for the limit, so the system kills it
//                              in the middle of writing the registry
//   regmany <key> <prefix> <count>
//                              sets count number values <prefix>0, <prefix>1, ...
// It says "ready" when it is and one line per event; a test reads them.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/otherwindows.h"
#include "ostrel/system/registry.h"
#include "ostrel/system/sysservices.h"
#include "ostrel/system/winmsg.h"
#include "platform/display/headless.h"

namespace {
void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// Tells the test what other programs did to its window.
class CWatchedDisplay : public CHeadlessDisplay {
 public:
  void RaiseWindow() override {
    CHeadlessDisplay::RaiseWindow();
    Say("raised");
  }
  void MinimizeWindow() override {
    CHeadlessDisplay::MinimizeWindow();
    Say("minimised");
  }
};

class CInstallerSide : public CWinMsg {
 public:
  explicit CInstallerSide(std::string peer) : m_Peer(std::move(peer)) {}
  intptr_t WinMsgHandler(TWindowHandle, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    Say("got " + std::to_string(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    if (wParam == 1) {  // asked to install: report progress at once, while the asker still waits
      intptr_t answer = 0;
      const int32_t ok = xSendMessageToApplication(m_Peer.c_str(), message, 2, static_cast<int32_t>(lParam), &answer);
      Say("nested " + std::to_string(ok) + " " + std::to_string(answer));
      return 1000 + lParam;
    }
    if (wParam == 6) xSetUserWantToQuit(1);
    return static_cast<intptr_t>(wParam) * 100 + lParam;
  }

 private:
  std::string m_Peer;
};

CWatchedDisplay g_Display;

void OpenWindow(const char* title) {
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  std::snprintf(glb->m_ApplicationName, APPLICATION_NAME_SIZE, "%s", title);
  PlatformSetDisplay(&g_Display);
  xCreateGlobals();
  if (!xInit()) std::exit(3);
  SetMinimumFrameTime(2);
}

int RunWindow(int argc, char** argv) {
  OpenWindow(argv[2]);
  const std::string peer = argc > 3 ? argv[3] : "";
  CInstallerSide receiver(peer);
  RegisterWinMsg(&receiver, XMSG_CASINO_INSTALLER);
  Say("ready");
  if (argc > 7 && std::strcmp(argv[4], "send") == 0) {
    intptr_t answer = 0;
    const int32_t ok = xSendMessageToApplication(peer.c_str(), static_cast<uint32_t>(std::atol(argv[5])),
                                                 std::atoi(argv[6]), std::atoi(argv[7]), &answer);
    Say("sent " + std::to_string(ok) + " " + std::to_string(answer));
  }
  while (!xDoUserWantToQuit()) xHandler();
  UnRegisterWinMsgAll(&receiver);
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
  Say("bye");
  return 0;
}

int RunArgs(int argc, char** argv) {
  const std::string file = argv[2], temp = file + ".part";
  {
    std::ofstream out(temp, std::ios::binary);
    for (int i = 3; i < argc; ++i) out << argv[i] << '\n';
  }
  return std::rename(temp.c_str(), file.c_str()) == 0 ? 0 : 1;
}

int RunRegistry(const std::string& mode, int argc, char** argv) {
  CRegKey key;
  if (!key.Create(XREG_CURRENT_USER, argv[2])) return 2;
  if (mode == "regset" && argc > 4) {
    Say(key.SetString(argv[3], argv[4]) ? "done" : "failed");
  } else if (mode == "regget" && argc > 3) {
    char text[256];
    Say(key.GetString(argv[3], text, sizeof text) ? text : "missing");
  } else if (mode == "regbig" && argc > 5) {
    const rlimit limit{static_cast<rlim_t>(std::atol(argv[5])), static_cast<rlim_t>(std::atol(argv[5]))};
    setrlimit(RLIMIT_FSIZE, &limit);
    Say("writing");
    const std::string big(static_cast<size_t>(std::atol(argv[4])), 'x');
    key.SetString(argv[3], big.c_str());
    Say("survived");
  } else if (mode == "regmany" && argc > 4) {
    for (int i = 0; i < std::atoi(argv[4]); ++i)
      if (!key.SetNumber((std::string(argv[3]) + std::to_string(i)).c_str(), static_cast<uint32_t>(i))) return 4;
    Say("done");
  } else {
    return 2;
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  if (mode == "window") return RunWindow(argc, argv);
  if (mode == "hang") {
    OpenWindow(argv[2]);
    Say("ready");
    for (;;) pause();
  }
  if (mode == "args") return RunArgs(argc, argv);
  if (mode == "find") {
    Say(xFindWindow(argv[2]) ? "found" : "missing");
    return 0;
  }
  if (mode.starts_with("reg")) return RunRegistry(mode, argc, argv);
  return 2;
}
