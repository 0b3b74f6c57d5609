// The server table and its manager process: the manager's messages, the join-request queue and
// its answers, the seat and state triggers, jackpot announcements.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "common/database/stovaconn.h"
#include "common/tables/processclient.h"
#include "common/tables/servertablebase.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrelcomm/commnode.h"

namespace {
// When the last seat trigger went out; one clock for every table of the process.
uint32_t g_LastSeatTrig = 0;
bool g_SeatTrigSent = false;

// A user id of the manager's texts: decimal digits only, above 0 and within 32 bits.
bool ParseUserId(const char* text, int32_t& id) {
  if (!text || !*text) return false;
  for (const char* p = text; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  errno = 0;
  const unsigned long long value = strtoull(text, nullptr, 10);
  if (errno || value == 0 || value > 0x7FFFFFFFull) return false;
  id = static_cast<int32_t>(value);
  return true;
}

std::string Cut(const char* text, size_t max) {
  std::string s = text ? text : "";
  if (s.size() > max) s.resize(max);
  return s;
}
}  // namespace

int32_t CServerTableBase::SendToManager(const char* command, std::initializer_list<const char*> strings) {
  if (!m_pProcessClient) return 1;
  for (const char* s : strings) m_pProcessClient->AddDataString(s);
  return m_pProcessClient->SendData(command);
}

int32_t CServerTableBase::SendJoinTableTrig() { return SendToManager(MANAGER_CMD_STOVASTATTRIG, {}); }

int32_t CServerTableBase::JoinTableDataHandler() {
  if (!m_JoinDataPending) return 1;
  const uint32_t now = xGetTime();
  if (g_SeatTrigSent && xTimeDiff(g_LastSeatTrig, now) < static_cast<uint32_t>(m_JoinDataTime) * 1000u) return 1;
  g_LastSeatTrig = now;
  g_SeatTrigSent = true;
  m_JoinDataPending = 0;
  return SendToManager(MANAGER_CMD_STOVASEATTRIG, {});
}

int32_t CServerTableBase::AnnounceJPWin(int32_t playerId, const TMoney& amount) {
  char player[16], table[16];
  snprintf(player, sizeof player, "%ld", static_cast<long>(playerId));
  snprintf(table, sizeof table, "%ld", static_cast<long>(static_cast<int32_t>(m_TableId)));
  const CString text = amount.GetString();
  return SendToManager(MANAGER_CMD_ANNOUNCEJPWIN, {player, static_cast<const char*>(text), table});
}

int32_t CServerTableBase::SendRequestAnswer(int32_t userId, int32_t answer) {
  const std::string number = m_OutstandingRequest == userId ? m_RequestNumber : "0";
  if (m_OutstandingRequest == userId) {
    m_OutstandingRequest = 0;
    m_RequestNumber.clear();
  }
  char user[16];
  snprintf(user, sizeof user, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(userId)));
  return SendToManager(MANAGER_CMD_REQUESTANSWER, {user, number.c_str(), answer ? "1" : "0"});
}

int32_t CServerTableBase::HandleProcessManagerPackets() {
  const int32_t code = m_pProcessClient->PacketPending();
  if (code == MANAGER_MSG_UNKNOWN) return 1;
  int32_t user = 0;
  const char* first = m_pProcessClient->GetDataString();
  switch (code) {
    case MANAGER_MSG_REQUESTPERMISSION: {
      const char* number = m_pProcessClient->GetDataString();
      const char* reason = m_pProcessClient->GetDataString();
      if (!m_TableOwner || !ParseUserId(first, user) || !number) return 1;
      char id[16];
      snprintf(id, sizeof id, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(user)));
      if (!IsPlayerSeated(m_TableOwner)) return SendToManager(MANAGER_CMD_REQUESTANSWER, {id, "0", "0"});
      const c2stovaUser* record = GetCachedUser(user);
      if (!record) return SendToManager(MANAGER_CMD_REQUESTANSWER, {id, number, "0"});
      m_JoinRequests.push_back({user, number, Cut(record->m_UserName, SERVERTABLE_JOIN_NAME_MAX),
                                Cut(reason, SERVERTABLE_JOIN_REASON_MAX)});
      return 1;
    }
    case MANAGER_MSG_REMOVECRASHEDUSER:
      if (ParseUserId(first, user)) DoReconnect(user);
      return 1;
    case MANAGER_MSG_SERVERMSG: {
      if (!first) return 1;
      const std::string text = Cut(first, TABLE_SERVERMSG_MAX);
      return m_pPlayerNode->SendInit() && m_pPlayerNode->NewItem(TABLE_PL_SERVERMSG, KSTRING, text.c_str(), KEND) &&
             m_pPlayerNode->SendKCBLPacket();
    }
    case MANAGER_MSG_USERQUIT:
      if (ParseUserId(first, user)) SendExitSignal(user);
      return 1;
    case MANAGER_MSG_WAITLISTCANCEL:
      if (!ParseUserId(first, user)) return 1;
      for (int32_t i = 0; i < m_NumSeats; ++i)
        if (Seat(i).m_ReservedFor == user) {
          SendDeallocateSlot(i, user, TABLE_REASON_CANCELLED);
          RemoveReservedStatus(user);
          break;
        }
      return 1;
    default:  // taken by the link, not acted on here
      return 1;
  }
}

int32_t CServerTableBase::PollRequestQueue() {
  if (m_OutstandingRequest || m_JoinRequests.empty()) return 1;
  const SJoinRequest request = m_JoinRequests.front();
  m_JoinRequests.erase(m_JoinRequests.begin());
  char id[16];
  snprintf(id, sizeof id, "%lu", static_cast<unsigned long>(static_cast<uint32_t>(request.m_UserId)));
  if (!IsPlayerSeated(m_TableOwner)) return SendToManager(MANAGER_CMD_REQUESTANSWER, {id, "0", "0"});
  m_OutstandingRequest = request.m_UserId;
  m_RequestNumber = request.m_RequestNumber;
  CCommNode* node = m_pSlotAllocNode;
  return node->SendInit() &&
         SendEnterPrivatePlayerData(node, TABLE_CLIENT_CHUNK_SEAT, m_TableOwner, TABLE_MSG_JOINREQUEST) &&
         node->NewItem(TABLE_ITEM_REQUESTID, KLONG, request.m_UserId, KEND) &&
         node->NewItem(TABLE_ITEM_NAME, KSTRING, request.m_Name.c_str(), KEND) &&
         node->NewItem(TABLE_ITEM_REASON, KSTRING, request.m_Reason.c_str(), KEND) &&
         SendExitPrivatePlayerData(node) && node->SendKCBLPacket();
}
