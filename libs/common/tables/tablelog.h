// One message-log line per packet of a table's links: the module text names the direction and
// the current table's id, the text the packet (node packets: name, id, session and data; raw
// packets: the data). Data is printed by its length, never past it.
#pragma once

#include <cstdint>

struct SXPacket;
struct SXPacketCNode;

// moduleFormat takes the table id ("%lu"); nothing for a packet that is not data or not whole.
void xLogTablePacket(const char* moduleFormat, int32_t level, SXPacket* packet, SXPacketCNode* nodePacket,
                     bool withRaw);
