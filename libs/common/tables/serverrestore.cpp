// Crash recovery of the server table: saving a crashed player's game in the database and
// restoring it on a new table. The state store, the reconnect log's filters and the raw records
// are not built yet: a table refuses restore mode, and a crashed player's game is not saved
// (the player is released as before; diagnostics say so).
#include "common/tables/servertablebase.h"
#include "ostrel/system/debug.h"

int32_t CServerTableBase::SaveForReconnect(int32_t playerId) {
  xprintf("CServerTableBase::DoReconnect: the game of %d cannot be saved for a reconnect", playerId);
  return 0;
}

int32_t CServerTableBase::TestRemove(int32_t playerId) {
  SaveForReconnect(playerId);
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).m_PlayerId == playerId) SendDeallocateSlot(i, playerId, TABLE_REASON_NORMAL);
  return 1;
}

int32_t CServerTableBase::LoadAndFilterReconnectLog() {
  xprintf("CServerTableBase::Init: a stored game cannot be restored");
  return 0;
}

int32_t CServerTableBase::RestoreServerPlayerConnections() { return 0; }
int32_t CServerTableBase::RestoreServer() { return 0; }
int32_t CServerTableBase::DeleteRestore() { return 0; }

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
