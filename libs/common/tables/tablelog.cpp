#include "common/tables/tablelog.h"

#include <algorithm>
#include <cstdio>

#include "common/info/messagelog.h"
#include "common/tables/tablebase.h"
#include "common/tables/processclient.h"
#include "ostrelcomm/packet.h"

void xLogTablePacket(const char* moduleFormat, int32_t level, SXPacket* packet, SXPacketCNode* nodePacket,
                     bool withRaw) {
  uint8_t type = 0;
  uint32_t size = 0;
  if (!packet || !packet->GetPacketType(type) || !packet->GetPacketSize(size)) return;
  const CTableBase* table = CTableBase::GetCurrentTable();
  char module[48];
  snprintf(module, sizeof module, moduleFormat, static_cast<unsigned long>(table ? table->GetTableId() : 0));

  if (type == PACKET_RAWDATA && withRaw) {
    void* data = nullptr;
    uint32_t header = 0;
    if (!packet->GetFullHeaderSize(header) || !packet->GetDataPtr(data) || header > size) return;
    const int length = static_cast<int>(std::min<uint32_t>(size - header, MESSAGELOG_TEXT_ROOM));
    LogMessage(level, module, PROCESSCLIENT_LOG_RAWTEXT, length, static_cast<const char*>(data));
    return;
  }
  if (type != PACKET_CNODEDATA || !nodePacket) return;
  uint32_t id = 0, session = 0, header = 0;
  void* data = nullptr;
  if (!nodePacket->GetNodeId(id) || !nodePacket->GetNodeSessionIndex(session) ||
      !nodePacket->GetFullNodeHeaderSize(header) || !nodePacket->GetNodeDataPtr(data) || header > size)
    return;
  const char* name = nodePacket->GetNodeName();
  // The payload carries no NUL: it is printed by its length, no longer than a line can hold.
  const int length = static_cast<int>(std::min<uint32_t>(size - header, MESSAGELOG_TEXT_ROOM));
  LogMessage(level, module, TABLE_LINKLOG_TEXT, name ? name : "", static_cast<unsigned long>(id),
             static_cast<unsigned long>(session), length, static_cast<const char*>(data));
}
