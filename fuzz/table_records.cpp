// Records that reach a table's nodes come from the other half of the table or from a user
// process. Imports the input as the table node's received record (searches do not wrap, as on a
// table node) and reads it as the halves do: every per-player chunk of a name in turn, the button
// and account chunks, and slot limits inside the first chunk found.
#include <cstdint>
#include <cstring>

#include "common/tables/slotlimits.h"
#include "common/tables/tablebase.h"
#include "ostrelcomm/commnode.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// A table whose table node is a bare node, holding the record, with no registries behind it.
class CFuzzTable : public CTableBase {
 public:
  explicit CFuzzTable(CCommNode* node) { m_pTableNode = node; }
  ~CFuzzTable() override { m_pTableNode = nullptr; }
  int32_t Init(int32_t, int32_t, int32_t) override { return 1; }
  int32_t Exit() override { return 1; }
  int32_t GetNumSlots() override { return 4; }
  const char* GetGameName() override { return "Kavo"; }
  const char* GetTableSubType() override { return TABLE_SUBTYPE_CLIENT; }
  int32_t CreatePlayer(int32_t, int32_t) override { return 1; }
  int32_t DeletePlayer(int32_t) override { return 1; }
  int32_t CreateGamePlayer(int32_t, int32_t) override { return 1; }
  int32_t DeleteGamePlayer(int32_t) override { return 1; }
  uint32_t GetNodeType() override { return CNODE_CLIENT; }
  int32_t NewRoundStarted() override { return 1; }
};

bool Load(CCommNode& node, const uint8_t* data, size_t size) {
  CKCBL& record = node.m_RecvKCBL;
  record.Free();
  record.RestartMode(0);
  if (!record.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) return false;
  record.MainChunk();
  record.FirstItem();
  return true;
}

// Every chunk of the name, in order; the walk must end.
template <class Enter, class Leave>
void Walk(CCommNode& node, const char* name, Enter enter, Leave leave, size_t size) {
  size_t steps = 0;
  int32_t seat = 0, player = 0;
  while (enter(&node, seat, player, name) && seat != -1) {
    int32_t value = 0;
    node.m_RecvKCBL.GetItem("Slot", KLONG, &value, KEND);
    leave(&node);
    Check(++steps <= size);
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  CCommNode node;
  if (!Load(node, data, size)) return 0;
  Walk(node, "Hand", CTableBase::RecvEnterPlayerData, CTableBase::RecvExitPlayerData, size);
  if (!Load(node, data, size)) return 0;
  Walk(node, TABLE_MSG_ALLOCATESLOT, CTableBase::RecvEnterPrivatePlayerData, CTableBase::RecvExitPrivatePlayerData,
       size);

  CFuzzTable table(&node);
  if (!Load(node, data, size)) return 0;
  int32_t seat = 0, player = 0, value = 0;
  table.Client_RecvEnableButton(seat, player, value);
  if (!Load(node, data, size)) return 0;
  CTableBase::TMoney amount;
  if (table.Client_RecvAccountSum(seat, player, amount)) Check(!amount.GetError());

  if (!Load(node, data, size)) return 0;
  if (CTableBase::RecvEnterPrivatePlayerData(&node, seat, player, "SlotLimits") && seat != -1) {
    CSlotLimits limits(nullptr);
    if (limits.Recieve(&node.m_RecvKCBL)) {
      const uint32_t count = limits.GetNumCoinValues();
      Check(count <= SLOTLIMITS_MAX_COIN_VALUES);
      Check(count == 0 || limits.GetDefaultCoinValueIndex() < count);
      Check(limits.GetJackpotIndex(static_cast<int32_t>(count)) == -1);
    }
  }
  return 0;
}
