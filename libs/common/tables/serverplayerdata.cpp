// What the server table sends its clients on the table and player nodes: client and game
// states, "Quit", and the per-player messages of the "PlNode" chunk (balances, think bubbles,
// player ids, icons, personal limits).
#include <vector>

#include "common/database/stovaconn.h"
#include "common/database/stovaerrors.h"
#include "common/tables/servertablebase.h"
#include "ostrelcomm/commnode.h"

int32_t CServerTableBase::SendChangeClientStateReconnect(int32_t state, CCommNode* node) {
  return node && node->SendInit() && node->NewItem(TABLE_MSG_CHANGECLIENTSTATE, KLONG, state, KEND) &&
         node->SendKCBLPacket();
}

int32_t CServerTableBase::SendChangeClientState(int32_t state) {
  return SendChangeClientStateReconnect(state, m_pTableNode);
}

int32_t CServerTableBase::SendChangeGameState(int32_t state) {
  m_GameState = state;
  CCommNode* node = m_pTableNode;
  return node && node->SendInit() && node->NewItem(TABLE_MSG_CHANGEGAMESTATE, KLONG, state, KEND) &&
         node->SendKCBLPacket();
}

int32_t CServerTableBase::SendQuitAllPlayers() {
  CCommNode* node = m_pTableNode;
  return node && node->SendInit() && node->NewItem(TABLE_MSG_QUIT, KEND) && node->SendKCBLPacket();
}

int32_t CServerTableBase::OpenPlNode(int32_t addressee) {
  return m_pPlayerNode && m_pPlayerNode->SendInit() &&
         SendEnterPrivatePlayerData(m_pPlayerNode, TABLE_CLIENT_CHUNK_SEAT, addressee, TABLE_CHUNK_PLNODE);
}

int32_t CServerTableBase::ClosePlNode() {
  return SendExitPrivatePlayerData(m_pPlayerNode) && m_pPlayerNode->SendKCBLPacket();
}

int32_t CServerTableBase::SendMoneyData(int32_t seat, int32_t addressee) {
  if (seat != -1 && !GetPlayerConnection(seat)) return 0;
  const int32_t first = seat == -1 ? 0 : seat;
  const int32_t last = seat == -1 ? m_NumSeats - 1 : seat;
  // The balances are read first: a player whose balance cannot be read is crashed out after the
  // record is sent, since that sends records of its own.
  std::vector<TMoney> balances;
  std::vector<int32_t> failed;
  for (int32_t i = first; i <= last; ++i) {
    TMoney cash;
    const int32_t holder = Seat(i).m_PlayerId;
    if (holder != 0) {
      int32_t ok = 0;
      const int32_t read = m_pStova ? m_pStova->GetUserCash(static_cast<uint32_t>(holder), cash, ok) : 0;
      if (!xStovaCallOk(m_pStova, read, ok, "CServerTableBase::GetUserCash stova call returned error:%s",
                        "CServerTableBase::GetUserCash: no such user")) {
        cash = TMoney();
        failed.push_back(holder);
      }
    }
    balances.push_back(cash);
  }
  int32_t sent = OpenPlNode(addressee) && m_pPlayerNode->NewItem(seat == -1 ? TABLE_PL_MONEY : TABLE_PL_MONEYONE, KEND);
  for (int32_t i = first; sent && i <= last; ++i) {
    const TMoney& cash = balances[static_cast<size_t>(i - first)];
    sent = (seat == -1 ? m_pPlayerNode->NewItem(TABLE_PL_DATA, KMONEY, &cash, KEND)
                       : m_pPlayerNode->NewItem(TABLE_PL_DATA, KLONG, i, KMONEY, &cash, KEND)) &&
           AddPlayerMoneyCallback(i);
  }
  sent = sent && ClosePlNode();
  for (int32_t player : failed) CrashUser(player);
  return sent;
}

int32_t CServerTableBase::SendThinkBubbles(int32_t playerId) {
  int32_t sent = OpenPlNode(playerId) && m_pPlayerNode->NewItem(TABLE_PL_THINK, KEND);
  for (int32_t i = 0; sent && i < m_NumSeats; ++i)
    sent = m_pPlayerNode->NewItem(TABLE_PL_DATA, KLONG, m_Thinking[static_cast<size_t>(i)], KEND);
  return sent && ClosePlNode();
}

int32_t CServerTableBase::SendPlayerIds(int32_t addressee) {
  int32_t sent = OpenPlNode(addressee) && m_pPlayerNode->NewItem(TABLE_PL_PLAYERIDS, KEND);
  for (int32_t i = 0; sent && i < m_NumSeats; ++i) {
    const CPlayerConnection& seat = Seat(i);
    sent = m_pPlayerNode->NewItem(TABLE_PL_DATA, KLONG, seat.IsReserved() ? 0 : seat.m_PlayerId, KEND);
  }
  return sent && ClosePlNode();
}

int32_t CServerTableBase::SendIconData(int32_t seat, int32_t addressee) {
  const CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection) return 0;
  const size_t s = static_cast<size_t>(seat);
  int32_t flags = m_IconFlags[s] & ~TABLE_ICONFLAG_SECONDSEAT;
  if (connection->m_SecondSeat) flags |= TABLE_ICONFLAG_SECONDSEAT;
  const char* name = connection->IsHeld() ? connection->GetUserName() : "";
  return OpenPlNode(addressee) && m_pPlayerNode->NewItem(TABLE_PL_ICON, KEND) &&
         m_pPlayerNode->NewItem(TABLE_PL_DATA, KLONG, seat, KLONG, m_IconValue[s], KLONG, flags, KSTRING, name, KEND) &&
         ClosePlNode();
}

int32_t CServerTableBase::SendPersonalLimitStatus(int32_t playerId) {
  if (!m_pStova || playerId <= 0) return 0;
  SPlayerProtectionLimitStatus status;
  int32_t ok = 0;
  const int32_t read = m_pStova->PlayerProtectionGetLimitStatus(static_cast<uint32_t>(playerId), status, ok);
  if (!xStovaCallOk(m_pStova, read, ok, "CServerTableBase::PlayerProtectionGetLimitStatus stova call returned error:%s",
                    "CServerTableBase::PlayerProtectionGetLimitStatus stova call returned false"))
    return 0;
  CCommNode* node = m_pPlayerNode;
  return OpenPlNode(playerId) && node->NewItem(TABLE_PL_PERSONALLIMITSTATUS, KEND) &&
         node->NewItem(TABLE_ITEM_LOSSPERDAY, KMONEY, &status.LossPerDay, KEND) &&
         node->NewItem(TABLE_ITEM_LOSSPERWEEK, KMONEY, &status.LossPerWeek, KEND) &&
         node->NewItem(TABLE_ITEM_LOSSPERMONTH, KMONEY, &status.LossPerMonth, KEND) &&
         node->NewItem(TABLE_ITEM_LOSSTHISDAY, KMONEY, &status.LossThisDay, KEND) &&
         node->NewItem(TABLE_ITEM_LOSSTHISWEEK, KMONEY, &status.LossThisWeek, KEND) &&
         node->NewItem(TABLE_ITEM_LOSSTHISMONTH, KMONEY, &status.LossThisMonth, KEND) &&
         node->NewItem(TABLE_ITEM_MAXSESSIONTIME, KLONG, status.MaxSessionTime, KEND) &&
         node->NewItem(TABLE_ITEM_SELFEXCLUSION, KLONG, status.SelfExclusion, KEND) && ClosePlNode();
}

int32_t CServerTableBase::SetThinking(int32_t seat) {
  if (!GetPlayerConnection(seat)) return 0;
  m_Thinking[static_cast<size_t>(seat)] = 1;
  return 1;
}

int32_t CServerTableBase::ClearThinking(int32_t seat) {
  if (!GetPlayerConnection(seat)) return 0;
  m_Thinking[static_cast<size_t>(seat)] = 0;
  return 1;
}
