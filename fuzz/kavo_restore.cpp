// A blackjack table's saved round as the database gives it back: each input is the state store
// a restore reads, handed to a fresh side-bet table's RestoreGame; a round that reads back is
// given a new hole card and played on from its state for a few steps.
#include <cstdint>
#include <memory>

#include "common/cards/deck.h"
#include "fuzzfolder.h"
#include "fuzzkavo.h"
#include "fuzztables.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "server/servertable.h"

namespace {
constexpr uint32_t kTable = KAVO_GAMEID_SUPERSEVEN * 1000 + 1;

struct SWorld {
  std::unique_ptr<CBlackJackServerTable> m_pTable;

  SWorld() {
    FuzzEnterTempFolder("/tmp/fuzz_kavorestoreXXXXXX");
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    FuzzCreatePracticeTable(kTable);
    m_pTable = FuzzNewKavoTable();
    FuzzCheck(m_pTable->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) == 1);
  }

  void Run(const uint8_t* data, size_t size) {
    m_pTable->InitVarStore(static_cast<uint32_t>(size));
    m_pTable->SSAddBytes(data, size);
    const int32_t restored = m_pTable->RestoreGame();
    m_pTable->FreeVarStore();
    if (restored) {
      m_pTable->SetState(SERVERSTATE_GAMEPLAY);
      if (m_pTable->RestoreGameAlterationCallback())
        for (int i = 0; i < 8 && m_pTable->GameHandler(); ++i) continue;
    }
    m_pTable->SetState(SERVERSTATE_IDLE);
    m_pTable->SetRoundState(KAVO_RS_DEAL);
    m_pTable->NewRoundStarted();
    m_pTable->GetShoe()->Shuffle();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld world;
  if (size > 1 << 16) return 0;
  world.Run(data, size);
  return 0;
}
