// The server table's seats: allocation, reservation and release with their answers, leaving,
// crashing and reconnecting players, the seats in the database, and the seat requests of the
// slot-allocation node.
#include <cstdio>
#include <new>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "common/tables/processclient.h"
#include "common/tables/servertablebase.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

namespace {
// Reads the request chunk of that name from the node's received record: 1 with the sender and
// "Slot", 0 when there is none, -1 when it is there but cannot be read.
int32_t ReadSeatRequest(CCommNode* node, const char* name, int32_t& player, int32_t& slot) {
  CKCBL& record = node->m_RecvKCBL;
  record.MainChunk();
  record.FirstItem();
  int32_t seat = -1;
  player = 0;
  if (!CTableBase::RecvEnterPrivatePlayerData(node, seat, player, name)) return -1;
  if (seat == -1) return 0;
  const int32_t read = record.GetItem(TABLE_ITEM_SLOT, KLONG, &slot, KEND);
  CTableBase::RecvExitPrivatePlayerData(node);
  return read ? 1 : -1;
}

std::string IdText(int32_t id) {
  char text[16];
  snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(id)));
  return text;
}
}  // namespace

// ---- the user cache ----

c2stovaUser* CServerTableBase::GetCachedUser(int32_t playerId) {
  for (CNode* n = m_UserCache.HeadNode(); n; n = n->m_pNext) {
    auto* user = static_cast<c2stovaUser*>(n->m_pData);
    if (user->m_MemberNumber == static_cast<uint32_t>(playerId)) return user;
  }
  if (!m_pStova || playerId <= 0) return nullptr;
  c2stovaUser* user = nullptr;
  int32_t found = 0;
  const int32_t read = m_pStova->GetUserInfo(static_cast<uint32_t>(playerId), user, found);
  if (!xStovaCallOk(m_pStova, read, found, "CServerTableBase::GetUserInfo stova call returned error:%s",
                    "CServerTableBase::GetUserInfo: no such user") ||
      !user || !m_UserCache.InsertLast(user)) {
    delete user;
    return nullptr;
  }
  return user;
}

void CServerTableBase::RemoveCachedUser(int32_t playerId) {
  for (m_UserCache.First(); m_UserCache.Exists(); m_UserCache.Next()) {
    auto* user = static_cast<c2stovaUser*>(m_UserCache.Get());
    if (user->m_MemberNumber == static_cast<uint32_t>(playerId)) {
      delete user;
      m_UserCache.Delete(1);
      return;
    }
  }
}

void CServerTableBase::FreeUserCache() {
  for (CNode* n = m_UserCache.HeadNode(); n; n = n->m_pNext) delete static_cast<c2stovaUser*>(n->m_pData);
  m_UserCache.KillAll();
}

// ---- allocation ----

int32_t CServerTableBase::SendAllocateSlot(int32_t seat, int32_t playerId) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection || playerId <= 0) return 1;
  // A reservation holds the seat for its user; the request of anybody else is outside input.
  if (connection->IsReserved() && connection->m_ReservedFor != playerId)
    return AnswerAllocation(seat, playerId, TABLE_ANSWER_REFUSED);
  const int32_t allocation = AllocateSlot(seat, playerId);
  if (allocation == TABLE_ALLOC_REFUSED) return AnswerAllocation(seat, playerId, TABLE_ANSWER_REFUSED);
  if (!TakeSeat(seat, playerId, allocation)) {
    // The client waits for the answer: a seat the database would not take is refused.
    ReleaseSeat(seat);
    return AnswerAllocation(seat, playerId, TABLE_ANSWER_REFUSED);
  }
  return AnswerAllocation(seat, playerId, TABLE_ANSWER_GRANTED);
}

int32_t CServerTableBase::TakeSeat(int32_t seat, int32_t playerId, int32_t allocation) {
  const c2stovaUser* user = GetCachedUser(playerId);
  if (!user) return 0;
  if (allocation == TABLE_ALLOC_RESERVED) RemoveReservedStatus(playerId);
  Seat(seat).SetUserName(user->m_UserName);
  m_IconValue[static_cast<size_t>(seat)] = user->m_IconValue;
  m_IconFlags[static_cast<size_t>(seat)] = user->m_IconFlags;

  int32_t ok = 0;
  if (m_TableOwner) {
    if (!IsPlayerSeated(m_TableOwner)) {
      const int32_t set = m_pStova->SetTableOwner(m_TableId, static_cast<uint32_t>(playerId), ok);
      if (!xStovaCallOk(m_pStova, set, ok, "CServerTableBase::SetTableOwner stova call returned error:%s",
                        "CServerTableBase::SetTableOwner stova call returned false"))
        return 0;
      m_TableOwner = playerId;
    }
  } else if (m_pProcessClient) {
    c2stovaTable record;
    int32_t found = 0;
    const int32_t read = m_pStova->GetTableInfo(m_TableId, &record, found);
    if (!xStovaCallOk(m_pStova, read, found, "CServerTableBase::GetTableInfo stova call returned error:%s",
                      "CServerTableBase::GetTableInfo stova call returned error"))
      return 0;
    record.m_InUse = 1;
    const int32_t written = m_pStova->UpdateTableInfo(m_TableId, &record, ok);
    if (!xStovaCallOk(m_pStova, written, ok, "CServerTableBase::UpdateTableInfo stova call returned error:%s",
                      "CServerTableBase::UpdateTableInfo stova call returned false"))
      return 0;
    m_Table.m_InUse = 1;
  }
  if (!m_pStova->SetTableUser(m_TableId, seat, static_cast<uint32_t>(playerId))) {
    xDrainStovaErrors(m_pStova, "CServerTableBase::SetTableUser stova call returned error:%s");
    return 0;
  }
  return 1;
}

int32_t CServerTableBase::AnswerAllocation(int32_t seat, int32_t playerId, int32_t answer) {
  CCommNode* node = m_pSlotAllocNode;
  node->SendInit() && node->NewItem(TABLE_MSG_ALLOCATESLOTANSWER, KEND) &&
      node->NewItem(TABLE_ITEM_SLOT, KLONG, seat, KEND) && node->NewItem(TABLE_ITEM_ID, KLONG, playerId, KEND) &&
      node->NewItem(TABLE_ITEM_ANSWER, KLONG, answer, KEND) &&
      node->NewItem(TABLE_ITEM_TABLETYPE, KULONG, static_cast<uint32_t>(GetTableType()), KEND) &&
      node->SendKCBLPacket();
  if (answer == TABLE_ANSWER_GRANTED) {
    SlotChanged(seat);
    SetThinking(seat);
    if (!m_PlayerHistory.IsLoggingPlayer(playerId)) m_PlayerHistory.LogEnterGame(playerId, seat);
  }
  SendPersonalLimitStatus(playerId);
  SendMoneyData(seat, 0);
  SendThinkBubbles(0);
  SendIconData(seat, 0);
  SendSlotStatusData();
  return AddCustomDataCallback(seat);
}

int32_t CServerTableBase::SendReserveSlot(int32_t seat, int32_t playerId) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection || playerId <= 0) return 1;
  int32_t answer = connection->ReserveConnection(playerId, m_ReservedTimeOut);
  if (answer) {
    ReserveCallback(seat);
    uint32_t tableId = m_TableId;
    int32_t ok = 0;
    const int32_t set = m_pStova->SetReservedTableId(static_cast<uint32_t>(playerId), tableId, ok);
    if (!xStovaCallOk(m_pStova, set, ok, "CServerTableBase::SetReservedTableId stova call returned error:%s",
                      "CServerTableBase::SetReservedTableId stova call returned false")) {
      connection->m_ReservedFor = 0;
      connection->m_ReserveDeadline = 0;
      answer = 0;
    }
  }
  CCommNode* node = m_pSlotAllocNode;
  node->SendInit() && node->NewItem(TABLE_MSG_RESERVESLOTANSWER, KEND) &&
      node->NewItem(TABLE_ITEM_SLOT, KLONG, seat, KEND) && node->NewItem(TABLE_ITEM_ID, KLONG, playerId, KEND) &&
      node->NewItem(TABLE_ITEM_ANSWER, KLONG, answer ? TABLE_ANSWER_GRANTED : TABLE_ANSWER_REFUSED, KEND) &&
      node->SendKCBLPacket();
  SendPersonalLimitStatus(playerId);
  SendMoneyData(seat, 0);
  SendThinkBubbles(0);
  SendIconData(seat, 0);
  return SendSlotStatusData();
}

int32_t CServerTableBase::RemoveReservedStatus(int32_t userId) {
  if (!m_pStova || userId <= 0) return 0;
  uint32_t none = 0;
  int32_t ok = 0;
  const int32_t cleared = m_pStova->SetReservedTableId(static_cast<uint32_t>(userId), none, ok);
  return xStovaCallOk(m_pStova, cleared, ok, "CServerTableBase::SetReservedTableId stova call returned error:%s",
                      "CServerTableBase::SetReservedTableId stova call returned false");
}

// ---- release ----

void CServerTableBase::ReleaseSeat(int32_t seat) {
  DeallocateSlot(seat);
  if (!GetPlayerConnection(seat)) return;
  m_Thinking[static_cast<size_t>(seat)] = 0;
  m_IconValue[static_cast<size_t>(seat)] = 0;
  m_IconFlags[static_cast<size_t>(seat)] = 0;
}

void CServerTableBase::LogLeave(int32_t seat, int32_t playerId, int32_t reason) {
  if (playerId <= 0 || reason == TABLE_REASON_CRASHED) return;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).m_PlayerId == playerId) return;
  if (m_PlayerHistory.IsLoggingPlayer(playerId)) m_PlayerHistory.LogExitGame(playerId, seat);
}

int32_t CServerTableBase::SendDeallocateSlot(int32_t seat, int32_t playerId, int32_t reason) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection) return 0;
  const int32_t holder = connection->m_PlayerId;
  ReleaseSeat(seat);
  SlotChanged(seat);
  LogLeave(seat, holder, reason);
  if (playerId != 0 && playerId == m_TableOwner && !IsPlayerSeated(playerId)) {
    if (m_OutstandingRequest) SendRequestAnswer(m_OutstandingRequest, 0);
    for (int32_t i = 0; i < m_NumSeats; ++i) {
      if (!Seat(i).IsHeld()) continue;
      int32_t ok = 0;
      m_TableOwner = Seat(i).m_PlayerId;
      const int32_t set = m_pStova->SetTableOwner(m_TableId, static_cast<uint32_t>(m_TableOwner), ok);
      xStovaCallOk(m_pStova, set, ok, "CServerTableBase::SetTableOwner stova call returned error:%s",
                   "CServerTableBase::SetTableOwner stova call returned false");
      break;
    }
  }
  if (m_pStova && !m_pStova->SetTableUser(m_TableId, seat, 0))
    xDrainStovaErrors(m_pStova, "CServerTableBase::SetTableUser stova call returned error:%s");
  CCommNode* node = m_pSlotAllocNode;
  node->SendInit() && node->NewItem(TABLE_MSG_DEALLOCATESLOT, KEND) &&
      node->NewItem(TABLE_ITEM_SLOT, KLONG, seat, KEND) && node->NewItem(TABLE_ITEM_ID, KLONG, playerId, KEND) &&
      node->NewItem(TABLE_ITEM_REASON, KLONG, reason, KEND) && node->SendKCBLPacket();
  return SendSlotStatusData();
}

int32_t CServerTableBase::SendExitSignal(int32_t playerId) {
  CCommNode* node = m_pSlotAllocNode;
  const int32_t sent = node && node->SendInit() && node->NewItem(TABLE_MSG_EXIT, KEND) &&
                       node->NewItem(TABLE_ITEM_ID, KLONG, playerId, KEND) && node->SendKCBLPacket();
  RemoveCachedUser(playerId);
  SendToManager(MANAGER_CMD_USERLEFT, {IdText(playerId).c_str()});
  if (GetTestRemove()) TestRemove(playerId);
  SendSlotStatusData();
  return sent;
}

int32_t CServerTableBase::DoReconnect(int32_t playerId) {
  if (!IsPlayerSeated(playerId)) return SendExitSignal(playerId);
  if (m_SaveReconnect && !GetIsPlayingForPractice()) SaveForReconnect(playerId);
  m_ReconnectRelease = 1;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).m_PlayerId == playerId) SendDeallocateSlot(i, playerId, TABLE_REASON_CRASHED);
  m_ReconnectRelease = 0;
  return SendExitSignal(playerId);
}

int32_t CServerTableBase::CrashUser(int32_t playerId) {
  if (playerId <= 0) return 0;
  int32_t seat = -1;
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    if (GetPresentationUser(i) == playerId) SetPresentation(i, CPSTATE_NOCLIENT, -1);
    if (seat < 0 && Seat(i).m_PlayerId == playerId) seat = i;
  }
  if (seat >= 0) m_PlayerHistory.LogUserCrashed(playerId, seat);
  if (m_pProcessClient) {
    RemoveCachedUser(playerId);
    SendToManager(MANAGER_CMD_USERCRASHED, {IdText(playerId).c_str()});
  }
  return DoReconnect(playerId);
}

int32_t CServerTableBase::CrashAllUsers() {
  std::vector<int32_t> players;
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    if (!seat.IsHeld() || seat.IsReserved()) continue;
    bool known = false;
    for (int32_t p : players) known = known || p == seat.m_PlayerId;
    if (!known) players.push_back(seat.m_PlayerId);
  }
  for (int32_t p : players) CrashUser(p);
  return 1;
}

int32_t CServerTableBase::IsPlayerSeated(int32_t playerId) {
  if (playerId == 0) return 0;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).IsHeldUnreservedBy(playerId)) return 1;
  return 0;
}

int32_t CServerTableBase::WriteUserToStova(int32_t seat) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection || !connection->IsHeld() || !m_pStova) return 0;
  const int32_t holder = connection->m_PlayerId;
  // The database lists a player at his first seat only.
  if (m_pStova->SetTableUser(m_TableId, seat, connection->m_SecondSeat ? 0u : static_cast<uint32_t>(holder)))
    return 1;
  xDrainStovaErrors(m_pStova, "CServerTableBase::WriteUserToStova stova call returned error:%s");
  SendDeallocateSlot(seat, holder, TABLE_REASON_NORMAL);
  return 0;
}

int32_t CServerTableBase::SendSlotStatusData() {
  CCommNode* node = m_pSlotStatusNode;
  int32_t sent = node && node->SendInit() && node->NewItem(TABLE_MSG_SLOTALLOCSTATUS, KEND);
  for (int32_t i = 0; sent && i < m_NumSeats; ++i) sent = node->NewItem(TABLE_ITEM_SLOTSTATUS, KLONG, Seat(i).SlotStatus(), KEND);
  sent = sent && node->SendKCBLPacket();
  SendJoinTableData();
  return sent;
}

int32_t CServerTableBase::SendTableId(int32_t flag) {
  CCommNode* node = m_pSlotAllocNode;
  return node && node->SendInit() &&
         node->NewItem(TABLE_MSG_TABLEID, KLONG, flag ? static_cast<int32_t>(m_TableId) : 0, KEND) &&
         node->SendKCBLPacket();
}

// ---- the seat requests ----

int32_t CServerTableBase::CheckWantAlloc() {
  CCommNode* node = m_pSlotAllocNode;
  if (!node->IsDataAvailable()) return 1;
  if (!node->RecvKCBLPacket()) return 1;  // unreadable: taken off and dropped
  int32_t player = 0, slot = 0;
  if (ReadSeatRequest(node, TABLE_MSG_ALLOCATESLOT, player, slot) == 1 && player > 0) {
    if (slot == TABLE_SLOT_ANY) {
      for (int32_t i = 0; i < m_NumSeats; ++i)
        if (Seat(i).SlotStatus() == TABLE_SLOTSTATUS_FREE) {
          slot = i;
          break;
        }
    }
    if (GetPlayerConnection(slot)) SendAllocateSlot(slot, player);
  } else if (ReadSeatRequest(node, TABLE_MSG_RESERVESLOT, player, slot) == 1 && player > 0) {
    if (GetPlayerConnection(slot)) SendReserveSlot(slot, player);
  } else if (ReadSeatRequest(node, TABLE_MSG_DEALLOCATESLOTREQ, player, slot) == 1 && player > 0) {
    if (slot == TABLE_SLOT_LEAVE) {
      if (IsPlayerInGame(player)) {
        CrashUser(player);
      } else {
        for (int32_t i = 0; i < m_NumSeats; ++i)
          if (Seat(i).IsHeldUnreservedBy(player)) SendDeallocateSlot(i, player, TABLE_REASON_NORMAL);
        SendExitSignal(player);
      }
    } else if (GetPlayerConnection(slot) && Seat(slot).m_PlayerId == player) {
      SendDeallocateSlot(slot, player, TABLE_REASON_NORMAL);
    }
  } else {
    CKCBL& record = node->m_RecvKCBL;
    record.MainChunk();
    record.FirstItem();
    int32_t user = 0, answer = 0;
    if (record.GetItem(TABLE_MSG_REQUESTANSWER, KLONG, &user, KLONG, &answer, KEND) && user > 0 &&
        user == m_OutstandingRequest)
      SendRequestAnswer(user, answer == 1 ? 1 : 0);
  }
  node->RecvKCBLFree();
  return 1;
}
