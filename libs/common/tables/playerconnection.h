// One seat of a game table: who holds it, who it is reserved for and until when, and the seat's
// round flags. Both halves of a table keep one per seat; the server's copy is the truth, the
// client's follows the server's messages.
#pragma once

#include <cstdint>

#include "common/tables/tableprotocol.h"

class CPlayerConnection {
 public:
  explicit CPlayerConnection(int32_t slotNr);

  // Gives the seat to playerId: TABLE_ALLOC_GRANTED, or TABLE_ALLOC_RESERVED when the seat was
  // reserved (the reservation is then cleared). Refused (0) when the seat is held and he is not
  // the user it is reserved for. A free seat reserved for another user is given: the halves see
  // to it that nobody else asks (the server half refuses such requests). The round flags, the
  // second-seat flag and the deadline start cleared.
  int32_t AllocateConnection(int32_t playerId);
  // Keeps the seat for userId for timeoutMs from now; 0 when another player holds it or it is
  // reserved already.
  int32_t ReserveConnection(int32_t userId, int32_t timeoutMs);
  // Frees the seat; only the seat number and the last user name stay.
  void DeallocateConnection();
  // Copies at most TABLE_USERNAME_MAX characters (null: the empty name); 1.
  int32_t SetUserName(const char* name);
  // The reserved-for user id when reserved, else TABLE_SLOTSTATUS_HELD or TABLE_SLOTSTATUS_FREE.
  int32_t SlotStatus() const;

  // The reservation deadline has passed (compared as a 32-bit clock difference, so the clock's
  // wrap does not matter); 0 when the seat is not reserved.
  int32_t HasReservationExpired() const;
  int32_t IsHeld() const { return m_PlayerId != 0; }
  int32_t IsReserved() const { return m_ReservedFor != 0; }
  // Held by playerId and not reserved: the seat is his own.
  int32_t IsHeldUnreservedBy(int32_t playerId) const { return m_PlayerId == playerId && m_ReservedFor == 0; }

  int32_t GetSlotNr() const { return m_SlotNr; }
  int32_t GetPlayerId() const { return m_PlayerId; }
  const char* GetUserName() const { return m_UserName; }
  // Joined, bet and missed rounds: what a seat's player starts each stay with.
  void ClearRoundFlags();

  int32_t m_SlotNr;
  // Set by the game when the seat's player takes part in the play.
  int32_t m_Joined = 0;
  // Cleared for every seat at the start of a round.
  int32_t m_BetFlag = 0;
  // Rounds in a row let pass without a bet.
  int32_t m_MissedRounds = 0;
  // The holder held another seat already when this one was allocated.
  int32_t m_SecondSeat = 0;
  int32_t m_ReservedFor = 0;
  uint32_t m_ReserveDeadline = 0;  // clock ms
  int32_t m_PlayerId = 0;          // the holder, 0 = free
  char m_UserName[TABLE_USERNAME_MAX + 1] = {};
};
