// A for-fun blackjack table on the display, as the casino client will open one: the host loads
// the blackjack module by name from its own folder and runs one table visit. Until the casino
// client exists, `make run` starts this. Not shipped.
//
//   kavotable [--table 1020|1021|1022]
//
// The player "vorrin" is made in the folder's player database on first start with 5,000.00 of
// practice money and kept between runs. Exit codes: the module's result (0 the table could not
// start or ended, 1 left, 2 restart, 3 cashier), 10 when the host itself could not start.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "forfunplayer.h"
#include "kavoxmain.h"
#include "ostrel/resources/basepack.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/screens/dibscreen.h"
#include "ostrel/sound/milesmusic.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/dynlib.h"
#include "ostrel/system/folders.h"
#include "ostrel/system/frameloop.h"
#include "ostrel/system/globals.h"
#include "ostrel/system/winmsg.h"
#include "ostrelcomm/commlib.h"
#include "platform/display/display.h"
#include "stova/stovaconn.h"

namespace {
constexpr int kHostFailed = 10;
constexpr int32_t kTableNumber = 1;  // the first table of its game

int Fail(const char* what) {
  std::fprintf(stderr, "kavotable: %s\n", what);
  return kHostFailed;
}

// The folder of this program: the module, its scripts, pictures and the player database.
std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('/'));
}

bool StartScreen() {
  CDibScreen* screen = sglb->m_pDibScreen;
  if (!screen || !screen->AddWindowVideoMode(800, 600, 24, -1) || !screen->InitModeRez(800, 600, 24, VMODE_WINDOW))
    return false;
  glb->m_pCurrentScreen = screen;
  if (!screen->SetScreenWindowProperties(0, -1, -1) || !screen->SetPersistentMode(1)) return false;
  TPlatformMessage m;
  while (PlatformDisplay()->PeekMessage(m)) SystemWindowProc(sglb->m_hMainWnd, m.message, m.wParam, m.lParam);
  xShowSystemWindow();
  return true;
}

// The player and the table's record; the player's id, 0 on failure. The connection closes again:
// the table's server half opens its own.
uint32_t PreparePlayer(uint32_t tableId) {
  CStovaConn db;
  if (!db.Init()) return 0;
  const uint32_t player = EnsureForFunPlayer(db, KAVOHOST_PLAYER, KAVOHOST_START_CASH);
  const bool ready = player && EnsureTableRecord(db, tableId, player);
  db.Exit();
  return ready ? player : 0;
}

int RunTable(int32_t tableId, int32_t playerId) {
  CDynamicLibrary module;
  if (module.Load("kavo.dll", DYNLIB_INHERIT_OSTREL) != 1) return Fail("the blackjack module kavo.so did not load");
  const auto xMain = reinterpret_cast<TKavoXMain>(module.GetSymbol("xMain"));
  if (!xMain) return Fail("kavo.so has no xMain");
  std::unique_ptr<CMilesMusic> music;
  if (sglb->m_pMusic == nullptr) music = std::make_unique<CMilesMusic>();
  char name[32];
  std::snprintf(name, sizeof name, "%s", KAVOHOST_PLAYER);
  const int32_t result = xMain(playerId, tableId, nullptr, nullptr, name, music.get(), nullptr, -1, 0, 0);
  music.reset();
  return result;
}
}  // namespace

int main(int argc, char** argv) {
  int32_t game = 1020;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--table") == 0 && i + 1 < argc) {
      game = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: kavotable [--table 1020|1021|1022]\n");
      return 2;
    }
  }
  if (game < 1020 || game > 1022) return Fail("the table is one of 1020, 1021 and 1022");
  const int32_t tableId = game * 1000 + kTableNumber;
  const std::string folder = ProgramFolder();
  if (chdir(folder.c_str()) != 0) return Fail("the program folder cannot be entered");

  // A table that does not start says why on stderr; the player sees only that it closed.
  xSetDiagnostics(1);
  PlatformChooseDisplay();
  glb = new SGlobals(1);
  sglb = new SSysGlobals;
  int code = kHostFailed;
  CResData base;
  if (!xCreateGlobals() || !xInit()) {
    Fail("the runtime did not start");
  } else if (!StartScreen()) {
    Fail("no 800x600 window on the display");
  } else if (!xCommStartup(glb, sglb)) {
    Fail("the communication library did not start");
  } else if (!xLoadBaseResData(&base, folder.c_str())) {
    Fail("the base pack is missing");
  } else if (const uint32_t player = PreparePlayer(static_cast<uint32_t>(tableId)); player == 0) {
    Fail("the player database c2user.stova could not be prepared");
  } else {
    code = RunTable(tableId, static_cast<int32_t>(player));
  }
  base.Free();
  xCommClosedown();
  xExit();
  xFreeGlobals();
  delete sglb;
  delete glb;
  sglb = nullptr;
  glb = nullptr;
  PlatformReleaseDisplay();
  return code;
}
