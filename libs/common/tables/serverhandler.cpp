// The server table's tick: the links, reservations, the manager, client requests, then one step
// of the table state machine; the round's start, betting, the closing of bets, presentation,
// sleeping and the idle time-out.
#include <cstdint>

#include "common/tables/createtable.h"
#include "common/tables/processclient.h"
#include "common/tables/servertablebase.h"
#include "ostrel/crypto/random.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

int32_t CServerTableBase::ServerHandler() {
  m_PrevState = m_State;
  m_PrevGameState = m_GameState;

  if (!HandleDieWait(TickComms())) return 0;
  if (!m_pTableNode) {
    ExitTable();
    return 0;
  }
  CheckReservations();
  if (m_pProcessClient && !HandleManagerLink()) return 0;
  // Play for fun has no manager, and its viewer asks the table in the same process.
  HandlePlayerHistoryRequests();
  if (!HandleTimeDiff() || !CheckForClientRequests() || !CheckForPlayerNodeMessage()) return 0;

  if (m_ReserveId == 0) {
    if (!CheckWantAlloc()) return 0;
  } else if (!m_CreatorConnected && TimeLeft() < 0) {
    xprintf("CServerTableBase::ServerHandler: the creator %d did not come", m_ReserveId);
    SendExitSignal(m_ReserveId);
    return 0;
  }

  if (GetRestoreMode()) {
    if (GetRestoreStep() == TABLE_RESTORE_WAIT_RECONNECTEND) {
      WaitForReconnectEnd();
    } else if (GetRestoreStep() == TABLE_RESTORE_NOW) {
      // A damaged round ends the table; the records stay for whoever settles the stake.
      if (!RestoreServer() || !RestoreGameAlterationCallback()) return 0;
      DeleteRestore();
      SetRestoreStep(TABLE_RESTORE_NONE);
      // Restored: later reconnects are ordinary ones.
      SetRestoreMode(0);
      m_ReserveId = 0;
      m_Ready = 1;
    }
  }

  if (m_Sleeping) {
    if (m_Ready && TimeLeft() < 0) m_Sleeping = 0;
    return 1;
  }
  if (m_DieWait || !m_Ready || !m_CreatorConnected) return 1;
  return StateMachine();
}

int32_t CServerTableBase::HandleDieWait(int32_t linksLeft) {
  if (!linksLeft && !m_GameFlag && !m_DieWait) {
    m_DieWait = 1;
    SetTimeoutTime(m_WaitToDieTimeOut * 1000, -1);
    StartTimer();
  }
  if (!m_DieWait) return 1;
  if (NumUserProcessLinks() > 0) {
    m_DieWait = 0;
    return 1;
  }
  return TimeLeft() < 0 ? 0 : 1;
}

void CServerTableBase::CheckReservations() {
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    CPlayerConnection& seat = Seat(i);
    if (!seat.HasReservationExpired()) continue;
    // The reservation's user hears of it: he is the one who waits for the seat.
    const int32_t user = seat.m_ReservedFor;
    SendDeallocateSlot(i, user, TABLE_REASON_NORMAL);
    RemoveReservedStatus(user);
  }
}

int32_t CServerTableBase::HandleManagerLink() {
  m_pProcessClient->Ticker();
  if (!m_pProcessClient->AllowRunning()) {
    xprintf("CServerTableBase::ServerHandler: the manager ended the table or its link was lost");
    return 0;
  }
  HandleProcessManagerPackets();
  PollRequestQueue();
  JoinTableDataHandler();
  return 1;
}

// ---- the state machine ----

int32_t CServerTableBase::StateMachine() {
  switch (m_State) {
    case SERVERSTATE_IDLE:
      if (m_ReserveId != 0) {
        int32_t done = 0;
        if (!m_pTableCreator || !m_pTableCreator->Handler(done)) return 0;
        if (done) {
          m_ReserveId = 0;
          SendJoinTableTrig();
        }
        return 1;
      }
      if (!HavePlayers()) {
        HandleIdleTimeout();
        return 1;
      }
      RemoveIdleTimeout();
      BeginNewRound();
      return 1;

    case SERVERSTATE_NEWROUND: {
      StopPacketStore();
      ErasePackets();
      StartPacketStore();
      SendChangeClientState(TABLE_CLIENTSTATE_WAITING);
      if (m_pTableNode->SendInit()) {
        m_pTableNode->NewItem(TABLE_MSG_COMMAND, KSTRING, TABLE_COMMAND_NEWROUND, KEND);
        m_pTableNode->NewItem(TABLE_ITEM_TIMEOUT, KLONG, m_BetTime, KEND);
        m_pTableNode->NewItem(TABLE_ITEM_SERVERTIME, KLONG, static_cast<int32_t>(xGetTime()), KEND);
        m_pTableNode->SendKCBLPacket();
      }
      SetTimeoutTime((GetServerExtraBetTime() + m_BetTime) * 1000, -1);
      m_HalfTimeMark = m_BetTime * 1000 / 2 + m_ServerExtraBetTime * 1000;
      m_HalfTimePassed = 0;
      StartTimer();
      m_PlayerHistory.IncRound();
      for (int32_t i = 0; i < m_NumSeats; ++i) {
        m_PlayerHistory.ClearBetClicks(i);
        if (Seat(i).IsHeld()) m_PlayerHistory.LogNewRound(Seat(i).m_PlayerId, i);
      }
      SendChangeClientState(TABLE_CLIENTSTATE_BETTING);
      m_State = SERVERSTATE_BETTING;
      return SendNewRoundData();
    }

    case SERVERSTATE_BETTING: {
      // Every bet already sent is read before the half-time check judges the seats: a player
      // betting on several seats sends a record a seat in one frame.
      for (int32_t n = 0; n < SERVERTABLE_BET_RECORDS_PER_FRAME && m_pTableNode->IsDataAvailable(); ++n) {
        if (!m_pTableNode->RecvKCBLPacket()) continue;
        const int32_t handled = HandleBetPacket();
        m_pTableNode->RecvKCBLFree();
        if (!handled) return 0;
        // Records behind the last final bet belong to the round.
        if (HasAllPlayersFinalFlag() == 1) break;
      }
      const int32_t left = TimeLeft();
      if (left < 0 || HasAllPlayersFinalFlag() == 1) {
        for (int32_t i = 0; i < m_NumSeats; ++i) RemoveBetFlagForInvalidPlayers(i);
        m_State = SERVERSTATE_BETSCLOSED;
      } else if (!m_HalfTimePassed && left <= m_HalfTimeMark) {
        m_HalfTimePassed = 1;
        for (int32_t i = 0; i < m_NumSeats; ++i) {
          const CPlayerConnection& seat = Seat(i);
          if (seat.IsHeld() && seat.m_SecondSeat && !IsBetInSlot(i))
            SendDeallocateSlot(i, seat.m_PlayerId, TABLE_REASON_NORMAL);
        }
      }
      return 1;
    }

    case SERVERSTATE_BETSCLOSED: {
      for (int32_t i = 0; i < m_NumSeats; ++i)
        if (Seat(i).IsHeld()) m_PlayerHistory.LogBetClicks(Seat(i).m_PlayerId, i);
      bool swapped = false;
      for (int32_t i = 0; i < m_NumSeats; ++i) {
        for (;;) {
          CPlayerConnection& seat = Seat(i);
          if (!seat.IsHeld() || !seat.m_Joined) break;
          if (HasPlayerBet(i) || seat.IsReserved()) {
            seat.m_MissedRounds = 0;
            break;
          }
          if (seat.m_SecondSeat) {
            SendDeallocateSlot(i, seat.m_PlayerId, TABLE_REASON_NORMAL);
            break;
          }
          int32_t other = -1;
          for (int32_t j = 0; j < m_NumSeats && other < 0; ++j) {
            const CPlayerConnection& candidate = Seat(j);
            if (j != i && candidate.m_PlayerId == seat.m_PlayerId && candidate.m_SecondSeat && HasPlayerBet(j))
              other = j;
          }
          if (other < 0) {
            ++seat.m_MissedRounds;
            break;
          }
          // The seat with the bet becomes his first; this one, now his second, is seen again.
          seat.m_SecondSeat = 1;
          Seat(other).m_SecondSeat = 0;
          SendIconData(i, 0);
          SendIconData(other, 0);
          WriteUserToStova(i);
          WriteUserToStova(other);
          swapped = true;
        }
      }
      if (swapped) SendJoinTableTrig();
      m_State = SERVERSTATE_STARTPLAY;
      return 1;
    }

    case SERVERSTATE_STARTPLAY:
      if (!SendThinkBubbles(0) || !SendChangeClientState(TABLE_CLIENTSTATE_PLAYING) || !StartPlay()) return 0;
      m_State = SERVERSTATE_GAMEPLAY;
      return 1;

    case SERVERSTATE_GAMEPLAY:
      return GameHandler() != 0 ? 1 : 0;

    case SERVERSTATE_PRESENTATION:
      CheckForPresentationDone();
      if (IsTablePresentationDone()) m_State = SERVERSTATE_GAMEPLAY;
      return 1;

    default:
      xprintf("CServerTableBase::ServerHandler: unknown table state %d", m_State);
      return 0;
  }
}

int32_t CServerTableBase::BeginNewRound() {
  m_pTableNode->NewSessionIndex();
  if (!HavePlayers()) {
    StopPacketStore();
    ErasePackets();
    m_State = SERVERSTATE_IDLE;
    return 1;
  }
  m_State = SERVERSTATE_NEWROUND;
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    if (seat.IsHeld() && seat.m_Joined && !seat.IsReserved() && seat.m_MissedRounds >= m_MaxMissedRounds)
      PlayerTimeOut(i);
  }
  for (int32_t i = 0; i < m_NumSeats; ++i) m_Thinking[static_cast<size_t>(i)] = Seat(i).IsHeld() ? 1 : 0;
  SendMoneyData(-1, 0);
  SendThinkBubbles(0);
  ZeroPlayerBetFlags();
  NewRoundStarted();
  int fromService = 1;
  xRand(10, &fromService);
  if (!fromService) {
    xprintf("CServerTableBase::BeginNewRound: the system's random source failed");
    CrashAllUsers();
  }
  return 1;
}

// ---- betting ----

int32_t CServerTableBase::HasAllPlayersFinalFlag() { return HasAllPlayersBet(); }

int32_t CServerTableBase::HasAllPlayersBet() {
  bool any = false;
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    if (!seat.IsHeld() || !seat.m_Joined) continue;
    if (!HasPlayerBet(i)) return 0;
    any = true;
  }
  return any ? 1 : 0;
}

int32_t CServerTableBase::HasPlayerBet(int32_t seat) {
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  return connection ? connection->m_BetFlag : 0;
}

int32_t CServerTableBase::SetBetFlag(int32_t seat, int32_t flag) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection) return 0;
  connection->m_BetFlag = flag;
  m_Thinking[static_cast<size_t>(seat)] = flag ? 0 : 1;
  return SendThinkBubbles(0);
}

int32_t CServerTableBase::IsBetInSlot(int32_t) { return 1; }

int32_t CServerTableBase::HasPlayerBetInAllSlots(int32_t seat) {
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection || !connection->IsHeld()) return 0;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).m_PlayerId == connection->m_PlayerId && !HasPlayerBet(i)) return 0;
  return 1;
}

int32_t CServerTableBase::HavePlayers() {
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).IsHeld()) return 1;
  return 0;
}

int32_t CServerTableBase::RemoveBetFlagForInvalidPlayers(int32_t) { return 1; }
int32_t CServerTableBase::AddCustomDataCallback(int32_t) { return 1; }
int32_t CServerTableBase::AddPlayerMoneyCallback(int32_t) { return 1; }
int32_t CServerTableBase::ReserveCallback(int32_t) { return 1; }
int32_t CServerTableBase::SendNewRoundData() { return 1; }
int32_t CServerTableBase::GetServerExtraBetTime() { return m_ServerExtraBetTime; }
int32_t CServerTableBase::ClientPresentationTimedOut(int32_t) { return 1; }
int32_t CServerTableBase::RestoreGameAlterationCallback() { return 1; }

int32_t CServerTableBase::PlayerTimeOut(int32_t seat) {
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  return connection ? SendDeallocateSlot(seat, connection->m_PlayerId, TABLE_REASON_NORMAL) : 0;
}

// ---- sleeping, presentation, idle ----

void CServerTableBase::ServerSleep(int32_t ms) {
  m_Sleeping = 1;
  SetTimeoutTime(ms, -1);
  StartTimer();
}

void CServerTableBase::SetTablePresentationStart() {
  for (size_t i = 0; i < m_PresentationStates.size(); ++i)
    if (m_PresentationStates[i] != CPSTATE_NOCLIENT) m_PresentationStates[i] = CPSTATE_RUNNING;
  m_PresentationStart = xGetTime();
  m_State = SERVERSTATE_PRESENTATION;
}

void CServerTableBase::CheckForPresentationDone() {
  while (m_pTableNode->IsDataAvailable()) {
    if (!m_pTableNode->RecvKCBLPacket()) continue;
    CKCBL& record = m_pTableNode->m_RecvKCBL;
    int32_t user = 0;
    if (record.FindItem(TABLE_MSG_PRESENTATIONDONE)) {
      record.MainChunk();
      record.FirstItem();
      if (record.GetItem(TABLE_ITEM_USERID, KLONG, &user, KEND) && user > 0)
        for (size_t i = 0; i < m_PresentationUsers.size(); ++i)
          if (m_PresentationUsers[i] == user && m_PresentationStates[i] == CPSTATE_RUNNING)
            m_PresentationStates[i] = CPSTATE_IDLE;
    }
    m_pTableNode->RecvKCBLFree();
  }
}

int32_t CServerTableBase::IsTablePresentationDone() {
  const bool waited = xTimeDiff(m_PresentationStart, xGetTime()) >= static_cast<uint32_t>(m_ClientPresentationWait);
  bool running = false;
  for (size_t i = 0; i < m_PresentationStates.size(); ++i) {
    if (m_PresentationStates[i] != CPSTATE_RUNNING) continue;
    if (!waited) {
      running = true;
      break;
    }
    m_PresentationStates[i] = CPSTATE_IDLE;
    ClientPresentationTimedOut(static_cast<int32_t>(i));
  }
  return running ? 0 : 1;
}

void CServerTableBase::StartIdleTimeout(int32_t ms) {
  m_IdleDeadline = xGetTime() + static_cast<uint32_t>(ms);
  m_IdleRunning = 1;
}

int32_t CServerTableBase::IdleTimeoutLeft() const {
  return m_IdleRunning ? static_cast<int32_t>(m_IdleDeadline - xGetTime()) : 0;
}

int32_t CServerTableBase::HandleIdleTimeout() {
  if (!m_pProcessClient) return 1;
  if (HavePlayers()) {
    RemoveIdleTimeout();
    return 1;
  }
  if (!m_IdleRunning) {
    StartIdleTimeout(SERVERTABLE_IDLE_TIMEOUT_MS);
    return 1;
  }
  if (IdleTimeoutLeft() < 0) {
    SendQuitAllPlayers();
    RemoveIdleTimeout();
  }
  return 1;
}
