// A blackjack table's saved round as the database gives it back: each input is the state store
// a restore reads, handed to a fresh side-bet table's RestoreGame; a round that reads back is
// given a new hole card and played on from its state for a few steps.
#include <cstdint>
#include <memory>

#include "common/cards/deck.h"
#include "common/database/stovaconn.h"
#include "fuzzfolder.h"
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
    CStovaConn db;
    FuzzCheck(db.Init() == 1);
    c2stovaTable record;
    record.m_TableId = kTable;
    record.m_TableType = STOVA_TABLE_PRACTICE;
    uint32_t id = 0;
    int32_t ok = 0;
    FuzzCheck(db.CreateTable(&record, 0, id, ok) == 1);
    db.Exit();
    m_pTable = std::make_unique<CBlackJackServerTable>();
    const int32_t limits[KAVO_BETLIMITS] = {5, 500, 10, 1000, 25, 2500};
    const int32_t times[KAVO_TIMELIMITS] = {30, 15};
    m_pTable->SetBetLimits(limits);
    m_pTable->SetTimeLimits(times);
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
