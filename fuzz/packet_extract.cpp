// Packets arrive from peers. The framing hands on a block exactly as long as its header states, so
// a stated size beyond the input is cut to the input's length. Every getter and the extraction run
// on it, then a link takes it as the far side's packet and hands node data to a local node, which
// reads the payload as a block or as a KCBL record.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ostrel/base/types.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commbase.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/packet.h"

namespace {

class CFuzzLink : public CCommRemoteClientBase {
 public:
  CFuzzLink() {
    SetPacketTypes(1, 1);
    m_Connected = 1;
  }
  int32_t BlockedHandler(int32_t) override { return 1; }
  int32_t NonBlockedHandler() override { return 1; }
  int32_t Startup() override { return 1; }
  int32_t Closedown() override { return 1; }
  int32_t Connect() override { return 1; }
  int32_t Disconnect() override { return 1; }
  int32_t BlockedConnectHandler(int32_t) override { return 1; }
  int32_t NonBlockedConnectHandler() override { return 1; }
  int32_t SetConnectFromServer(CCommRemoteServerBase*) override { return 0; }
  int32_t IsFlushed() override { return 1; }
  int32_t SetEncryption(int32_t) override { return 1; }
  int32_t Handler(int32_t, int32_t) override { return 1; }
};

struct SWorld {
  SWorld() {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    xCommStartup(glb, sglb);
    m_Link.RegisterRemoteClient();
    m_Node.SetId(0);
    m_Node.SetName("T");
    m_Node.InitCommNode(CNODE_SERVER);
  }
  CFuzzLink m_Link;
  CCommNode m_Node;
  int m_Runs = 0;
};

uint32_t ReadBE(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

void CheckGetters(SXPacket* p, uint32_t size) {
  uint8_t u8;
  uint32_t u32;
  void* ptr;
  const bool valid = p->ValidateHeader();
  if (p->GetPacketType(u8) != valid || p->GetSplitIndex(u8) != valid || p->GetMaxSplitIndex(u8) != valid ||
      p->GetSplitId(u8) != valid || p->GetPacketSize(u32) != valid || p->GetFullHeaderSize(u32) != valid ||
      p->GetDataPtr(ptr) != valid)
    abort();
  auto* node = static_cast<SXPacketCNode*>(p);
  if (!node->ValidateNodeHeader()) {
    if (node->GetNodeName() || node->GetNodeId(u32)) abort();
    return;
  }
  uint32_t nameSize = 0, full = 0;
  if (!node->GetNodeNameSize(nameSize) || !node->GetFullNodeHeaderSize(full) || !node->GetNodeDataPtr(ptr)) abort();
  if (uint64_t{nameSize} + 29 > size || full != nameSize + 29) abort();
  if (const char* name = node->GetNodeName()) {
    if (std::strlen(name) > nameSize) abort();
  }
}

void CheckExtract(const SXPacket* p, uint32_t size) {
  uint8_t type;
  uint32_t id, nodeType, session, dataSize;
  const char* name;
  void* data;
  if (!ExtractPacket(p, type, id, name, nodeType, session, data, dataSize)) {
    if (data || name) abort();
    return;
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(p);
  const uint32_t head = size - dataSize;
  if (static_cast<const uint8_t*>(data)[dataSize] != 0) abort();
  if (std::memcmp(data, bytes + head, dataSize) != 0) abort();
  if (type == PACKET_RAWDATA ? head != 12 : head != ReadBE(bytes + 24) + 29u) abort();
  xFree(data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld* world = new SWorld;
  if (size < PACKET_HEADER_SIZE || size > (1u << 20)) return 0;
  auto* block = static_cast<uint8_t*>(::operator new(size));
  std::memcpy(block, data, size);
  if (ReadBE(block + 8) > size) {
    const uint32_t n = static_cast<uint32_t>(size);
    const uint8_t be[4] = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    std::memcpy(block + 8, be, 4);
  }
  const uint32_t stated = ReadBE(block + 8);
  auto* packet = reinterpret_cast<SXPacket*>(block);
  CheckGetters(packet, stated);
  CheckExtract(packet, stated);

  // The link takes the packet over; node data reaches the node when id and name match.
  world->m_Link.RecvPacketFromRemote(packet);
  void* got;
  uint32_t gotSize;
  while (world->m_Link.RecvRawData(got, gotSize)) xFree(got);
  // The payload is read either as a block or as a KCBL record (the odd split-index byte chooses).
  const bool asRecord = data[5] & 1;
  while (world->m_Node.IsDataAvailable()) {
    if (asRecord) {
      world->m_Node.RecvKCBLPacket();
      world->m_Node.m_RecvKCBL.FindItem("RequestTime");
      world->m_Node.RecvKCBLFree();
    } else if (world->m_Node.RecvPacket(got, gotSize)) {
      if (static_cast<uint8_t*>(got)[gotSize] != 0) abort();
      xFree(got);
      world->m_Node.RecvFree();
    }
  }
  // Far-side announcements pile up across inputs; start afresh now and then.
  if (++world->m_Runs % 4096 == 0) {
    world->m_Link.Cleanup();
    world->m_Link.RegisterCommNode(&world->m_Node);
  }
  while (world->m_Link.SendQueFirst()) world->m_Link.SendQueDelete();
  return 0;
}
