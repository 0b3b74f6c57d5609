#include "cashierpacket.h"

#include "ostrelcomm/commnode.h"

int32_t BeginCashierPacket(CCommNode* node, int32_t loginValue) {
  if (!node || !node->SendInit()) return 0;
  return node->NewChunk(KSTRING, CASHIER_CHUNK_NAME, KSTRING, CASHIER_CHUNK_KIND, KLONG, loginValue, KLONG, 0, KEND);
}

int32_t SendCashierPacket(CCommNode* node) {
  if (!node || !node->ExitChunk()) return 0;
  return node->SendKCBLPacket();
}

int32_t OpenCashierPacket(CCommNode* node, int32_t receive) {
  if (!node) return 0;
  if (receive == 1 && !node->RecvKCBLPacket()) return 0;
  CKCBL& record = node->m_RecvKCBL;
  record.MainChunk();
  record.FirstItem();
  if (record.FindSubChunk(CASHIER_CHUNK_NAME, CASHIER_CHUNK_KIND) && record.EnterChunk()) return 1;
  record.MainChunk();
  record.FirstItem();
  return 1;
}

int32_t CloseCashierPacket(CCommNode* node, int32_t receive) {
  if (!node) return 1;
  node->m_RecvKCBL.MainChunk();
  if (receive == 1) node->RecvKCBLFree();
  return 1;
}
