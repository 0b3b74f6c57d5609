// The table limits a blackjack server sends in its "GameSpec" chunk, as the client table reads them:
// each input is read as a KCBL record and every "GameSpec" chunk in it is handed to the table. A
// refused chunk must leave the limits in force; an accepted one must leave sound money, the
// minimum not above the maximum, and no more double totals than a hand can make.
#include <cstdint>
#include <vector>

#include "client/clienttable.h"
#include "common/tables/tableprotocol.h"
#include "fuzzfolder.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"

namespace {
using TMoney = CBlackJackClientTable::TMoney;

class CLimitsTable : public CBlackJackClientTable {
 public:
  CLimitsTable() { m_pPlayerNode = new CCommNode; }
  CCommNode* Node() { return m_pPlayerNode; }
};

struct SLimits {
  TMoney Min, Max;
  int32_t Sign;
  std::vector<int32_t> Sums;
  explicit SLimits(const CBlackJackClientTable& t)
      : Min(t.GetMinTable()), Max(t.GetMaxTable()), Sign(t.GetBetSign()), Sums(t.GetValidDoubleSums()) {}
  bool operator==(const SLimits& o) const { return Min == o.Min && Max == o.Max && Sign == o.Sign && Sums == o.Sums; }
};

struct SWorld {
  CLimitsTable* m_pTable = nullptr;

  SWorld() {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    m_pTable = new CLimitsTable;
  }

  void Run(const uint8_t* data, size_t size) {
    CKCBL& record = m_pTable->Node()->m_RecvKCBL;
    record.Free();
    record.RestartMode(0);
    record.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size));
    record.MainChunk();
    record.FirstItem();
    for (int32_t guard = 0; guard < 16; ++guard) {
      int32_t seat = -1, player = 0;
      if (!CTableBase::RecvEnterPrivatePlayerData(m_pTable->Node(), seat, player, TABLE_CHUNK_GAMESPEC) || seat == -1)
        break;
      const SLimits before(*m_pTable);
      const int32_t read = m_pTable->ReadTableLimits();
      const SLimits after(*m_pTable);
      FuzzCheck(read == 0 || read == 1);
      if (!read) FuzzCheck(before == after);
      FuzzCheck(!after.Min.GetError() && !after.Max.GetError() && !after.Min.IsNegative() && after.Min <= after.Max);
      FuzzCheck(after.Sums.size() <= 32);
      CTableBase::RecvExitPrivatePlayerData(m_pTable->Node());
    }
    record.Free();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld world;
  if (size > 1 << 16) return 0;
  world.Run(data, size);
  return 0;
}
