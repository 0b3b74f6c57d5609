// The requests of the clients that the server table takes before the seat requests: reconnects
// and time differences on the slot-allocation node (and leaving while the table is still being
// created), practice money on the player node, and the play-history viewer's requests.
#include <cstdio>
#include <new>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "common/tables/processclient.h"
#include "common/tables/servertablebase.h"
#include "ostrel/system/debug.h"
#include "ostrel/system/frameloop.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/timediff.h"

namespace {
// The player id of a marker request ("RequestReconnect", "RequestTimeDiff" with "Id"); 0 when
// the record is not that request, -1 when its id cannot be read.
int32_t MarkerRequest(CKCBL& record, const char* marker) {
  record.MainChunk();
  record.FirstItem();
  if (!record.FindItem(marker)) return 0;
  record.MainChunk();
  record.FirstItem();
  int32_t id = 0;
  if (!record.GetItem(TABLE_ITEM_ID, KLONG, &id, KEND)) return -1;
  return id;
}
}  // namespace

int32_t CServerTableBase::CheckForClientRequests() {
  CCommNode* node = m_pSlotAllocNode;
  while (node->SnoopIsDataAvailable()) {
    if (!node->SnoopRecvKCBLPacket()) {
      // Unreadable: nobody can take it.
      node->SnoopFreeKCBL();
      node->SnoopDeletePacket();
      continue;
    }
    CKCBL& record = node->m_RecvKCBL;
    int32_t handled = 1, result = 1;
    int32_t player = 0;
    if ((player = MarkerRequest(record, TABLE_MSG_REQUESTRECONNECT)) != 0) {
      node->SnoopFreeKCBL();
      node->SnoopDeletePacket();
      if (player > 0) result = Reconnect(player);
      if (!result) return 0;
      continue;
    }
    if ((player = MarkerRequest(record, TABLE_MSG_REQUESTTIMEDIFF)) != 0) {
      node->SnoopFreeKCBL();
      node->SnoopDeletePacket();
      if (player > 0) RequestTimeDiff(player);
      continue;
    }
    handled = 0;
    if (m_ReserveId != 0) {
      // While the table is created for one player, he may still leave.
      record.MainChunk();
      record.FirstItem();
      int32_t seat = -1;
      const int32_t entered = RecvEnterPrivatePlayerData(node, seat, player, TABLE_MSG_DEALLOCATESLOTREQ);
      if (entered && seat != -1 && player > 0) {
        int32_t slot = 0;
        const int32_t read = record.GetItem(TABLE_ITEM_SLOT, KLONG, &slot, KEND);
        RecvExitPrivatePlayerData(node);
        handled = 1;
        if (!read) {
          CrashUser(player);
        } else if (slot == TABLE_SLOT_LEAVE) {
          if (IsPlayerInGame(player) || !SendExitSignal(player)) CrashUser(player);
        }
      }
    }
    node->SnoopFreeKCBL();
    // Seat requests wait for CheckWantAlloc, which runs once the table is made; until then a
    // kept record would hide the creator's time-difference request behind it.
    if (!handled && m_ReserveId == 0) break;
    if (!handled) xprintf("CServerTableBase::CheckForClientRequests: a request before the table was made is dropped");
    node->SnoopDeletePacket();
  }
  return 1;
}

int32_t CServerTableBase::RequestTimeDiff(int32_t playerId) {
  if (playerId == m_ReserveId) m_CreatorConnected = 1;
  // A second request of the player replaces his first measurement.
  for (auto it = m_TimeDiffServers.begin(); it != m_TimeDiffServers.end(); ++it) {
    if ((*it)->GetId() != static_cast<uint32_t>(playerId)) continue;
    delete *it;
    m_TimeDiffServers.erase(it);
    break;
  }
  auto* server = new (std::nothrow) CTimeDiffServer;
  if (!server || !NameTableNode(*server, TABLE_NODE_TIMEDIFF, static_cast<uint32_t>(playerId)) ||
      !server->Init(m_LogStatus)) {
    delete server;
    xprintf("CServerTableBase::CheckForClientRequests: no time-difference node for %d", playerId);
    return 0;
  }
  m_TimeDiffServers.push_back(server);
  CCommNode* node = m_pSlotAllocNode;
  node->SendInit() && node->NewItem(TABLE_MSG_REQUESTTIMEDIFFANSWER, KEND) &&
      node->NewItem(TABLE_ITEM_ID, KLONG, playerId, KEND) &&
      node->NewItem(TABLE_ITEM_ANSWER, KLONG, TABLE_ANSWER_GRANTED, KEND) &&
      node->NewItem(TABLE_ITEM_TABLETYPE, KULONG, static_cast<uint32_t>(GetTableType()), KEND) &&
      node->SendKCBLPacket();
  if (m_pProcessClient) {
    GetCachedUser(playerId);
    char id[16];
    snprintf(id, sizeof id, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(playerId)));
    SendToManager(MANAGER_CMD_USERCONNECTED, {id});
  }
  return 1;
}

int32_t CServerTableBase::Reconnect(int32_t playerId) {
  CCommNode* node = m_pSlotAllocNode;
  node->SendInit() && node->NewItem(TABLE_MSG_REQUESTRECONNECTANSWER, KEND) &&
      node->NewItem(TABLE_ITEM_ID, KLONG, playerId, KEND) &&
      node->NewItem(TABLE_ITEM_ANSWER, KLONG, TABLE_ANSWER_GRANTED, KEND) && node->SendKCBLPacket();
  xHandler();
  delete m_pReconnectNode;
  m_pReconnectNode = CreateTableNode(TABLE_NODE_TABLE, static_cast<uint32_t>(playerId));
  if (!m_pReconnectNode) {
    CrashUser(playerId);
    return 1;
  }
  if (!GetRestoreMode()) {
    if (!SendGameSpec(playerId)) CrashUser(playerId);
  } else {
    if (!RestoreServerPlayerConnections() || !SendPlayerNodeData(playerId) || !SendGameSpec(playerId) ||
        !SendPlayerSeats()) {
      CrashUser(playerId);
      delete m_pReconnectNode;
      m_pReconnectNode = nullptr;
      return 0;
    }
    if (m_GameFlag) DeallocateOtherPlayers(playerId);
    for (int32_t i = 0; i < m_NumSeats; ++i)
      if (Seat(i).m_PlayerId == playerId) {
        m_PlayerHistory.LogEnterGame(playerId, i);
        break;
      }
  }
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).m_PlayerId == playerId) SetPresentation(i, CPSTATE_IDLE, playerId);
  for (const std::string& packet : m_PacketStore)
    if (m_pReconnectNode->SendInit()) m_pReconnectNode->SendPacket(packet.data(), static_cast<uint32_t>(packet.size()));
  if (!GetRestoreMode()) {
    SendPlayerNodeData(playerId);
    xHandler();
  }
  m_pTableNode->SendInit() && m_pTableNode->NewItem(TABLE_MSG_HELLO, KLONG, playerId, KEND) &&
      m_pTableNode->SendKCBLPacket();
  m_pReconnectNode->SendInit() && m_pReconnectNode->NewItem(TABLE_MSG_RECONNECTEND, KEND) &&
      m_pReconnectNode->SendKCBLPacket();
  xHandler();
  xHandler();
  if (GetRestoreMode()) {
    SetRestoreStep(TABLE_RESTORE_WAIT_RECONNECTEND);
  } else {
    m_ReconnectedPlayers.insert(m_ReconnectedPlayers.begin(), playerId);
    if (m_ReconnectedPlayers.size() > SERVERTABLE_RECONNECTED_KEPT) m_ReconnectedPlayers.pop_back();
  }
  delete m_pReconnectNode;
  m_pReconnectNode = nullptr;
  return 1;
}

int32_t CServerTableBase::SendGameSpec(int32_t playerId) {
  TMoney cash;
  int32_t ok = 0;
  const int32_t read = m_pStova ? m_pStova->GetUserCash(static_cast<uint32_t>(playerId), cash, ok) : 0;
  if (!xStovaCallOk(m_pStova, read, ok, "CServerTableBase::GetUserCash stova call returned error:%s",
                    "CServerTableBase::GetUserCash: no such user"))
    return 0;
  m_GameSpecAddressee = playerId;
  CCommNode* node = m_pPlayerNode;
  return node->SendInit() && SendEnterPrivatePlayerData(node, TABLE_CLIENT_CHUNK_SEAT, playerId, TABLE_CHUNK_GAMESPEC) &&
         node->NewItem(TABLE_ITEM_MAXIDLE, KLONG, m_MaxMissedRounds, KEND) &&
         node->NewItem(TABLE_ITEM_MONEY, KMONEY, &cash, KEND) && AddGameSpecData() &&
         SendExitPrivatePlayerData(node) && node->SendKCBLPacket();
}

int32_t CServerTableBase::SendPlayerSeats() {
  CCommNode* node = m_pReconnectNode;
  int32_t sent = node && node->SendInit() && node->NewItem(TABLE_MSG_PLAYERSEATS, KEND);
  for (int32_t i = 0; sent && i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    sent = node->NewItem(TABLE_ITEM_SEAT, KLONG, seat.m_Joined, KLONG, seat.m_BetFlag, KLONG, seat.m_SecondSeat, KLONG,
                         seat.m_PlayerId, KEND);
  }
  return sent && node->SendKCBLPacket();
}

int32_t CServerTableBase::SendPlayerNodeData(int32_t playerId) {
  int32_t sent = SendMoneyData(-1, playerId) && SendThinkBubbles(playerId) && SendPlayerIds(playerId) &&
                 SendPersonalLimitStatus(playerId);
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (Seat(i).IsHeld()) sent = SendIconData(i, playerId) && sent;
  // A player who just came knows no seat yet; his seat requests wait for the statuses.
  return SendSlotStatusData() && sent;
}

int32_t CServerTableBase::HandleTimeDiff() {
  for (size_t i = 0; i < m_TimeDiffServers.size();) {
    CTimeDiffServer* server = m_TimeDiffServers[i];
    if (!server->Handler() || server->IsClientDone() || server->ReachedTimeout()) {
      delete server;
      m_TimeDiffServers.erase(m_TimeDiffServers.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  return 1;
}

int32_t CServerTableBase::HandlePlayerHistoryRequests() {
  CCommNode* node = m_pPlayerHistoryRequestNode;
  if (!node || !node->IsDataAvailable()) return 1;
  if (!node->RecvKCBLPacket()) return 1;
  CKCBL& record = node->m_RecvKCBL;
  if (record.FindItem(TABLE_MSG_PLAYERHISTORY))
    m_PlayerHistoryServer.HandleCmd(&record, PLAYERHISTORY_PLAYER_FROM_REQUEST);
  node->RecvKCBLFree();
  return 1;
}

int32_t CServerTableBase::CheckForPlayerNodeMessage() {
  CCommNode* node = m_pPlayerNode;
  while (node->IsDataAvailable()) {
    if (!node->RecvKCBLPacket()) continue;
    if (!GetIsPlayingForPractice()) {
      // Only practice tables take requests on this node.
      node->RecvKCBLFree();
      continue;
    }
    CKCBL& record = node->m_RecvKCBL;
    int32_t seat = -1, player = 0;
    record.MainChunk();
    record.FirstItem();
    if (RecvEnterPrivatePlayerData(node, seat, player, TABLE_CHUNK_GETFORPRACTICEMONEY) && seat == 0 && player > 0) {
      RecvExitPrivatePlayerData(node);
      node->RecvKCBLFree();
      TMoney cash;
      int32_t ok = 0;
      const int32_t read = m_pStova->GetUserCash(static_cast<uint32_t>(player), cash, ok);
      if (!xStovaCallOk(m_pStova, read, ok, "CServerTableBase::GetUserCash stova call returned error:%s",
                        "CServerTableBase::GetUserCash: no such user")) {
        CrashUser(player);
        continue;
      }
      CCommNode* out = m_pPlayerNode;
      out->SendInit() && SendEnterPrivatePlayerData(out, TABLE_CLIENT_CHUNK_SEAT, player, TABLE_CHUNK_PRACTICEMONEY) &&
          out->NewItem(TABLE_ITEM_PRACTICEMONEY, KMONEY, &cash, KEND) && SendExitPrivatePlayerData(out) &&
          out->SendKCBLPacket();
      continue;
    }
    record.MainChunk();
    record.FirstItem();
    seat = -1;
    if (RecvEnterPrivatePlayerData(node, seat, player, TABLE_CHUNK_SETFORPRACTICEMONEY) && seat == 0 && player > 0) {
      TMoney amount;
      const int32_t read = record.GetItem(TABLE_ITEM_PRACTICEMONEY, KMONEY, &amount, KEND);
      RecvExitPrivatePlayerData(node);
      node->RecvKCBLFree();
      if (!read || amount.GetError() || !(amount > 0)) continue;
      int32_t ok = 0;
      const int32_t set = m_pStova->PracticeSetUserCash(static_cast<uint32_t>(player), amount, ok);
      if (!xStovaCallOk(m_pStova, set, ok, "CServerTableBase::PracticeSetUserCash stova call returned error:%s",
                        "CServerTableBase::PracticeSetUserCash stova call returned false"))
        CrashUser(player);
      continue;
    }
    node->RecvKCBLFree();
  }
  return 1;
}
