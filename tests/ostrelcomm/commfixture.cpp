#include "commfixture.h"

#include <type_traits>

#include "ostrel/base/types.h"
#include "ostrel/containers/llist.h"
#include "ostrelcomm/commlib.h"

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

std::string ToHex(const std::string& bytes) { return ToHex(std::vector<uint8_t>(bytes.begin(), bytes.end())); }

std::string PacketHex(const SXPacket* packet) {
  uint32_t size = 0;
  if (!packet->GetPacketSize(size)) return "invalid";
  const auto* bytes = reinterpret_cast<const uint8_t*>(packet);
  return ToHex(std::vector<uint8_t>(bytes, bytes + size));
}

void CCommTest::SetUp() {
  glb = new SGlobals(0);
  sglb = new SSysGlobals;
  ASSERT_EQ(xCommStartup(glb, sglb), 1);
}

void CCommTest::TearDown() {
  xCommClosedown();
  delete glb->m_pNodeList;
  delete glb;
  delete sglb;
  glb = nullptr;
  sglb = nullptr;
}

SNode::SNode(uint32_t type, const char* name, uint32_t id, int32_t isPrivate) {
  SetId(id);
  SetName(name);
  SetPrivate(isPrivate);
  EXPECT_EQ(InitCommNode(type), 1);
}

int32_t Send(CCommNode& node, const std::string& text) {
  if (!node.SendInit()) return 0;
  return node.SendPacket(text.data(), static_cast<uint32_t>(text.size()));
}

template <class Base>
int32_t CFakeLink<Base>::Connect() {
  this->m_Connected = 1;
  if constexpr (std::is_base_of_v<CCommLocalClientBase, Base>)
    return this->RegisterLocalClient();
  else
    return this->RegisterRemoteClient();
}

template <class Base>
int32_t CFakeLink<Base>::Disconnect() {
  ++m_Disconnects;
  if (!this->m_Connected) return 1;
  this->m_Connected = 0;
  if constexpr (std::is_base_of_v<CCommLocalClientBase, Base>)
    return this->UnRegisterLocalClient();
  else
    return this->UnRegisterRemoteClient();
}

template <class Base>
std::vector<std::string> CFakeLink<Base>::TakeSent() {
  std::vector<std::string> sent;
  while (this->SendQueFirst()) {
    sent.push_back(PacketHex(this->SendQueGetPacket()));
    this->SendQueDelete();
  }
  return sent;
}

template class CFakeLink<CCommLocalClientBase>;
template class CFakeLink<CCommRemoteClientBase>;
