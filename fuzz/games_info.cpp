// "games.xrs" comes from the server: whatever its chunks hold, the games list keeps its order,
// cuts every text to its length and lists no game that names an unsafe file. The input is the file;
// the games are read without a module list, and then against one that lists two modules.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/updater/fvmodulehandler.h"
#include "common/updater/fvnames.h"
#include "common/updater/games.h"
#include "common/updater/gamestxtmodule.h"
#include "common/updater/modstatus.h"

namespace {
char g_Folder[] = "/tmp/vorrin-fuzz-games-XXXXXX";

void RemoveFolder() {
  for (const char* name : {MODSTATUS_FILE, GAMES_FILE}) unlink((std::string(g_Folder) + "/" + name).c_str());
  rmdir(g_Folder);
}

// A folder of its own, with a status file that names two games; gone when the fuzzer ends.
bool MakeFolder() {
  if (!mkdtemp(g_Folder)) return false;
  std::atexit(RemoveFolder);
  FILE* f = std::fopen((std::string(g_Folder) + "/" + MODSTATUS_FILE).c_str(), "wb");
  if (!f) return false;
  std::fputs("modstatus = \"Blackjack\", 1\nmodstatus = \"Roulette\", 0\n", f);
  return std::fclose(f) == 0;
}

// The folder is the working folder while the list reads its files; the fuzzer's own paths are
// relative to the one it started in.
class CInFolder {
 public:
  CInFolder() : m_Old(open(".", O_RDONLY | O_DIRECTORY)) { m_In = m_Old >= 0 && chdir(g_Folder) == 0; }
  ~CInFolder() {
    if (m_Old >= 0 && fchdir(m_Old) != 0) abort();
    if (m_Old >= 0) close(m_Old);
  }
  bool In() const { return m_In; }

 private:
  int m_Old;
  bool m_In = false;
};

bool Within(const char* text, size_t longest) { return !text || std::strlen(text) <= longest; }
bool SafeOrEmpty(const char* path) { return !path || !*path || FVersion_IsSafeListName(path); }

void Check(CGames& games) {
  const GamestxtCFVModule* previous = nullptr;
  for (CNode* n = games.HeadNode(); n; n = n->m_pNext) {
    const auto& g = *static_cast<const GamestxtCFVModule*>(n->m_pData);
    if (previous && g < *previous && !(*previous < g)) abort();
    if (!Within(g.GetModName(), GAMESTXT_NAME_LENGTH) || !Within(g.GetDllmodule(), GAMESTXT_MODULE_LENGTH) ||
        !Within(g.GetRespath(), GAMESTXT_PATH_LENGTH) || !Within(g.GetLimitpath(), GAMESTXT_PATH_LENGTH) ||
        !Within(g.GetSubmenuid(), GAMESTXT_PATH_LENGTH) || !Within(g.GetHistoryPath(), GAMESTXT_PATH_LENGTH))
      abort();
    if (!SafeOrEmpty(g.GetRespath()) || !SafeOrEmpty(g.GetLimitpath()) || !SafeOrEmpty(g.GetHistoryPath())) abort();
    if (g.GetDllmodule() && (!SafeOrEmpty(g.GetDllmodule()) || std::strpbrk(g.GetDllmodule(), "/\\"))) abort();
    previous = &g;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = MakeFolder();
  if (!ready || size > (1u << 18)) return 0;
  CInFolder folder;
  if (!folder.In()) return 0;
  FILE* f = std::fopen(GAMES_FILE, "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  CGames games;
  if (games.ReadGames(nullptr, 0) != 1) abort();
  Check(games);

  CFVModuleHandler handler;
  handler.AddModule("Blackjack", "d", "c", "modules/Blackjack.bos", 10, 1, 1, 0);
  handler.AddModule("Roulette", "d", "c", "modules/Roulette.bos", 10, 1, 1, 1);
  if (games.ReadGames(&handler, 1) != 1 || games.GetNumNodes() > 2) abort();
  Check(games);
  return 0;
}
