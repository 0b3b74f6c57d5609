// Shared pieces of the communication tests: byte helpers, a process with the library started, and
// in-memory links that stand in for TCP links.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ostrel/system/globals.h"
#include "ostrelcomm/commbase.h"
#include "ostrelcomm/commnode.h"
#include "ostrelcomm/packet.h"

std::vector<uint8_t> FromHex(const std::string& hex);
std::string ToHex(const std::vector<uint8_t>& bytes);
std::string ToHex(const std::string& bytes);
// The packet's bytes up to its stated size, in lower-case hex.
std::string PacketHex(const SXPacket* packet);

// Globals created and the library started; everything released at the end.
class CCommTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// A node that is named, identified and started.
struct SNode : CCommNode {
  SNode(uint32_t type, const char* name = "Table", uint32_t id = 0, int32_t isPrivate = 1);
};

// SendInit and SendPacket with the text.
int32_t Send(CCommNode& node, const std::string& text);

// A link without a socket: connecting registers it, every handler call is counted, and the
// packets it would write stay in its send queue for the test to read.
template <class Base>
class CFakeLink : public Base {
 public:
  explicit CFakeLink(int32_t acceptNode = 1, int32_t acceptRaw = 0) { this->SetPacketTypes(acceptRaw, acceptNode); }
  int32_t BlockedHandler(int32_t) override { return NonBlockedHandler(); }
  int32_t NonBlockedHandler() override {
    ++m_Handled;
    return m_pOnHandle ? m_pOnHandle(this) : m_HandlerResult;
  }
  int32_t Startup() override { return 1; }
  int32_t Closedown() override { return 1; }
  int32_t Connect() override;
  int32_t Disconnect() override;
  int32_t BlockedConnectHandler(int32_t) override { return 1; }
  int32_t NonBlockedConnectHandler() override { return 1; }
  int32_t IsFlushed() override { return this->NumSendQuePackets() == 0; }

  // The send queue's packets as hex, oldest first; the queue is emptied.
  std::vector<std::string> TakeSent();
  // Sets the connected flag without registering.
  void SetConnectedOnly(int32_t on) { this->m_Connected = on; }

  int32_t m_Handled = 0;
  int32_t m_Disconnects = 0;
  int32_t m_HandlerResult = 1;
  int32_t (*m_pOnHandle)(CFakeLink* link) = nullptr;
};

class CFakeRemoteLink : public CFakeLink<CCommRemoteClientBase> {
 public:
  using CFakeLink::CFakeLink;
  int32_t SetConnectFromServer(CCommRemoteServerBase*) override { return 0; }
  int32_t SetEncryption(int32_t) override { return 1; }
  int32_t Handler(int32_t, int32_t) override { return NonBlockedHandler(); }
};

using CFakeLocalLink = CFakeLink<CCommLocalClientBase>;
