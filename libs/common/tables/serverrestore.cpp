// Crash recovery of the server table: a crashed player's game saved in the database as raw
// records (the state store, his stake not yet settled, the table id, the round's packets), and
// restored on a new table made for him, which replays the round to his reconnecting client.
#include <new>
#include <vector>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "common/tables/pendingcash.h"
#include "common/tables/servertablebase.h"
#include "common/tables/statebytes.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

namespace {
// The bytes that one seat's values take at the least (five longs and an empty name), and its
// think and icon values.
constexpr size_t kSeatBytes = 5 * 4 + 1;
constexpr size_t kSeatIconBytes = 3 * 4;

int32_t WriteRecord(CStovaConn* db, int32_t userId, uint32_t tableId, const char* name, int32_t index,
                    const void* data, size_t size) {
  if (size > STOVA_RAW_MAX_SIZE) {
    xprintf("CServerTableBase::WriteRaw: %s %d has %zu bytes, above the limit", name, index, size);
    return 0;
  }
  int32_t ok = 0;
  const int32_t result =
      db ? db->WriteRaw(static_cast<uint32_t>(userId), tableId, name, index, data, static_cast<uint32_t>(size), ok)
         : 0;
  return xStovaCallOk(db, result, ok, "CServerTableBase::WriteRaw stova call returned error:%s",
                      "CServerTableBase::WriteRaw stova call returned error");
}

// A record that is not there counts as deleted.
int32_t DeleteRecord(CStovaConn* db, int32_t userId, const char* name, int32_t index) {
  int32_t ok = 0;
  if (db && db->DeleteRaw(static_cast<uint32_t>(userId), name, index, ok)) return 1;
  xDrainStovaErrors(db, "CServerTableBase::DeleteRaw stova call returned error:%s");
  return 0;
}

int32_t CountPackets(CStovaConn* db, int32_t userId, int32_t& count) {
  int32_t ok = 0;
  const int32_t result =
      db ? db->CountUserRaw(static_cast<uint32_t>(userId), SERVERTABLE_RAW_RECONNECTLOG, count, ok) : 0;
  return xStovaCallOk(db, result, ok, "CServerTableBase::CountUserRaw stova call returned error:%s",
                      "CServerTableBase::CountUserRaw stova call returned error");
}

// A record read whole; 0 when the call fails or the record is missing.
int32_t ReadRecord(CStovaConn* db, int32_t userId, const char* name, int32_t index, std::vector<uint8_t>& out) {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  int32_t ok = 0;
  const int32_t result = db ? db->ReadRaw(static_cast<uint32_t>(userId), name, index, data, size, ok) : 0;
  int32_t read = xStovaCallOk(db, result, ok, "CServerTableBase::ReadRaw stova call returned error:%s",
                              "CServerTableBase::ReadRaw: no such record");
  if (read) {
    try {
      out.assign(data, data + size);
    } catch (const std::bad_alloc&) {
      read = 0;
    }
  }
  delete[] data;
  return read;
}

// Runs steps as one transaction of the connection: committed when they succeed, else rolled
// back, so the records are either all changed or all as they were.
template <class Steps>
int32_t InTransaction(CStovaConn* db, Steps steps) {
  if (!db) return 0;
  if (!db->BeginTransaction()) {
    xDrainStovaErrors(db, "CServerTableBase: no transaction: %s");
    return 0;
  }
  const int32_t done = steps();
  if (!db->EndTransaction(done)) {
    xDrainStovaErrors(db, "CServerTableBase: the transaction did not end: %s");
    return 0;
  }
  return done;
}

bool IsFlag(int32_t value) { return value == 0 || value == 1; }
}  // namespace

// ---- saving ----

int32_t CServerTableBase::SaveForReconnect(int32_t playerId, uint32_t storeSize) {
  // A table still restoring a game would replace the saved game with the part it has restored.
  if (!m_pStova || GetIsPlayingForPractice() || GetRestorePending()) return 0;
  if (!InitVarStore(storeSize) || !StoreServer()) {
    xprintf("CServerTableBase::SaveForReconnect: the state of %d could not be stored", playerId);
    FreeVarStore();
    return 0;
  }
  const int32_t saved = InTransaction(m_pStova, [&] {
    return DeleteRestoreRecords(playerId) && SaveVarStore(playerId) && SaveReconnectLog(playerId) &&
           SavePendingCashAndTableId(playerId);
  });
  FreeVarStore();
  if (!saved) xprintf("CServerTableBase::SaveForReconnect: the game of %d was not saved", playerId);
  return saved;
}

int32_t CServerTableBase::TestRemove(int32_t playerId) {
  SaveForReconnect(playerId, SERVERTABLE_TESTREMOVE_STORE_SIZE);
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).m_PlayerId == playerId) SendDeallocateSlot(i, playerId, TABLE_REASON_NORMAL);
  return 1;
}

int32_t CServerTableBase::StoreServer() {
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    SSAddLong(static_cast<uint32_t>(seat.m_Joined));
    SSAddLong(static_cast<uint32_t>(seat.m_BetFlag));
    SSAddLong(static_cast<uint32_t>(seat.m_MissedRounds));
    SSAddLong(static_cast<uint32_t>(seat.m_SecondSeat));
    SSAddLong(static_cast<uint32_t>(seat.m_PlayerId));
    SSAddString(seat.m_UserName);
  }
  for (size_t i = 0; i < static_cast<size_t>(m_NumSeats); ++i) {
    SSAddLong(static_cast<uint32_t>(m_Thinking[i]));
    SSAddLong(static_cast<uint32_t>(m_IconValue[i]));
    SSAddLong(static_cast<uint32_t>(m_IconFlags[i]));
  }
  for (int32_t value : {m_BetTime, m_HalfTimeMark, m_HalfTimePassed, m_Sleeping, m_Mode, 0, m_TableOwner,
                        m_PacketStoreOn, m_MaxMissedRounds})
    SSAddLong(static_cast<uint32_t>(value));
  if (!StoreGame()) return 0;
  for (int32_t value : {m_TimeOut, static_cast<int32_t>(m_TimerStart), m_State, m_GameState})
    SSAddLong(static_cast<uint32_t>(value));
  return m_VarStoreFailed ? 0 : 1;
}

int32_t CServerTableBase::SaveVarStore(int32_t userId) {
  const int32_t saved = !m_VarStoreFailed && WriteRecord(m_pStova, userId, m_TableId, SERVERTABLE_RAW_VARSTORE,
                                                         SERVERTABLE_RAW_VARSTORE_INDEX, m_VarStore.data(),
                                                         m_VarStore.size());
  FreeVarStore();
  return saved;
}

int32_t CServerTableBase::SaveReconnectLog(int32_t userId) {
  for (size_t i = 0; i < m_PacketStore.size(); ++i) {
    const std::string& packet = m_PacketStore[i];
    if (!WriteRecord(m_pStova, userId, m_TableId, SERVERTABLE_RAW_RECONNECTLOG,
                     SERVERTABLE_RAW_FIRSTPACKET + static_cast<int32_t>(i), packet.data(), packet.size()))
      return 0;
  }
  return 1;
}

int32_t CServerTableBase::SavePendingCashAndTableId(int32_t userId) {
  TMoney pending;
  if (!GetPendingCash(pending, userId)) {
    xprintf("CServerTableBase::SavePendingCashAndTableId: the game has no stake for %d", userId);
    return 0;
  }
  uint8_t cash[PENDINGCASH_SIZE];
  xPendingCashToBytes(pending, cash);
  std::vector<uint8_t> tableId;
  xStatePutLong(tableId, m_TableId);
  return WriteRecord(m_pStova, userId, m_TableId, SERVERTABLE_RAW_PENDINGCASH, SERVERTABLE_RAW_PENDINGCASH_INDEX, cash,
                     sizeof cash) &&
         WriteRecord(m_pStova, userId, m_TableId, SERVERTABLE_RAW_TABLEID, SERVERTABLE_RAW_TABLEID_INDEX,
                     tableId.data(), tableId.size());
}

int32_t CServerTableBase::DeleteRestoreRecords(int32_t userId) {
  int32_t count = 0;
  if (!CountPackets(m_pStova, userId, count)) return 0;
  for (int32_t i = 0; i < count; ++i)
    if (!DeleteRecord(m_pStova, userId, SERVERTABLE_RAW_RECONNECTLOG, SERVERTABLE_RAW_FIRSTPACKET + i)) return 0;
  return DeleteRecord(m_pStova, userId, SERVERTABLE_RAW_VARSTORE, SERVERTABLE_RAW_VARSTORE_INDEX) &&
         DeleteRecord(m_pStova, userId, SERVERTABLE_RAW_PENDINGCASH, SERVERTABLE_RAW_PENDINGCASH_INDEX) &&
         DeleteRecord(m_pStova, userId, SERVERTABLE_RAW_TABLEID, SERVERTABLE_RAW_TABLEID_INDEX);
}

// ---- restoring ----

int32_t CServerTableBase::LoadVarStore() {
  FreeVarStore();
  if (!ReadRecord(m_pStova, m_ReserveId, SERVERTABLE_RAW_VARSTORE, SERVERTABLE_RAW_VARSTORE_INDEX, m_VarStore)) {
    FreeVarStore();
    return 0;
  }
  return 1;
}

int32_t CServerTableBase::LoadAndFilterReconnectLog() {
  ErasePackets();
  int32_t count = 0;
  if (!CountPackets(m_pStova, m_ReserveId, count)) return 0;
  if (count < 0 || count > SERVERTABLE_RESTORE_MAX_PACKETS) {
    xprintf("CServerTableBase::LoadAndFilterReconnectLog: %d stored packets", count);
    return 0;
  }
  uint64_t bytes = 0;
  std::vector<uint8_t> packet;
  for (int32_t i = 0; i < count; ++i) {
    if (!ReadRecord(m_pStova, m_ReserveId, SERVERTABLE_RAW_RECONNECTLOG, SERVERTABLE_RAW_FIRSTPACKET + i, packet) ||
        (bytes += packet.size()) > SERVERTABLE_RESTORE_MAX_BYTES ||
        !AddStoredPacket(packet.data(), static_cast<uint32_t>(packet.size()))) {
      xprintf("CServerTableBase::LoadAndFilterReconnectLog: packet %d of %d cannot be read", i + 1, count);
      ErasePackets();
      return 0;
    }
  }
  ErasePacketsExceptForPlayer(m_ReserveId, m_GameFlag == 0, 1);
  return 1;
}

int32_t CServerTableBase::RestoreServerPlayerConnections() {
  if (!LoadVarStore()) {
    xprintf("CServerTableBase::RestoreServerPlayerConnections: no stored game of %d", m_ReserveId);
    return 0;
  }
  if (!RestoreSeats() || !RestoreTableValues() || !RestoreGame() || SSIsShort()) {
    xprintf("CServerTableBase::RestoreServerPlayerConnections: the stored game of %d is damaged", m_ReserveId);
    FreeVarStore();
    return 0;
  }
  return 1;
}

int32_t CServerTableBase::RestoreSeats() {
  const size_t seats = static_cast<size_t>(m_NumSeats);
  if (SSBytesLeft() < seats * (kSeatBytes + kSeatIconBytes)) return 0;
  // A second request of the player restores again from the start.
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).IsHeld()) ReleaseSeat(i);
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const int32_t joined = SSGetLong(), bet = SSGetLong(), missed = SSGetLong(), second = SSGetLong();
    const int32_t holder = SSGetLong();
    const char* name = SSGetString();
    if (!name || !IsFlag(joined) || !IsFlag(bet) || missed < 0 || !IsFlag(second) || holder < 0) return 0;
    if (!holder) continue;
    if (AllocateSlot(i, holder) == TABLE_ALLOC_REFUSED) return 0;
    CPlayerConnection& seat = Seat(i);
    seat.m_Joined = joined;
    seat.m_BetFlag = bet;
    seat.m_MissedRounds = missed;
    seat.m_SecondSeat = second;
    seat.SetUserName(name);
  }
  if (SSBytesLeft() < seats * kSeatIconBytes) return 0;
  for (size_t i = 0; i < seats; ++i) {
    m_Thinking[i] = SSGetLong();
    m_IconValue[i] = SSGetLong();
    m_IconFlags[i] = SSGetLong();
  }
  if (!m_GameFlag) DeallocateOtherPlayers(m_ReserveId);
  return 1;
}

int32_t CServerTableBase::RestoreTableValues() {
  const int32_t betTime = SSGetLong(), halfTimeMark = SSGetLong(), halfTimePassed = SSGetLong();
  const int32_t sleeping = SSGetLong();
  // The mode and the word after it describe the process that saved; this table keeps its own.
  SSGetLong();
  SSGetLong();
  const int32_t owner = SSGetLong(), packetStoreOn = SSGetLong(), maxMissed = SSGetLong();
  if (SSIsShort() || betTime < 0 || betTime > SERVERTABLE_CFG_MAX_SECONDS || !IsFlag(halfTimePassed) ||
      !IsFlag(sleeping) || !IsFlag(packetStoreOn) || maxMissed < 0)
    return 0;
  m_BetTime = betTime;
  m_HalfTimeMark = halfTimeMark;
  m_HalfTimePassed = halfTimePassed;
  m_Sleeping = sleeping;
  m_TableOwner = owner;
  m_PacketStoreOn = packetStoreOn;
  m_MaxMissedRounds = maxMissed;
  return 1;
}

int32_t CServerTableBase::RestoreServer() {
  const int32_t timeOut = SSGetLong(), timerStart = SSGetLong(), state = SSGetLong(), gameState = SSGetLong();
  const int32_t read = !SSIsShort() && state >= SERVERSTATE_IDLE && state <= SERVERSTATE_PRESENTATION;
  FreeVarStore();
  if (!read) {
    xprintf("CServerTableBase::RestoreServer: the stored round of %d is damaged", m_ReserveId);
    return 0;
  }
  m_TimeOut = timeOut;
  m_TimerStart = static_cast<uint32_t>(timerStart);
  m_State = state;
  m_GameState = gameState;
  return 1;
}

int32_t CServerTableBase::DeleteRestore() {
  const int32_t deleted = InTransaction(m_pStova, [&] { return DeleteRestoreRecords(m_ReserveId); });
  if (!deleted) xprintf("CServerTableBase::DeleteRestore: the records of %d stay", m_ReserveId);
  return deleted;
}

int32_t CServerTableBase::WaitForReconnectEnd() {
  if (!m_pTableNode->IsDataAvailable() || !m_pTableNode->RecvKCBLPacket()) return 1;
  if (m_pTableNode->m_RecvKCBL.FindItem(TABLE_MSG_RECONNECTEND)) SetRestoreStep(TABLE_RESTORE_NOW);
  m_pTableNode->RecvKCBLFree();
  return 1;
}

int32_t CServerTableBase::DeallocateOtherPlayers(int32_t playerId) {
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    if (seat.IsHeld() && seat.m_PlayerId != playerId) ReleaseSeat(i);
  }
  return 1;
}
