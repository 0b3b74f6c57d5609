// What a blackjack server sends about a seat, as the client's seat records read it: each input is
// read as a KCBL record, and every "KavoPlayerWin", "KavoPlayerTableInfo" and "Bust" chunk in it is
// entered and handed to a regular and a side-bet record. A failed read must leave the record as it
// was; a good one must leave only sound money and a hand of 1 or 2.
#include <cstdint>
#include <memory>

#include "client/playerdata.h"
#include "common/tables/tablebase.h"
#include "fuzzfolder.h"
#include "kavoprotocol.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"

namespace {
using TMoney = CBlackJackPlayerData::TMoney;

// What a reader may change, to compare before and after.
struct SSnapshot {
  TMoney Bet, BetHand2, Reported, ReportedHand2, Win1, Win2, SSWin;
  int32_t Condition1 = 0, Condition2 = 0, SideBet = 0;

  explicit SSnapshot(const CBlackJackPlayerData& r)
      : Bet(r.GetBet(1)), BetHand2(r.GetBet(2)), Reported(r.GetReportedBet(1)), ReportedHand2(r.GetReportedBet(2)),
        Win1(r.GetWin(1)), Win2(r.GetWin(2)), Condition1(r.GetWinCondition(1)), Condition2(r.GetWinCondition(2)) {
    if (auto* side = dynamic_cast<const CSuperSevenPlayerData*>(&r)) {
      SSWin = side->GetSSWin();
      SideBet = side->GetSideBet();
    }
  }
  bool operator==(const SSnapshot& o) const {
    return Bet == o.Bet && BetHand2 == o.BetHand2 && Reported == o.Reported && ReportedHand2 == o.ReportedHand2 &&
           Win1 == o.Win1 && Win2 == o.Win2 && SSWin == o.SSWin && Condition1 == o.Condition1 &&
           Condition2 == o.Condition2 && SideBet == o.SideBet;
  }
  bool Sound() const {
    for (const TMoney* m : {&Bet, &BetHand2, &Reported, &ReportedHand2, &Win1, &Win2, &SSWin})
      if (m->GetError() || m->IsNegative()) return false;
    return SideBet == 0 || SideBet == 1;
  }
};

struct SWorld {
  std::unique_ptr<CCommNode> m_pNode;
  CBlackJackPlayerData m_Regular;
  CSuperSevenPlayerData m_SideBet;

  SWorld() {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    m_pNode = std::make_unique<CCommNode>();
    for (CBlackJackPlayerData* r : {&m_Regular, static_cast<CBlackJackPlayerData*>(&m_SideBet)}) r->Attach(nullptr, 2, 0);
  }

  void Load(const uint8_t* data, size_t size) {
    CKCBL& record = m_pNode->m_RecvKCBL;
    record.Free();
    record.RestartMode(0);
    record.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size));
    record.MainChunk();
    record.FirstItem();
  }

  // One reader on one record, inside the entered chunk; the chunk's cursor is put back after.
  template <class TRead>
  void Check(CBlackJackPlayerData& r, TRead read) {
    const SSnapshot before(r);
    const int32_t result = read(r);
    const SSnapshot after(r);
    if (result == 0) FuzzCheck(before == after);
    FuzzCheck(after.Sound());
    m_pNode->m_RecvKCBL.FirstItem();
  }

  void ReadChunks(const char* name, bool isPrivate) {
    for (int32_t guard = 0; guard < 64; ++guard) {
      int32_t seat = -1, player = 0;
      const int32_t entered = isPrivate ? CTableBase::RecvEnterPrivatePlayerData(m_pNode.get(), seat, player, name)
                                        : CTableBase::RecvEnterPlayerData(m_pNode.get(), seat, player, name);
      if (!entered || seat == -1) return;
      for (CBlackJackPlayerData* r : {&m_Regular, static_cast<CBlackJackPlayerData*>(&m_SideBet)}) {
        Check(*r, [&](CBlackJackPlayerData& rec) {
          int32_t hand = -7;
          const int32_t got = rec.ReadWin(m_pNode.get(), hand);
          FuzzCheck(got == 0 ? hand == -7 : got == hand && (hand == KAVO_HAND_1 || hand == KAVO_HAND_2));
          return got;
        });
        Check(*r, [&](CBlackJackPlayerData& rec) {
          int32_t changed = -7;
          const int32_t got = rec.ReadTableInfo(m_pNode.get(), changed);
          FuzzCheck(got == 0 ? changed == -7 : got == 1 && (changed == 0 || changed == 1));
          return got;
        });
        Check(*r, [&](CBlackJackPlayerData& rec) { return rec.ReadBust(m_pNode.get()); });
      }
      if (isPrivate)
        CTableBase::RecvExitPrivatePlayerData(m_pNode.get());
      else
        CTableBase::RecvExitPlayerData(m_pNode.get());
    }
  }

  void Run(const uint8_t* data, size_t size) {
    m_Regular.Reset();
    m_SideBet.Reset();
    for (const char* name : {KAVO_MSG_PLAYERWIN, KAVO_MSG_TABLEINFO, KAVO_MSG_BUST})
      for (bool isPrivate : {false, true}) {
        Load(data, size);
        ReadChunks(name, isPrivate);
      }
    m_pNode->m_RecvKCBL.Free();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld world;
  if (size > 1 << 16) return 0;
  world.Run(data, size);
  return 0;
}
