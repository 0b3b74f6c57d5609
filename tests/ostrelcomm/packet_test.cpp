#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrelcomm/packet.h"
#include "commfixture.h"

namespace {

// A heap block holding the given bytes, as the framing would hand it over.
struct SBlock {
  explicit SBlock(const std::string& hex) : m_Bytes(FromHex(hex)) {}
  SXPacket* P() { return reinterpret_cast<SXPacket*>(m_Bytes.data()); }
  SXPacketCNode* N() { return reinterpret_cast<SXPacketCNode*>(m_Bytes.data()); }
  // Kept 4-aligned like every heap block.
  std::vector<uint8_t> m_Bytes;
};

// Restores the default packet limit after a test that changed it.
struct SMaxSize {
  explicit SMaxSize(uint32_t size) { xSetMaxPacketSize(size); }
  ~SMaxSize() { xSetMaxPacketSize(0); }
};

}  // namespace

// ---- building: golden bytes of every kind ----

TEST(PacketBuild, RawPacketCarriesPayloadBehindHeader) {
  std::string payload(100, 'x');
  SXPacket* p = BuildPacket(PACKET_RAWDATA, 9, "ignored", 3, 5, payload.data(), 100);
  ASSERT_TRUE(p);
  const std::string hex = PacketHex(p);
  EXPECT_EQ(hex.substr(0, 24), "50434b540100000000000070");
  EXPECT_EQ(hex.substr(24), ToHex(payload));
  xFree(p);
}

TEST(PacketBuild, EmptyRawPacketIsTheHeaderAlone) {
  SXPacket* p = BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, nullptr, 0);
  ASSERT_TRUE(p);
  EXPECT_EQ(PacketHex(p), "50434b54010000000000000c");
  xFree(p);
}

TEST(PacketBuild, NodePacketsOfEveryTypeLayOutTheNodeHeader) {
  struct {
    uint8_t type;
    const char* hexType;
  } cases[] = {{PACKET_CNODEDATA, "02"}, {PACKET_REGISTERCNODE, "03"}, {PACKET_UNREGISTERCNODE, "04"}};
  for (const auto& c : cases) {
    SXPacket* p = BuildPacket(c.type, 0x01020304, "Lobby", CNODE_SERVER, 0x0A0B0C0D, "ab", 2);
    ASSERT_TRUE(p);
    EXPECT_EQ(PacketHex(p), std::string("50434b54") + c.hexType +
                                "00000000000024"    // split bytes, size 36
                                "01020304"          // id
                                "0a0b0c0d"          // session index
                                "00000002"          // CNODE_SERVER
                                "00000005"          // name size
                                "4c6f62627900"      // "Lobby" NUL
                                "6162")             // data
        << int(c.type);
    xFree(p);
  }
}

TEST(PacketBuild, NodePacketWithoutNameOrDataIs29Bytes) {
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 7, nullptr, CNODE_CLIENT, 0, nullptr, 0);
  ASSERT_TRUE(p);
  EXPECT_EQ(PacketHex(p), "50434b54" "02000000" "0000001d" "00000007" "00000000" "00000003" "00000000" "00");
  xFree(p);
}

TEST(PacketBuild, PingAndAnswerAre13Bytes) {
  SXPacket* ping = BuildProtocolPacket(PROTOCOL_PING);
  SXPacket* answer = BuildProtocolPacket(PROTOCOL_PINGANSWER);
  ASSERT_TRUE(ping && answer);
  EXPECT_EQ(PacketHex(ping), "50434b54050000000000000d01");
  EXPECT_EQ(PacketHex(answer), "50434b54050000000000000d02");
  EXPECT_EQ(static_cast<SXPacketProtocolHeader*>(ping)->GetProtocolType(), PROTOCOL_PING);
  EXPECT_EQ(BuildProtocolPacket(PROTOCOL_GETUID), nullptr);
  xFree(ping);
  xFree(answer);
}

TEST(PacketBuild, UidRecordsAreInitialisedInPlace) {
  SBlock b(std::string(58, 'f'));  // 29 bytes of 0xFF
  auto* uid = reinterpret_cast<SXPacketProtocolGetUIDAnswer*>(b.P());
  uid->SXPacketProtocolGetUIDAnswer_Init();
  EXPECT_EQ(ToHex(b.m_Bytes), "00000000000000000000000c04" + std::string(32, '0'));
  uid->SetUID(1, 0x02030405, 0xA0B0C0D0, 0xFFFFFFFF);
  EXPECT_EQ(ToHex(b.m_Bytes).substr(26), "0000000102030405a0b0c0d0ffffffff");
  auto* ask = reinterpret_cast<SXPacketProtocolGetUID*>(b.P());
  ask->SXPacketProtocolGetUID_Init();
  EXPECT_EQ(ToHex(b.m_Bytes).substr(0, 26), "00000000000000000000000c03");
}

TEST(PacketBuild, RefusesWhatCannotBeFramed) {
  for (uint32_t nodeType : {0u, 4u}) EXPECT_EQ(BuildPacket(PACKET_CNODEDATA, 1, "A", nodeType, 0, "x", 1), nullptr);
  for (uint8_t type : {uint8_t{0}, PACKET_PROTOCOL, PACKET_SPLIT, uint8_t{7}})
    EXPECT_EQ(BuildPacket(type, 1, "A", CNODE_ANY, 0, "x", 1), nullptr) << int(type);
}

TEST(PacketBuild, NothingAboveTheLimitIsBuilt) {
  SMaxSize limit(40);
  SXPacket* fits = BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, std::string(28, 'a').data(), 28);
  EXPECT_TRUE(fits);
  xFree(fits);
  EXPECT_EQ(BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, std::string(29, 'a').data(), 29), nullptr);
  SXPacket* node = BuildPacket(PACKET_CNODEDATA, 0, "Lobby", CNODE_ANY, 0, "abcdef", 6);  // 40 bytes
  EXPECT_TRUE(node);
  xFree(node);
  EXPECT_EQ(BuildPacket(PACKET_CNODEDATA, 0, "Lobby", CNODE_ANY, 0, "abcdefg", 7), nullptr);
}

// ---- header checks ----

TEST(PacketHeader, InvalidHeadersFailEveryGetterAndLeaveItsOutput) {
  struct {
    const char* what;
    std::string hex;
  } cases[] = {
      {"size 11", "50434b5401000000" "0000000b"},
      {"type 0", "50434b5400000000" "0000000c"},
      {"type 7", "50434b5407000000" "0000000c"},
      {"magic PCKt", "50434b7401000000" "0000000c"},
      {"size above the limit", "50434b5401000000" "04000001"},
  };
  for (auto& c : cases) {
    SBlock b(c.hex);
    EXPECT_EQ(b.P()->ValidateHeader(), 0) << c.what;
    uint8_t u8 = 0xAA;
    uint32_t u32 = 0xAAAAAAAA;
    void* ptr = &u8;
    EXPECT_EQ(b.P()->GetPacketType(u8), 0);
    EXPECT_EQ(b.P()->GetSplitIndex(u8), 0);
    EXPECT_EQ(b.P()->GetMaxSplitIndex(u8), 0);
    EXPECT_EQ(b.P()->GetSplitId(u8), 0);
    EXPECT_EQ(b.P()->GetPacketSize(u32), 0);
    EXPECT_EQ(b.P()->GetFullHeaderSize(u32), 0);
    EXPECT_EQ(b.P()->GetDataPtr(ptr), 0);
    EXPECT_EQ(u8, 0xAA) << c.what;
    EXPECT_EQ(u32, 0xAAAAAAAAu) << c.what;
    EXPECT_EQ(ptr, &u8);
  }
}

TEST(PacketHeader, SplitPieceAndLimitSizedHeadersPass) {
  SBlock split("50434b5406010203" "0000000c");
  uint8_t index, maxIndex, id, type;
  uint32_t header;
  ASSERT_EQ(split.P()->ValidateHeader(), 1);
  ASSERT_TRUE(split.P()->GetPacketType(type) && split.P()->GetSplitIndex(index) &&
              split.P()->GetMaxSplitIndex(maxIndex) && split.P()->GetSplitId(id) &&
              split.P()->GetFullHeaderSize(header));
  EXPECT_EQ(type, 6);
  EXPECT_EQ(index, 1);  // offset 5
  EXPECT_EQ(maxIndex, 2);
  EXPECT_EQ(id, 3);
  EXPECT_EQ(header, 12u);
  SBlock atLimit("50434b5401000000" "04000000");  // the header alone is judged
  EXPECT_EQ(atLimit.P()->ValidateHeader(), 1);
  SMaxSize limit(100);
  EXPECT_EQ(atLimit.P()->ValidateHeader(), 0);
}

TEST(PacketHeader, InitAndSettersWriteInPlace) {
  SBlock b(std::string(24, 'f'));
  b.P()->SXPacket_Init();
  EXPECT_EQ(ToHex(b.m_Bytes), "00000000000000000000000c");
  b.P()->MakePacket(PACKET_SPLIT, 12);
  b.P()->SetSplitIndex(4);
  b.P()->SetMaxSplitIndex(5);
  b.P()->SetSplitId(6);
  EXPECT_EQ(ToHex(b.m_Bytes), "50434b54060405060000000c");
}

TEST(PacketHeader, InvalidNodeHeaders) {
  struct {
    const char* what;
    std::string hex;
  } cases[] = {
      // name size 5 but only 33 bytes (5 + 29 = 34 needed)
      {"short for its name", "50434b5402000000" "00000021" "00000001" "00000000" "00000003" "00000005" "4142434400"},
      // a name size that wraps 32-bit arithmetic: 0xFFFFFFFF + 29 = 28
      {"wrapping name size", "50434b5402000000" "0000001d" "00000001" "00000000" "00000003" "ffffffff" "00"},
      {"node type 0", "50434b5402000000" "0000001d" "00000001" "00000000" "00000000" "00000000" "00"},
      {"node type 4", "50434b5402000000" "0000001d" "00000001" "00000000" "00000004" "00000000" "00"},
      {"raw packet", "50434b5401000000" "0000001d" "00000001" "00000000" "00000003" "00000000" "00"},
      {"protocol packet", "50434b5405000000" "0000001d" "00000001" "00000000" "00000003" "00000000" "00"},
      {"shorter than a node header", "50434b5402000000" "0000001c" "00000001" "00000000" "00000003" "00000000"},
  };
  for (auto& c : cases) {
    SBlock b(c.hex);
    EXPECT_EQ(b.N()->ValidateNodeHeader(), 0) << c.what;
    uint32_t v = 77;
    void* ptr = nullptr;
    EXPECT_EQ(b.N()->GetNodeId(v) + b.N()->GetNodeSessionIndex(v) + b.N()->GetNodeType(v) +
                  b.N()->GetNodeNameSize(v) + b.N()->GetFullNodeHeaderSize(v) + b.N()->GetNodeDataPtr(ptr),
              0)
        << c.what;
    EXPECT_EQ(v, 77u);
    EXPECT_EQ(b.N()->GetNodeName(), nullptr) << c.what;
    if (b.m_Bytes[4] == PACKET_RAWDATA) continue;
    uint8_t type;
    uint32_t nodeId = 5, nodeType, session, size;
    const char* name = "x";
    void* data = &v;
    EXPECT_EQ(ExtractPacket(b.P(), type, nodeId, name, nodeType, session, data, size), 0) << c.what;
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(data, nullptr);
  }
}

TEST(PacketHeader, UnterminatedNameIsNotHandedOut) {
  SBlock b("50434b5402000000" "00000022" "00000001" "00000000" "00000003" "00000005" "4142434445" "58");
  EXPECT_EQ(b.N()->ValidateNodeHeader(), 1);
  EXPECT_EQ(b.N()->GetNodeName(), nullptr);
  b.m_Bytes[33] = 0;
  ASSERT_NE(b.N()->GetNodeName(), nullptr);
  EXPECT_STREQ(b.N()->GetNodeName(), "ABCDE");
}

TEST(PacketHeader, NodeSettersWriteInPlace) {
  SBlock b(std::string(70, 'f'));
  b.N()->SXPacketCNode_Init();
  EXPECT_EQ(ToHex(b.m_Bytes).substr(0, 58), "00000000000000000000000c" + std::string(32, '0') + "00");
  b.N()->MakePacket(PACKET_REGISTERCNODE, 35);
  b.N()->SetNodeNameSize(5);
  b.N()->SetNodeName("Toolong");  // the length must match the stored size
  EXPECT_EQ(b.m_Bytes[28], 0);
  b.N()->SetNodeName("Table");
  b.N()->SetNodeId(0x10);
  b.N()->SetNodeSessionIndex(0x20);
  b.N()->SetNodeType(CNODE_ANY);
  EXPECT_EQ(ToHex(b.m_Bytes), "50434b540300000000000023" "00000010" "00000020" "00000001" "00000005"
                              "5461626c6500" "ff");
  uint32_t full = 0;
  void* data = nullptr;
  ASSERT_TRUE(b.N()->GetFullNodeHeaderSize(full) && b.N()->GetNodeDataPtr(data));
  EXPECT_EQ(full, 34u);
  EXPECT_EQ(data, b.m_Bytes.data() + 34);
}

// ---- extraction ----

TEST(PacketExtract, NodePacketGivesFieldsAndTerminatedCopy) {
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 4, "Info", CNODE_SERVER, 9, "abc", 3);
  ASSERT_TRUE(p);
  uint8_t type;
  uint32_t id, nodeType, session, size;
  const char* name;
  void* data;
  ASSERT_EQ(ExtractPacket(p, type, id, name, nodeType, session, data, size), 1);
  EXPECT_EQ(type, PACKET_CNODEDATA);
  EXPECT_EQ(id, 4u);
  EXPECT_EQ(nodeType, CNODE_SERVER);
  EXPECT_EQ(session, 9u);
  EXPECT_EQ(size, 3u);
  EXPECT_STREQ(static_cast<char*>(data), "abc");  // a NUL follows the copy
  EXPECT_EQ(name, reinterpret_cast<char*>(p) + 28);
  xFree(data);
  xFree(p);
}

TEST(PacketExtract, RawPacketsOfAnySize) {
  for (uint32_t n : {0u, 1u, 1000u}) {
    std::string payload(n, 'q');
    SXPacket* p = BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, payload.data(), n);
    uint8_t type;
    uint32_t id = 3, nodeType, session, size;
    const char* name = "x";
    void* data;
    ASSERT_EQ(ExtractPacket(p, type, id, name, nodeType, session, data, size), 1);
    EXPECT_EQ(type, PACKET_RAWDATA);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(data)), payload);
    EXPECT_EQ(size, n);
    xFree(data);
    xFree(p);
  }
}

TEST(PacketExtract, ProtocolAndSplitPacketsAreNotExtracted) {
  for (const char* hex : {"50434b54050000000000000d01", "50434b54060000000000000c"}) {
    SBlock b(hex);
    uint8_t type;
    uint32_t id, nodeType, session, size;
    const char* name;
    void* data;
    EXPECT_EQ(ExtractPacket(b.P(), type, id, name, nodeType, session, data, size), 0);
  }
}

TEST(PacketExtract, ViewPointsIntoThePacket) {
  SXPacket* node = BuildPacket(PACKET_CNODEDATA, 4, "Info", CNODE_SERVER, 9, "abc", 3);
  SXPacket* raw = BuildPacket(PACKET_RAWDATA, 0, nullptr, 0, 0, "raw!", 4);
  uint8_t type;
  uint32_t id = 3, nodeType = 0, session = 0, size;
  const char* name = "x";
  const void* data;
  ASSERT_EQ(ViewPacket(node, type, id, name, nodeType, session, data, size), 1);
  EXPECT_EQ(type, PACKET_CNODEDATA);
  EXPECT_EQ(id, 4u);
  EXPECT_EQ(nodeType, CNODE_SERVER);
  EXPECT_EQ(session, 9u);
  EXPECT_EQ(name, reinterpret_cast<char*>(node) + 28);
  EXPECT_EQ(data, reinterpret_cast<uint8_t*>(node) + 33);
  EXPECT_EQ(size, 3u);
  ASSERT_EQ(ViewPacket(raw, type, id, name, nodeType, session, data, size), 1);
  EXPECT_EQ(type, PACKET_RAWDATA);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(data, reinterpret_cast<uint8_t*>(raw) + 12);
  EXPECT_EQ(size, 4u);
  // Refused packets leave the out-arguments as they were.
  SBlock split("50434b54060000000000000c");
  EXPECT_EQ(ViewPacket(split.P(), type, id, name, nodeType, session, data, size), 0);
  EXPECT_EQ(size, 4u);
  xFree(node);
  xFree(raw);
}

// The header's bytes stand as they came (split bytes too); only the size grows by the payload.
TEST(PacketExtract, JoiningAHeaderAndItsPayloadGivesTheWholePacket) {
  SXPacket* head = BuildPacket(PACKET_CNODEDATA, 4, "Info", CNODE_SERVER, 9, nullptr, 0);
  reinterpret_cast<uint8_t*>(head)[5] = 0x11;
  SXPacket* joined = JoinNodePacket(static_cast<SXPacketCNode*>(head), "abc", 3);
  ASSERT_TRUE(joined);
  SXPacket* whole = BuildPacket(PACKET_CNODEDATA, 4, "Info", CNODE_SERVER, 9, "abc", 3);
  reinterpret_cast<uint8_t*>(whole)[5] = 0x11;
  EXPECT_EQ(PacketHex(joined), PacketHex(whole));
  xFree(joined);
  {
    SMaxSize limit(40);
    EXPECT_EQ(JoinNodePacket(static_cast<SXPacketCNode*>(head), "abcdefghijklmnop", 16), nullptr) << "over the limit";
  }
  SBlock raw("50434b54010000000000000c");
  EXPECT_EQ(JoinNodePacket(raw.N(), "abc", 3), nullptr) << "no node header";
  xFree(head);
  xFree(whole);
}

TEST(PacketExtract, CopyOfAPacketIsWhole) {
  SXPacket* p = BuildPacket(PACKET_CNODEDATA, 4, "Info", CNODE_SERVER, 9, "abc", 3);
  SXPacket* copy = nullptr;
  ASSERT_EQ(p->MakeNewPacket(copy), 1);
  EXPECT_EQ(PacketHex(copy), PacketHex(p));
  EXPECT_NE(copy, p);
  xFree(copy);
  xFree(p);
}
