// A cluster server for the tests of the cluster lookup: raw links with KCBL records. It prints
// "port N" once it listens and "connection K" for every connection it takes, and ends when its
// standard input closes.
//   clusterpeer answer   answers every request
//   clusterpeer silent   never answers
//   clusterpeer wrong    answers with another answer's name
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commtcp.h"

namespace {

std::vector<std::unique_ptr<CCommRemoteClient>> g_Links;
std::string g_Mode;

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

int32_t Adopt(CCommBaseServer* server, void*, int32_t) {
  auto link = std::make_unique<CCommRemoteClient>();
  link->SetPacketTypes(1, 1);
  link->Startup();
  if (!link->SetConnectFromServer(static_cast<CCommRemoteServer*>(server))) return 0;
  g_Links.push_back(std::move(link));
  Say("connection " + std::to_string(g_Links.size()));
  return 1;
}

void Answer(CCommRemoteClient& link, const char* request, uint32_t size) {
  CKCBL in, out;
  if (!in.Import(request, static_cast<int32_t>(size)) || !in.MainChunk() || !in.FirstItem() ||
      !in.FindItem("clustercommand") || in.GetNumStrings() < 2)
    return;
  const std::string command = in.GetString(0);
  const bool wrong = g_Mode == "wrong";
  if (command == "clustercommand_getserver") {
    const std::string service = in.GetString(1);
    out.NewItem("clustercommandreply", KSTRING, wrong ? "clustercommand_executefile_answer" : "clustercommand_getserver_answer",
                KSTRING, ("host-of-" + service).c_str(), KEND);
    out.NewItem("servicevariable", KSTRING, "port", KSTRING, "4711", KEND);
    out.NewItem("servicevariable", KSTRING, "crypt", KSTRING, service == "plain" ? "off" : "ON", KEND);
    out.NewItem("servicevariable", KSTRING, "service", KSTRING, service.c_str(), KEND);
  } else if (command == "clustercommand_executefile" && in.GetNumStrings() >= 4) {
    const size_t total = std::strlen(in.GetString(1)) + std::strlen(in.GetString(2)) + std::strlen(in.GetString(3));
    out.NewItem("clustercommandreply", KSTRING, "clustercommand_executefile_answer", KSTRING,
                std::to_string(total).c_str(), KEND);
  } else {
    return;
  }
  int32_t length = 0;
  out.ExportSize(&length);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  out.Export(text.data(), length + 1, &length, 0);
  link.SendRawData(text.data(), static_cast<uint32_t>(length) + 1);
}

}  // namespace

int main(int argc, char** argv) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  g_Mode = argc > 1 ? argv[1] : "answer";
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  if (!xCommStartup(glb, sglb)) return 1;
  {
    CCommRemoteServer server;
    server.SetPortA(0);
    server.SetCallbackFunction(Adopt, nullptr, 0);
    if (!server.Startup() || !server.StartListen() || !server.NonBlockedStartListenHandler()) {
      Say("failed");
      return 1;
    }
    Say("port " + std::to_string(server.GetPortA()));
    for (;;) {
      pollfd p{0, POLLIN, 0};
      if (poll(&p, 1, 1) > 0) {
        char buffer[256];
        if (read(0, buffer, sizeof buffer) <= 0) break;
      }
      server.NonBlockedHandler();
      for (auto& link : g_Links) {
        if (!link->IsConnected()) continue;
        link->NonBlockedHandler();
        void* data = nullptr;
        uint32_t size = 0;
        while (link->RecvRawData(data, size)) {
          if (g_Mode != "silent") Answer(*link, static_cast<const char*>(data), size);
          xFree(data);
        }
      }
    }
    g_Links.clear();
  }
  xCommClosedown();
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  return 0;
}
