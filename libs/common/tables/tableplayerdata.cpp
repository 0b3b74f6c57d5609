// The per-player chunks of the table protocol: "PlayerData" and "PrivatePlayerData", whose values
// are the message name, the player id and the seat.
#include "common/tables/tablebase.h"
#include "ostrelcomm/commnode.h"

namespace {
int32_t EnterChunk(CCommNode* node, const char* form, int32_t seat, int32_t playerId, const char* name) {
  if (!node || !name) return 0;
  return node->NewChunk(KSTRING, form, KSTRING, name, KLONG, playerId, KLONG, seat, KEND);
}

int32_t ExitChunk(CCommNode* node) { return node ? node->ExitChunk() : 0; }

// Finds the next chunk of the form and name from the received record's cursor (searches do not
// wrap on table nodes, so repeated calls walk the chunks in order).
int32_t FindChunk(CCommNode* node, const char* form, int32_t& seat, int32_t& playerId, const char* name) {
  seat = -1;
  if (!node || !name) return 0;
  CKCBL& record = node->m_RecvKCBL;
  if (!record.FindSubChunk(form, name)) return 1;
  int32_t id = 0, slot = 0;
  if (!record.GetLong(2, &id) || !record.GetLong(3, &slot)) return 0;
  playerId = id;
  seat = slot;
  return record.EnterChunk();
}

// Leaves the chunk and puts the cursor behind it.
int32_t LeaveChunk(CCommNode* node) {
  if (!node || !node->m_RecvKCBL.ExitChunk()) return 0;
  node->m_RecvKCBL.NextItem(0);
  return 1;
}

// The private chunk of that name with one item of the same name; 0 unless all of it reads.
template <class Read>
int32_t ReadPrivateItem(CCommNode* node, const char* name, int32_t& seat, int32_t& playerId, Read read) {
  if (!CTableBase::RecvEnterPrivatePlayerData(node, seat, playerId, name) || seat == -1) return 0;
  const int32_t ok = read(node->m_RecvKCBL);
  CTableBase::RecvExitPrivatePlayerData(node);
  return ok;
}
}  // namespace

int32_t CTableBase::SendEnterPlayerData(CCommNode* node, int32_t seat, int32_t playerId, const char* name) {
  return EnterChunk(node, TABLE_CHUNK_PLAYERDATA, seat, playerId, name);
}

int32_t CTableBase::SendExitPlayerData(CCommNode* node) { return ExitChunk(node); }

int32_t CTableBase::SendEnterPrivatePlayerData(CCommNode* node, int32_t seat, int32_t playerId, const char* name) {
  return EnterChunk(node, TABLE_CHUNK_PRIVATEPLAYERDATA, seat, playerId, name);
}

int32_t CTableBase::SendExitPrivatePlayerData(CCommNode* node) { return ExitChunk(node); }

int32_t CTableBase::RecvEnterPlayerData(CCommNode* node, int32_t& seat, int32_t& playerId, const char* name) {
  return FindChunk(node, TABLE_CHUNK_PLAYERDATA, seat, playerId, name);
}

int32_t CTableBase::RecvExitPlayerData(CCommNode* node) { return LeaveChunk(node); }

int32_t CTableBase::RecvEnterPrivatePlayerData(CCommNode* node, int32_t& seat, int32_t& playerId, const char* name) {
  return FindChunk(node, TABLE_CHUNK_PRIVATEPLAYERDATA, seat, playerId, name);
}

int32_t CTableBase::RecvExitPrivatePlayerData(CCommNode* node) { return LeaveChunk(node); }

int32_t CTableBase::Server_SendEnableButton(int32_t seat, int32_t playerId, int32_t value) {
  return SendEnterPrivatePlayerData(m_pTableNode, seat, playerId, TABLE_CHUNK_ENABLEBUTTON) &&
         m_pTableNode->NewItem(TABLE_ITEM_ENABLEBUTTON, KLONG, value, KEND) &&
         SendExitPrivatePlayerData(m_pTableNode);
}

int32_t CTableBase::Server_SendAccountSum(int32_t seat, int32_t playerId, const TMoney& amount) {
  return SendEnterPrivatePlayerData(m_pTableNode, seat, playerId, TABLE_CHUNK_ACCOUNTSUM) &&
         m_pTableNode->NewItem(TABLE_ITEM_ACCOUNTSUM, KMONEY, &amount, KEND) &&
         SendExitPrivatePlayerData(m_pTableNode);
}

int32_t CTableBase::Client_RecvEnableButton(int32_t& seat, int32_t& playerId, int32_t& value) {
  return ReadPrivateItem(m_pTableNode, TABLE_CHUNK_ENABLEBUTTON, seat, playerId,
                         [&](CKCBL& record) { return record.GetItem(TABLE_ITEM_ENABLEBUTTON, KLONG, &value, KEND); });
}

int32_t CTableBase::Client_RecvAccountSum(int32_t& seat, int32_t& playerId, TMoney& amount) {
  return ReadPrivateItem(m_pTableNode, TABLE_CHUNK_ACCOUNTSUM, seat, playerId, [&](CKCBL& record) {
    TMoney read;
    if (!record.GetItem(TABLE_ITEM_ACCOUNTSUM, KMONEY, &read, KEND) || read.GetError()) return 0;
    amount = read;
    return 1;
  });
}
