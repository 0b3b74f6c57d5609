#include "common/tables/playerconnection.h"

#include <cstring>

#include "ostrel/system/clock.h"

CPlayerConnection::CPlayerConnection(int32_t slotNr) : m_SlotNr(slotNr) {}

int32_t CPlayerConnection::AllocateConnection(int32_t playerId) {
  const bool forHim = m_ReservedFor != 0 && m_ReservedFor == playerId;
  if (IsHeld() && !forHim) return TABLE_ALLOC_REFUSED;
  // A free seat reserved for another user is given too: the client half follows what the server
  // decided, and the server half refuses another user's request before it reaches the seat.
  const int32_t result = IsReserved() ? TABLE_ALLOC_RESERVED : TABLE_ALLOC_GRANTED;
  DeallocateConnection();
  m_PlayerId = playerId;
  return result;
}

int32_t CPlayerConnection::ReserveConnection(int32_t userId, int32_t timeoutMs) {
  if ((IsHeld() && m_PlayerId != userId) || IsReserved()) return 0;
  ClearRoundFlags();
  m_ReservedFor = userId;
  m_ReserveDeadline = xGetTime() + static_cast<uint32_t>(timeoutMs);
  return 1;
}

void CPlayerConnection::DeallocateConnection() {
  ClearRoundFlags();
  m_SecondSeat = 0;
  m_ReservedFor = 0;
  m_ReserveDeadline = 0;
  m_PlayerId = 0;
}

void CPlayerConnection::ClearRoundFlags() {
  m_Joined = 0;
  m_BetFlag = 0;
  m_MissedRounds = 0;
}

int32_t CPlayerConnection::SetUserName(const char* name) {
  const size_t length = name ? strnlen(name, TABLE_USERNAME_MAX) : 0;
  if (length) memcpy(m_UserName, name, length);
  m_UserName[length] = '\0';
  return 1;
}

int32_t CPlayerConnection::SlotStatus() const {
  if (IsReserved()) return m_ReservedFor;
  return IsHeld() ? TABLE_SLOTSTATUS_HELD : TABLE_SLOTSTATUS_FREE;
}

int32_t CPlayerConnection::HasReservationExpired() const {
  return IsReserved() && static_cast<int32_t>(xGetTime() - m_ReserveDeadline) > 0;
}
