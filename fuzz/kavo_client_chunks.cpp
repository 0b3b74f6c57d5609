// What clients send a blackjack server table: each input is read as a KCBL record and handed to
// an in-process table as the table node's received record, once while betting and once during a
// seat's turn (decision and insurance answers); a decision read is played out on a full shoe.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "common/cards/deck.h"
#include "common/database/stovaconn.h"
#include "fuzzfolder.h"
#include "fuzzkavo.h"
#include "fuzztables.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "server/servertable.h"

namespace {
constexpr uint32_t kTable = KAVO_GAMEID_REGULAR * 1000 + 1;

struct SWorld {
  std::unique_ptr<CBlackJackServerTable> m_pTable;
  int32_t m_Players[2] = {};

  SWorld() {
    FuzzEnterTempFolder("/tmp/fuzz_kavoXXXXXX");
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    CStovaConn db;
    FuzzCheck(db.Init() == 1);
    int32_t i = 0;
    for (const char* name : {"anna", "bert"}) {
      c2stovaUser user;
      snprintf(user.m_UserName, sizeof user.m_UserName, "%s", name);
      user.m_Cash = TStovaMoney("100000");
      uint32_t id = 0;
      int32_t ok = 0;
      FuzzCheck(db.CreateUser(&user, id, "", "", "", "", "", "EN", "", ok) == 1);
      m_Players[i++] = static_cast<int32_t>(id);
    }
    db.Exit();
    FuzzCreatePracticeTable(kTable);
    m_pTable = FuzzNewKavoTable();
    m_pTable->SetTripleSevenEnabled(1);
    FuzzCheck(m_pTable->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) == 1);
  }

  // Seats 1 and 2 for the first player, 3 for the second, every round afresh.
  void Seat() {
    const int32_t seats[][2] = {{1, m_Players[0]}, {2, m_Players[0]}, {3, m_Players[1]}};
    for (auto [seat, player] : seats) {
      CPlayerConnection* connection = m_pTable->GetPlayerConnection(seat);
      if (connection->m_PlayerId != player) {
        if (connection->IsHeld()) m_pTable->DeallocateSlot(seat);
        m_pTable->AllocateSlot(seat, player);
      }
      m_pTable->SlotChanged(seat);
    }
    m_pTable->NewRoundStarted();
  }

  void Load(const uint8_t* data, size_t size) {
    CKCBL& record = m_pTable->GetTableNode()->m_RecvKCBL;
    record.Free();
    record.RestartMode(0);
    record.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size));
    record.MainChunk();
    record.FirstItem();
  }

  void Run(const uint8_t* data, size_t size) {
    Seat();
    Load(data, size);
    m_pTable->HandleBetPacket();

    // A turn: seat 2 with a pair of eights against the dealer's ace.
    Seat();
    for (int32_t seat : {1, 2, 3}) {
      CBlackJackServerPlayer* record = m_pTable->GetPlayer(seat);
      if (!m_pTable->GetPlayerConnection(seat)->IsHeld()) continue;
      record->SetBet(CHugeFixedPoint<10, 10>(10));
      record->SetFinalFlag(1);
      m_pTable->SetBetFlag(seat, 1);
      record->AddCard(7);
      record->AddCard(20);
    }
    m_pTable->GetDealer()->AddCard(0);
    m_pTable->SetHoleCard(12);
    m_pTable->GetShoe()->Shuffle();
    m_pTable->SetCurrentSeat(2);
    Load(data, size);
    int32_t action = 0, done = 0;
    if (m_pTable->ReadAction(action) && m_pTable->GetPlayerConnection(2)->IsHeld())
      for (int i = 0; i < 4 && !done; ++i) m_pTable->PlayAction(i == 0 ? action : KAVO_ACTION_HIT, done);
    Load(data, size);
    m_pTable->ReadInsurance();
    m_pTable->GetTableNode()->m_RecvKCBL.Free();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld world;
  if (size > 1 << 16) return 0;
  world.Run(data, size);
  return 0;
}
