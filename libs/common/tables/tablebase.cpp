#include "common/tables/tablebase.h"

#include <climits>
#include <new>

#include "ostrel/system/clock.h"
#include "ostrelcomm/commnode.h"

namespace {
// The most recently constructed table; the link-log hooks read its id.
CTableBase* g_pCurrentTable = nullptr;
}  // namespace

CTableBase::CTableBase() {
  m_Table.m_TableType = TABLE_TYPE_NEW;
  g_pCurrentTable = this;
}

CTableBase::~CTableBase() {
  if (g_pCurrentTable == this) g_pCurrentTable = nullptr;
  for (int32_t i = 0; i < m_NumSeats; ++i) delete m_ppPlayerConnections[i];
  delete[] m_ppPlayerConnections;
  for (CCommNode** node : {&m_pPlayerNode, &m_pTableNode, &m_pSlotAllocNode, &m_pSlotStatusNode,
                           &m_pPlayerHistoryRequestNode, &m_pReconnectNode})
    DeleteNode(*node);
  FreeComms();
  xFree(m_pLinkLogFileName);
}

CTableBase* CTableBase::GetCurrentTable() { return g_pCurrentTable; }

int32_t CTableBase::TimeLeft() {
  const int64_t left = int64_t{m_TimeOut} - int64_t{xTimeDiff(m_TimerStart, xGetTime())};
  return left < INT32_MIN ? INT32_MIN : static_cast<int32_t>(left);
}

// ---- life ----

int32_t CTableBase::InitTable(int32_t tableId, int32_t a, int32_t b, int32_t c, int32_t port) {
  if (m_ppPlayerConnections) return 0;
  const int32_t numSlots = GetNumSlots();
  if (numSlots > 0) m_ppPlayerConnections = new (std::nothrow) CPlayerConnection*[numSlots]();
  if (!m_ppPlayerConnections) {
    Exit();
    return 0;
  }
  m_NumSeats = numSlots;
  for (int32_t i = 0; i < numSlots; ++i) {
    m_ppPlayerConnections[i] = new (std::nothrow) CPlayerConnection(i);
    if (!m_ppPlayerConnections[i]) {
      DestroyPlayers();
      Exit();
      return 0;
    }
  }

  m_TableId = static_cast<uint32_t>(tableId);
  m_LogValue = c;
  if ((b || c) && !StartListening(static_cast<uint32_t>(port))) return 0;
  if (!CreateNodes()) return 0;
  return Init(a, b, c) > 0 ? 1 : 0;
}

int32_t CTableBase::ExitTable() {
  DestroyPlayers();
  for (CCommNode** node :
       {&m_pPlayerNode, &m_pTableNode, &m_pSlotAllocNode, &m_pSlotStatusNode, &m_pPlayerHistoryRequestNode})
    DeleteNode(*node);
  const int32_t result = Exit();
  DeleteAllComms();
  return result;
}

void CTableBase::DestroyPlayers() {
  if (!m_ppPlayerConnections) return;
  for (int32_t i = 0; i < m_NumSeats; ++i)
    if (m_ppPlayerConnections[i] && m_ppPlayerConnections[i]->IsHeld()) DeallocateSlot(i);
  for (int32_t i = 0; i < m_NumSeats; ++i) delete m_ppPlayerConnections[i];
  delete[] m_ppPlayerConnections;
  m_ppPlayerConnections = nullptr;
  m_NumSeats = 0;
}

// ---- nodes ----

CCommNode* CTableBase::CreateTableNode(const char* suffix, uint32_t id) {
  auto* node = new (std::nothrow) CCommNode;
  if (!node) return nullptr;
  node->SetLog(0);
  node->m_RecvKCBL.RestartMode(0);
  if (!NameTableNode(*node, suffix, id) || !node->InitCommNode(GetNodeType())) {
    delete node;
    return nullptr;
  }
  return node;
}

int32_t CTableBase::CreateNodes() {
  m_pPlayerNode = CreateTableNode(TABLE_NODE_PLAYER, 0);
  if (!m_pPlayerNode) return 0;
  m_pTableNode = CreateTableNode(TABLE_NODE_TABLE, 0);
  if (!m_pTableNode) return 0;
  m_pSlotStatusNode = CreateTableNode(TABLE_NODE_SLOTSTATUS, 0);
  if (!m_pSlotStatusNode) return 0;
  m_pSlotAllocNode = CreateTableNode(TABLE_NODE_SLOTALLOC, 0);
  if (!m_pSlotAllocNode) return 0;
  m_pPlayerHistoryRequestNode = CreateTableNode(TABLE_NODE_PLAYERHISTORY, 0);
  return m_pPlayerHistoryRequestNode != nullptr;
}

void CTableBase::DeleteNode(CCommNode*& node) {
  delete node;
  node = nullptr;
}

// ---- seats ----

CPlayerConnection* CTableBase::GetPlayerConnection(int32_t seat) const {
  if (!m_ppPlayerConnections || seat < 0 || seat >= m_NumSeats) return nullptr;
  return m_ppPlayerConnections[seat];
}

int32_t CTableBase::AllocateSlot(int32_t seat, int32_t playerId) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection) return TABLE_ALLOC_REFUSED;
  int32_t holdsAnother = 0;
  for (int32_t i = 0; i < m_NumSeats && !holdsAnother; ++i) holdsAnother = Seat(i).IsHeldUnreservedBy(playerId);

  const int32_t result = connection->AllocateConnection(playerId);
  if (result == TABLE_ALLOC_REFUSED) return TABLE_ALLOC_REFUSED;
  if (!CreatePlayer(seat, playerId)) {
    connection->DeallocateConnection();
    return TABLE_ALLOC_REFUSED;
  }
  connection->m_SecondSeat = holdsAnother;
  return result;
}

void CTableBase::DeallocateSlot(int32_t seat) {
  CPlayerConnection* connection = GetPlayerConnection(seat);
  if (!connection) return;
  DeletePlayer(seat);
  connection->DeallocateConnection();
}

void CTableBase::ZeroPlayerBetFlags() {
  for (int32_t i = 0; i < m_NumSeats; ++i) Seat(i).m_BetFlag = 0;
}

// ---- timer, restore, table type ----

void CTableBase::SetTimeoutTime(int32_t timeoutMs, int32_t roundLengthMs) {
  m_TimeOut = timeoutMs;
  if (static_cast<uint32_t>(roundLengthMs) < 0xFFFFFFFFu) m_RoundLength = roundLengthMs;
}

void CTableBase::StartTimer() { m_TimerStart = xGetTime(); }

int32_t CTableBase::SetRestoreMode(int32_t on) {
  m_RestoreMode = on;
  if (on) {
    m_RestoreStep = TABLE_RESTORE_NONE;
    m_RestorePending = 1;
  } else {
    m_RestorePending = 0;
  }
  return 1;
}

int32_t CTableBase::GetIsPlayingForPractice() const {
  return m_Table.m_TableType == TABLE_TYPE_PRACTICE || m_Table.m_TableType == TABLE_TYPE_PRACTICE_PRIVATE;
}
