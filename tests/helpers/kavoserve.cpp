// The served side of the blackjack module's remote tests: a second process that holds our own
// blackjack server table, listening on a loopback port, as a table process serves its players.
// Its clock moves only on orders, so the test that drives it frame by frame is deterministic.
//   kavoserve TABLEID [RESERVEID]   prints "port N" once the table listens (or "failed")
// Orders on stdin, one answer line each on stdout:
//   frame MS      the clock moves MS, the table runs one pass: "ok LINKS STATE GAMESTATE" or
//                 "stopped" once the table ended
//   shoe C...     the shoe deals these card codes next, in this order: "shoe ok"
//   quit
#include <signal.h>
#include <sys/prctl.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "client/supersevenclienttable.h"
#include "limitsscript.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/timers.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/socketwait.h"
#include "platform/clock/clock.h"
#include "server/scripteddeck.h"
#include "server/servertable.h"
#include "tablefactory.h"
#include "tablevisit.h"

namespace {

uint32_t g_Now = 1000;
uint32_t Now() { return g_Now; }
void Sleep(uint32_t ms) { g_Now += ms; }

void Say(const std::string& line) { std::cout << line << std::endl; }

const char* LimitsScriptOf(int32_t type) {
  switch (type) {
    case KAVO_GAMEID_SUPERSEVEN:
      return KAVO_SCRIPT_SUPERSEVEN_LIMITS;
    case KAVO_GAMEID_ONEDECK:
      return KAVO_SCRIPT_ONEDECK_LIMITS;
    default:
      return KAVO_SCRIPT_LIMITS;
  }
}

std::unique_ptr<CBlackJackServerTable> StartTable(int32_t tableId, int32_t reserveId) {
  const int32_t type = KavoTableType(tableId);
  std::unique_ptr<CBlackJackServerTable> table(NewKavoServerTable(type));
  SKavoLimits limits;
  if (!table || !LoadLimitsScript(LimitsScriptOf(type), limits)) return nullptr;
  ApplyLimits(limits, *table);
  table->SetReserveId(reserveId);
  table->SetBetTimeout(KAVO_FOR_FUN_BET_SECONDS);
  table->SetMaxTimeOuts(5);
  if (!table->InitTable(tableId, 0, 0, 1, 0)) {
    table->ExitTable();
    return nullptr;
  }
  return table;
}

void Serve(CBlackJackServerTable& table) {
  bool running = true;
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string order;
    words >> order;
    if (order == "quit") break;
    if (order == "frame") {
      uint32_t ms = 0;
      words >> ms;
      g_Now += ms;
      // The table process's frame: what its links brought in, the table's pass, and what the pass
      // queued written out, as the wait between frames services the links.
      xWaitTimeOrSockets(0);
      if (running && !table.ServerHandler()) {
        table.ExitTable();
        running = false;
      }
      xWaitTimeOrSockets(0);
      if (!running) {
        Say("stopped");
        continue;
      }
      Say("ok " + std::to_string(table.NumUserProcessLinks()) + " " + std::to_string(table.GetState()) + " " +
          std::to_string(table.GetGameState()));
    } else if (order == "shoe") {
      // A card given back to the scripted shoe is dealt next: the cards go in from the last.
      std::vector<int32_t> cards;
      for (int32_t card; words >> card;) cards.push_back(card);
      auto* deck = new CKavoScriptedDeck({});
      for (auto card = cards.rbegin(); card != cards.rend(); ++card) deck->AddCard(*card);
      table.SetShoe(deck);
      Say("shoe ok");
    } else {
      Say("unknown");
    }
  }
  if (running) table.ExitTable();
}

}  // namespace

int main(int argc, char** argv) {
  // Dies with the test that started it.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (argc < 2) return 2;
  PlatformSetClock(Now);
  PlatformSetSleep(Sleep);
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  if (!xCommStartup(glb, sglb)) return 1;
  const int32_t reserveId = argc > 2 ? std::atoi(argv[2]) : 0;
  std::unique_ptr<CBlackJackServerTable> table = StartTable(std::atoi(argv[1]), reserveId);
  const bool started = table != nullptr;
  if (!started) {
    Say("failed");
  } else {
    Say("port " + std::to_string(table->GetListenPort()));
    Serve(*table);
    table.reset();
  }
  xCommClosedown();
  xDeleteTimerEntries(glb->m_pActiveTimers, glb->m_pPendingTimers);
  delete glb->m_pNodeList;
  delete glb;
  delete sglb;
  return started ? 0 : 1;
}
