// What the client table reads from its nodes: the table node's state messages (and the replay of
// a reconnect), the seat answers of the slot-allocation node, the seat statuses, and the
// player node's balances, icons, limits and practice money. Every record comes from the server
// and is read as hostile: items may be missing, of the wrong type, or name seats that do not exist.
#include <cstring>
#include <new>

#include "common/info/translatemessage.h"
#include "common/tables/clienttablebase.h"
#include "common/widgets/forfundlg.h"
#include "common/widgets/panel.h"
#include "ostrel/base/xstring.h"
#include "ostrel/system/clock.h"
#include "ostrel/system/debug.h"
#include "ostrel/base/types.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/packet.h"
#include "ostrelcomm/timediff.h"

namespace {
// Whether the record holds the item anywhere in its top chunk.
bool Has(CKCBL& record, const char* keyword) {
  record.MainChunk();
  record.FirstItem();
  return record.FindItem(keyword) != 0;
}

bool Long(CKCBL& record, const char* keyword, int32_t& value) {
  record.MainChunk();
  record.FirstItem();
  return record.GetItem(keyword, KLONG, &value, KEND) != 0;
}

// Value n of the current item, cut to max characters; false when it is missing.
bool CutString(CKCBL& record, int32_t n, size_t max, std::string& out) {
  const char* text = record.GetString(n);
  if (!text) return false;
  out.assign(text, strnlen(text, max));
  return true;
}

// The current item is a "D" item (the values that follow a marker).
bool AtData(CKCBL& record) {
  if (!record.NextItem(0) || record.ItemType() != 1) return false;
  const char* keyword = record.GetKeyword();
  return keyword && xStricmp(keyword, TABLE_PL_DATA) == 0;
}
}  // namespace

// ---- table node ----

int32_t CClientTableBase::CheckChangeState() {
  CCommNode* table = m_pTableNode;
  if (!table) return 1;
  // A record left for the game a whole frame ago that nobody took: only a new round waits for
  // the round machine, anything else would block the queue.
  if (table->IsDataAvailable() && !table->SnoopIsDataAvailable()) {
    bool waits = false;
    if (table->SnoopRecvKCBLPacket()) {
      char word[32] = {};
      CKCBL& record = table->m_RecvKCBL;
      record.MainChunk();
      record.FirstItem();
      waits = record.GetItem(TABLE_MSG_COMMAND, KSTRING, sizeof word - 1, word, KEND) &&
              xStricmp(word, TABLE_COMMAND_NEWROUND) == 0 && (m_Joined || m_CreateMode) && m_TimeDiffDone &&
              m_PracticeDone && m_ClientState <= TABLE_CLIENTSTATE_WAITING;
      table->SnoopFreeKCBL();
    }
    if (waits) return 1;
    table->SnoopDeletePacket();
  }
  while (table->SnoopIsDataAvailable()) {
    if (!table->SnoopRecvKCBLPacket()) {
      table->SnoopFreeKCBL();
      table->SnoopDeletePacket();
      continue;
    }
    int32_t stop = 0, stateChanged = 0;
    const int32_t taken = HandleTableRecord(table->m_RecvKCBL, stop, stateChanged);
    table->SnoopFreeKCBL();
    if (stop) return 0;
    if (!taken) break;
    table->SnoopDeletePacket();
    // The game sees every game state: the next record waits until the round machine has run
    // this one (a server in the same process sends a whole deal in one frame).
    if (stateChanged) return 1;
    // The reconnect ended with this record: the node it came through can go now.
    if (m_ReconnectEndSeen == 1) {
      m_ReconnectEndSeen = 2;
      DeleteReconnectNode();
    }
    if (!m_pTableNode) return 1;
  }
  return 1;
}

int32_t CClientTableBase::HandleTableRecord(CKCBL& record, int32_t& stop, int32_t& gameStateChanged) {
  int32_t value = 0;
  if (Long(record, TABLE_MSG_CHANGECLIENTSTATE, value)) {
    if (value >= TABLE_CLIENTSTATE_NONE && value <= TABLE_CLIENTSTATE_GAME) m_ClientState = value;
    return 1;
  }
  if (Long(record, TABLE_MSG_CHANGEGAMESTATE, value)) {
    m_ClientState = TABLE_CLIENTSTATE_GAME;
    m_GameState = value;
    gameStateChanged = 1;
    return 1;
  }
  if (Has(record, TABLE_MSG_HELLO)) return 1;
  if (Has(record, TABLE_MSG_QUIT)) {
    ExitGame();
    return 1;
  }
  if (Has(record, TABLE_MSG_PLAYERSEATS)) {
    if (GetRestoreMode()) ReadPlayerSeats(record);
    return 1;
  }
  if (Has(record, TABLE_MSG_RECONNECTEND)) {
    if (m_ReconnectEndSeen) return 1;
    m_ReconnectEndSeen = 1;
    ReconnectFinished();
    m_ReadyTime = xGetTime();
    if (!m_ReadyTime) m_ReadyTime = 1;
    if (GetRestoreMode() && m_pTableNode) {
      CCommNode* node = m_pTableNode;
      node->SendInit() && node->NewItem(TABLE_MSG_RECONNECTEND, KEND) && node->SendKCBLPacket();
    }
    (void)stop;
    return 1;
  }
  return 0;
}

void CClientTableBase::ReadPlayerSeats(CKCBL& record) {
  record.MainChunk();
  record.FirstItem();
  if (!record.FindItem(TABLE_MSG_PLAYERSEATS)) return;
  for (int32_t seat = 0; seat < m_NumSeats; ++seat) {
    if (!record.NextItem(0) || record.ItemType() != 1 || xStricmp(record.GetKeyword(), TABLE_ITEM_SEAT) != 0) break;
    int32_t joined = 0, bet = 0, second = 0, holder = 0;
    if (!record.GetItem(nullptr, KLONG, &joined, KLONG, &bet, KLONG, &second, KLONG, &holder, KEND)) continue;
    if (holder == 0 || holder != m_PlayerId) continue;
    CPlayerConnection& connection = Seat(seat);
    if (connection.m_PlayerId != holder) AllocateSlot(seat, holder);
    if (connection.m_PlayerId != holder) continue;
    connection.m_Joined = joined;
    connection.m_BetFlag = bet;
    connection.m_SecondSeat = second;
  }
  UpdateSeats();
}

// ---- the receive hook: reconnect replay and held-back live records ----

int32_t CClientTableBase::Dispatch(CCommNode* node, const void*& data, uint32_t& size, int32_t& deliver) {
  CClientTableBase* table = GetCurrentClientTable();
  if (!table || (node != table->m_pTableNode && node != table->m_pReconnectNode)) return 1;
  if (node == table->m_pTableNode && table->m_pGameRecvHook &&
      !table->m_pGameRecvHook(node, data, size, deliver))
    return 0;
  if (!deliver) return 1;
  return table->DispatchRecord(node, data, size, deliver);
}

namespace {
// The player id of a record's "Hello", 0 when it has none.
int32_t HelloOf(const std::string& text) {
  CKCBL record;
  if (!record.Import(text.c_str(), static_cast<int32_t>(text.size()))) return 0;
  record.RestartMode(0);
  int32_t id = 0;
  return Long(record, TABLE_MSG_HELLO, id) ? id : 0;
}

bool IsReconnectEnd(const void* data, uint32_t size) {
  CKCBL record;
  if (size > INT32_MAX || !record.Import(static_cast<const char*>(data), static_cast<int32_t>(size))) return false;
  record.RestartMode(0);
  return Has(record, TABLE_MSG_RECONNECTEND);
}
}  // namespace

int32_t CClientTableBase::DispatchRecord(CCommNode* node, const void* data, uint32_t size, int32_t& deliver) {
  if (!m_Reconnecting) return 1;
  if (node == m_pReconnectNode) {
    // Replayed records stand in the table node's queue at once, in order.
    deliver = 0;
    const bool end = IsReconnectEnd(data, size);
    DeliverToTableNode(data, size);
    if (!end) return 1;
    // The live records from this player's own "Hello" on follow the replay.
    m_Reconnecting = 0;
    size_t first = m_HeldBack.size();
    for (size_t i = 0; i < m_HeldBack.size(); ++i)
      if (HelloOf(m_HeldBack[i].m_Data) == m_PlayerId) {
        first = i;
        break;
      }
    std::vector<SHeldBack> held;
    held.swap(m_HeldBack);
    for (size_t i = first; i < held.size(); ++i) DeliverToTableNode(held[i].m_Data.data(), static_cast<uint32_t>(held[i].m_Data.size()));
    return 1;
  }
  if (m_Replaying) return 1;
  // A live record while the replay runs waits until the replay is through.
  m_HeldBack.push_back({std::string(static_cast<const char*>(data), size), node->GetSessionIndex()});
  deliver = 0;
  return 1;
}

void CClientTableBase::DeliverToTableNode(const void* data, uint32_t size) {
  CCommNode* table = m_pTableNode;
  if (!table) return;
  SXPacket* packet =
      BuildPacket(PACKET_CNODEDATA, table->GetId(), table->GetName(), CNODE_SERVER, 0, data, size);
  if (!packet) {
    xprintf("CClientTableBase::DeliverToTableNode: no packet for a record of %u bytes", size);
    return;
  }
  m_Replaying = 1;
  table->RecvIncomingFromComm(packet);
  m_Replaying = 0;
  xFree(packet);
}

void CClientTableBase::DeleteReconnectNode() {
  delete m_pReconnectNode;
  m_pReconnectNode = nullptr;
}

void CClientTableBase::FreeHeldBack() { m_HeldBack.clear(); }

// ---- slot-allocation node ----

int32_t CClientTableBase::CheckAllocationData() {
  CCommNode* node = m_pSlotAllocNode;
  if (!node) return 0;
  while (node->SnoopIsDataAvailable()) {
    if (!node->SnoopRecvKCBLPacket()) {
      node->SnoopFreeKCBL();
      node->SnoopDeletePacket();
      continue;
    }
    int32_t ends = 0;
    CKCBL& record = node->m_RecvKCBL;
    int32_t seat = 0, id = 0, answer = 0, reason = 0, type = 0;
    if (Has(record, TABLE_MSG_ALLOCATESLOTANSWER)) {
      if (Long(record, TABLE_ITEM_SLOT, seat) && Long(record, TABLE_ITEM_ID, id) &&
          Long(record, TABLE_ITEM_ANSWER, answer)) {
        if (Long(record, TABLE_ITEM_TABLETYPE, type)) SetTableType(type);
        const bool own = id == m_PlayerId && id != 0;
        const bool inRange = GetPlayerConnection(seat) != nullptr;
        if (answer == TABLE_ANSWER_GRANTED && inRange) {
          CPlayerConnection& connection = Seat(seat);
          if (connection.m_PlayerId != id) {
            if (connection.m_PlayerId != 0) DeallocateSlot(seat);
            AllocateSlot(seat, id);
          }
        }
        if (own) {
          m_OwnAllocAnswer = answer == TABLE_ANSWER_GRANTED ? TABLE_ANSWER_GRANTED : TABLE_ANSWER_OWN_REFUSED;
          if (answer == TABLE_ANSWER_GRANTED && m_pPanel) m_pPanel->SetPlayerIsSeated(true);
        }
        if (inRange) SlotAllocated(seat, id, own ? answer : 0);
      }
    } else if (Has(record, TABLE_MSG_RESERVESLOTANSWER)) {
      if (Long(record, TABLE_ITEM_SLOT, seat) && Long(record, TABLE_ITEM_ID, id) &&
          Long(record, TABLE_ITEM_ANSWER, answer)) {
        const bool inRange = GetPlayerConnection(seat) != nullptr;
        if (answer == TABLE_ANSWER_GRANTED && inRange) {
          CPlayerConnection& connection = Seat(seat);
          connection.m_PlayerId = 0;
          connection.m_ReservedFor = id;
        }
        if (id == m_PlayerId && id != 0)
          m_OwnAllocAnswer = answer == TABLE_ANSWER_GRANTED ? TABLE_ANSWER_GRANTED : TABLE_ANSWER_OWN_REFUSED;
        if (inRange) HandleReserve(seat, id, answer);
      }
    } else if (Has(record, TABLE_MSG_DEALLOCATESLOT)) {
      if (Long(record, TABLE_ITEM_SLOT, seat) && Long(record, TABLE_ITEM_ID, id) &&
          Long(record, TABLE_ITEM_REASON, reason) && GetPlayerConnection(seat)) {
        const bool own = id == m_PlayerId && id != 0;
        if (!m_Leaving) {
          if (own && m_pPanel) m_pPanel->SetPlayerIsSeated(false);
          PlayerLeftSlot(seat, id);
        }
        DeallocateSlot(seat);
        if (own && reason == TABLE_REASON_CRASHED) {
          xprintf("CClientTableBase::CheckAllocationData: the server crashed player %d out", id);
          ends = 1;
        }
      }
    } else if (Has(record, TABLE_MSG_REQUESTRECONNECTANSWER)) {
      if (Long(record, TABLE_ITEM_ID, id) && Long(record, TABLE_ITEM_ANSWER, answer) && id == m_PlayerId &&
          answer == TABLE_ANSWER_GRANTED && m_ReconnectRequested) {
        m_Joined = 1;
        if (m_pPanel) m_pPanel->SetPlayerIsSeated(true);
      }
    } else if (Has(record, TABLE_MSG_REQUESTTIMEDIFFANSWER)) {
      if (Long(record, TABLE_ITEM_ID, id) && Long(record, TABLE_ITEM_ANSWER, answer)) {
        if (Long(record, TABLE_ITEM_TABLETYPE, type)) SetTableType(type);
        if (id == m_PlayerId && answer == TABLE_ANSWER_GRANTED && m_TimeDiffRequested && !m_TimeDiffAnswered &&
            m_pTimeDiff) {
          if (!m_pTimeDiff->Init(m_LogStatus)) ends = 1;
          m_TimeDiffAnswered = 1;
        }
      }
    } else {
      record.MainChunk();
      record.FirstItem();
      int32_t chunkSeat = -1, owner = 0;
      if (RecvEnterPrivatePlayerData(node, chunkSeat, owner, TABLE_MSG_JOINREQUEST) && chunkSeat != -1) {
        int32_t requestId = 0;
        std::string name, reason;
        const bool read = record.GetItem(TABLE_ITEM_REQUESTID, KLONG, &requestId, KEND) &&
                          record.FindItem(TABLE_ITEM_NAME) && CutString(record, 0, TABLE_JOINREQUEST_NAME_MAX, name);
        record.FirstItem();
        const bool hasReason =
            record.FindItem(TABLE_ITEM_REASON) && CutString(record, 0, TABLE_JOINREQUEST_REASON_MAX, reason);
        RecvExitPrivatePlayerData(node);
        if (read && owner == m_PlayerId) ShowRequestBox(requestId, name.c_str(), hasReason ? reason.c_str() : "");
      }
    }
    node->SnoopFreeKCBL();
    node->SnoopDeletePacket();
    if (ends) return 0;
  }
  return 1;
}

// ---- slot-status node ----

int32_t CClientTableBase::CheckAllocStatusData() {
  CCommNode* node = m_pSlotStatusNode;
  if (!node) return 0;
  while (node->IsDataAvailable()) {
    if (!node->RecvKCBLPacket()) return 0;
    CKCBL& record = node->m_RecvKCBL;
    if (Has(record, TABLE_MSG_SLOTALLOCSTATUS)) {
      std::vector<int32_t> statuses;
      while (statuses.size() < m_SlotStatus.size() && record.FindItem(TABLE_ITEM_SLOTSTATUS)) {
        int32_t value = 0;
        if (!record.GetItem(nullptr, KLONG, &value, KEND)) break;
        statuses.push_back(value);
        record.NextItem(0);
      }
      // A list that does not name every seat says nothing sure about any.
      if (statuses.size() == m_SlotStatus.size()) m_SlotStatus = statuses;
    }
    node->RecvKCBLFree();
  }
  return 1;
}

// ---- player node ----

int32_t CClientTableBase::CheckPlayerStatusData() {
  CCommNode* node = m_pPlayerNode;
  if (!node) return 0;
  int32_t plNode = 0;
  while (node->IsDataAvailable()) {
    if (!node->RecvKCBLPacket()) return 0;
    CKCBL& record = node->m_RecvKCBL;
    int32_t seat = -1, player = 0, any = 0, result = 1;
    record.MainChunk();
    record.FirstItem();
    if (RecvEnterPrivatePlayerData(node, seat, player, TABLE_CHUNK_PRACTICEMONEY) && seat != -1) {
      any = 1;
      TMoney amount;
      const bool read = record.GetItem(TABLE_ITEM_PRACTICEMONEY, KMONEY, &amount, KEND);
      RecvExitPrivatePlayerData(node);
      if (read && seat == 0 && player > 0 && player == m_PlayerId) {
        m_PracticeAmountKnown = 1;
        const int32_t shown = m_pForFun ? m_pForFun->GetID() : 0;
        if (shown == TABLEDLG_FORFUN_REQUEST || shown == TABLEDLG_FORFUN_ANSWER) {
          m_pForFun->SetMoney(amount);
          m_pForFun->ShowWindow();
        }
      }
    }
    record.MainChunk();
    record.FirstItem();
    seat = -1;
    if (RecvEnterPrivatePlayerData(node, seat, player, TABLE_CHUNK_GAMESPEC) && seat != -1) {
      any = 1;
      if (seat == 0 && player > 0) {
        int32_t maxIdle = 0;
        record.FirstItem();
        if (record.GetItem(TABLE_ITEM_MAXIDLE, KLONG, &maxIdle, KEND)) m_MaxIdle = maxIdle;
        if (player == m_PlayerId) {
          TMoney money;
          record.FirstItem();
          if (record.GetItem(TABLE_ITEM_MONEY, KMONEY, &money, KEND)) {
            m_RecordedBalance = money;
            m_BalanceKnown = 1;
          }
        }
        record.FirstItem();
        result = GameSpecReceived();
      }
      RecvExitPrivatePlayerData(node);
    }
    record.MainChunk();
    record.FirstItem();
    for (;;) {
      seat = -1;
      if (!RecvEnterPrivatePlayerData(node, seat, player, TABLE_CHUNK_PLNODE) || seat == -1) break;
      any = 1;
      // At a remote table every link hears every player's node: only his own and everybody's
      // data are his.
      if (player == 0 || player == m_PlayerId) {
        record.FirstItem();
        GetPlayerStatusData(record);
        plNode = 1;
      }
      RecvExitPrivatePlayerData(node);
    }
    if (!any) {
      record.MainChunk();
      record.FirstItem();
      GetPlayerStatusData(record);
      plNode = 1;
    }
    node->RecvKCBLFree();
    if (!result) return 0;
  }
  if (plNode) PlayerDataReceived();
  return 1;
}

int32_t CClientTableBase::GetPlayerStatusData(CKCBL& record) {
  int32_t custom = 0;
  while (record.ItemExists()) {
    const char* keyword = record.ItemType() == 1 ? record.GetKeyword() : nullptr;
    if (!keyword) {
      record.NextItem(0);
      continue;
    }
    if (xStricmp(keyword, TABLE_PL_PERSONALLIMITSTATUS) == 0) {
      ReadPersonalLimits(record);
      return 1;
    }
    if (xStricmp(keyword, TABLE_PL_SERVERMSG) == 0) {
      std::string text;
      if (CutString(record, 0, TABLE_SERVERMSG_MAX, text)) {
        std::vector<char> line(text.begin(), text.end());
        line.push_back(0);
        char* shown = line.data();
        if (m_pMessages) m_pMessages->TranslateMessage(&shown);
        if (m_pPanel) m_pPanel->UpdateChat(shown);
      }
      record.NextItem(0);
    } else if (xStricmp(keyword, TABLE_PL_MONEY) == 0) {
      ReadMoney(record);
    } else if (xStricmp(keyword, TABLE_PL_MONEYONE) == 0) {
      ReadMoneyOne(record);
    } else if (xStricmp(keyword, TABLE_PL_THINK) == 0) {
      ReadSeatLongs(record, m_Think, false);
    } else if (xStricmp(keyword, TABLE_PL_PLAYERIDS) == 0) {
      std::vector<int32_t> ids;
      ReadSeatLongs(record, ids, true);
    } else if (xStricmp(keyword, TABLE_PL_ICON) == 0) {
      ReadIcon(record);
    } else if (xStricmp(keyword, TABLE_PL_DATA) == 0) {
      record.NextItem(0);
    } else {
      if (!custom) GetCustomDataCallback();
      custom = 1;
      record.NextItem(0);
    }
  }
  return 1;
}

void CClientTableBase::ReadPersonalLimits(CKCBL& record) {
  SProtection read = Protection();
  struct SMoneyItem {
    const char* keyword;
    TMoney* into;
  };
  const SMoneyItem items[] = {{TABLE_ITEM_LOSSPERDAY, &read.LossPerDay},     {TABLE_ITEM_LOSSPERWEEK, &read.LossPerWeek},
                              {TABLE_ITEM_LOSSPERMONTH, &read.LossPerMonth}, {TABLE_ITEM_LOSSTHISDAY, &read.LossThisDay},
                              {TABLE_ITEM_LOSSTHISWEEK, &read.LossThisWeek}, {TABLE_ITEM_LOSSTHISMONTH, &read.LossThisMonth}};
  for (const SMoneyItem& item : items) {
    record.FirstItem();
    TMoney value;
    if (!record.GetItem(item.keyword, KMONEY, &value, KEND)) return;
    *item.into = value;
  }
  record.FirstItem();
  if (!record.GetItem(TABLE_ITEM_MAXSESSIONTIME, KLONG, &read.MaxSessionTime, KEND)) return;
  record.FirstItem();
  if (!record.GetItem(TABLE_ITEM_SELFEXCLUSION, KLONG, &read.SelfExclusion, KEND)) return;
  // Only a whole status replaces the one in force.
  Protection() = read;
}

void CClientTableBase::ReadMoney(CKCBL& record) {
  std::vector<TMoney> values;
  while (values.size() < m_Money.size() && AtData(record)) {
    TMoney value;
    if (!record.GetItem(nullptr, KMONEY, &value, KEND)) break;
    values.push_back(value);
  }
  record.NextItem(0);
  if (values.size() != m_Money.size()) return;
  m_Money = values;
  for (int32_t i = 0; i < static_cast<int32_t>(values.size()); ++i) GetPlayerMoneyCallback(i);
}

void CClientTableBase::ReadMoneyOne(CKCBL& record) {
  int32_t seat = -1;
  TMoney value;
  const bool read = AtData(record) && record.GetItem(nullptr, KLONG, &seat, KMONEY, &value, KEND);
  record.NextItem(0);
  if (!read || seat < 0 || static_cast<size_t>(seat) >= m_Money.size()) return;
  m_Money[static_cast<size_t>(seat)] = value;
  GetPlayerMoneyCallback(seat);
}

void CClientTableBase::ReadSeatLongs(CKCBL& record, std::vector<int32_t>& into, bool playerIds) {
  const size_t seats = static_cast<size_t>(m_NumSeats);
  std::vector<int32_t> values;
  while (values.size() < seats && AtData(record)) {
    int32_t value = 0;
    if (!record.GetItem(nullptr, KLONG, &value, KEND)) break;
    values.push_back(value);
  }
  record.NextItem(0);
  if (values.size() != seats) return;
  if (!playerIds) {
    into = values;
    return;
  }
  for (int32_t i = 0; i < m_NumSeats; ++i) {
    CPlayerConnection& connection = Seat(i);
    if (connection.m_PlayerId == 0 && values[static_cast<size_t>(i)] > 0)
      connection.m_PlayerId = values[static_cast<size_t>(i)];
  }
  m_PlayerIdsReceived = 1;
}

void CClientTableBase::ReadIcon(CKCBL& record) {
  int32_t seat = -1, icon = 0, flags = 0;
  std::string name;
  const bool read = AtData(record) && record.GetItem(nullptr, KLONG, &seat, KLONG, &icon, KLONG, &flags, KEND) &&
                    CutString(record, 3, TABLE_USERNAME_MAX, name);
  record.NextItem(0);
  if (!read || !GetPlayerConnection(seat)) return;
  const auto s = static_cast<size_t>(seat);
  if (s >= m_IconValue.size()) return;
  m_IconValue[s] = icon;
  m_IconFlags[s] = flags;
  m_SeatNames[s] = name;
  Seat(seat).SetUserName(name.c_str());
  Seat(seat).m_SecondSeat = (flags & TABLE_ICONFLAG_SECONDSEAT) ? 1 : 0;
}
