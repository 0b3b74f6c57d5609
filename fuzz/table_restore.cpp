// What a crashed game's records bring to a new table: the input's first byte picks the use.
// Even: the rest is split at NUL bytes into stored packets, which go through one of the packet
// filters (flags from the byte); no "Hello" may survive, and every packet kept must parse. Odd:
// the rest is a stored "varStore" that a table restores from the database.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "common/database/stovaconn.h"
#include "common/tables/servertablebase.h"
#include "fuzzfolder.h"
#include "fuzzgame.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"

namespace {
constexpr uint32_t kTable = 5001;

class CRestoreGame : public CFuzzTableGame {
 public:
  // A game's state of each kind.
  int32_t RestoreGame() override {
    SSGetLong();
    SSGetDouble();
    const TMoney pot = SSGetMoney();
    const char* note = SSGetString();
    return note && !pot.GetError();
  }
};

struct SWorld {
  std::unique_ptr<CStovaConn> m_pDb;
  std::unique_ptr<CRestoreGame> m_pTable;
  uint32_t m_User = 0;

  SWorld() {
    FuzzEnterTempFolder("/tmp/fuzz_tablerestoreXXXXXX");
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    m_pDb = std::make_unique<CStovaConn>();
    FuzzCheck(m_pDb->Init() == 1);
    c2stovaUser user;
    snprintf(user.m_UserName, sizeof user.m_UserName, "%s", "anna");
    int32_t ok = 0;
    FuzzCheck(m_pDb->CreateUser(&user, m_User, "", "", "", "", "", "EN", "", ok) == 1);
    c2stovaTable record;
    record.m_TableId = kTable;
    record.m_TableType = STOVA_TABLE_RESTORED;
    uint32_t id = 0;
    FuzzCheck(m_pDb->CreateTable(&record, 0, id, ok) == 1);
    m_pTable = std::make_unique<CRestoreGame>();
    FuzzCheck(m_pTable->InitTable(static_cast<int32_t>(kTable), 0, 0, 0, 0) == 1);
  }

  void Filter(uint8_t flags, const std::string& bytes) {
    CRestoreGame& table = *m_pTable;
    table.ErasePackets();
    for (size_t start = 0; start <= bytes.size();) {
      size_t end = bytes.find('\0', start);
      if (end == std::string::npos) end = bytes.size();
      table.AddStoredPacket(bytes.data() + start, static_cast<uint32_t>(end - start));
      start = end + 1;
    }
    const int32_t player = flags & 8 ? 2 : 1;
    const int32_t kept = flags & 2 ? table.ErasePacketsExceptForPlayer(player, flags & 4, flags & 16)
                                   : table.ErasePacketsForPlayer(player, flags & 4, flags & 16);
    FuzzCheck(kept == table.NumStoredPackets());
    for (int32_t i = 0; i < kept; ++i) {
      const std::string& packet = table.GetStoredPacket(i);
      CKCBL record;
      record.RestartMode(0);
      FuzzCheck(record.Import(packet.data(), static_cast<int32_t>(packet.size())) == 1);
      record.MainChunk();
      FuzzCheck(record.FirstItem() == 1);
      record.MainChunk();
      record.FirstItem();
      record.RestartMode(1);
      FuzzCheck(record.FindItem("Hello") == 0);
    }
  }

  void Restore(const std::string& bytes) {
    int32_t ok = 0;
    FuzzCheck(m_pDb->WriteRaw(m_User, kTable, "varStore", 0, bytes.data(), static_cast<uint32_t>(bytes.size()), ok) ==
              1);
    CRestoreGame& table = *m_pTable;
    table.SetReserveId(static_cast<int32_t>(m_User));
    if (table.RestoreServerPlayerConnections()) {
      FuzzCheck(table.SSBytesLeft() <= bytes.size());
      if (table.RestoreServer()) FuzzCheck(table.GetState() >= 0 && table.GetState() <= SERVERSTATE_PRESENTATION);
    }
    for (int32_t i = 0; i < table.GetNumSeats(); ++i) {
      const CPlayerConnection* seat = table.GetPlayerConnection(i);
      FuzzCheck(seat->m_PlayerId >= 0 && seat->m_MissedRounds >= 0);
      if (seat->IsHeld()) table.DeallocateOtherPlayers(-1);
    }
    table.FreeVarStore();
    table.SetState(SERVERSTATE_IDLE);
    table.SetReserveId(0);
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  static SWorld* world = new SWorld;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1)
    world->Restore(rest);
  else
    world->Filter(data[0], rest);
  return 0;
}
